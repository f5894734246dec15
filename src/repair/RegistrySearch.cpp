// The registry search: matching names and data, listing protected keys, and the root passes.
#include "repair/RegistrySearch.h"

#include <algorithm>
#include <cstring>

#include "core/Text.h"
#include "core/Unicode.h"
#include "registry/KeyPaths.h"
#include "scanner/ScanEntry.h"

namespace kestrover {

namespace {

constexpr std::string_view kProtectedMarker = "²²100";
constexpr std::size_t kExcerptBefore = 20;
constexpr std::size_t kExcerptAfter = 50;

char16_t LowerUnit(char16_t unit) {
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + (u'a' - u'A')) : unit;
}

unsigned char LowerByte(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

char16_t UnitAt(const std::uint8_t* bytes, std::size_t index) {
    return static_cast<char16_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8));
}

// Units of string data before its first zero unit (an odd last byte is no unit).
std::size_t UnitsBeforeZero(const std::vector<std::uint8_t>& bytes) {
    const std::size_t units = bytes.size() / 2;
    for (std::size_t index = 0; index < units; ++index) {
        if (bytes[2 * index] == 0 && bytes[2 * index + 1] == 0) return index;
    }
    return units;
}

bool IsStringData(const RegistryData& data) {
    return data.type == RegistryType::String || data.type == RegistryType::ExpandString;
}

// Moves a byte position back to the start of the UTF-8 character it falls in.
std::size_t CharacterStart(std::string_view text, std::size_t position) {
    while (position > 0 && position < text.size() &&
           (static_cast<unsigned char>(text[position]) & 0xC0) == 0x80) {
        --position;
    }
    return position;
}

// Counts the entries the sink takes.
class CountingSink final : public ScanEntrySink {
public:
    explicit CountingSink(ScanEntrySink& inner) : inner_(inner) {}
    bool AddScanEntry(std::string_view text, int rootIndex, CategoryFlags& flags,
                      const FindingDetail& detail) override {
        const bool added = inner_.AddScanEntry(text, rootIndex, flags, detail);
        if (added) ++count;
        return added;
    }
    std::size_t count = 0;

private:
    ScanEntrySink& inner_;
};

}  // namespace

SearchTextMatcher::SearchTextMatcher(std::string_view text, WholeWord wholeWord,
                                     const TextCodec& ansiCodePage)
    : text_(text), lower_(AsciiLower(text)), wholeWord_(wholeWord == WholeWord::Yes) {
    lowerUnits_ = Utf8ToUtf16(lower_);
    bool lossless = true;
    std::string ansi = ansiCodePage.FromUtf8(lower_, &lossless);
    // A text the code page cannot hold is in no binary data read as that code page; and a
    // zero byte never survives in the non-zero bytes the data is read as.
    if (lossless && ansi.find('\0') == std::string::npos) lowerAnsi_ = std::move(ansi);
}

bool SearchTextMatcher::MatchesName(std::string_view name) const {
    if (lower_.empty() || name.size() < lower_.size()) return false;
    if (wholeWord_) return EqualsNoCase(name, lower_);
    const std::size_t last = name.size() - lower_.size();
    const char first = lower_[0];
    for (std::size_t at = 0; at <= last; ++at) {
        if (AsciiLower(name[at]) != first) continue;
        std::size_t matched = 1;
        while (matched < lower_.size() && AsciiLower(name[at + matched]) == lower_[matched]) {
            ++matched;
        }
        if (matched == lower_.size()) return true;
    }
    return false;
}

bool SearchTextMatcher::MatchesData(const RegistryData& data) const {
    if (lower_.empty()) return false;
    if (IsStringData(data)) return MatchesUnits(data.bytes.data(), UnitsBeforeZero(data.bytes));
    if (data.type != RegistryType::Binary || !lowerAnsi_) return false;
    compacted_.clear();
    for (std::uint8_t byte : data.bytes) {
        if (byte != 0) compacted_.push_back(static_cast<char>(byte));
    }
    return MatchesBytes(reinterpret_cast<const std::uint8_t*>(compacted_.data()),
                        compacted_.size());
}

