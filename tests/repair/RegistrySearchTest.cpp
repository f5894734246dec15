// The registry search: what a text matches (names, string data, binary data read as text, taken
// literally), the key options, the protected-keys list with its Shift exception, the root
// passes, the stop button, and bad input (names of every character, huge data).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/Unicode.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegistryProvider.h"
#include "repair/RegistrySearch.h"

namespace kestrover {
namespace {

using Texts = std::vector<std::string>;

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kNested = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Nested";
constexpr const char* kVendor = "Software\\Vendor";

// Keeps every entry as "root digit|text", as the result list would get it, without dropping any.
class RecordingSink final : public ScanEntrySink {
public:
    bool AddScanEntry(std::string_view text, int rootIndex, CategoryFlags& flags,
                      const FindingDetail&) override {
        entries.push_back(std::to_string(rootIndex) + "|" + std::string(text));
        flags.Clear();
        if (onEntry) onEntry();
        return true;
    }
    Texts entries;
    std::function<void()> onEntry;
};

RegistryData Utf16(std::string_view text, std::uint32_t type = RegistryType::String) {
    return RegistryData{type, Utf8ToUtf16LeBytes(text, true)};
}

RegistryData Bytes(std::uint32_t type, std::vector<std::uint8_t> bytes) {
    return RegistryData{type, std::move(bytes)};
}

class RegistrySearchTest : public ::testing::Test {
protected:
    RegistrySearchTest() {
        Set(RegRoot::CurrentUser, kRun, "Tool", Utf16("C:\\Tools\\Runner.exe"));
        Set(RegRoot::CurrentUser, kRun, "Updater", Utf16("C:\\Tools\\update.exe"));
        Set(RegRoot::CurrentUser, kRunOnce, "RUNME", Bytes(RegistryType::Dword, {1, 0, 0, 0}));
        AddKey(RegRoot::CurrentUser, kNested);
        AddKey(RegRoot::CurrentUser, "Software\\Vendor\\Settings");
        Set(RegRoot::CurrentUser, "Software\\Vendor\\Settings", "", Utf16("prune"));
        Set(RegRoot::CurrentUser, "Software\\Vendor\\Settings", "Multi",
            Utf16(std::string("run\0walk\0", 10), RegistryType::MultiString));
        Set(RegRoot::CurrentUser, "Software\\Vendor\\Settings", "Number",
            Bytes(RegistryType::Dword, {'r', 'u', 'n', 0}));
        Set(RegRoot::CurrentUser, "Software\\Vendor\\Settings", "Cut",
            Utf16(std::string("abc\0run", 7)));
    }

    void AddKey(RegRoot root, std::string_view path) {
        ASSERT_TRUE(registry_.CreateKey(root, path, KeyAccess::AllAccess).ok()) << path;
    }
    void Set(RegRoot root, std::string_view path, std::string_view name, const RegistryData& data) {
        auto key = registry_.CreateKey(root, path, KeyAccess::AllAccess);
        ASSERT_TRUE(key.ok()) << path;
        ASSERT_TRUE((*key)->SetValue(name, data.type, data.bytes).ok());
    }

    SearchOptions CurrentUserOnly() {
        SearchOptions options;
        options.classesRoot = false;
        options.localMachine = false;
        return options;
    }

    SearchReport Search(std::string_view text, const SearchOptions& options,
                        ShiftKey shift = ShiftKey::Up) {
        sink_.entries.clear();
        SearchCallbacks callbacks;
        callbacks.showTitle = [this](std::string_view title) { titles_.emplace_back(title); };
        callbacks.showStatus = [this](std::string_view status) { statuses_.emplace_back(status); };
        callbacks.setProgressMaximum = [this](std::int64_t value) { maximum_ = value; };
        callbacks.pumpMessages = [this] {
            if (onPump_) onPump_();
        };
        RegistrySearch search(context_, files_, sink_, callbacks);
        search_ = &search;
        SearchReport report = search.Run(text, options, shift);
        search_ = nullptr;
        return report;
    }

