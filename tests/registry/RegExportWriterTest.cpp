// The export file writer: each per-type formatter on strings, then whole files written from an
// in-memory registry (headers, order, filter, snapshot mode, the choice of form, file errors).
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/TextCodec.h"
#include "core/Unicode.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegExportFormat.h"
#include "registry/RegExportWriter.h"

namespace kestrover {
namespace {

// ---- Data builders -------------------------------------------------------------------------

RegistryData Sz(std::string_view text) {
    return {RegistryType::String, Utf8ToUtf16LeBytes(text, true)};
}
RegistryData ExpandSz(std::string_view text) {
    return {RegistryType::ExpandString, Utf8ToUtf16LeBytes(text, true)};
}
// Each string with its terminator, then the empty string that ends the list.
RegistryData MultiSz(std::initializer_list<std::string_view> strings) {
    RegistryData data{RegistryType::MultiString, {}};
    for (std::string_view text : strings) {
        std::vector<std::uint8_t> bytes = Utf8ToUtf16LeBytes(text, true);
        data.bytes.insert(data.bytes.end(), bytes.begin(), bytes.end());
    }
    data.bytes.push_back(0);
    data.bytes.push_back(0);
    return data;
}
RegistryData Dword(std::uint32_t value) {
    return {RegistryType::Dword,
            {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}};
}
RegistryData Raw(std::uint32_t type, std::vector<std::uint8_t> bytes) {
    return {type, std::move(bytes)};
}
// Bytes 0x01, 0x02, ... count of them.
std::vector<std::uint8_t> Counting(std::size_t count) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) bytes.push_back(static_cast<std::uint8_t>(i + 1));
    return bytes;
}
// String data of units 0x0001, 0x0002, ... count of them: in a REGEDIT4 file, bytes 01, 02, ...
std::vector<std::uint8_t> CountingUnits(std::size_t count) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(i + 1));
        bytes.push_back(0);
    }
    return bytes;
}
// "01,02,...": the upper-case list of bytes first..last, each followed by a comma except the
// last when lastComma is false.
std::string CountingHex(std::size_t first, std::size_t last, bool lastComma) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = first; i <= last; ++i) {
        text += kDigits[(i >> 4) & 0x0F];
        text += kDigits[i & 0x0F];
        if (i != last || lastComma) text += ',';
    }
    return text;
}
std::string Repeat(std::string_view text, std::size_t count) {
    std::string result;
    for (std::size_t i = 0; i < count; ++i) result += text;
    return result;
}

// ---- Formatters ----------------------------------------------------------------------------

TEST(RegExportFormat, KeyHeaders) {
    struct Case {
        RegRoot root;
        const char* path;
        const char* header;
    };
    const Case cases[] = {
        {RegRoot::CurrentUser, "", "[HKEY_CURRENT_USER\\]"},
        {RegRoot::LocalMachine, "Software\\X", "[HKEY_LOCAL_MACHINE\\Software\\X]"},
        {RegRoot::CurrentUser, "\\Software", "[HKEY_CURRENT_USER\\Software]"},
        {RegRoot::Users, ".DEFAULT", "[HKEY_USERS\\.DEFAULT]"},
        {RegRoot::PerformanceData, "", "[HKEY_PERFORMANCE_DATA\\]"},
        {RegRoot::DynData, "X", "[HKEY_DYN_DATA\\X]"},
        {static_cast<RegRoot>(0x12345678), "X", "[\\X]"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatKeyHeader(c.root, c.path), c.header) << c.path;
    }
}

TEST(RegExportFormat, ValueNamesAreQuotedAndEscaped) {
    struct Case {
        const char* name;
        const char* part;
    };
    const Case cases[] = {
        {"", "@"},
        {"Path", "\"Path\""},
        {"=", "\"=\""},
        {"a b,c", "\"a b,c\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\App\\", "\"C:\\\\App\\\\\""},
        {"[x]=y", "\"[x]=y\""},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatValueName(c.name), c.part) << c.name;
}

struct DataCase {
    const char* what;
    RegistryData data;
    ExportFileForm form;
    ExportLayout layout;
    std::string expected;
};

void ExpectDataParts(const std::vector<DataCase>& cases) {
    for (const DataCase& c : cases) {
        EXPECT_EQ(FormatValueData(c.data, c.form, Windows1252(), c.layout), c.expected) << c.what;
    }
}

constexpr ExportFileForm kAnsi = ExportFileForm::Regedit4;
constexpr ExportFileForm kUnicode = ExportFileForm::Unicode5;
constexpr ExportLayout kBackup = ExportLayout::Backup;
constexpr ExportLayout kSnapshot = ExportLayout::Snapshot;

