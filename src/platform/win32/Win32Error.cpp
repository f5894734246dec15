// The one table from Win32 error codes to ErrorCode; codes not in it are input/output errors.
#include "platform/win32/Win32Error.h"

#include <utility>

namespace kestrover::win32 {

namespace {

struct CodeMapping {
    DWORD win32;
    ErrorCode code;
};

constexpr CodeMapping kMappings[] = {
    {ERROR_FILE_NOT_FOUND, ErrorCode::NotFound},
    {ERROR_PATH_NOT_FOUND, ErrorCode::NotFound},
    {ERROR_INVALID_DRIVE, ErrorCode::NotFound},
    {ERROR_BAD_NETPATH, ErrorCode::NotFound},
    {ERROR_BAD_NET_NAME, ErrorCode::NotFound},
    {ERROR_KEY_DELETED, ErrorCode::NotFound},
    {ERROR_ACCESS_DENIED, ErrorCode::AccessDenied},
    {ERROR_SHARING_VIOLATION, ErrorCode::AccessDenied},
    {ERROR_LOCK_VIOLATION, ErrorCode::AccessDenied},
    {ERROR_WRITE_PROTECT, ErrorCode::AccessDenied},
    {ERROR_PRIVILEGE_NOT_HELD, ErrorCode::AccessDenied},
    {ERROR_ALREADY_EXISTS, ErrorCode::AlreadyExists},
    {ERROR_FILE_EXISTS, ErrorCode::AlreadyExists},
    {ERROR_INVALID_DATA, ErrorCode::InvalidData},
    {ERROR_BAD_PATHNAME, ErrorCode::InvalidData},
    {ERROR_INVALID_NAME, ErrorCode::InvalidData},
    {ERROR_FILENAME_EXCED_RANGE, ErrorCode::InvalidData},
    {ERROR_DIRECTORY, ErrorCode::InvalidData},
    {ERROR_MORE_DATA, ErrorCode::InvalidData},
    {ERROR_INVALID_PARAMETER, ErrorCode::InvalidData},
    {ERROR_BADKEY, ErrorCode::InvalidData},
    {ERROR_NOT_SUPPORTED, ErrorCode::Unsupported},
    {ERROR_CALL_NOT_IMPLEMENTED, ErrorCode::Unsupported},
    {ERROR_INVALID_FUNCTION, ErrorCode::Unsupported},
};

}  // namespace

ErrorCode ErrorCodeFromWin32(DWORD code) {
    for (const CodeMapping& mapping : kMappings) {
        if (mapping.win32 == code) return mapping.code;
    }
    return ErrorCode::Io;
}

Error MakeWin32Error(DWORD code, std::string context) {
    return MakeError(ErrorCodeFromWin32(code), std::move(context), code);
}

Error LastWin32Error(std::string context) {
    return MakeWin32Error(::GetLastError(), std::move(context));
}

}  // namespace kestrover::win32
