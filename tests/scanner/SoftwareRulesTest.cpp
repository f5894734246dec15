// Software and system rules: empty vendor keys, application paths, the six value rules with the
// data text they carry from value to value, fonts, shared DLLs, layers, firewall rules, the
// software-key inventory and the built-in skip list, each on a small registry and file tree.
#include "scanner/SoftwareRules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/Text.h"
#include "core/Unicode.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/KeyPaths.h"
#include "registry/RegistryProvider.h"
#include "scanner/ScanEntry.h"

namespace kestrover {
namespace {

using Texts = std::vector<std::string>;

// Keeps each entry as "text²²category" (category -1 without flags) and the rule that made it.
class RecordingSink final : public ScanEntrySink {
public:
    bool AddScanEntry(std::string_view text, int rootIndex, CategoryFlags& flags,
                      const FindingDetail& detail) override {
        int category = -1;
        for (int number = 0; number < 10; ++number) {
            if (flags.IsSet(static_cast<ResultCategory>(number))) category = number;
        }
        entries.push_back(std::string(text) + "##" + std::to_string(category));
        roots.push_back(rootIndex);
        rules.push_back(detail.rule);
        tested.push_back(detail.testedPath);
        flags.Clear();
        return true;
    }
    Texts entries;
    std::vector<int> roots;
    Texts rules;
    Texts tested;
};

constexpr int kMissingDll = 0;
constexpr int kMissingFile = 1;
constexpr int kObsoleteEntry = 6;
constexpr int kInvalidAppPath = 7;

// A value to plant: a string, an expand string, an integer or binary bytes.
struct Value {
    enum Kind { String, Expand, Integer, Binary } kind;
    std::string name;
    std::string text;  // the string, or the binary bytes
};
Value Str(std::string name, std::string text) { return {Value::String, std::move(name), std::move(text)}; }
Value Dword(std::string name) { return {Value::Integer, std::move(name), ""}; }
Value Bin(std::string name) { return {Value::Binary, std::move(name), "\x01\x02"}; }

// A machine with C: and D: fixed, E: removable; Windows in C:\Windows.
class RulesFixture {
public:
    RulesFixture() {
        files.AddDrive('D', DriveType::Fixed);
        files.AddDrive('E', DriveType::Removable);
        EXPECT_TRUE(files.AddDirectories("C:\\Windows\\Fonts").ok());
        resolver.SetLocalDrives(BuildLocalDrives(files));
        localDrives = resolver.LocalDrives();
    }

    // Built while the members are initialised, before the resolver that takes them.
    KnownFolders Folders() {
        environment.SetVariable("windir", "C:\\Windows");
        KnownFolders folders;
        folders.systemRoot = *environment.GetVariable("windir");
        folders.windowsFolder = folders.systemRoot;
        folders.systemDrive = "C:";
        folders.programFiles = "C:\\Program Files";
        folders.localApplicationData = "C:\\Users\\ann\\AppData\\Local";
        return folders;
    }

    void AddKey(RegRoot root, std::string_view path) {
        RegistryProvider provider(registryContext);
        provider.SetRootKey(root);
        ASSERT_TRUE(provider.OpenKey(path, true)) << path;
    }
    void AddValues(RegRoot root, std::string_view path, const std::vector<Value>& values) {
        RegistryProvider provider(registryContext);
        provider.SetRootKey(root);
        ASSERT_TRUE(provider.OpenKey(path, true)) << path;
        for (const Value& value : values) {
            switch (value.kind) {
                case Value::String: provider.WriteString(value.name, value.text); break;
                case Value::Expand: provider.WriteExpandString(value.name, value.text); break;
                case Value::Integer: provider.WriteInteger(value.name, 1); break;
                case Value::Binary: {
                    std::vector<std::uint8_t> bytes(value.text.begin(), value.text.end());
                    provider.WriteBinaryData(value.name, bytes);
                    break;
                }
            }
        }
    }
    void AddFiles(const Texts& paths) {
        for (const std::string& path : paths) {
            if (path.ends_with('\\')) {
                ASSERT_TRUE(files.AddDirectories(path).ok()) << path;
            } else {
                ASSERT_TRUE(files.AddFile(path, "x").ok()) << path;
            }
        }
    }