TEST(RegExportFormat, StringsAreQuotedAndEscapedThroughout) {
    ExpectDataParts({
        {"plain", Sz("abc"), kAnsi, kBackup, "\"abc\""},
        {"empty", Sz(""), kAnsi, kBackup, "\"\""},
        // The backslash after the comma is doubled too, so it reads back as one.
        {"quote and comma", Sz("C:\\a\"b,c\\d"), kAnsi, kBackup, "\"C:\\\\a\\\"b,c\\\\d\""},
        {"pair after comma", Sz("x,\\\\y\\\""), kAnsi, kBackup, "\"x,\\\\\\\\y\\\\\\\"\""},
        {"trailing backslash", Sz("C:\\Program Files\\"), kAnsi, kBackup,
         "\"C:\\\\Program Files\\\\\""},
        {"network share", Sz("\\\\server\\share"), kAnsi, kBackup,
         "\"\\\\\\\\server\\\\share\""},
        {"latin text", Sz("caf\xC3\xA9"), kAnsi, kBackup, "\"caf\xC3\xA9\""},
        {"unicode text", Sz("\xD0\x96"), kUnicode, kBackup, "\"\xD0\x96\""},
    });
}

TEST(RegExportFormat, StringsThatAreNotOneTextAreHexBytes) {
    ExpectDataParts({
        {"embedded zero", Raw(RegistryType::String, {'a', 0, 0, 0, 'b', 0, 0, 0}), kAnsi, kBackup,
         "hex(1):61,00,62,00"},
        {"embedded zero, unicode", Raw(RegistryType::String, {'a', 0, 0, 0, 'b', 0, 0, 0}),
         kUnicode, kBackup, "hex(1):61,00,00,00,62,00,00,00"},
        {"line feed", Sz("a\nb"), kAnsi, kBackup, "hex(1):61,0A,62,00"},
        {"carriage return", Sz("a\rb"), kAnsi, kBackup, "hex(1):61,0D,62,00"},
        {"no terminator", Raw(RegistryType::String, {'a', 0, 'b', 0}), kAnsi, kBackup,
         "hex(1):61,62"},
        {"no bytes", Raw(RegistryType::String, {}), kAnsi, kBackup, "hex(1):"},
        {"odd size keeps its stored bytes", Raw(RegistryType::String, {'a', 0, 'b'}), kUnicode,
         kBackup, "hex(1):61,00,62"},
        {"lone surrogate", Raw(RegistryType::String, {0x00, 0xD8, 0, 0}), kUnicode, kBackup,
         "hex(1):00,D8,00,00"},
        {"latin byte in the code page", Raw(RegistryType::String, {0xE9, 0, 0, 0, 'x', 0, 0, 0}),
         kAnsi, kBackup, "hex(1):E9,00,78,00"},
    });
}

TEST(RegExportFormat, ExpandStringsWrapAfterEvery25thCharacter) {
    const std::string a25 = Repeat("61,", 25);
    ExpectDataParts({
        {"short", ExpandSz("%A%\\b"), kAnsi, kBackup, "hex(2):25,41,25,5c,62,00"},
        {"30 characters", ExpandSz(std::string(30, 'a')), kAnsi, kBackup,
         "hex(2):" + a25 + "\\\r\n   " + Repeat("61,", 5) + "00"},
        {"25 characters: terminator on its own line", ExpandSz(std::string(25, 'a')), kAnsi,
         kBackup, "hex(2):" + a25 + "\\\r\n   00"},
        {"24 characters", ExpandSz(std::string(24, 'a')), kAnsi, kBackup,
         "hex(2):" + Repeat("61,", 24) + "00"},
        {"50 characters", ExpandSz(std::string(50, 'a')), kAnsi, kBackup,
         "hex(2):" + a25 + "\\\r\n   " + a25 + "\\\r\n   00"},
        {"30 characters in a snapshot", ExpandSz(std::string(30, 'a')), kAnsi, kSnapshot,
         "hex(2):" + Repeat("61,", 30) + "00"},
        {"empty text keeps its terminator", ExpandSz(""), kAnsi, kBackup, "hex(2):00"},
        {"no bytes", Raw(RegistryType::ExpandString, {}), kAnsi, kBackup, "hex(2):"},
        {"embedded zero", Raw(RegistryType::ExpandString, {'a', 0, 0, 0, 'b', 0, 0, 0}), kAnsi,
         kBackup, "hex(2):61,00,62,00"},
        {"line break", ExpandSz("a\r\nb"), kAnsi, kBackup, "hex(2):61,0d,0a,62,00"},
        {"latin character", ExpandSz("\xC3\xA9"), kAnsi, kBackup, "hex(2):e9,00"},
        {"unicode: the stored bytes", ExpandSz("a\xD0\x96"), kUnicode, kBackup,
         "hex(2):61,00,16,04,00,00"},
        {"unicode wraps by bytes", ExpandSz(std::string(13, 'a')), kUnicode, kBackup,
         "hex(2):" + Repeat("61,00,", 12) + "61,\\\r\n   00,00,00"},
    });
}

