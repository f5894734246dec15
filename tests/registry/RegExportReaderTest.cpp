// The export file reader: every form of value line, both file forms and what the system's
// registry editor writes, the tree it shows, how it prepares keys for a restore, and input it
// must survive without writing anywhere the file does not name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Unicode.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegExportReader.h"
#include "registry/RegExportWriter.h"
#include "registry/RegistryProvider.h"
#include "support/SyntheticRegistry.h"

namespace kestrover {
namespace {

using testing::FirstDifference;
using testing::SnapshotBranch;

constexpr std::string_view kFile = "C:\\Backups\\backup.reg";
constexpr RegRoot kAllRoots[] = {RegRoot::CurrentUser, RegRoot::LocalMachine,
                                 RegRoot::Users,       RegRoot::CurrentConfig,
                                 RegRoot::PerformanceData, RegRoot::DynData};

std::vector<std::uint8_t> Utf16(std::string_view text) { return Utf8ToUtf16LeBytes(text, false); }

RegistryData Sz(std::string_view text) {
    return {RegistryType::String, Utf8ToUtf16LeBytes(text, true)};
}
RegistryData Raw(std::uint32_t type, std::vector<std::uint8_t> bytes) {
    return {type, std::move(bytes)};
}
RegistryData Dword(std::uint32_t value) {
    return Raw(RegistryType::Dword,
               {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}
// UTF-16LE bytes of a text with its embedded zeros ("a\0b\0" as a std::string with sizes).
RegistryData Text16(std::uint32_t type, std::string_view text) { return Raw(type, Utf16(text)); }

std::string Repeat(std::string_view text, int count) {
    std::string result;
    for (int i = 0; i < count; ++i) result += text;
    return result;
}

std::string HexList(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i != 0) text += ',';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

enum class Form { Regedit4, Unicode5Utf16, Unicode5Utf16NoBom, Unicode5Utf8Bom, Unicode5Utf8 };

// A whole file of the form from lines given as UTF-8 (a Regedit4 file's lines in Windows-1252
// are given as their bytes).
std::string MakeFile(Form form, std::string_view body) {
    switch (form) {
        case Form::Regedit4: return "REGEDIT4\r\n\r\n" + std::string(body);
        case Form::Unicode5Utf16:
        case Form::Unicode5Utf16NoBom: {
            std::vector<std::uint8_t> units =
                Utf16("Windows Registry Editor Version 5.00\r\n\r\n" + std::string(body));
            std::string bom = form == Form::Unicode5Utf16 ? "\xFF\xFE" : "";
            return bom + std::string(units.begin(), units.end());
        }
        case Form::Unicode5Utf8Bom:
            return "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n" + std::string(body);
        case Form::Unicode5Utf8:
            return "Windows Registry Editor Version 5.00\r\n\r\n" + std::string(body);
    }
    return {};
}

// A registry, a file system and a reader over them.
struct Scene {
    MemoryRegistry registry{true};
    MemoryFileSystem files;
    RegistryContext context{registry, RegistryViewFlags{true, true}, nullptr};
    RegExportReader reader{context, files};

    Status Load(std::string_view bytes, LoadMode mode = LoadMode::Restore) {
        Status added = files.AddFile(kFile, bytes);
        EXPECT_TRUE(added.ok());
        return reader.LoadExportFile(kFile, mode);
    }

    std::optional<RegistryData> Value(RegRoot root, std::string_view path, std::string_view name) {
        auto key = registry.OpenKey(root, path, KeyAccess::Read);
        if (!key) return std::nullopt;
        auto data = key.value()->QueryValue(name);
        if (!data) return std::nullopt;
        return data.value();
    }
    std::vector<RegistryValue> Values(RegRoot root, std::string_view path) {
        auto key = registry.OpenKey(root, path, KeyAccess::Read);
        if (!key) return {};
        auto values = key.value()->Values();
        return values ? values.value() : std::vector<RegistryValue>{};
    }
    bool HasKey(RegRoot root, std::string_view path) {
        auto key = registry.OpenKey(root, path, KeyAccess::Read);
        return key.ok() || key.code() == ErrorCode::AccessDenied;
    }
    void CreateKeyWithValue(RegRoot root, std::string_view path, std::string_view name,
                            const RegistryData& data) {
        auto key = registry.CreateKey(root, path, KeyAccess::AllAccess);
        ASSERT_TRUE(key.ok());
        ASSERT_TRUE(key.value()->SetValue(name, data.type, data.bytes).ok());
    }
    std::vector<testing::BranchSnapshot> Everything() {
        std::vector<testing::BranchSnapshot> roots;
        for (RegRoot root : kAllRoots) roots.push_back(SnapshotBranch(registry, root, ""));
        return roots;
    }
    std::vector<std::string> ChildTexts(std::size_t keyIndex) const {
        std::vector<std::string> texts;
        for (const ExportNode& child : reader.Nodes().at(keyIndex).children) {
            texts.push_back(child.text);
        }
        return texts;
    }
};

void ExpectUnchanged(Scene& scene, const std::vector<testing::BranchSnapshot>& before,
                     const std::string& what) {
    std::vector<testing::BranchSnapshot> after = scene.Everything();
    for (std::size_t i = 0; i < before.size(); ++i) {
        auto difference = FirstDifference(before[i], after[i]);
        EXPECT_FALSE(difference.has_value())
            << what << ": " << RootFullName(kAllRoots[i]) << ": " << difference.value_or("");
    }
}

// Every form of value line, read in both file forms where it applies.
TEST(RegExportReader, RestoresEveryFormOfValueLine) {
    struct Case {
        const char* what;
        Form form;
        const char* lines;  // value lines under [HKEY_CURRENT_USER\Software\T]
        const char* name;
        RegistryData expected;
    };
    const std::vector<Case> cases = {
        {"plain text", Form::Regedit4, R"("Text"="hello, world")", "Text", Sz("hello, world")},
        {"empty text", Form::Regedit4, R"("Empty"="")", "Empty", Sz("")},
        {"trailing backslash", Form::Regedit4, R"("Path"="C:\\Dir\\")", "Path", Sz("C:\\Dir\\")},
        {"network share", Form::Regedit4, R"("Share"="\\\\server\\share")", "Share",
         Sz("\\\\server\\share")},
        {"unescaped after the first comma, as older files hold it", Form::Regedit4,
         R"("Mixed"="C:\\a\"b,c\d")", "Mixed", Sz("C:\\a\"b,c\\d")},
        {"escaped through the whole text", Form::Regedit4, R"("Escaped"="a,b\\\\c\"d")",
         "Escaped", Sz("a,b\\\\c\"d")},
        {"other backslashes stay", Form::Regedit4, R"("Odd"="\n\t\")", "Odd", Sz("\\n\\t\\")},
        {"default value", Form::Regedit4, R"(@="d")", "", Sz("d")},
        {"the value named =", Form::Regedit4, R"("="="x")", "=", Sz("x")},
        {"a name ending in =", Form::Regedit4, R"("a="="x")", "a=", Sz("x")},
        {"a name with brackets and commas", Form::Regedit4, R"("[x], y"="z")", "[x], y",
         Sz("z")},
        {"blanks around =", Form::Regedit4, R"("Spaced" = "x")", "Spaced", Sz("x")},
        {"legacy name ending in a backslash", Form::Regedit4, R"("C:\App\"="")", "C:\\App\\",
         Sz("")},
        {"legacy name ending in a backslash, dword", Form::Regedit4,
         R"("C:\App\"=dword:00000001)", "C:\\App\\", Dword(1)},
        {"legacy name, data that is only =", Form::Regedit4, R"("C:\App\"="=")", "C:\\App\\",
         Sz("=")},
        {"escaped quotes in a name", Form::Regedit4, R"("say \"hi\""="x")", "say \"hi\"",
         Sz("x")},
        {"escaped backslash in a name", Form::Regedit4, R"("back\\slash"="x")", "back\\slash",
         Sz("x")},
        {"dword", Form::Regedit4, R"("D"=dword:000000FF)", "D", Dword(255)},
        {"dword ffffffff", Form::Regedit4, R"("D"=dword:ffffffff)", "D", Dword(0xFFFFFFFF)},
        {"dword tag in capitals", Form::Regedit4, R"("D"=DWORD:0000002A)", "D", Dword(42)},
        {"unreadable dword", Form::Regedit4, R"("D"=dword:zz)", "D", Dword(0)},
        {"dword beyond 32 bits", Form::Regedit4, R"("D"=dword:1ffffffff)", "D", Dword(0)},
        {"empty dword", Form::Regedit4, R"("D"=dword:)", "D", Dword(0)},
        {"expand string", Form::Regedit4, R"("E"=hex(2):25,50,41,54,48,25,00)", "E",
         Text16(RegistryType::ExpandString, std::string("%PATH%\0", 7))},
        {"expand string with an embedded zero", Form::Regedit4, R"("E"=hex(2):61,00,62,00)",
         "E", Text16(RegistryType::ExpandString, std::string("a\0b\0", 4))},
        {"empty expand string", Form::Regedit4, R"("E"=hex(2):)", "E",
         Raw(RegistryType::ExpandString, {})},
        {"expand string in the code page", Form::Regedit4, R"("E"=hex(2):80,e9,00)", "E",
         Text16(RegistryType::ExpandString, std::string("\u20AC\u00E9\0", 6))},
        {"multi-string", Form::Regedit4, R"("M"=hex(7):61,00,62,00,00)", "M",
         Text16(RegistryType::MultiString, std::string("a\0b\0\0", 5))},
        {"string written as hex(1)", Form::Regedit4, R"("S"=hex(1):e9,0d,0a,00)", "S",
         Text16(RegistryType::String, std::string("\u00E9\r\n\0", 5))},
        {"binary", Form::Regedit4, R"("B"=hex:00,FF,10)", "B",
         Raw(RegistryType::Binary, {0x00, 0xFF, 0x10})},
        {"empty binary", Form::Regedit4, R"("B"=hex:)", "B", Raw(RegistryType::Binary, {})},
        {"a single last digit is a byte", Form::Regedit4, R"("B"=hex:0a,b)", "B",
         Raw(RegistryType::Binary, {0x0A, 0x0B})},
        {"qword", Form::Regedit4, R"("Q"=hex(b):88,77,66,55,44,33,22,11)", "Q",
         Raw(RegistryType::Qword, {0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11})},
        {"none", Form::Regedit4, R"("N"=hex(0):)", "N", Raw(RegistryType::None, {})},
        {"dword that is not 4 bytes", Form::Regedit4, R"("D"=hex(4):01,02)", "D",
         Raw(RegistryType::Dword, {1, 2})},
        {"any type number", Form::Regedit4, R"("X"=hex(100):01)", "X", Raw(0x100, {1})},
        {"binary as hex(3)", Form::Regedit4, R"("B"=HEX(3):01)", "B",
         Raw(RegistryType::Binary, {1})},
        {"text in the code page", Form::Regedit4, "\"Caf\xE9\"=\"cr\xE8me\"", "Caf\u00E9",
         Sz("cr\u00E8me")},
        {"expand string wrapped at 25 characters", Form::Regedit4,
         "\"E\"=hex(2):61,62,63,64,65,66,67,68,69,6a,61,62,63,64,65,66,67,68,69,6a,61,62,63,"
         "64,65,\\\r\n   66,67,68,69,6a,00",
         "E", Text16(RegistryType::ExpandString, std::string("abcdefghijabcdefghijabcdefghij\0", 31))},
        {"binary of 27 bytes wrapped after the 26th", Form::Regedit4,
         "\"B\"=hex:00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,15,16,17,18,"
         "19,\\\r\n1A",
         "B", Raw(RegistryType::Binary, [] {
             std::vector<std::uint8_t> bytes;
             for (std::uint8_t i = 0; i < 27; ++i) bytes.push_back(i);
             return bytes;
         }())},
        {"multi-string of 25 bytes ending in a backslash, a value after it", Form::Regedit4,
         "\"M\"=hex(7):61,62,63,64,65,66,67,68,69,6A,61,62,63,64,65,66,67,68,69,6A,61,62,63,00,"
         "00,\\\r\n\"Next\"=\"n\"",
         "M", Text16(RegistryType::MultiString, std::string("abcdefghijabcdefghijabc\0\0", 25))},
        {"the value after it", Form::Regedit4,
         "\"M\"=hex(7):61,62,63,64,65,66,67,68,69,6A,61,62,63,64,65,66,67,68,69,6A,61,62,63,00,"
         "00,\\\r\n\"Next\"=\"n\"",
         "Next", Sz("n")},
        // Unicode files: the bytes of string data are the stored UTF-16LE.
        {"unicode text", Form::Unicode5Utf16, "\"Имя\"=\"значение\"", "Имя", Sz("значение")},
        {"unicode expand string", Form::Unicode5Utf16,
         R"("E"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00)", "E",
         Text16(RegistryType::ExpandString, std::string("%TEMP%\0", 7))},
        {"unicode multi-string wrapped as regedit wraps", Form::Unicode5Utf16,
         "\"M\"=hex(7):61,00,00,00,\\\r\n  62,00,00,00,00,00", "M",
         Text16(RegistryType::MultiString, std::string("a\0b\0\0", 5))},
        {"unicode string with an odd byte count", Form::Unicode5Utf16, R"("S"=hex(1):61,00,62)",
         "S", Raw(RegistryType::String, {0x61, 0x00, 0x62})},
        {"UTF-16LE file without a byte-order mark", Form::Unicode5Utf16NoBom,
         R"("E"=hex(2):78,00,00,00)", "E",
         Text16(RegistryType::ExpandString, std::string("x\0", 2))},
        {"utf-8 file with a byte-order mark", Form::Unicode5Utf8Bom, "\"Grüße\"=\"straße\"",
         "Grüße", Sz("straße")},
        {"utf-8 file without a byte-order mark", Form::Unicode5Utf8, "\"Grüße\"=\"日本\"",
         "Grüße", Sz("日本")},
        {"utf-8 file, hex(2) bytes are UTF-16", Form::Unicode5Utf8,
         R"("E"=hex(2):78,00,00,00)", "E",
         Text16(RegistryType::ExpandString, std::string("x\0", 2))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene scene;
        std::string body = "[HKEY_CURRENT_USER\\Software\\T]\r\n" + std::string(c.lines) + "\r\n";
        ASSERT_TRUE(scene.Load(MakeFile(c.form, body)).ok());
        auto value = scene.Value(RegRoot::CurrentUser, "Software\\T", c.name);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->type, c.expected.type);
        EXPECT_EQ(value->bytes, c.expected.bytes)
            << HexList(value->bytes) << " instead of " << HexList(c.expected.bytes);
        EXPECT_FALSE(scene.reader.Failed());
        EXPECT_FALSE(scene.reader.SectionsAbandoned());
    }
}

