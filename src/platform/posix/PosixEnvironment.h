// The environment on Linux: the process's variables with Windows-style names, the executable's
// path as a Windows path, and the fixed facts of a 64-bit Windows process.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "core/Unicode.h"
#include "platform/ports/EnvironmentPort.h"

namespace kestrover {

class PosixFileSystem;

class PosixEnvironment final : public EnvironmentPort {
public:
    // The file system's drive mappings turn the executable's host path into a Windows path;
    // without one (null), or outside every mapped folder, the executable gets the name Wine
    // gives host files: "Z:" and the host path with backslashes ("Z:\usr\bin\kestrover-cli"),
    // which the file system reaches when Z: is mapped to "/". The file system must outlive
    // this object.
    explicit PosixEnvironment(const PosixFileSystem* fileSystem = nullptr);

    // Overrides of the process's variables; UnsetVariable hides a variable the process has.
    void SetVariable(std::string_view name, std::string_view value);
    void UnsetVariable(std::string_view name);
    // Replaces the path worked out from /proc/self/exe.
    void SetExecutablePath(std::string path) { executablePath_ = std::move(path); }
    void SetScreenSize(ScreenSize size) { screen_ = size; }

    // Overrides first, then the process environment: the exact name, else the first variable
    // whose name matches without regard to case.
    std::optional<std::string> GetVariable(std::string_view name) const override;
    std::string ExecutablePath() const override;
    ScreenSize PrimaryScreenSize() const override { return screen_; }
    std::string OperatingSystemArchitecture() const override { return "64-bit"; }
    bool IsWow64Redirected() const override { return false; }
    const TextCodec& AnsiCodePage() const override { return Windows1252(); }

private:
    const PosixFileSystem* fileSystem_;
    std::map<std::string, std::optional<std::string>, NameLess> overrides_;
    std::optional<std::string> executablePath_;
    ScreenSize screen_{1920, 1080};
};

// The Windows name of a host path outside every mapped folder, as Wine gives it: "Z:" and the
// path with its slashes turned into backslashes.
std::string WineStyleWindowsPath(std::string_view hostPath);

}  // namespace kestrover