TEST(RegExportFormat, MultiStringsWrapAfterEvery25thByte) {
    auto multi = [](std::size_t size) {
        return Raw(RegistryType::MultiString, CountingUnits(size));
    };
    ExpectDataParts({
        {"two strings", MultiSz({"a", "b"}), kAnsi, kBackup, "hex(7):61,00,62,00,00"},
        {"two strings, unicode", MultiSz({"a", "b"}), kUnicode, kBackup,
         "hex(7):61,00,00,00,62,00,00,00,00,00"},
        {"24 bytes", multi(24), kAnsi, kBackup, "hex(7):" + CountingHex(1, 24, false)},
        // The 25th byte keeps its comma; no continuation mark when nothing follows.
        {"25 bytes", multi(25), kAnsi, kBackup, "hex(7):" + CountingHex(1, 25, true)},
        {"25 bytes in a snapshot", multi(25), kAnsi, kSnapshot,
         "hex(7):" + CountingHex(1, 25, true)},
        {"26 bytes", multi(26), kAnsi, kBackup,
         "hex(7):" + CountingHex(1, 25, true) + "\\\r\n  1A"},
        {"50 bytes", multi(50), kAnsi, kBackup,
         "hex(7):" + CountingHex(1, 25, true) + "\\\r\n  " + CountingHex(26, 50, true)},
        {"60 bytes in a snapshot", multi(60), kAnsi, kSnapshot,
         "hex(7):" + CountingHex(1, 60, false)},
        {"no bytes", multi(0), kAnsi, kBackup, "hex(7):"},
    });
}

TEST(RegExportFormat, BinaryHoldsTwentySixBytesOnItsFirstLine) {
    auto binary = [](std::size_t size) { return Raw(RegistryType::Binary, Counting(size)); };
    ExpectDataParts({
        {"no bytes", binary(0), kAnsi, kBackup, "hex:"},
        {"one byte", Raw(RegistryType::Binary, {0xAB}), kAnsi, kBackup, "hex:AB"},
        {"26 bytes", binary(26), kAnsi, kBackup, "hex:" + CountingHex(1, 26, false)},
        {"27 bytes", binary(27), kAnsi, kBackup,
         "hex:" + CountingHex(1, 26, true) + "\\\r\n1B"},
        {"51 bytes", binary(51), kAnsi, kBackup,
         "hex:" + CountingHex(1, 26, true) + "\\\r\n" + CountingHex(27, 51, false)},
        {"52 bytes", binary(52), kAnsi, kBackup,
         "hex:" + CountingHex(1, 26, true) + "\\\r\n" + CountingHex(27, 51, true) +
             "\\\r\n34"},
        {"27 bytes in a snapshot", binary(27), kAnsi, kSnapshot,
         "hex:" + CountingHex(1, 27, false)},
        {"the same in a unicode file", binary(3), kUnicode, kBackup, "hex:01,02,03"},
    });
}

TEST(RegExportFormat, IntegersAndOtherTypes) {
    ExpectDataParts({
        {"dword 255", Dword(255), kAnsi, kBackup, "dword:000000FF"},
        {"dword 0", Dword(0), kAnsi, kBackup, "dword:00000000"},
        {"largest dword", Dword(0xFFFFFFFF), kAnsi, kBackup, "dword:FFFFFFFF"},
        {"dword 0x12AB34CD", Dword(0x12AB34CD), kAnsi, kBackup, "dword:12AB34CD"},
        {"dword of 3 bytes", Raw(RegistryType::Dword, {1, 2, 3}), kAnsi, kBackup,
         "hex(4):01,02,03"},
        {"dword of 8 bytes", Raw(RegistryType::Dword, Counting(8)), kAnsi, kBackup,
         "hex(4):" + CountingHex(1, 8, false)},
        {"qword", Raw(RegistryType::Qword, {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01}),
         kAnsi, kBackup, "hex(b):EF,CD,AB,89,67,45,23,01"},
        {"none", Raw(RegistryType::None, {}), kAnsi, kBackup, "hex(0):"},
        {"none with bytes", Raw(RegistryType::None, {0x10}), kAnsi, kBackup, "hex(0):10"},
        {"big-endian dword", Raw(RegistryType::DwordBigEndian, {0, 0, 0, 1}), kAnsi, kBackup,
         "hex(5):00,00,00,01"},
        {"link", Raw(RegistryType::Link, {'a', 0}), kAnsi, kBackup, "hex(6):61,00"},
        {"resource list", Raw(RegistryType::ResourceList, {1, 0, 0, 0}), kAnsi, kBackup,
         "hex(8):01,00,00,00"},
        {"resource requirements", Raw(RegistryType::ResourceRequirementsList, {7}), kAnsi,
         kBackup, "hex(a):07"},
        {"any number", Raw(0x1234, {1}), kAnsi, kBackup, "hex(1234):01"},
        {"largest type number", Raw(0xFFFFFFFF, {1}), kAnsi, kBackup, "hex(ffffffff):01"},
        {"wraps like binary", Raw(RegistryType::Qword, Counting(27)), kAnsi, kBackup,
         "hex(b):" + CountingHex(1, 26, true) + "\\\r\n1B"},
        {"no wrap in a snapshot", Raw(RegistryType::ResourceList, Counting(27)), kAnsi,
         kSnapshot, "hex(8):" + CountingHex(1, 27, false)},
    });
}

