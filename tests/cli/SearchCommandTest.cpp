// kestrover-cli search and take-ownership over a memory platform: the options as the page's
// boxes, the printed kinds of hit, the history file, and the exit statuses.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/OwnershipCommand.h"
#include "cli/SearchCommand.h"
#include "core/TextFile.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/memory/MemoryShell.h"
#include "registry/RegistryProvider.h"
#include "support/MemoryPlatform.h"
#include "support/ScriptedPrompts.h"

namespace kestrover::cli {
namespace {

constexpr std::string_view kDataFolder = "C:\\Kestrover\\";

class SearchCommandTest : public ::testing::Test, protected testing::MemoryPlatformParts {
protected:
    SearchCommandTest() {
        EXPECT_TRUE(files_.AddDirectories(kDataFolder).ok());
        RegistryProvider reg(registry_);
        EXPECT_TRUE(reg.OpenKey("\\Software\\Runner", true));
        reg.WriteString("Run", "C:\\run.exe");
        reg.WriteString("Other", "walk");
        EXPECT_TRUE(reg.OpenKey("\\Software\\Locked", true));
        EXPECT_TRUE(memory_.SetKeySecurity(RegRoot::CurrentUser, "Software\\Locked", "SY",
                                           "D:P(A;OICI;GA;;;SY)(A;;KR;;;WD)"));
    }

    int Search(SearchCommandOptions options, std::string_view dataFolder = kDataFolder) {
        out_.str("");
        err_.str("");
        return RunSearch(platform_, dataFolder, options, out_, err_);
    }
    SearchCommandOptions Text(std::string text) {
        SearchCommandOptions options;
        options.text = std::move(text);
        return options;
    }

    RegistryContext registry_{memory_, {true, true}, nullptr};
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(SearchCommandTest, PrintsEachKindOfHitInListOrder) {
    ASSERT_EQ(Search(Text("run")), 0) << err_.str();
    EXPECT_EQ(out_.str(),
              "key       HKEY_CURRENT_USER\\Software\\Runner\n"
              "value     HKEY_CURRENT_USER\\Software\\Runner  [Run]\n"
              "data      HKEY_CURRENT_USER\\Software\\Runner  [Run] = C:\\run.exe\n"
              "3 hits\n");
}

TEST_F(SearchCommandTest, OptionsAreThePagesBoxes) {
    struct Case {
        const char* name;
        std::function<void(SearchCommandOptions&)> set;
        std::vector<std::string> kinds;
    };
    const Case cases[] = {
        {"keys only", [](SearchCommandOptions& o) { o.keys = true; }, {"key"}},
        {"values and data",
         [](SearchCommandOptions& o) { o.values = o.data = true; },
         {"value", "data"}},
        {"whole word", [](SearchCommandOptions& o) { o.wholeWord = true; }, {"value"}},
        {"only HKEY_USERS", [](SearchCommandOptions& o) { o.roots = "u"; }, {}},
        {"protected keys",
         [](SearchCommandOptions& o) {
             o.text.clear();
             o.protectedKeys = true;
         },
         {"protected"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SearchCommandOptions options = Text("run");
        options.json = true;
        c.set(options);
        ASSERT_EQ(Search(options), 0) << err_.str();
        nlohmann::json hits = nlohmann::json::parse(out_.str());
        std::vector<std::string> kinds;
        for (const auto& hit : hits) kinds.push_back(hit["kind"]);
        EXPECT_EQ(kinds, c.kinds);
    }
}

TEST_F(SearchCommandTest, BadOptionsAreRefused) {
    struct Case {
        const char* name;
        SearchCommandOptions options;
    };
    SearchCommandOptions badRoot = Text("run");
    badRoot.roots = "cu,hkcc";
    SearchCommandOptions both = Text("run");
    both.protectedKeys = true;
    const Case cases[] = {
        {"an unknown root", badRoot},
        {"no text", Text("")},
        {"a text with --protected", both},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Search(c.options), 2);
        EXPECT_TRUE(out_.str().empty());
        EXPECT_FALSE(err_.str().empty());
    }
}

TEST_F(SearchCommandTest, ANewTextReachesTheHistoryFile) {
    ASSERT_EQ(Search(Text("walk")), 0);
    ASSERT_EQ(Search(Text("WALK")), 0);
    auto history = ReadTextFile(files_, std::string(kDataFolder) + "history.txt", Windows1252());
    ASSERT_TRUE(history.ok());
    EXPECT_EQ(history->lines, std::vector<std::string>{"walk"});
    // Without a data folder there is no history to keep.
    ASSERT_EQ(Search(Text("other"), ""), 0);
    EXPECT_EQ(ReadTextFile(files_, std::string(kDataFolder) + "history.txt", Windows1252())->lines,
              std::vector<std::string>{"walk"});
}

TEST_F(SearchCommandTest, TakeOwnership) {
    memory_.Token() = MemoryRegistry::AccessToken::Administrator();
    testing::ScriptedPrompts prompts;
    struct Case {
        const char* name;
        const char* key;
        PromptAnswer answer;
        int status;
    };
    const Case cases[] = {
        {"declined", "HKCU\\Software\\Locked", PromptAnswer::Cancel, 1},
        {"no root", "Software\\Locked", PromptAnswer::Ok, 2},
        {"a root without a number", "HKEY_PERFORMANCE_DATA\\x", PromptAnswer::Ok, 2},
        {"a key that does not exist", "HKCU\\Software\\Missing", PromptAnswer::Ok, 1},
        {"taken", "HKCU\\Software\\Locked", PromptAnswer::Ok, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        out_.str("");
        prompts.QueueAnswer(c.answer);
        OwnershipOptions options;
        options.key = c.key;
        EXPECT_EQ(RunTakeOwnership(platform_, options, prompts, out_, err_), c.status);
    }
    EXPECT_EQ(out_.str(),
              "HKEY_CURRENT_USER\\Software\\Locked: owned by you, full control granted\n"
              "permissions before: D:P(A;OICI;GA;;;SY)(A;;KR;;;WD)\n");
    EXPECT_TRUE(
        memory_.OpenKey(RegRoot::CurrentUser, "Software\\Locked", KeyAccess::AllAccess).ok());
}

}  // namespace
}  // namespace kestrover::cli
