#include "scanner/FolderListingCache.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace kestrover {

namespace {

constexpr std::size_t kMaxCachedPathLength = 259;

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The upper-cased form of text in a buffer reused from one question to the next.
const std::string& UpperInto(std::string& buffer, std::string_view text) {
    buffer.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) buffer[i] = UpperAscii(text[i]);
    return buffer;
}

// Names compared as their ASCII upper-cased forms: equal when those are equal, ordered by
// them byte by byte.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    }
    return true;
}

bool NameBefore(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(UpperAscii(a[i]));
        const auto y = static_cast<unsigned char>(UpperAscii(b[i]));
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

// Listings up to this many names are searched name by name; longer ones through an index
// sorted by name.
constexpr std::size_t kLinearSearchLimit = 16;

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices in every folder, with any extension.
bool IsDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    if (stem.size() < 3) return false;
    const char first = UpperAscii(stem.front());
    if (first != 'C' && first != 'P' && first != 'A' && first != 'N' && first != 'L') return false;
    if (stem.size() > 4 && stem[4] != ' ') return false;  // "COM1  .txt" still names COM1
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    auto is = [stem](std::string_view device) {
        if (stem.size() < device.size()) return false;
        for (std::size_t i = 0; i < device.size(); ++i) {
            if (UpperAscii(stem[i]) != device[i]) return false;
        }
        return true;
    };
    if (stem.size() == 3) return is("CON") || is("PRN") || is("AUX") || is("NUL");
    return stem.size() == 4 && (is("COM") || is("LPT")) && stem[3] >= '1' && stem[3] <= '9';
}

// The characters no plain name holds: controls and those Windows gives a meaning of its own
// (a switch, a short name's tilde, wildcards, quotes, redirections, a stream's colon).
constexpr std::array<bool, 256> kNotInPlainNames = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 0x20; ++c) table[c] = true;
    for (unsigned char c : std::string_view("/~*?\"<>|:")) table[c] = true;
    return table;
}();

// A name the listings can answer for; a name at a drive's root (first) may not begin with "$".
bool IsPlainName(std::string_view name, bool first) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    if (IsDeviceName(name)) return false;
    // NTFS keeps files at a drive's root ("$MFT") that no listing shows.
    return !(first && name.front() == '$');
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
    for (std::size_t i = 3; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '\\') {
            if (!IsPlainName(path.substr(start, i - start), start == 3)) return false;
            start = i + 1;
        } else if (kNotInPlainNames[static_cast<unsigned char>(c)]) {
            return false;
        }
    }
    return IsPlainName(path.substr(start), start == 3);
}

}  // namespace

FolderListingCache::FolderListingCache(FileSystemPort& inner, std::size_t maxFolders,
                                       std::size_t maxEntries)
    : ForwardingFileSystem(inner), maxFolders_(maxFolders == 0 ? 1 : maxFolders), maxEntries_(maxEntries) {}

void FolderListingCache::Clear() {
    listings_.clear();
    freeSlots_.clear();
    table_.clear();
    newest_ = oldest_ = kNone;
    kept_ = 0;
    entryCount_ = 0;
    lastFolders_ = {};
}

const FileEntry* FolderListingCache::Listing::Find(std::string_view name) const {
    if (sortedByName.empty()) {
        for (const FileEntry& entry : entries) {
            if (SameName(entry.name, name)) return &entry;
        }
        return nullptr;
    }
    // The first of equal names in listing order, as the sort is stable.
    auto at = std::lower_bound(sortedByName.begin(), sortedByName.end(), name,
                               [this](std::uint32_t index, std::string_view wanted) {
                                   return NameBefore(entries[index].name, wanted);
                               });
    if (at == sortedByName.end() || !SameName(entries[*at].name, name)) return nullptr;
    return &entries[*at];
}

std::uint32_t FolderListingCache::FindListing(std::string_view key, std::size_t hash) const {
    if (table_.empty()) return kNone;
    const std::size_t mask = table_.size() - 1;
    for (std::size_t i = hash & mask; table_[i].listing != kNone; i = (i + 1) & mask) {
        if (table_[i].hash == hash && listings_[table_[i].listing].key == key) {
            return table_[i].listing;
        }
    }
    return kNone;
}