TEST(RegExportFormat, WhatFitsARegedit4File) {
    struct TextCase {
        const char* text;
        bool fits;
    };
    const TextCase texts[] = {
        {"", true},
        {"Software\\Kestrover", true},
        {"caf\xC3\xA9", true},
        {"\xE2\x82\xAC 5", true},  // the euro sign is 0x80 in Windows-1252
        {"\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87", false},
        {"\xE6\x97\xA5\xE6\x9C\xAC", false},
    };
    for (const TextCase& c : texts) {
        EXPECT_EQ(TextFitsRegedit4(c.text, Windows1252()), c.fits) << c.text;
    }

    struct DataFitCase {
        const char* what;
        RegistryData data;
        bool fits;
    };
    const DataFitCase data[] = {
        {"ascii string", Sz("abc"), true},
        {"latin string", Sz("caf\xC3\xA9"), true},
        {"cyrillic string", Sz("\xD0\x96"), false},
        {"cyrillic expand-string", ExpandSz("%X%\xD0\x96"), false},
        {"cyrillic multi-string", MultiSz({"a", "\xD0\x96"}), false},
        {"embedded zero", Raw(RegistryType::String, {'a', 0, 0, 0, 'b', 0}), true},
        {"odd size", Raw(RegistryType::String, {'a', 0, 'b'}), false},
        {"lone surrogate", Raw(RegistryType::MultiString, {0x00, 0xDC, 0, 0}), false},
        {"binary bytes of any value", Raw(RegistryType::Binary, {0xFF, 0x04, 0x16}), true},
        {"qword", Raw(RegistryType::Qword, Counting(8)), true},
    };
    for (const DataFitCase& c : data) {
        EXPECT_EQ(DataFitsRegedit4(c.data, Windows1252()), c.fits) << c.what;
    }
}

TEST(RegExportFormat, StringBytesInEachForm) {
    RegistryData multi = MultiSz({"\xC3\xA9", "b"});
    auto ansi = StringBytesForForm(multi.bytes, kAnsi, Windows1252());
    ASSERT_TRUE(ansi.has_value());
    EXPECT_EQ(*ansi, (std::vector<std::uint8_t>{0xE9, 0, 'b', 0, 0}));
    auto unicode = StringBytesForForm(multi.bytes, kUnicode, Windows1252());
    ASSERT_TRUE(unicode.has_value());
    EXPECT_EQ(*unicode, multi.bytes);
    EXPECT_FALSE(StringBytesForForm(Sz("\xD0\x96").bytes, kAnsi, Windows1252()).has_value());
}

TEST(RegExportFormat, WholeValueLines) {
    EXPECT_EQ(FormatValueLine("", Sz("x"), kAnsi, Windows1252(), kBackup), "@=\"x\"");
    EXPECT_EQ(FormatValueLine("Count", Dword(255), kAnsi, Windows1252(), kBackup),
              "\"Count\"=dword:000000FF");
    EXPECT_EQ(FormatValueLine("a\"b", Raw(RegistryType::Qword, {1, 0, 0, 0, 0, 0, 0, 0}), kAnsi,
                              Windows1252(), kBackup),
              "\"a\\\"b\"=hex(b):01,00,00,00,00,00,00,00");
}

// ---- The writer over a registry ------------------------------------------------------------

constexpr const char* kOut = "C:\\out.reg";

class ExportWriterTest : public ::testing::Test {
protected:
    void AddKey(RegRoot root, std::string_view path) {
        auto key = registry_.CreateKey(root, path, KeyAccess::AllAccess);
        ASSERT_TRUE(key.ok()) << path;
    }
    void Set(RegRoot root, std::string_view path, std::string_view name, const RegistryData& data) {
        auto key = registry_.CreateKey(root, path, KeyAccess::AllAccess);
        ASSERT_TRUE(key.ok()) << path;
        ASSERT_TRUE((*key)->SetValue(name, data.type, data.bytes).ok()) << name;
    }
    void Set(std::string_view path, std::string_view name, const RegistryData& data) {
        Set(RegRoot::CurrentUser, path, name, data);
    }

    // Writes one file with an ExportKey per call of `exports` and gives its bytes.
    std::string Export(const std::function<void(RegExportWriter&)>& exports) {
        RegExportWriter writer(context_, files_);
        EXPECT_TRUE(writer.BeginExportFile(kOut));
        exports(writer);
        lastForm_ = writer.Form();
        Status ended = writer.EndExportFile();
        EXPECT_TRUE(ended.ok()) << ended.error().Describe();
        return FileBytes(kOut);
    }
    std::string Export(std::string_view path, std::string_view filter = {}) {
        return Export([&](RegExportWriter& writer) {
            writer.ExportKey(RegRoot::CurrentUser, path, filter);
        });
    }

    std::string FileBytes(std::string_view path) {
        auto bytes = files_.ReadFile(path);
        EXPECT_TRUE(bytes.ok());
        if (!bytes) return {};
        return std::string(bytes->begin(), bytes->end());
    }

    MemoryRegistry registry_;
    RegistryContext context_{registry_, {true, true}, &Windows1252()};
    MemoryFileSystem files_;
    ExportFileForm lastForm_ = kAnsi;
};

