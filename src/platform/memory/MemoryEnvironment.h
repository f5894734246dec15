// In-memory environment: variables, executable path, screen and OS facts set by the test.
#pragma once

#include <map>
#include <string>

#include "core/Unicode.h"
#include "platform/ports/EnvironmentPort.h"

namespace kestrover {

class MemoryEnvironment final : public EnvironmentPort {
public:
    MemoryEnvironment();

    void SetVariable(std::string_view name, std::string_view value);
    void UnsetVariable(std::string_view name);
    void SetExecutablePath(std::string path) { executablePath_ = std::move(path); }
    void SetScreenSize(ScreenSize size) { screen_ = size; }
    void SetOperatingSystemArchitecture(std::string text) { architecture_ = std::move(text); }
    void SetWow64Redirected(bool redirected) { wow64Redirected_ = redirected; }
    void SetAnsiCodePage(const TextCodec& codec) { codec_ = &codec; }

    std::optional<std::string> GetVariable(std::string_view name) const override;
    std::string ExecutablePath() const override { return executablePath_; }
    ScreenSize PrimaryScreenSize() const override { return screen_; }
    std::string OperatingSystemArchitecture() const override { return architecture_; }
    bool IsWow64Redirected() const override { return wow64Redirected_; }
    const TextCodec& AnsiCodePage() const override { return *codec_; }

private:
    std::map<std::string, std::string, NameLess> variables_;
    std::string executablePath_ = "C:\\Program Files\\Kestrover\\kestrover.exe";
    ScreenSize screen_{1920, 1080};
    std::string architecture_ = "64-bit";
    bool wow64Redirected_ = false;
    const TextCodec* codec_;
};

}  // namespace kestrover