TEST(RegExportReader, TheValueNamedEqualsIsNotTheDefault) {
    Scene scene;
    ASSERT_TRUE(scene.Load(MakeFile(Form::Regedit4, "[HKEY_CURRENT_USER\\T]\r\n\"=\"=\"x\"\r\n")).ok());
    EXPECT_FALSE(scene.Value(RegRoot::CurrentUser, "T", "").has_value());
    EXPECT_TRUE(scene.Value(RegRoot::CurrentUser, "T", "=").has_value());
}

// The structure of a file: format lines, blank lines, comments, repeated headers, roots.
TEST(RegExportReader, ReadsTheStructureOfAFile) {
    struct Expected {
        RegRoot root;
        const char* path;
        std::vector<RegistryValue> values;  // in this order
    };
    struct Case {
        const char* what;
        std::string file;
        std::vector<std::string> headers;  // the key nodes' texts
        std::vector<Expected> keys;
    };
    const std::vector<Case> cases = {
        {"no REGEDIT4 line", "[HKEY_CURRENT_USER\\A]\r\n\"v\"=\"1\"\r\n",
         {"[HKEY_CURRENT_USER\\A]"},
         {{RegRoot::CurrentUser, "A", {{"v", Sz("1")}}}}},
        {"blank lines anywhere, lone LF and CR line ends",
         "\r\n\r\nREGEDIT4\n\n  \n[HKEY_CURRENT_USER\\A]\r\r\n\"v\"=\"1\"\r\n\t\r\n\"w\"=\"2\"\r\n\r\n"
         "\r\n[HKEY_CURRENT_USER\\B]\n\n",
         {"[HKEY_CURRENT_USER\\A]", "[HKEY_CURRENT_USER\\B]"},
         {{RegRoot::CurrentUser, "A", {{"v", Sz("1")}, {"w", Sz("2")}}},
          {RegRoot::CurrentUser, "B", {}}}},
        {"the same header twice in a row is one section",
         "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=\"1\"\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n"
         "\"w\"=\"2\"\r\n",
         {"[HKEY_CURRENT_USER\\A]"},
         {{RegRoot::CurrentUser, "A", {{"v", Sz("1")}, {"w", Sz("2")}}}}},
        {"sections of one key apart from each other",
         "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=\"1\"\r\n[HKEY_CURRENT_USER\\B]\r\n"
         "[HKEY_CURRENT_USER\\A]\r\n\"w\"=\"2\"\r\n",
         {"[HKEY_CURRENT_USER\\A]", "[HKEY_CURRENT_USER\\B]", "[HKEY_CURRENT_USER\\A]"},
         {{RegRoot::CurrentUser, "A", {{"v", Sz("1")}, {"w", Sz("2")}}}}},
        {"values in file order", "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"z\"=\"1\"\r\n\"a\"=\"2\"\r\n"
         "@=\"3\"\r\n\"m\"=\"4\"\r\n",
         {"[HKEY_CURRENT_USER\\A]"},
         {{RegRoot::CurrentUser, "A", {{"z", Sz("1")}, {"a", Sz("2")}, {"", Sz("3")}, {"m", Sz("4")}}}}},
        {"a later value of the same name wins in its place",
         "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"\r\n\"y\"=\"2\"\r\n\"X\"=\"3\"\r\n",
         {"[HKEY_CURRENT_USER\\A]"},
         {{RegRoot::CurrentUser, "A", {{"x", Sz("3")}, {"y", Sz("2")}}}}},
        {"comment lines, deletion lines",
         "REGEDIT4\r\n; comment\r\n[HKEY_CURRENT_USER\\A]\r\n; another\r\n\"gone\"=-\r\n@=-\r\n"
         "\"v\"=\"1\"\r\n",
         {"[HKEY_CURRENT_USER\\A]"},
         {{RegRoot::CurrentUser, "A", {{"v", Sz("1")}}}}},
        {"every root the reader knows",
         "REGEDIT4\r\n[HKEY_CLASSES_ROOT\\.kst]\r\n@=\"c\"\r\n[HKEY_LOCAL_MACHINE\\Software\\K]\r\n"
         "\"l\"=\"m\"\r\n[HKEY_USERS\\S-1\\K]\r\n\"u\"=\"u\"\r\n[HKEY_CURRENT_CONFIG\\K]\r\n"
         "\"c\"=\"c\"\r\n",
         {"[HKEY_CLASSES_ROOT\\.kst]", "[HKEY_LOCAL_MACHINE\\Software\\K]", "[HKEY_USERS\\S-1\\K]",
          "[HKEY_CURRENT_CONFIG\\K]"},
         {{RegRoot::LocalMachine, "Software\\Classes\\.kst", {{"", Sz("c")}}},
          {RegRoot::LocalMachine, "Software\\K", {{"l", Sz("m")}}},
          {RegRoot::Users, "S-1\\K", {{"u", Sz("u")}}},
          {RegRoot::CurrentConfig, "K", {{"c", Sz("c")}}}}},
        {"a root's own values, with and without the backslash",
         "REGEDIT4\r\n[HKEY_CURRENT_USER\\]\r\n\"r\"=\"1\"\r\n[HKEY_USERS]\r\n\"u\"=\"2\"\r\n",
         {"[HKEY_CURRENT_USER\\]", "[HKEY_USERS]"},
         {{RegRoot::CurrentUser, "", {{"r", Sz("1")}}}, {RegRoot::Users, "", {{"u", Sz("2")}}}}},
        {"a trailing backslash names the key itself",
         "REGEDIT4\r\n[HKEY_CURRENT_USER\\A\\B\\]\r\n\"v\"=\"1\"\r\n",
         {"[HKEY_CURRENT_USER\\A\\B\\]"},
         {{RegRoot::CurrentUser, "A\\B", {{"v", Sz("1")}}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene scene;
        ASSERT_TRUE(scene.Load(c.file).ok());
        std::vector<std::string> headers;
        for (const ExportNode& node : scene.reader.Nodes()) headers.push_back(node.text);
        EXPECT_EQ(headers, c.headers);
        for (const Expected& key : c.keys) {
            SCOPED_TRACE(key.path);
            std::vector<RegistryValue> values = scene.Values(key.root, key.path);
            ASSERT_EQ(values.size(), key.values.size());
            for (std::size_t i = 0; i < values.size(); ++i) {
                EXPECT_EQ(values[i].name, key.values[i].name);
                EXPECT_EQ(values[i].data.type, key.values[i].data.type);
                EXPECT_EQ(values[i].data.bytes, key.values[i].data.bytes);
            }
        }
    }
}

// A file exported by Wine's regedit /e (UTF-16LE with a byte-order mark, its own wrapping,
// values sorted by name), kept among the fuzz seeds.
TEST(RegExportReader, RestoresWhatTheSystemRegistryEditorExported) {
    std::string path = std::string(__FILE__);
    path = path.substr(0, path.find_last_of("/\\") + 1) + "fuzz/wine-regedit-export.reg";
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    ASSERT_NE(stream, nullptr) << path;
    std::string bytes;
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, stream)) > 0;) {
        bytes.append(buffer, read);
    }
    std::fclose(stream);

    Scene scene;
    ASSERT_TRUE(scene.Load(bytes).ok());
    const std::string key = "Software\\KestroverPeer";
    std::vector<std::uint8_t> sixty;
    for (std::uint8_t i = 0; i < 60; ++i) sixty.push_back(i);
    const std::vector<RegistryValue> expected = {
        {"", Sz("the default")},
        {"Big endian", Raw(RegistryType::DwordBigEndian, {0, 0, 1, 0})},
        {"Binary", Raw(RegistryType::Binary, sixty)},
        {"Count", Dword(42)},
        {"Empty", Sz("")},
        {"Expand", Text16(RegistryType::ExpandString,
                          std::string("%SystemRoot%\\system32\\drivers\\etc\\hosts") + '\0')},
        {"Folder", Sz("C:\\Program Files\\App\\")},
        {"Max", Dword(0xFFFFFFFF)},
        {"Multi", Text16(RegistryType::MultiString,
                         std::string("first\0second\0third line\0\0", 25))},
        {"Name = with equals", Sz("x")},
        {"None", Raw(RegistryType::None, {})},
        {"Plain", Sz("hello, world")},
        {"Quote \"q\"", Sz("say \"hi\"")},
        {"Qword", Raw(RegistryType::Qword, {0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11})},
        {"Share", Sz("\\\\server\\share")},
        {"Путь", Sz("значение")},
    };
    std::vector<RegistryValue> values = scene.Values(RegRoot::CurrentUser, key);
    ASSERT_EQ(values.size(), expected.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(values[i].name, expected[i].name);
        EXPECT_EQ(values[i].data.type, expected[i].data.type);
        EXPECT_EQ(values[i].data.bytes, expected[i].data.bytes);
    }
    auto inner = scene.Value(RegRoot::CurrentUser, key + "\\Sub key", "Inner");
    ASSERT_TRUE(inner.has_value());
    EXPECT_EQ(inner->bytes, Sz("value").bytes);
}