void FolderListingCache::AddToTable(std::uint32_t index) {
    if (2 * (kept_ + 1) > table_.size()) {
        // Twice as long, every kept listing in its new place.
        std::vector<TableSlot> old = std::move(table_);
        table_.assign(std::max<std::size_t>(64, 2 * old.size()), TableSlot{});
        for (const TableSlot& slot : old) {
            if (slot.listing == kNone) continue;
            const std::size_t mask = table_.size() - 1;
            std::size_t i = slot.hash & mask;
            while (table_[i].listing != kNone) i = (i + 1) & mask;
            table_[i] = slot;
        }
    }
    const std::size_t mask = table_.size() - 1;
    std::size_t i = listings_[index].hash & mask;
    while (table_[i].listing != kNone) i = (i + 1) & mask;
    table_[i] = TableSlot{listings_[index].hash, index};
}

void FolderListingCache::RemoveFromTable(std::uint32_t index) {
    const std::size_t mask = table_.size() - 1;
    std::size_t hole = listings_[index].hash & mask;
    while (table_[hole].listing != index) hole = (hole + 1) & mask;
    // The slots after the hole, up to the next empty one, move back into it when the hole
    // lies between their home slot and where they stand, so that every probe still finds them.
    for (std::size_t next = (hole + 1) & mask; table_[next].listing != kNone;
         next = (next + 1) & mask) {
        const std::size_t home = table_[next].hash & mask;
        const bool homeAfterHole =
            hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
        if (homeAfterHole) continue;
        table_[hole] = table_[next];
        hole = next;
    }
    table_[hole] = TableSlot{};
}

void FolderListingCache::Unlink(std::uint32_t index) {
    Listing& listing = listings_[index];
    if (listing.newer != kNone) listings_[listing.newer].older = listing.older;
    if (listing.older != kNone) listings_[listing.older].newer = listing.newer;
    if (newest_ == index) newest_ = listing.older;
    if (oldest_ == index) oldest_ = listing.newer;
    listing.newer = listing.older = kNone;
}

void FolderListingCache::MakeNewest(std::uint32_t index) {
    if (newest_ == index) return;
    Unlink(index);
    Listing& listing = listings_[index];
    listing.older = newest_;
    if (newest_ != kNone) listings_[newest_].newer = index;
    newest_ = index;
    if (oldest_ == kNone) oldest_ = index;
}

void FolderListingCache::Evict(std::uint32_t index) {
    for (RecentFolder& recent : lastFolders_) {
        if (recent.listing == index) recent.listing = kNone;
    }
    RemoveFromTable(index);
    Unlink(index);
    Listing& listing = listings_[index];
    entryCount_ -= listing.entries.size();
    // The names go with the listing; only the slot is kept for the next one.
    listing.entries = {};
    listing.sortedByName = {};
    freeSlots_.push_back(index);
    --kept_;
}

std::uint32_t FolderListingCache::TakeListing(std::string_view folder, std::size_t hash) {
    std::uint32_t index;
    if (!freeSlots_.empty()) {
        index = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        index = static_cast<std::uint32_t>(listings_.size());
        listings_.emplace_back();
    }
    Listing& listing = listings_[index];
    listing.key = upper_;
    listing.hash = hash;
    listing.state = FolderState::Listed;
    listing.asciiNamesOnly = true;
    listing.namesEndingInDotOrBlank = false;
    ++listingCount_;
    Result<std::vector<FileEntry>> entries = Inner().FindFiles(std::string(folder) + "\\*");
    if (entries.ok()) {
        listing.entries = std::move(*entries);
        for (const FileEntry& entry : listing.entries) {
            if (!IsAscii(entry.name)) listing.asciiNamesOnly = false;
            if (!entry.name.empty() && (entry.name.back() == '.' || entry.name.back() == ' ')) {
                listing.namesEndingInDotOrBlank = true;
            }
        }
        if (listing.entries.size() > kLinearSearchLimit) {
            listing.sortedByName.resize(listing.entries.size());
            for (std::size_t i = 0; i < listing.entries.size(); ++i) {
                listing.sortedByName[i] = static_cast<std::uint32_t>(i);
            }
            std::stable_sort(listing.sortedByName.begin(), listing.sortedByName.end(),
                             [&listing](std::uint32_t a, std::uint32_t b) {
                                 return NameBefore(listing.entries[a].name,
                                                   listing.entries[b].name);
                             });
        }
    } else if (entries.error().code == ErrorCode::NotFound) {
        // No such folder (or a file where a folder was named): nothing is below it.
        listing.state = FolderState::Missing;
    } else {
        listing.state = FolderState::Unlistable;
    }
    entryCount_ += listing.entries.size();
    AddToTable(index);
    ++kept_;
    MakeNewest(index);
    // The newest listing stays even when it alone is over the bound.
    while (kept_ > 1 && (kept_ > maxFolders_ || entryCount_ > maxEntries_)) Evict(oldest_);
    return index;
}

