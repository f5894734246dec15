// The backup store: listing, naming and deleting the backup files.
#include "repair/BackupStore.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <tuple>

#include "core/FormatSize.h"
#include "core/Text.h"
#include "platform/ports/WindowsPath.h"

namespace kestrover {

namespace {

constexpr std::string_view kBackupExtension = ".reg";

// Names Windows gives to devices whatever their extension ("CON.reg" is the console).
bool IsReservedDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    stem = TrimView(stem);
    static constexpr std::array<std::string_view, 4> kDevices = {"con", "prn", "aux", "nul"};
    for (std::string_view device : kDevices) {
        if (EqualsNoCase(stem, device)) return true;
    }
    if (stem.size() == 4 && (StartsWithNoCase(stem, "com") || StartsWithNoCase(stem, "lpt")) &&
        stem[3] >= '1' && stem[3] <= '9') {
        return true;
    }
    return false;
}

}  // namespace

BackupStore::BackupStore(FileSystemPort& fileSystem, const ClockPort& clock,
                         std::string backupFolder)
    : fileSystem_(fileSystem), clock_(clock), folder_(std::move(backupFolder)) {}

std::vector<BackupFile> BackupStore::List() const {
    std::vector<BackupFile> backups;
    auto entries = fileSystem_.FindFiles(folder_ + "*.reg");
    if (!entries) return backups;
    for (const FileEntry& entry : entries.value()) {
        // Windows also matches "*.reg" against short names ("A~1.REG" for "a.regular"); only
        // a name that really ends in ".reg" is a backup.
        if (entry.IsDirectory() || !EndsWithNoCase(entry.name, kBackupExtension)) continue;
        BackupFile& backup = backups.emplace_back();
        backup.name = entry.name;
        backup.lastWriteTime = entry.lastWriteTime;
        backup.size = entry.size;
        backup.dateText = BackupDateText(clock_, entry.lastWriteTime);
        backup.sizeText = FormatSize(static_cast<std::int64_t>(entry.size));
    }
    return backups;
}

Status BackupStore::Delete(std::string_view fileName) {
    return fileSystem_.DeleteFile(PathOf(fileName));
}

Result<std::string> BackupStore::PathOfName(std::string_view name) const {
    std::string fileName(name);
    // IsValidFileName refuses separators, ":", "." and ".." and the characters no name holds.
    if (!IsValidFileName(fileName) || fileName.find("..") != std::string::npos ||
        IsReservedDeviceName(fileName)) {
        return MakeError(
            ErrorCode::InvalidData,
            "\"" + std::string(name) + "\" is not the name of a file in the backup folder");
    }
    if (!EndsWithNoCase(fileName, kBackupExtension)) fileName += kBackupExtension;
    if (!IsValidFileName(fileName)) {
        return MakeError(ErrorCode::InvalidData, "\"" + std::string(name) + "\" is too long");
    }
    return PathOf(fileName);
}

std::string BackupDateText(const ClockPort& clock, std::uint64_t fileTime) {
    const LocalDateTime local = clock.ToLocal(fileTime);
    char date[32];
    std::snprintf(date, sizeof date, "%04d/%02d/%02d   ", local.year, local.month, local.day);
    return date + clock.TimeText(local);
}

std::optional<BackupFile> NewestBackup(const std::vector<BackupFile>& backups) {
    auto newest = std::max_element(
        backups.begin(), backups.end(), [](const BackupFile& a, const BackupFile& b) {
            return std::tie(a.lastWriteTime, a.name) < std::tie(b.lastWriteTime, b.name);
        });
    if (newest == backups.end()) return std::nullopt;
    return *newest;
}

bool IsFullWindowsPath(std::string_view text) {
    if (text.size() >= 3 && text[1] == ':' && (text[2] == '\\' || text[2] == '/')) {
        const char drive = AsciiLower(text[0]);
        return drive >= 'a' && drive <= 'z';
    }
    return text.size() > 2 && (text[0] == '\\' || text[0] == '/') && text[0] == text[1];
}

}  // namespace kestrover
