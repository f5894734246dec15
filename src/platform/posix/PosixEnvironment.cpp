// Environment variables, executable path and system facts for the Linux build.
#include "platform/posix/PosixEnvironment.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "platform/posix/PosixFileSystem.h"

extern char** environ;

namespace kestrover {

std::string WineStyleWindowsPath(std::string_view hostPath) {
    std::string windows = "Z:";
    for (char c : hostPath) windows += c == '/' ? '\\' : c;
    if (windows.size() == 2) windows += '\\';
    return windows;
}

PosixEnvironment::PosixEnvironment(const PosixFileSystem* fileSystem) : fileSystem_(fileSystem) {}

void PosixEnvironment::SetVariable(std::string_view name, std::string_view value) {
    overrides_.insert_or_assign(std::string(name), std::string(value));
}

void PosixEnvironment::UnsetVariable(std::string_view name) {
    overrides_.insert_or_assign(std::string(name), std::nullopt);
}

std::optional<std::string> PosixEnvironment::GetVariable(std::string_view name) const {
    auto overridden = overrides_.find(name);
    if (overridden != overrides_.end()) return overridden->second;
    if (name.empty()) return std::nullopt;
    if (const char* value = std::getenv(std::string(name).c_str())) return std::string(value);
    for (char** entry = environ; entry && *entry; ++entry) {
        std::string_view text = *entry;
        std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        if (NamesEqual(text.substr(0, equals), name)) return std::string(text.substr(equals + 1));
    }
    return std::nullopt;
}

std::string PosixEnvironment::ExecutablePath() const {
    if (executablePath_) return *executablePath_;
    std::string hostPath(4096, '\0');
    ssize_t length = ::readlink("/proc/self/exe", hostPath.data(), hostPath.size());
    if (length <= 0) return {};
    hostPath.resize(static_cast<std::size_t>(length));
    if (fileSystem_) {
        if (std::optional<std::string> windows = fileSystem_->ToWindowsPath(hostPath)) {
            return *windows;
        }
    }
    return WineStyleWindowsPath(hostPath);
}

}  // namespace kestrover
