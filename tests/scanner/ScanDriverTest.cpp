// The scan driver: the root passes, their order and status texts, the walk order, the keys
// it never enters or cannot read, exclusions, the stop request and the progress count, with
// rules that report every key and value they are shown.
#include "scanner/ScanDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/Text.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegistryProvider.h"

namespace kestrover {
namespace {

using Texts = std::vector<std::string>;

constexpr const char* kDataFolder = "C:\\Kestrover";
constexpr const char* kExclusionFile = "C:\\Kestrover\\Exclude.lst";
constexpr const char* kFirewallRules =
    "System\\CurrentControlSet\\services\\SharedAccess\\Parameters\\FirewallPolicy\\FirewallRules";

// A sink that keeps every entry as "root digit|text", and clears the flags as the result
// list does.
class RecordingSink final : public ScanEntrySink {
public:
    bool AddScanEntry(std::string_view text, int rootIndex, CategoryFlags& flags,
                      const FindingDetail& detail) override {
        entries.push_back(std::to_string(rootIndex) + "|" + std::string(text));
        categories.push_back(flags);
        rules.push_back(detail.rule);
        flags.Clear();
        return true;
    }
    void Clear() {
        entries.clear();
        categories.clear();
        rules.clear();
    }

    Texts entries;
    std::vector<CategoryFlags> categories;
    Texts rules;
};

// Rules that report every key they are given (its path) and every value (path||name), and
// let a test look at what they were shown or act in the middle of a walk.
class ReportEverything final : public ScanRules {
public:
    void ApplyKeyRules(ScanContext& context, KeyVisit& key) override {
        if (onKey) onKey(context, key);
        context.flags.Set(ResultCategory::ObsoleteEntry);
        context.AddScanEntry(key.path, {"every-key", ""});
    }
    void ApplyValueRules(ScanContext& context, KeyVisit& key, const RegistryValue& value) override {
        if (onValue) onValue(context, key, value);
        context.flags.Set(ResultCategory::MissingFile);
        context.AddScanEntry(std::string(key.path) + "||" + value.name, {"every-value", ""});
    }

    std::function<void(ScanContext&, KeyVisit&)> onKey;
    std::function<void(ScanContext&, KeyVisit&, const RegistryValue&)> onValue;
};

// A small registry, a data folder and a driver over them, with every callback recorded.
class ScanHarness {
public:
    ScanHarness()
        : driver_({context_, fileSystem_, sink, rules, kDataFolder, nullptr},
                  {[this](std::string_view text) { statuses.emplace_back(text); },
                   [this](std::int64_t maximum) { maximums.push_back(maximum); },
                   [this](std::int64_t position) { positions.push_back(position); },
                   [this] {
                       ++pumps;
                       if (onPump) onPump();
                   },
                   [this] { return localDrives; },
                   [this] { return clock += clockStep; }}) {
        EXPECT_TRUE(fileSystem_.AddDirectories(kDataFolder).ok());
    }

    void AddKey(RegRoot root, std::string_view path) {
        RegistryProvider provider(context_);
        provider.SetRootKey(root);
        ASSERT_TRUE(provider.OpenKey(path, true)) << path;
    }
    void AddString(RegRoot root, std::string_view path, std::string_view name,
                   std::string_view text) {
        RegistryProvider provider(context_);
        provider.SetRootKey(root);
        ASSERT_TRUE(provider.OpenKey(path, true)) << path;
        provider.WriteString(name, text);
    }
    void AddInteger(RegRoot root, std::string_view path, std::string_view name,
                    std::uint32_t value) {
        RegistryProvider provider(context_);
        provider.SetRootKey(root);
        ASSERT_TRUE(provider.OpenKey(path, true)) << path;
        provider.WriteInteger(name, value);
    }
    void WriteExclusions(std::string_view content) {
        ASSERT_TRUE(fileSystem_.AddFile(kExclusionFile, content).ok());
    }

    bool HasEntry(std::string_view entry) const {
        return std::find(sink.entries.begin(), sink.entries.end(), entry) != sink.entries.end();
    }

    MemoryRegistry& Registry() { return registry_; }
    ScanDriver& Driver() { return driver_; }

