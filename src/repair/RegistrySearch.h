// RegistrySearch: finds the keys, value names and value data that hold a text, or the keys the
// user may not change, by running the scan's key walker in search mode over whole roots; each
// hit becomes a result-list entry.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/TextCodec.h"
#include "platform/ports/FileSystemPort.h"
#include "registry/RegistryProvider.h"
#include "scanner/ResultList.h"
#include "scanner/ScanDriver.h"
#include "scanner/ScanEntrySink.h"
#include "scanner/ScanRules.h"

namespace kestrover {

// The search page's options.
struct SearchOptions {
    bool keys = true;              // "&Keys": match key names
    bool values = true;            // "&Values": match value names
    bool data = true;              // "&Data": match value data
    bool wholeWord = false;        // "&Match whole word": the whole name or data equals the text
    bool groupSimilarKeys = true;  // "&Group similar keys"
    bool classesRoot = true;       // the roots searched, in this order
    bool currentUser = true;
    bool localMachine = true;
    bool users = false;
    bool protectedKeysOnly = false;  // "Search Protected Keys only"
};

enum class WholeWord { No, Yes };

// A search text compared with names and data without regard to ASCII case, taken literally
// (no character has a special meaning). The empty text matches nothing.
class SearchTextMatcher {
public:
    SearchTextMatcher(std::string_view text, WholeWord wholeWord, const TextCodec& ansiCodePage);

    bool Empty() const { return lower_.empty(); }
    const std::string& Text() const { return text_; }

    // A key or value name (UTF-8): equal to the text, or holding it.
    bool MatchesName(std::string_view name) const;
    // A value's data as the search reads it (see SearchDataText), compared without building
    // the text: string data in its UTF-16 form, binary data byte by byte.
    bool MatchesData(const RegistryData& data) const;

private:
    bool MatchesUnits(const std::uint8_t* bytes, std::size_t units) const;
    bool MatchesBytes(const std::uint8_t* bytes, std::size_t size) const;

    std::string text_;
    std::string lower_;                     // the text, ASCII lower-cased
    std::u16string lowerUnits_;             // the same in UTF-16
    std::optional<std::string> lowerAnsi_;  // in the code page; nothing when it cannot hold it
    bool wholeWord_;
    mutable std::string compacted_;  // binary data without its zero bytes
};

// A value's data as the search reads it: string and expand-string data up to the first zero
// character; binary data as its non-zero bytes taken as characters of the code page (so that
// UTF-16 text kept in binary data reads as plain text). Every other kind gives no text.
std::optional<std::string> SearchDataText(const RegistryData& data, const TextCodec& ansiCodePage);

// Data texts longer than this are shown as "(string too long)...", an excerpt around the
// search text, and "...".
inline constexpr std::size_t kLongSearchDataLength = 512;
std::string SearchHitDataText(std::string_view data, std::string_view searchText);

// Whether a key the user may not open with full access is left out of the protected-keys
// list: the system's own keys (a path holding "controlset" or "protected storage", a last
// component "sam", "security" or "*local machine*"), unless Shift was held.
bool SkippedProtectedKey(std::string_view path, ShiftKey shift);

// What the walker does at each key and value in search mode.
class RegistrySearchRules final : public ScanRules {
public:
    RegistrySearchRules(const SearchTextMatcher& matcher, const SearchOptions& options,
                        ShiftKey shift, const TextCodec& ansiCodePage, std::string defaultText);

    bool EnterKey(ScanContext& context, RegRoot root, std::string_view path) override;
    void ApplyKeyRules(ScanContext&, KeyVisit&) override {}
    void ApplyValueRules(ScanContext& context, KeyVisit& key, const RegistryValue& value) override;
    void BeforeSubkey(ScanContext& context, RegRoot root, std::string_view parentPath,
                      std::string_view name) override;

private:
    const SearchTextMatcher& matcher_;
    const SearchOptions& options_;
    ShiftKey shift_;
    const TextCodec& ansiCodePage_;
    std::string defaultText_;
};

// How the search talks to whoever runs it. Every callback may be left empty.
struct SearchCallbacks {
    // The title label ("Analyzing ..." while the progress maximum is counted, then empty).
    std::function<void(std::string_view)> showTitle;
    // The status label: the root being searched.
    std::function<void(std::string_view)> showStatus;
    std::function<void(std::int64_t)> setProgressMaximum;
    std::function<void(std::int64_t)> setProgressPosition;
    // Called on entering each key and before each value and subkey.
    std::function<void()> pumpMessages;
};

struct SearchReport {
    bool stopped = false;
    std::size_t hits = 0;  // entries the sink took
};

class RegistrySearch {
public:
    // fileSystem is not searched; the walker shares its environment with the scan.
    RegistrySearch(RegistryContext& registry, FileSystemPort& fileSystem, ScanEntrySink& sink,
                   SearchCallbacks callbacks);
    RegistrySearch(const RegistrySearch&) = delete;
    RegistrySearch& operator=(const RegistrySearch&) = delete;

    // The name shown for the default value in data hits (the language's "(default)").
    void SetDefaultValueText(std::string text) { defaultText_ = std::move(text); }

    // Walks every chosen root whole, in the order classes root, current user, local machine,
    // users, with the root numbers 0 to 3, and hands each hit to the sink. With the
    // protected-keys option the text is not used: the keys that do not open with full access
    // are listed instead. A stop ends the walk before the next value or subkey; the hits found
    // so far stay with the sink.
    SearchReport Run(std::string_view text, const SearchOptions& options, ShiftKey shift);

    // The stop button; safe to call from another thread.
    void Stop() { stopRequested_.store(true); }

private:
    RegistryContext& registry_;
    FileSystemPort& fileSystem_;
    ScanEntrySink& sink_;
    SearchCallbacks callbacks_;
    std::string defaultText_ = "(default)";
    std::atomic<bool> stopRequested_{false};
    ScanDriver* running_ = nullptr;
};

}  // namespace kestrover
