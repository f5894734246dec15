// The whole registry scan, wired as the command line wires it, over registries full of input no
// sane program writes: huge values, bytes that are no UTF-16 in string values, embedded zeros,
// paths of 32 000 characters, names made of every printable character, keys 500 levels deep and
// a key with 20 000 values. The scan must finish quickly, list what is broken with its key path
// and value name whole, and list nothing that is valid.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/PathVariables.h"
#include "core/Text.h"
#include "core/TextCodec.h"
#include "core/Unicode.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegistryProvider.h"
#include "scanner/FileReference.h"
#include "scanner/RegistryScanRules.h"
#include "scanner/ResultList.h"
#include "scanner/ScanDriver.h"
#include "scanner/ScanEntry.h"

namespace kestrover {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// A scan of this size takes a fraction of a second; anything near this bound is a hang in the
// making (the sanitizer build included).
constexpr auto kScanTimeLimit = 20s;

constexpr RegRoot cr = RegRoot::ClassesRoot;
constexpr RegRoot cu = RegRoot::CurrentUser;
constexpr RegRoot lm = RegRoot::LocalMachine;

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kSharedDlls = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// One listed row, read back the way a deletion reads it.
struct Row {
    int rootIndex = 0;
    std::string key;
    bool hasValue = false;
    std::string value;
    int category = 0;
    std::string rule;
    std::string testedPath;
};

std::string Describe(const Row& row) {
    std::string text = std::to_string(row.rootIndex) + "|" + row.key.substr(0, 120);
    if (row.hasValue) text += "||" + row.value.substr(0, 120);
    return text + "##" + std::to_string(row.category) + " (" + row.rule + ")";
}

std::string Describe(const std::vector<Row>& rows) {
    std::string text;
    for (const Row& row : rows) text += "\n  " + Describe(row);
    return text;
}

Bytes StoredText(std::string_view utf8) { return Utf8ToUtf16LeBytes(utf8, true); }

Bytes Units(std::u16string_view units) {
    Bytes bytes;
    for (char16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

// Deterministic junk, so that a failure can be replayed.
Bytes Junk(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    for (std::uint8_t& byte : bytes) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(seed >> 24);
    }
    return bytes;
}

// "C:\Gone\" followed by folders of `segment` characters up to `length` characters, ending in
// a file name.
std::string LongPath(std::string_view start, std::size_t length, char letter) {
    std::string path(start);
    while (path.size() + 16 < length) {
        path += std::string(std::min<std::size_t>(200, length - path.size() - 16), letter);
        path += '\\';
    }
    path += "program.exe";
    return path;
}

// A small Windows machine: a registry, drive C: with a few programs, the environment the
// command line reads its folders from.
class Machine {
public:
    Machine() {
        for (const char* file : {"C:\\Windows\\System32\\notepad.exe", "C:\\App\\ok.exe",
                                 "C:\\App\\ok.dll"}) {
            EXPECT_TRUE(files.AddFile(file, "x").ok()) << file;
        }
        EXPECT_TRUE(files.AddDirectories("C:\\Kestrover").ok());
        for (auto [name, value] : {std::pair{"SystemRoot", "C:\\Windows"},
                                   {"windir", "C:\\Windows"},
                                   {"SystemDrive", "C:"},
                                   {"ProgramFiles", "C:\\Program Files"},
                                   {"ProgramW6432", "C:\\Program Files"},
                                   {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
                                   {"CommonProgramFiles", "C:\\Program Files\\Common Files"},
                                   {"CommonProgramW6432", "C:\\Program Files\\Common Files"},
                                   {"USERPROFILE", "C:\\Users\\ann"},
                                   {"APPDATA", "C:\\Users\\ann\\AppData\\Roaming"},
                                   {"LOCALAPPDATA", "C:\\Users\\ann\\AppData\\Local"}}) {
            environment.SetVariable(name, value);
        }
    }

    void Set(RegRoot root, std::string_view path, std::string_view name, std::uint32_t type,
             const Bytes& bytes) {
        auto key = registry.CreateKey(root, path, KeyAccess::AllAccess | KeyAccess::Wow64_64Key);
        ASSERT_TRUE(key.ok()) << path.substr(0, 200);
        ASSERT_TRUE((*key)->SetValue(name, type, bytes).ok()) << name.substr(0, 200);
    }
    void Text(RegRoot root, std::string_view path, std::string_view name, std::string_view text) {
        Set(root, path, name, RegistryType::String, StoredText(text));
    }
    void Key(RegRoot root, std::string_view path) {
        ASSERT_TRUE(
            registry.CreateKey(root, path, KeyAccess::AllAccess | KeyAccess::Wow64_64Key).ok())
            << path.substr(0, 200);
    }

    bool ValueExists(int rootIndex, std::string_view path, std::string_view name) {
        std::optional<RegRoot> root = RootFromIndex(rootIndex);
        if (!root) return false;
        auto key = registry.OpenKey(*root, path, KeyAccess::Read | KeyAccess::Wow64_64Key);
        return key.ok() && (*key)->QueryValue(name).ok();
    }
    bool KeyExists(int rootIndex, std::string_view path) {
        std::optional<RegRoot> root = RootFromIndex(rootIndex);
        return root &&
               registry.OpenKey(*root, path, KeyAccess::Read | KeyAccess::Wow64_64Key).ok();
    }

    // Scans every root as `kestrover-cli scan` does and reads each listed row back. Every row
    // must name a key, and a value, that is there: a row that reads back as another key or
    // value would have the deletion act on it.
    std::vector<Row> Scan() {
        RegistryContext context{registry, RegistryViewFlags{true, true}, &Windows1252()};
        PathVariables variables = FillPathVariables(environment, files, context);
        RegistryScanRules rules(files, ToKnownFolders(variables), Wow64Redirection::Off);
        ResultList results(context);
        ScanCallbacks callbacks;
        callbacks.buildLocalDrives = [this] { return BuildLocalDrives(files); };
        ScanDriver driver(
            ScanEnvironment{context, files, results, rules, "C:\\Kestrover", &Windows1252()},
            callbacks);

        const auto start = std::chrono::steady_clock::now();
        ScanReport report = driver.GoClean(ScanSelection{});
        elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_FALSE(report.stopped);
        EXPECT_LT(elapsed, kScanTimeLimit);
        ::testing::Test::RecordProperty(
            "scan_milliseconds",
            static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));

        std::vector<Row> rows;
        for (const ResultRow& listed : results.Rows()) {
            ScanEntry entry = ParseScanEntry(listed.text);
            Row row{entry.rootIndex, entry.keyPath,      entry.hasValue,          entry.valueName,
                    entry.category,  listed.detail.rule, listed.detail.testedPath};
            EXPECT_TRUE(KeyExists(row.rootIndex, row.key)) << "names no key: " << Describe(row);
            if (row.hasValue) {
                EXPECT_TRUE(ValueExists(row.rootIndex, row.key, row.value))
                    << "names no value: " << Describe(row);
            }
            rows.push_back(std::move(row));
        }
        return rows;
    }

    MemoryRegistry registry{true};
    MemoryFileSystem files;
    MemoryEnvironment environment;
    std::chrono::steady_clock::duration elapsed{};
};

// The rows that name this key (and, when given, this value).
std::vector<Row> RowsFor(const std::vector<Row>& rows, int rootIndex, std::string_view key,
                         const char* value = nullptr) {
    std::vector<Row> found;
    for (const Row& row : rows) {
        if (row.rootIndex != rootIndex || row.key != key) continue;
        if (value != nullptr && (!row.hasValue || row.value != value)) continue;
        found.push_back(row);
    }
    return found;
}

std::vector<Row> RowsBelow(const std::vector<Row>& rows, int rootIndex, std::string_view prefix) {
    std::vector<Row> found;
    for (const Row& row : rows) {
        if (row.rootIndex == rootIndex && row.key.starts_with(prefix)) found.push_back(row);
    }
    return found;
}

TEST(ScanBadInputTest, HugeValuesAreJudgedQuickly) {
    Machine machine;
    const std::string vendor = "Software\\HugeVendor";
    const std::string megabyteText(1 << 20, 'a');
    const std::string missing = "C:\\Gone\\" + std::string(1 << 20, 'x');
    std::string placeholders;
    while (placeholders.size() < (1 << 20)) placeholders += "%windir%\\";

    machine.Text(lm, vendor, "Text", megabyteText);
    machine.Text(lm, vendor, "Program with a long tail", "C:\\App\\ok.exe " + megabyteText);
    machine.Set(lm, vendor, "Placeholders", RegistryType::ExpandString, StoredText(placeholders));
    machine.Set(lm, vendor, "Blob", RegistryType::Binary, Junk(10 << 20, 1));
    machine.Set(lm, vendor, "Multi", RegistryType::MultiString, StoredText(megabyteText + '\0'));
    machine.Text(lm, vendor, "Missing", missing);
    // The same sizes where the file-type rules read them.
    machine.Text(cr, ".huge", "", megabyteText);
    machine.Text(cr, "HugeType\\shell\\open\\command", "", "C:\\App\\ok.exe " + megabyteText);
    machine.Set(cr, "HugeType\\DefaultIcon", "", RegistryType::Binary, Junk(10 << 20, 2));
    machine.Text(cr, "HugeClass\\CLSID", "", megabyteText);

    std::vector<Row> rows = machine.Scan();

    // Only the missing path is listed, with its value name; it is far too long to be judged as
    // a command line, so only the drive-path test reports it.
    std::vector<Row> listed = RowsBelow(rows, 2, vendor);
    ASSERT_EQ(listed.size(), 1u) << Describe(rows);
    EXPECT_EQ(listed[0].value, "Missing");
    EXPECT_EQ(listed[0].category, static_cast<int>(ResultCategory::MissingFile));
    EXPECT_EQ(listed[0].testedPath, AsciiLower(missing));
    EXPECT_TRUE(RowsBelow(rows, 0, "").empty()) << Describe(rows);
}

TEST(ScanBadInputTest, BytesThatAreNoTextInStringValuesAreReadSafely) {
    struct Case {
        const char* name;
        std::uint32_t type;
        Bytes bytes;
        bool listed;  // a missing file before the first zero character
    };
    const std::u16string missingProgram = u"C:\\Gone\\gone.exe";
    const std::u16string okProgram = u"C:\\App\\ok.exe";
    const Case cases[] = {
        {"empty", RegistryType::String, {}, false},
        {"one byte", RegistryType::String, {'C'}, false},
        {"odd size after a valid path", RegistryType::String,
         [&] {
             Bytes b = Units(okProgram);
             b.push_back('x');
             return b;
         }(),
         false},
        {"odd size after a missing path", RegistryType::ExpandString,
         [&] {
             Bytes b = Units(missingProgram);
             b.push_back('x');
             return b;
         }(),
         true},
        {"no terminating zero", RegistryType::String, Units(missingProgram), true},
        {"only zeros", RegistryType::String, Bytes(64, 0), false},
        {"valid path, zero, missing path", RegistryType::String,
         Units(okProgram + u'\0' + missingProgram + u'\0'), false},
        {"missing path, zero, valid path", RegistryType::ExpandString,
         Units(missingProgram + u'\0' + okProgram + u'\0'), true},
        {"lone high surrogate in a valid folder's file", RegistryType::String,
         Units(u"C:\\App\\\xD800ok.exe"), true},
        {"lone low surrogate", RegistryType::String, Units(u"\xDC00\xDC01:\\x"), false},
        {"surrogates reversed", RegistryType::ExpandString, Units(u"\xDC00\xD800\xFFFF\xFFFE"),
         false},
        {"lone surrogate after a valid path", RegistryType::String,
         Units(okProgram + u" \xD800"), false},
        {"junk", RegistryType::String, Junk(4097, 3), false},
        {"junk with placeholders", RegistryType::ExpandString,
         [] {
             Bytes b = Units(u"%windir%\\%");
             Bytes junk = Junk(4096, 4);
             b.insert(b.end(), junk.begin(), junk.end());
             return b;
         }(),
         false},
    };
    Machine machine;
    for (const Case& c : cases) {
        machine.Set(lm, std::string("Software\\JunkVendor\\") + c.name, "Data", c.type, c.bytes);
        // The same bytes where the file-type rules read them: as the class of a file type and
        // as its open command.
        const std::string type = "JunkType" + std::to_string(&c - cases);
        machine.Set(cr, type + "\\CLSID", "", c.type, c.bytes);
        machine.Set(cr, type + "\\shell\\open\\command", "", c.type, c.bytes);
    }

    std::vector<Row> rows = machine.Scan();

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Row> listed =
            RowsFor(rows, 2, std::string("Software\\JunkVendor\\") + c.name, "Data");
        EXPECT_EQ(!listed.empty(), c.listed) << Describe(rows);
        for (const Row& row : listed) {
            EXPECT_EQ(row.category, static_cast<int>(ResultCategory::MissingFile));
            EXPECT_TRUE(row.testedPath.starts_with("c:\\")) << row.testedPath;
        }
    }
    // A class that is junk names no class there is to judge; a command whose program is gone
    // makes its file type unused, and is itself a missing path.
    std::size_t classesRows = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string type = "JunkType" + std::to_string(&c - cases);
        std::vector<Row> typeRows = RowsFor(rows, 0, type);
        std::vector<Row> commandRows = RowsFor(rows, 0, type + "\\shell\\open\\command", "");
        classesRows += typeRows.size() + commandRows.size();
        ASSERT_EQ(typeRows.size(), c.listed ? 1u : 0u) << Describe(rows);
        ASSERT_EQ(commandRows.size(), c.listed ? 1u : 0u) << Describe(rows);
        if (!c.listed) continue;
        EXPECT_EQ(typeRows[0].category, static_cast<int>(ResultCategory::UnusedFileType));
        EXPECT_EQ(commandRows[0].category, static_cast<int>(ResultCategory::MissingFile));
    }
    EXPECT_EQ(RowsBelow(rows, 0, "").size(), classesRows) << Describe(rows);
}

