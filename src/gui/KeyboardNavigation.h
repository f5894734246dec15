// Keyboard navigation between the controls of a window that is not a dialog: the groups the
// arrow keys move in, the first control that takes the keyboard, and Enter on a focused button.
#pragma once

#include <functional>
#include <initializer_list>

#include "platform/win32/WindowsApi.h"

namespace kestrover::gui {

// Marks each control as the first of a group: the arrow keys move within a group, Tab from one
// group to the next (in the order the controls were created).
void StartGroups(std::initializer_list<HWND> firstControls);

// The first child of parent, in tab order, that is visible, enabled and a tab stop, skipping
// those skip names; null when there is none.
HWND FirstTabStop(HWND parent, const std::function<bool(HWND)>& skip);

// Enter on a focused push button of frame clicks it, as Space does; true when it did. Dialog
// navigation alone would send Enter to the frame as IDOK.
bool ClickFocusedButtonOnEnter(HWND frame, const MSG& message);

}  // namespace kestrover::gui
