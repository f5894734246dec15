// The environment port: environment variables, the program's own path, the screen, and the
// facts about the operating system that decide registry views and folder redirection.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/TextCodec.h"

namespace kestrover {

struct ScreenSize {
    int width = 0;
    int height = 0;
};

class EnvironmentPort {
public:
    virtual ~EnvironmentPort() = default;

    // The variable's value, or nothing when it is not set. Names ignore case, as on Windows.
    virtual std::optional<std::string> GetVariable(std::string_view name) const = 0;
    // Full Windows path of the running executable ("C:\Program Files\Kestrover\kestrover.exe").
    virtual std::string ExecutablePath() const = 0;
    virtual ScreenSize PrimaryScreenSize() const = 0;
    // The operating system's architecture as the system names it ("64-bit", "32-bit"), or ""
    // when it cannot be told.
    virtual std::string OperatingSystemArchitecture() const = 0;
    // True when the process is subject to WOW64 file-system redirection: a 32-bit process on
    // 64-bit Windows, where "system32" means SysWOW64 and "sysnative" reaches the real folder.
    // A 64-bit process never is, and "sysnative" does not exist for it.
    virtual bool IsWow64Redirected() const = 0;
    // The ANSI code page that settings and export files are written in.
    virtual const TextCodec& AnsiCodePage() const = 0;
};

}  // namespace kestrover