TEST(ScanBadInputTest, PathsOf32000CharactersAreReportedWhole) {
    Machine machine;
    const std::string missingData = LongPath("C:\\Gone\\", 32000, 'd');
    const std::string missingName = LongPath("C:\\Gone\\", 32000, 'n');
    const std::string missingDll = LongPath("C:\\Gone\\", 32000, 'l');
    const std::string vendor = "Software\\LongVendor";
    ASSERT_GT(missingData.size(), 31900u);
    ASSERT_LE(missingData.size(), 32000u);

    machine.Text(lm, kRun, "Long", missingData);
    machine.Set(lm, vendor, missingName, RegistryType::Binary, Bytes{1, 2, 3});
    machine.Set(lm, kSharedDlls, missingDll, RegistryType::Dword, Bytes{1, 0, 0, 0});
    // Valid neighbours: the same keys with references that are there.
    machine.Text(lm, kRun, "Ok", "C:\\App\\ok.exe");
    machine.Set(lm, kSharedDlls, "C:\\App\\ok.dll", RegistryType::Dword, Bytes{1, 0, 0, 0});
    // A key path of about 32 000 characters: 126 names of 250 characters.
    std::string longKey = "Software\\LongKeys";
    for (int level = 0; level < 126; ++level) {
        longKey += '\\' + std::string(249, static_cast<char>('a' + level % 26)) +
                   static_cast<char>('0' + level % 10);
    }
    machine.Text(cu, longKey, "Gone", "C:\\Gone\\gone.exe");
    machine.Text(cu, longKey, "Ok", "C:\\App\\ok.exe");

    std::vector<Row> rows = machine.Scan();

    std::vector<Row> data = RowsFor(rows, 2, kRun, "Long");
    ASSERT_EQ(data.size(), 1u) << Describe(rows);
    EXPECT_EQ(data[0].category, static_cast<int>(ResultCategory::MissingFile));
    EXPECT_EQ(data[0].testedPath, AsciiLower(missingData));

    std::vector<Row> name = RowsFor(rows, 2, vendor, missingName.c_str());
    ASSERT_EQ(name.size(), 1u) << Describe(rows);
    EXPECT_EQ(name[0].category, static_cast<int>(ResultCategory::MissingFile));

    std::vector<Row> dll = RowsFor(rows, 2, kSharedDlls, missingDll.c_str());
    ASSERT_EQ(dll.size(), 1u) << Describe(rows);
    EXPECT_EQ(dll[0].category, static_cast<int>(ResultCategory::MissingDll));

    std::vector<Row> deep = RowsFor(rows, 1, longKey);
    ASSERT_EQ(deep.size(), 1u) << Describe(rows);  // listed once, as a drive path
    for (const Row& row : deep) EXPECT_EQ(row.value, "Gone");

    EXPECT_TRUE(RowsFor(rows, 2, kRun, "Ok").empty());
    EXPECT_TRUE(RowsFor(rows, 2, kSharedDlls, "C:\\App\\ok.dll").empty());
    EXPECT_TRUE(RowsFor(rows, 1, longKey, "Ok").empty());
}

