#include "scanner/FolderListingCache.h"

#include <array>

#include "core/Text.h"

namespace kestrover {

namespace {

constexpr std::size_t kMaxCachedPathLength = 259;

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices in every folder, with any extension.
bool IsDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    if (stem.size() < 3) return false;
    if (stem.size() > 4 && stem[4] != ' ') return false;  // "COM1  .txt" still names COM1
    std::string base = AsciiUpper(stem);
    while (!base.empty() && base.back() == ' ') base.pop_back();
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
           base[3] >= '1' && base[3] <= '9';
}

// A path the listings can answer for: "X:\name\...\name", every name plain.
bool IsPlainPath(std::string_view path) {
    if (path.size() < 4 || path.size() > kMaxCachedPathLength) return false;
    const char drive = path[0];
    if (!((drive >= 'a' && drive <= 'z') || (drive >= 'A' && drive <= 'Z')) || path[1] != ':' ||
        path[2] != '\\') {
        return false;
    }
    std::size_t start = 3;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view name = path.substr(start, end - start);
        if (name.empty() || name == "." || name == "..") return false;
        if (name.back() == '.' || name.back() == ' ') return false;
        for (char c : name) {
            if (static_cast<unsigned char>(c) < 0x20) return false;
            switch (c) {
                case '/': case '~': case '*': case '?': case '"': case '<': case '>':
                case '|': case ':':
                    return false;
                default:
                    break;
            }
        }
        if (IsDeviceName(name)) return false;
        // NTFS keeps files at a drive's root ("$MFT") that no listing shows.
        if (start == 3 && name.front() == '$') return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

FolderListingCache::FolderListingCache(FileSystemPort& inner, std::size_t maxFolders,
                                       std::size_t maxEntries)
    : ForwardingFileSystem(inner), maxFolders_(maxFolders == 0 ? 1 : maxFolders), maxEntries_(maxEntries) {}

FolderListingCache::Listing& FolderListingCache::ListingOf(std::string_view folder) {
    for (const RecentFolder& recent : lastFolders_) {
        if (recent.valid && recent.spelling == folder) {
            recent_.splice(recent_.begin(), recent_, recent.listing);  // most recently used
            return *recent.listing;
        }
    }
    RecentFolder& slot = lastFolders_[nextRecentSlot_];
    nextRecentSlot_ = (nextRecentSlot_ + 1) % lastFolders_.size();
    slot.spelling.assign(folder);
    slot.valid = false;
    std::string key = AsciiUpper(folder);
    if (auto found = byFolder_.find(key); found != byFolder_.end()) {
        recent_.splice(recent_.begin(), recent_, found->second);
        slot.listing = recent_.begin();
        slot.valid = true;
        return recent_.front();
    }
    Listing listing;
    listing.key = key;
    ++listings_;
    Result<std::vector<FileEntry>> entries = Inner().FindFiles(std::string(folder) + "\\*");
    if (entries.ok()) {
        listing.entries.reserve(entries->size());
        for (FileEntry& entry : *entries) {
            if (!IsAscii(entry.name)) listing.asciiNamesOnly = false;
            if (!entry.name.empty() && (entry.name.back() == '.' || entry.name.back() == ' ')) {
                listing.namesEndingInDotOrBlank = true;
            }
            std::string name = AsciiUpper(entry.name);
            listing.entries.emplace(std::move(name), std::move(entry));
        }
    } else if (entries.error().code == ErrorCode::NotFound) {
        // No such folder (or a file where a folder was named): nothing is below it.
        listing.state = FolderState::Missing;
    } else {
        listing.state = FolderState::Unlistable;
    }
    entryCount_ += listing.entries.size();
    recent_.push_front(std::move(listing));
    byFolder_.emplace(std::move(key), recent_.begin());
    // The newest listing stays even when it alone is over the bound.
    while (recent_.size() > 1 &&
           (recent_.size() > maxFolders_ || entryCount_ > maxEntries_)) {
        Listing& oldest = recent_.back();
        for (RecentFolder& recent : lastFolders_) {
            if (recent.valid && &*recent.listing == &oldest) recent = RecentFolder{};
        }
        entryCount_ -= oldest.entries.size();
        byFolder_.erase(oldest.key);
        recent_.pop_back();
    }
    slot.listing = recent_.begin();
    slot.valid = true;
    return recent_.front();
}

// A path that is no plain path may still be known missing from the listing of a folder on
// its way. "C:\App\app.exe /switch": Windows takes the slash for a separator, so the path
// exists only if "C:\App\app.exe " (or, trimmed, "C:\App\app.exe") is a folder.
// "C:\Windows\(UTC-03:00) Brasilia": a colon in the last name names a stream of the file
// "(UTC-03", which must exist for the path to. When the listing shows no such entry (or, for
// the slash, a file), the path does not exist; otherwise only the system can tell.
FolderListingCache::Answer FolderListingCache::LookupOnTheWay(std::string_view path) {
    const std::size_t slash = path.find('/');
    const std::size_t lastSeparator = path.rfind('\\');
    const std::size_t streamColon =
        lastSeparator == std::string_view::npos ? std::string_view::npos
                                                : path.find(':', lastSeparator + 1);
    std::string_view before;
    bool mustBeFolder = false;
    if (slash != std::string_view::npos) {
        before = path.substr(0, slash);
        mustBeFolder = true;
    } else if (streamColon != std::string_view::npos && streamColon > 2) {
        before = path.substr(0, streamColon);
    } else {
        return Answer::AskSystem;
    }
    const std::size_t separator = before.rfind('\\');
    if (separator == std::string_view::npos) return Answer::AskSystem;
    std::string_view name = before.substr(separator + 1);
    name = name.substr(0, name.find(':'));  // "http:" before "//host"
    while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.remove_suffix(1);
    if (name.empty()) return Answer::AskSystem;
    const std::string_view folder = before.substr(0, separator);
    if (!IsPlainPath(std::string(folder) + "\\" + std::string(name))) return Answer::AskSystem;
    Listing& listing = ListingOf(folder);
    if (listing.state == FolderState::Unlistable) return Answer::AskSystem;
    if (listing.state == FolderState::Missing) return Answer::Missing;
    if (auto found = listing.entries.find(AsciiUpper(name)); found != listing.entries.end()) {
        return mustBeFolder && !found->second.IsDirectory() ? Answer::Missing : Answer::AskSystem;
    }
    if (!listing.asciiNamesOnly || listing.namesEndingInDotOrBlank || !IsAscii(name)) {
        return Answer::AskSystem;
    }
    return Answer::Missing;
}

FolderListingCache::Answer FolderListingCache::Lookup(std::string_view path,
                                                      std::optional<FileEntry>& entry) {
    if (!IsPlainPath(path)) return LookupOnTheWay(path);
    const std::size_t separator = path.rfind('\\');
    const std::string_view folder = path.substr(0, separator);  // "C:" for a drive's root
    const std::string_view name = path.substr(separator + 1);
    Listing& listing = ListingOf(folder);
    if (listing.state == FolderState::Unlistable) return Answer::AskSystem;
    if (listing.state == FolderState::Missing) return Answer::Missing;
    if (auto found = listing.entries.find(AsciiUpper(name)); found != listing.entries.end()) {
        entry = found->second;
        return Answer::Found;
    }
    // Windows matches names beyond ASCII by its own case table; only the system can tell.
    if (!listing.asciiNamesOnly || !IsAscii(name)) return Answer::AskSystem;
    return Answer::Missing;
}

std::optional<FileEntry> FolderListingCache::GetFileInfo(std::string_view path) {
    std::optional<FileEntry> entry;
    switch (Lookup(path, entry)) {
        case Answer::Found: return entry;
        case Answer::Missing: return std::nullopt;
        case Answer::AskSystem: break;
    }
    ++passedThrough_;
    return Inner().GetFileInfo(path);
}

bool FolderListingCache::FileExists(std::string_view path) {
    std::optional<FileEntry> entry;
    switch (Lookup(path, entry)) {
        case Answer::Found: return !entry->IsDirectory();
        case Answer::Missing: return false;
        case Answer::AskSystem: break;
    }
    ++passedThrough_;
    return Inner().FileExists(path);
}

bool FolderListingCache::DirectoryExists(std::string_view path) {
    std::optional<FileEntry> entry;
    switch (Lookup(path, entry)) {
        case Answer::Found: return entry->IsDirectory();
        case Answer::Missing: return false;
        case Answer::AskSystem: break;
    }
    ++passedThrough_;
    return Inner().DirectoryExists(path);
}

}  // namespace kestrover
