// The search page and the favorites in the window, under Wine and a virtual display: a search
// that finds a planted value and keeps its text in the history once, the favorites menu after
// Rebuild, and a search hit added to the favorites through the favorites dialog.
#include <algorithm>
#include <functional>
#include <vector>

#include "gui/GuiFixture.h"

namespace kestrover::gui {
namespace {

constexpr wchar_t kNeedleValue[] = L"Note";
constexpr wchar_t kNeedleData[] = L"find the kvneedle here";

// What a thread timer does once the window it waits for (a menu or a dialog) is open. It runs
// inside that window's modal loop.
std::function<bool()> pendingStep;

void CALLBACK RunPendingStep(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!pendingStep || !pendingStep()) return;
    KillTimer(nullptr, timer);
    pendingStep = nullptr;
}

// step runs at the next ticks until it answers that it found its window.
void WhenOpen(std::function<bool()> step) {
    pendingStep = std::move(step);
    SetTimer(nullptr, 0, 100, &RunPendingStep);
}

HWND OpenWindowOfClass(const wchar_t* className) {
    HWND found = FindWindowW(className, nullptr);
    return found != nullptr && IsWindowVisible(found) ? found : nullptr;
}

std::wstring MenuItemText(HMENU menu, UINT position) {
    wchar_t text[256]{};
    GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
    return text;
}

class SearchAndFavoritesTest : public GuiTest {
protected:
    void TearDown() override {
        pendingStep = nullptr;
        GuiTest::TearDown();
    }

    HWND SearchTextEdit() const {
        return FindWindowExW(Control(idFindT), nullptr, L"Edit", nullptr);
    }

    // The search text typed as a user types it, character by character into the box's own
    // edit control.
    void TypeSearchText(const std::wstring& text) {
        HWND edit = SearchTextEdit();
        SendMessageW(edit, EM_SETSEL, 0, -1);
        for (wchar_t character : text) SendMessageW(edit, WM_CHAR, character, 1);
        Pump();
    }

    std::vector<std::wstring> History() const {
        std::vector<std::wstring> lines;
        const LRESULT count = SendMessageW(Control(idFindT), CB_GETCOUNT, 0, 0);
        for (LRESULT index = 0; index < count; ++index) {
            wchar_t line[256]{};
            SendMessageW(Control(idFindT), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(line));
            lines.emplace_back(line);
        }
        return lines;
    }

