// The file-system port on kernel32's W functions.
#pragma once

#include <string>
#include <string_view>

#include "platform/ports/FileSystemPort.h"

namespace kestrover {

class Win32FileSystem final : public FileSystemPort {
public:
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

    // The path as the W functions take it: UTF-16, and for an absolute path too long for the
    // classic functions, normalised and behind the "\\?\" prefix that lifts the MAX_PATH limit.
    // InvalidData for what no W function may be given: a zero character (it would cut the path
    // short) or more than the 32767 characters the system can hold (they would be cut off).
    static Result<std::wstring> SystemPath(std::string_view path);
};

}  // namespace kestrover
