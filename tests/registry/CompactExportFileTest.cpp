// Compaction of a finished backup: merged sections, dropped blank lines, the file's own form, and
// an atomic replacement that leaves the old file whole when anything fails.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/FaultyFileSystem.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"
#include "core/Unicode.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "registry/RegExportWriter.h"

namespace kestrover {
namespace {

constexpr const char* kBackup = "C:\\backup.reg";

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

class CompactExportFileTest : public ::testing::Test {
protected:
    std::string Bytes(std::string_view path) {
        auto bytes = files_.ReadFile(path);
        EXPECT_TRUE(bytes.ok());
        if (!bytes) return {};
        return std::string(bytes->begin(), bytes->end());
    }

    MemoryFileSystem files_;
};

TEST_F(CompactExportFileTest, MergesSectionsOfTheSameKey) {
    struct Case {
        const char* what;
        std::vector<std::string> input;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"same header twice in a row",
         {"REGEDIT4", "", "[HKEY_CURRENT_USER\\X]", "\"a\"=dword:00000001", "",
          "[HKEY_CURRENT_USER\\X]", "\"b\"=dword:00000002"},
         {"REGEDIT4", "[HKEY_CURRENT_USER\\X]", "\"a\"=dword:00000001", "\"b\"=dword:00000002"}},
        // Each run of a key is followed by its values and those of all later runs.
        {"key separated by another key",
         {"REGEDIT4", "", "[HKEY_CURRENT_USER\\X]", "\"a\"=\"1\"", "", "[HKEY_CURRENT_USER\\Y]",
          "\"b\"=\"2\"", "", "[HKEY_CURRENT_USER\\X]", "\"c\"=\"3\""},
         {"REGEDIT4", "[HKEY_CURRENT_USER\\X]", "\"a\"=\"1\"", "\"c\"=\"3\"",
          "[HKEY_CURRENT_USER\\Y]", "\"b\"=\"2\"", "[HKEY_CURRENT_USER\\X]", "\"c\"=\"3\""}},
        {"a run of two, another key, a third",
         {"[X]", "a", "[X]", "b", "[Y]", "c", "[X]", "d"},
         {"REGEDIT4", "[X]", "a", "b", "d", "[Y]", "c", "[X]", "d"}},
        {"blank and whitespace lines go",
         {"REGEDIT4", "", "   ", "[HKEY_USERS\\.DEFAULT]", "\t", "@=\"x\"", "", ""},
         {"REGEDIT4", "[HKEY_USERS\\.DEFAULT]", "@=\"x\""}},
        {"no header line: one is inserted",
         {"[HKEY_CURRENT_USER\\X]", "\"a\"=\"1\""},
         {"REGEDIT4", "[HKEY_CURRENT_USER\\X]", "\"a\"=\"1\""}},
        {"lines before the first header go",
         {"REGEDIT4", "\"stray\"=\"1\"", "; comment", "[HKEY_CURRENT_USER\\X]", "\"a\"=\"1\""},
         {"REGEDIT4", "[HKEY_CURRENT_USER\\X]", "\"a\"=\"1\""}},
        {"continuation lines stay with their value",
         {"REGEDIT4", "", "[X]", "\"m\"=hex(7):41,00,\\", "  42,00", "", "[X]",
          "\"b\"=hex:01,\\", "02"},
         {"REGEDIT4", "[X]", "\"m\"=hex(7):41,00,\\", "  42,00", "\"b\"=hex:01,\\", "02"}},
        {"headers with nothing below them", {"[X]", "[Y]", "[X]"}, {"REGEDIT4", "[X]", "[Y]", "[X]"}},
        {"empty file", {}, {"REGEDIT4"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(files_.AddFile(kBackup, JoinLines(c.input)).ok());
        Status compacted = CompactExportFile(files_, Windows1252(), kBackup);
        ASSERT_TRUE(compacted.ok()) << c.what << ": " << compacted.error().Describe();
        EXPECT_EQ(Bytes(kBackup), JoinLines(c.expected)) << c.what;
        EXPECT_FALSE(files_.FileExists(TemporaryFileNameFor(kBackup))) << c.what;
    }
}

TEST_F(CompactExportFileTest, AnsiFileStaysInItsCodePage) {
    ASSERT_TRUE(files_.AddFile(kBackup,
                               "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Caf\xE9]\r\n\"\xE9\"=\"\x80\"\r\n"
                               "\r\n[HKEY_CURRENT_USER\\Caf\xE9]\r\n\"b\"=hex(2):e9,00\r\n")
                    .ok());
    ASSERT_TRUE(CompactExportFile(files_, Windows1252(), kBackup).ok());
    EXPECT_EQ(Bytes(kBackup),
              "REGEDIT4\r\n[HKEY_CURRENT_USER\\Caf\xE9]\r\n\"\xE9\"=\"\x80\"\r\n"
              "\"b\"=hex(2):e9,00\r\n");
}

TEST_F(CompactExportFileTest, UnicodeFileStaysUtf16) {
    const std::string zhe = "\xD0\x96";
    TextFile unicode;
    unicode.encoding = TextEncoding::Utf16LeWithBom;
    unicode.lines = {"Windows Registry Editor Version 5.00", "", "[HKEY_CURRENT_USER\\" + zhe + "]",
                     "\"a\"=\"" + zhe + "\"", "", "[HKEY_CURRENT_USER\\" + zhe + "]",
                     "\"b\"=hex(2):16,04,00,00"};
    std::vector<std::uint8_t> bytes = EncodeTextFile(unicode, Windows1252());
    ASSERT_TRUE(files_.AddFile(kBackup, std::string(bytes.begin(), bytes.end())).ok());

    ASSERT_TRUE(CompactExportFile(files_, Windows1252(), kBackup).ok());

    std::string written = Bytes(kBackup);
    ASSERT_GE(written.size(), 2u);
    EXPECT_EQ(written.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(Utf16LeBytesToUtf8(reinterpret_cast<const std::uint8_t*>(written.data()) + 2,
                                 written.size() - 2),
              JoinLines({"Windows Registry Editor Version 5.00", "[HKEY_CURRENT_USER\\" + zhe + "]",
                         "\"a\"=\"" + zhe + "\"", "\"b\"=hex(2):16,04,00,00"}));
}

TEST_F(CompactExportFileTest, FailureLeavesTheOldFileWhole) {
    const std::string original =
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n\"a\"=\"1\"\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n"
        "\"b\"=\"2\"\r\n";
    struct Case {
        const char* what;
        std::function<void(MemoryFileSystem&, testing_support::FaultyFileSystem&)> inject;
    };
    const Case cases[] = {
        {"disk full while writing",
         [](MemoryFileSystem& files, testing_support::FaultyFileSystem&) {
             files.FailWritesAfter(10);
         }},
        {"temporary file not created",
         [](MemoryFileSystem& files, testing_support::FaultyFileSystem&) {
             files.FailNextFileCreation();
         }},
        {"flush fails",
         [](MemoryFileSystem&, testing_support::FaultyFileSystem& faulty) {
             faulty.FailCloses(ErrorCode::Io);
         }},
        {"move over the old file fails",
         [](MemoryFileSystem&, testing_support::FaultyFileSystem& faulty) {
             faulty.FailMoves(ErrorCode::AccessDenied);
         }},
        {"file cannot be read",
         [](MemoryFileSystem&, testing_support::FaultyFileSystem& faulty) {
             faulty.FailReads(ErrorCode::AccessDenied);
         }},
    };
    for (const Case& c : cases) {
        MemoryFileSystem files;
        ASSERT_TRUE(files.AddFile(kBackup, original).ok());
        testing_support::FaultyFileSystem faulty(files);
        c.inject(files, faulty);
        EXPECT_FALSE(CompactExportFile(faulty, Windows1252(), kBackup).ok()) << c.what;
        files.FailWritesAfter(-1);
        auto bytes = files.ReadFile(kBackup);
        ASSERT_TRUE(bytes.ok()) << c.what;
        EXPECT_EQ(std::string(bytes->begin(), bytes->end()), original) << c.what;
        EXPECT_FALSE(files.FileExists(TemporaryFileNameFor(kBackup))) << c.what;
    }
}

TEST_F(CompactExportFileTest, MissingFileIsNotFound) {
    Status compacted = CompactExportFile(files_, Windows1252(), "C:\\none.reg");
    ASSERT_FALSE(compacted.ok());
    EXPECT_EQ(compacted.code(), ErrorCode::NotFound);
    EXPECT_FALSE(files_.FileExists("C:\\none.reg"));
}

// What the export and delete commands do: one ExportKey per deleted value, then compaction.
TEST_F(CompactExportFileTest, BackupOfSeveralValuesOfOneKeyBecomesOneSection) {
    MemoryRegistry registry;
    RegistryContext context{registry, {true, true}, &Windows1252()};
    auto key = registry.CreateKey(RegRoot::CurrentUser, "Software\\App", KeyAccess::AllAccess);
    ASSERT_TRUE(key.ok());
    std::vector<std::uint8_t> one = Utf8ToUtf16LeBytes("1", true);
    ASSERT_TRUE((*key)->SetValue("a", RegistryType::String, one).ok());
    ASSERT_TRUE((*key)->SetValue("b", RegistryType::String, one).ok());

    RegExportWriter writer(context, files_);
    ASSERT_TRUE(writer.BeginExportFile(kBackup));
    writer.ExportKey(RegRoot::CurrentUser, "Software\\App", "a");
    writer.ExportKey(RegRoot::CurrentUser, "Software\\App", "b");
    ASSERT_TRUE(writer.EndExportFile().ok());
    ASSERT_TRUE(CompactExportFile(files_, Windows1252(), kBackup).ok());

    EXPECT_EQ(Bytes(kBackup),
              "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\App]\r\n\"a\"=\"1\"\r\n\"b\"=\"1\"\r\n");
}

}  // namespace
}  // namespace kestrover
