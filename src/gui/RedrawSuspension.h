// Drawing of a control suspended while it is refilled, so that the refill shows at once and
// does not flicker row by row.
#pragma once

#include "platform/win32/WindowsApi.h"

namespace kestrover::gui {

// Turns the control's drawing off for its lifetime, then on again and draws it whole. A control
// that is hidden is left alone: it draws nothing anyway, and turning drawing back on can mark a
// window visible (the default handling does), which would show a control its page hides.
class RedrawSuspension {
public:
    explicit RedrawSuspension(HWND control)
        : control_(control != nullptr && IsWindowVisible(control) ? control : nullptr) {
        if (control_ != nullptr) SendMessageW(control_, WM_SETREDRAW, FALSE, 0);
    }
    RedrawSuspension(const RedrawSuspension&) = delete;
    RedrawSuspension& operator=(const RedrawSuspension&) = delete;
    ~RedrawSuspension() {
        if (control_ == nullptr) return;
        SendMessageW(control_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(control_, nullptr, TRUE);
    }

private:
    HWND control_;
};

}  // namespace kestrover::gui
