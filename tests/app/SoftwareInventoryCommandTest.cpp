// "Applications settings": the vendor keys in the result list, the window's state around them,
// and a deletion from that list, which is backed up as "Software".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/DeleteCommands.h"
#include "app/SoftwareInventoryCommand.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/memory/MemoryShell.h"
#include "scanner/ScanEntry.h"
#include "support/MemoryPlatform.h"
#include "support/ScriptedPrompts.h"

namespace kestrover {
namespace {

using Lines = std::vector<std::string>;

constexpr std::string_view kBackupFolder = "C:\\Kestrover\\Backup\\";

class SoftwareInventoryCommandTest : public ::testing::Test, protected testing::MemoryPlatformParts {
protected:
    SoftwareInventoryCommandTest() {
        EXPECT_TRUE(files_.AddDirectories(kBackupFolder).ok());
        CreateKey(RegRoot::CurrentUser, "Software\\Acme\\Editor\\Recent");
        CreateKey(RegRoot::CurrentUser, "Software\\Acme\\Player");
        CreateKey(RegRoot::CurrentUser, "Software\\Microsoft\\Windows");
        CreateKey(RegRoot::LocalMachine, "Software\\Globex");
        CreateKey(RegRoot::LocalMachine, "Software\\WOW6432Node\\Initech\\Tool");
    }

    void CreateKey(RegRoot root, std::string_view path) {
        ASSERT_TRUE(memory_.CreateKey(root, path, KeyAccess::AllAccess).ok()) << path;
    }
    bool KeyExists(RegRoot root, std::string_view path) {
        RegistryProvider reg(registry_);
        reg.SetRootKey(root);
        return reg.KeyExists("\\" + std::string(path));
    }
    Lines Rows() const {
        Lines rows;
        for (const ResultRow& row : results_.Rows()) {
            const ScanEntry entry = ParseScanEntry(row.text);
            rows.push_back(std::to_string(entry.rootIndex) + " " + entry.keyPath + " (" +
                           entry.inventoryText.value_or("") + ")");
        }
        return rows;
    }

    RegistryContext registry_{memory_, {true, true}, nullptr};
    MainWindowState window_;
    ResultList results_{registry_};
    testing::ScriptedPrompts prompts_;
};

TEST_F(SoftwareInventoryCommandTest, TheListShowsTheVendorKeysInsteadOfTheLastView) {
    // What a scan left: its rows, its mode, its status line and a search text.
    CategoryFlags flags;
    ASSERT_TRUE(results_.AddScanEntry("Software\\Acme\\Player", 1, flags, {}));
    window_.view = ActiveView::RegistryResults;
    window_.scanMode = true;
    window_.status.text = "00:00:04";
    window_.searchText = "acme";

    EXPECT_EQ(mnApplSettingsClick(registry_, window_, results_), 3u);

    // Microsoft and the 32-bit view's own key are no vendors.
    EXPECT_EQ(Rows(), (Lines{"1 Software\\Acme (Editor - Player)", "2 Software\\Globex ()",
                             "2 Software\\WOW6432Node\\Initech (Tool)"}));
    EXPECT_EQ(window_.view, ActiveView::RegistryResults);
    EXPECT_TRUE(window_.softwareInventory);
    EXPECT_FALSE(window_.scanMode);
    EXPECT_TRUE(window_.resultListVisible);
    EXPECT_TRUE(window_.status.text.empty());
    EXPECT_TRUE(window_.searchText.empty());
    EXPECT_EQ(window_.total, "3 Items");
    EXPECT_EQ(window_.root, "3 Items");
    EXPECT_FALSE(window_.progressVisible);
    EXPECT_GT(window_.progressMaximum, 0);
}

TEST_F(SoftwareInventoryCommandTest, ADeletedVendorKeyIsBackedUpAsSoftware) {
    mnApplSettingsClick(registry_, window_, results_);
    const std::optional<std::size_t> acme = [&]() -> std::optional<std::size_t> {
        for (std::size_t row = 0; row < results_.RowCount(); ++row) {
            if (ParseScanEntry(results_.Row(row).text).keyPath == "Software\\Acme") return row;
        }
        return std::nullopt;
    }();
    ASSERT_TRUE(acme.has_value());
    results_.SetSelected(*acme, true);

    DeleteCommands commands(platform_, registry_, window_, results_, prompts_,
                            std::string(kBackupFolder));
    const CommandReport report = commands.MnuDelClick();

    ASSERT_EQ(prompts_.Calls().size(), 2u);
    EXPECT_EQ(prompts_.Calls()[1].proposed, "Software.reg");
    EXPECT_EQ(report.backup, BackupOutcome::Written);
    EXPECT_EQ(report.Count(EntryOutcome::Deleted), 1u);
    EXPECT_FALSE(KeyExists(RegRoot::CurrentUser, "Software\\Acme"));
    EXPECT_TRUE(KeyExists(RegRoot::LocalMachine, "Software\\Globex"));
    const auto backup = files_.ReadFile(std::string(kBackupFolder) + "Software.reg");
    ASSERT_TRUE(backup.ok());
    const std::string text(backup->begin(), backup->end());
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Acme\\Editor\\Recent]"), std::string::npos)
        << text;
}

TEST_F(SoftwareInventoryCommandTest, OnlyTheInventoryNamesItsBackupsSoftware) {
    struct Case {
        const char* name;
        void (*prepare)(MainWindowState&, RegistryContext&, ResultList&);
        BackupPageKind expected;
    } cases[] = {
        {"inventory",
         [](MainWindowState& window, RegistryContext& registry, ResultList& results) {
             mnApplSettingsClick(registry, window, results);
         },
         BackupPageKind::ApplicationSettings},
        {"inventory, then another page",
         [](MainWindowState& window, RegistryContext& registry, ResultList& results) {
             mnApplSettingsClick(registry, window, results);
             window.ResetView();
             window.view = ActiveView::RegistryResults;
         },
         BackupPageKind::Other},
        {"scan",
         [](MainWindowState& window, RegistryContext&, ResultList&) {
             window.view = ActiveView::RegistryResults;
             window.scanMode = true;
         },
         BackupPageKind::RegistryCleaner},
    };
    for (const Case& test : cases) {
        MainWindowState window;
        test.prepare(window, registry_, results_);
        EXPECT_EQ(BackupPageOf(window).kind, test.expected) << test.name;
    }
}

}  // namespace
}  // namespace kestrover
