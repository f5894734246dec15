// Window: the base of the program's own window classes. The object is bound to its window at
// WM_NCCREATE and every message is dispatched to the virtual handler; no exception leaves a
// window procedure.
#pragma once

#include "platform/win32/WindowsApi.h"

namespace kestrover::gui {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return handle_; }

protected:
    // Registers the class (once per name) and creates the window; false when it fails.
    bool CreateWindowOf(const wchar_t* className, HICON icon, DWORD exStyle, DWORD style,
                        const wchar_t* title, int x, int y, int width, int height, HWND parent);

    // Messages not handled go to DefWindowProcW.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
};

}  // namespace kestrover::gui
