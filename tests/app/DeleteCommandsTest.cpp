// "Delete selected items" and "Export selected items" over the result list: the order of work,
// the backup that reaches the disk before anything is deleted, and clean then restore.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/DeleteCommands.h"
#include "core/FaultyFileSystem.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/memory/MemoryShell.h"
#include "platform/ports/ForwardingFileSystem.h"
#include "registry/RegExportReader.h"
#include "support/ScriptedPrompts.h"
#include "support/SyntheticRegistry.h"

namespace kestrover {
namespace {

using testing::RecordedPrompt;
using testing::ScriptedPrompts;

constexpr std::string_view kBackupFolder = "C:\\Kestrover\\Backup\\";

std::string InFolder(std::string_view name) { return std::string(kBackupFolder) + std::string(name); }

// A disk that takes every byte and reports success, but keeps only the first bytes of each
// file: only reading the file back shows what it lost.
class ForgetfulFileSystem final : public ForwardingFileSystem {
public:
    explicit ForgetfulFileSystem(FileSystemPort& inner) : ForwardingFileSystem(inner) {}
    void KeepOnly(std::size_t bytes) { kept_ = bytes; }

    Result<std::unique_ptr<FileWriter>> CreateFile(std::string_view path) override {
        auto created = Inner().CreateFile(path);
        if (!created || !kept_) return created;
        return std::unique_ptr<FileWriter>(std::make_unique<Writer>(std::move(*created), *kept_));
    }

private:
    class Writer final : public FileWriter {
    public:
        Writer(std::unique_ptr<FileWriter> inner, std::size_t room) : inner_(std::move(inner)), room_(room) {}
        Status Write(std::span<const std::uint8_t> bytes) override {
            std::size_t stored = std::min(room_, bytes.size());
            room_ -= stored;
            (void)inner_->Write(bytes.first(stored));
            return {};
        }
        Status Close() override { return inner_->Close(); }

    private:
        std::unique_ptr<FileWriter> inner_;
        std::size_t room_;
    };

    std::optional<std::size_t> kept_;
};

// The window, its list, the disk and the registry the commands work on.
struct Bench {
    Bench() {
        EXPECT_TRUE(memoryFiles_.AddDirectories(kBackupFolder).ok());
        window_.view = ActiveView::RegistryResults;
        window_.scanMode = true;
    }

    void SetValue(std::string_view path, std::string_view name, std::string_view text) {
        RegistryProvider reg(registry_);
        ASSERT_TRUE(reg.OpenKey("\\" + std::string(path), true));
        reg.WriteString(name, text);
    }
    bool ValueExists(std::string_view path, std::string_view name) {
        RegistryProvider reg(registry_);
        return reg.OpenKeyReadOnly("\\" + std::string(path)) && reg.ValueExists(name);
    }
    bool KeyExists(std::string_view path) {
        RegistryProvider reg(registry_);
        return reg.KeyExists("\\" + std::string(path));
    }

    // Adds a finding as the scan does (HKEY_CURRENT_USER unless told), selected.
    void Add(std::string_view text, ResultCategory category = ResultCategory::MissingFile,
             int rootIndex = 1, std::string rule = "missing-data-file") {
        CategoryFlags flags;
        flags.Set(category);
        ASSERT_TRUE(results_.AddScanEntry(text, rootIndex, flags, FindingDetail{rule, "C:\\gone"}))
            << text;
        results_.SetSelected(results_.RowCount() - 1, true);
    }

    DeleteCommands Commands() {
        return DeleteCommands(platform_, registry_, window_, results_, prompts_,
                              std::string(kBackupFolder));
    }