// The file a UTF-16LE export holds, as UTF-8 text; empty when it has no byte-order mark.
std::string Utf16FileText(const std::string& bytes) {
    if (bytes.size() < 2 || bytes.substr(0, 2) != "\xFF\xFE") return {};
    return Utf16LeBytesToUtf8(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2,
                              bytes.size() - 2);
}

TEST_F(ExportWriterTest, BackupFileWithValuesInOrderAndSubkeysSorted) {
    Set("Software\\T", "b", Sz("C:\\a\"b,c\\d"));
    Set("Software\\T", "a", Dword(255));
    Set("Software\\T", "", Sz("default"));
    Set("Software\\T\\Zed", "v", Raw(RegistryType::Binary, {1, 2}));
    Set("Software\\T\\alpha", "v", ExpandSz("%X%"));
    AddKey(RegRoot::CurrentUser, "Software\\T\\alpha\\deep");

    EXPECT_EQ(Export("Software\\T"),
              "REGEDIT4\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\T]\r\n"
              "\"b\"=\"C:\\\\a\\\"b,c\\\\d\"\r\n"
              "\"a\"=dword:000000FF\r\n"
              "@=\"default\"\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\T\\alpha]\r\n"
              "\"v\"=hex(2):25,58,25,00\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\T\\alpha\\deep]\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\T\\Zed]\r\n"
              "\"v\"=hex:01,02\r\n");
    EXPECT_EQ(lastForm_, kAnsi);
}

TEST_F(ExportWriterTest, SnapshotFileHasNoBlankLinesAndNoWrappedValues) {
    Set("Software\\T", "bin", Raw(RegistryType::Binary, Counting(27)));
    Set("Software\\T", "multi", Raw(RegistryType::MultiString, CountingUnits(25)));
    Set("Software\\T\\Sub", "exp", ExpandSz(std::string(30, 'a')));

    std::string file = Export([](RegExportWriter& writer) {
        writer.snapshotMode = true;
        writer.ExportKey(RegRoot::CurrentUser, "Software\\T");
    });
    EXPECT_EQ(file,
              "REGEDIT4\r\n"
              "[HKEY_CURRENT_USER\\Software\\T]\r\n"
              "\"bin\"=hex:" + CountingHex(1, 27, false) + "\r\n" +
              "\"multi\"=hex(7):" + CountingHex(1, 25, true) + "\r\n" +
              "[HKEY_CURRENT_USER\\Software\\T\\Sub]\r\n"
              "\"exp\"=hex(2):" + Repeat("61,", 30) + "00\r\n");
}

TEST_F(ExportWriterTest, HeadersForTheKeyPathsGiven) {
    Set("Software\\T", "v", Dword(1));
    struct Case {
        const char* path;
        std::string expected;
    };
    const Case cases[] = {
        // The empty path exports the whole root: its subkeys are "\Software", written as such.
        {"", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\]\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n"
             "\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n\"v\"=dword:00000001\r\n"},
        {"Software\\T\\", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n"
                          "\"v\"=dword:00000001\r\n"},
        {"\\Software\\T", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n"
                          "\"v\"=dword:00000001\r\n"},
        // Only one trailing backslash goes from the header; opening ignores one more, as
        // every registry path does, and the subkeys' paths would hold an empty name.
        {"Software\\T\\\\", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\T\\]\r\n"
                            "\"v\"=dword:00000001\r\n"},
        {"Software\\\\T", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\\\T]\r\n"},
        {"Software\\Missing", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Missing]\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Export(c.path), c.expected) << c.path;
}

TEST_F(ExportWriterTest, KeyThatCannotBeOpenedGivesItsHeaderOnly) {
    Set("Software\\T", "v", Dword(1));
    Set("Software\\T\\Locked", "hidden", Dword(2));
    Set("Software\\T\\Locked\\Below", "hidden", Dword(3));
    Set("Software\\T\\Open", "w", Dword(4));
    ASSERT_TRUE(registry_.SetReadDenied(RegRoot::CurrentUser, "Software\\T\\Locked", true));

    EXPECT_EQ(Export("Software\\T"),
              "REGEDIT4\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n\"v\"=dword:00000001\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software\\T\\Locked]\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software\\T\\Open]\r\n\"w\"=dword:00000004\r\n");
}

TEST_F(ExportWriterTest, FilterWritesOnlyValuesOfThatExactNameButEveryHeader) {
    // Value names are unique without regard to case within a key, so the spellings live in
    // different keys.
    Set("Software\\T", "", Sz("default"));
    Set("Software\\T", "path", Sz("lower"));
    Set("Software\\T", "Other", Sz("other"));
    Set("Software\\T\\A", "Path", ExpandSz("%A%"));
    Set("Software\\T\\A", "x", Sz("x"));
    Set("Software\\T\\B", "PATH", Sz("upper"));
    Set("Software\\T\\B\\C", "Path", Dword(7));

    EXPECT_EQ(Export("Software\\T", "Path"),
              "REGEDIT4\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software\\T\\A]\r\n\"Path\"=hex(2):25,41,25,00\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software\\T\\B]\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software\\T\\B\\C]\r\n\"Path\"=dword:00000007\r\n");

    // Without a filter everything is written, the default value included.
    std::string all = Export("Software\\T");
    for (const char* line : {"@=\"default\"", "\"path\"=\"lower\"", "\"PATH\"=\"upper\"",
                             "\"x\"=\"x\"", "\"Other\"=\"other\""}) {
        EXPECT_NE(all.find(line), std::string::npos) << line;
    }
}

