// The file system on Linux: host folders mapped to drive letters, reached by Windows paths and
// looked up without regard to case, as the program expects of Windows.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports/FileSystemPort.h"
#include "platform/ports/WindowsPath.h"

namespace kestrover {

// Each name of a Windows path is looked up in its host folder by its exact spelling first and,
// failing that, by a case-insensitive scan of the folder (the first match in byte order when a
// folder holds several, such as "Foo" and "foo"). Names that do not exist yet keep the case
// they are given, so new files and folders are created as spelled.
//
// Attributes come from the host: Directory; ReadOnly when the owner may not write; Hidden for
// names beginning with a dot; Archive for regular files; Normal when none applies. Only
// ReadOnly can be changed (through the owner's write permission), and only on files; the
// other attributes given to SetAttributes are ignored. Host entries whose names Windows
// could not hold (a backslash, a colon, invalid UTF-8...) are not listed.
class PosixFileSystem final : public FileSystemPort {
public:
    // Makes the host folder the root of the drive, replacing any earlier mapping of the letter.
    // The folder should exist; a relative one is taken from the current folder.
    void MapDrive(char letter, std::string hostFolder, DriveType type = DriveType::Fixed);
    void UnmapDrive(char letter);

    // The host path a Windows path names, its names resolved as described above; nothing for
    // an invalid path or an unmapped drive. A trailing separator is kept as a trailing slash.
    std::optional<std::string> ToHostPath(std::string_view windowsPath) const;
    // The Windows path of a host path inside a mapped folder ("/srv/c/Windows" to
    // "C:\Windows" when C: is /srv/c); nothing outside every mapping or for names Windows
    // could not hold. The host path need not exist. The deepest mapping wins.
    std::optional<std::string> ToWindowsPath(std::string_view hostPath) const;

    Result<std::vector<FileEntry>> FindFiles(std::string_view pattern) override;
    std::optional<FileEntry> GetFileInfo(std::string_view path) override;
    bool FileExists(std::string_view path) override;
    bool DirectoryExists(std::string_view path) override;
    Status CreateDirectory(std::string_view path) override;
    Status RemoveDirectory(std::string_view path) override;
    Status MoveFile(std::string_view from, std::string_view to, ExistingTarget existing) override;
    Status DeleteFile(std::string_view path) override;
    Status SetAttributes(std::string_view path, std::uint32_t attributes) override;
    Result<std::vector<std::uint8_t>> ReadFile(std::string_view path) override;
    Result<std::unique_ptr<FileWriter>> CreateFile(std::string_view path) override;
    std::uint32_t LogicalDrives() override;
    DriveType GetDriveType(std::string_view root) override;

private:
    struct Mapping {
        std::string hostFolder;       // absolute, without a trailing slash ("" for "/")
        std::string canonicalFolder;  // the same with symbolic links resolved, when it exists
        DriveType type = DriveType::Fixed;
    };

    // A parsed path and where it lies on the host. `exists` tells whether every name was
    // found; when not, the names from the first missing one on are spelled as given.
    struct Resolved {
        WindowsPath path;
        std::string host;
        bool exists = false;
    };
    std::optional<Resolved> Resolve(std::string_view windowsPath) const;
    std::optional<Resolved> Resolve(const WindowsPath& path) const;

    std::map<char, Mapping> drives_;
};

}  // namespace kestrover
