// Control helpers.
#include "gui/Controls.h"

#include <commctrl.h>

#include "platform/win32/WideText.h"

namespace kestrover::gui {

void ImageListTraits::Close(Type list) noexcept { ImageList_Destroy(list); }

HWND CreateControl(HWND parent, const wchar_t* className, int id, DWORD style, DWORD exStyle) {
    return CreateWindowExW(exStyle, className, L"", WS_CHILD | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

std::wstring Wide(std::string_view text) { return win32::ToWide(text); }
std::string Narrow(std::wstring_view text) { return win32::FromWide(text); }

void SetText(HWND control, std::string_view text) {
    if (control == nullptr) return;
    const std::wstring wide = Wide(text);
    const int length = GetWindowTextLengthW(control);
    if (length == static_cast<int>(wide.size())) {
        std::wstring current(static_cast<std::size_t>(length) + 1, L'\0');
        GetWindowTextW(control, current.data(), length + 1);
        current.resize(static_cast<std::size_t>(length));
        if (current == wide) return;
    }
    SetWindowTextW(control, wide.c_str());
}

std::string GetText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied < 0 ? 0 : copied));
    return Narrow(text);
}

void SetEnabled(HWND control, bool enabled) {
    if (control == nullptr) return;
    if ((IsWindowEnabled(control) != FALSE) != enabled) EnableWindow(control, enabled);
}

void SetVisible(HWND control, bool visible) {
    if (control == nullptr) return;
    const bool shown = (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != visible) ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
}

void SetChecked(HWND control, bool checked) {
    const WPARAM state = checked ? BST_CHECKED : BST_UNCHECKED;
    if (static_cast<WPARAM>(SendMessageW(control, BM_GETCHECK, 0, 0)) != state) {
        SendMessageW(control, BM_SETCHECK, state, 0);
    }
}

bool IsChecked(HWND control) { return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void MoveControl(HWND control, int x, int y, int width, int height) {
    if (control == nullptr) return;
    RECT current{};
    GetWindowRect(control, &current);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&current), 2);
    if (current.left == x && current.top == y && current.right - current.left == width &&
        current.bottom - current.top == height) {
        return;
    }
    // Without copying the old pixels: a label that moves as its text changes would otherwise
    // show pieces of its old text.
    SetWindowPos(control, nullptr, x, y, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

void SetFont(HWND control, HFONT font) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

SIZE MeasureText(HDC dc, std::wstring_view text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

}  // namespace kestrover::gui
