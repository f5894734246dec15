// Backup file names: the default by page, the name dialog's outcome made safe, and uniqueness.
#include "repair/BackupFileName.h"

#include <array>

#include "core/Text.h"

namespace kestrover {

namespace {

constexpr std::string_view kRegExtension = ".reg";
constexpr std::string_view kUnsafeCharacters = "\\/:*?\"<>|";
// More names than any backup folder holds: past this the folder is taken as unusable.
constexpr int kMaxCounter = 100000;

bool IsUnsafeCharacter(char c) {
    return static_cast<unsigned char>(c) < 0x20 || kUnsafeCharacters.find(c) != std::string_view::npos;
}

std::string ReplaceUnsafeCharacters(std::string_view text) {
    std::string safe(text);
    for (char& c : safe) {
        if (IsUnsafeCharacter(c)) c = '_';
    }
    return safe;
}

// Names Windows opens as devices whatever folder or extension they are given.
bool IsDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    static constexpr std::array<std::string_view, 4> kDevices = {"con", "prn", "aux", "nul"};
    std::string lower = AsciiLower(base);
    for (std::string_view device : kDevices) {
        if (lower == device) return true;
    }
    return lower.size() == 4 && (lower.starts_with("com") || lower.starts_with("lpt")) &&
           lower[3] >= '1' && lower[3] <= '9';
}

std::string ReplaceSlashes(std::string_view text) {
    std::string replaced(text);
    for (char& c : replaced) {
        if (c == '/' || c == '\\') c = '-';
    }
    return replaced;
}

bool IsFree(FileSystemPort& fileSystem, const std::string& path) {
    return !fileSystem.FileExists(path) && !fileSystem.DirectoryExists(path);
}

}  // namespace

std::string BackupDateText(const ClockPort& clock, const LocalDateTime& time) {
    std::string text = clock.ShortDateText(time);
    for (char& c : text) {
        if (c == '/') c = '-';
    }
    return text;
}

std::string BackupTimeText(const ClockPort& clock, const LocalDateTime& time) {
    std::string text = clock.TimeText(time);
    for (char& c : text) {
        if (c == ':') c = '.';
    }
    return text;
}

std::string BackupFileName(const BackupPage& page, std::string_view dateText,
                           std::string_view timeText, std::string_view backupFolder) {
    std::string name;
    switch (page.kind) {
        case BackupPageKind::Services:
            name = "Service-" + std::string(dateText) + "-" + std::string(timeText);
            break;
        case BackupPageKind::Drivers:
            name = "Driver-" + std::string(dateText) + "-" + std::string(timeText);
            break;
        case BackupPageKind::TitledList: name = ReplaceSlashes(page.title); break;
        case BackupPageKind::ApplicationSettings: name = "Software"; break;
        case BackupPageKind::RegistryCleaner: name = "Clean"; break;
        case BackupPageKind::Other: {
            std::string_view title = page.title;
            name = Trim(title.substr(0, title.find('[')));
            break;
        }
    }
    // Titles and regional date formats are not chosen with file names in mind: a ":" in one
    // would even put the backup in an alternate stream of another file.
    return std::string(backupFolder) + SafeBackupFileName(name + std::string(kRegExtension));
}

std::string BackupFileNamePart(std::string_view path) {
    std::size_t separator = path.find_last_of("\\/");
    return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

bool IsFullPathTyped(std::string_view text) {
    if (text.size() >= 3 && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z')) &&
        text[1] == ':' && (text[2] == '\\' || text[2] == '/')) {
        return true;
    }
    // "\\server\share\name": a server and a share, each named.
    if (text.size() < 5 || !text.starts_with("\\\\")) return false;
    std::size_t shareStart = text.find('\\', 2);
    return shareStart != std::string_view::npos && shareStart > 2 &&
           shareStart + 1 < text.size() && text[shareStart + 1] != '\\';
}

std::string SafeBackupFileName(std::string_view typed) {
    std::string safe = ReplaceUnsafeCharacters(typed);
    if (safe.find_first_not_of('.') == std::string::npos) return "_";
    if (IsDeviceName(safe)) safe.insert(0, "_");
    return safe;
}

std::string BackupPathFromDialog(std::string_view proposedPath, std::string_view editedText,
                                 std::string_view backupFolder) {
    std::string path;
    std::string edited = Trim(editedText);
    if (editedText == BackupFileNamePart(proposedPath) || edited.empty()) {
        // An emptied box keeps the proposed name rather than making a file of no name.
        path = Trim(proposedPath);
    } else if (IsFullPathTyped(edited)) {
        path = edited;
    } else {
        path = std::string(backupFolder) + SafeBackupFileName(edited);
    }
    if (!EndsWithNoCase(path, kRegExtension)) path += kRegExtension;
    return path;
}

std::optional<std::string> UniqueBackupPath(FileSystemPort& fileSystem, std::string_view path,
                                            std::string_view dateText, std::string_view timeText) {
    std::string candidate(path);
    if (IsFree(fileSystem, candidate)) return candidate;

    std::string_view stem = path;
    std::string_view extension;
    if (EndsWithNoCase(stem, kRegExtension)) {
        extension = stem.substr(stem.size() - kRegExtension.size());
        stem.remove_suffix(kRegExtension.size());
    }
    std::string base(stem);
    std::string suffix = ReplaceUnsafeCharacters("-" + std::string(dateText) + "-" + std::string(timeText));
    if (!EndsWithNoCase(base, suffix)) {
        base += suffix;
        candidate = base + std::string(extension);
        if (IsFree(fileSystem, candidate)) return candidate;
    }
    for (int counter = 2; counter <= kMaxCounter; ++counter) {
        candidate = base + " (" + std::to_string(counter) + ")" + std::string(extension);
        if (IsFree(fileSystem, candidate)) return candidate;
    }
    return std::nullopt;
}

}  // namespace kestrover
