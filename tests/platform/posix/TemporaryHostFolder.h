// A temporary host folder for the posix tests, removed with its content afterwards.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace kestrover::testing {

class TemporaryHostFolder {
public:
    TemporaryHostFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrover-posix-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    // Under a chosen parent, for tests that need another host file system.
    explicit TemporaryHostFolder(const std::filesystem::path& parent) {
        std::string pattern = (parent / "kestrover-posix-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TemporaryHostFolder() {
        std::error_code error;
        if (!path_.empty()) std::filesystem::remove_all(path_, error);
    }
    TemporaryHostFolder(const TemporaryHostFolder&) = delete;
    TemporaryHostFolder& operator=(const TemporaryHostFolder&) = delete;

    bool Made() const { return !path_.empty(); }
    const std::filesystem::path& Path() const { return path_; }
    std::string Host(std::string_view relative = {}) const {
        return relative.empty() ? path_.string() : (path_ / relative).string();
    }

    // Writes a host file, making its folders first.
    void Write(std::string_view relative, std::string_view content) const {
        std::filesystem::path file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
    }
    void MakeFolder(std::string_view relative) const {
        std::filesystem::create_directories(path_ / relative);
    }
    std::string Read(std::string_view relative) const {
        std::ifstream in(path_ / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool Exists(std::string_view relative) const {
        std::error_code error;
        return std::filesystem::exists(std::filesystem::symlink_status(path_ / relative, error));
    }

private:
    std::filesystem::path path_;
};

}  // namespace kestrover::testing
