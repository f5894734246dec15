// The exclusion dialog and "Add to exclusion list": rows read from "Exclude.lst", Add with its
// duplicate test, Modify, Delete, the column sort, Import with its message, OK and Cancel; the
// keys of selected result entries; and a scan that leaves out what the dialog saved.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/ExclusionCommands.h"
#include "app/ExclusionDialog.h"
#include "app/RegistryScanCommand.h"
#include "core/FaultyFileSystem.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/memory/MemoryShell.h"
#include "scanner/ScanEntry.h"
#include "support/ScriptedPrompts.h"

namespace kestrover {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kDataFolder = "C:\\Program Files\\Kestrover\\";
constexpr const char* kListPath = "C:\\Program Files\\Kestrover\\Exclude.lst";
constexpr const char* kImportPath = "C:\\Program Files\\Kestrover\\Exclude.ini";
constexpr const char* kHKLM = "HKEY_LOCAL_MACHINE";
constexpr const char* kHKCU = "HKEY_CURRENT_USER";

class ExclusionDialogTest : public ::testing::Test {
protected:
    ExclusionDialogTest() { EXPECT_TRUE(files_.AddDirectories(kDataFolder).ok()); }

    void SetList(std::string_view content) { ASSERT_TRUE(files_.AddFile(kListPath, content).ok()); }
    std::string ListText() {
        Result<std::vector<std::uint8_t>> bytes = files_.ReadFile(kListPath);
        return bytes ? std::string(bytes->begin(), bytes->end()) : "<missing>";
    }
    ExclusionDialog& OpenDialog(std::string_view keysCaption = "Keys") {
        dialog_.Open(keysCaption);
        return dialog_;
    }
    std::vector<std::pair<std::string, std::string>> Rows() const {
        std::vector<std::pair<std::string, std::string>> rows;
        for (const ExclusionRow& row : dialog_.Rows()) rows.emplace_back(row.root, row.entry);
        return rows;
    }