bool SearchTextMatcher::MatchesUnits(const std::uint8_t* bytes, std::size_t units) const {
    const std::size_t needle = lowerUnits_.size();
    if (needle == 0 || units < needle) return false;
    if (wholeWord_ && units != needle) return false;
    const std::size_t last = units - needle;
    for (std::size_t at = 0; at <= last; ++at) {
        if (LowerUnit(UnitAt(bytes, at)) != lowerUnits_[0]) continue;
        std::size_t matched = 1;
        while (matched < needle && LowerUnit(UnitAt(bytes, at + matched)) == lowerUnits_[matched]) {
            ++matched;
        }
        if (matched == needle) return true;
    }
    return false;
}

bool SearchTextMatcher::MatchesBytes(const std::uint8_t* bytes, std::size_t size) const {
    const std::string& needle = *lowerAnsi_;
    if (needle.empty() || size < needle.size()) return false;
    if (wholeWord_ && size != needle.size()) return false;
    const std::size_t last = size - needle.size();
    const unsigned char first = static_cast<unsigned char>(needle[0]);
    for (std::size_t at = 0; at <= last; ++at) {
        if (LowerByte(bytes[at]) != first) continue;
        std::size_t matched = 1;
        while (matched < needle.size() &&
               LowerByte(bytes[at + matched]) == static_cast<unsigned char>(needle[matched])) {
            ++matched;
        }
        if (matched == needle.size()) return true;
    }
    return false;
}

std::optional<std::string> SearchDataText(const RegistryData& data, const TextCodec& ansiCodePage) {
    if (IsStringData(data)) {
        return Utf16LeBytesToUtf8(data.bytes.data(), 2 * UnitsBeforeZero(data.bytes));
    }
    if (data.type != RegistryType::Binary) return std::nullopt;
    std::string bytes;
    bytes.reserve(data.bytes.size());
    for (std::uint8_t byte : data.bytes) {
        if (byte != 0) bytes.push_back(static_cast<char>(byte));
    }
    return ansiCodePage.ToUtf8(bytes);
}

std::string SearchHitDataText(std::string_view data, std::string_view searchText) {
    if (data.size() <= kLongSearchDataLength) return std::string(data);
    // A whole multi-megabyte value in one row helps no one: the row shows where the text is.
    std::size_t found = FindNoCase(data, searchText);
    std::size_t start = 0;
    if (found != std::string_view::npos && found > kExcerptBefore) start = found - kExcerptBefore;
    start = CharacterStart(data, start);
    std::size_t end =
        std::min(data.size(), start + kExcerptBefore + searchText.size() + kExcerptAfter);
    end = CharacterStart(data, end);
    std::string excerpt(data.substr(start, end - start));
    std::replace(excerpt.begin(), excerpt.end(), '\0', ' ');
    return "(string too long)..." + excerpt + "...";
}

bool SkippedProtectedKey(std::string_view path, ShiftKey shift) {
    if (shift == ShiftKey::Held) return false;
    const std::string lower = AsciiLower(path);
    if (lower.find("controlset") != std::string::npos ||
        lower.find("protected storage") != std::string::npos) {
        return true;
    }
    const std::string last = LastKeyName(lower);
    return last == "sam" || last == "security" || last == "*local machine*";
}

RegistrySearchRules::RegistrySearchRules(const SearchTextMatcher& matcher,
                                         const SearchOptions& options, ShiftKey shift,
                                         const TextCodec& ansiCodePage, std::string defaultText)
    : matcher_(matcher),
      options_(options),
      shift_(shift),
      ansiCodePage_(ansiCodePage),
      defaultText_(std::move(defaultText)) {}

bool RegistrySearchRules::EnterKey(ScanContext& context, RegRoot root, std::string_view path) {
    if (!options_.protectedKeysOnly || path.empty()) return true;
    RegistryProvider provider(context.registry);
    provider.SetRootKey(root);
    if (provider.OpenKey(path, false)) return true;
    // A key that went away since its parent was listed is no protected key.
    if (!provider.KeyExists(path)) return false;
    // The key's values and subkeys are not looked at: they are as out of reach as the key.
    if (SkippedProtectedKey(path, shift_)) return false;
    std::string entry(path);
    entry += kProtectedMarker;
    context.AddScanEntry(entry);
    return false;
}

void RegistrySearchRules::ApplyValueRules(ScanContext& context, KeyVisit& key,
                                          const RegistryValue& value) {
    if (matcher_.Empty()) return;
    if (options_.values && matcher_.MatchesName(value.name)) {
        context.AddScanEntry(MakeEntryText(key.path, value.name));
    }
    if (options_.data && matcher_.MatchesData(value.data)) {
        std::optional<std::string> data = SearchDataText(value.data, ansiCodePage_);
        if (!data) return;
        const std::string_view name =
            value.name.empty() ? std::string_view(defaultText_) : std::string_view(value.name);
        context.AddScanEntry(
            MakeEntryText(key.path, name, SearchHitDataText(*data, matcher_.Text())));
    }
}