TEST_F(ExportWriterTest, SnapshotConsultsTheSkipRuleAndStepsProgressPerSubkey) {
    AddKey(RegRoot::CurrentUser, "Software\\T\\A\\A1");
    Set("Software\\T\\B", "gone", Dword(1));
    AddKey(RegRoot::CurrentUser, "Software\\T\\B\\B1");
    AddKey(RegRoot::CurrentUser, "Software\\T\\C");

    std::vector<std::string> events;
    auto attach = [&events](RegExportWriter& writer) {
        writer.pumpMessages = [&events] { events.push_back("pump"); };
        writer.progressStep = [&events] { events.push_back("step"); };
        writer.SkipSnapshotKey = [&events](std::string_view name, std::string_view path) {
            events.push_back("skip? " + std::string(name) + " " + std::string(path));
            return name == "B";
        };
    };

    std::string file = Export([&](RegExportWriter& writer) {
        attach(writer);
        writer.snapshotMode = true;
        writer.ExportKey(RegRoot::CurrentUser, "Software\\T");
    });
    EXPECT_EQ(file,
              "REGEDIT4\r\n"
              "[HKEY_CURRENT_USER\\Software\\T]\r\n"
              "[HKEY_CURRENT_USER\\Software\\T\\A]\r\n"
              "[HKEY_CURRENT_USER\\Software\\T\\A\\A1]\r\n"
              "[HKEY_CURRENT_USER\\Software\\T\\C]\r\n");
    const std::vector<std::string> expected = {
        "pump", "skip? A Software\\T\\A",        "step",
        "pump", "skip? A1 Software\\T\\A\\A1",   "step",
        "pump", "skip? B Software\\T\\B",
        "pump", "skip? C Software\\T\\C",        "step",
    };
    EXPECT_EQ(events, expected);

    // A backup neither skips nor reports.
    events.clear();
    std::string backup = Export([&](RegExportWriter& writer) {
        attach(writer);
        writer.ExportKey(RegRoot::CurrentUser, "Software\\T");
    });
    EXPECT_TRUE(events.empty());
    EXPECT_NE(backup.find("[HKEY_CURRENT_USER\\Software\\T\\B\\B1]"), std::string::npos);
}

TEST_F(ExportWriterTest, SeveralKeysInOneFile) {
    Set("Software\\One", "a", Dword(1));
    Set(RegRoot::LocalMachine, "Software\\Two", "b", Dword(2));
    std::string file = Export([](RegExportWriter& writer) {
        writer.ExportKey(RegRoot::CurrentUser, "Software\\One");
        writer.ExportKey(RegRoot::LocalMachine, "Software\\Two", "b");
        writer.ExportKey(RegRoot::CurrentUser, "Software\\One", "a");
    });
    EXPECT_EQ(file,
              "REGEDIT4\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software\\One]\r\n\"a\"=dword:00000001\r\n"
              "\r\n[HKEY_LOCAL_MACHINE\\Software\\Two]\r\n\"b\"=dword:00000002\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software\\One]\r\n\"a\"=dword:00000001\r\n");
}

TEST_F(ExportWriterTest, TypesWithoutATextFormKeepTheirBytes) {
    Set("Software\\T", "q", Raw(RegistryType::Qword, {1, 0, 0, 0, 0, 0, 0, 0}));
    Set("Software\\T", "n", Raw(RegistryType::None, {}));
    Set("Software\\T", "r", Raw(RegistryType::ResourceList, {1, 0, 0, 0}));
    Set("Software\\T", "z", Raw(RegistryType::String, {'a', 0, 0, 0, 'b', 0, 0, 0}));
    Set("Software\\T", "crlf", Sz("one\r\ntwo"));
    EXPECT_EQ(Export("Software\\T"),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n"
              "\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
              "\"n\"=hex(0):\r\n"
              "\"r\"=hex(8):01,00,00,00\r\n"
              "\"z\"=hex(1):61,00,62,00\r\n"
              "\"crlf\"=hex(1):6F,6E,65,0D,0A,74,77,6F,00\r\n");
}

TEST_F(ExportWriterTest, LargeMultiStringIsWrittenWhole) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 2000; ++i) {
        bytes.push_back(static_cast<std::uint8_t>('a' + i % 26));
        bytes.push_back(0);
    }
    bytes.insert(bytes.end(), {0, 0, 0, 0});  // 4004 bytes: 2002 characters in the code page
    Set("Software\\T", "big", Raw(RegistryType::MultiString, bytes));

    std::string file = Export("Software\\T");
    std::size_t start = file.find("\"big\"=hex(7):");
    ASSERT_NE(start, std::string::npos);
    std::string digits;
    for (char c : file.substr(start + 13)) {
        if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
    }
    ASSERT_EQ(digits.size(), 2002u * 2);
    EXPECT_EQ(digits.substr(0, 6), "616263");
    EXPECT_EQ(digits.substr(digits.size() - 6), "780000");
}

