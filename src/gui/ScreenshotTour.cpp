// The screenshot tour: every step is what a user's click or key sends, then a picture.
#include "gui/ScreenshotTour.h"

#include <deque>
#include <string>
#include <vector>

#include "gui/ControlIds.h"
#include "gui/WindowCapture.h"

namespace kestrover::gui {

namespace {

class Tour;
Tour* runningTour = nullptr;

// What the watcher does with the dialog or menu it pictured.
enum class Answer { Ok, CloseMenu, SecondMenuItem, FirstMenuItem, FillExclusions, HighlightAndClose };

struct PendingShot {
    std::string name;
    Answer answer = Answer::Ok;
};

class Tour {
public:
    Tour(MainWindow& window, std::string folder) : window_(window), folder_(std::move(folder)) {
        if (!folder_.empty() && folder_.back() != '\\' && folder_.back() != '/') folder_ += '\\';
    }

    int Run() {
        runningTour = this;
        Settle(800);
        Shot("01-about.png");
        Click(idBtPrivacy);
        Shot("02-computer-cleaning.png");
        Click(idBtApps);
        Shot("03-applications-and-startup.png");
        Click(idBtTools);
        Shot("04-tools-and-system.png");
        Click(idBtRegistry);
        Shot("05-registry.png");

        Click(idBtGo);
        Shot("06-registry-scan.png");

        Type(idFilterEdit, "kvtest");
        Menu(idMnSelectGreen);
        ScrollListToTop();
        Shot("07-registry-filtered-green-selected.png");

        // The context menu, captured while it is open, then closed.
        pending_ = {{"08-context-menu.png", Answer::CloseMenu}};
        StartWatching();
        HWND list = Control(idResultList);
        RECT rect{};
        GetWindowRect(list, &rect);
        SendMessageW(window_.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                     MAKELPARAM(rect.left + 120, rect.top + 40));
        StopWatching();

        // Delete with a backup: the confirmation and the backup name are captured and
        // answered with OK.
        pending_ = {{"09-confirm-delete.png"}, {"10-backup-name.png"}};
        StartWatching();
        Menu(idMnDelete);
        StopWatching();
        Shot("11-registry-after-delete.png");
        Click(idBtBackup);
        SelectBackup(0);
        Shot("12-backups.png");
        NotifyDoubleClick(idBackupList);
        Shot("13-backup-content.png");
        Click(idBtRestore);
        Shot("14-backup-restored.png");

        // The language menu, and the window in the second language it lists.
        Click(idBtAbout);
        pending_ = {{"15-language-menu.png", Answer::SecondMenuItem}};
        StartWatching();
        SendMessageW(Control(idBtLanguage), BM_CLICK, 0, 0);
        StopWatching();
        Shot("16-about-second-language.png");
        Click(idBtRegistry);
        Click(idBtGo);
        Type(idFilterEdit, "kvtest");
        Shot("17-registry-second-language.png");

        // Back to the first language of the menu; two scan rows go to the exclusion list, the
        // dialog shows them with a few keys typed in, then the application settings list and
        // its menu.
        Click(idBtAbout);
        pending_ = {{"", Answer::FirstMenuItem}};
        StartWatching();
        SendMessageW(Control(idBtLanguage), BM_CLICK, 0, 0);
        StopWatching();
        Click(idBtRegistry);
        Click(idBtGo);
        Type(idFilterEdit, "kvtest");
        SelectResultRows({0, 1});
        Menu(idMnExclude);
        pending_ = {{"18-exclusion-dialog.png", Answer::FillExclusions}};
        StartWatching();
        SendMessageW(Control(idBtExclude), BM_CLICK, 0, 0);
        StopWatching();
        Click(idBtApplicationSettings);
        ScrollListToTop();
        SelectResultRows({1});
        Shot("19-applications-settings.png");
        pending_ = {{"20-applications-settings-menu.png", Answer::HighlightAndClose}};
        StartWatching();
        {
            HWND list = Control(idResultList);
            RECT rect{};
            SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rect));
            POINT corner{rect.left + 160, rect.top + 20};
            ClientToScreen(list, &corner);
            SendMessageW(window_.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                         MAKELPARAM(corner.x, corner.y));
        }
        StopWatching();

