// The backups page: the list and its order, view (never a write), restore, stop, "Show
// Protected", opening a node in the registry editor, deleting backups, and bad backup files.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/BackupsPage.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/memory/MemoryShell.h"
#include "support/MemoryPlatform.h"
#include "support/ScriptedPrompts.h"

namespace kestrover {
namespace {

constexpr const char* kFolder = "C:\\Kestrover\\Backup\\";

// Answers every question with OK and runs a hook at each message pump, so that a test can
// press a button while a load runs.
class PumpHookPrompts final : public Prompts {
public:
    PromptAnswer Ask(std::string_view, std::string_view, PromptButtons) override {
        ++questions;
        return PromptAnswer::Ok;
    }
    std::string AskName(std::string_view, std::string_view, std::string_view proposed) override {
        return std::string(proposed);
    }
    void PumpEvents() override {
        ++pumps;
        if (onPump) onPump(pumps);
    }

    std::function<void(int pump)> onPump;
    int pumps = 0;
    int questions = 0;
};

std::string RegFile(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

class BackupsPageTest : public ::testing::Test, protected testing::MemoryPlatformParts {
protected:
    void AddBackup(const std::string& name, const std::string& content,
                   const LocalDateTime& written = {2026, 3, 5, 9, 7, 3}) {
        const std::string path = kFolder + name;
        ASSERT_TRUE(files_.AddFile(path, content).ok()) << path;
        const std::uint64_t time = DateTimeToFileTime(written);
        ASSERT_TRUE(files_.SetFileTimes(path, time, time, time).ok()) << path;
    }

    void AddKey(std::string_view path,
                std::initializer_list<std::pair<const char*, const char*>> values = {}) {
        RegistryProvider reg(registry_);
        reg.SetRootKey(RegRoot::CurrentUser);
        ASSERT_TRUE(reg.OpenKey("\\" + std::string(path), true)) << path;
        for (const auto& [name, text] : values) reg.WriteString(name, text);
    }

    std::optional<std::string> ReadValue(std::string_view path, std::string_view name) {
        RegistryProvider reg(registry_);
        reg.SetRootKey(RegRoot::CurrentUser);
        if (!reg.OpenKeyReadOnly("\\" + std::string(path)) || !reg.ValueExists(name)) {
            return std::nullopt;
        }
        return reg.ReadString(name);
    }

    // Opens the page and selects the row of the named file.
    void OpenAndSelect(const std::string& name) {
        page_.btBackClick();
        for (std::size_t i = 0; i < page_.Rows().size(); ++i) {
            if (page_.Rows()[i].file.name == name) {
                page_.SelectOnly(i);
                return;
            }
        }
        FAIL() << name << " is not listed";
    }

    std::vector<std::string> RowNames() const {
        std::vector<std::string> names;
        for (const BackupRow& row : page_.Rows()) names.push_back(row.file.name);
        return names;
    }

    std::vector<std::string> TreeTexts() const {
        std::vector<std::string> texts;
        for (const ExportNode& key : page_.Tree()) {
            texts.push_back(key.text);
            for (const ExportNode& value : key.children) texts.push_back("  " + value.text);
        }
        return texts;
    }

    RegistryContext registry_{memory_, {true, true}, nullptr};
    MainWindowState window_;
    ListColumnSort sort_;
    PumpHookPrompts prompts_;
    BackupsPage page_{platform_, registry_, window_, sort_, prompts_, kFolder};
};

const std::string kSimpleBackup = RegFile({
    "REGEDIT4",
    "",
    "[HKEY_CURRENT_USER\\Software\\Vendor]",
    "\"Path\"=\"C:\\\\Program Files\\\\Vendor\\\\app.exe\"",
    "@=\"Vendor default\"",
    "",
    "[HKEY_CURRENT_USER\\Software\\Vendor\\Empty]",
});

TEST_F(BackupsPageTest, OpeningThePageListsNewestFirstEveryTime) {
    AddBackup("Old.reg", kSimpleBackup, {2025, 11, 2, 8, 0, 0});
    AddBackup("New.reg", kSimpleBackup, {2026, 3, 5, 21, 7, 3});
    AddBackup("Mid.reg", kSimpleBackup, {2026, 3, 5, 9, 15, 0});
    AddBackup("notes.txt", "not a backup");
    // A 12-hour clock: as text "9:15:00 AM" would sort above "9:07:03 PM".
    clock_.SetTimeFormat("h:mm:ss tt");
    window_.status = {"old status", MainWindowState::kStatusRed};
    window_.view = ActiveView::Services;

    for (int visit = 1; visit <= 3; ++visit) {
        SCOPED_TRACE("visit " + std::to_string(visit));
        page_.btBackClick();
        EXPECT_EQ(RowNames(), (std::vector<std::string>{"New.reg", "Mid.reg", "Old.reg"}));
        EXPECT_EQ(page_.Rows()[0].file.dateText, "2026/03/05   9:07:03 PM");
        EXPECT_EQ(window_.title, "3 Items");
        EXPECT_EQ(window_.pageTitle, "Backups");
        EXPECT_EQ(window_.status.text, page_.texts.hint);
        EXPECT_EQ(window_.status.colour, MainWindowState::kStatusGrey);
        EXPECT_EQ(window_.view, ActiveView::None);
        EXPECT_FALSE(page_.RestoreEnabled());
        EXPECT_FALSE(page_.StopEnabled());
        EXPECT_FALSE(page_.ProtectEnabled());
        EXPECT_TRUE(page_.Tree().empty());
        page_.lvbColumnClick(1);  // the user reverses the order before leaving
        EXPECT_EQ(RowNames(), (std::vector<std::string>{"Old.reg", "Mid.reg", "New.reg"}));
    }
}

TEST_F(BackupsPageTest, MissingFolderGivesAnEmptyList) {
    page_.btBackClick();
    EXPECT_TRUE(page_.Rows().empty());
    EXPECT_EQ(window_.title, "0 Items");
    EXPECT_FALSE(page_.RestoreEnabled());
    EXPECT_TRUE(page_.lvbDblClick().ok());  // nothing selected: nothing happens
    EXPECT_TRUE(page_.Tree().empty());
}

TEST_F(BackupsPageTest, SizesShowAndSortInOrder) {
    AddBackup("Large.reg", std::string(3145728, 'x'), {2026, 1, 1, 0, 0, 1});
    AddBackup("Small.reg", std::string(512, 'x'), {2026, 1, 1, 0, 0, 3});
    AddBackup("Medium.reg", std::string(2048, 'x'), {2026, 1, 1, 0, 0, 2});
    page_.btBackClick();
    auto sizes = [this] {
        std::vector<std::string> texts;
        for (const BackupRow& row : page_.Rows()) texts.push_back(row.file.sizeText);
        return texts;
    };
    page_.lvbColumnClick(2);  // another column keeps the direction: largest first
    EXPECT_EQ(sizes(), (std::vector<std::string>{"3.00 MB", "2.00 KB", "512 bytes"}));
    page_.lvbColumnClick(2);
    EXPECT_EQ(sizes(), (std::vector<std::string>{"512 bytes", "2.00 KB", "3.00 MB"}));
    page_.lvbColumnClick(0);
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"Large.reg", "Medium.reg", "Small.reg"}));
}