void RegistrySearchRules::BeforeSubkey(ScanContext& context, RegRoot root,
                                       std::string_view parentPath, std::string_view name) {
    (void)root;
    if (!options_.keys || matcher_.Empty()) return;
    bool hit = false;
    if (options_.wholeWord || options_.groupSimilarKeys) {
        hit = matcher_.MatchesName(name);
    } else {
        // Without grouping every key below a matching path is listed, and the matching key
        // itself with them.
        hit = matcher_.MatchesName(name) || matcher_.MatchesName(parentPath);
    }
    if (!hit) return;
    std::string entry;
    entry.reserve(parentPath.size() + 1 + name.size());
    entry = parentPath;
    if (!entry.empty()) entry += '\\';
    entry += name;
    context.AddScanEntry(entry);
}

RegistrySearch::RegistrySearch(RegistryContext& registry, FileSystemPort& fileSystem,
                               ScanEntrySink& sink, SearchCallbacks callbacks)
    : registry_(registry), fileSystem_(fileSystem), sink_(sink), callbacks_(std::move(callbacks)) {}

SearchReport RegistrySearch::Run(std::string_view text, const SearchOptions& options,
                                 ShiftKey shift) {
    stopRequested_.store(false);
    const TextCodec& ansi = registry_.ansiCodePage ? *registry_.ansiCodePage : Windows1252();
    // The protected-keys list looks at no names: its text is always empty.
    SearchTextMatcher matcher(options.protectedKeysOnly ? std::string_view() : text,
                              options.wholeWord ? WholeWord::Yes : WholeWord::No, ansi);
    RegistrySearchRules rules(matcher, options, shift, ansi, defaultText_);
    CountingSink counting(sink_);

    ScanCallbacks scanCallbacks;
    scanCallbacks.setProgressMaximum = callbacks_.setProgressMaximum;
    scanCallbacks.setProgressPosition = callbacks_.setProgressPosition;
    scanCallbacks.pumpMessages = [this] {
        if (callbacks_.pumpMessages) callbacks_.pumpMessages();
        if (stopRequested_.load() && running_) running_->StopScan();
    };
    ScanDriver driver(ScanEnvironment{registry_, fileSystem_, counting, rules, {}, &ansi},
                      scanCallbacks);
    driver.SetWalkMode(WalkMode::Search);
    running_ = &driver;

    auto showTitle = [this](std::string_view title) {
        if (callbacks_.showTitle) callbacks_.showTitle(title);
    };
    showTitle("Analyzing ...");
    if (callbacks_.pumpMessages) callbacks_.pumpMessages();
    const ScanSelection selection{options.classesRoot, options.currentUser, options.localMachine,
                                  options.users, false, {}};
    const std::int64_t maximum = driver.ComputeProgressMaximum(selection);
    if (callbacks_.setProgressMaximum) callbacks_.setProgressMaximum(maximum);
    if (callbacks_.setProgressPosition) callbacks_.setProgressPosition(0);
    showTitle("");

    struct Pass {
        bool chosen;
        int rootIndex;
        RegRoot root;
        std::string_view status;
    };
    const Pass passes[] = {
        {options.classesRoot, 0, RegRoot::ClassesRoot, "HKEY_CLASSES_ROOT"},
        {options.currentUser, 1, RegRoot::CurrentUser, "Scan : HKEY_CURRENT_USER"},
        {options.localMachine, 2, RegRoot::LocalMachine, "Scan : HKEY_LOCAL_MACHINE"},
        {options.users, 3, RegRoot::Users, "Scan : HKEY_USERS"},
    };
    for (const Pass& pass : passes) {
        if (!pass.chosen) continue;
        if (stopRequested_.load()) driver.StopScan();
        if (driver.StopRequested()) break;
        driver.SetCurrentRootIndex(pass.rootIndex);
        if (callbacks_.showStatus) callbacks_.showStatus(pass.status);
        driver.ReadReg(pass.root, "");
    }
    running_ = nullptr;

    SearchReport report;
    report.stopped = driver.StopRequested() || stopRequested_.load();
    report.hits = counting.count;
    return report;
}

}  // namespace kestrover
