// TfrmBkN: the backup-name dialog — "Name :", an edit box holding the proposed name, OK and
// Cancel. Both buttons close it with the text the box holds: the dialog names the backup, it
// does not cancel the command that asked.
#pragma once

#include <string>
#include <string_view>

#include "platform/win32/WindowsApi.h"

namespace kestrover::gui {

// Control identifiers of the dialog, for tests and the screenshot tour.
inline constexpr int kBackupNameEditId = 101;
inline constexpr int kBackupNameLabelId = 102;

// Runs the dialog modally over owner and returns the text of its edit box.
std::string RunBackupNameDialog(HWND owner, std::string_view caption, std::string_view label,
                                std::string_view proposed);

}  // namespace kestrover::gui
