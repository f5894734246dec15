// The favorites dialog and menu: Add, Modify and Delete with the editors they reset, the menu
// after Rebuild, opening a favorite (whose key may be gone), "Add to favorites" from the result
// list with its proposed names, and the list kept from start to close by the shell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ApplicationShell.h"
#include "app/FavoritesCommands.h"
#include "app/FavoritesDialog.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/memory/MemoryShell.h"
#include "repair/RegistryEditor.h"
#include "support/ScriptedPrompts.h"

namespace kestrover {
namespace {

using Lines = std::vector<std::string>;
using Opened = std::vector<std::pair<std::string, std::string>>;

TEST(FavoritesDialogTest, AddStoresTheEditorsLineWithoutADuplicateTest) {
    Lines favorites = {"Old|0|1|Software\\Old"};
    FavoritesDialog dialog(favorites);
    dialog.FormCreate();
    EXPECT_EQ(dialog.Names(), (Lines{"Old"}));

    for (int time = 0; time < 2; ++time) {
        dialog.fn = "Vendor";
        dialog.cbKey = 2;
        dialog.kn = "\\Software\\Vendor";  // the leading backslash goes
        ASSERT_TRUE(dialog.Button1Click());
        EXPECT_EQ(dialog.fn, "Entrer a name");
        EXPECT_EQ(dialog.kn, "");
    }
    EXPECT_EQ(favorites, (Lines{"Old|0|1|Software\\Old", "Vendor|0|2|Software\\Vendor",
                                "Vendor|0|2|Software\\Vendor"}));
    EXPECT_EQ(dialog.Names(), (Lines{"Old", "Vendor", "Vendor"}));

    dialog.cbKey = 5;  // no such root
    dialog.kn = "Software";
    EXPECT_FALSE(dialog.Button1Click());
    dialog.cbKey = 4;
    dialog.kn = "Software\r\nX|0|2|Y";
    EXPECT_FALSE(dialog.Button1Click());
    EXPECT_EQ(favorites.size(), 3u);
}

TEST(FavoritesDialogTest, SelectModifyAndDelete) {
    Lines favorites = {"A|0|1|Software\\A", "B|1|2|Software\\B", "C|0|4|System"};
    FavoritesDialogTexts texts;
    texts.entername = "Name ?";
    FavoritesDialog dialog(favorites, texts);
    dialog.FormCreate();
    EXPECT_FALSE(dialog.Button4Click());  // nothing selected
    EXPECT_FALSE(dialog.lsFavDblClick());

    dialog.lsFavClick(1);
    EXPECT_EQ(dialog.fn, "B");
    EXPECT_EQ(dialog.cbKey, 2);
    EXPECT_EQ(dialog.kn, "Software\\B");

    dialog.fn = "B2";
    dialog.cbKey = 3;
    dialog.kn = "\\S-1-5-18\\Software";
    ASSERT_TRUE(dialog.Button4Click());
    EXPECT_EQ(favorites[1], "B2|0|3|S-1-5-18\\Software");
    EXPECT_EQ(dialog.Names()[1], "B2");
    EXPECT_FALSE(dialog.Selected());
    EXPECT_EQ(dialog.fn, "Name ?");
    EXPECT_EQ(dialog.kn, "");

    dialog.lsFavClick(0);
    ASSERT_TRUE(dialog.lsFavDblClick());
    EXPECT_EQ(favorites, (Lines{"B2|0|3|S-1-5-18\\Software", "C|0|4|System"}));
    EXPECT_EQ(dialog.Names(), (Lines{"B2", "C"}));
    EXPECT_EQ(dialog.fn, "Name ?");
    EXPECT_FALSE(dialog.Selected());
}

TEST(FavoritesDialogTest, ClosingSortsTheList) {
    Lines favorites = {"b|0|1|B"};
    FavoritesDialog dialog(favorites);
    dialog.FormCreate();
    dialog.fn = "A";
    dialog.cbKey = 1;
    dialog.kn = "A";
    ASSERT_TRUE(dialog.Button1Click());
    dialog.Close();
    EXPECT_EQ(favorites, (Lines{"A|0|1|A", "b|0|1|B"}));
    EXPECT_EQ(FavoriteRootNames().size(), 5u);
    EXPECT_EQ(FavoriteRootNames()[4], "HKEY_CURRENT_CONFIG");
}

class FavoritesCommandsTest : public ::testing::Test {
protected:
    FavoritesCommandsTest() {
        EXPECT_TRUE(memory_
                        .CreateKey(RegRoot::LocalMachine,
                                   "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                   KeyAccess::AllAccess)
                        .ok());
        EXPECT_TRUE(
            memory_.CreateKey(RegRoot::CurrentUser, "Software\\Start Menu", KeyAccess::AllAccess)
                .ok());
        commands_.openInRegistryEditor = [this](std::string_view root, std::string_view path) {
            opened_.emplace_back(root, path);
        };
    }
    void AddEntry(std::string_view text, int rootIndex, bool selected) {
        CategoryFlags flags;
        ASSERT_TRUE(results_.AddScanEntry(text, rootIndex, flags, {})) << text;
        results_.SetSelected(results_.RowCount() - 1, selected);
    }

    MemoryRegistry memory_{true};
    RegistryContext registry_{memory_, {true, true}, nullptr};
    ResultList results_{registry_};
    testing::ScriptedPrompts prompts_;
    Lines favorites_;
    FavoritesCommands commands_{favorites_, results_, prompts_};
    Opened opened_;
};

TEST_F(FavoritesCommandsTest, RebuildAsksFirst) {
    favorites_ = {"Mine|0|1|Software\\Mine"};
    prompts_.QueueAnswer(PromptAnswer::Cancel);
    EXPECT_FALSE(commands_.Reconstruirelesfavoris1Click());
    EXPECT_EQ(favorites_, (Lines{"Mine|0|1|Software\\Mine"}));
    ASSERT_EQ(prompts_.Calls().size(), 1u);
    EXPECT_EQ(prompts_.Calls()[0].caption, "Confirmation");
    EXPECT_EQ(prompts_.Calls()[0].text,
              "Attention : this is going to rebuild your favorites with default entries\r\nDo "
              "you want to proceed ?");
    EXPECT_EQ(prompts_.Calls()[0].buttons, PromptButtons::OkCancel);

    EXPECT_TRUE(commands_.Reconstruirelesfavoris1Click());
    EXPECT_EQ(favorites_, DefaultFavoriteLines());
    const std::vector<FavoriteMenuItem> menu = commands_.Favoris1Click();
    ASSERT_EQ(menu.size(), 6u);
    EXPECT_EQ(menu.front().caption, "HKLM-Windows NT\\CurrentVersion");
    EXPECT_EQ(menu.back().caption, "HKCU-CurrentVersion");
}

TEST_F(FavoritesCommandsTest, OpeningAFavoriteWhetherItsKeyExistsOrNot) {
    favorites_ = {"Gone|0|2|Software\\Uninstalled\\Vendor",
                  "Run|0|2|Software\\Microsoft\\Windows\\CurrentVersion\\Run", "no separator",
                  "Bad|0|9|Software"};
    const std::vector<FavoriteMenuItem> menu = commands_.Favoris1Click();
    for (const FavoriteMenuItem& item : menu) commands_.MnuClick(item.tag);
    EXPECT_FALSE(commands_.MnuClick(favorites_.size()));
    // The key that no longer exists still starts the editor; lines that name no root do not.
    EXPECT_EQ(opened_,
              (Opened{{"HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
                      {"HKEY_LOCAL_MACHINE", "Software\\Uninstalled\\Vendor"}}));
}

TEST_F(FavoritesCommandsTest, TheEditorOpensOnAKeyThatIsGoneAndOnA32BitKey) {
    EXPECT_TRUE(
        memory_
            .CreateKey(RegRoot::LocalMachine, "Software\\Wow6432Node\\Old32", KeyAccess::AllAccess)
            .ok());
    MemoryShell shell;
    commands_.openInRegistryEditor = [&](std::string_view root, std::string_view path) {
        EXPECT_TRUE(OpenInRegistryEditor(registry_, shell, root, path).ok());
    };
    favorites_ = {"Gone|0|2|Software\\Uninstalled\\Vendor", "Old32|0|2|Software\\Old32"};
    EXPECT_TRUE(commands_.MnuClick(0));
    EXPECT_TRUE(commands_.MnuClick(1));
    EXPECT_EQ(shell.RegistryEditorTargets(),
              (Lines{"HKEY_LOCAL_MACHINE\\Software\\Uninstalled\\Vendor",
                     "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Old32"}));
}

TEST_F(FavoritesCommandsTest, AddToFavoritesProposesANamePerSelectedEntry) {
    AddEntry("Software\\Microsoft\\Windows\\CurrentVersion\\Run||Run|||C:\\gone.exe", 2, true);
    AddEntry("Software\\Start Menu||Old.LNK", 1, true);  // a shortcut without data: skipped
    AddEntry("Software\\Start Menu||Tool.lnk|||C:\\Tool.exe", 1, true);
    AddEntry("Software\\Start Menu", 1, false);
    AddEntry("Software\\Start Menu", 1, true);

    struct Shown {
        int root;
        std::string name;
        std::string key;
    };
    std::vector<Shown> shown;
    commands_.showDialog = [&](FavoritesDialog& dialog) {
        shown.push_back({dialog.cbKey, dialog.fn, dialog.kn});
        if (shown.size() != 2) {  // the second is cancelled
            ASSERT_TRUE(dialog.Button1Click());
        }
    };
    EXPECT_EQ(commands_.MnuFavClick(), 3u);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].root, 2);
    EXPECT_EQ(shown[0].name, "Run-Run");
    EXPECT_EQ(shown[0].key, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    EXPECT_EQ(shown[1].name, "Start Menu-Tool.lnk");
    EXPECT_EQ(shown[2].root, 1);
    EXPECT_EQ(shown[2].name, "Start Menu");
    // Stored by Add, and sorted as each dialog closed.
    EXPECT_EQ(favorites_, (Lines{"Run-Run|0|2|Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                 "Start Menu|0|1|Software\\Start Menu"}));
}

TEST_F(FavoritesCommandsTest, ManageAndEditOpenTheDialogEmpty) {
    favorites_ = {"A|0|1|A"};
    AddEntry("Software\\Start Menu", 1, true);
    int shown = 0;
    commands_.showDialog = [&](FavoritesDialog& dialog) {
        ++shown;
        EXPECT_EQ(dialog.Names(), (Lines{"A"}));
        EXPECT_EQ(dialog.fn, "");
        EXPECT_EQ(dialog.kn, "");
    };
    commands_.maddfavClick();
    EXPECT_TRUE(results_.IsSelected(0));
    commands_.Editerlesfavoris1Click();
    EXPECT_FALSE(results_.IsSelected(0));
    EXPECT_EQ(shown, 2);
}

// From start to close: the shell loads "regfav.ini" sorted, the commands change the list it
// keeps, and the close writes it back.
TEST(FavoritesAcrossARunTest, ChangesReachTheFileAtClose) {
    constexpr const char* kDataFolder = "C:\\Program Files\\Kestrover\\";
    MemoryRegistry memory{true};
    MemoryFileSystem files;
    MemoryEnvironment environment;
    MemoryClock clock;
    MemoryShell shellPort;
    MemorySecurity security{memory};
    Platform platform{memory, files, environment, clock, shellPort, security};
    RegistryContext registry{memory, {true, true}, nullptr};
    ASSERT_TRUE(files
                    .AddFile(std::string(kDataFolder) + "regfav.ini",
                             "zeta|0|1|Software\\Z\r\nAlpha|0|2|Software\\A\r\n")
                    .ok());

    ApplicationShell shell(platform, registry);
    shell.FormCreate({{}, kDataFolder});
    EXPECT_EQ(shell.Favorites(), (Lines{"Alpha|0|2|Software\\A", "zeta|0|1|Software\\Z"}));

    ResultList results(registry);
    testing::ScriptedPrompts prompts;
    FavoritesCommands commands(shell.Favorites(), results, prompts);
    commands.showDialog = [](FavoritesDialog& dialog) {
        dialog.lsFavClick(1);
        ASSERT_TRUE(dialog.lsFavDblClick());
        dialog.fn = "Beta";
        dialog.cbKey = 4;
        dialog.kn = "System";
        ASSERT_TRUE(dialog.Button1Click());
    };
    commands.maddfavClick();

    MainWindowState window;
    ASSERT_TRUE(shell.FormClose(window).ok());
    Result<std::vector<std::uint8_t>> bytes = files.ReadFile(shell.FavoritesFile());
    ASSERT_TRUE(bytes.ok());
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()),
              "Alpha|0|2|Software\\A\r\nBeta|0|4|System\r\n");
}

}  // namespace
}  // namespace kestrover
