// Pictures of the screen for the screenshot script: a window, or a part of the screen with
// whatever menu or dialog lies over it, saved as a PNG file.
#pragma once

#include <string>

#include "platform/win32/WindowsApi.h"

namespace kestrover::gui {

// Copies the screen's pixels inside area and writes them to path; false on failure.
bool SaveScreenAreaPng(const RECT& area, const std::string& path);
// The window as it shows on the screen, its frame included.
bool SaveWindowPng(HWND window, const std::string& path);

}  // namespace kestrover::gui
