// In-memory file system: drives with drive types, folders and files with attributes, sizes
// and times, names compared without regard to case; and fault injection for the tests.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/ports/FileSystemPort.h"
#include "platform/ports/WindowsPath.h"

namespace kestrover {

// Behaves as kernel32 on an NTFS drive where a test can tell: new files are Archive, new
// folders only Directory; a file open for writing cannot be deleted, replaced, reopened or
// moved (nor can a folder above it) until its writer is closed or destroyed; moves keep a
// file's times and change its folders'; folders do not move between drives. Errors carry the
// Win32 code kernel32 would give as their native code. Unlike Win32, a path with an empty
// name ("C:\a\\b") is refused as invalid rather than folded. Writers must not outlive the
// file system.
class MemoryFileSystem final : public FileSystemPort {
public:
    // Starts with one fixed drive C: holding an empty root folder.
    MemoryFileSystem();
    ~MemoryFileSystem() override;

    // Drives: adding one that exists changes its type; removing takes its content with it.
    void AddDrive(char letter, DriveType type);
    void RemoveDrive(char letter);

    // Test set-up helpers: create a file (and any missing folders on its way) with content,
    // or a folder with its parents.
    Status AddFile(std::string_view path, std::string_view content);
    Status AddDirectories(std::string_view path);
    // Sets a file's times (FILETIME ticks). The clock gives new files and writes their times;
    // it starts at 2026-01-01 and advances by one second on every change.
    Status SetFileTimes(std::string_view path, std::uint64_t creation, std::uint64_t lastAccess,
                        std::uint64_t lastWrite);
    void SetClock(std::uint64_t fileTime) { clock_ = fileTime; }

    // Fault injection: the next CreateFile fails with AccessDenied; writes fail with Io once
    // `bytes` more bytes have been written in total (a full disk), until cleared with -1. The
    // write that crosses the limit stores the bytes that still fit, as a filling disk does.
    void FailNextFileCreation() { failNextCreation_ = true; }
    void FailWritesAfter(std::int64_t bytes) { writeBudget_ = bytes; }

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

    struct Node;  // a folder or a file; defined in the .cpp

private:
    class Writer;

    struct Drive {
        DriveType type = DriveType::Fixed;
        // Nodes are shared with the writers open on them, so that removing a drive under an
        // open writer leaves the writer a detached file rather than a dangling one.
        std::shared_ptr<Node> root;
    };

    // The node a path names, or null. A path ending in a separator names folders only.
    Node* Find(const WindowsPath& path);
    // Makes sure the folder and its parents exist.
    Result<Node*> MakeFolders(const WindowsPath& path);
    Result<std::unique_ptr<FileWriter>> OpenForWriting(std::string_view path);
    // The current time, after which the clock moves on by a second.
    std::uint64_t Tick();

    std::map<char, Drive> drives_;
    std::uint64_t clock_;
    bool failNextCreation_ = false;
    std::int64_t writeBudget_ = -1;
};

}  // namespace kestrover
