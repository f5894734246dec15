// The search page: "Search !" fills the result list with the window following the search, the
// history keeps each text once and reaches its file, and the search box and button follow the
// page's controls.
#include <gtest/gtest.h>

#include "app/ApplicationShell.h"
#include "app/RegistryScanCommand.h"
#include "app/RegistrySearchCommand.h"
#include "core/TextFile.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/memory/MemoryShell.h"
#include "support/MemoryPlatform.h"

namespace kestrover {
namespace {

constexpr const char* kHistoryFile = "C:\\Kestrover\\history.txt";
constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class RegistrySearchCommandTest : public ::testing::Test, protected testing::MemoryPlatformParts {
protected:
    RegistrySearchCommandTest() {
        EXPECT_TRUE(files_.AddDirectories("C:\\Kestrover").ok());
        RegistryProvider reg(registry_);
        EXPECT_TRUE(reg.OpenKey(kRun, true));
        reg.WriteString("Tool", "C:\\Tools\\tool.exe");
        EXPECT_TRUE(reg.OpenKey("\\Software\\Vendor\\Locked", true));
        EXPECT_TRUE(memory_.SetWriteDenied(RegRoot::CurrentUser, "Software\\Vendor\\Locked", true));
    }

    SearchCommandReport Search(std::string_view text, ShiftKey shift = ShiftKey::Up) {
        RegistrySearchCommand command = Command();
        command.FindTChange(text);
        command.pumpMessages = [&] {
            if (!window_.busy) notBusyDuringSearch_ = true;
            if (onPump_) onPump_(command);
        };
        return command.cherche1Click(shift);
    }
    RegistrySearchCommand Command() {
        return RegistrySearchCommand(platform_, registry_, window_, results_, page_, history_,
                                     kHistoryFile);
    }
    std::vector<std::string> HistoryFileLines() {
        auto file = ReadTextFile(files_, kHistoryFile, Windows1252());
        return file ? file->lines : std::vector<std::string>{"(no file)"};
    }

    RegistryContext registry_{memory_, {true, true}, nullptr};
    MainWindowState window_;
    ResultList results_{registry_};
    SearchPage page_;
    SavedTextList history_;
    bool notBusyDuringSearch_ = false;
    std::function<void(RegistrySearchCommand&)> onPump_;
};

TEST_F(RegistrySearchCommandTest, SearchFillsTheListWithTheWindowFollowing) {
    results_.SetItemsText("Items");
    SearchCommandReport report = Search("tool");
    EXPECT_FALSE(notBusyDuringSearch_);
    EXPECT_EQ(window_.pageTitle, "Search ! [ tool ]");
    EXPECT_EQ(window_.view, ActiveView::RegistryResults);
    EXPECT_TRUE(window_.resultListVisible);
    ASSERT_EQ(results_.RowCount(), 2u);
    EXPECT_EQ(ParseScanEntry(results_.Row(0).text).valueName, "Tool");
    EXPECT_EQ(window_.total, "2 Items");
    EXPECT_EQ(window_.root, "2 Items");
    EXPECT_TRUE(window_.status.text.empty());
    EXPECT_TRUE(window_.title.empty());
    EXPECT_FALSE(window_.busy);
    EXPECT_FALSE(window_.stopButtonVisible);
    EXPECT_FALSE(window_.progressVisible);
    EXPECT_TRUE(SearchButtonEnabled(window_));
    EXPECT_EQ(report.search.hits, 2u);
}

TEST_F(RegistrySearchCommandTest, ANewSearchClearsTheLastOnesHits) {
    Search("tool");
    Search("nothing-like-it");
    EXPECT_EQ(results_.RowCount(), 0u);
    EXPECT_EQ(window_.total, "0 Items");
}

TEST_F(RegistrySearchCommandTest, HistoryKeepsEachTextOnceAndReachesItsFile) {
    struct Step {
        const char* text;
        bool added;
        std::vector<std::string> history;
    };
    const Step steps[] = {
        {"run", true, {"run"}},
        {"run", false, {"run"}},
        {"RUN", false, {"run"}},  // the same text in another case
        {"Tool", true, {"run", "Tool"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.text);
        SearchCommandReport report = Search(step.text);
        EXPECT_EQ(report.historyChanged, step.added);
        EXPECT_EQ(history_.lines, step.history);
        EXPECT_EQ(HistoryFileLines(), step.history);
    }
}

TEST_F(RegistrySearchCommandTest, ClearingTheHistoryReachesTheFileWithTheNextNewText) {
    Search("run");
    RegistrySearchCommand command = Command();
    command.btEffHist1Click();
    EXPECT_TRUE(history_.lines.empty());
    EXPECT_EQ(HistoryFileLines(), std::vector<std::string>{"run"});
    Search("run");  // new again, since the list was emptied
    EXPECT_EQ(HistoryFileLines(), std::vector<std::string>{"run"});
    EXPECT_EQ(history_.lines, std::vector<std::string>{"run"});
}

TEST_F(RegistrySearchCommandTest, AHistoryThatCannotBeSavedDoesNotStopTheSearch) {
    files_.FailNextFileCreation();
    SearchCommandReport report = Search("tool");
    EXPECT_EQ(results_.RowCount(), 2u);
    EXPECT_TRUE(report.historyChanged);
    EXPECT_FALSE(report.historySaved.ok());
    EXPECT_EQ(history_.lines, std::vector<std::string>{"tool"});  // still offered this run
}

TEST_F(RegistrySearchCommandTest, TheProtectedKeysListAddsNoEmptyLineToTheHistory) {
    RegistrySearchCommand command = Command();
    command.FindTChange("run");
    command.ckProtectedClick(true);
    SearchCommandReport report = command.cherche1Click();
    ASSERT_EQ(results_.RowCount(), 1u);
    ScanEntry entry = ParseScanEntry(results_.Row(0).text);
    EXPECT_EQ(entry.keyPath, "Software\\Vendor\\Locked");
    EXPECT_EQ(entry.category, 100);
    EXPECT_EQ(window_.pageTitle, "Search ! [  ]");
    EXPECT_FALSE(report.historyChanged);
    EXPECT_TRUE(history_.lines.empty());
    EXPECT_FALSE(files_.FileExists(kHistoryFile));
}

TEST_F(RegistrySearchCommandTest, SearchBoxAndButtonFollowThePageControls) {
    RegistrySearchCommand command = Command();
    struct Step {
        const char* name;
        std::function<void()> act;
        std::string text;
        bool boxEnabled;
        bool buttonEnabled;
    };
    const Step steps[] = {
        {"empty at first", [] {}, "", true, false},
        {"typing enables the button", [&] { command.FindTChange("run"); }, "run", true, true},
        {"Escape empties the box", [&] { command.FindTKeyUp(SearchBoxKey::Escape); }, "", true,
         false},
        {"another key changes nothing",
         [&] {
             command.FindTChange("x");
             command.FindTKeyUp(SearchBoxKey::Other);
         },
         "x", true, true},
        {"protected keys only: the box empties and is disabled",
         [&] { command.ckProtectedClick(true); }, "", false, true},
        {"unchecked again: the box comes back, the button waits for a text",
         [&] { command.ckProtectedClick(false); }, "", true, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_EQ(window_.searchText, step.text);
        EXPECT_EQ(window_.searchBoxEnabled, step.boxEnabled);
        EXPECT_EQ(SearchButtonEnabled(window_), step.buttonEnabled);
    }
}

TEST_F(RegistrySearchCommandTest, AScanUnchecksProtectedKeysOnly) {
    RegistrySearchCommand search = Command();
    search.ckProtectedClick(true);
    PathVariables variables;
    RegistryScanCommand scan(platform_, registry_, window_, results_, variables, "C:\\Kestrover\\");
    scan.GoClean(ScanOptions{});
    EXPECT_FALSE(window_.searchProtectedKeys);
    EXPECT_TRUE(window_.searchBoxEnabled);
    EXPECT_FALSE(SearchButtonEnabled(window_));
}

TEST_F(RegistrySearchCommandTest, StopDuringASearchKeepsTheHitsFound) {
    RegistryProvider reg(registry_);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Zed", true));
    reg.WriteString("Tooltip", "x");
    onPump_ = [this](RegistrySearchCommand& command) {
        if (results_.RowCount() > 0 && window_.busy) command.StopScan();
    };
    SearchCommandReport report = Search("tool");
    EXPECT_TRUE(report.search.stopped);
    // The value that was found by name and by data; the key after it was not reached.
    EXPECT_EQ(results_.RowCount(), 2u);
    EXPECT_FALSE(window_.busy);
}

TEST_F(RegistrySearchCommandTest, TheSearchPageResetsTheView) {
    Search("tool");
    RegistrySearchCommand command = Command();
    command.btRechClick();
    EXPECT_EQ(window_.pageTitle, "Search !");
    EXPECT_EQ(window_.view, ActiveView::None);
    EXPECT_EQ(results_.RowCount(), 0u);
    EXPECT_TRUE(window_.status.text.empty());
}

TEST_F(RegistrySearchCommandTest, TheHistoryAcrossARunFromStartToClose) {
    ASSERT_TRUE(files_.AddFile(kHistoryFile, "old\r\n").ok());
    ApplicationShell shell(platform_, registry_);
    shell.FormCreate(ShellStartOptions{{}, "C:\\Kestrover\\"});
    ASSERT_EQ(shell.HistoryFile(), kHistoryFile);
    RegistrySearchCommand command(platform_, registry_, window_, results_, page_,
                                  shell.SearchHistoryList(), shell.HistoryFile());
    command.FindTChange("tool");
    command.cherche1Click();
    EXPECT_EQ(HistoryFileLines(), (std::vector<std::string>{"old", "tool"}));
    command.btEffHist1Click();
    EXPECT_EQ(HistoryFileLines(), (std::vector<std::string>{"old", "tool"}));
    ASSERT_TRUE(shell.FormClose(window_));
    EXPECT_EQ(HistoryFileLines(), std::vector<std::string>{});
}

TEST(SearchOptionsOf, ThePageBoxesAndTheWindowsProtectedKeysBox) {
    SearchPage page;
    MainWindowState window;
    SearchOptions defaults = SearchOptionsOf(page, window);
    EXPECT_TRUE(defaults.classesRoot && defaults.currentUser && defaults.localMachine);
    EXPECT_FALSE(defaults.users);
    EXPECT_TRUE(defaults.keys && defaults.values && defaults.data && defaults.groupSimilarKeys);
    EXPECT_FALSE(defaults.wholeWord || defaults.protectedKeysOnly);
    page.cku = true;
    page.ckOnlyW = true;
    page.ckRoot = false;
    window.searchProtectedKeys = true;
    SearchOptions changed = SearchOptionsOf(page, window);
    EXPECT_TRUE(changed.users && changed.wholeWord && changed.protectedKeysOnly);
    EXPECT_FALSE(changed.groupSimilarKeys);
}

}  // namespace
}  // namespace kestrover
