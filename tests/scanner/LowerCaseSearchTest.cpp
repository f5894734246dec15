// The scan's searches for lower-case patterns give the answers of the general case-blind
// search, wherever the pattern's letters, blanks and backslashes fall.
#include <gtest/gtest.h>

#include <string>

#include "core/Text.h"
#include "scanner/LowerCaseSearch.h"

namespace kestrover {
namespace {

TEST(FindLowerNoCase, AgreesWithTheCaseBlindSearch) {
    const char* const patterns[] = {"",
                                    "a",
                                    "rundll32 ",
                                    "\\??\\",
                                    "\\systemroot",
                                    "%windir%",
                                    "file:///",
                                    "shell\\open\\command",
                                    "\\app paths\\",
                                    "32",
                                    "x\\y\\\\z"};
    const char* const texts[] = {"",
                                 "A",
                                 "RunDll32 shell32.dll",
                                 "C:\\WINDOWS\\system32\\RUNDLL32.EXE",
                                 "\\?\\??\\?\\C:\\x",
                                 "\\SystemRoot\\System32\\x.sys",
                                 "%WinDir%\\%windir%",
                                 "FILE:///C:/x",
                                 "Software\\Classes\\txtfile\\Shell\\Open\\Command",
                                 "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\x.exe",
                                 "3 32 323",
                                 "X\\Y\\\\Z x\\y\\z",
                                 "rundll32",
                                 "\\\\\\\\",
                                 "%%windir%%",
                                 "é%WINDIR%é"};
    for (const char* pattern : patterns) {
        for (const char* text : texts) {
            const std::string_view t(text);
            for (std::size_t from = 0; from <= t.size() + 1; ++from) {
                SCOPED_TRACE(std::string(pattern) + " in " + text + " from " +
                             std::to_string(from));
                EXPECT_EQ(FindLowerNoCase(t, pattern, from), FindNoCase(t, pattern, from));
            }
            EXPECT_EQ(ContainsLowerNoCase(t, pattern), ContainsNoCase(t, pattern));
        }
    }
}

}  // namespace
}  // namespace kestrover
