// The screenshot tour: every step is what a user's click or key sends, then a picture.
#include "gui/ScreenshotTour.h"

#include <deque>
#include <string>

#include "gui/ControlIds.h"
#include "gui/WindowCapture.h"

namespace kestrover::gui {

namespace {

class Tour;
Tour* runningTour = nullptr;

// What the watcher does with the dialog or menu it pictured.
enum class Answer { Ok, CloseMenu, SecondMenuItem };

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
            GetWindowRect(dialog, &area);
            Save(area, pending_.front().name);
            pending_.pop_front();
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            return;
        }
        HWND menu = FindThreadWindow(L"#32768");
        if (menu != nullptr) {
            RECT frame{};
            RECT popup{};
            GetWindowRect(window_.Handle(), &frame);
            GetWindowRect(menu, &popup);
            RECT area{};
            UnionRect(&area, &frame, &popup);
            Save(area, pending_.front().name);
            const Answer answer = pending_.front().answer;
            pending_.pop_front();
            if (answer != Answer::SecondMenuItem) {
                EndMenu();
                return;
            }
            // As a user picks it: down to the second item, then Enter.
            for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
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
    int failures_ = 0;
};

}  // namespace

int RunScreenshotTour(MainWindow& window, const std::string& folder) {
    Tour tour(window, folder);
    return tour.Run();
}

}  // namespace kestrover::gui