// Sections the reader shows but never restores, under any root.
TEST(RegExportReader, NeverRestoresASectionUnderARootItDoesNotKnow) {
    const char* headers[] = {
        "[HKEY_PERFORMANCE_DATA\\Counters]",
        "[HKEY_DYN_DATA\\Config]",
        "[hkey_current_user\\Software\\Lower]",
        "[HKEY_Current_User\\Software\\Mixed]",
        "[HKCU\\Software\\Short]",
        "[-HKEY_CURRENT_USER\\Software\\Keep]",
        "[HKEY_CURRENT_USER\\Software\\No bracket",
        "[HKEY_CURRENT_USER\\Software\\Junk after]x",
        "HKEY_CURRENT_USER\\Software\\No opening]",
        "[\\Software\\No root]",
        "[HKEY_LOCAL_MACHINEX\\Software]",
        "[]",
        "[",
    };
    for (const char* header : headers) {
        SCOPED_TRACE(header);
        Scene scene;
        scene.CreateKeyWithValue(RegRoot::CurrentUser, "Software\\Keep", "keep", Sz("me"));
        auto before = scene.Everything();
        std::string file = std::string(header) + "\r\n\"v\"=\"1\"\r\n@=hex:01\r\n\"keep\"=-\r\n";
        ASSERT_TRUE(scene.Load(file).ok());
        ExpectUnchanged(scene, before, header);
        ASSERT_EQ(scene.reader.Nodes().size(), 1u);
        const ExportNode& node = scene.reader.Nodes()[0];
        EXPECT_EQ(node.text, header);
        EXPECT_FALSE(node.root.has_value());
        EXPECT_EQ(node.status, ExportNodeStatus::RootIcon);
        ASSERT_EQ(node.children.size(), 2u);
        for (const ExportNode& value : node.children) {
            EXPECT_EQ(value.status, ExportNodeStatus::ViewOnly);
        }
    }
}

