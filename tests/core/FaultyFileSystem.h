// A file system that passes everything to another one, except the failures a test asks for:
// reads that fail, writers whose Close fails, moves that fail. MemoryFileSystem offers
// failures at creation and while writing; these are the ones it has no switch for.
#pragma once

#include <memory>
#include <string>

#include "platform/ports/FileSystemPort.h"

namespace kestrover::testing_support {

class FaultyFileSystem final : public FileSystemPort {
public:
    explicit FaultyFileSystem(FileSystemPort& inner) : inner_(inner) {}

    void FailReads(ErrorCode code) { readFailure_ = code; }
    void FailCloses(ErrorCode code) { closeFailure_ = code; }
    void FailMoves(ErrorCode code) { moveFailure_ = code; }

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
        if (moveFailure_) return MakeError(*moveFailure_, "injected move failure");
        return inner_.MoveFile(from, to, existing);
    }
    Status DeleteFile(std::string_view path) override { return inner_.DeleteFile(path); }
    Status SetAttributes(std::string_view path, std::uint32_t attributes) override {
        return inner_.SetAttributes(path, attributes);
    }
    Result<std::vector<std::uint8_t>> ReadFile(std::string_view path) override {
        if (readFailure_) return MakeError(*readFailure_, "injected read failure");
        return inner_.ReadFile(path);
    }
    Result<std::unique_ptr<FileWriter>> CreateFile(std::string_view path) override {
        Result<std::unique_ptr<FileWriter>> created = inner_.CreateFile(path);
        if (!created || !closeFailure_) return created;
        return std::unique_ptr<FileWriter>(
            std::make_unique<FailingCloseWriter>(std::move(*created), *closeFailure_));
    }
    std::uint32_t LogicalDrives() override { return inner_.LogicalDrives(); }
    DriveType GetDriveType(std::string_view root) override { return inner_.GetDriveType(root); }

private:
    class FailingCloseWriter final : public FileWriter {
    public:
        FailingCloseWriter(std::unique_ptr<FileWriter> inner, ErrorCode code)
            : inner_(std::move(inner)), code_(code) {}
        Status Write(std::span<const std::uint8_t> bytes) override { return inner_->Write(bytes); }
        // The flush fails: the data may be on its way, but the file is not known to be whole.
        Status Close() override {
            (void)inner_->Close();
            return MakeError(code_, "injected close failure");
        }

    private:
        std::unique_ptr<FileWriter> inner_;
        ErrorCode code_;
    };

    FileSystemPort& inner_;
    std::optional<ErrorCode> readFailure_;
    std::optional<ErrorCode> closeFailure_;
    std::optional<ErrorCode> moveFailure_;
};

}  // namespace kestrover::testing_support