TEST(ScanBadInputTest, NamesOfEveryCharacterReadBackAsTheyAre) {
    std::string printable;  // every printable ASCII character but the path separator
    for (char c = ' '; c <= '~'; ++c) {
        if (c != '\\') printable += c;
    }
    const std::string withSeparator = printable + "\\";
    const std::string nonAscii = "Zo\xC3\xAB \xE5\x90\x8D\xE5\x89\x8D \xF0\x9F\x98\x80 \xC2\xB2 end";
    const std::string vendor = "Software\\CharVendor";

    Machine machine;
    for (const std::string& keyName : {printable, nonAscii}) {
        const std::string key = vendor + "\\" + keyName;
        machine.Text(lm, key, withSeparator, "C:\\App\\ok.exe");
        machine.Text(lm, key, nonAscii, "C:\\App\\ok.exe");
        machine.Text(lm, key, "Gone " + nonAscii, "C:\\Gone\\" + nonAscii + ".exe");
        machine.Text(lm, key, "Gone " + printable, "C:\\Gone\\gone.exe");
    }
    std::vector<Row> rows = machine.Scan();

    for (const std::string& keyName : {printable, nonAscii}) {
        SCOPED_TRACE(keyName);
        const std::string key = vendor + "\\" + keyName;
        std::vector<Row> listed = RowsFor(rows, 2, key);
        // Each value naming a file that is gone, once.
        std::vector<std::string> values;
        for (const Row& row : listed) values.push_back(row.value);
        EXPECT_EQ(values, (std::vector<std::string>{"Gone " + nonAscii, "Gone " + printable}))
            << Describe(rows);
    }
    EXPECT_EQ(rows.size(), 4u) << Describe(rows);
}

