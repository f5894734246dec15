// FolderListingCache: a file system that answers "does this path exist" from listings of the
// folders asked about, one listing per folder, for the length of one scan. A scan asks about
// hundreds of thousands of paths in a few hundred folders; under Wine every question to the
// system is a round trip to the wineserver, so listing a folder once is much cheaper than
// asking about each of its files.
//
// The cache only ever answers "missing" for a name it is sure about: a plain name of ASCII
// characters in a folder whose listing holds ASCII names only, or a path with a slash (a
// command line's switch) whose part before the slash names no folder. Short (8.3) names, names
// ending in a dot or a blank, device names, wildcards, long paths and folders that cannot be
// listed are asked of the real file system, since Windows finds those by rules a listing does
// not show. Everything but the existence questions passes straight through.
#pragma once

#include <array>
#include <cstddef>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/ports/ForwardingFileSystem.h"

namespace kestrover {

class FolderListingCache final : public ForwardingFileSystem {
public:
    // At most maxFolders listings, holding at most maxEntries names in all, are kept; the
    // least recently used goes first.
    explicit FolderListingCache(FileSystemPort& inner, std::size_t maxFolders = 4096,
                                std::size_t maxEntries = 250000);

    std::optional<FileEntry> GetFileInfo(std::string_view path) override;
    bool FileExists(std::string_view path) override;
    bool DirectoryExists(std::string_view path) override;


    // Forgets every listing (files may have changed since they were taken).
    void Clear() {
        recent_.clear();
        byFolder_.clear();
        entryCount_ = 0;
        lastFolders_ = {};
    }

    // How many listings were taken and how many questions went to the real file system.
    std::size_t ListingCount() const { return listings_; }
    std::size_t PassedThroughCount() const { return passedThrough_; }

private:
    enum class FolderState { Listed, Missing, Unlistable };
    struct Listing {
        std::string key;
        FolderState state = FolderState::Listed;
        bool asciiNamesOnly = true;
        bool namesEndingInDotOrBlank = false;  // stored names Windows would not match plainly
        std::unordered_map<std::string, FileEntry> entries;  // by upper-cased name
    };
    enum class Answer { Found, Missing, AskSystem };

    Answer Lookup(std::string_view path, std::optional<FileEntry>& entry);
    Answer LookupOnTheWay(std::string_view path);
    Listing& ListingOf(std::string_view folder);

    std::size_t maxFolders_;
    std::size_t maxEntries_;
    std::size_t entryCount_ = 0;
    // The folders asked about last, as they were spelled: the next question is most often
    // about one of them (a program's folder, the Windows folder, system32).
    struct RecentFolder {
        std::string spelling;
        std::list<Listing>::iterator listing;
        bool valid = false;
    };
    std::array<RecentFolder, 4> lastFolders_;
    std::size_t nextRecentSlot_ = 0;
    std::list<Listing> recent_;  // most recently used first
    std::unordered_map<std::string, std::list<Listing>::iterator> byFolder_;
    std::size_t listings_ = 0;
    std::size_t passedThrough_ = 0;
};

}  // namespace kestrover
