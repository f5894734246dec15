// The mapping of Win32 error codes to ErrorCode.
#include <gtest/gtest.h>

#include "platform/win32/Win32Error.h"

namespace kestrover::win32 {
namespace {

TEST(Win32Error, CodesMapToTheirKind) {
    struct Case {
        DWORD win32;
        ErrorCode expected;
    };
    const Case cases[] = {
        {ERROR_FILE_NOT_FOUND, ErrorCode::NotFound},
        {ERROR_PATH_NOT_FOUND, ErrorCode::NotFound},
        {ERROR_INVALID_DRIVE, ErrorCode::NotFound},
        {ERROR_ACCESS_DENIED, ErrorCode::AccessDenied},
        {ERROR_SHARING_VIOLATION, ErrorCode::AccessDenied},
        {ERROR_ALREADY_EXISTS, ErrorCode::AlreadyExists},
        {ERROR_FILE_EXISTS, ErrorCode::AlreadyExists},
        {ERROR_INVALID_DATA, ErrorCode::InvalidData},
        {ERROR_BAD_PATHNAME, ErrorCode::InvalidData},
        {ERROR_INVALID_NAME, ErrorCode::InvalidData},
        {ERROR_FILENAME_EXCED_RANGE, ErrorCode::InvalidData},
        {ERROR_MORE_DATA, ErrorCode::InvalidData},
        {ERROR_NOT_SUPPORTED, ErrorCode::Unsupported},
        {ERROR_CALL_NOT_IMPLEMENTED, ErrorCode::Unsupported},
        {ERROR_DISK_FULL, ErrorCode::Io},
        {ERROR_CRC, ErrorCode::Io},
        {ERROR_SUCCESS, ErrorCode::Io},  // not an error: whoever asks gets the neutral kind
        {0xDEADBEEF, ErrorCode::Io},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorCodeFromWin32(c.win32), c.expected) << c.win32;
}

TEST(Win32Error, ErrorsKeepTheNativeCodeAndContext) {
    Error error = MakeWin32Error(ERROR_SHARING_VIOLATION, "read C:\\x.txt");
    EXPECT_EQ(error.code, ErrorCode::AccessDenied);
    EXPECT_EQ(error.nativeCode, static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(error.context, "read C:\\x.txt");
    EXPECT_EQ(error.Describe(), "read C:\\x.txt: access denied (code 32)");

    ::SetLastError(ERROR_PATH_NOT_FOUND);
    Error last = LastWin32Error("open");
    EXPECT_EQ(last.code, ErrorCode::NotFound);
    EXPECT_EQ(last.nativeCode, static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
}  // namespace kestrover::win32