    // Visits one key as the walker does: the software key rules, then the value rules for
    // every value in order. Gives the data text left after the key rules.
    std::string Visit(RegRoot root, std::string_view path, int rootIndex,
                      std::function<void(KeyVisit&)> adjust = {}) {
        RegistryProvider provider(registryContext);
        provider.SetRootKey(root);
        EXPECT_TRUE(provider.OpenKeyReadOnly(path)) << path;
        std::vector<std::string> subkeys;
        provider.GetKeyNames(subkeys);
        std::vector<RegistryValue> values;
        (void)provider.ReadAllValues(values);
        const std::string keyPath = provider.CurrentPath();
        const std::string keyName = LastKeyName(keyPath);
        ScanContext context{registryContext, files, sink, flags, localDrives, rootIndex, true,
                            [this] { ++progress; }, {}};
        KeyVisit visit{root, provider, keyPath, keyName, subkeys, values, AsciiLower(keyPath)};
        if (adjust) adjust(visit);
        flags.Clear();
        EmptySoftwareKeyRule(context, visit);
        AppPathRule(context, visit, resolver);
        std::string afterKeyRules = visit.data;
        for (const RegistryValue& value : visit.values) {
            (void)ApplySoftwareValueRules(context, visit, value, resolver);
        }
        return afterKeyRules;
    }

