// "Open in explorer" on the result list: the file or folder a focused entry names, shown
// selected in an Explorer window.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/PathVariables.h"
#include "core/Result.h"
#include "platform/ports/ShellPort.h"
#include "scanner/ResultList.h"
#include "scanner/ScanEntry.h"

namespace kestrover {

// The folder variables of command lines replaced by the path variables' folders, without
// regard to case. A variable whose folder is empty (the "(x86)" folders on 32-bit Windows, a
// variable that was not set) stays as it is rather than leaving a path that starts at the
// root of the drive.
std::string ExpandFolderVariables(std::string_view text, const PathVariables& variables);

// The path Explorer shows for an entry: its data when that names a path (holds ":\" or "%\"),
// else its value name when that does (the shared DLLs and the installer's folders use the
// path as the name). Double quotes are removed, the text is cut right after its first ".exe"
// (so a command's switches go), and the folder variables are expanded. Nothing when neither
// part names a path.
std::optional<std::string> ExplorerPathOfEntry(const ScanEntry& entry,
                                               const PathVariables& variables);

// OpeninexplorerClick: the focused row's path selected in Explorer. NotFound, and nothing
// started, without a focused row or when the row names no path; otherwise what the shell
// answers (the window does not show failures).
Status OpeninexplorerClick(const ResultList& results, std::optional<std::size_t> focusedRow,
                           const PathVariables& variables, ShellPort& shell);

}  // namespace kestrover