TEST_F(BackupsPageTest, RestoreEnabledExactlyWhenARowIsSelectedAndNothingLoads) {
    AddBackup("A.reg", kSimpleBackup);
    AddBackup("B.reg", kSimpleBackup);
    page_.btBackClick();
    EXPECT_FALSE(page_.RestoreEnabled());
    page_.SelectRow(1);
    EXPECT_TRUE(page_.RestoreEnabled());
    page_.SelectRow(0);
    page_.SelectRow(1, false);
    EXPECT_TRUE(page_.RestoreEnabled());
    page_.ClearSelection();
    EXPECT_FALSE(page_.RestoreEnabled());

    page_.SelectOnly(0);
    bool checked = false;
    prompts_.onPump = [&](int) {
        EXPECT_TRUE(page_.Loading());
        EXPECT_FALSE(page_.RestoreEnabled());
        EXPECT_TRUE(page_.StopEnabled());
        EXPECT_TRUE(page_.ProgressVisible());
        page_.lvbChange();  // a selection change during the load leaves it disabled
        EXPECT_FALSE(page_.RestoreEnabled());
        checked = true;
    };
    ASSERT_TRUE(page_.lvbDblClick().ok());
    EXPECT_TRUE(checked);
    EXPECT_TRUE(page_.RestoreEnabled());
    EXPECT_FALSE(page_.StopEnabled());
    EXPECT_FALSE(page_.ProgressVisible());
    EXPECT_EQ(page_.ProgressMaximum(), 0u);
}