    RecordingSink sink;
    ReportEverything rules;
    Texts statuses;
    std::vector<std::int64_t> maximums;
    std::vector<std::int64_t> positions;
    int pumps = 0;
    std::function<void()> onPump;
    std::vector<std::string> localDrives = {"C:\\"};
    std::int64_t clock = 0;
    std::int64_t clockStep = 0;

private:
    MemoryRegistry registry_;
    RegistryContext context_{registry_, {true, true}};
    MemoryFileSystem fileSystem_;
    ScanDriver driver_;
};

ScanSelection Only(bool classesRoot, bool currentUser, bool localMachine, bool users) {
    ScanSelection selection;
    selection.classesRoot = classesRoot;
    selection.currentUser = currentUser;
    selection.localMachine = localMachine;
    selection.users = users;
    return selection;
}

// One key in each pass, and the firewall rules.
void AddOneKeyPerPass(ScanHarness& scan) {
    scan.AddKey(RegRoot::ClassesRoot, ".a");
    scan.AddKey(RegRoot::CurrentUser, "Software\\A");
    scan.AddKey(RegRoot::CurrentUser, "Software\\B");
    scan.AddString(RegRoot::CurrentUser, "Software\\B", "v1", "one");
    scan.AddString(RegRoot::CurrentUser, "Software\\B", "v2", "two");
    scan.AddKey(RegRoot::CurrentUser, "Software\\B\\Sub");
    scan.AddKey(RegRoot::CurrentUser, "Software\\C");
    scan.AddKey(RegRoot::LocalMachine, "Software\\M");
    scan.AddString(RegRoot::LocalMachine, kFirewallRules, "rule", "v2.30|Action=Allow");
    scan.AddKey(RegRoot::Users, "S-1-5-21-1\\Software");
}

TEST(ScanDriverTest, FormatElapsedTime) {
    struct Case {
        std::int64_t milliseconds;
        const char* text;
    };
    const Case cases[] = {
        {0, "00:00:00"},         {999, "00:00:00"},        {1000, "00:00:01"},
        {59999, "00:00:59"},     {60000, "00:01:00"},      {3723000, "01:02:03"},
        {86399000, "23:59:59"},  {360000000, "100:00:00"}, {-5, "00:00:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatElapsedTime(c.milliseconds), c.text);
}

TEST(ScanDriverTest, AllRootsUncheckedRunsNoPass) {
    ScanHarness scan;
    AddOneKeyPerPass(scan);
    scan.clockStep = 3723000;  // the clock moves between its start and end readings
    ScanReport report = scan.Driver().GoClean(Only(false, false, false, false));
    EXPECT_EQ(scan.statuses, (Texts{"Analyzing ...", "01:02:03"}));
    EXPECT_EQ(report.elapsedText, "01:02:03");
    EXPECT_FALSE(report.stopped);
    EXPECT_TRUE(scan.sink.entries.empty());
    EXPECT_EQ(scan.maximums, std::vector<std::int64_t>{0});
}

TEST(ScanDriverTest, PassesRunInOrderWithTheirStatusTexts) {
    struct Case {
        ScanSelection selection;
        Texts statuses;  // between "Analyzing ..." and the elapsed time
        Texts entries;
    };
    const Case cases[] = {
        {Only(true, true, true, true),
         {"Scan : HKEY_CLASSES_ROOT", "Scan : HKEY_CURRENT_USER", "Scan : HKEY_LOCAL_MACHINE",
          "Scan : HKEY_USERS"},
         {"0|.a", "1|Software", "1|Software\\A", "1|Software\\B", "1|Software\\B||v1",
          "1|Software\\B||v2", "1|Software\\B\\Sub", "1|Software\\C", "2|Software",
          "2|Software\\M", std::string("2|") + kFirewallRules,
          std::string("2|") + kFirewallRules + "||rule", "3|S-1-5-21-1",
          "3|S-1-5-21-1\\Software"}},
        {Only(false, false, true, false),
         {"Scan : HKEY_LOCAL_MACHINE"},
         {"2|Software", "2|Software\\M", std::string("2|") + kFirewallRules,
          std::string("2|") + kFirewallRules + "||rule"}},
        {Only(true, false, false, true),
         {"Scan : HKEY_CLASSES_ROOT", "Scan : HKEY_USERS"},
         {"0|.a", "3|S-1-5-21-1", "3|S-1-5-21-1\\Software"}},
    };
    for (const Case& c : cases) {
        ScanHarness scan;
        AddOneKeyPerPass(scan);
        scan.Driver().GoClean(c.selection);
        Texts statuses = {"Analyzing ..."};
        statuses.insert(statuses.end(), c.statuses.begin(), c.statuses.end());
        statuses.push_back("00:00:00");
        EXPECT_EQ(scan.statuses, statuses);
        EXPECT_EQ(scan.sink.entries, c.entries);
    }
}

TEST(ScanDriverTest, FindingsComeInWalkOrder) {
    ScanHarness scan;
    // Values keep their creation order; subkeys enumerate sorted without regard to case.
    scan.AddString(RegRoot::CurrentUser, "Software\\Vendor", "z", "1");
    scan.AddString(RegRoot::CurrentUser, "Software\\Vendor", "", "default");
    scan.AddInteger(RegRoot::CurrentUser, "Software\\Vendor", "a", 7);
    scan.AddKey(RegRoot::CurrentUser, "Software\\Vendor\\beta\\deep");
    scan.AddString(RegRoot::CurrentUser, "Software\\Vendor\\Alpha", "x", "1");
    scan.AddKey(RegRoot::CurrentUser, "Software\\Vendor\\Alpha\\Inner");
    scan.AddKey(RegRoot::CurrentUser, "Software\\Other");
    scan.Driver().GoClean(Only(false, true, false, false));
    EXPECT_EQ(scan.sink.entries,
              (Texts{"1|Software", "1|Software\\Other", "1|Software\\Vendor",
                     "1|Software\\Vendor||z", "1|Software\\Vendor||", "1|Software\\Vendor||a",
                     "1|Software\\Vendor\\Alpha", "1|Software\\Vendor\\Alpha||x",
                     "1|Software\\Vendor\\Alpha\\Inner", "1|Software\\Vendor\\beta",
                     "1|Software\\Vendor\\beta\\deep"}));
    EXPECT_EQ(scan.sink.rules.front(), "every-key");
}

TEST(ScanDriverTest, RootsAreWalkedWithoutKeyRulesForTheRootItself) {
    ScanHarness scan;
    scan.AddKey(RegRoot::ClassesRoot, "txtfile\\shell\\open\\command");
    scan.AddString(RegRoot::ClassesRoot, ".txt", "", "txtfile");
    scan.AddKey(RegRoot::Users, ".DEFAULT");
    scan.Driver().GoClean(Only(true, false, false, true));
    EXPECT_EQ(scan.sink.entries,
              (Texts{"0|.txt", "0|.txt||", "0|txtfile", "0|txtfile\\shell",
                     "0|txtfile\\shell\\open", "0|txtfile\\shell\\open\\command", "3|.DEFAULT"}));
}

// HKEY_USERS holds the current user's hive a second time: what the earlier passes walked
// (its Software and its classes) is not walked again there, so nothing is listed twice. The
// rest of that hive, and other users' hives, still are; a pass that did not run leaves its
// part to HKEY_USERS.
TEST(ScanDriverTest, TheCurrentUsersKeysAreNotWalkedAgainBelowUsers) {
    const std::string sid = "S-1-5-21-7-8-9-1001";
    struct Case {
        const char* name;
        bool classesRoot, currentUser;
        const char* userSid;  // as the selection gives it
        Texts usersEntries;
    };
    const Case cases[] = {
        {"both passes ran", true, true, "S-1-5-21-7-8-9-1001",
         {"3|S-1-5-21-7-8-9-1001", "3|S-1-5-21-7-8-9-1001\\Environment",
          "3|S-1-5-21-7-8-9-1001\\Environment||TEMP", "3|S-1-5-21-1", "3|S-1-5-21-1\\Software",
          "3|S-1-5-21-1\\Software\\Vendor", "3|S-1-5-21-1_Classes"}},
        {"SID in another case", true, true, "s-1-5-21-7-8-9-1001",
         {"3|S-1-5-21-7-8-9-1001", "3|S-1-5-21-7-8-9-1001\\Environment",
          "3|S-1-5-21-7-8-9-1001\\Environment||TEMP", "3|S-1-5-21-1", "3|S-1-5-21-1\\Software",
          "3|S-1-5-21-1\\Software\\Vendor", "3|S-1-5-21-1_Classes"}},
        {"no current-user pass", true, false, "S-1-5-21-7-8-9-1001",
         {"3|S-1-5-21-7-8-9-1001", "3|S-1-5-21-7-8-9-1001\\Environment",
          "3|S-1-5-21-7-8-9-1001\\Environment||TEMP", "3|S-1-5-21-7-8-9-1001\\Software",
          "3|S-1-5-21-7-8-9-1001\\Software\\Vendor", "3|S-1-5-21-1", "3|S-1-5-21-1\\Software",
          "3|S-1-5-21-1\\Software\\Vendor", "3|S-1-5-21-1_Classes"}},
        {"no classes pass", false, true, "S-1-5-21-7-8-9-1001",
         {"3|S-1-5-21-7-8-9-1001", "3|S-1-5-21-7-8-9-1001\\Environment",
          "3|S-1-5-21-7-8-9-1001\\Environment||TEMP", "3|S-1-5-21-7-8-9-1001_Classes",
          "3|S-1-5-21-7-8-9-1001_Classes\\.kv", "3|S-1-5-21-1", "3|S-1-5-21-1\\Software",
          "3|S-1-5-21-1\\Software\\Vendor", "3|S-1-5-21-1_Classes"}},
        {"current user unknown", true, true, "",
         {"3|S-1-5-21-7-8-9-1001", "3|S-1-5-21-7-8-9-1001\\Environment",
          "3|S-1-5-21-7-8-9-1001\\Environment||TEMP", "3|S-1-5-21-7-8-9-1001\\Software",
          "3|S-1-5-21-7-8-9-1001\\Software\\Vendor", "3|S-1-5-21-7-8-9-1001_Classes",
          "3|S-1-5-21-7-8-9-1001_Classes\\.kv", "3|S-1-5-21-1", "3|S-1-5-21-1\\Software",
          "3|S-1-5-21-1\\Software\\Vendor", "3|S-1-5-21-1_Classes"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanHarness scan;
        scan.AddKey(RegRoot::Users, sid + "\\Software\\Vendor");
        scan.AddString(RegRoot::Users, sid + "\\Environment", "TEMP", "C:\\Gone");
        scan.AddKey(RegRoot::Users, sid + "_Classes\\.kv");
        scan.AddKey(RegRoot::Users, "S-1-5-21-1\\Software\\Vendor");  // another user
        scan.AddKey(RegRoot::Users, "S-1-5-21-1_Classes");
        ScanSelection selection = Only(c.classesRoot, c.currentUser, false, true);
        selection.currentUserSid = c.userSid;
        scan.Driver().GoClean(selection);
        Texts users;
        for (const std::string& entry : scan.sink.entries) {
            if (entry.starts_with("3|")) users.push_back(entry);
        }
        Texts expected = c.usersEntries;  // listed by user here; the walk goes by name
        std::sort(users.begin(), users.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(users, expected);
    }
}

TEST(ScanDriverTest, ComRegistrationTreesAreNeverEntered) {
    struct Case {
        const char* name;
        bool entered;
    };
    const Case cases[] = {
        {"CLSID", false},      {"clsid", false},       {"Classes", false},
        {"INTERFACE", false},  {"TypeLib", false},     {"Localization", false},
        {"CLSIDs", true},      {"MyClasses", true},    {"Interfaces", true},
        {"TypeLibrary", true}, {"Localizations", true}, {"clsid2", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NeverEnteredKeyName(c.name), !c.entered);
        ScanHarness scan;
        std::string key = std::string("Software\\Vendor\\") + c.name;
        scan.AddString(RegRoot::CurrentUser, key + "\\{1}", "", "x");
        scan.AddKey(RegRoot::CurrentUser, "Software\\Vendor\\Zed");
        scan.Driver().GoClean(Only(false, true, false, false));
        EXPECT_EQ(scan.HasEntry("1|" + key), c.entered);
        EXPECT_EQ(scan.HasEntry("1|" + key + "\\{1}||"), c.entered);
        EXPECT_TRUE(scan.HasEntry("1|Software\\Vendor\\Zed"));  // the walk goes on after it
    }
    EXPECT_TRUE(NeverEnteredKeyName(""));
}

TEST(ScanDriverTest, UnreadableKeysArePassedWithTheirSubtree) {
    ScanHarness scan;
    scan.AddString(RegRoot::CurrentUser, "Software\\Locked", "v", "x");
    scan.AddString(RegRoot::CurrentUser, "Software\\Locked\\Readable", "v", "x");
    scan.AddKey(RegRoot::CurrentUser, "Software\\Next");
    scan.AddKey(RegRoot::LocalMachine, "Software\\Vendor");
    scan.AddString(RegRoot::LocalMachine, kFirewallRules, "rule", "x");
    ASSERT_TRUE(scan.Registry().SetReadDenied(RegRoot::CurrentUser, "Software\\Locked", true));
    ASSERT_TRUE(scan.Registry().SetReadDenied(RegRoot::LocalMachine, "Software", true));
    scan.Driver().GoClean(Only(false, true, true, false));
    EXPECT_EQ(scan.sink.entries,
              (Texts{"1|Software", "1|Software\\Next", std::string("2|") + kFirewallRules,
                     std::string("2|") + kFirewallRules + "||rule"}));
}

TEST(ScanDriverTest, RulesSeeTheKeyAsWalked) {
    ScanHarness scan;
    scan.AddString(RegRoot::LocalMachine, "Software\\Vendor\\App Paths\\Tool.EXE", "", "C:\\t.exe");
    scan.AddInteger(RegRoot::LocalMachine, "Software\\Vendor\\App Paths\\Tool.EXE", "n", 1);
    scan.AddKey(RegRoot::LocalMachine, "Software\\Vendor\\App Paths\\Tool.EXE\\CLSID");
    scan.AddKey(RegRoot::LocalMachine, "Software\\Vendor\\App Paths\\Tool.EXE\\Sub");
    scan.localDrives = {"C:\\", "D:\\"};

    struct Seen {
        int rootIndex = -1;
        std::string path, keyName, data, openPath;
        Texts subkeys, values;
        std::vector<std::string> drives;
        bool comClasses = true;
    } seen;
    Texts dataBeforeValue;
    scan.rules.onKey = [&](ScanContext& context, KeyVisit& key) {
        if (key.keyName != "Tool.EXE") return;
        seen.rootIndex = context.currentRootIndex;
        seen.path = key.path;
        seen.keyName = key.keyName;
        seen.data = key.data;
        seen.openPath = key.provider.CurrentPath();
        seen.subkeys = key.subkeyNames;
        for (const RegistryValue& value : key.values) seen.values.push_back(value.name);
        seen.drives = context.localDrives;
        seen.comClasses = context.reportComClasses;
        key.data = "left by a key rule";
    };
    scan.rules.onValue = [&](ScanContext&, KeyVisit& key, const RegistryValue& value) {
        if (key.keyName != "Tool.EXE") return;
        dataBeforeValue.push_back(key.data);
        key.data = "left by " + value.name;  // carried to the next value of the key
    };
    ScanSelection selection = Only(false, false, true, false);
    selection.comClasses = false;
    scan.Driver().GoClean(selection);

    EXPECT_EQ(seen.rootIndex, 2);
    EXPECT_EQ(seen.path, "Software\\Vendor\\App Paths\\Tool.EXE");
    EXPECT_EQ(seen.openPath, seen.path);
    EXPECT_EQ(seen.keyName, "Tool.EXE");
    EXPECT_EQ(seen.data, "software\\vendor\\app paths\\tool.exe");
    EXPECT_EQ(seen.subkeys, (Texts{"CLSID", "Sub"}));  // the list holds every name
    EXPECT_EQ(seen.values, (Texts{"", "n"}));
    EXPECT_EQ(seen.drives, (Texts{"C:\\", "D:\\"}));
    EXPECT_FALSE(seen.comClasses);
    EXPECT_EQ(dataBeforeValue, (Texts{"left by a key rule", "left by "}));
    EXPECT_EQ(scan.Driver().LocalDrives(), (Texts{"C:\\", "D:\\"}));
}

TEST(ScanDriverTest, FlagsAreClearedOnEnteringEveryKey) {
    // Rules that set a flag for a finding they never add: the flag must not reach the next key.
    class SetFlagsWithoutReporting final : public ScanRules {
    public:
        void ApplyKeyRules(ScanContext& context, KeyVisit& key) override {
            clearOnEntry.push_back(!context.flags.Any() && !context.flags.suppressMissingFile);
            context.flags.Set(ResultCategory::UnusedExtension);
            if (key.keyName == "B") context.AddScanEntry(key.path);
        }
        void ApplyValueRules(ScanContext& context, KeyVisit&, const RegistryValue&) override {
            context.flags.Set(ResultCategory::InvalidClsid);
            context.flags.suppressMissingFile = true;
        }
        std::vector<bool> clearOnEntry;
    };
    MemoryRegistry registry;
    RegistryContext context{registry, {true, true}};
    MemoryFileSystem fileSystem;
    RecordingSink sink;
    SetFlagsWithoutReporting rules;
    {
        RegistryProvider provider(context);
        provider.SetRootKey(RegRoot::CurrentUser);
        ASSERT_TRUE(provider.OpenKey("Software\\A", true));
        provider.WriteString("v", "x");
        ASSERT_TRUE(provider.OpenKey("\\Software\\B", true));
    }
    ScanDriver driver({context, fileSystem, sink, rules, kDataFolder, nullptr}, {});
    driver.GoClean(Only(false, true, false, false));
    EXPECT_EQ(rules.clearOnEntry, (std::vector<bool>{true, true, true}));
    ASSERT_EQ(sink.categories.size(), 1u);
    EXPECT_TRUE(sink.categories[0].IsSet(ResultCategory::UnusedExtension));
    EXPECT_FALSE(sink.categories[0].IsSet(ResultCategory::InvalidClsid));
    EXPECT_FALSE(sink.categories[0].suppressMissingFile);
}

TEST(ScanDriverTest, ExclusionLinesKeepKeysOutOfTheirPasses) {
    const std::string firewall = std::string("2|") + kFirewallRules;
    const Texts allKeys = {"1|Software\\X",
                           "1|Software\\Y",
                           "2|Software",
                           "2|Software\\X",
                           "2|Software\\X\\Below",
                           "2|Software\\X\\Below||v",
                           "2|Software\\Xylophone",
                           firewall,
                           "3|.DEFAULT\\Software\\X",
                           "3|S-1-5-21-7\\software\\x",
                           "3|S-1-5-21-7\\software\\x\\deep",
                           "3|S-1-5-18\\Software\\X"};
    struct Case {
        const char* name;
        const char* file;
        Texts excluded;  // entries of allKeys that must be missing; all others present
    };
    const Case cases[] = {
        {"no file", nullptr, {}},
        {"a local-machine line",
         "2|software\\x\r\n",
         {"2|Software\\X", "2|Software\\X\\Below", "2|Software\\X\\Below||v",
          "3|S-1-5-21-7\\software\\x", "3|S-1-5-21-7\\software\\x\\deep",
          "3|S-1-5-18\\Software\\X"}},
        {"any separator character",
         "2#SOFTWARE\\X\r\n",
         {"2|Software\\X", "2|Software\\X\\Below", "2|Software\\X\\Below||v",
          "3|S-1-5-21-7\\software\\x", "3|S-1-5-21-7\\software\\x\\deep",
          "3|S-1-5-18\\Software\\X"}},
        {"a current-user line",
         "  1|Software\\X  \r\n",
         {"1|Software\\X", "3|S-1-5-21-7\\software\\x", "3|S-1-5-21-7\\software\\x\\deep",
          "3|S-1-5-18\\Software\\X"}},
        {"a line below the first level only",
         "2|Software\\X\\Below\r\n",
         {"2|Software\\X\\Below", "2|Software\\X\\Below||v"}},
        {"the start key of a pass (and every user's Software key)",
         "2|Software\r\n",
         {"2|Software", "2|Software\\X", "2|Software\\X\\Below", "2|Software\\X\\Below||v",
          "2|Software\\Xylophone", "3|S-1-5-21-7\\software\\x",
          "3|S-1-5-21-7\\software\\x\\deep", "3|S-1-5-18\\Software\\X"}},
        {"root digit 4 and letters are dropped", "4|software\\x\r\nX|software\\x\r\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanHarness scan;
        scan.AddKey(RegRoot::CurrentUser, "Software\\X");
        scan.AddKey(RegRoot::CurrentUser, "Software\\Y");
        scan.AddString(RegRoot::LocalMachine, "Software\\X\\Below", "v", "x");
        scan.AddKey(RegRoot::LocalMachine, "Software\\Xylophone");
        scan.AddKey(RegRoot::LocalMachine, kFirewallRules);
        scan.AddKey(RegRoot::Users, ".DEFAULT\\Software\\X");
        scan.AddKey(RegRoot::Users, "S-1-5-21-7\\software\\x\\deep");
        scan.AddKey(RegRoot::Users, "S-1-5-18\\Software\\X");
        if (c.file) scan.WriteExclusions(c.file);
        scan.Driver().GoClean(Only(false, true, true, true));
        for (const std::string& entry : allKeys) {
            bool excluded = std::find(c.excluded.begin(), c.excluded.end(), entry) !=
                            c.excluded.end();
            EXPECT_EQ(scan.HasEntry(entry), !excluded) << entry;
        }
    }
}

TEST(ScanDriverTest, ExclusionsAreReadAgainAtEveryScan) {
    ScanHarness scan;
    scan.AddKey(RegRoot::CurrentUser, "Software\\X");
    scan.WriteExclusions("1|Software\\X\r\n");
    scan.Driver().GoClean(Only(false, true, false, false));
    EXPECT_FALSE(scan.HasEntry("1|Software\\X"));
    EXPECT_EQ(scan.Driver().Exclusions().Lines(), Texts{"1|Software\\X"});

    scan.WriteExclusions("1|Software\\Other\r\n");
    scan.sink.Clear();
    scan.Driver().GoClean(Only(false, true, false, false));
    EXPECT_TRUE(scan.HasEntry("1|Software\\X"));
}

TEST(ScanDriverTest, StopKeepsFindingsAndSkipsTheRemainingPasses) {
    struct Case {
        const char* name;
        const char* stopAtKey;    // the key rule of this key presses stop
        const char* stopAtValue;  // or the value rule of this value
        Texts entries;
        Texts statuses;  // the passes that started
    };
    const Case cases[] = {
        {"at a key of the current user",
         "Software\\B",
         nullptr,
         {"0|.a", "1|Software", "1|Software\\A", "1|Software\\B"},
         {"Scan : HKEY_CLASSES_ROOT", "Scan : HKEY_CURRENT_USER"}},
        {"at a value of the current user",
         nullptr,
         "v1",
         {"0|.a", "1|Software", "1|Software\\A", "1|Software\\B", "1|Software\\B||v1"},
         {"Scan : HKEY_CLASSES_ROOT", "Scan : HKEY_CURRENT_USER"}},
        {"in the first walk of the local machine",
         "Software\\M",
         nullptr,
         {"0|.a", "1|Software", "1|Software\\A", "1|Software\\B", "1|Software\\B||v1",
          "1|Software\\B||v2", "1|Software\\B\\Sub", "1|Software\\C", "2|Software",
          "2|Software\\M"},
         {"Scan : HKEY_CLASSES_ROOT", "Scan : HKEY_CURRENT_USER", "Scan : HKEY_LOCAL_MACHINE"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanHarness scan;
        AddOneKeyPerPass(scan);
        bool armed = true;
        scan.rules.onKey = [&](ScanContext&, KeyVisit& key) {
            if (armed && c.stopAtKey && key.path == c.stopAtKey) scan.Driver().StopScan();
        };
        scan.rules.onValue = [&](ScanContext&, KeyVisit&, const RegistryValue& value) {
            if (armed && c.stopAtValue && value.name == c.stopAtValue) scan.Driver().StopScan();
        };
        ScanReport report = scan.Driver().GoClean(ScanSelection{});
        EXPECT_TRUE(report.stopped);
        EXPECT_EQ(scan.sink.entries, c.entries);
        Texts statuses = {"Analyzing ..."};
        statuses.insert(statuses.end(), c.statuses.begin(), c.statuses.end());
        statuses.push_back("00:00:00");
        EXPECT_EQ(scan.statuses, statuses);
        EXPECT_EQ(scan.positions.back(), 0);

        // The next scan starts with the stop request clear and scans every root again.
        armed = false;
        scan.sink.Clear();
        report = scan.Driver().GoClean(ScanSelection{});
        EXPECT_FALSE(report.stopped);
        EXPECT_EQ(scan.sink.entries.size(), 14u);
        EXPECT_TRUE(scan.HasEntry("3|S-1-5-21-1\\Software"));
    }
}

TEST(ScanDriverTest, StopFromTheMessagePump) {
    // The stop button works through the message pump: a stop pressed while the walk lets the
    // window process its messages ends it before the next subkey.
    ScanHarness scan;
    AddOneKeyPerPass(scan);
    bool pressStop = false;
    scan.onPump = [&] {
        if (pressStop) scan.Driver().StopScan();
    };
    scan.rules.onKey = [&](ScanContext&, KeyVisit& key) {
        if (key.path == "Software\\A") pressStop = true;
    };
    ScanReport report = scan.Driver().GoClean(Only(false, true, true, false));
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(scan.sink.entries, (Texts{"1|Software", "1|Software\\A"}));
}

TEST(ScanDriverTest, ShowEachKeyPutsEveryPathInTheStatusLine) {
    ScanHarness scan;
    AddOneKeyPerPass(scan);
    scan.Driver().SetShowEachKey(true);
    scan.Driver().GoClean(Only(true, true, false, false));
    EXPECT_EQ(scan.statuses,
              (Texts{"Analyzing ...", "Scan : HKEY_CLASSES_ROOT", "", ".a",
                     "Scan : HKEY_CURRENT_USER", "Software", "Software\\A", "Software\\B",
                     "Software\\B\\Sub", "Software\\C", "00:00:00"}));
    EXPECT_GT(scan.pumps, 10);
}

TEST(ScanDriverTest, ProgressMaximumSumsTheCountsOfTheChosenRoots) {
    ScanHarness scan;
    // Classes root: 3 top-level keys (the classes root is HKLM\Software\Classes).
    scan.AddKey(RegRoot::ClassesRoot, ".a");
    scan.AddKey(RegRoot::ClassesRoot, ".b");
    scan.AddKey(RegRoot::ClassesRoot, "CLSID\\{1}");
    // Current user: 3 below Software, 2 below Windows, 3 below CurrentVersion.
    scan.AddKey(RegRoot::CurrentUser, "Software\\A");
    scan.AddKey(RegRoot::CurrentUser, "Software\\B");
    scan.AddKey(RegRoot::CurrentUser, "Software\\Microsoft\\Windows\\Shell");
    scan.AddKey(RegRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    scan.AddKey(RegRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer");
    scan.AddKey(RegRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies");
    // Local machine: 3 below Software (Classes, Microsoft, Vendor), 4 shared DLLs.
    scan.AddKey(RegRoot::LocalMachine, "Software\\Vendor");
    const char* sharedDlls = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    for (const char* dll : {"C:\\a.dll", "C:\\b.dll", "C:\\c.dll", "C:\\d.dll"}) {
        scan.AddInteger(RegRoot::LocalMachine, sharedDlls, dll, 1);
    }
    // Users: 2 top-level keys.
    scan.AddKey(RegRoot::Users, ".DEFAULT");
    scan.AddKey(RegRoot::Users, "S-1-5-21-1");

    struct Case {
        ScanSelection selection;
        std::int64_t maximum;
    };
    const Case cases[] = {
        {Only(true, true, true, true), 20}, {Only(true, false, false, false), 3},
        {Only(false, true, false, false), 8}, {Only(false, false, true, false), 7},
        {Only(false, false, false, true), 2}, {Only(false, false, false, false), 0},
        {Only(false, true, false, true), 10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scan.Driver().ComputeProgressMaximum(c.selection), c.maximum);
    }
    scan.maximums.clear();
    scan.Driver().GoClean(Only(false, true, false, false));
    EXPECT_EQ(scan.maximums, std::vector<std::int64_t>{8});

    // Missing keys count nothing.
    ScanHarness empty;
    EXPECT_EQ(empty.Driver().ComputeProgressMaximum(Only(true, true, false, true)), 0);
}

TEST(ScanDriverTest, ProgressAdvancesForTopLevelKeysAndForTheRules) {
    ScanHarness scan;
    scan.AddKey(RegRoot::Users, ".DEFAULT\\Software");
    scan.AddKey(RegRoot::Users, "S-1-5-21-1\\Software");
    scan.AddKey(RegRoot::Users, "S-1-5-21-2");
    ASSERT_TRUE(scan.Registry().SetReadDenied(RegRoot::Users, "S-1-5-21-2", true));
    scan.AddInteger(RegRoot::LocalMachine, "Software\\Microsoft\\SharedDLLs", "C:\\a.dll", 1);
    scan.AddInteger(RegRoot::LocalMachine, "Software\\Microsoft\\SharedDLLs", "C:\\b.dll", 1);
    scan.rules.onValue = [](ScanContext& context, KeyVisit& key, const RegistryValue&) {
        if (EqualsNoCase(key.keyName, "shareddlls")) context.AdvanceProgress();
    };

    scan.Driver().GoClean(Only(false, false, false, true));
    // Each top-level key of HKEY_USERS, the unreadable one too, then back to 0 at the end.
    EXPECT_EQ(scan.positions, (std::vector<std::int64_t>{0, 1, 2, 3, 0}));

    scan.positions.clear();
    scan.Driver().GoClean(Only(false, false, true, false));
    // "Software" itself, then one for each shared DLL value the rules examined.
    EXPECT_EQ(scan.positions, (std::vector<std::int64_t>{0, 1, 2, 3, 0}));
}

TEST(ScanDriverTest, ReadRegAloneWalksOneSubtree) {
    ScanHarness scan;
    scan.AddString(RegRoot::CurrentUser, "Software\\Vendor\\App", "v", "x");
    scan.AddKey(RegRoot::CurrentUser, "Software\\Other");
    scan.Driver().SetCurrentRootIndex(1);
    scan.Driver().ReadReg(RegRoot::CurrentUser, "Software\\Vendor");
    EXPECT_EQ(scan.sink.entries,
              (Texts{"1|Software\\Vendor", "1|Software\\Vendor\\App", "1|Software\\Vendor\\App||v"}));
    scan.sink.Clear();
    scan.Driver().ReadReg(RegRoot::CurrentUser, "Software\\Missing");
    EXPECT_TRUE(scan.sink.entries.empty());
}

TEST(ScanDriverTest, DeepAndOddRegistriesDoNotBreakTheWalk) {
    ScanHarness scan;
    std::string deep = "Software";
    for (int level = 0; level < 2000; ++level) deep += "\\k";
    scan.AddKey(RegRoot::CurrentUser, deep);
    std::string odd;
    for (char c = 0x20; c < 0x7F; ++c) {
        if (c != '\\') odd += c;
    }
    scan.AddString(RegRoot::CurrentUser, "Software\\" + odd, odd, std::string(100000, 'x'));
    scan.Driver().GoClean(Only(false, true, false, false));
    EXPECT_TRUE(scan.HasEntry("1|" + deep));
    EXPECT_TRUE(scan.HasEntry("1|Software\\" + odd + "||" + odd));
}

}  // namespace
}  // namespace kestrover
