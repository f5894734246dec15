// Keyboard navigation between controls.
#include "gui/KeyboardNavigation.h"

#include <commctrl.h>

namespace kestrover::gui {

void StartGroups(std::initializer_list<HWND> firstControls) {
    for (HWND control : firstControls) {
        if (control == nullptr) continue;
        const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
        if ((style & WS_GROUP) == 0) SetWindowLongPtrW(control, GWL_STYLE, style | WS_GROUP);
    }
}

HWND FirstTabStop(HWND parent, const std::function<bool(HWND)>& skip) {
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (skip && skip(child)) continue;
        if ((GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) != 0 && IsWindowVisible(child) &&
            IsWindowEnabled(child)) {
            return child;
        }
    }
    return nullptr;
}

bool ClickFocusedButtonOnEnter(HWND frame, const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN) return false;
    HWND focus = GetFocus();
    if (focus == nullptr || message.hwnd != focus || !IsChild(frame, focus)) return false;
    wchar_t name[16]{};
    GetClassNameW(focus, name, 16);
    if (_wcsicmp(name, WC_BUTTONW) != 0 || !IsWindowEnabled(focus)) return false;
    const LONG_PTR type = GetWindowLongPtrW(focus, GWL_STYLE) & BS_TYPEMASK;
    if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_OWNERDRAW) return false;
    SendMessageW(focus, BM_CLICK, 0, 0);
    return true;
}

}  // namespace kestrover::gui