// A row is stored as "key||value|||data" followed by "²²" and the category. A name that holds
// "||" or "|||", ends in "|" or ends in "²" would read back cut short, naming its valid
// neighbour: the deletion would then remove a value or a whole key that is in use. Such a
// finding is left out rather than listed as its neighbour.
TEST(ScanBadInputTest, NamesHoldingTheRowSeparatorsNeverNameTheirNeighbour) {
    const std::string two = "\xC2\xB2";  // "²", half of the category marker
    struct Case {
        const char* what;
        RegRoot root;
        int rootIndex;
        std::string neighbourKey;  // holds the value neighbourValue, in use
        std::string neighbourValue;
        std::string brokenKey;
        // The broken value below brokenKey; without one, brokenKey is an empty key (a vendor
        // key, or a file type with nothing in it) or, with brokenCommand, a file type whose
        // program is gone.
        std::optional<std::string> brokenValue;
        bool brokenCommand = false;
    };
    const Case cases[] = {
        {"value name ending in |", cu, 1, "Software\\PipeVendor", "Setting", "Software\\PipeVendor",
         "Setting|"},
        {"value name holding |||", cu, 1, "Software\\PipeVendor", "Other", "Software\\PipeVendor",
         "Other|||x"},
        {"value name ending in the marker's half", cu, 1, "Software\\PipeVendor", "Gone ",
         "Software\\PipeVendor", "Gone " + two},
        {"empty vendor key holding ||", cu, 1, "Software\\A", "B", "Software\\A||B", std::nullopt},
        {"empty vendor key ending in the marker's half", cu, 1, "Software\\Kept", "Setting",
         "Software\\Kept" + two, std::nullopt},
        {"empty file type holding ||", cr, 0, "Pair", "Name", "Pair||Name", std::nullopt},
        {"empty file type ending in the marker's half", cr, 0, "KeptType", "Name",
         "KeptType" + two, std::nullopt},
        {"file type holding || whose program is gone", cr, 0, "Gone", "Type", "Gone||Type",
         std::nullopt, true},
    };
    Machine machine;
    for (const Case& c : cases) {
        machine.Text(c.root, c.neighbourKey, c.neighbourValue, "kept");
        if (c.brokenValue) {
            machine.Text(c.root, c.brokenKey, *c.brokenValue, "C:\\Gone\\gone.exe");
        } else if (c.brokenCommand) {
            machine.Text(c.root, c.brokenKey + "\\shell\\open\\command", "",
                         "C:\\Gone\\gone.exe \"%1\"");
        } else {
            machine.Key(c.root, c.brokenKey);
        }
    }

    std::vector<Row> rows = machine.Scan();

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const Row& row : RowsFor(rows, c.rootIndex, c.neighbourKey)) {
            EXPECT_TRUE(row.hasValue && row.value != c.neighbourValue)
                << "the valid neighbour is listed: " << Describe(row);
        }
    }
}