    MemoryRegistry registry;
    RegistryContext registryContext{registry, {true, true}};
    MemoryFileSystem files;
    MemoryEnvironment environment;
    FileReferenceResolver resolver{files, Folders(),
                                   environment.IsWow64Redirected() ? Wow64Redirection::On
                                                                   : Wow64Redirection::Off};
    std::vector<std::string> localDrives;
    RecordingSink sink;
    CategoryFlags flags;
    int progress = 0;
};

std::string Entry(std::string_view text, int category) {
    return std::string(text) + "##" + std::to_string(category);
}

// ---------------------------------------------------------------------------------------------

struct ValueCase {
    const char* name;
    const char* keyPath;  // below HKEY_LOCAL_MACHINE
    std::vector<Value> values;
    Texts existing;
    Texts expected;  // Entry(...) texts, in order
};

TEST(SoftwareRulesTest, ValueRules) {
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string wbem = "Software\\Microsoft\\WBEM\\Providers";
    const std::string shared = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    const std::string layers =
        "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
    const std::string fonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    const std::string fontSubstitutes = "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes";
    const std::string store = "Software\\Vendor\\Store";
    const std::string firewall =
        "System\\CurrentControlSet\\services\\SharedAccess\\Parameters\\FirewallPolicy\\FirewallRules";
    const std::string longName = "C:\\" + std::string(600, 'a') + ".exe";

    const std::vector<ValueCase> cases = {
        {"drive path to a missing file is listed once", run.c_str(),
         {Str("Tool", "C:\\Old\\tool.exe")}, {}, {Entry(run + "||Tool", kMissingFile)}},
        {"drive path to a file that exists", run.c_str(), {Str("Tool", "C:\\App\\tool.exe")},
         {"C:\\App\\tool.exe"}, {}},
        {"quoted program with a switch that exists", run.c_str(),
         {Str("Tool", "\"C:\\Program Files\\App\\app.exe\" /background")},
         {"C:\\Program Files\\App\\app.exe"}, {}},
        {"below WBEM only the data entry", wbem.c_str(), {Str("Tool", "C:\\Old\\tool.exe")}, {},
         {Entry(wbem + "||Tool|||c:\\old\\tool.exe", kMissingFile)}},
        {"a drive that is not fixed is never checked", run.c_str(),
         {Str("Tool", "E:\\Old\\tool.exe")}, {}, {}},
        {"text that is no path", run.c_str(), {Str("Tool", "hello world")}, {}, {}},
        {"integer after a missing file is not given its data", run.c_str(),
         {Str("Tool", "C:\\Old\\tool.exe"), Dword("Count")}, {},
         {Entry(run + "||Tool", kMissingFile)}},
        {"integer after a valid file", run.c_str(),
         {Str("Tool", "C:\\App\\tool.exe"), Dword("Count")}, {"C:\\App\\tool.exe"}, {}},
        {"expand string with a placeholder to a missing file", run.c_str(),
         {{Value::Expand, "Tool", "%ProgramFiles%\\Gone\\tool.exe"}}, {},
         {Entry(run + "||Tool|||C:\\Program Files\\gone\\tool.exe", kMissingFile)}},
        {"shared DLL reference count for a missing DLL", shared.c_str(),
         {Dword("C:\\Gone\\old.dll")}, {}, {Entry(shared + "||C:\\Gone\\old.dll", kMissingDll)}},
        {"shared DLL that exists", shared.c_str(), {Dword("C:\\Windows\\System32\\ok.dll")},
         {"C:\\Windows\\System32\\ok.dll"}, {}},
        {"shared DLL on a removable drive", shared.c_str(), {Dword("E:\\Gone\\old.dll")}, {}, {}},
        {"shared DLL named by no path", shared.c_str(), {Dword("notfound-old.dll")}, {}, {}},
        {"layers entry for a missing program", layers.c_str(),
         {Str("C:\\Gone\\game.exe", "~ WIN7RTM")}, {},
         {Entry(layers + "||C:\\Gone\\game.exe", kMissingFile)}},
        {"layers entry that exists", layers.c_str(), {Str("C:\\Games\\game.exe", "~ WIN7RTM")},
         {"C:\\Games\\game.exe"}, {}},
        {"font file missing from the fonts folder", fonts.c_str(),
         {Str("Old (TrueType)", "old.ttf")}, {},
         {Entry(fonts + "||Old (TrueType)|||old.ttf", kMissingFile)}},
        {"font file in the fonts folder", fonts.c_str(), {Str("Arial (TrueType)", "arial.ttf")},
         {"C:\\Windows\\Fonts\\arial.ttf"}, {}},
        {"font registered with a full path that exists", fonts.c_str(),
         {Str("Mine (TrueType)", "C:\\Users\\ann\\AppData\\Local\\Microsoft\\Windows\\Fonts\\mine.ttf")},
         {"C:\\Users\\ann\\AppData\\Local\\Microsoft\\Windows\\Fonts\\mine.ttf"}, {}},
        {"font registered with a full path that is missing", fonts.c_str(),
         {Str("Gone (TrueType)", "C:\\Users\\ann\\Fonts\\gone.ttf")}, {},
         {Entry(fonts + "||Gone (TrueType)", kMissingFile)}},
        {"font on a removable drive", fonts.c_str(), {Str("Away (TrueType)", "E:\\Fonts\\away.ttf")},
         {}, {}},
        {"font value that is not text", fonts.c_str(), {Bin("Odd")}, {}, {}},
        {"font substitutes hold no file names", fontSubstitutes.c_str(),
         {Str("Helv", "MS Sans Serif")}, {}, {}},
        {"binary value named after a missing program", store.c_str(),
         {Bin("C:\\Gone\\setup.exe")}, {}, {Entry(store + "||C:\\Gone\\setup.exe", kMissingFile)}},
        {"binary value named after a program that exists", store.c_str(),
         {Bin("C:\\App\\app.exe")}, {"C:\\App\\app.exe"}, {}},
        {"binary value whose name is no path", store.c_str(), {Bin("Settings")}, {}, {}},
        {"firewall rule for a missing program", firewall.c_str(),
         {Str("{1}", "v2.30|Action=Allow|Active=TRUE|Dir=In|Protocol=6|App=C:\\Old\\fw.exe|Name=Old|")},
         {}, {Entry(firewall + "||{1}|||c:\\old\\fw.exe", kMissingFile)}},
        {"firewall rule for a program that exists", firewall.c_str(),
         {Str("{2}", "v2.30|Action=Allow|Active=TRUE|Dir=In|App=C:\\App\\fw.exe|Name=App|")},
         {"C:\\App\\fw.exe"}, {}},
        {"firewall rule of a store application", firewall.c_str(),
         {Str("{3}", "v2.30|Action=Allow|Active=TRUE|Dir=In|App=C:\\Old\\x.exe|Name=@{WinStore}|")},
         {}, {}},
        {"missing file with long data keeps key and value", run.c_str(),
         {Str("Long", "\"" + longName + "\"")}, {},
         {Entry(run + "||Long", kMissingFile)}},
        {"value name that would not read back is not reported", run.c_str(),
         {Str("a|", "C:\\Old\\tool.exe")}, {}, {Entry(run + "||a|", kMissingFile)}},
    };
    for (const ValueCase& test : cases) {
        SCOPED_TRACE(test.name);
        RulesFixture fixture;
        fixture.AddValues(RegRoot::LocalMachine, test.keyPath, test.values);
        fixture.AddFiles(test.existing);
        fixture.Visit(RegRoot::LocalMachine, test.keyPath, 2);
        EXPECT_EQ(fixture.sink.entries, test.expected);
    }
}

TEST(SoftwareRulesTest, ValueRulesCarryTheDataText) {
    RulesFixture fixture;
    const std::string key = "Software\\Vendor\\Paths";
    // The data a string leaves is what an integer after it keeps; an integer first keeps the
    // key's own path; a binary value empties it.
    fixture.AddValues(RegRoot::LocalMachine, key,
                      {Dword("first"), Str("s", "C:\\App\\a.exe"), Dword("n"), Bin("b")});
    fixture.AddFiles({"C:\\App\\a.exe"});
    RegistryProvider provider(fixture.registryContext);
    provider.SetRootKey(RegRoot::LocalMachine);
    ASSERT_TRUE(provider.OpenKeyReadOnly(key));
    std::vector<RegistryValue> values;
    ASSERT_TRUE(provider.ReadAllValues(values));
    std::vector<std::string> subkeys;
    ScanContext context{fixture.registryContext, fixture.files, fixture.sink, fixture.flags,
                        fixture.localDrives, 2, true, {}, {}};
    KeyVisit visit{RegRoot::LocalMachine, provider, key, "Paths", subkeys, values, AsciiLower(key)};
    Texts seen;
    for (const RegistryValue& value : values) {
        (void)ApplySoftwareValueRules(context, visit, value, fixture.resolver);
        seen.push_back(visit.data);
    }
    EXPECT_EQ(seen, (Texts{"software\\vendor\\paths", "c:\\app\\a.exe", "c:\\app\\a.exe", ""}));
    EXPECT_TRUE(fixture.sink.entries.empty());
}

TEST(SoftwareRulesTest, ListedKeysAdvanceTheProgress) {
    RulesFixture fixture;
    const std::string shared = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    fixture.AddValues(RegRoot::LocalMachine, shared,
                      {Dword("C:\\a.dll"), Dword("C:\\b.dll"), Dword("C:\\c.dll")});
    fixture.AddFiles({"C:\\a.dll", "C:\\b.dll", "C:\\c.dll"});
    fixture.Visit(RegRoot::LocalMachine, shared, 2);
    EXPECT_EQ(fixture.progress, 3);
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    fixture.AddValues(RegRoot::LocalMachine, run, {Dword("x")});
    fixture.Visit(RegRoot::LocalMachine, run, 2);
    EXPECT_EQ(fixture.progress, 3);
}

TEST(SoftwareRulesTest, FindingsCarryRuleAndTestedPath) {
    RulesFixture fixture;
    const std::string shared = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    fixture.AddValues(RegRoot::LocalMachine, shared, {Dword("C:\\Gone\\old.dll")});
    fixture.Visit(RegRoot::LocalMachine, shared, 2);
    EXPECT_EQ(fixture.sink.rules, (Texts{"shared-dll"}));
    EXPECT_EQ(fixture.sink.tested, (Texts{"C:\\Gone\\old.dll"}));
    EXPECT_EQ(fixture.sink.roots, (std::vector<int>{2}));

    RulesFixture run;
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    run.AddValues(RegRoot::LocalMachine, key, {Str("Tool", "C:\\Old\\tool.exe -x")});
    run.Visit(RegRoot::LocalMachine, key, 2);
    EXPECT_EQ(run.sink.rules, (Texts{"drive-path-data"}));
    EXPECT_EQ(run.sink.tested, (Texts{"c:\\old\\tool.exe"}));
}

// ---------------------------------------------------------------------------------------------

struct KeyCase {
    const char* name;
    RegRoot root;
    const char* path;
    int rootIndex;
    std::vector<Value> values;
    Texts subkeys;
    Texts existing;
    Texts expected;
};

TEST(SoftwareRulesTest, EmptySoftwareKeyRule) {
    const std::vector<KeyCase> cases = {
        {"empty vendor key of the current user", RegRoot::CurrentUser, "Software\\Gone", 1, {}, {},
         {}, {Entry("Software\\Gone", kObsoleteEntry)}},
        {"empty vendor key of the machine", RegRoot::LocalMachine, "Software\\Gone", 2, {}, {}, {},
         {Entry("Software\\Gone", kObsoleteEntry)}},
        {"empty 32-bit vendor key", RegRoot::LocalMachine, "Software\\Wow6432Node\\Gone", 2, {}, {},
         {}, {Entry("Software\\Wow6432Node\\Gone", kObsoleteEntry)}},
        {"the 32-bit tree itself", RegRoot::LocalMachine, "Software\\Wow6432Node", 2, {}, {}, {}, {}},
        // Keys Windows keeps below Software are no vendor left-overs, however empty.
        {"Windows policies key", RegRoot::LocalMachine, "Software\\Policies", 2, {}, {}, {}, {}},
        {"Windows registered applications", RegRoot::LocalMachine, "Software\\Registered Applications", 2, {}, {}, {}, {}},
        {"32-bit policies key", RegRoot::LocalMachine, "Software\\Wow6432Node\\Policies", 2, {}, {}, {}, {}},
        {"low-integrity store of protected-mode programs", RegRoot::CurrentUser, "Software\\AppDataLow", 1, {}, {}, {}, {}},
        {"empty vendor key of the default user", RegRoot::Users, ".DEFAULT\\Software\\Gone", 3, {},
         {}, {}, {Entry(".DEFAULT\\Software\\Gone", kObsoleteEntry)}},
        {"default user spelt in another case", RegRoot::Users, ".default\\Software\\Gone", 3, {},
         {}, {}, {}},
        {"vendor key with one value", RegRoot::CurrentUser, "Software\\Kept", 1,
         {Str("v", "1")}, {}, {}, {}},
        {"vendor key with an empty subkey", RegRoot::CurrentUser, "Software\\Kept", 1, {},
         {"Sub"}, {}, {}},
        {"empty key deeper down", RegRoot::CurrentUser, "Software\\Vendor\\Empty", 1, {}, {}, {},
         {}},
        {"classes-root pass", RegRoot::ClassesRoot, "Software\\Gone", 0, {}, {}, {}, {}},
    };
    for (const KeyCase& test : cases) {
        SCOPED_TRACE(test.name);
        RulesFixture fixture;
        fixture.AddValues(test.root, test.path, test.values);
        for (const std::string& sub : test.subkeys) {
            fixture.AddKey(test.root, std::string(test.path) + "\\" + sub);
        }
        fixture.Visit(test.root, test.path, test.rootIndex);
        EXPECT_EQ(fixture.sink.entries, test.expected);
    }
}

TEST(SoftwareRulesTest, EmptySoftwareKeyNeedsValuesThatWereRead) {
    // The walker could not read the key's values: the rule sees none, yet the key has one.
    RulesFixture fixture;
    fixture.AddValues(RegRoot::CurrentUser, "Software\\Kept", {Str("v", "1")});
    fixture.Visit(RegRoot::CurrentUser, "Software\\Kept", 1,
                  [](KeyVisit& visit) { const_cast<std::vector<RegistryValue>&>(visit.values).clear(); });
    EXPECT_TRUE(fixture.sink.entries.empty());
}

TEST(SoftwareRulesTest, AppPathRule) {
    const std::string appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    struct AppCase {
        const char* name;
        const char* keyName;
        std::vector<Value> values;
        Texts existing;
        bool reported;
        const char* dataAfter;
    };
    const std::vector<AppCase> cases = {
        {"missing program", "tool.exe", {Str("", "C:\\Gone\\tool.exe")}, {}, true,
         "c:\\gone\\tool.exe"},
        {"program that exists", "tool.exe", {Str("", "C:\\App\\tool.exe")}, {"C:\\App\\tool.exe"},
         false, "c:\\app\\tool.exe"},
        {"quoted program with a switch that exists", "tool.exe",
         {Str("", "\"C:\\App\\tool.exe\" /x")}, {"C:\\App\\tool.exe"}, false, nullptr},
        {"program through a placeholder", "tool.exe",
         {{Value::Expand, "", "%ProgramFiles%\\App\\tool.exe"}},
         {"C:\\Program Files\\App\\tool.exe"}, false, "C:\\Program Files\\app\\tool.exe"},
        {"program on a removable drive", "tool.exe", {Str("", "E:\\tool.exe")}, {}, false, ""},
        {"installer name is not judged", "setup.exe", {Str("", "C:\\Gone\\setup.exe")}, {}, false,
         nullptr},
        {"installer name in another case is judged", "Setup.exe", {Str("", "C:\\Gone\\setup.exe")},
         {}, true, nullptr},
        {"missing connection manager extension", "cm.exe",
         {Str("CmstpExtensionDll", "C:\\Gone\\cmx.dll")}, {}, true, ""},
        {"connection manager extension that exists", "cm.exe",
         {Str("CmstpExtensionDll", "C:\\App\\cmx.dll")}, {"C:\\App\\cmx.dll"}, false, ""},
        {"no program and no extension", "none.exe", {Str("Path", "C:\\App")}, {}, false, ""},
    };
    for (const AppCase& test : cases) {
        SCOPED_TRACE(test.name);
        RulesFixture fixture;
        const std::string path = appPaths + test.keyName;
        fixture.AddValues(RegRoot::LocalMachine, path, test.values);
        fixture.AddFiles(test.existing);
        std::string dataAfter = fixture.Visit(RegRoot::LocalMachine, path, 2);
        Texts appEntries;
        for (std::size_t i = 0; i < fixture.sink.entries.size(); ++i) {
            if (fixture.sink.rules[i] == "app-path") appEntries.push_back(fixture.sink.entries[i]);
        }
        EXPECT_EQ(appEntries, test.reported ? Texts{Entry(path, kInvalidAppPath)} : Texts{});
        if (test.dataAfter) {
            EXPECT_EQ(dataAfter, test.dataAfter);
        }
    }
}

// ---------------------------------------------------------------------------------------------

TEST(SoftwareRulesTest, EntryDataText) {
    EXPECT_EQ(EntryDataText("c:\\short.exe"), "c:\\short.exe");
    EXPECT_EQ(EntryDataText(std::string(512, 'x')), std::string(512, 'x'));
    std::string zeros = std::string(10, '\0') + std::string(600, 'y');
    EXPECT_EQ(EntryDataText(zeros),
              "(string too long)..." + std::string(10, ' ') + std::string(40, 'y') + "...");
}

TEST(SoftwareRulesTest, SoftwareKeyInventory) {
    RulesFixture fixture;
    fixture.AddKey(RegRoot::CurrentUser, "Software\\Lonely");
    fixture.AddKey(RegRoot::CurrentUser, "Software\\Microsoft\\Windows");
    fixture.AddKey(RegRoot::CurrentUser, "Software\\Policies\\X");
    fixture.AddKey(RegRoot::CurrentUser, "Software\\Acme\\Rocket");
    fixture.AddKey(RegRoot::CurrentUser, "Software\\Acme\\Anvil");
    for (int i = 0; i < 20; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "P%02d", i);
        fixture.AddKey(RegRoot::LocalMachine, std::string("Software\\Big\\") + name);
    }
    fixture.AddKey(RegRoot::LocalMachine, "Software\\WOW6432Node\\Old32");