    // The search page, the current user's root alone, and a search for the planted data.
    void SearchNeedle() {
        Click(idBtRegistry);
        Click(idBtFind);
        for (int box : {idCkSearchClassesRoot, idCkSearchLocalMachine, idCkSearchUsers}) {
            if (Checked(box)) Click(box);
        }
        TypeSearchText(L"kvneedle");
        ASSERT_TRUE(Enabled(idBtSearch));
        Click(idBtSearch);
    }
};

TEST_F(SearchAndFavoritesTest, SearchFindsThePlantedValueAndKeepsItsTextOnce) {
    WriteString(kToolKey, kNeedleValue, kNeedleData);
    Open();
    Click(idBtRegistry);
    Click(idBtFind);
    EXPECT_EQ(window_->ShownPanel(), Panel::Search);
    EXPECT_EQ(Text(idPageTitle), "Search");
    EXPECT_TRUE(Visible(idFindT));
    EXPECT_FALSE(Visible(idBtGo));
    EXPECT_FALSE(Enabled(idBtSearch)) << "nothing to search for yet";
    EXPECT_TRUE(Checked(idCkSearchKeys) && Checked(idCkSearchValues) && Checked(idCkSearchData));
    EXPECT_FALSE(Checked(idCkSearchUsers));

    SetForegroundWindow(window_->Handle());
    SearchNeedle();
    EXPECT_EQ(Text(idPageTitle), "Search ! [ kvneedle ]");
    const ResultList& results = window_->Model().results;
    ASSERT_EQ(results.RowCount(), 1u);
    EXPECT_EQ(ListCount(idResultList, LB_GETCOUNT), 1);
    EXPECT_TRUE(Visible(idResultList));
    const ScanEntry hit = ParseScanEntry(results.Row(0).text);
    EXPECT_EQ(hit.rootName, "HKEY_CURRENT_USER");
    EXPECT_EQ(hit.keyPath, "Software\\KestroverGuiTest\\Settings");
    EXPECT_EQ(hit.valueName, "Note");
    EXPECT_EQ(hit.data, "find the kvneedle here");
    EXPECT_EQ(Text(idCountLabel), "1 Items");
    EXPECT_TRUE(Enabled(idBtSearch)) << "the window is free again";
    EXPECT_FALSE(Visible(idBtStop));

    Click(idBtSearch);
    EXPECT_EQ(History(), std::vector<std::wstring>{L"kvneedle"});
    EXPECT_EQ(Text(idFindT), "kvneedle") << "the text stays in the box";
    EXPECT_EQ(ReadFile(folder_ / L"history.txt"), "kvneedle\r\n");

    // Escape in the box empties it.
    SetFocus(SearchTextEdit());
    PressKey(idFindT, VK_ESCAPE);
    EXPECT_EQ(Text(idFindT), "");
    EXPECT_FALSE(Enabled(idBtSearch));

    // The protected keys need no text: the box goes, "Search !" comes.
    Click(idCkProtected);
    EXPECT_FALSE(Enabled(idFindT));
    EXPECT_TRUE(Enabled(idBtSearch));
    Click(idCkProtected);
    EXPECT_TRUE(Enabled(idFindT));
    EXPECT_FALSE(Enabled(idBtSearch));

    Click(idBtClearHistory);
    EXPECT_TRUE(History().empty());
}

TEST_F(SearchAndFavoritesTest, FavoritesMenuAfterRebuildListsTheDefaultsInReverseNameOrder) {
    Open();
    Click(idBtRegistry);
    ASSERT_TRUE(Visible(idBtFavorites));
    MenuCommand(idMnRebuildFavorites);
    ASSERT_FALSE(prompts_.Calls().empty());
    EXPECT_EQ(prompts_.Calls().back().caption, "Confirmation");

    std::vector<std::wstring> items;
    WhenOpen([&] {
        HWND popup = OpenWindowOfClass(L"#32768");
        if (popup == nullptr) return false;
        auto menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
        for (int position = 0; position < GetMenuItemCount(menu); ++position) {
            items.push_back(MenuItemText(menu, static_cast<UINT>(position)));
        }
        EndMenu();
        return true;
    });
    Click(idBtFavorites);
    EXPECT_EQ(items, (std::vector<std::wstring>{
                         L"HKLM-Windows NT\\CurrentVersion", L"HKLM-Uninstall",
                         L"HKLM-CurrentVersion", L"HKCU-Shell Folders", L"HKCU-Internet Explorer",
                         L"HKCU-CurrentVersion", L"", L"Manage ...", L"Rebuild"}));

    Close();
    const std::string saved = ReadFile(folder_ / L"regfav.ini");
    EXPECT_EQ(saved.find("HKCU-CurrentVersion|1|1|Software\\Microsoft\\Windows\\CurrentVersion"),
              0u)
        << saved;
}

TEST_F(SearchAndFavoritesTest, ASearchHitBecomesAFavoriteThroughTheDialog) {
    WriteString(kToolKey, kNeedleValue, kNeedleData);
    Open();
    SearchNeedle();
    ASSERT_EQ(ListCount(idResultList, LB_GETCOUNT), 1);
    SendMessageW(Control(idResultList), LB_SETSEL, TRUE, 0);
    SendMessageW(window_->Handle(), WM_COMMAND, MAKEWPARAM(idResultList, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Control(idResultList)));

    struct Seen {
        std::wstring caption, name, key, root, nameAfterAdd;
        LRESULT namesBefore = -1, namesAfter = -1;
    } seen;
    WhenOpen([&] {
        HWND dialog = OpenWindowOfClass(L"#32770");
        if (dialog == nullptr) return false;
        auto text = [&](int id) {
            wchar_t value[256]{};
            GetDlgItemTextW(dialog, id, value, 256);
            return std::wstring(value);
        };
        wchar_t caption[64]{};
        GetWindowTextW(dialog, caption, 64);
        seen.caption = caption;
        seen.name = text(idFavoriteName);
        seen.key = text(idFavoriteKey);
        seen.root = text(idFavoriteRoot);
        seen.namesBefore = SendDlgItemMessageW(dialog, idFavoriteList, LB_GETCOUNT, 0, 0);
        SendDlgItemMessageW(dialog, idBtFavoriteAdd, BM_CLICK, 0, 0);
        seen.namesAfter = SendDlgItemMessageW(dialog, idFavoriteList, LB_GETCOUNT, 0, 0);
        seen.nameAfterAdd = text(idFavoriteName);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    MenuCommand(idMnAddToFavorites);
    EXPECT_EQ(seen.caption, L"Favorites");
    EXPECT_EQ(seen.name, L"Settings-Note");
    EXPECT_EQ(seen.key, L"Software\\KestroverGuiTest\\Settings");
    EXPECT_EQ(seen.root, L"HKEY_CURRENT_USER");
    EXPECT_EQ(seen.namesAfter, seen.namesBefore + 1);
    EXPECT_EQ(seen.nameAfterAdd, L"Entrer a name");

    const std::vector<std::string>& favorites = window_->Model().shell.Favorites();
    EXPECT_NE(std::find(favorites.begin(), favorites.end(),
                        "Settings-Note|0|1|Software\\KestroverGuiTest\\Settings"),
              favorites.end());
}

}  // namespace
}  // namespace kestrover::gui
