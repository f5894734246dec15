// Environment facts from kernel32 and user32.
#include "platform/win32/Win32Environment.h"

#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover {

using win32::FromWide;
using win32::HasZeroCharacter;
using win32::ToWide;

namespace {

// True when this process is a 32-bit one running on 64-bit Windows.
bool RunsUnderWow64() {
    if constexpr (sizeof(void*) == 8) {
        return false;
    } else {
        BOOL wow64 = FALSE;
        return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
    }
}

}  // namespace

std::optional<std::string> Win32Environment::GetVariable(std::string_view name) const {
    if (name.empty() || HasZeroCharacter(name) || name.find('=') != std::string_view::npos) {
        return std::nullopt;
    }
    std::wstring wideName = ToWide(name);
    std::wstring value(256, L'\0');
    for (;;) {
        // An empty variable also returns 0; only the last error tells it from a missing one.
        ::SetLastError(ERROR_SUCCESS);
        DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(),
                                                 static_cast<DWORD>(value.size()));
        if (length == 0) {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::string();
        }
        // Too small a buffer gives the size needed, terminator included.
        if (length >= value.size()) {
            value.resize(length);
            continue;
        }
        value.resize(length);
        return FromWide(value);
    }
}

std::string Win32Environment::ExecutablePath() const {
    // GetModuleFileNameW gives no size hint: it fills the buffer and cuts the path short.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return FromWide(path);
        }
        if (path.size() >= 65536) return {};
        path.resize(path.size() * 2);
    }
}

ScreenSize Win32Environment::PrimaryScreenSize() const {
    return ScreenSize{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

std::string Win32Environment::OperatingSystemArchitecture() const {
    // A 64-bit process runs only on 64-bit Windows; a 32-bit one asks whether it is under
    // WOW64.
    if constexpr (sizeof(void*) == 8) return "64-bit";
    return RunsUnderWow64() ? "64-bit" : "32-bit";
}

bool Win32Environment::IsWow64Redirected() const { return RunsUnderWow64(); }

}  // namespace kestrover