        // The favorites rebuilt (the confirmation answered with OK) and their menu; the search
        // page after a search, and a hit of it in the favorites dialog, closed unchanged.
        Click(idBtRegistry);
        pending_ = {{"30-confirm-rebuild-favorites.png"}};
        StartWatching();
        Menu(idMnRebuildFavorites);
        StopWatching();
        pending_ = {{"31-favorites-menu.png", Answer::HighlightAndClose}};
        StartWatching();
        SendMessageW(Control(idBtFavorites), BM_CLICK, 0, 0);
        StopWatching();
        Click(idBtFind);
        TypeKeys(idFindT, L"kvtest");
        Click(idBtSearch);
        ScrollListToTop();
        SelectResultRows({1});
        Shot("32-search.png");
        pending_ = {{"33-favorites-dialog.png"}};
        StartWatching();
        Menu(idMnAddToFavorites);
        StopWatching();

        // Keep this step the last one: the compact layout the "/p" switch opens the window in
        // stays for the rest of the run.
        window_.OpenStartView(StartRequest{StartView::ProcessList});
        Settle(300);
        Shot("90-compact-layout.png");

        runningTour = nullptr;
        SendMessageW(window_.Handle(), WM_CLOSE, 0, 0);
        Settle(200);
        return failures_;
    }