// Restore prepares each key: create what is missing, prove what exists writable.
TEST(RegExportReader, PreparesEachKeyForTheRestore) {
    enum class Setup { Missing, Existing, WriteDenied, ReadDenied, ParentWriteDenied };
    struct Case {
        const char* what;
        Setup setup;
        ExportNodeStatus status;
        bool restored;
    };
    const Case cases[] = {
        {"missing key", Setup::Missing, ExportNodeStatus::Created, true},
        {"existing key", Setup::Existing, ExportNodeStatus::Writable, true},
        {"key that refuses writing", Setup::WriteDenied, ExportNodeStatus::Failed, false},
        {"key that refuses reading (it exists)", Setup::ReadDenied, ExportNodeStatus::Failed,
         false},
        {"missing key under a parent that refuses writing", Setup::ParentWriteDenied,
         ExportNodeStatus::Failed, false},
    };
    const std::string file =
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\P\\K]\r\n\"v\"=\"1\"\r\n\"w\"=dword:00000002\r\n"
        "\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n\"o\"=\"2\"\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene scene;
        if (c.setup != Setup::Missing) {
            const char* path = c.setup == Setup::ParentWriteDenied ? "Software\\P" : "Software\\P\\K";
            scene.CreateKeyWithValue(RegRoot::CurrentUser, path, "old", Sz("old"));
            if (c.setup == Setup::WriteDenied || c.setup == Setup::ParentWriteDenied) {
                ASSERT_TRUE(scene.registry.SetWriteDenied(RegRoot::CurrentUser, path, true));
            }
            if (c.setup == Setup::ReadDenied) {
                ASSERT_TRUE(scene.registry.SetReadDenied(RegRoot::CurrentUser, path, true));
            }
        }
        ASSERT_TRUE(scene.Load(file).ok());
        const auto& nodes = scene.reader.Nodes();
        ASSERT_EQ(nodes.size(), 2u);
        EXPECT_EQ(nodes[0].status, c.status);
        EXPECT_EQ(nodes[0].root, RegRoot::CurrentUser);
        EXPECT_EQ(nodes[0].keyPath, "Software\\P\\K");
        EXPECT_EQ(nodes[1].status, ExportNodeStatus::Created);
        EXPECT_EQ(scene.reader.Failed(), !c.restored);
        ASSERT_EQ(nodes[0].children.size(), 2u);
        for (const ExportNode& value : nodes[0].children) {
            EXPECT_EQ(value.status,
                      c.restored ? ExportNodeStatus::Restored : ExportNodeStatus::ViewOnly);
        }
        // The next section is restored whatever happened to this one.
        EXPECT_TRUE(scene.Value(RegRoot::CurrentUser, "Software\\Other", "o").has_value());

        scene.registry.SetReadDenied(RegRoot::CurrentUser, "Software\\P\\K", false);
        scene.registry.SetWriteDenied(RegRoot::CurrentUser, "Software\\P\\K", false);
        EXPECT_EQ(scene.Value(RegRoot::CurrentUser, "Software\\P\\K", "v").has_value(),
                  c.restored);
        EXPECT_FALSE(
            scene.Value(RegRoot::CurrentUser, "Software\\P\\K", "KestroverWritingTest").has_value());
        if (c.setup == Setup::Existing) {
            // The write test leaves the key's own values, and their order, alone.
            std::vector<RegistryValue> values = scene.Values(RegRoot::CurrentUser, "Software\\P\\K");
            ASSERT_EQ(values.size(), 3u);
            EXPECT_EQ(values[0].name, "old");
            EXPECT_EQ(values[1].name, "v");
            EXPECT_EQ(values[2].name, "w");
        }
    }
}