    std::vector<std::int64_t> maximums;
    InventoryCallbacks callbacks{[&](std::int64_t maximum) { maximums.push_back(maximum); }, {}};
    std::size_t added = SoftwareKeyInventory(fixture.registryContext, fixture.sink, callbacks);

    std::string big = "Software\\Big²²²";
    for (int i = 0; i < 15; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "P%02d", i);
        big += name;
        if (i < 14) big += " - ";
    }
    big += " ...";
    EXPECT_EQ(fixture.sink.entries,
              (Texts{Entry("Software\\Acme²²²Anvil - Rocket", -1), Entry("Software\\Lonely", -1),
                     Entry(big, -1), Entry("Software\\WOW6432Node\\Old32", -1)}));
    EXPECT_EQ(fixture.sink.roots, (std::vector<int>{1, 1, 2, 2}));
    EXPECT_EQ(added, 4u);
    EXPECT_EQ(maximums.size(), 3u);
}

TEST(SoftwareRulesTest, BuiltInSkipList) {
    struct SkipCase {
        const char* name;
        const char* path;
        bool skipped;
    };
    const SkipCase cases[] = {
        {"RecentDocs", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs", true},
        {"OpenSaveMRU", "Software\\X\\OpenSaveMRU", true},
        {"MSXML2.DOMDocument", "Software\\Classes\\MSXML2.DOMDocument", true},
        {"MenuOrder", "Software\\X\\MenuOrder", true},
        {"MenuOrders", "Software\\X\\MenuOrders", false},
        {"Intel", "Software\\Intel", true},
        {"IntelGraphics", "Software\\IntelGraphics", false},
        {"Word", "Software\\Microsoft\\Office\\16.0\\Word", true},
        {"Keys", "Software\\Microsoft\\Cryptography\\Keys", true},
        {"Globals", "Software\\Embarcadero\\BDS\\22.0\\Globals", true},
        {"613b99d5cfd7fcb4793b500086bb4113", "Software\\Classes\\Installer\\Products\\x", true},
        {"613B99D5CFD7FCB4793B500086BB4114", "Software\\Classes\\Installer\\Products\\x", false},
        {"Acme", "Software\\Acme", false},
    };
    for (const SkipCase& test : cases) {
        EXPECT_EQ(BuiltInSkipList(test.name, test.path), test.skipped) << test.name;
    }
}

}  // namespace
}  // namespace kestrover
