// The environment port on kernel32 and user32: variables, the executable's path, the screen,
// the system's architecture and WOW64 redirection, the ANSI code page.
#pragma once

#include "platform/ports/EnvironmentPort.h"
#include "platform/win32/SystemCodePageCodec.h"

namespace kestrover {

class Win32Environment final : public EnvironmentPort {
public:
    std::optional<std::string> GetVariable(std::string_view name) const override;
    std::string ExecutablePath() const override;
    ScreenSize PrimaryScreenSize() const override;
    std::string OperatingSystemArchitecture() const override;
    bool IsWow64Redirected() const override;
    const TextCodec& AnsiCodePage() const override { return codePage_; }

private:
    SystemCodePageCodec codePage_;
};

}  // namespace kestrover