// A header whose path has an empty component names no key; the provider would fold it into a
// neighbour ("A\\" into "A"), so the reader does not let it near one.
TEST(RegExportReader, AKeyPathNoKeyCanHaveFails) {
    const char* headers[] = {
        "[HKEY_CURRENT_USER\\Software\\A\\\\]",
        "[HKEY_CURRENT_USER\\\\Software\\A]",
        "[HKEY_CURRENT_USER\\Software\\\\A]",
    };
    for (const char* header : headers) {
        SCOPED_TRACE(header);
        Scene scene;
        scene.CreateKeyWithValue(RegRoot::CurrentUser, "Software\\A", "keep", Sz("me"));
        auto before = scene.Everything();
        ASSERT_TRUE(scene.Load(std::string(header) + "\r\n\"v\"=\"1\"\r\n").ok());
        ExpectUnchanged(scene, before, header);
        ASSERT_EQ(scene.reader.Nodes().size(), 1u);
        EXPECT_EQ(scene.reader.Nodes()[0].status, ExportNodeStatus::Failed);
        EXPECT_TRUE(scene.reader.Failed());
    }
}

TEST(RegExportReader, ViewOnlyShowsTheTreeAndWritesNothing) {
    Scene scene;
    scene.CreateKeyWithValue(RegRoot::CurrentUser, "Software\\Existing", "x", Sz("x"));
    auto before = scene.Everything();
    const std::string file =
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Existing]\r\n\"v\"=\"1\"\r\n"
        "\r\n[HKEY_CURRENT_USER\\Software\\New]\r\n\"w\"=\"2\"\r\n";
    ASSERT_TRUE(scene.Load(file, LoadMode::ViewOnly).ok());
    ExpectUnchanged(scene, before, "view only");
    const auto& nodes = scene.reader.Nodes();
    ASSERT_EQ(nodes.size(), 2u);
    for (const ExportNode& node : nodes) {
        EXPECT_EQ(node.status, ExportNodeStatus::RootIcon);
        EXPECT_EQ(node.root, RegRoot::CurrentUser);
        ASSERT_EQ(node.children.size(), 1u);
        EXPECT_EQ(node.children[0].status, ExportNodeStatus::ViewOnly);
    }
    EXPECT_FALSE(scene.reader.Failed());

    // The same reader restores afterwards; a new load clears the tree.
    ASSERT_TRUE(scene.reader.LoadExportFile(kFile, LoadMode::Restore).ok());
    ASSERT_EQ(scene.reader.Nodes().size(), 2u);
    EXPECT_EQ(scene.reader.Nodes()[0].status, ExportNodeStatus::Writable);
    EXPECT_EQ(scene.reader.Nodes()[1].status, ExportNodeStatus::Created);
    EXPECT_EQ(scene.reader.Nodes()[1].children[0].status, ExportNodeStatus::Restored);
}

