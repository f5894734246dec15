// The backup store: the registry export files in the backup folder, as the backups page lists
// them, and the names a user may give to pick one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "platform/ports/ClockPort.h"
#include "platform/ports/FileSystemPort.h"

namespace kestrover {

// One row of the backup list.
struct BackupFile {
    std::string name;                 // file name with its extension
    std::string dateText;             // "2026/03/05   " and the system's time text, in local time
    std::string sizeText;             // FormatSize
    std::uint64_t lastWriteTime = 0;  // FILETIME ticks (UTC)
    std::uint64_t size = 0;           // bytes
};

class BackupStore {
public:
    // backupFolder ends with a backslash.
    BackupStore(FileSystemPort& fileSystem, const ClockPort& clock, std::string backupFolder);

    const std::string& Folder() const { return folder_; }
    std::string PathOf(std::string_view fileName) const { return folder_ + std::string(fileName); }

    // Every "*.reg" file directly in the folder, in the order the folder lists them. A missing
    // folder gives an empty list; folders and names that only begin with ".reg" are no backups.
    std::vector<BackupFile> List() const;
    // Deletes one backup file permanently (not to the recycle bin).
    Status Delete(std::string_view fileName);

    // The path of the backup a user names: a file name in the folder, with or without ".reg".
    // InvalidData for a name that could reach outside the folder or that no file may carry
    // (separators, "..", a drive, reserved characters or device names). Whether the file
    // exists is not checked.
    Result<std::string> PathOfName(std::string_view name) const;

private:
    FileSystemPort& fileSystem_;
    const ClockPort& clock_;
    std::string folder_;
};

// The date column of a backup row: year, month and day as "2026/03/05", three spaces, and the
// time as the system writes it, both in local time.
std::string BackupDateText(const ClockPort& clock, std::uint64_t fileTime);

// The newest backup by last-write time, the greater name among equal times; nothing for an
// empty list.
std::optional<BackupFile> NewestBackup(const std::vector<BackupFile>& backups);

// A full Windows path as a user types one: a drive letter, a colon and a separator, or a UNC
// path ("\\server\share\...").
bool IsFullWindowsPath(std::string_view text);

}  // namespace kestrover