TEST_F(BackupsPageTest, DoubleClickShowsTheContentAndNeverWritesTheRegistry) {
    AddKey("Software\\Vendor", {{"Path", "C:\\Other\\app.exe"}});
    AddKey("Software\\Denied");
    ASSERT_TRUE(memory_.SetWriteDenied(PredefinedKey::CurrentUser, "Software\\Denied", true));
    AddBackup("Clean.reg", kSimpleBackup + RegFile({"[HKEY_CURRENT_USER\\Software\\Denied]",
                                                    "\"v\"=dword:00000001"}));
    OpenAndSelect("Clean.reg");
    const std::uint64_t changes = memory_.ChangeCount();
    ASSERT_TRUE(page_.lvbDblClick().ok());
    EXPECT_EQ(memory_.ChangeCount(), changes);
    EXPECT_EQ(ReadValue("Software\\Vendor", "Path"), "C:\\Other\\app.exe");
    EXPECT_FALSE(ReadValue("Software\\Vendor\\Empty", "").has_value());
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{
                               "[HKEY_CURRENT_USER\\Software\\Vendor]",
                               "  Path=C:\\Program Files\\Vendor\\app.exe",
                               "  (default)=Vendor default",
                               "[HKEY_CURRENT_USER\\Software\\Vendor\\Empty]",
                               "[HKEY_CURRENT_USER\\Software\\Denied]",
                               "  v=00000001",
                           }));
    for (const ExportNode& key : page_.Tree()) {
        EXPECT_EQ(key.status, ExportNodeStatus::RootIcon) << key.text;
        for (const ExportNode& value : key.children) {
            EXPECT_EQ(value.status, ExportNodeStatus::ViewOnly) << value.text;
        }
    }
    EXPECT_FALSE(page_.ProtectEnabled());
    EXPECT_EQ(prompts_.questions, 0);
}

TEST_F(BackupsPageTest, RestoreWritesWithoutAskingAndMarksEveryNode) {
    AddKey("Software\\Vendor", {{"Path", "C:\\Other\\app.exe"}});
    AddBackup("Clean.reg", kSimpleBackup);
    OpenAndSelect("Clean.reg");
    ASSERT_TRUE(page_.btrgo2Click().ok());
    EXPECT_EQ(prompts_.questions, 0);
    EXPECT_EQ(ReadValue("Software\\Vendor", "Path"), "C:\\Program Files\\Vendor\\app.exe");
    EXPECT_EQ(ReadValue("Software\\Vendor", ""), "Vendor default");
    EXPECT_FALSE(ReadValue("Software\\Vendor", "KestroverWritingTest").has_value());
    ASSERT_EQ(page_.Tree().size(), 2u);
    EXPECT_EQ(page_.Tree()[0].status, ExportNodeStatus::Writable);
    EXPECT_EQ(page_.Tree()[1].status, ExportNodeStatus::Created);
    for (const ExportNode& value : page_.Tree()[0].children) {
        EXPECT_EQ(value.status, ExportNodeStatus::Restored) << value.text;
    }
    EXPECT_FALSE(page_.ProtectEnabled());
    page_.btProtect2Click();  // disabled: nothing filtered
    EXPECT_EQ(page_.Tree().size(), 2u);
}