TEST_F(ExportWriterTest, AnsiFileKeepsCodePageBytes) {
    Set("Software\\Caf\xC3\xA9", "N\xC3\xA9", Sz("\xC3\xA9t\xC3\xA9"));
    Set("Software\\Caf\xC3\xA9", "e", ExpandSz("\xC3\xA9"));
    EXPECT_EQ(Export("Software\\Caf\xC3\xA9"),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Caf\xE9]\r\n"
              "\"N\xE9\"=\"\xE9t\xE9\"\r\n"
              "\"e\"=hex(2):e9,00\r\n");
    EXPECT_EQ(lastForm_, kAnsi);
}

TEST_F(ExportWriterTest, TextOutsideTheCodePageMakesTheWholeFileUnicode) {
    const std::string zhe = "\xD0\x96";  // U+0416, no place in Windows-1252
    struct Case {
        const char* what;
        std::string subkey;  // below the exported key, or empty
        std::string name;
        RegistryData data;
        std::string line;  // the value line in the Unicode file
    };
    const Case cases[] = {
        {"key name", zhe, "v", Sz("x"), "\"v\"=\"x\""},
        {"value name", "", "n" + zhe, Sz("x"), "\"n" + zhe + "\"=\"x\""},
        {"string data", "", "v", Sz(zhe), "\"v\"=\"" + zhe + "\""},
        {"expand-string data", "", "v", ExpandSz(zhe), "\"v\"=hex(2):16,04,00,00"},
        {"multi-string data", "", "v", MultiSz({zhe}), "\"v\"=hex(7):16,04,00,00,00,00"},
        {"string with a zero", "", "v",
         Raw(RegistryType::String, {0x16, 0x04, 0, 0, 'b', 0, 0, 0}),
         "\"v\"=hex(1):16,04,00,00,62,00,00,00"},
        {"string of odd size", "", "v", Raw(RegistryType::String, {'a', 0, 'b'}),
         "\"v\"=hex(1):61,00,62"},
    };
    int number = 0;
    for (const Case& c : cases) {
        const std::string key = "Software\\T" + std::to_string(++number);
        const std::string valueKey = c.subkey.empty() ? key : key + "\\" + c.subkey;
        Set(valueKey, c.name, c.data);
        // Another value of the same file: its string bytes are UTF-16 too.
        Set(key, "plain", ExpandSz("a"));

        std::string bytes = Export(key);
        EXPECT_EQ(lastForm_, kUnicode) << c.what;
        std::string text = Utf16FileText(bytes);
        ASSERT_FALSE(text.empty()) << c.what << ": no byte-order mark";
        EXPECT_EQ(text.substr(0, 40), "Windows Registry Editor Version 5.00\r\n\r\n") << c.what;
        EXPECT_NE(text.find("\r\n[HKEY_CURRENT_USER\\" + valueKey + "]\r\n" + c.line + "\r\n"),
                  std::string::npos)
            << c.what << "\n" << text;
        EXPECT_NE(text.find("\r\n\"plain\"=hex(2):61,00,00,00\r\n"), std::string::npos) << c.what;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << c.what;
    }
}

// A registry whose keys refuse to give the data of one value name, as when a value vanishes
// between listing and reading.
class RefusingValueRegistry final : public RegistryPort {
public:
    RefusingValueRegistry(RegistryPort& inner, std::string refused)
        : inner_(inner), refused_(std::move(refused)) {}

    Result<std::unique_ptr<RegistryKey>> OpenKey(PredefinedKey root, std::string_view path,
                                                 std::uint32_t access) override {
        return Wrap(inner_.OpenKey(root, path, access));
    }
    Result<std::unique_ptr<RegistryKey>> CreateKey(PredefinedKey root, std::string_view path,
                                                   std::uint32_t access) override {
        return Wrap(inner_.CreateKey(root, path, access));
    }

private:
    class Key final : public RegistryKey {
    public:
        Key(std::unique_ptr<RegistryKey> inner, const std::string& refused)
            : inner_(std::move(inner)), refused_(refused) {}
        Result<std::vector<std::string>> SubkeyNames() override { return inner_->SubkeyNames(); }
        Result<std::vector<std::string>> ValueNames() override { return inner_->ValueNames(); }
        // The one-pass read fails as a whole when the refused value is in the key, so the
        // writer falls back to reading value by value.
        Result<std::vector<RegistryValue>> Values() override {
            auto values = inner_->Values();
            if (!values) return values;
            for (const RegistryValue& value : *values) {
                if (value.name == refused_) return MakeError(ErrorCode::Io, "value unreadable");
            }
            return values;
        }
        Result<RegistryData> QueryValue(std::string_view name) override {
            if (name == refused_) return MakeError(ErrorCode::NotFound, "value vanished");
            return inner_->QueryValue(name);
        }
        Status SetValue(std::string_view name, std::uint32_t type,
                        std::span<const std::uint8_t> bytes) override {
            return inner_->SetValue(name, type, bytes);
        }
        Status DeleteValue(std::string_view name) override { return inner_->DeleteValue(name); }
        Status DeleteSubkey(std::string_view name, std::uint32_t viewFlags) override {
            return inner_->DeleteSubkey(name, viewFlags);
        }