TEST(RegExportReader, FailedFlagIsClearedByTheNextLoad) {
    Scene scene;
    scene.CreateKeyWithValue(RegRoot::CurrentUser, "Locked", "x", Sz("x"));
    ASSERT_TRUE(scene.registry.SetWriteDenied(RegRoot::CurrentUser, "Locked", true));
    ASSERT_TRUE(scene.Load("[HKEY_CURRENT_USER\\Locked]\r\n\"v\"=\"1\"\r\n").ok());
    EXPECT_TRUE(scene.reader.Failed());
    ASSERT_TRUE(scene.Load("[HKEY_CURRENT_USER\\Free]\r\n\"v\"=\"1\"\r\n").ok());
    EXPECT_FALSE(scene.reader.Failed());
}

// What a value node says: the name (the default value by its display text), "=", and the
// shown data, cut to 128 characters.
TEST(RegExportReader, ValueNodeTexts) {
    const std::string hundred(100, 'x');
    struct Case {
        std::string line;
        std::string text;
    };
    const std::vector<Case> cases = {
        {R"("Text"="a \"b\" \\c")", R"(Text=a "b" \c)"},
        {R"(@="d")", "(standard)=d"},
        {R"("="="e")", "==e"},
        {R"("D"=dword:0000002a)", "D=0000002a"},
        {R"("E"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,00,00)", "E=%PATH%"},
        {R"("E"=hex(2):61,00,00,00,62,00)", "E=a"},
        {R"("S"=hex(1):61,00,62)", "S=a"},
        {R"("M"=hex(7):61,00,\)" "\r\n" R"(  62,00,00)", "M=61006200" "00"},
        {R"("B"=hex:0A,ff)", "B=0Aff"},
        {R"("Q"=hex(b):01,02,03,04,05,06,07,08)", "Q=0102030405060708"},
        {R"("B"=hex:)", "B="},
        // 2 + 126 = 128 characters: shown whole.
        {"\"n\"=\"" + std::string(126, 'y') + "\"", "n=" + std::string(126, 'y')},
        // 2 + 127: cut to 128 - 2 - 3 characters and "...".
        {"\"n\"=\"" + std::string(127, 'y') + "\"", "n=" + std::string(123, 'y') + "..."},
        // Characters, not bytes.
        {"\"n\"=\"" + std::string(63, 'y') + Repeat("\u00E9", 63) + "\"",
         "n=" + std::string(63, 'y') + Repeat("\u00E9", 63)},
        {"\"n\"=\"" + std::string(63, 'y') + Repeat("\u00E9", 64) + "\"",
         "n=" + std::string(63, 'y') + Repeat("\u00E9", 60) + "..."},
        {"\"" + hundred + "\"=\"" + hundred + "\"", hundred + "=" + std::string(24, 'x') + "..."},
        // A name longer than the limit leaves no room for data.
        {"\"" + std::string(130, 'n') + "\"=\"d\"", std::string(130, 'n') + "=..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Scene scene;
        scene.reader.defaultText = "(standard)";
        ASSERT_TRUE(
            scene.Load(MakeFile(Form::Unicode5Utf16, "[HKEY_CURRENT_USER\\T]\r\n" + c.line + "\r\n"),
                       LoadMode::ViewOnly)
                .ok());
        EXPECT_EQ(scene.ChildTexts(0), std::vector<std::string>{c.text});
    }
}

TEST(RegExportReader, ASectionTooLongToShowIsRestoredWhole) {
    struct Case {
        std::size_t valueLines;
        LoadMode mode;
    };
    const Case cases[] = {{4000, LoadMode::Restore}, {4001, LoadMode::Restore},
                          {4001, LoadMode::ViewOnly}, {4000, LoadMode::ViewOnly}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.valueLines) +
                     (c.mode == LoadMode::Restore ? " restore" : " view"));
        std::string file = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Many]\r\n";
        for (std::size_t i = 0; i < c.valueLines; ++i) {
            file += "\"v" + std::to_string(i) + "\"=dword:" + std::to_string(i % 10) + "\r\n";
        }
        file += "\r\n[HKEY_CURRENT_USER\\After]\r\n\"a\"=\"1\"\r\n";
        Scene scene;
        scene.reader.tooLongText = " (too long)";
        ASSERT_TRUE(scene.Load(file, c.mode).ok());
        const auto& nodes = scene.reader.Nodes();
        ASSERT_EQ(nodes.size(), 2u);
        bool tooLong = c.valueLines > 4000;
        if (tooLong) {
            ASSERT_EQ(nodes[0].children.size(), 1u);
            EXPECT_EQ(nodes[0].children[0].text, "v0\"=dword:0 (too long)");
            EXPECT_EQ(nodes[0].children[0].status, ExportNodeStatus::TooLong);
        } else {
            EXPECT_EQ(nodes[0].children.size(), c.valueLines);
        }
        std::vector<RegistryValue> values = scene.Values(RegRoot::CurrentUser, "Many");
        if (c.mode == LoadMode::ViewOnly) {
            EXPECT_TRUE(values.empty());
            continue;
        }
        ASSERT_EQ(values.size(), c.valueLines);
        EXPECT_EQ(values.back().name, "v" + std::to_string(c.valueLines - 1));
        EXPECT_EQ(values.back().data.bytes, Dword((c.valueLines - 1) % 10).bytes);
        EXPECT_TRUE(scene.Value(RegRoot::CurrentUser, "After", "a").has_value());
    }
}

