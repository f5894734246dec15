// kestrover-cli exclude and favorites: each action's effect on "Exclude.lst" and "regfav.ini",
// the keys refused, and the rebuild question.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/ExcludeCommand.h"
#include "cli/FavoritesCommand.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/memory/MemoryShell.h"
#include "support/ScriptedPrompts.h"

namespace kestrover::cli {
namespace {

constexpr const char* kDataFolder = "C:\\Kestrover\\";
constexpr const char* kListPath = "C:\\Kestrover\\Exclude.lst";
constexpr const char* kFavoritesPath = "C:\\Kestrover\\regfav.ini";

class MemoryNativePlatform final : public NativePlatform {
public:
    Platform Ports() override {
        return Platform{registry, files, environment, clock, shell, security};
    }

    MemoryRegistry registry{true};
    MemoryFileSystem files;
    MemoryEnvironment environment;
    MemoryClock clock;
    MemoryShell shell;
    MemorySecurity security{registry};
};

class ListCommandsTest : public ::testing::Test {
protected:
    ListCommandsTest() { EXPECT_TRUE(native_.files.AddDirectories(kDataFolder).ok()); }

    int Exclude(ExcludeAction action, std::string argument = {}) {
        out_.str("");
        err_.str("");
        ExcludeOptions options;
        options.action = action;
        (action == ExcludeAction::Import ? options.file : options.key) = std::move(argument);
        return RunExclude(native_, kDataFolder, options, out_, err_);
    }
    int Favorites(FavoritesAction action, std::string name = {}, std::string key = {}) {
        out_.str("");
        err_.str("");
        FavoritesOptions options;
        options.action = action;
        options.name = std::move(name);
        options.key = std::move(key);
        return RunFavorites(native_, kDataFolder, options, prompts_, out_, err_);
    }
    std::string FileText(const char* path) {
        Result<std::vector<std::uint8_t>> bytes = native_.files.ReadFile(path);
        return bytes ? std::string(bytes->begin(), bytes->end()) : "<missing>";
    }