TEST_F(BackupsPageTest, ShowProtectedKeepsTheFailedKeyAndItsValues) {
    AddKey("Software\\Locked", {{"Old", "kept"}});
    AddKey("Software\\Open");
    ASSERT_TRUE(memory_.SetWriteDenied(PredefinedKey::CurrentUser, "Software\\Locked", true));
    AddBackup("Clean.reg", RegFile({
                               "REGEDIT4",
                               "",
                               "[HKEY_CURRENT_USER\\Software\\Open]",
                               "\"a\"=\"1\"",
                               "",
                               "[HKEY_CURRENT_USER\\Software\\Locked]",
                               "\"Old\"=\"restored?\"",
                               "\"New\"=dword:0000002a",
                               "",
                               "[HKEY_CURRENT_USER\\Software\\Fresh\\Sub]",
                               "\"b\"=\"2\"",
                           }));
    OpenAndSelect("Clean.reg");
    ASSERT_TRUE(page_.btrgo2Click().ok());
    EXPECT_EQ(ReadValue("Software\\Open", "a"), "1");
    EXPECT_EQ(ReadValue("Software\\Fresh\\Sub", "b"), "2");
    EXPECT_EQ(ReadValue("Software\\Locked", "Old"), "kept");
    EXPECT_TRUE(page_.LastLoadFailed());
    ASSERT_TRUE(page_.ProtectEnabled());

    page_.btProtect2Click();
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{
                               "[HKEY_CURRENT_USER\\Software\\Locked]",
                               "  Old=restored?",
                               "  New=0000002a",
                           }));
    EXPECT_EQ(page_.Tree()[0].status, ExportNodeStatus::Failed);
    for (const ExportNode& value : page_.Tree()[0].children) {
        EXPECT_EQ(value.status, ExportNodeStatus::ViewOnly) << value.text;
    }
    EXPECT_FALSE(page_.ProtectEnabled());

    // A view afterwards reads the whole file again and leaves the button disabled.
    ASSERT_TRUE(page_.lvbDblClick().ok());
    EXPECT_EQ(page_.Tree().size(), 3u);
    EXPECT_FALSE(page_.ProtectEnabled());
}

TEST_F(BackupsPageTest, StopEndsTheLoadAfterTheKeyInProgress) {
    AddBackup("Clean.reg", RegFile({
                               "REGEDIT4",
                               "[HKEY_CURRENT_USER\\Software\\First]",
                               "\"a\"=\"1\"",
                               "\"b\"=\"2\"",
                               "[HKEY_CURRENT_USER\\Software\\Second]",
                               "\"c\"=\"3\"",
                               "[HKEY_CURRENT_USER\\Software\\Third]",
                               "\"d\"=\"4\"",
                           }));
    OpenAndSelect("Clean.reg");
    // Pump 1 comes before the load, 2 at the first key, 3 at its first value.
    prompts_.onPump = [this](int pump) {
        if (pump == 3) page_.btrstop2Click();
    };
    ASSERT_TRUE(page_.btrgo2Click().ok());
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{
                               "[HKEY_CURRENT_USER\\Software\\First]",
                               "  a=1",
                               "  b=2",
                           }));
    EXPECT_EQ(ReadValue("Software\\First", "b"), "2");
    EXPECT_FALSE(ReadValue("Software\\Second", "c").has_value());
    EXPECT_FALSE(page_.Loading());
    EXPECT_FALSE(page_.StopEnabled());
    EXPECT_TRUE(page_.RestoreEnabled());
    EXPECT_FALSE(page_.ProgressVisible());

    // The next load starts afresh and reads the whole file.
    prompts_.onPump = nullptr;
    ASSERT_TRUE(page_.lvbDblClick().ok());
    EXPECT_EQ(page_.Tree().size(), 3u);
}

TEST_F(BackupsPageTest, NoSecondLoadStartsDuringALoad) {
    AddBackup("Clean.reg", kSimpleBackup);
    AddBackup("Other.reg", RegFile({"[HKEY_CURRENT_USER\\Software\\Other]", "\"x\"=\"y\""}));
    OpenAndSelect("Clean.reg");
    int refused = 0;
    prompts_.onPump = [&](int pump) {
        if (pump != 2) return;
        page_.SelectOnly(1 - *page_.SelectedRow());
        if (!page_.btrgo2Click().ok()) ++refused;
        if (!page_.lvbDblClick().ok()) ++refused;
    };
    ASSERT_TRUE(page_.lvbDblClick().ok());
    EXPECT_EQ(refused, 2);
    EXPECT_FALSE(ReadValue("Software\\Other", "x").has_value());
    EXPECT_EQ(page_.Tree().size(), 2u);
    EXPECT_EQ(page_.Tree()[0].text, "[HKEY_CURRENT_USER\\Software\\Vendor]");
}