TEST(RegExportReader, DataOfAnySizeIsRestoredWhole) {
    std::vector<std::uint8_t> big(100000);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7 + 3);
    std::string multiText;
    for (int i = 0; i < 5000; ++i) multiText += "item" + std::to_string(i) + std::string(1, '\0');
    multiText += std::string(1, '\0');
    const std::vector<std::uint8_t> multi = Utf16(multiText);
    ASSERT_GT(multi.size(), 32768u);

    // Wrapped as a backup wraps a binary: 26 bytes on the first line, then 25.
    std::string binaryLine = "\"Big\"=hex:";
    for (std::size_t i = 0; i < big.size(); ++i) {
        binaryLine += HexList({big[i]});
        if (i + 1 != big.size()) binaryLine += ',';
        if (i % 25 == 0 && i != 0 && i + 1 != big.size()) binaryLine += "\\\r\n";
    }
    for (Form form : {Form::Regedit4, Form::Unicode5Utf16}) {
        SCOPED_TRACE(form == Form::Regedit4 ? "REGEDIT4" : "Unicode");
        // A REGEDIT4 file holds the text's code-page bytes, a Unicode file the stored ones.
        std::string multiInFile =
            form == Form::Regedit4
                ? HexList(std::vector<std::uint8_t>(multiText.begin(), multiText.end()))
                : HexList(multi);
        std::string body = "[HKEY_CURRENT_USER\\Big]\r\n" + binaryLine + "\r\n\"Multi\"=hex(7):" +
                           multiInFile + "\r\n\"Other\"=hex(8):" + HexList(big) + "\r\n";
        Scene scene;
        ASSERT_TRUE(scene.Load(MakeFile(form, body)).ok());
        auto binary = scene.Value(RegRoot::CurrentUser, "Big", "Big");
        ASSERT_TRUE(binary.has_value());
        EXPECT_EQ(binary->bytes, big);
        auto multiValue = scene.Value(RegRoot::CurrentUser, "Big", "Multi");
        ASSERT_TRUE(multiValue.has_value());
        EXPECT_EQ(multiValue->type, RegistryType::MultiString);
        EXPECT_EQ(multiValue->bytes, multi);
        auto other = scene.Value(RegRoot::CurrentUser, "Big", "Other");
        ASSERT_TRUE(other.has_value());
        EXPECT_EQ(other->type, RegistryType::ResourceList);
        EXPECT_EQ(other->bytes, big);
    }
}

TEST(RegExportReader, StopsAfterTheSectionInProgress) {
    const std::string file =
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\One]\r\n\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n"
        "[HKEY_CURRENT_USER\\Two]\r\n\"c\"=\"3\"\r\n[HKEY_CURRENT_USER\\Three]\r\n\"d\"=\"4\"\r\n";
    Scene scene;
    int pumps = 0;
    scene.reader.pumpMessages = [&] {
        // The first value line of the first section asks to stop.
        if (++pumps == 2) scene.reader.RequestStop();
    };
    ASSERT_TRUE(scene.Load(file).ok());
    ASSERT_EQ(scene.reader.Nodes().size(), 1u);
    EXPECT_EQ(scene.reader.Nodes()[0].children.size(), 2u);
    EXPECT_TRUE(scene.Value(RegRoot::CurrentUser, "One", "b").has_value());
    EXPECT_FALSE(scene.HasKey(RegRoot::CurrentUser, "Two"));

    // A stop asked for before a load does not carry into it.
    scene.reader.pumpMessages = nullptr;
    scene.reader.RequestStop();
    ASSERT_TRUE(scene.reader.LoadExportFile(kFile, LoadMode::Restore).ok());
    EXPECT_EQ(scene.reader.Nodes().size(), 3u);
    EXPECT_TRUE(scene.Value(RegRoot::CurrentUser, "Three", "d").has_value());
}

TEST(RegExportReader, ReportsProgressByLine) {
    // Lines after cleaning: 0 [One], 1 a, 2 b, 3 [Two], 4 c, 5 [One] (a section again).
    const std::string file =
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\One]\r\n\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Two]\r\n\"c\"=\"3\"\r\n\r\n[HKEY_CURRENT_USER\\One]\r\n\r\n";
    Scene scene;
    std::vector<std::pair<std::size_t, std::size_t>> reports;
    scene.reader.progress = [&](std::size_t position, std::size_t maximum) {
        reports.emplace_back(position, maximum);
    };
    ASSERT_TRUE(scene.Load(file, LoadMode::ViewOnly).ok());
    const std::vector<std::pair<std::size_t, std::size_t>> expected = {
        {0, 6}, {3, 6}, {5, 6}, {6, 6}, {0, 0}};
    EXPECT_EQ(reports, expected);
}