    std::vector<std::string> BackupFiles() {
        std::vector<std::string> names;
        auto found = memoryFiles_.FindFiles(InFolder("*"));
        if (found) {
            for (const FileEntry& entry : *found) names.push_back(entry.name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string FileText(std::string_view path) {
        auto bytes = memoryFiles_.ReadFile(path);
        if (!bytes) return "(unreadable)";
        return std::string(bytes->begin(), bytes->end());
    }
    std::vector<std::string> RowTexts() {
        std::vector<std::string> texts;
        for (const ResultRow& row : results_.Rows()) texts.push_back(row.text);
        return texts;
    }
    // Messages shown with OK alone: the window tells the user nothing on a failed backup.
    std::size_t MessagesShown() {
        return static_cast<std::size_t>(std::count_if(
            prompts_.Calls().begin(), prompts_.Calls().end(), [](const RecordedPrompt& call) {
                return call.kind == RecordedPrompt::Kind::Question &&
                       call.buttons == PromptButtons::Ok;
            }));
    }

    MemoryRegistry memory_{true};
    MemoryFileSystem memoryFiles_;
    testing_support::FaultyFileSystem faultyFiles_{memoryFiles_};
    ForgetfulFileSystem files_{faultyFiles_};
    MemoryEnvironment environment_;
    MemoryClock clock_;  // 5 December 2026, 17:42:10, day/month/year
    MemoryShell shell_;
    MemorySecurity security_{memory_};
    Platform platform_{memory_, files_, environment_, clock_, shell_, security_};
    RegistryContext registry_{memory_, {true, true}, nullptr};
    MainWindowState window_;
    ResultList results_{registry_};
    ScriptedPrompts prompts_;
};

class DeleteCommandsTest : public ::testing::Test, public Bench {};

TEST_F(DeleteCommandsTest, NothingSelectedDoesNothing) {
    SetValue("Software\\Vendor", "A", "a");
    Add(MakeEntryText("Software\\Vendor", "A"));
    results_.UnselectAll();
    DeleteCommands commands = Commands();
    EXPECT_FALSE(commands.MnuDelClick().ran);
    EXPECT_FALSE(commands.MnuExpClick().ran);
    EXPECT_FALSE(commands.PlanMnuDelClick().ran);
    EXPECT_TRUE(prompts_.Calls().empty());
    EXPECT_TRUE(BackupFiles().empty());
    EXPECT_TRUE(ValueExists("Software\\Vendor", "A"));
}

TEST_F(DeleteCommandsTest, CancelAtTheConfirmationDeletesNothing) {
    SetValue("Software\\Vendor", "A", "a");
    Add(MakeEntryText("Software\\Vendor", "A"));
    prompts_.QueueAnswer(PromptAnswer::Cancel);
    CommandReport report = Commands().MnuDelClick();
    EXPECT_TRUE(report.cancelled);
    EXPECT_FALSE(report.ran);
    ASSERT_EQ(prompts_.Calls().size(), 1u);  // no name dialog after Cancel
    EXPECT_EQ(prompts_.Calls()[0].caption, "Confirmation");
    EXPECT_EQ(prompts_.Calls()[0].text, "Delete all selected items ?");
    EXPECT_EQ(prompts_.Calls()[0].buttons, PromptButtons::OkCancel);
    EXPECT_TRUE(BackupFiles().empty());
    EXPECT_TRUE(ValueExists("Software\\Vendor", "A"));
    EXPECT_EQ(results_.RowCount(), 1u);
}

TEST_F(DeleteCommandsTest, ThreeValuesOfOneKeyCompactToOneSectionLastEntryFirst) {
    for (std::string_view name : {"A", "B", "C"}) SetValue("Software\\Vendor", name, name);
    SetValue("Software\\Vendor", "Kept", "k");
    for (std::string_view name : {"A", "B", "C"}) Add(MakeEntryText("Software\\Vendor", name));

    CommandReport report = Commands().MnuDelClick();

    ASSERT_EQ(prompts_.Calls().size(), 2u);
    EXPECT_EQ(prompts_.Calls()[1].kind, RecordedPrompt::Kind::Name);
    EXPECT_EQ(prompts_.Calls()[1].text, "Name :");
    EXPECT_EQ(prompts_.Calls()[1].proposed, "Clean.reg");
    EXPECT_EQ(report.backup, BackupOutcome::Written);
    EXPECT_EQ(report.backupPath, InFolder("Clean.reg"));
    EXPECT_TRUE(report.compacted);
    EXPECT_EQ(FileText(InFolder("Clean.reg")),
              "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Vendor]\r\n"
              "\"C\"=\"C\"\r\n\"B\"=\"B\"\r\n\"A\"=\"A\"\r\n");
    EXPECT_EQ(report.Count(EntryOutcome::Deleted), 3u);
    for (std::string_view name : {"A", "B", "C"}) EXPECT_FALSE(ValueExists("Software\\Vendor", name));
    EXPECT_TRUE(ValueExists("Software\\Vendor", "Kept"));
    EXPECT_EQ(results_.RowCount(), 0u);
    EXPECT_EQ(results_.Index().Count(), 0u);  // no filter brings a deleted entry back
    EXPECT_EQ(window_.total, "0 Items");
    EXPECT_EQ(window_.root, "0 Items");
    EXPECT_GE(prompts_.PumpCount(), 3);
    EXPECT_EQ(MessagesShown(), 0u);
}

TEST_F(DeleteCommandsTest, WithoutBackupEntriesAreDeletedAndNoFileIsWritten) {
    SetValue("Software\\Vendor", "A", "a");
    Add(MakeEntryText("Software\\Vendor", "A"));
    DeleteCommands commands = Commands();
    commands.ckBack = false;
    CommandReport report = commands.MnuDelClick();
    EXPECT_EQ(report.backup, BackupOutcome::Off);
    EXPECT_EQ(report.Count(EntryOutcome::Deleted), 1u);
    EXPECT_FALSE(ValueExists("Software\\Vendor", "A"));
    EXPECT_TRUE(BackupFiles().empty());
    EXPECT_EQ(prompts_.Calls().size(), 1u);  // the confirmation; no name dialog
}

TEST_F(DeleteCommandsTest, AVanishedValueStaysListedWithZero) {
    SetValue("Software\\Vendor", "A", "a");
    SetValue("Software\\Vendor", "Gone", "g");
    Add(MakeEntryText("Software\\Vendor", "Gone"), ResultCategory::MissingFile);
    Add(MakeEntryText("Software\\Vendor", "A"));
    const std::string goneRow = results_.Row(0).text;
    {
        RegistryProvider reg(registry_);
        ASSERT_TRUE(reg.OpenKey("\\Software\\Vendor", false));
        ASSERT_TRUE(reg.DeleteValue("Gone"));
    }
    CommandReport report = Commands().MnuDelClick();
    EXPECT_EQ(RowTexts(), std::vector<std::string>{goneRow + "0"});
    EXPECT_EQ(CategoryNumberOf(results_.Row(0).text), 10);
    EXPECT_EQ(results_.Index().Rows().at(0).text, goneRow + "0");  // a filter keeps the mark
    EXPECT_EQ(window_.total, "1 Items");
    ASSERT_EQ(report.entries.size(), 2u);
    EXPECT_EQ(report.entries[0].outcome, EntryOutcome::NotDeleted);
    EXPECT_EQ(report.entries[0].reason, NotDeletedReason::Missing);
    EXPECT_EQ(report.entries[1].outcome, EntryOutcome::Deleted);
}

TEST_F(DeleteCommandsTest, ARowWithoutCategoryKeepsWhatItNames) {
    // A search hit has no category marker: a "0" after it would become part of the value name.
    SetValue("Software\\Vendor", "Named", "x");
    CategoryFlags none;
    ASSERT_TRUE(results_.AddScanEntry(MakeEntryText("Software\\Vendor", "Named"), 1, none, {}));
    results_.SelectAll();
    const std::vector<std::string> rows = RowTexts();
    {
        RegistryProvider reg(registry_);
        ASSERT_TRUE(reg.OpenKey("\\Software\\Vendor", false));
        ASSERT_TRUE(reg.DeleteValue("Named"));
    }
    EXPECT_EQ(Commands().MnuDelClick().Count(EntryOutcome::NotDeleted), 1u);
    EXPECT_EQ(RowTexts(), rows);

    SetValue("Software\\Vendor", "Named", "x");
    SetValue("Software\\Vendor", "Named0", "y");
    EXPECT_EQ(Commands().MnuDelClick().Count(EntryOutcome::Deleted), 1u);
    EXPECT_FALSE(ValueExists("Software\\Vendor", "Named"));
    EXPECT_TRUE(ValueExists("Software\\Vendor", "Named0"));
}

TEST_F(DeleteCommandsTest, TheReportCarriesRuleAndCategoryOfEachRow) {
    SetValue("Software\\Vendor", "A", "a");
    Add(MakeEntryText("Software\\Vendor"), ResultCategory::ObsoleteEntry, 1, "empty-vendor-key");
    CommandReport report = Commands().MnuDelClick();
    ASSERT_EQ(report.entries.size(), 1u);
    EXPECT_EQ(report.entries[0].detail.rule, "empty-vendor-key");
    EXPECT_EQ(report.entries[0].entry.category, 6);
    EXPECT_EQ(report.entries[0].deletion, DeletionCase::WholeKey);
    EXPECT_FALSE(KeyExists("Software\\Vendor"));
}

TEST(DeleteCommandsFaultTest, WhenTheBackupFailsNothingIsDeleted) {
    struct Case {
        const char* name;
        std::function<void(Bench&)> inject;
        BackupOutcome outcome;
        bool fileLeft;
    };
    const Case cases[] = {
        {"file cannot be created", [](Bench& b) { b.memoryFiles_.FailNextFileCreation(); },
         BackupOutcome::CannotCreate, false},
        {"disk full half-way", [](Bench& b) { b.memoryFiles_.FailWritesAfter(60); },
         BackupOutcome::WriteFailed, false},
        {"disk full at once", [](Bench& b) { b.memoryFiles_.FailWritesAfter(0); },
         BackupOutcome::WriteFailed, false},
        {"flush fails", [](Bench& b) { b.faultyFiles_.FailCloses(ErrorCode::Io); },
         BackupOutcome::WriteFailed, false},
        {"file cannot be read back", [](Bench& b) { b.faultyFiles_.FailReads(ErrorCode::Io); },
         BackupOutcome::WriteFailed, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench;
        bench.SetValue("Software\\Vendor", "A", "a");
        bench.SetValue("Software\\Vendor\\Sub", "B", "b");
        bench.Add(MakeEntryText("Software\\Vendor", "A"));
        bench.Add(MakeEntryText("Software\\Vendor\\Sub"));
        const std::vector<std::string> rows = bench.RowTexts();
        c.inject(bench);

        CommandReport report = bench.Commands().MnuDelClick();

        EXPECT_TRUE(report.ran);
        EXPECT_EQ(report.backup, c.outcome);
        EXPECT_TRUE(report.BackupFailed());
        EXPECT_FALSE(report.backupError.empty());
        EXPECT_EQ(report.backupPath, InFolder("Clean.reg"));
        EXPECT_EQ(bench.memoryFiles_.FileExists(InFolder("Clean.reg")), c.fileLeft);
        EXPECT_TRUE(bench.ValueExists("Software\\Vendor", "A"));
        EXPECT_TRUE(bench.ValueExists("Software\\Vendor\\Sub", "B"));
        EXPECT_EQ(bench.RowTexts(), rows);  // untouched: no row marked "0"
        EXPECT_EQ(report.Count(EntryOutcome::NotDeleted), 2u);
        for (const EntryReport& entry : report.entries) {
            EXPECT_EQ(entry.reason, NotDeletedReason::BackupFailed);
        }
        EXPECT_EQ(bench.MessagesShown(), 0u);  // the window stays silent
    }
}

TEST_F(DeleteCommandsTest, AFailedCompactionKeepsTheWrittenFileAndDeletes) {
    SetValue("Software\\Vendor", "A", "a");
    SetValue("Software\\Vendor", "B", "b");
    Add(MakeEntryText("Software\\Vendor", "A"));
    Add(MakeEntryText("Software\\Vendor", "B"));
    faultyFiles_.FailMoves(ErrorCode::AccessDenied);  // the compacted file cannot take its place
    CommandReport report = Commands().MnuDelClick();
    EXPECT_EQ(report.backup, BackupOutcome::Written);
    EXPECT_FALSE(report.compacted);
    EXPECT_EQ(FileText(InFolder("Clean.reg")),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vendor]\r\n\"B\"=\"b\"\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software\\Vendor]\r\n\"A\"=\"a\"\r\n");
    EXPECT_EQ(report.Count(EntryOutcome::Deleted), 2u);
}

TEST_F(DeleteCommandsTest, AnEntryTheWrittenFileLacksIsNotDeleted) {
    SetValue("Software\\A", "a", "1");
    SetValue("Software\\B", "b", "2");
    Add(MakeEntryText("Software\\A", "a"));
    Add(MakeEntryText("Software\\B", "b"));
    // The last entry's section is written first; the disk keeps that one and loses the other.
    const std::string kept = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\B]\r\n\"b\"=\"2\"\r\n";
    files_.KeepOnly(kept.size());
    CommandReport report = Commands().MnuDelClick();
    EXPECT_EQ(report.backup, BackupOutcome::Written);
    ASSERT_EQ(report.entries.size(), 2u);
    EXPECT_EQ(report.entries[0].reason, NotDeletedReason::NotInBackup);
    EXPECT_EQ(report.entries[1].outcome, EntryOutcome::Deleted);
    EXPECT_TRUE(ValueExists("Software\\A", "a"));
    EXPECT_FALSE(ValueExists("Software\\B", "b"));
    ASSERT_EQ(results_.RowCount(), 1u);
    EXPECT_EQ(results_.Row(0).text.back(), '0');
}

TEST_F(DeleteCommandsTest, TwoCleansOnTheSamePageKeepBothBackups) {
    for (int round = 0; round < 3; ++round) {
        SetValue("Software\\Vendor", "A", std::to_string(round));
        Add(MakeEntryText("Software\\Vendor", "A"));
        CommandReport report = Commands().MnuDelClick();
        EXPECT_EQ(report.Count(EntryOutcome::Deleted), 1u);
    }
    EXPECT_EQ(BackupFiles(), (std::vector<std::string>{"Clean-05-12-2026-17.42.10 (2).reg",
                                                       "Clean-05-12-2026-17.42.10.reg",
                                                       "Clean.reg"}));
    EXPECT_NE(FileText(InFolder("Clean.reg")).find("\"A\"=\"0\""), std::string::npos);
    EXPECT_NE(FileText(InFolder("Clean-05-12-2026-17.42.10.reg")).find("\"A\"=\"1\""),
              std::string::npos);
    EXPECT_NE(FileText(InFolder("Clean-05-12-2026-17.42.10 (2).reg")).find("\"A\"=\"2\""),
              std::string::npos);
    // The name dialog proposed the free name each time.
    std::vector<std::string> proposed;
    for (const RecordedPrompt& call : prompts_.Calls()) {
        if (call.kind == RecordedPrompt::Kind::Name) proposed.push_back(call.proposed);
    }
    EXPECT_EQ(proposed, (std::vector<std::string>{"Clean.reg", "Clean-05-12-2026-17.42.10.reg",
                                                  "Clean-05-12-2026-17.42.10 (2).reg"}));
}

TEST_F(DeleteCommandsTest, TheNameDialogAndAutoMode) {
    struct Case {
        std::optional<std::string> typed;  // nothing: auto mode
        std::string file;
    };
    const Case cases[] = {
        {"before cleaning", InFolder("before cleaning.reg")},
        {"..\\..\\Windows\\evil", InFolder(".._.._Windows_evil.reg")},
        {"C:\\Elsewhere\\mine.REG", "C:\\Elsewhere\\mine.REG"},
        {std::nullopt, InFolder("Clean.reg")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Bench bench;
        ASSERT_TRUE(bench.memoryFiles_.AddDirectories("C:\\Elsewhere").ok());
        bench.SetValue("Software\\Vendor", "A", "a");
        bench.Add(MakeEntryText("Software\\Vendor", "A"));
        DeleteCommands commands = bench.Commands();
        if (c.typed) {
            bench.prompts_.QueueName(*c.typed);
        } else {
            commands.autoMode = true;
        }
        CommandReport report = commands.MnuDelClick();
        EXPECT_EQ(report.backupPath, c.file);
        EXPECT_TRUE(bench.memoryFiles_.FileExists(c.file));
        EXPECT_EQ(report.Count(EntryOutcome::Deleted), 1u);
        EXPECT_EQ(bench.prompts_.Calls().size(), c.typed ? 2u : 0u);
    }
}

TEST_F(DeleteCommandsTest, ASecondClickWhileTheCommandRunsDoesNothing) {
    // The window processes messages between entries; one of them may be the Delete key again.
    class ClickingPrompts final : public Prompts {
    public:
        PromptAnswer Ask(std::string_view, std::string_view, PromptButtons) override {
            return PromptAnswer::Ok;
        }
        std::string AskName(std::string_view, std::string_view, std::string_view proposed) override {
            return std::string(proposed);
        }
        void PumpEvents() override {
            if (commands == nullptr) return;
            CommandReport inner = commands->MnuDelClick();
            innerRuns += inner.ran ? 1 : 0;
            inner = commands->MnuExpClick();
            innerRuns += inner.ran ? 1 : 0;
        }
        DeleteCommands* commands = nullptr;
        int innerRuns = 0;
    };
    SetValue("Software\\Vendor", "A", "a");
    SetValue("Software\\Vendor", "B", "b");
    Add(MakeEntryText("Software\\Vendor", "A"));
    Add(MakeEntryText("Software\\Vendor", "B"));
    ClickingPrompts prompts;
    DeleteCommands commands(platform_, registry_, window_, results_, prompts,
                            std::string(kBackupFolder));
    prompts.commands = &commands;
    CommandReport report = commands.MnuDelClick();
    EXPECT_EQ(prompts.innerRuns, 0);
    EXPECT_EQ(report.Count(EntryOutcome::Deleted), 2u);
    EXPECT_EQ(BackupFiles(), std::vector<std::string>{"Clean.reg"});
}

TEST_F(DeleteCommandsTest, ThePlanChangesNothingAndNamesTheFileARunWrites) {
    SetValue("Software\\Vendor", "A", "a");
    ASSERT_TRUE(memoryFiles_.AddFile(InFolder("Clean.reg"), "earlier").ok());
    Add(MakeEntryText("Software\\Vendor", "A"));
    DeleteCommands commands = Commands();
    CommandReport plan = commands.PlanMnuDelClick();
    EXPECT_TRUE(plan.ran);
    EXPECT_EQ(plan.backupPath, InFolder("Clean-05-12-2026-17.42.10.reg"));
    ASSERT_EQ(plan.entries.size(), 1u);
    EXPECT_EQ(plan.entries[0].outcome, EntryOutcome::Planned);
    EXPECT_TRUE(ValueExists("Software\\Vendor", "A"));
    EXPECT_EQ(BackupFiles(), std::vector<std::string>{"Clean.reg"});
    EXPECT_EQ(results_.RowCount(), 1u);

    CommandReport run = commands.MnuDelClick();
    EXPECT_EQ(run.backupPath, plan.backupPath);
    EXPECT_EQ(FileText(InFolder("Clean.reg")), "earlier");
}

TEST(BackupPageOfTest, TheViewNamesThePage) {
    struct Case {
        ActiveView view;
        bool scanMode;
        BackupPageKind kind;
    };
    const Case cases[] = {
        {ActiveView::RegistryResults, true, BackupPageKind::RegistryCleaner},
        {ActiveView::RegistryResults, false, BackupPageKind::Other},  // a search's results
        {ActiveView::Services, false, BackupPageKind::Services},
        {ActiveView::Drivers, false, BackupPageKind::Drivers},
        {ActiveView::StartupEntries, false, BackupPageKind::TitledList},
        {ActiveView::InternetExplorerAddOns, false, BackupPageKind::TitledList},
        {ActiveView::None, false, BackupPageKind::Other},
    };
    for (const Case& c : cases) {
        MainWindowState window;
        window.view = c.view;
        window.scanMode = c.scanMode;
        window.pageTitle = "Title";
        EXPECT_EQ(BackupPageOf(window).kind, c.kind) << static_cast<int>(c.view);
        EXPECT_EQ(BackupPageOf(window).title, "Title");
    }
}

// The tools list's half goes through its seam, in the same order: confirm, back up, read back,
// then delete.
TEST_F(DeleteCommandsTest, ToolListPagesGoThroughTheirSeam) {
    class RecordingToolList final : public ToolListCommands {
    public:
        bool HasSelection() const override { return selected; }
        void ExportSelected(RegExportWriter& backup) override {
            calls.push_back("export");
            backup.ExportKey(RegRoot::LocalMachine, "System\\CurrentControlSet\\Services\\Gone");
        }
        void DeleteSelected(const BackupContents* backup) override {
            calls.push_back("delete");
            heldService = backup != nullptr &&
                          backup->HoldsKey(RegRoot::LocalMachine,
                                           "System\\CurrentControlSet\\Services\\Gone");
        }
        bool selected = true;
        bool heldService = false;
        std::vector<std::string> calls;
    };
    {
        RegistryProvider reg(registry_);
        reg.SetRootKey(RegRoot::LocalMachine);
        ASSERT_TRUE(reg.OpenKey("\\System\\CurrentControlSet\\Services\\Gone", true));
        reg.WriteString("ImagePath", "C:\\gone.sys");
    }
    window_.view = ActiveView::Services;
    RecordingToolList tools;
    DeleteCommands commands = Commands();
    EXPECT_FALSE(commands.MnuDelClick().ran);  // no tools list yet: nothing happens
    EXPECT_TRUE(prompts_.Calls().empty());

    commands.toolList = &tools;
    CommandReport report = commands.MnuDelClick();
    EXPECT_EQ(tools.calls, (std::vector<std::string>{"export", "delete"}));
    EXPECT_TRUE(tools.heldService);
    EXPECT_EQ(prompts_.Calls().at(0).caption, "Kestrover : SERVICE / DRIVER");
    EXPECT_EQ(report.backupPath, InFolder("Service-05-12-2026-17.42.10.reg"));

    prompts_.QueueAnswer(PromptAnswer::Cancel);
    tools.calls.clear();
    EXPECT_TRUE(commands.MnuDelClick().cancelled);
    EXPECT_TRUE(tools.calls.empty());
}

TEST_F(DeleteCommandsTest, ExportSkipsWhatItMustAndDeletesNothing) {
    SetValue("Software\\Vendor", "", "d");
    SetValue("Software\\Vendor", "A", "a");
    SetValue("Software\\Vendor", "B", "b");
    SetValue("Software\\Links", "x.lnk", "");
    SetValue("Software\\Links", "y.LNK", "C:\\y.exe");
    Add(MakeEntryText("Software\\Vendor", "A"));
    Add(MakeEntryText("Software\\Links", "x.lnk"));                // shortcut, no data
    Add(MakeEntryText("Software\\Links", "y.LNK", "C:\\y.exe"));  // shortcut with data
    Add(MakeEntryText("Software\\Vendor", "(default)"));           // the whole key
    CommandReport report = Commands().MnuExpClick();

    EXPECT_EQ(report.backup, BackupOutcome::Written);
    std::vector<EntryOutcome> outcomes;
    for (const EntryReport& entry : report.entries) outcomes.push_back(entry.outcome);
    EXPECT_EQ(outcomes, (std::vector<EntryOutcome>{EntryOutcome::Exported, EntryOutcome::Skipped,
                                                   EntryOutcome::Exported, EntryOutcome::Exported}));
    // First to last, compacted: a key whose sections another key separates is written once
    // per run, each run with the values of its own and of every later section.
    EXPECT_EQ(FileText(report.backupPath),
              "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Vendor]\r\n\"A\"=\"a\"\r\n"
              "@=\"d\"\r\n\"A\"=\"a\"\r\n\"B\"=\"b\"\r\n"
              "[HKEY_CURRENT_USER\\Software\\Links]\r\n\"y.LNK\"=\"C:\\\\y.exe\"\r\n"
              "[HKEY_CURRENT_USER\\Software\\Vendor]\r\n@=\"d\"\r\n\"A\"=\"a\"\r\n"
              "\"B\"=\"b\"\r\n");
    const RecordedPrompt& last = prompts_.Calls().back();
    EXPECT_EQ(last.caption, "Confirmation");
    EXPECT_EQ(last.text, "Export Done !");
    EXPECT_EQ(last.buttons, PromptButtons::Ok);
    EXPECT_TRUE(ValueExists("Software\\Vendor", "A"));
    EXPECT_EQ(results_.RowCount(), 4u);
}

TEST(ExportSkipTest, RowsTheExportLeavesOut) {
    struct Case {
        std::string text;
        bool skipped;
    };
    const Case cases[] = {
        {"0|1|Software\\Vendor||A", false},
        {"1|1|Software\\Vendor||A", false},
        // Rows of other features whose first field is no stripe digit, compared as text.
        {"2|1|Software\\Vendor||A", true},
        {"9|1|Software\\Vendor||A", true},
        {"10|1|Software\\Vendor||A", false},  // "10" sorts before "2"
        {"|1|Software\\Vendor||A", false},
        // Shortcut entries without data; any case of ".lnk".
        {"0|1|Software\\Links||x.lnk", true},
        {"0|1|Software\\Links||x.LNK|||", true},
        {"0|1|Software\\Links||x.lnk|||C:\\x.exe", false},
        {"0|1|Software\\Links||x.lnk.bak", false},
        // A row that names no root names nothing to export.
        {"0|7|Software\\Vendor||A", true},
    };
    for (const Case& c : cases) EXPECT_EQ(SkippedByExport(c.text), c.skipped) << c.text;
}

TEST_F(DeleteCommandsTest, AFailedExportIsNotReportedDone) {
    SetValue("Software\\Vendor", "A", "a");
    Add(MakeEntryText("Software\\Vendor", "A"));
    memoryFiles_.FailWritesAfter(5);
    CommandReport report = Commands().MnuExpClick();
    EXPECT_EQ(report.backup, BackupOutcome::WriteFailed);
    EXPECT_EQ(MessagesShown(), 0u);
    EXPECT_TRUE(BackupFiles().empty());
}

// Clean then restore gives the registry back: every kind of entry over a random branch with
// every value type, names and texts in any script.
TEST_F(DeleteCommandsTest, CleanThenRestoreGivesTheRegistryBack) {
    testing::RandomRegistryGenerator generator(20261205);
    testing::RandomBranchShape shape;
    shape.maxDepth = 4;
    shape.maxKeys = 40;
    for (int branch = 0; branch < 8; ++branch) {
        generator.Generate(memory_, RegRoot::CurrentUser,
                           "Software\\Random\\Branch" + std::to_string(branch), shape);
    }
    SetValue("Software\\Random\\Plain", "", "C:\\gone\\app.exe");
    SetValue("Software\\Random\\Plain", "Named", "x");

    auto sorted = [](testing::BranchSnapshot snapshot) {
        for (testing::SnapshotKey& key : snapshot.keys) {
            std::sort(key.values.begin(), key.values.end(),
                      [](const RegistryValue& a, const RegistryValue& b) { return a.name < b.name; });
        }
        return snapshot;
    };
    const testing::BranchSnapshot before =
        sorted(testing::SnapshotBranch(memory_, RegRoot::CurrentUser, "Software"));

    // Entries of every case, in the order the branch enumerates: whole keys, named values,
    // default values shown as "(default)", default values with data, default values alone.
    int kind = 0;
    for (const testing::SnapshotKey& key : before.keys) {
        if (key.path.empty() || key.path.starts_with("Random\\Plain")) continue;
        const std::string path = "Software\\" + key.path;
        CategoryFlags flags;
        flags.Set(ResultCategory::MissingFile);
        switch (kind++ % 3) {
            case 0: (void)results_.AddScanEntry(MakeEntryText(path), 1, flags, {}); break;
            case 1:
                for (const RegistryValue& value : key.values) {
                    CategoryFlags valueFlags = flags;
                    std::string name = value.name.empty() ? "(default)" : value.name;
                    (void)results_.AddScanEntry(MakeEntryText(path, name), 1, valueFlags, {});
                }
                break;
            default: (void)results_.AddScanEntry(MakeEntryText(path, "", "data"), 1, flags, {});
        }
    }
    Add(MakeEntryText("Software\\Random\\Plain", ""));
    Add(MakeEntryText("Software\\Random\\Plain", "Named"));
    results_.SelectAll();
    ASSERT_GT(results_.RowCount(), 10u);

    CommandReport report = Commands().MnuDelClick();
    ASSERT_EQ(report.backup, BackupOutcome::Written);
    EXPECT_GT(report.Count(EntryOutcome::Deleted), 10u);
    for (const EntryReport& entry : report.entries) {
        // What is not deleted was gone already (a key deleted whole took it along).
        if (entry.outcome != EntryOutcome::Deleted) {
            EXPECT_EQ(entry.reason, NotDeletedReason::Missing) << entry.text;
        }
    }
    EXPECT_FALSE(ValueExists("Software\\Random\\Plain", "Named"));
    EXPECT_NE(testing::FirstDifference(
                  before, sorted(testing::SnapshotBranch(memory_, RegRoot::CurrentUser, "Software"))),
              std::nullopt);

    RegExportReader reader(registry_, memoryFiles_);
    ASSERT_TRUE(reader.LoadExportFile(report.backupPath, LoadMode::Restore).ok());
    EXPECT_FALSE(reader.Failed());
    EXPECT_FALSE(reader.SectionsAbandoned());
    EXPECT_EQ(testing::FirstDifference(
                  before, sorted(testing::SnapshotBranch(memory_, RegRoot::CurrentUser, "Software"))),
              std::nullopt);
}

}  // namespace
}  // namespace kestrover
