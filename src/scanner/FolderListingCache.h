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
#include <cstdint>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

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
    void Clear();

    // How many listings were taken and how many questions went to the real file system.
    std::size_t ListingCount() const { return listingCount_; }
    std::size_t PassedThroughCount() const { return passedThrough_; }

private:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    enum class FolderState { Listed, Missing, Unlistable };
    struct Listing {
        std::string key;       // the folder, upper-cased
        std::size_t hash = 0;  // of the key
        FolderState state = FolderState::Listed;
        bool asciiNamesOnly = true;
        bool namesEndingInDotOrBlank = false;  // stored names Windows would not match plainly
        std::vector<FileEntry> entries;        // as the system listed them
        // Indexes into entries by upper-cased name, for listings too long to search in turn.
        std::vector<std::uint32_t> sortedByName;
        // The next listing used more recently and less recently (indexes into listings_).
        std::uint32_t newer = kNone;
        std::uint32_t older = kNone;

        // The first entry of that name, ignoring ASCII case; nothing when there is none.
        const FileEntry* Find(std::string_view name) const;
    };
    enum class Answer { Found, Missing, AskSystem };

    // entry points into a listing, valid until the next listing is taken.
    Answer Lookup(std::string_view path, const FileEntry*& entry);
    Answer LookupOnTheWay(std::string_view path);
    Listing& ListingOf(std::string_view folder);

    // The index of the listing of an upper-cased folder, or kNone.
    std::uint32_t FindListing(std::string_view key, std::size_t hash) const;
    std::uint32_t TakeListing(std::string_view folder, std::size_t hash);
    void Evict(std::uint32_t index);
    void MakeNewest(std::uint32_t index);
    void Unlink(std::uint32_t index);
    void AddToTable(std::uint32_t index);
    void RemoveFromTable(std::uint32_t index);

    std::size_t maxFolders_;
    std::size_t maxEntries_;
    std::size_t entryCount_ = 0;
    std::size_t kept_ = 0;
    // The listings, kept and free, in slots reused as listings come and go; the kept ones are
    // linked from the most recently used (newest_) to the least (oldest_).
    std::vector<Listing> listings_;
    std::vector<std::uint32_t> freeSlots_;
    std::uint32_t newest_ = kNone;
    std::uint32_t oldest_ = kNone;
    // The kept listings by key hash: open addressing, linear probing, a power of two long and
    // at most half full, so that a question rarely looks at more than one slot and never at
    // a listing whose key cannot be its own.
    struct TableSlot {
        std::size_t hash = 0;
        std::uint32_t listing = kNone;
    };
    std::vector<TableSlot> table_;
    // The folders asked about last, as they were spelled: the next question is most often
    // about one of them (a program's folder, the Windows folder, system32). The least
    // recently asked gives way.
    struct RecentFolder {
        std::string spelling;
        std::uint32_t listing = kNone;
        std::uint64_t lastAsked = 0;
    };
    std::array<RecentFolder, 8> lastFolders_;
    std::uint64_t questions_ = 0;
    std::size_t listingCount_ = 0;
    std::size_t passedThrough_ = 0;
    // Buffers reused from one question to the next, so that a question allocates nothing.
    std::string upper_;
    std::string joined_;
};

}  // namespace kestrover
