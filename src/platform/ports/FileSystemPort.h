// The file-system port: files and folders by Windows path ("C:\Folder\File.txt"), looked up
// without regard to case, as kernel32 offers them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"

namespace kestrover {

namespace FileAttribute {
inline constexpr std::uint32_t ReadOnly = 0x01;
inline constexpr std::uint32_t Hidden = 0x02;
inline constexpr std::uint32_t System = 0x04;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Archive = 0x20;
inline constexpr std::uint32_t Normal = 0x80;
}  // namespace FileAttribute

enum class DriveType : std::uint32_t {
    Unknown = 0,
    NoRootDirectory = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

// Times are Windows FILETIME ticks: 100-nanosecond intervals since 1601-01-01 UTC.
struct FileEntry {
    std::string name;  // the name alone, in its stored letter case
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    std::uint64_t creationTime = 0;
    std::uint64_t lastAccessTime = 0;
    std::uint64_t lastWriteTime = 0;

    bool IsDirectory() const { return (attributes & FileAttribute::Directory) != 0; }
};

enum class ExistingTarget { Fail, Replace };

// A file being written. Data reaches the file as it is written; Close flushes it to the disk
// and reports any failure. Destroying a writer without Close closes it without flushing.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    virtual Status Write(std::span<const std::uint8_t> bytes) = 0;
    virtual Status Close() = 0;
};

class FileSystemPort {
public:
    virtual ~FileSystemPort() = default;

    // Entries of a folder matching the mask after the last backslash ("C:\Windows\*.exe"),
    // with * and ? and without regard to case; "*" and "*.*" match everything. Never lists
    // "." and "..". NotFound when the folder does not exist; an empty list when nothing
    // matches.
    virtual Result<std::vector<FileEntry>> FindFiles(std::string_view pattern) = 0;
    // The entry of one file or folder, or nothing when the path names neither.
    virtual std::optional<FileEntry> GetFileInfo(std::string_view path) = 0;
    // True for an existing file, false for a folder or nothing.
    virtual bool FileExists(std::string_view path) = 0;
    // True for an existing folder (a drive root "C:\" included).
    virtual bool DirectoryExists(std::string_view path) = 0;

    // Creates one folder; its parent must exist. AlreadyExists when it does.
    virtual Status CreateDirectory(std::string_view path) = 0;
    // Removes an empty folder.
    virtual Status RemoveDirectory(std::string_view path) = 0;
    // Moves or renames a file or folder. With Replace an existing target file is replaced
    // atomically, the way an updated settings file takes the place of the old one.
    virtual Status MoveFile(std::string_view from, std::string_view to,
                            ExistingTarget existing) = 0;
    virtual Status DeleteFile(std::string_view path) = 0;
    virtual Status SetAttributes(std::string_view path, std::uint32_t attributes) = 0;

    virtual Result<std::vector<std::uint8_t>> ReadFile(std::string_view path) = 0;
    // Creates the file, or truncates an existing one, for writing.
    virtual Result<std::unique_ptr<FileWriter>> CreateFile(std::string_view path) = 0;

    // Bit 0 is A:, bit 2 is C:, as GetLogicalDrives gives them.
    virtual std::uint32_t LogicalDrives() = 0;
    // Type of the drive whose root is given ("C:\").
    virtual DriveType GetDriveType(std::string_view root) = 0;
};

}  // namespace kestrover