TEST_F(BackupsPageTest, BadBackupFilesShowWhatTheyCanAndRestoreNothingWrong) {
    struct Case {
        const char* what;
        std::string content;
        std::size_t keyNodes;  // kAny: whatever the reader makes of it
    };
    constexpr std::size_t kAny = static_cast<std::size_t>(-1);
    std::string binary;
    for (int i = 0; i < 600; ++i) binary += static_cast<char>((i * 37) % 256);
    const Case cases[] = {
        {"empty", "", 0},
        {"blank lines", "\r\n\r\n   \r\n", 0},
        {"text", RegFile({"hello", "this is = not a backup", "\"x\"=\"y\""}), 1},
        {"binary", binary, kAny},
        {"unclosed header",
         RegFile({"REGEDIT4", "[HKEY_CURRENT_USER\\Software\\Half", "\"v\"=\"1\""}), 1},
        {"unknown root", RegFile({"[HKEY_NOWHERE\\Software\\X]", "\"v\"=\"1\""}), 1},
        {"no root", RegFile({"[Software\\X]", "\"v\"=\"1\""}), 1},
        {"doubled separator", RegFile({"[HKEY_CURRENT_USER\\Software\\\\X]", "\"v\"=\"1\""}), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AddBackup("Junk.reg", c.content);
        OpenAndSelect("Junk.reg");
        const std::uint64_t changes = memory_.ChangeCount();
        ASSERT_TRUE(page_.lvbDblClick().ok());
        if (c.keyNodes != kAny) {
            EXPECT_EQ(page_.Tree().size(), c.keyNodes);
        }
        ASSERT_TRUE(page_.btrgo2Click().ok());
        if (c.keyNodes != kAny) {
            EXPECT_EQ(page_.Tree().size(), c.keyNodes);
        }
        EXPECT_EQ(memory_.ChangeCount(), changes);
        EXPECT_FALSE(page_.Loading());
        EXPECT_TRUE(page_.RestoreEnabled());
        ASSERT_TRUE(files_.DeleteFile(std::string(kFolder) + "Junk.reg").ok());
    }
}

TEST_F(BackupsPageTest, ValuesAfterBadDataInASectionAreNotWritten) {
    AddBackup("Half.reg", RegFile({
                              "[HKEY_CURRENT_USER\\Software\\Half]",
                              "\"good\"=\"1\"",
                              "\"bad\"=hex:zz,01",
                              "\"after\"=\"2\"",
                              "[HKEY_CURRENT_USER\\Software\\Next]",
                              "\"n\"=dword:00000005",
                          }));
    OpenAndSelect("Half.reg");
    ASSERT_TRUE(page_.btrgo2Click().ok());
    EXPECT_EQ(ReadValue("Software\\Half", "good"), "1");
    EXPECT_FALSE(ReadValue("Software\\Half", "after").has_value());
    RegistryProvider reg(registry_);
    reg.SetRootKey(RegRoot::CurrentUser);
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Next"));
    EXPECT_EQ(reg.ReadInteger("n"), 5u);
    EXPECT_TRUE(page_.LastLoadAbandonedValues());
    EXPECT_FALSE(page_.ProtectEnabled());
}

TEST_F(BackupsPageTest, UnreadableBackupLeavesThePageIdle) {
    AddBackup("Gone.reg", kSimpleBackup);
    OpenAndSelect("Gone.reg");
    ASSERT_TRUE(files_.DeleteFile(std::string(kFolder) + "Gone.reg").ok());
    EXPECT_FALSE(page_.lvbDblClick().ok());
    EXPECT_TRUE(page_.Tree().empty());
    EXPECT_FALSE(page_.Loading());
    EXPECT_FALSE(page_.StopEnabled());
    EXPECT_TRUE(page_.RestoreEnabled());
}

TEST_F(BackupsPageTest, DoubleClickOnATreeNodeOpensItsKeyAndValue) {
    AddBackup("Clean.reg", RegFile({
                               "[HKEY_CURRENT_USER\\Software\\Vendor]",
                               "\"Path\"=\"C:\\\\app.exe\"",
                               "@=\"default text\"",
                               "[HKEY_LOCAL_MACHINE\\Software\\Empty]",
                               "[HKEY_CLASSES_ROOT\\.txt]",
                               "@=\"txtfile\"",
                               "[nothing known]",
                           }));
    OpenAndSelect("Clean.reg");
    ASSERT_TRUE(page_.lvbDblClick().ok());
    struct Case {
        TreeNodeIndex node;
        bool opens;
        RegRoot root = RegRoot::CurrentUser;
        const char* rootName = "";
        const char* keyPath = "";
        const char* valueName = "";
    };
    const Case cases[] = {
        {{0, 0}, true, RegRoot::CurrentUser, "HKEY_CURRENT_USER", "Software\\Vendor", "Path"},
        {{0, 1}, true, RegRoot::CurrentUser, "HKEY_CURRENT_USER", "Software\\Vendor", "(default)"},
        {{0, {}}, false},  // a key with values
        {{1, {}}, true, RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "Software\\Empty", ""},
        {{2, 0}, true, RegRoot::ClassesRoot, "HKEY_CLASSES_ROOT", ".txt", "(default)"},
        {{3, {}}, false},  // no root
        {{0, 5}, false},
        {{9, {}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("key " + std::to_string(c.node.key) + " value " +
                     (c.node.value ? std::to_string(*c.node.value) : "-"));
        std::vector<RegistryEditorTarget> opened;
        page_.openInRegistryEditor = [&](const RegistryEditorTarget& target) {
            opened.push_back(target);
        };
        page_.TVBDblClick(c.node);
        if (!c.opens) {
            EXPECT_TRUE(opened.empty());
            continue;
        }
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0].root, c.root);
        EXPECT_EQ(opened[0].rootName, c.rootName);
        EXPECT_EQ(opened[0].keyPath, c.keyPath);
        EXPECT_EQ(opened[0].valueName, c.valueName);
    }
    page_.openInRegistryEditor = nullptr;
    page_.TVBDblClick({0, 0});  // no editor to open: nothing happens
}

TEST_F(BackupsPageTest, DeletingSelectedBackupsAsksThenRemovesFilesAndRows) {
    AddBackup("A.reg", kSimpleBackup, {2026, 1, 1, 0, 0, 3});
    AddBackup("B.reg", kSimpleBackup, {2026, 1, 1, 0, 0, 2});
    AddBackup("C.reg", kSimpleBackup, {2026, 1, 1, 0, 0, 1});
    testing::ScriptedPrompts scripted;
    BackupsPage page(platform_, registry_, window_, sort_, scripted, kFolder);
    page.btBackClick();
    ASSERT_EQ(page.Rows().size(), 3u);

    page.mnDeleteBackupClick();  // nothing selected: no question
    EXPECT_TRUE(scripted.Calls().empty());

    page.SelectRow(0);
    page.SelectRow(2);
    scripted.QueueAnswer(PromptAnswer::Cancel);
    page.mnDeleteBackupClick();
    EXPECT_EQ(page.Rows().size(), 3u);
    EXPECT_TRUE(files_.FileExists(std::string(kFolder) + "A.reg"));

    page.mnDeleteBackupClick();
    ASSERT_EQ(scripted.Calls().size(), 2u);
    EXPECT_EQ(scripted.Calls()[1].caption, "Warning : File suppression !");
    EXPECT_EQ(scripted.Calls()[1].text, "Delete all selected items ?");
    EXPECT_EQ(scripted.Calls()[1].buttons, PromptButtons::OkCancel);
    ASSERT_EQ(page.Rows().size(), 1u);
    EXPECT_EQ(page.Rows()[0].file.name, "B.reg");
    EXPECT_FALSE(files_.FileExists(std::string(kFolder) + "A.reg"));
    EXPECT_FALSE(files_.FileExists(std::string(kFolder) + "C.reg"));
    EXPECT_TRUE(files_.FileExists(std::string(kFolder) + "B.reg"));
    EXPECT_EQ(window_.title, "1 Items");
    EXPECT_FALSE(page.RestoreEnabled());
}

TEST_F(BackupsPageTest, BackupThatCannotBeDeletedStaysListed) {
    AddBackup("Locked.reg", kSimpleBackup, {2026, 1, 1, 0, 0, 2});
    AddBackup("Free.reg", kSimpleBackup, {2026, 1, 1, 0, 0, 1});
    ASSERT_TRUE(
        files_.SetAttributes(std::string(kFolder) + "Locked.reg", FileAttribute::ReadOnly).ok());
    page_.btBackClick();
    page_.SelectRow(0);
    page_.SelectRow(1);
    page_.mnDeleteBackupClick();
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"Locked.reg"}));
    EXPECT_TRUE(files_.FileExists(std::string(kFolder) + "Locked.reg"));
    EXPECT_FALSE(files_.FileExists(std::string(kFolder) + "Free.reg"));
    EXPECT_EQ(window_.title, "1 Items");
    EXPECT_TRUE(page_.RestoreEnabled()) << "the row that stayed is still selected";
}

}  // namespace
}  // namespace kestrover
