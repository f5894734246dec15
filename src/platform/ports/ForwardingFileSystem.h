// A file system that passes every call to another one. Decorators (a cache, a counter, a
// fault injector) derive from it and override only the calls they change.
#pragma once

#include "platform/ports/FileSystemPort.h"

namespace kestrover {

class ForwardingFileSystem : public FileSystemPort {
public:
    explicit ForwardingFileSystem(FileSystemPort& inner) : inner_(inner) {}

    Result<std::vector<FileEntry>> FindFiles(std::string_view pattern) override {
        return inner_.FindFiles(pattern);
    }
    std::optional<FileEntry> GetFileInfo(std::string_view path) override {
        return inner_.GetFileInfo(path);
    }
    bool FileExists(std::string_view path) override { return inner_.FileExists(path); }
    bool DirectoryExists(std::string_view path) override { return inner_.DirectoryExists(path); }
    Status CreateDirectory(std::string_view path) override { return inner_.CreateDirectory(path); }
    Status RemoveDirectory(std::string_view path) override { return inner_.RemoveDirectory(path); }
    Status MoveFile(std::string_view from, std::string_view to, ExistingTarget existing) override {
        return inner_.MoveFile(from, to, existing);
    }
    Status DeleteFile(std::string_view path) override { return inner_.DeleteFile(path); }
    Status SetAttributes(std::string_view path, std::uint32_t attributes) override {
        return inner_.SetAttributes(path, attributes);
    }
    Result<std::vector<std::uint8_t>> ReadFile(std::string_view path) override {
        return inner_.ReadFile(path);
    }
    Result<std::unique_ptr<FileWriter>> CreateFile(std::string_view path) override {
        return inner_.CreateFile(path);
    }
    std::uint32_t LogicalDrives() override { return inner_.LogicalDrives(); }
    DriveType GetDriveType(std::string_view root) override { return inner_.GetDriveType(root); }

protected:
    FileSystemPort& Inner() { return inner_; }

private:
    FileSystemPort& inner_;
};

}  // namespace kestrover