// Input the reader must survive: it never crashes and never writes outside the keys the file
// names.
TEST(RegExportReader, SurvivesBadInput) {
    Scene scene;
    // A hex pair that is not hex: the rest of that section is given up, the next is restored.
    ASSERT_TRUE(scene.Load("REGEDIT4\r\n[HKEY_CURRENT_USER\\Bad]\r\n\"Before\"=\"1\"\r\n"
                           "\"Broken\"=hex:00,zz,01\r\n\"After\"=\"2\"\r\n"
                           "[HKEY_CURRENT_USER\\Next]\r\n\"n\"=\"3\"\r\n")
                    .ok());
    EXPECT_TRUE(scene.Value(RegRoot::CurrentUser, "Bad", "Before").has_value());
    EXPECT_FALSE(scene.Value(RegRoot::CurrentUser, "Bad", "Broken").has_value());
    EXPECT_FALSE(scene.Value(RegRoot::CurrentUser, "Bad", "After").has_value());
    EXPECT_TRUE(scene.Value(RegRoot::CurrentUser, "Next", "n").has_value());
    EXPECT_TRUE(scene.reader.SectionsAbandoned());
    ASSERT_EQ(scene.reader.Nodes().size(), 2u);
    EXPECT_TRUE(scene.reader.Nodes()[0].abandoned);
    EXPECT_FALSE(scene.reader.Nodes()[1].abandoned);
    EXPECT_EQ(scene.ChildTexts(0),
              (std::vector<std::string>{"Before=1", "Broken=00,zz,01", "After=2"}));
    EXPECT_EQ(scene.reader.Nodes()[0].children[0].status, ExportNodeStatus::Restored);
    EXPECT_EQ(scene.reader.Nodes()[0].children[1].status, ExportNodeStatus::ViewOnly);
    EXPECT_EQ(scene.reader.Nodes()[0].children[2].status, ExportNodeStatus::ViewOnly);

    // A truncated file: a string without its closing quote and a hex list cut short.
    Scene truncated;
    ASSERT_TRUE(truncated
                    .Load("REGEDIT4\r\n[HKEY_CURRENT_USER\\Cut]\r\n\"Whole\"=\"1\"\r\n"
                          "\"Bin\"=hex:00,01,\\\r\n  02,0")
                    .ok());
    auto bin = truncated.Value(RegRoot::CurrentUser, "Cut", "Bin");
    ASSERT_TRUE(bin.has_value());
    EXPECT_EQ(bin->bytes, (std::vector<std::uint8_t>{0, 1, 2, 0}));
    Scene cutString;
    ASSERT_TRUE(cutString.Load("REGEDIT4\r\n[HKEY_CURRENT_USER\\Cut]\r\n\"Half\"=\"abc").ok());
    EXPECT_TRUE(cutString.HasKey(RegRoot::CurrentUser, "Cut"));
    EXPECT_FALSE(cutString.Value(RegRoot::CurrentUser, "Cut", "Half").has_value());

    // Binary junk, an empty file, a file that is one 10 MB line.
    std::string junk;
    std::uint32_t state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 1103515245u + 12345u;
        junk.push_back(static_cast<char>(state >> 24));
    }
    const std::string tenMegabytes(10 * 1024 * 1024, 'A');
    const std::vector<std::pair<const char*, std::string>> survivors = {
        {"junk", junk},
        {"empty", ""},
        {"only a format line", "REGEDIT4\r\n"},
        {"a byte-order mark alone", "\xFF\xFE"},
        {"an odd UTF-16 file", std::string("\xFF\xFE[\0H\0[", 7)},
        {"one 10 MB line", tenMegabytes},
        {"a header of 10 MB without its bracket", "[HKEY_CURRENT_USER\\" + tenMegabytes},
    };
    for (const auto& [what, bytes] : survivors) {
        SCOPED_TRACE(what);
        Scene survivor;
        auto before = survivor.Everything();
        ASSERT_TRUE(survivor.Load(bytes).ok());
        ExpectUnchanged(survivor, before, what);
    }

    // A 10 MB value on one line is restored whole, and shown cut.
    Scene huge;
    ASSERT_TRUE(
        huge.Load("[HKEY_CURRENT_USER\\Huge]\r\n\"v\"=\"" + tenMegabytes + "\"\r\n").ok());
    auto value = huge.Value(RegRoot::CurrentUser, "Huge", "v");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->bytes.size(), tenMegabytes.size() * 2 + 2);
    EXPECT_EQ(huge.ChildTexts(0), std::vector<std::string>{"v=" + std::string(123, 'A') + "..."});
}

TEST(RegExportReader, AMissingFileIsAnError) {
    Scene scene;
    Status loaded = scene.reader.LoadExportFile("C:\\nowhere.reg", LoadMode::Restore);
    ASSERT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.code(), ErrorCode::NotFound);
    EXPECT_TRUE(scene.reader.Nodes().empty());
}

// Export a small branch with the writer, delete it, restore the backup: the branch is back
// with the same keys, names, types, bytes and value order.
TEST(RegExportReader, RestoresWhatTheWriterExported) {
    struct Case {
        const char* what;
        const char* valueName;  // a name that decides the file's form
    };
    const Case cases[] = {{"REGEDIT4 file", "caf\u00E9"}, {"Unicode file", "\u0418\u043C\u044F"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene scene;
        const std::string branch = "Software\\Kestrover Restore";
        scene.CreateKeyWithValue(RegRoot::CurrentUser, branch, "z first", Sz("C:\\App\\"));
        scene.CreateKeyWithValue(RegRoot::CurrentUser, branch, "", Sz("default, \"quoted\""));
        scene.CreateKeyWithValue(RegRoot::CurrentUser, branch, "C:\\App\\", Sz(""));
        scene.CreateKeyWithValue(RegRoot::CurrentUser, branch, "=", Dword(7));
        scene.CreateKeyWithValue(RegRoot::CurrentUser, branch, c.valueName,
                                 Text16(RegistryType::ExpandString, std::string("%X%\0", 4)));
        scene.CreateKeyWithValue(RegRoot::CurrentUser, branch + "\\Sub\\Deeper", "m",
                                 Text16(RegistryType::MultiString, std::string("a\0b\0\0", 5)));
        scene.CreateKeyWithValue(RegRoot::CurrentUser, branch + "\\Sub", "q",
                                 Raw(RegistryType::Qword, {1, 2, 3, 4, 5, 6, 7, 8}));
        scene.CreateKeyWithValue(RegRoot::CurrentUser, branch + "\\Sub", "lines",
                                 Text16(RegistryType::String, std::string("a\r\nb\0c\0", 7)));
        scene.CreateKeyWithValue(RegRoot::CurrentUser, branch + "\\Sub", "bin",
                                 Raw(RegistryType::Binary, std::vector<std::uint8_t>(70, 0xAB)));
        testing::BranchSnapshot before = SnapshotBranch(scene.registry, RegRoot::CurrentUser, branch);

        ASSERT_TRUE(scene.files.AddDirectories("C:\\Backups").ok());
        RegExportWriter writer(scene.context, scene.files);
        ASSERT_TRUE(writer.BeginExportFile(kFile));
        writer.ExportKey(RegRoot::CurrentUser, branch);
        ASSERT_TRUE(writer.EndExportFile().ok());

        RegistryProvider provider(scene.context);
        provider.SetRootKey(RegRoot::CurrentUser);
        ASSERT_TRUE(provider.DeleteKey("\\" + branch));
        ASSERT_FALSE(scene.HasKey(RegRoot::CurrentUser, branch));

        ASSERT_TRUE(scene.reader.LoadExportFile(kFile, LoadMode::Restore).ok());
        EXPECT_FALSE(scene.reader.Failed());
        EXPECT_FALSE(scene.reader.SectionsAbandoned());
        testing::BranchSnapshot after = SnapshotBranch(scene.registry, RegRoot::CurrentUser, branch);
        auto difference = FirstDifference(before, after);
        EXPECT_FALSE(difference.has_value()) << difference.value_or("");
    }
}

}  // namespace
}  // namespace kestrover
