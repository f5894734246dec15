// The Win32 environment port: the facts of a 64-bit process, and variables set in-process.
#include <gtest/gtest.h>

#include <string>

#include "core/Text.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Environment.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover {
namespace {

using win32::ToWide;

// Sets a variable for the life of the test and removes it afterwards.
class ScopedVariable {
public:
    ScopedVariable(const std::string& name, const std::string& value) : name_(ToWide(name)) {
        EXPECT_TRUE(::SetEnvironmentVariableW(name_.c_str(), ToWide(value).c_str()));
    }
    ~ScopedVariable() { ::SetEnvironmentVariableW(name_.c_str(), nullptr); }

private:
    std::wstring name_;
};

TEST(Win32Environment, SixtyFourBitProcessFacts) {
    static_assert(sizeof(void*) == 8, "the Windows build is a 64-bit process");
    Win32Environment environment;
    // No redirection in a 64-bit process: "system32" is the real folder, "sysnative" is absent.
    EXPECT_FALSE(environment.IsWow64Redirected());
    EXPECT_EQ(environment.OperatingSystemArchitecture(), "64-bit");
}

TEST(Win32Environment, ExecutablePathIsTheTestProgram) {
    Win32Environment environment;
    std::string path = environment.ExecutablePath();
    EXPECT_TRUE(EndsWithNoCase(path, "\\kestrover_tests.exe")) << path;
    ASSERT_GE(path.size(), 3u);
    EXPECT_EQ(path.substr(1, 2), ":\\") << path;
}

TEST(Win32Environment, VariablesSetInTheProcessAreRead) {
    Win32Environment environment;
    const std::string longValue(5000, 'v');
    struct Case {
        const char* name;
        std::string value;
    };
    const Case cases[] = {
        {"KESTROVER_TEST_PLAIN", "C:\\Users\\Test"},
        {"KESTROVER_TEST_UNICODE", "välue ✓ Имя"},
        {"KESTROVER_TEST_LONG", longValue},  // beyond the first buffer
    };
    for (const Case& c : cases) {
        ScopedVariable variable(c.name, c.value);
        EXPECT_EQ(environment.GetVariable(c.name), c.value) << c.name;
        // Names ignore case, as on Windows.
        EXPECT_EQ(environment.GetVariable(AsciiLower(c.name)), c.value) << c.name;
    }
    EXPECT_EQ(environment.GetVariable("KESTROVER_TEST_PLAIN"), std::nullopt);
    EXPECT_EQ(environment.GetVariable(""), std::nullopt);
    EXPECT_EQ(environment.GetVariable("KESTROVER=X"), std::nullopt);
    EXPECT_EQ(environment.GetVariable(std::string("PATH\0X", 6)), std::nullopt);
    EXPECT_NE(environment.GetVariable("SystemRoot"), std::nullopt);
}

TEST(Win32Environment, ScreenAndCodePage) {
    Win32Environment environment;
    ScreenSize screen = environment.PrimaryScreenSize();
    EXPECT_GE(screen.width, 0);
    EXPECT_GE(screen.height, 0);
    EXPECT_EQ(environment.AnsiCodePage().FromUtf8("plain ASCII"), "plain ASCII");
}

}  // namespace
}  // namespace kestrover