    MemoryRegistry registry_;
    RegistryContext context_{registry_, {true, true}, nullptr};
    MemoryFileSystem files_;
    RecordingSink sink_;
    Texts titles_;
    Texts statuses_;
    std::int64_t maximum_ = -1;
    std::function<void()> onPump_;
    RegistrySearch* search_ = nullptr;
};

TEST_F(RegistrySearchTest, DefaultOptionsListNamesAndDataInAnyCaseInWalkOrder) {
    SearchReport report = Search("run", CurrentUserOnly());
    const std::string run = kRun;
    EXPECT_EQ(sink_.entries,
              (Texts{
                  "1|" + run,
                  "1|" + run + "||Tool|||C:\\Tools\\Runner.exe",
                  "1|" + std::string(kRunOnce),
                  "1|" + std::string(kRunOnce) + "||RUNME",
                  // The default value's data: shown with the "(default)" text as its name.
                  "1|Software\\Vendor\\Settings||(default)|||prune",
              }));
    EXPECT_EQ(report.hits, sink_.entries.size());
    EXPECT_FALSE(report.stopped);
}

TEST_F(RegistrySearchTest, KeyOptions) {
    struct Case {
        const char* name;
        const char* text;
        bool wholeWord;
        bool group;
        Texts keys;
    };
    const std::string run = kRun;
    const Case cases[] = {
        {"grouped: names holding the text", "run", false, true, {run, kRunOnce}},
        {"not grouped: the matching keys and every key below them",
         "run",
         false,
         false,
         {run, std::string(kNested), kRunOnce}},
        {"whole word: the name alone, in any case", "RUN", true, true, {run}},
        {"whole word without grouping is still the name alone", "run", true, false, {run}},
        {"whole word never matches a longer name", "RunOnc", true, true, {}},
        {"a backslash matches within paths only when not grouped", "Run\\Nest", false, false, {}},
        {"a path below a match, not grouped",
         "CurrentVersion\\Run",
         false,
         false,
         {std::string(kNested)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SearchOptions options = CurrentUserOnly();
        options.values = options.data = false;
        options.wholeWord = c.wholeWord;
        options.groupSimilarKeys = c.group;
        Search(c.text, options);
        Texts expected;
        for (const std::string& key : c.keys) expected.push_back("1|" + key);
        EXPECT_EQ(sink_.entries, expected);
    }
}

TEST_F(RegistrySearchTest, DataKinds) {
    struct Case {
        const char* name;
        RegistryData data;
        const char* text;
        bool wholeWord;
        std::optional<std::string> shown;  // the data part of the entry; nothing: no hit
    };
    const Case cases[] = {
        {"string", Utf16("Run the tool"), "THE", false, "Run the tool"},
        {"expand string", Utf16("%SystemRoot%\\run.exe", RegistryType::ExpandString), "run.", false,
         "%SystemRoot%\\run.exe"},
        {"UTF-16 text in binary data reads as text", Utf16("Run it", RegistryType::Binary),
         "run it", false, "Run it"},
        {"binary bytes above 127 read in the code page",
         Bytes(RegistryType::Binary, {0xE9, 't', 0xE9, 0}), "\xC3\xA9t\xC3\xA9", true,
         "\xC3\xA9t\xC3\xA9"},
        {"multi-string data never matches", Utf16("run", RegistryType::MultiString), "run", false,
         std::nullopt},
        {"integer data never matches", Bytes(RegistryType::Dword, {'r', 'u', 'n', 0}), "run", false,
         std::nullopt},
        {"text after the first zero is not read", Utf16(std::string("abc\0run", 7)), "run", false,
         std::nullopt},
        {"whole word: the data equals the text", Utf16("Run"), "run", true, "Run"},
        {"whole word: longer data does not", Utf16("Run it"), "run", true, std::nullopt},
        {"a trailing odd byte is no character", Bytes(RegistryType::String, {'r', 0, 'u', 0, 'n'}),
         "ru", false, "ru"},
        {"string data without a terminator", Bytes(RegistryType::String, {'r', 0, 'u', 0}), "ru",
         true, "ru"},
        {"empty data", Bytes(RegistryType::Binary, {}), "r", false, std::nullopt},
        {"a text the code page cannot hold is in no binary data",
         Utf16("\xE6\x97\xA5", RegistryType::Binary), "\xE6\x97\xA5", false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(
            registry_.CreateKey(RegRoot::CurrentUser, "Software\\Data", KeyAccess::AllAccess).ok());
        Set(RegRoot::CurrentUser, "Software\\Data", "V", c.data);
        SearchOptions options = CurrentUserOnly();
        options.keys = options.values = false;
        options.wholeWord = c.wholeWord;
        Search(c.text, options);
        Texts hits;
        for (const std::string& entry : sink_.entries) {
            if (entry.starts_with("1|Software\\Data||")) hits.push_back(entry);
        }
        if (c.shown) {
            EXPECT_EQ(hits, Texts{"1|Software\\Data||V|||" + *c.shown});
        } else {
            EXPECT_TRUE(hits.empty()) << hits.front();
        }
    }
}

TEST(SearchTextMatcher, TextIsTakenLiterally) {
    struct Case {
        const char* text;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {".*", "a.*b", true},
        {".*", "anything", false},
        {"[run]", "r", false},
        {"[run]", "x[RUN]y", true},
        {"^run$", "run", false},
        {"^run$", "^RUN$", true},
        {"\\d", "\\d+", true},
        {"\\d", "7", false},
        {"(a|b)", "(A|B)", true},
        {"a|b", "a", false},
        {"%s", "%s%s", true},
        {"%s", "", false},
        {"?", "why?", true},
        {"?", "why", false},
        {"a+", "aaa", false},
        {"\\", "C:\\x", true},
        {"*", "*local machine*", true},
        {"run", "RuN", true},
        {"", "anything", false},
        {"ÉTÉ", "été", false},
        {"été", "ÉtÉ", false},
        {"日本", "設定日本語", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " in " + c.name);
        SearchTextMatcher matcher(c.text, WholeWord::No, Windows1252());
        EXPECT_EQ(matcher.MatchesName(c.name), c.matches);
    }
}

TEST_F(RegistrySearchTest, RegexLikeCharactersAreMatchedLiterally) {
    AddKey(RegRoot::CurrentUser, "Software\\Odd\\a.*b");
    AddKey(RegRoot::CurrentUser, "Software\\Odd\\axxb");
    Set(RegRoot::CurrentUser, "Software\\Odd", "(x|y)", Utf16("[0-9]+"));
    Set(RegRoot::CurrentUser, "Software\\Odd", "x", Utf16("7"));
    SearchOptions options = CurrentUserOnly();
    Search(".*", options);
    EXPECT_EQ(sink_.entries, Texts{"1|Software\\Odd\\a.*b"});
    Search("(x|y)", options);
    EXPECT_EQ(sink_.entries, Texts{"1|Software\\Odd||(x|y)"});
    Search("[0-9]+", options);
    EXPECT_EQ(sink_.entries, Texts{"1|Software\\Odd||(x|y)|||[0-9]+"});
}

TEST_F(RegistrySearchTest, NamesOfEveryCharacter) {
    // Every character a key name may hold (no backslash), and a value name with control
    // characters, separators and a backslash.
    std::string keyName;
    for (int c = 1; c < 128; ++c) {
        if (c != '\\') keyName += static_cast<char>(c);
    }
    keyName += "é日本😀";
    std::string valueName = "a\tb\r\nc||d|||e\\f\x01";
    AddKey(RegRoot::CurrentUser, "Software\\Every\\" + keyName);
    Set(RegRoot::CurrentUser, "Software\\Every", valueName, Utf16("x²y"));
    SearchOptions options = CurrentUserOnly();
    Search("日本😀", options);
    EXPECT_EQ(sink_.entries, Texts{"1|Software\\Every\\" + keyName});
    Search("xyz{|}~", options);
    EXPECT_EQ(sink_.entries, Texts{"1|Software\\Every\\" + keyName});
    Search("c||d", options);
    EXPECT_EQ(sink_.entries, Texts{"1|Software\\Every||" + valueName});
    Search("x²", options);
    EXPECT_EQ(sink_.entries, Texts{"1|Software\\Every||" + valueName + "|||x²y"});
}

TEST_F(RegistrySearchTest, HugeDataIsFoundAndShownAsAnExcerpt) {
    std::string text(4 * 1024 * 1024, 'a');
    text.replace(text.size() - 100, 6, "needle");
    Set(RegRoot::CurrentUser, "Software\\Huge", "Big", Utf16(text));
    std::vector<std::uint8_t> binary(8 * 1024 * 1024, 0);
    const std::string hidden = "NeEdLe";
    for (std::size_t i = 0; i < hidden.size(); ++i) binary[binary.size() / 2 + 2 * i] = hidden[i];
    Set(RegRoot::CurrentUser, "Software\\Huge", "Blob", Bytes(RegistryType::Binary, binary));
    SearchOptions options = CurrentUserOnly();
    options.keys = options.values = false;
    Search("needle", options);
    ASSERT_EQ(sink_.entries.size(), 2u);
    const std::string prefix = "1|Software\\Huge||Big|||(string too long)...";
    EXPECT_TRUE(sink_.entries[0].starts_with(prefix)) << sink_.entries[0].substr(0, 80);
    EXPECT_NE(sink_.entries[0].find("needle"), std::string::npos);
    EXPECT_LT(sink_.entries[0].size(), 200u);
    // The binary value is all zeros but for the word: its text is the word alone.
    EXPECT_EQ(sink_.entries[1], "1|Software\\Huge||Blob|||NeEdLe");
}

TEST(SearchHitDataText, LongDataBecomesAnExcerptAroundTheText) {
    EXPECT_EQ(SearchHitDataText("short", "x"), "short");
    const std::string exact(kLongSearchDataLength, 'b');
    EXPECT_EQ(SearchHitDataText(exact, "x"), exact);
    std::string multibyte;
    while (multibyte.size() < 2000) multibyte += "日";
    multibyte += "Needle";
    while (multibyte.size() < 4000) multibyte += "é";
    const std::string shown = SearchHitDataText(multibyte, "needle");
    EXPECT_TRUE(shown.starts_with("(string too long)...")) << shown;
    EXPECT_TRUE(shown.ends_with("...")) << shown;
    EXPECT_NE(shown.find("Needle"), std::string::npos);
    // Cut on character boundaries: the excerpt is whole UTF-8.
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(shown)), shown);
}

TEST(SkippedProtectedKey, TheSystemsOwnKeysUnlessShiftIsHeld) {
    struct Case {
        const char* path;
        bool skipped;
    };
    const Case cases[] = {
        {"SYSTEM\\ControlSet001\\Services\\X", true},
        {"SYSTEM\\CurrentControlSet\\Enum", true},
        {"Software\\Microsoft\\Protected Storage System Provider", true},
        {"SAM", true},
        {"SAM\\SAM", true},
        {"SECURITY", true},
        {"Software\\Vendor\\Security", true},
        {"Software\\x\\*Local Machine*", true},
        {"Software\\x\\Local Machine", false},
        {"Software\\Sample", false},
        {"Software\\Security Center", false},
        {"Software\\Vendor", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(SkippedProtectedKey(c.path, ShiftKey::Up), c.skipped);
        EXPECT_FALSE(SkippedProtectedKey(c.path, ShiftKey::Held));
    }
}

TEST_F(RegistrySearchTest, ProtectedKeysOnly) {
    AddKey(RegRoot::LocalMachine, "Software\\Locked\\Below");
    AddKey(RegRoot::LocalMachine, "Software\\Unreadable");
    AddKey(RegRoot::LocalMachine, "Software\\Open\\Run");
    AddKey(RegRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Guarded");
    ASSERT_TRUE(registry_.SetWriteDenied(RegRoot::LocalMachine, "Software\\Locked", true));
    ASSERT_TRUE(registry_.SetWriteDenied(RegRoot::LocalMachine, "Software\\Locked\\Below", true));
    ASSERT_TRUE(registry_.SetReadDenied(RegRoot::LocalMachine, "Software\\Unreadable", true));
    ASSERT_TRUE(registry_.SetWriteDenied(RegRoot::LocalMachine,
                                         "SYSTEM\\CurrentControlSet\\Services\\Guarded", true));
    SearchOptions options;
    options.classesRoot = options.currentUser = false;
    options.protectedKeysOnly = true;

    // The text is not used; the key's subtree is not looked at; the system's own are left out.
    Search("run", options);
    EXPECT_EQ(sink_.entries, (Texts{"2|Software\\Locked²²100", "2|Software\\Unreadable²²100"}));
    Search("", options, ShiftKey::Held);
    EXPECT_EQ(sink_.entries, (Texts{"2|Software\\Locked²²100", "2|Software\\Unreadable²²100",
                                    "2|SYSTEM\\CurrentControlSet\\Services\\Guarded²²100"}));
}

TEST_F(RegistrySearchTest, ProtectedByAnAccessList) {
    AddKey(RegRoot::CurrentUser, "Software\\Owned\\Child");
    ASSERT_TRUE(registry_.SetKeySecurity(RegRoot::CurrentUser, "Software\\Owned", "SY",
                                         "D:(A;;KR;;;WD)(A;CI;GA;;;SY)"));
    SearchOptions options = CurrentUserOnly();
    options.protectedKeysOnly = true;
    Search("", options);
    EXPECT_EQ(sink_.entries, Texts{"1|Software\\Owned²²100"});
}

TEST_F(RegistrySearchTest, RootsInOrderWithTheirNumbersAndStatusTexts) {
    AddKey(RegRoot::ClassesRoot, "runfile");
    AddKey(RegRoot::Users, "S-1-5-21-1-2-3-1001\\Software\\Runner");
    SearchOptions options;
    options.users = true;
    options.values = options.data = false;
    Search("run", options);
    EXPECT_EQ(sink_.entries,
              (Texts{"0|runfile", "1|" + std::string(kRun), "1|" + std::string(kRunOnce),
                     // The classes root is HKEY_LOCAL_MACHINE\Software\Classes.
                     "2|Software\\Classes\\runfile", "3|S-1-5-21-1-2-3-1001\\Software\\Runner"}));
    EXPECT_EQ(statuses_, (Texts{"HKEY_CLASSES_ROOT", "Scan : HKEY_CURRENT_USER",
                                "Scan : HKEY_LOCAL_MACHINE", "Scan : HKEY_USERS"}));
    EXPECT_EQ(titles_, (Texts{"Analyzing ...", ""}));
    EXPECT_GE(maximum_, 0);

    // HKEY_USERS is not searched unless asked for.
    Search("run", SearchOptions{});
    EXPECT_EQ(std::count_if(sink_.entries.begin(), sink_.entries.end(),
                            [](const std::string& entry) { return entry.starts_with("3|"); }),
              0);
}

TEST_F(RegistrySearchTest, StopKeepsTheHitsFoundAndEndsEveryPass) {
    SearchOptions options;
    sink_.onEntry = [this] {
        if (search_) search_->Stop();
    };
    SearchReport report = Search("run", options);
    EXPECT_TRUE(report.stopped);
    // The hit that asked for the stop, and at most the one the same step was making.
    ASSERT_FALSE(sink_.entries.empty());
    EXPECT_LE(sink_.entries.size(), 2u);
    // The classes root had nothing; the current user's pass stopped; no pass came after.
    EXPECT_EQ(statuses_, (Texts{"HKEY_CLASSES_ROOT", "Scan : HKEY_CURRENT_USER"}));
}

TEST_F(RegistrySearchTest, TheEmptyTextMatchesNothing) {
    SearchReport report = Search("", SearchOptions{});
    EXPECT_TRUE(sink_.entries.empty());
    EXPECT_EQ(report.hits, 0u);
}

TEST_F(RegistrySearchTest, TheResultListDropsHitsUnderKeysTheUserCannotChange) {
    ASSERT_TRUE(registry_.SetWriteDenied(RegRoot::CurrentUser, kRunOnce, true));
    ResultList results(context_);
    RegistrySearch search(context_, files_, results, {});
    SearchReport report = search.Run("run", CurrentUserOnly(), ShiftKey::Up);
    Texts rows;
    for (const ResultRow& row : results.Rows()) rows.push_back(row.text.substr(2));
    const std::string run = kRun;
    EXPECT_EQ(rows, (Texts{"1|" + run, "1|" + run + "||Tool|||C:\\Tools\\Runner.exe",
                           "1|Software\\Vendor\\Settings||(default)|||prune"}));
    EXPECT_EQ(report.hits, 3u);
}

}  // namespace
}  // namespace kestrover