    MemoryNativePlatform native_;
    testing::ScriptedPrompts prompts_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(ListCommandsTest, ExcludeAddListRemove) {
    EXPECT_EQ(Exclude(ExcludeAction::List), 0);
    EXPECT_NE(out_.str().find("No exclusions"), std::string::npos);

    struct Step {
        ExcludeAction action;
        const char* key;
        int status;
        const char* file;  // afterwards
    };
    const Step steps[] = {
        {ExcludeAction::Add, "HKLM\\Software\\Vendor\\", 0, "2|Software\\Vendor\r\n"},
        {ExcludeAction::Add, "HKEY_LOCAL_MACHINE\\SOFTWARE\\VENDOR", 0, "2|Software\\Vendor\r\n"},
        {ExcludeAction::Add, "HKU\\S-1-5-21-7\\Software\\Tool", 0,
         "2|Software\\Vendor\r\n3|Software\\Tool\r\n"},
        {ExcludeAction::Add, "hkcr\\.old", 0,
         "0|.old\r\n2|Software\\Vendor\r\n3|Software\\Tool\r\n"},
        {ExcludeAction::Add, "HKCC\\Software", 2, nullptr},  // the scan never walks it
        {ExcludeAction::Add, "HKLM", 2, nullptr},            // a root is never tested
        {ExcludeAction::Add, "HKU\\S-1-5-18", 2, nullptr},   // would exclude every user's hive
        {ExcludeAction::Add, "Software\\NoRoot", 2, nullptr},
        {ExcludeAction::Remove, "HKLM\\Software\\Nothing", 1, nullptr},
        {ExcludeAction::Remove, "hklm\\software\\vendor", 0, "0|.old\r\n3|Software\\Tool\r\n"},
    };
    std::string expected = "<missing>";
    for (const Step& step : steps) {
        SCOPED_TRACE(step.key);
        EXPECT_EQ(Exclude(step.action, step.key), step.status) << err_.str();
        if (step.file) expected = step.file;
        EXPECT_EQ(FileText(kListPath), expected);
    }

    ASSERT_EQ(Exclude(ExcludeAction::List), 0);
    EXPECT_EQ(out_.str(),
              "HKEY_CLASSES_ROOT\\.old\nHKEY_USERS\\<any user>\\Software\\Tool\n2 exclusions in "
              "C:\\Kestrover\\Exclude.lst\n");
}

TEST_F(ListCommandsTest, ExcludeImportReportsTheCount) {
    ASSERT_TRUE(native_.files.AddFile(kListPath, "2|software\\a\r\n").ok());
    ASSERT_TRUE(
        native_.files.AddFile("C:\\In\\Exclude.ini", "2|SOFTWARE\\A\r\n1|Software\\B\r\n").ok());
    EXPECT_EQ(Exclude(ExcludeAction::Import, "C:\\In\\Exclude.ini"), 0) << err_.str();
    EXPECT_EQ(out_.str(), "1 exclusion imported into C:\\Kestrover\\Exclude.lst\n");
    EXPECT_EQ(FileText(kListPath), "1|Software\\B\r\n2|software\\a\r\n");

    EXPECT_EQ(Exclude(ExcludeAction::Import, "C:\\In\\Missing.ini"), 1);
    EXPECT_EQ(FileText(kListPath), "1|Software\\B\r\n2|software\\a\r\n");
}

TEST_F(ListCommandsTest, FavoritesAddListRemove) {
    ASSERT_TRUE(native_.files.AddFile(kFavoritesPath, "zeta|0|1|Software\\Z\r\n").ok());
    EXPECT_EQ(Favorites(FavoritesAction::Add, "Run",
                        "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
              0)
        << err_.str();
    EXPECT_EQ(Favorites(FavoritesAction::Add, "Run", "HKLM\\Software\\Other"), 0);
    EXPECT_EQ(Favorites(FavoritesAction::Add, "Bad", "Nowhere\\Key"), 2);
    EXPECT_EQ(FileText(kFavoritesPath),
              "Run|0|2|Software\\Microsoft\\Windows\\CurrentVersion\\Run\r\n"
              "Run|0|2|Software\\Other\r\nzeta|0|1|Software\\Z\r\n");

    ASSERT_EQ(Favorites(FavoritesAction::List), 0);
    EXPECT_EQ(out_.str(),
              "Run   HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\n"
              "Run   HKEY_LOCAL_MACHINE\\Software\\Other\n"
              "zeta  HKEY_CURRENT_USER\\Software\\Z\n"
              "3 favorites in C:\\Kestrover\\regfav.ini\n");

    EXPECT_EQ(Favorites(FavoritesAction::Remove, "RUN"), 0);
    EXPECT_EQ(out_.str(), "Removed 2 favorites named RUN\n");
    EXPECT_EQ(Favorites(FavoritesAction::Remove, "Run"), 1);
    EXPECT_EQ(FileText(kFavoritesPath), "zeta|0|1|Software\\Z\r\n");
}

TEST_F(ListCommandsTest, FavoritesRebuildOnlyWhenConfirmed) {
    ASSERT_TRUE(native_.files.AddFile(kFavoritesPath, "Mine|0|1|Software\\Mine\r\n").ok());
    prompts_.QueueAnswer(PromptAnswer::Cancel);
    EXPECT_EQ(Favorites(FavoritesAction::Rebuild), 1);
    EXPECT_EQ(FileText(kFavoritesPath), "Mine|0|1|Software\\Mine\r\n");

    EXPECT_EQ(Favorites(FavoritesAction::Rebuild), 0);
    std::string expected;
    for (const char* line :
         {"HKCU-CurrentVersion|1|1|Software\\Microsoft\\Windows\\CurrentVersion",
          "HKCU-Internet Explorer|1|1|Software\\Microsoft\\Internet Explorer",
          "HKCU-Shell Folders|0|1|Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
          "Folders",
          "HKLM-CurrentVersion|1|2|SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
          "HKLM-Uninstall|0|2|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
          "HKLM-Windows NT\\CurrentVersion|0|2|SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"}) {
        expected += std::string(line) + "\r\n";
    }
    EXPECT_EQ(FileText(kFavoritesPath), expected);
}

}  // namespace
}  // namespace kestrover::cli
