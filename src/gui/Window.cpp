// The window base: class registration, the this-binding and the guarded dispatch.
#include "gui/Window.h"

namespace kestrover::gui {

Window::~Window() {
    if (handle_ != nullptr) {
        // The window outlives its object only by mistake; unbind it so that no message reaches
        // a destroyed object.
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
}

bool Window::CreateWindowOf(const wchar_t* className, HICON icon, DWORD exStyle, DWORD style,
                            const wchar_t* title, int x, int y, int width, int height,
                            HWND parent) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExW(instance, className, &existing)) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = &Window::Procedure;
        windowClass.hInstance = instance;
        windowClass.hIcon = icon;
        windowClass.hIconSm = icon;
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        windowClass.hbrBackground = nullptr;  // the window paints its own background
        windowClass.lpszClassName = className;
        if (RegisterClassExW(&windowClass) == 0) return false;
    }
    HWND created = CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent,
                                   nullptr, instance, this);
    return created != nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(handle_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<Window*>(create->lpCreateParams);
        self->handle_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);

    LRESULT result = 0;
    try {
        result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // An exception must not unwind into the system's code; the message counts as not
        // handled.
        result = DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
    }
    return result;
}

}  // namespace kestrover::gui
