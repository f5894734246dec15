// The screenshot tour behind the hidden "/screenshot FOLDER" switch: walks the pages of the
// main window, scans, selects, exports and deletes with a backup, views and restores it, and
// saves a picture of each page and dialog on the way. Run by scripts/screenshots in a Wine
// prefix of its own.
#pragma once

#include <string>

#include "gui/MainWindow.h"

namespace kestrover::gui {

// Returns the program's exit code: 0 when every picture was saved.
int RunScreenshotTour(MainWindow& window, const std::string& folder);

}  // namespace kestrover::gui
