// Win32 error codes as the program's ErrorCode, keeping the native code for messages.
#pragma once

#include <string>

#include "core/Result.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover::win32 {

ErrorCode ErrorCodeFromWin32(DWORD code);
Error MakeWin32Error(DWORD code, std::string context);
// The calling thread's last error (GetLastError) as an Error.
Error LastWin32Error(std::string context);

}  // namespace kestrover::win32
