// The posix environment: variables with Windows-style names, the executable's Windows path,
// and the fixed facts of a 64-bit process.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/posix/PosixEnvironment.h"
#include "platform/posix/PosixFileSystem.h"

namespace kestrover::testing {
namespace {

std::string HostExecutable() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

class PosixEnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("KESTROVER_TEST_VARIABLE", "from the process", 1); }
    void TearDown() override { ::unsetenv("KESTROVER_TEST_VARIABLE"); }
};

TEST_F(PosixEnvironmentTest, VariablesIgnoreTheCaseOfTheirNames) {
    PosixEnvironment environment;
    const struct {
        const char* name;
        std::optional<std::string> value;
    } cases[] = {
        {"KESTROVER_TEST_VARIABLE", "from the process"},
        {"kestrover_test_variable", "from the process"},
        {"Kestrover_Test_Variable", "from the process"},
        {"KESTROVER_TEST_MISSING", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(environment.GetVariable(test.name), test.value) << test.name;
    }
}

TEST_F(PosixEnvironmentTest, OverridesComeFirstAndCanHideAVariable) {
    PosixEnvironment environment;
    environment.SetVariable("SystemRoot", "C:\\Windows");
    environment.SetVariable("kestrover_test_variable", "overridden");
    EXPECT_EQ(environment.GetVariable("SYSTEMROOT"), "C:\\Windows");
    EXPECT_EQ(environment.GetVariable("KESTROVER_TEST_VARIABLE"), "overridden");

    environment.SetVariable("Empty", "");
    EXPECT_EQ(environment.GetVariable("EMPTY"), "");

    environment.UnsetVariable("KESTROVER_Test_Variable");
    EXPECT_EQ(environment.GetVariable("KESTROVER_TEST_VARIABLE"), std::nullopt);
    environment.SetVariable("KESTROVER_TEST_VARIABLE", "back");
    EXPECT_EQ(environment.GetVariable("kestrover_test_variable"), "back");
}

TEST(PosixEnvironment, ExecutablePathGoesThroughTheDriveMappings) {
    std::filesystem::path executable = HostExecutable();
    std::string name = executable.filename().string();

    PosixFileSystem mapped;
    mapped.MapDrive('X', executable.parent_path().string(), DriveType::Fixed);
    EXPECT_EQ(PosixEnvironment(&mapped).ExecutablePath(), "X:\\" + name);

    // Outside every mapping, and without a file system, the name is Wine's "Z:\..." one.
    std::string wineStyle = "Z:" + executable.string();
    std::replace(wineStyle.begin(), wineStyle.end(), '/', '\\');
    PosixFileSystem elsewhere;
    elsewhere.MapDrive('C', "/nonexistent-kestrover-drive", DriveType::Fixed);
    EXPECT_EQ(PosixEnvironment(&elsewhere).ExecutablePath(), wineStyle);
    EXPECT_EQ(PosixEnvironment().ExecutablePath(), wineStyle);
    PosixFileSystem wholeHost;
    wholeHost.MapDrive('Z', "/", DriveType::Fixed);
    EXPECT_EQ(PosixEnvironment(&wholeHost).ExecutablePath(), wineStyle);
    EXPECT_TRUE(wholeHost.FileExists(wineStyle));

    PosixEnvironment chosen;
    chosen.SetExecutablePath("C:\\Program Files\\Kestrover\\kestrover-cli.exe");
    EXPECT_EQ(chosen.ExecutablePath(), "C:\\Program Files\\Kestrover\\kestrover-cli.exe");
}

TEST(PosixEnvironment, WineStyleNamesForHostPaths) {
    EXPECT_EQ(WineStyleWindowsPath("/usr/bin/kestrover-cli"), "Z:\\usr\\bin\\kestrover-cli");
    EXPECT_EQ(WineStyleWindowsPath("/"), "Z:\\");
}

TEST(PosixEnvironment, PlaysA64BitProcessOnAFullHdScreen) {
    PosixEnvironment environment;
    EXPECT_EQ(environment.PrimaryScreenSize().width, 1920);
    EXPECT_EQ(environment.PrimaryScreenSize().height, 1080);
    environment.SetScreenSize({1280, 720});
    EXPECT_EQ(environment.PrimaryScreenSize().width, 1280);
    EXPECT_EQ(environment.PrimaryScreenSize().height, 720);

    EXPECT_EQ(environment.OperatingSystemArchitecture(), "64-bit");
    EXPECT_FALSE(environment.IsWow64Redirected());
    EXPECT_EQ(&environment.AnsiCodePage(), &Windows1252());
}

}  // namespace
}  // namespace kestrover::testing
