// The name of the backup file a delete or export command writes: the default name by page,
// the name the user typed in the name dialog made safe, and a name that never replaces an
// existing backup.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/ports/ClockPort.h"
#include "platform/ports/FileSystemPort.h"

namespace kestrover {

// The kinds of page that decide the default name.
enum class BackupPageKind {
    Services,             // "Service-" + date + "-" + time
    Drivers,              // "Driver-" + date + "-" + time
    TitledList,           // history lists, application compatibility, startup, old start-menu
                          // items, Internet Explorer add-ons: the page title
    ApplicationSettings,  // "Software"
    RegistryCleaner,      // the registry scan's results: "Clean"
    Other,                // the page title up to its first "["
};

struct BackupPage {
    BackupPageKind kind = BackupPageKind::Other;
    std::string title;  // the page title, for the titled kinds
};

// The date and time texts of backup names: the system's short date with "/" made "-", the
// system's time with ":" made ".".
std::string BackupDateText(const ClockPort& clock, const LocalDateTime& time);
std::string BackupTimeText(const ClockPort& clock, const LocalDateTime& time);

// The default full path: backupFolder (ending in a backslash) and the page's file name. A
// title never reaches outside the folder: characters no file name may hold become "_".
std::string BackupFileName(const BackupPage& page, std::string_view dateText,
                           std::string_view timeText, std::string_view backupFolder);

// The file name part of a path (after its last backslash), as the name dialog shows it.
std::string BackupFileNamePart(std::string_view path);

// True for a path the user typed in full: a drive letter, ":" and a separator, or a UNC path
// ("\\server\share\..."). Such a path is used as typed.
bool IsFullPathTyped(std::string_view text);

// A text typed as a file name made into one that stays in its folder: separators, ":", "*",
// "?", '"', "<", ">", "|" and control characters become "_", a name made of dots only becomes
// "_", and a name that Windows takes for a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with
// or without an extension) gets "_" in front. Never empty.
std::string SafeBackupFileName(std::string_view typed);

// The path after the name dialog closed (OK and Cancel alike): the proposed path when the
// edited text is the proposed file name, else the backup folder and the edited text made safe
// (or the edited text itself when it is a full path); trimmed, and ".reg" appended unless it
// ends in ".reg" in any case.
std::string BackupPathFromDialog(std::string_view proposedPath, std::string_view editedText,
                                 std::string_view backupFolder);

// A path that names no existing file: the path itself when it is free; otherwise, unless the
// name already ends in it, the date-time suffix ("-" + date + "-" + time) before ".reg"; then
// " (2)", " (3)" ... before ".reg". An existing backup is never replaced: nothing comes back
// when no free name is found.
std::optional<std::string> UniqueBackupPath(FileSystemPort& fileSystem, std::string_view path,
                             std::string_view dateText, std::string_view timeText);

}  // namespace kestrover