TEST(ScanBadInputTest, KeysFiveHundredLevelsDeepAreWalkedToTheBottom) {
    Machine machine;
    std::string deep = "Software\\DeepVendor";
    std::string emptyShell = "DeepEmptyType\\shell";
    std::string usedShell = "DeepUsedType\\shell";
    for (int level = 0; level < 500; ++level) {
        std::string name = "L" + std::to_string(level);
        deep += "\\" + name;
        emptyShell += "\\" + name;
        usedShell += "\\" + name;
    }
    machine.Text(cu, deep, "Gone", "C:\\Gone\\gone.exe");
    machine.Text(cu, deep, "Ok", "C:\\App\\ok.exe");
    // A file type whose verbs hold nothing at all, however deep, is unused; one with a value at
    // the bottom of its verbs is kept.
    machine.Key(cr, emptyShell);
    machine.Text(cr, usedShell, "Verb", "x");

    std::vector<Row> rows = machine.Scan();

    std::vector<Row> listed = RowsFor(rows, 1, deep, "Gone");
    EXPECT_EQ(listed.size(), 1u) << Describe(rows);
    EXPECT_TRUE(RowsFor(rows, 1, deep, "Ok").empty());
    ASSERT_EQ(RowsFor(rows, 0, "DeepEmptyType").size(), 1u) << Describe(rows);
    EXPECT_EQ(RowsFor(rows, 0, "DeepEmptyType")[0].category,
              static_cast<int>(ResultCategory::UnusedExtension));
    EXPECT_TRUE(RowsFor(rows, 0, "DeepUsedType").empty()) << Describe(rows);
    EXPECT_EQ(rows.size(), 2u) << Describe(rows);
}

