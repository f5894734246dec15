// The Win32 shell port's Explorer: the command line it starts, and the paths it refuses to
// pass on (nothing is started for them).
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Win32Shell.h"

namespace kestrover {
namespace {

TEST(Win32ShellTest, ExplorerSelectsThePathGivenWhole) {
    EXPECT_EQ(
        ExplorerSelectCommandLine(L"C:\\windows\\explorer.exe", L"C:\\Program Files\\a,b.exe"),
        L"\"C:\\windows\\explorer.exe\" /select,\"C:\\Program Files\\a,b.exe\"");

    Win32Shell shell;
    for (const std::string& path :
         {std::string("C:\\a\" /root,\"C:\\b"), std::string("C:\\a\0b", 6)}) {
        const Status shown = shell.ExplorerSelect(path);
        ASSERT_FALSE(shown);
        EXPECT_EQ(shown.error().code, ErrorCode::InvalidData);
    }
}

}  // namespace
}  // namespace kestrover