    // The watcher's tick: a dialog or a menu of the tour is open; capture it and close it.
    void Tick() {
        if (pending_.empty()) return;
        HWND dialog = FindThreadWindow(L"#32770");
        if (dialog != nullptr) {
            RECT area{};
            if (pending_.front().answer == Answer::FillExclusions) FillExclusionDialog(dialog);
            GetWindowRect(dialog, &area);
            Save(area, pending_.front().name);
            pending_.pop_front();
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            return;
        }
        HWND menu = FindThreadWindow(L"#32768");
        if (menu != nullptr && pending_.front().answer == Answer::HighlightAndClose &&
            !menuHighlighted_) {
            // An item under the keyboard first, so that the picture shows it highlighted; the
            // next tick takes the picture.
            for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN}) {
                PostMessageW(menu, WM_KEYDOWN, key, 0);
                PostMessageW(menu, WM_KEYUP, key, 0xC0000000);
            }
            menuHighlighted_ = true;
            return;
        }
        if (menu != nullptr) {
            menuHighlighted_ = false;
            RECT frame{};
            RECT popup{};
            GetWindowRect(window_.Handle(), &frame);
            GetWindowRect(menu, &popup);
            RECT area{};
            UnionRect(&area, &frame, &popup);
            if (!pending_.front().name.empty()) Save(area, pending_.front().name);
            const Answer answer = pending_.front().answer;
            pending_.pop_front();
            if (answer != Answer::SecondMenuItem && answer != Answer::FirstMenuItem) {
                EndMenu();
                return;
            }
            // As a user picks it: down to the item, then Enter.
            const std::vector<WPARAM> keys = answer == Answer::FirstMenuItem
                                                 ? std::vector<WPARAM>{VK_DOWN, VK_RETURN}
                                                 : std::vector<WPARAM>{VK_DOWN, VK_DOWN, VK_RETURN};
            for (WPARAM key : keys) {
                PostMessageW(menu, WM_KEYDOWN, key, 0);
                PostMessageW(menu, WM_KEYUP, key, 0xC0000000);
            }
        }
    }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        if (runningTour != nullptr) runningTour->Tick();
    }

    void StartWatching() { timer_ = SetTimer(nullptr, 0, 400, &Tour::OnTimer); }
    void StopWatching() {
        if (timer_ != 0) KillTimer(nullptr, timer_);
        timer_ = 0;
        if (!pending_.empty()) {
            failures_ += static_cast<int>(pending_.size());
            pending_.clear();
        }
        Settle(200);
    }

    static HWND FindThreadWindow(const wchar_t* className) {
        struct Search {
            const wchar_t* className;
            HWND found;
        } search{className, nullptr};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM parameter) -> BOOL {
                auto* search = reinterpret_cast<Search*>(parameter);
                wchar_t name[32]{};
                GetClassNameW(window, name, 32);
                if (IsWindowVisible(window) && wcscmp(name, search->className) == 0) {
                    search->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    HWND Control(int id) const { return GetDlgItem(window_.Handle(), id); }

    void Settle(int milliseconds) {
        const std::uint64_t end = GetTickCount64() + static_cast<std::uint64_t>(milliseconds);
        MSG message{};
        while (GetTickCount64() < end) {
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) window_.DispatchOne(message);
            Sleep(10);
        }
        UpdateWindow(window_.Handle());
    }

    void Click(int id) {
        SendMessageW(Control(id), BM_CLICK, 0, 0);
        Settle(300);
    }

    void Menu(int id) {
        SendMessageW(window_.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        Settle(300);
    }

    void Type(int id, const std::string& text) {
        SetWindowTextW(Control(id), Wide(text).c_str());
        Settle(300);
    }

    // Selects rows of the result list as clicks do.
    void SelectResultRows(std::initializer_list<int> rows) {
        HWND list = Control(idResultList);
        SendMessageW(list, LB_SETSEL, FALSE, -1);
        for (int row : rows) SendMessageW(list, LB_SETSEL, TRUE, row);
        SendMessageW(window_.Handle(), WM_COMMAND, MAKEWPARAM(idResultList, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        Settle(200);
    }

    // The exclusion dialog with a few keys typed in and added, as a user does.
    static void FillExclusionDialog(HWND dialog) {
        const struct {
            int root;
            const wchar_t* key;
        } keys[] = {{1, L"Software\\Contoso\\Updater"},
                    {2, L"Software\\Fabrikam\\Cache"},
                    {0, L".kvold"}};
        for (const auto& key : keys) {
            SendDlgItemMessageW(dialog, idExclusionRoot, CB_SETCURSEL, static_cast<WPARAM>(key.root), 0);
            SetDlgItemTextW(dialog, idExclusionKey, key.key);
            SendDlgItemMessageW(dialog, idBtExclusionAdd, BM_CLICK, 0, 0);
        }
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }

    // Typed as a user types: character by character into the control, or into the edit box
    // of a combo box.
    void TypeKeys(int id, const std::wstring& text) {
        HWND edit = FindWindowExW(Control(id), nullptr, L"Edit", nullptr);
        if (edit == nullptr) edit = Control(id);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        for (wchar_t character : text) SendMessageW(edit, WM_CHAR, character, 1);
        Settle(300);
    }

    void ScrollListToTop() {
        SendMessageW(Control(idResultList), LB_SETTOPINDEX, 0, 0);
        Settle(100);
    }

    void SelectBackup(int row) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(Control(idBackupList), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        Settle(200);
    }

    void NotifyDoubleClick(int id) {
        NMITEMACTIVATE activate{};
        activate.hdr.hwndFrom = Control(id);
        activate.hdr.idFrom = static_cast<UINT_PTR>(id);
        activate.hdr.code = NM_DBLCLK;
        activate.iItem = 0;
        SendMessageW(window_.Handle(), WM_NOTIFY, static_cast<WPARAM>(id),
                     reinterpret_cast<LPARAM>(&activate));
        Settle(400);
    }

    void Shot(const std::string& name) {
        Settle(200);
        RECT area{};
        GetWindowRect(window_.Handle(), &area);
        Save(area, name);
    }

    void Save(const RECT& area, const std::string& name) {
        if (!SaveScreenAreaPng(area, folder_ + name)) ++failures_;
    }

    MainWindow& window_;
    std::string folder_;
    std::deque<PendingShot> pending_;
    UINT_PTR timer_ = 0;
    bool menuHighlighted_ = false;
    int failures_ = 0;
};

}  // namespace

int RunScreenshotTour(MainWindow& window, const std::string& folder) {
    Tour tour(window, folder);
    return tour.Run();
}

}  // namespace kestrover::gui