TEST(ScanBadInputTest, KeyWithTwentyThousandValues) {
    Machine machine;
    const std::string vendor = "Software\\ManyVendor";
    std::vector<std::string> gone;
    for (int i = 0; i < 20000; ++i) {
        // Names that differ in their first character keep the set-up quick: the memory
        // registry compares each new name with every name the key already holds.
        std::string number = std::to_string(i);
        std::string name = std::string(number.rbegin(), number.rend()) + " value";
        if (i % 1000 == 999) {
            machine.Text(lm, vendor, name, "C:\\Gone\\gone" + std::to_string(i) + ".exe");
            gone.push_back(name);
        } else {
            machine.Text(lm, vendor, name, "\"C:\\App\\ok.exe\" /number " + std::to_string(i));
        }
    }

    std::vector<Row> rows = machine.Scan();

    std::vector<std::string> listed;
    for (const Row& row : RowsFor(rows, 2, vendor)) {
        if (listed.empty() || listed.back() != row.value) listed.push_back(row.value);
    }
    EXPECT_EQ(listed, gone);
    EXPECT_EQ(RowsFor(rows, 2, vendor).size(), gone.size());
    EXPECT_EQ(rows.size(), gone.size()) << Describe(rows);
}

}  // namespace
}  // namespace kestrover
