// The exclusion dialog, "Add to exclusion list" in the result list's menu, and the application
// settings list, through the window under Wine.
#include "gui/GuiFixture.h"

#include <functional>

#include "gui/MenuPainter.h"
#include "scanner/ScanEntry.h"

namespace kestrover::gui {
namespace {

// What a timer does once the dialog or menu it waits for is open; the test reads it afterwards.
std::function<bool()> pendingAction;

void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!pendingAction || !pendingAction()) return;
    KillTimer(nullptr, timer);
    pendingAction = nullptr;
}

// Runs action from a timer as soon as it reports that it found what it waits for.
void WhenOpen(std::function<bool()> action) {
    pendingAction = std::move(action);
    SetTimer(nullptr, 0, 100, &RunPendingAction);
}

HWND ActiveDialog() {
    HWND dialog = GetActiveWindow();
    wchar_t name[32]{};
    GetClassNameW(dialog, name, 32);
    return wcscmp(name, L"#32770") == 0 ? dialog : nullptr;
}

class ExclusionsTest : public GuiTest {
protected:
    // Selects the one row of the list whose key path is keyPath, as a click does.
    void SelectRowOfKey(std::string_view keyPath) {
        const ResultList& results = window_->Model().results;
        HWND list = Control(idResultList);
        SendMessageW(list, LB_SETSEL, FALSE, -1);
        for (std::size_t row = 0; row < results.RowCount(); ++row) {
            if (ParseScanEntry(results.Row(row).text).keyPath == keyPath) {
                SendMessageW(list, LB_SETSEL, TRUE, static_cast<LPARAM>(row));
            }
        }
        SendMessageW(window_->Handle(), WM_COMMAND, MAKEWPARAM(idResultList, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        Pump();
    }
    std::size_t RowsOfKey(std::string_view keyPath) const {
        std::size_t count = 0;
        for (const ResultRow& row : window_->Model().results.Rows()) {
            if (ParseScanEntry(row.text).keyPath == keyPath) ++count;
        }
        return count;
    }
};

TEST_F(ExclusionsTest, TheDialogAddsAKeyAndOkSavesTheSortedList) {
    WriteDataFile(L"Exclude.lst", "2|Software\\Zed\r\n  1|Software\\Alpha\r\n9|junk\r\n");
    Open();
    Click(idBtRegistry);
    ASSERT_TRUE(Visible(idBtExclude));
    EXPECT_EQ(Text(idBtExclude), "Exclusions ...");

    struct Seen {
        std::wstring caption;
        std::wstring keysColumn;
        LRESULT rowsAtStart = -1;
        LRESULT roots = -1;
        LRESULT rowsAfterAdd = -1;
        LRESULT rowsAfterDuplicate = -1;
        LRESULT selectedAfterAdd = -1;
    } seen;
    WhenOpen([&seen] {
        HWND dialog = ActiveDialog();
        if (dialog == nullptr) return false;
        wchar_t text[128]{};
        GetWindowTextW(dialog, text, 128);
        seen.caption = text;
        HWND list = GetDlgItem(dialog, idExclusionList);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = 128;
        SendMessageW(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
        seen.keysColumn = text;
        seen.rowsAtStart = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
        seen.roots = SendDlgItemMessageW(dialog, idExclusionRoot, CB_GETCOUNT, 0, 0);

        SendDlgItemMessageW(dialog, idExclusionRoot, CB_SETCURSEL, 2, 0);
        SetDlgItemTextW(dialog, idExclusionKey, L"Software\\KestroverAdded");
        SendDlgItemMessageW(dialog, idBtExclusionAdd, BM_CLICK, 0, 0);
        seen.rowsAfterAdd = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
        seen.selectedAfterAdd = SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                             LVNI_SELECTED);
        // The same key in another letter case is there already.
        SetDlgItemTextW(dialog, idExclusionKey, L"SOFTWARE\\zed");
        SendDlgItemMessageW(dialog, idBtExclusionAdd, BM_CLICK, 0, 0);
        seen.rowsAfterDuplicate = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
        SendDlgItemMessageW(dialog, IDOK, BM_CLICK, 0, 0);
        return true;
    });
    Click(idBtExclude);

    EXPECT_EQ(seen.caption, L"Kestrover Exclusions");
    EXPECT_EQ(seen.keysColumn, L"Keys");
    EXPECT_EQ(seen.rowsAtStart, 2) << "the junk line is dropped";
    EXPECT_EQ(seen.roots, 4);
    EXPECT_EQ(seen.rowsAfterAdd, 3);
    EXPECT_EQ(seen.selectedAfterAdd, 2) << "the added row is selected";
    EXPECT_EQ(seen.rowsAfterDuplicate, 3);
    EXPECT_EQ(ReadFile(folder_ / L"Exclude.lst"),
              "1|Software\\Alpha\r\n2|Software\\KestroverAdded\r\n2|Software\\Zed\r\n");
    EXPECT_TRUE(IsWindowEnabled(window_->Handle())) << "the window is usable again";
}

// From a scan row to the file, and the next scan leaves the key out.
TEST_F(ExclusionsTest, AddToExclusionListTakesTheRowAndTheNextScanSkipsTheKey) {
    constexpr std::string_view kToolPath = "Software\\KestroverGuiTest\\Settings";
    Open();
    ScanPlants();
    ASSERT_EQ(RowsOfKey(kToolPath), 1u);
    const LRESULT rows = ListCount(idResultList, LB_GETCOUNT);
    SelectRowOfKey(kToolPath);

    // The context menu, read while it is open: every item drawn by the painter, the item
    // enabled for the selected row.
    struct Seen {
        int items = -1;
        int painted = 0;
        UINT excludeState = MF_GRAYED;
    } seen;
    WhenOpen([&seen] {
        HWND popup = FindWindowW(L"#32768", nullptr);
        if (popup == nullptr || !IsWindowVisible(popup)) return false;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
        seen.items = GetMenuItemCount(menu);
        for (int position = 0; position < seen.items; ++position) {
            if (MenuPainter::Paints(menu, static_cast<UINT>(position))) ++seen.painted;
        }
        seen.excludeState = GetMenuState(menu, idMnExclude, MF_BYCOMMAND);
        EndMenu();
        return true;
    });
    RECT rect{};
    GetWindowRect(Control(idResultList), &rect);
    SendMessageW(window_->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Control(idResultList)),
                 MAKELPARAM(rect.left + 60, rect.top + 30));
    Pump();
    EXPECT_GT(seen.items, 3);
    EXPECT_EQ(seen.painted, seen.items);
    EXPECT_EQ(seen.excludeState & (MF_GRAYED | MF_DISABLED), 0u);

    // No "Exclude.lst" yet: the command makes it.
    MenuCommand(idMnExclude);
    EXPECT_EQ(RowsOfKey(kToolPath), 0u);
    EXPECT_EQ(ListCount(idResultList, LB_GETCOUNT), rows - 1);
    EXPECT_EQ(ReadFile(folder_ / L"Exclude.lst"), "1|Software\\KestroverGuiTest\\Settings\r\n");

    Click(idBtGo);
    Type(idFilterEdit, L"KestroverGuiTest");
    EXPECT_EQ(RowsOfKey(kToolPath), 0u) << "the excluded key is not scanned";
    EXPECT_EQ(ListCount(idResultList, LB_GETCOUNT), rows - 1) << "the Run value is still found";
}

TEST_F(ExclusionsTest, ApplicationSettingsListsVendorKeysAndDeletesThemWithABackup) {
    constexpr std::string_view kVendorPath = "Software\\KestroverGuiTest";
    Open();
    Click(idBtRegistry);
    EXPECT_EQ(Text(idBtApplicationSettings), "Applications settings");
    Click(idBtApplicationSettings);
    ASSERT_TRUE(Visible(idResultList));
    ASSERT_EQ(RowsOfKey(kVendorPath), 1u);
    for (const ResultRow& row : window_->Model().results.Rows()) {
        const ScanEntry entry = ParseScanEntry(row.text);
        if (entry.keyPath == kVendorPath) {
            EXPECT_EQ(entry.rootName, "HKEY_CURRENT_USER");
            EXPECT_EQ(entry.inventoryText, std::optional<std::string>("Settings"));
        }
    }
    EXPECT_EQ(Text(idCountLabel),
              std::to_string(ListCount(idResultList, LB_GETCOUNT)) + " Items");

    SelectRowOfKey(kVendorPath);
    MenuCommand(idMnDelete);
    ASSERT_EQ(prompts_.Calls().size(), 2u);
    EXPECT_EQ(prompts_.Calls()[1].proposed, "Software.reg");
    EXPECT_FALSE(ReadString(kToolKey, L"Tool").has_value()) << "the vendor key is deleted whole";
    EXPECT_EQ(RowsOfKey(kVendorPath), 0u);
    const std::string backup = ReadFile(folder_ / L"Backup" / L"Software.reg");
    EXPECT_NE(backup.find("[HKEY_CURRENT_USER\\Software\\KestroverGuiTest\\Settings]"),
              std::string::npos)
        << backup;
}

}  // namespace
}  // namespace kestrover::gui