    MemoryFileSystem files_;
    testing::ScriptedPrompts prompts_;
    ExclusionFile file_{files_, kDataFolder, Windows1252()};
    ExclusionDialog dialog_{file_, prompts_, kDataFolder};
};

using RowList = std::vector<std::pair<std::string, std::string>>;

TEST_F(ExclusionDialogTest, OpensWithTheCleanedLinesOfTheFile) {
    SetList(
        "2|Software\\Foo\r\n  1|Software\\Bar  \r\n9|x\r\n\r\n3|Software\\U\r\n"
        "0|.txt\r\n2/Software\\Slash\r\n");
    OpenDialog("Cl\xC3\xA9s");
    EXPECT_EQ(Rows(), (RowList{{kHKLM, "Software\\Foo"},
                               {kHKCU, "Software\\Bar"},
                               {"HKEY_USERS", "Software\\U"},
                               {"HKEY_CLASSES_ROOT", ".txt"},
                               // another separator: the root the scan gives the line
                               {kHKLM, "Software\\Slash"}}));
    EXPECT_EQ(dialog_.Columns(), (Lines{"ROOT", "Cl\xC3\xA9s"}));
    EXPECT_EQ(dialog_.Caption(), "Kestrover Exclusions");
    EXPECT_EQ(ExclusionRootNames(), (Lines{"HKEY_CLASSES_ROOT", kHKCU, kHKLM, "HKEY_USERS"}));
}

TEST_F(ExclusionDialogTest, AMissingFileShowsAnEmptyList) {
    OpenDialog();
    EXPECT_TRUE(dialog_.Rows().empty());
}

TEST_F(ExclusionDialogTest, AddTestsForDuplicatesIgnoringCase) {
    struct Case {
        const char* name;
        int root;
        std::string path;
        bool added;
        const char* stored;
    };
    const Case cases[] = {
        {"same root and path in another case", 2, "Software\\Foo", false, nullptr},
        {"same path under another root", 1, "Software\\Foo", true, "Software\\Foo"},
        {"a new path, kept as typed", 2, "Software\\NewVendor", true, "Software\\NewVendor"},
        {"backslashes around the path go", 2, "\\Software\\Other\\", true, "Software\\Other"},
        {"the same key with a leading backslash is a duplicate", 2, "\\software\\foo", false,
         nullptr},
        {"an empty path adds nothing", 2, "", false, nullptr},
        {"only backslashes and blanks add nothing", 2, "\\ \\", false, nullptr},
        {"a line break adds nothing", 2, "Software\\A\r\n2|Software", false, nullptr},
        {"no root chosen", -1, "Software\\B", false, nullptr},
        {"current config is not in the box", 4, "Software\\B", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetList("2|software\\foo\r\n");
        OpenDialog();
        dialog_.cbK = c.root;
        dialog_.enK = c.path;
        EXPECT_EQ(dialog_.btExAddClick(), c.added);
        ASSERT_EQ(dialog_.Rows().size(), c.added ? 2u : 1u);
        if (!c.added) continue;
        EXPECT_EQ(dialog_.Rows().back().root, ExclusionRootNames()[c.root]);
        EXPECT_EQ(dialog_.Rows().back().entry, c.stored);
        EXPECT_EQ(dialog_.SelectedRow(), 1u);
        EXPECT_EQ(dialog_.VisibleRow(), 1u);
    }
}

TEST_F(ExclusionDialogTest, SelectModifyAndDelete) {
    SetList("1|Software\\A\r\n2|Software\\B\r\n");
    OpenDialog();
    dialog_.SelectRow(1);
    EXPECT_EQ(dialog_.cbK, 2);
    EXPECT_EQ(dialog_.enK, "Software\\B");

    // Modify has no duplicate test: the row may become a copy of another.
    dialog_.cbK = 1;
    dialog_.enK = "Software\\A";
    ASSERT_TRUE(dialog_.btExModClick());
    EXPECT_EQ(Rows(), (RowList{{kHKCU, "Software\\A"}, {kHKCU, "Software\\A"}}));

    ASSERT_TRUE(dialog_.btExDelClick());
    EXPECT_EQ(Rows(), (RowList{{kHKCU, "Software\\A"}}));
    EXPECT_FALSE(dialog_.SelectedRow());
    EXPECT_FALSE(dialog_.btExDelClick());
    EXPECT_FALSE(dialog_.btExModClick());
}

TEST_F(ExclusionDialogTest, ColumnClicksSortAndRememberTheirState) {
    SetList("0|b\r\n1|C\r\n2|a\r\n3|d\r\n");
    OpenDialog();
    EXPECT_EQ(dialog_.SortState().Column(), 0);
    EXPECT_FALSE(dialog_.SortState().Ascending());
    dialog_.SelectRow(2);  // HKLM\a

    struct Step {
        int column;
        bool ascending;
        Lines entries;
    };
    const Step steps[] = {
        {0, true, {"b", "C", "a", "d"}},   // the first column again: reversed to ascending
        {0, false, {"d", "a", "C", "b"}},  // and back
        {1, false, {"d", "C", "b", "a"}},  // the other column keeps the direction
        {1, true, {"a", "b", "C", "d"}},
    };
    for (const Step& step : steps) {
        dialog_.EXLColumnClick(step.column);
        EXPECT_EQ(dialog_.SortState().Column(), step.column);
        EXPECT_EQ(dialog_.SortState().Ascending(), step.ascending);
        Lines entries;
        for (const ExclusionRow& row : dialog_.Rows()) entries.push_back(row.entry);
        EXPECT_EQ(entries, step.entries);
        ASSERT_TRUE(dialog_.SelectedRow());
        EXPECT_EQ(dialog_.Rows()[*dialog_.SelectedRow()].entry, "a");
    }
}

TEST_F(ExclusionDialogTest, OkWritesTheRowsSorted) {
    SetList("2|Software\\B\r\n");
    OpenDialog();
    dialog_.cbK = 0;
    dialog_.enK = ".zzz";
    ASSERT_TRUE(dialog_.btExAddClick());
    dialog_.cbK = 2;
    dialog_.enK = "Software\\A";
    ASSERT_TRUE(dialog_.btExAddClick());
    dialog_.EXLColumnClick(1);  // the shown order does not matter to the file
    ASSERT_TRUE(dialog_.Close(DialogResult::Ok).ok());
    EXPECT_EQ(ListText(), "0|.zzz\r\n2|Software\\A\r\n2|Software\\B\r\n");
    EXPECT_EQ(file_.Lines(), (Lines{"0|.zzz", "2|Software\\A", "2|Software\\B"}));
}

TEST_F(ExclusionDialogTest, CancelKeepsTheFileButSortsAndSavesItBack) {
    SetList("2|b\r\n9|x\r\n1|a\r\n");
    OpenDialog();
    dialog_.cbK = 2;
    dialog_.enK = "Software\\New";
    ASSERT_TRUE(dialog_.btExAddClick());
    ASSERT_TRUE(dialog_.Close(DialogResult::Cancel).ok());
    // Sorted, nothing added, and (without the clean-up) nothing dropped.
    EXPECT_EQ(ListText(), "1|a\r\n2|b\r\n9|x\r\n");
}

TEST_F(ExclusionDialogTest, ClosingWithoutAFileCreatesIt) {
    for (DialogResult result : {DialogResult::Cancel, DialogResult::Ok}) {
        ASSERT_TRUE(files_.DeleteFile(kListPath).ok() || !files_.FileExists(kListPath));
        OpenDialog();
        ASSERT_TRUE(dialog_.Close(result).ok());
        EXPECT_EQ(ListText(), "");
    }
}

TEST_F(ExclusionDialogTest, TheButtonRunsTheDialogAndAppliesItsResult) {
    SetList("2|b\r\n1|a\r\n");
    for (DialogResult result : {DialogResult::Cancel, DialogResult::Ok}) {
        SCOPED_TRACE(result == DialogResult::Ok ? "OK" : "Cancel");
        ASSERT_TRUE(btexclude1Click(dialog_, "Keys", [result](ExclusionDialog& dialog) {
                        dialog.cbK = 0;
                        dialog.enK = ".new";
                        EXPECT_TRUE(dialog.btExAddClick());
                        return result;
                    }).ok());
        EXPECT_EQ(ListText(),
                  result == DialogResult::Ok ? "0|.new\r\n1|a\r\n2|b\r\n" : "1|a\r\n2|b\r\n");
    }
}

TEST_F(ExclusionDialogTest, OkDoesNotEmptyAFileItCouldNotRead) {
    SetList("2|Software\\Keep\r\n");
    testing_support::FaultyFileSystem faulty(files_);
    faulty.FailReads(ErrorCode::AccessDenied);
    ExclusionFile file(faulty, kDataFolder, Windows1252());
    ExclusionDialog dialog(file, prompts_, kDataFolder);
    dialog.Open();
    EXPECT_TRUE(dialog.Rows().empty());
    EXPECT_FALSE(dialog.Close(DialogResult::Ok).ok());
    EXPECT_FALSE(dialog.Close(DialogResult::Cancel).ok());
    EXPECT_EQ(ListText(), "2|Software\\Keep\r\n");
}

TEST_F(ExclusionDialogTest, DoubleClickOpensTheRowsKey) {
    SetList("2|Software\\Foo\r\n");
    OpenDialog();
    std::vector<std::pair<std::string, std::string>> opened;
    dialog_.openInRegistryEditor = [&](std::string_view root, std::string_view path) {
        opened.emplace_back(root, path);
    };
    dialog_.EXLDblClick(0);
    dialog_.EXLDblClick(5);
    EXPECT_EQ(opened, (RowList{{kHKLM, "Software\\Foo"}}));
}

TEST_F(ExclusionDialogTest, ImportShowsTheCountAndKeepsUnconfirmedChanges) {
    SetList("2|Software\\A\r\n2|Software\\B\r\n");
    ASSERT_TRUE(files_.AddFile(kImportPath, "2|software\\a\r\n1|Software\\New\r\n").ok());
    OpenDialog();
    // Changes not yet confirmed by OK: one row added, one deleted.
    dialog_.cbK = 0;
    dialog_.enK = ".typed";
    ASSERT_TRUE(dialog_.btExAddClick());
    dialog_.SelectRow(1);
    ASSERT_TRUE(dialog_.btExDelClick());

    std::optional<ImportFileRequest> asked;
    dialog_.chooseImportFile = [&](const ImportFileRequest& request) {
        asked = request;
        return std::optional<std::string>(kImportPath);
    };
    EXPECT_EQ(dialog_.btEximpClick(), 1u);
    ASSERT_TRUE(asked);
    EXPECT_EQ(asked->title, "Exclusion list");
    EXPECT_EQ(asked->filterName, "Exclusion file (exclude.ini)");
    EXPECT_EQ(asked->filterMask, "*.ini");
    EXPECT_EQ(asked->proposedPath, kImportPath);
    ASSERT_EQ(prompts_.Calls().size(), 1u);
    EXPECT_EQ(prompts_.Calls()[0].text, "1 items imported");
    EXPECT_EQ(prompts_.Calls()[0].buttons, PromptButtons::Ok);

    // The file holds the merge at once; the rows keep the add and the delete, and gain the
    // imported line.
    EXPECT_EQ(ListText(), "1|Software\\New\r\n2|Software\\A\r\n2|Software\\B\r\n");
    EXPECT_EQ(Rows(), (RowList{{kHKLM, "Software\\A"},
                               {"HKEY_CLASSES_ROOT", ".typed"},
                               {kHKCU, "Software\\New"}}));
    ASSERT_TRUE(dialog_.Close(DialogResult::Ok).ok());
    EXPECT_EQ(ListText(), "0|.typed\r\n1|Software\\New\r\n2|Software\\A\r\n");
}

TEST_F(ExclusionDialogTest, ImportOfNothingNewReportsZeroAndChangesNothing) {
    SetList("2|Software\\A\r\n");
    ASSERT_TRUE(files_.AddFile(kImportPath, "2|SOFTWARE\\a\r\n").ok());
    OpenDialog();
    dialog_.chooseImportFile = [](const ImportFileRequest&) {
        return std::optional<std::string>(kImportPath);
    };
    EXPECT_EQ(dialog_.btEximpClick(), 0u);
    ASSERT_EQ(prompts_.Calls().size(), 1u);
    EXPECT_EQ(prompts_.Calls()[0].text, "0 items imported");
    EXPECT_EQ(ListText(), "2|Software\\A\r\n");

    // No file chosen: no merge and no message.
    dialog_.chooseImportFile = [](const ImportFileRequest&) {
        return std::optional<std::string>();
    };
    EXPECT_EQ(dialog_.btEximpClick(), 0u);
    EXPECT_EQ(prompts_.Calls().size(), 1u);
}

TEST_F(ExclusionDialogTest, AHugeFileOpensAndEditsQuickly) {
    std::string list;
    for (int i = 0; i < 100000; ++i) list += "2|Software\\Vendor" + std::to_string(i) + "\r\n";
    list += "1|" + std::string(100000, 'x') + "\r\n";
    SetList(list);
    const auto start = std::chrono::steady_clock::now();
    OpenDialog();
    for (int i = 0; i < 20; ++i) {
        dialog_.cbK = 2;
        dialog_.enK = "SOFTWARE\\VENDOR" + std::to_string(i * 5000);
        EXPECT_FALSE(dialog_.btExAddClick());
    }
    dialog_.EXLColumnClick(1);
    ASSERT_TRUE(dialog_.Close(DialogResult::Ok).ok());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(file_.Lines().size(), 100001u);
}

// "Add to exclusion list" from the result list.
class AddToExclusionsTest : public ExclusionDialogTest {
protected:
    AddToExclusionsTest() {
        for (auto [root, path] : std::initializer_list<std::pair<RegRoot, const char*>>{
                 {RegRoot::LocalMachine, "Software\\Foo"},
                 {RegRoot::Users, "S-1-5-21-1\\Software\\Foo"},
                 {RegRoot::CurrentConfig, "Software\\Cfg"},
                 {RegRoot::CurrentUser, "Software\\Stay"},
                 {RegRoot::ClassesRoot, ".old"}}) {
            EXPECT_TRUE(memory_.CreateKey(root, path, KeyAccess::AllAccess).ok());
        }
    }
    void Add(std::string_view text, int rootIndex, bool selected) {
        CategoryFlags flags;
        ASSERT_TRUE(results_.AddScanEntry(text, rootIndex, flags, {})) << text;
        results_.SetSelected(results_.RowCount() - 1, selected);
    }
    Lines Keys() const {
        Lines keys;
        for (const ResultRow& row : results_.Rows())
            keys.push_back(ParseScanEntry(row.text).keyPath);
        return keys;
    }

    MemoryRegistry memory_{true};
    RegistryContext registry_{memory_, {true, true}, nullptr};
    ResultList results_{registry_};
};

TEST_F(AddToExclusionsTest, WithoutTheFileTheFileIsCreated) {
    Add("Software\\Foo||Value|||C:\\x.exe", 2, true);
    AddToExclusionsReport report = MnuExClick(results_, file_, prompts_);
    EXPECT_EQ(report.outcome, AddToExclusionsOutcome::Added);
    EXPECT_EQ(results_.RowCount(), 0u);
    EXPECT_EQ(ListText(), "2|Software\\Foo\r\n");
}

TEST_F(AddToExclusionsTest, SelectedKeysGoToTheFileAndLeaveTheList) {
    SetList("2|Software\\Zed\r\n");
    Add("Software\\Foo||Value|||C:\\x.exe", 2, true);
    Add("S-1-5-21-1\\Software\\Foo||Any", 3, true);
    Add("Software\\Cfg", 4, true);
    Add("Software\\Stay||Run", 1, false);
    Add("\\.old", 0, true);

    AddToExclusionsReport report = MnuExClick(results_, file_, prompts_);
    EXPECT_EQ(report.outcome, AddToExclusionsOutcome::Added);
    // From the last entry to the first; the value name is ignored.
    EXPECT_EQ(report.lines,
              (Lines{"0|.old", "4|Software\\Cfg", "3|Software\\Foo", "2|Software\\Foo"}));
    EXPECT_EQ(report.removedEntries, 4u);
    EXPECT_EQ(prompts_.PumpCount(), 5);
    // The current-config entry left the list, but its line did not survive the clean-up.
    EXPECT_EQ(ListText(), "0|.old\r\n2|Software\\Foo\r\n2|Software\\Zed\r\n3|Software\\Foo\r\n");
    EXPECT_EQ(Keys(), (Lines{"Software\\Stay"}));
}

TEST_F(AddToExclusionsTest, AFailedSaveKeepsTheEntries) {
    SetList("2|Software\\Zed\r\n");
    Add("Software\\Foo||Value", 2, true);
    files_.FailNextFileCreation();
    AddToExclusionsReport report = MnuExClick(results_, file_, prompts_);
    EXPECT_EQ(report.outcome, AddToExclusionsOutcome::NotSaved);
    EXPECT_EQ(results_.RowCount(), 1u);
    EXPECT_EQ(ListText(), "2|Software\\Zed\r\n");
}

TEST_F(AddToExclusionsTest, NothingSelectedChangesNothing) {
    SetList("2|b\r\n1|a\r\n");
    Add("Software\\Foo||Value", 2, false);
    EXPECT_EQ(MnuExClick(results_, file_, prompts_).outcome, AddToExclusionsOutcome::Nothing);
    EXPECT_EQ(ListText(), "2|b\r\n1|a\r\n");
    EXPECT_EQ(results_.RowCount(), 1u);
}

// The scan reads what the dialog and the result list wrote.
class ExcludedScanTest : public ExclusionDialogTest {
protected:
    ExcludedScanTest() {
        environment_.SetVariable("windir", "C:\\Windows");
        environment_.SetVariable("systemroot", "C:\\Windows");
        for (const char* key :
             {"Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Software\\Vendor\\Tool"}) {
            RegistryProvider reg(registry_);
            EXPECT_TRUE(reg.OpenKey(key, true));
            reg.WriteString("Gone", "C:\\Program Files\\Gone\\gone.exe");
        }
        variables_ = FillPathVariables(environment_, files_, registry_);
    }

    Lines ScanKeys() {
        RegistryScanCommand command(platform_, registry_, window_, results_, variables_,
                                    kDataFolder);
        ScanOptions options;
        command.GoClean(options);
        Lines keys;
        for (const ResultRow& row : results_.Rows())
            keys.push_back(ParseScanEntry(row.text).keyPath);
        return keys;
    }
    bool Reported(const Lines& keys, std::string_view key) {
        return std::find(keys.begin(), keys.end(), key) != keys.end();
    }

    MemoryRegistry memory_{true};
    MemoryEnvironment environment_;
    MemoryClock clock_;
    MemoryShell shell_;
    MemorySecurity security_{memory_};
    Platform platform_{memory_, files_, environment_, clock_, shell_, security_};
    RegistryContext registry_{memory_, {true, true}, nullptr};
    MainWindowState window_;
    ResultList results_{registry_};
    PathVariables variables_;
};

TEST_F(ExcludedScanTest, AKeyExcludedInTheDialogIsNoLongerReported) {
    const Lines before = ScanKeys();
    ASSERT_TRUE(Reported(before, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
    ASSERT_TRUE(Reported(before, "Software\\Vendor\\Tool"));

    OpenDialog();
    dialog_.cbK = 1;
    dialog_.enK = "\\software\\microsoft\\windows\\currentversion\\run";
    ASSERT_TRUE(dialog_.btExAddClick());
    ASSERT_TRUE(dialog_.Close(DialogResult::Ok).ok());

    const Lines after = ScanKeys();
    EXPECT_FALSE(Reported(after, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
    EXPECT_TRUE(Reported(after, "Software\\Vendor\\Tool"));
}

TEST_F(ExcludedScanTest, AKeyAddedFromTheResultListIsNoLongerReported) {
    OpenDialog();
    ASSERT_TRUE(dialog_.Close(DialogResult::Cancel).ok());  // the file exists from now on
    ScanKeys();
    for (std::size_t row = 0; row < results_.RowCount(); ++row) {
        results_.SetSelected(
            row, ParseScanEntry(results_.Row(row).text).keyPath == "Software\\Vendor\\Tool");
    }
    ASSERT_EQ(MnuExClick(results_, file_, prompts_).outcome, AddToExclusionsOutcome::Added);
    EXPECT_EQ(ListText(), "1|Software\\Vendor\\Tool\r\n");

    const Lines after = ScanKeys();
    EXPECT_FALSE(Reported(after, "Software\\Vendor\\Tool"));
    EXPECT_TRUE(Reported(after, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
}

}  // namespace
}  // namespace kestrover