    private:
        std::unique_ptr<RegistryKey> inner_;
        const std::string& refused_;
    };

    Result<std::unique_ptr<RegistryKey>> Wrap(Result<std::unique_ptr<RegistryKey>> opened) {
        if (!opened) return opened.error();
        return std::unique_ptr<RegistryKey>(std::make_unique<Key>(std::move(*opened), refused_));
    }

    RegistryPort& inner_;
    std::string refused_;
};

TEST_F(ExportWriterTest, UnreadableValueIsLeftOutAndReported) {
    Set("Software\\T", "a", Dword(1));
    Set("Software\\T", "vanishing", MultiSz({"x"}));
    Set("Software\\T", "b", Dword(2));
    RefusingValueRegistry refusing(registry_, "vanishing");
    RegistryContext context{refusing, {true, true}, &Windows1252()};

    RegExportWriter writer(context, files_);
    std::vector<std::string> failed;
    writer.valueReadFailed = [&failed](std::string_view name) { failed.emplace_back(name); };
    ASSERT_TRUE(writer.BeginExportFile(kOut));
    writer.ExportKey(RegRoot::CurrentUser, "Software\\T");
    ASSERT_TRUE(writer.EndExportFile().ok());

    EXPECT_EQ(FileBytes(kOut),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n"
              "\"a\"=dword:00000001\r\n\"b\"=dword:00000002\r\n");
    EXPECT_EQ(failed, std::vector<std::string>{"vanishing"});
}

// ---- The file -------------------------------------------------------------------------------

TEST_F(ExportWriterTest, FileThatCannotBeCreatedFailsTheBegin) {
    RegExportWriter writer(context_, files_);
    files_.FailNextFileCreation();
    EXPECT_FALSE(writer.BeginExportFile(kOut));
    EXPECT_FALSE(writer.BeginExportFile("Q:\\no drive\\out.reg"));
    EXPECT_FALSE(files_.FileExists(kOut));
}

TEST_F(ExportWriterTest, FullDiskIsReportedByTheEnd) {
    Set("Software\\T", "v", Sz(std::string(200, 'x')));
    RegExportWriter writer(context_, files_);
    ASSERT_TRUE(writer.BeginExportFile(kOut));
    writer.ExportKey(RegRoot::CurrentUser, "Software\\T");
    files_.FailWritesAfter(40);
    Status ended = writer.EndExportFile();
    files_.FailWritesAfter(-1);
    ASSERT_FALSE(ended.ok());
    EXPECT_EQ(ended.code(), ErrorCode::Io);
    // The writer is free for the next file.
    ASSERT_TRUE(writer.BeginExportFile(kOut));
    EXPECT_TRUE(writer.EndExportFile().ok());
    EXPECT_EQ(FileBytes(kOut), "REGEDIT4\r\n");
}

TEST_F(ExportWriterTest, BeginTruncatesAndEndWithoutBeginFails) {
    ASSERT_TRUE(files_.AddFile(kOut, "old content that is longer").ok());
    RegExportWriter writer(context_, files_);
    EXPECT_FALSE(writer.EndExportFile().ok());
    writer.ExportKey(RegRoot::CurrentUser, "Software");  // no file: nothing to do
    ASSERT_TRUE(writer.BeginExportFile(kOut));
    EXPECT_TRUE(writer.EndExportFile().ok());
    EXPECT_EQ(FileBytes(kOut), "REGEDIT4\r\n");
    EXPECT_FALSE(writer.EndExportFile().ok());
}

TEST_F(ExportWriterTest, LargeFileIsWrittenInPieces) {
    // More than one write piece; the file must be the same as the lines it holds.
    for (int k = 0; k < 40; ++k) {
        Set("Software\\Big\\K" + std::to_string(1000 + k), "v",
            Raw(RegistryType::Binary, std::vector<std::uint8_t>(10000, 0xAB)));
    }
    std::string file = Export("Software\\Big");
    EXPECT_GT(file.size(), std::size_t{1} << 20);
    std::size_t headers = 0;
    for (std::size_t at = file.find("\r\n["); at != std::string::npos;
         at = file.find("\r\n[", at + 1)) {
        ++headers;
    }
    EXPECT_EQ(headers, 41u);
    std::size_t bytes = 0;
    for (std::size_t at = file.find("AB"); at != std::string::npos; at = file.find("AB", at + 2)) {
        ++bytes;
    }
    EXPECT_EQ(bytes, 40u * 10000u);
    EXPECT_EQ(file.substr(file.size() - 7), "AB,AB\r\n");
}

}  // namespace
}  // namespace kestrover