FolderListingCache::Listing& FolderListingCache::ListingOf(std::string_view folder) {
    ++questions_;
    RecentFolder* slot = &lastFolders_.front();
    for (RecentFolder& recent : lastFolders_) {
        if (recent.listing != kNone && recent.spelling == folder) {
            recent.lastAsked = questions_;
            MakeNewest(recent.listing);
            return listings_[recent.listing];
        }
        // A slot whose listing is gone is free.
        const std::uint64_t asked = recent.listing == kNone ? 0 : recent.lastAsked;
        const std::uint64_t slotAsked = slot->listing == kNone ? 0 : slot->lastAsked;
        if (asked < slotAsked) slot = &recent;
    }
    const std::string_view key = UpperInto(upper_, folder);
    const std::size_t hash = std::hash<std::string_view>{}(key);
    std::uint32_t index = FindListing(key, hash);
    if (index == kNone) {
        index = TakeListing(folder, hash);
    } else {
        MakeNewest(index);
    }
    slot->spelling.assign(folder);
    slot->listing = index;
    slot->lastAsked = questions_;
    return listings_[index];
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
    joined_.assign(folder).append("\\").append(name);
    if (!IsPlainPath(joined_)) return Answer::AskSystem;
    Listing& listing = ListingOf(folder);
    if (listing.state == FolderState::Unlistable) return Answer::AskSystem;
    if (listing.state == FolderState::Missing) return Answer::Missing;
    if (const FileEntry* found = listing.Find(name)) {
        return mustBeFolder && !found->IsDirectory() ? Answer::Missing : Answer::AskSystem;
    }
    if (!listing.asciiNamesOnly || listing.namesEndingInDotOrBlank || !IsAscii(name)) {
        return Answer::AskSystem;
    }
    return Answer::Missing;
}

FolderListingCache::Answer FolderListingCache::Lookup(std::string_view path,
                                                      const FileEntry*& entry) {
    if (!IsPlainPath(path)) return LookupOnTheWay(path);
    const std::size_t separator = path.rfind('\\');
    const std::string_view folder = path.substr(0, separator);  // "C:" for a drive's root
    const std::string_view name = path.substr(separator + 1);
    Listing& listing = ListingOf(folder);
    if (listing.state == FolderState::Unlistable) return Answer::AskSystem;
    if (listing.state == FolderState::Missing) return Answer::Missing;
    if (const FileEntry* found = listing.Find(name)) {
        entry = found;
        return Answer::Found;
    }
    // Windows matches names beyond ASCII by its own case table; only the system can tell.
    if (!listing.asciiNamesOnly || !IsAscii(name)) return Answer::AskSystem;
    return Answer::Missing;
}

std::optional<FileEntry> FolderListingCache::GetFileInfo(std::string_view path) {
    const FileEntry* entry = nullptr;
    switch (Lookup(path, entry)) {
        case Answer::Found: return *entry;
        case Answer::Missing: return std::nullopt;
        case Answer::AskSystem: break;
    }
    ++passedThrough_;
    return Inner().GetFileInfo(path);
}

bool FolderListingCache::FileExists(std::string_view path) {
    const FileEntry* entry = nullptr;
    switch (Lookup(path, entry)) {
        case Answer::Found: return !entry->IsDirectory();
        case Answer::Missing: return false;
        case Answer::AskSystem: break;
    }
    ++passedThrough_;
    return Inner().FileExists(path);
}

bool FolderListingCache::DirectoryExists(std::string_view path) {
    const FileEntry* entry = nullptr;
    switch (Lookup(path, entry)) {
        case Answer::Found: return entry->IsDirectory();
        case Answer::Missing: return false;
        case Answer::AskSystem: break;
    }
    ++passedThrough_;
    return Inner().DirectoryExists(path);
}

}  // namespace kestrover
