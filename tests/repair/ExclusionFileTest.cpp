// "Exclude.lst" as the program writes it: the line of a result entry's key (the HKEY_USERS
// identifier rule), the normalising pass, the import merge with its count, saves that keep the
// old file whole, and files too big or too strange to be trusted.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "core/FaultyFileSystem.h"
#include "platform/memory/MemoryFileSystem.h"
#include "repair/ExclusionFile.h"
#include "scanner/ExclusionList.h"

namespace kestrover {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kDataFolder = "C:\\Kestrover\\";
constexpr const char* kListPath = "C:\\Kestrover\\Exclude.lst";
constexpr const char* kImportPath = "C:\\Users\\me\\Exclude.ini";

class ExclusionFileTest : public ::testing::Test {
protected:
    ExclusionFileTest() { EXPECT_TRUE(files_.AddDirectories(kDataFolder).ok()); }

    void SetList(std::string_view content) { ASSERT_TRUE(files_.AddFile(kListPath, content).ok()); }
    void SetImport(std::string_view content) {
        ASSERT_TRUE(files_.AddFile(kImportPath, content).ok());
    }
    std::string ListText() {
        Result<std::vector<std::uint8_t>> bytes = files_.ReadFile(kListPath);
        return bytes ? std::string(bytes->begin(), bytes->end()) : "<missing>";
    }

    MemoryFileSystem files_;
    ExclusionFile file_{files_, kDataFolder, Windows1252()};
};

TEST(ExclusionLineForTest, KeyOfAResultEntry) {
    struct Case {
        const char* name;
        RegRoot root;
        const char* keyPath;
        std::optional<std::string> line;
    };
    const Case cases[] = {
        {"local machine", RegRoot::LocalMachine, "Software\\Foo", "2|Software\\Foo"},
        {"classes root from the root", RegRoot::ClassesRoot, "\\.oldext", "0|.oldext"},
        {"current user", RegRoot::CurrentUser, "Software\\Vendor", "1|Software\\Vendor"},
        {"the user's identifier is not stored", RegRoot::Users, "S-1-5-21-1\\Software\\Foo",
         "3|Software\\Foo"},
        {"identifier in any case", RegRoot::Users, "s-1-5-21-99-1001_Classes\\.x", "3|.x"},
        {"a user's whole hive", RegRoot::Users, "S-1-5-18", "3|"},
        {"no identifier in front: kept whole", RegRoot::Users, ".DEFAULT\\Software\\S-1-Tool",
         "3|.DEFAULT\\Software\\S-1-Tool"},
        {"current config gives a line the clean-up drops", RegRoot::CurrentConfig, "Software\\X",
         "4|Software\\X"},
        {"roots without a number give nothing", RegRoot::PerformanceData, "X", std::nullopt},
        {"a line break would make two lines", RegRoot::LocalMachine, "Soft\r\n2|Software",
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExclusionLineFor(c.root, c.keyPath), c.line);
    }
}

TEST(SplitExclusionLineTest, ReadsTheLineAsTheScanDoes) {
    struct Case {
        const char* line;
        int rootIndex;
        const char* keyPath;
    };
    const Case cases[] = {
        {"2|Software\\X", 2, "Software\\X"},
        {"2/Software\\X", 2, "Software\\X"},  // any separator in the second place
        {"3|", 3, ""},
        {"1", 1, ""},
        {"0||x", 0, "|x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ExclusionLineParts parts = SplitExclusionLine(c.line);
        EXPECT_EQ(parts.rootIndex, c.rootIndex);
        EXPECT_EQ(parts.keyPath, c.keyPath);
    }
}

TEST_F(ExclusionFileTest, NormalizeSortsKeepsDuplicatesAndCleansOnlyWhenAsked) {
    SetList("2|b\r\n 2|A\r\n9|x\r\n\r\n2|a\r\n");
    ASSERT_TRUE(file_.Normalize(CleanUpPass::Apply).ok());
    EXPECT_EQ(ListText(), "2|A\r\n2|a\r\n2|b\r\n");
    EXPECT_EQ(file_.Lines(), (Lines{"2|A", "2|a", "2|b"}));

    SetList("2|b\r\n9|x\r\n1|a\r\n");
    ASSERT_TRUE(file_.Normalize(CleanUpPass::Skip).ok());
    EXPECT_EQ(ListText(), "1|a\r\n2|b\r\n9|x\r\n");
}

TEST_F(ExclusionFileTest, NormalizeWithoutAFileCreatesItFromTheListInMemory) {
    ASSERT_FALSE(file_.Exists());
    ASSERT_TRUE(file_.Normalize(CleanUpPass::Skip).ok());
    EXPECT_EQ(ListText(), "");

    // The list in memory is what was last saved: deleting the file behind the program's back
    // and normalising again puts it back.
    ASSERT_TRUE(file_.Write({"2|b", "1|a"}).ok());
    ASSERT_TRUE(files_.DeleteFile(kListPath).ok());
    ASSERT_TRUE(file_.Normalize(CleanUpPass::Skip).ok());
    EXPECT_EQ(ListText(), "1|a\r\n2|b\r\n");
}

TEST_F(ExclusionFileTest, AFileThatCannotBeReadIsNeverWrittenOver) {
    SetList("2|Software\\Keep\r\n");
    testing_support::FaultyFileSystem faulty(files_);
    faulty.FailReads(ErrorCode::AccessDenied);
    ExclusionFile file(faulty, kDataFolder, Windows1252());

    EXPECT_EQ(file.Normalize(CleanUpPass::Skip).code(), ErrorCode::AccessDenied);
    EXPECT_EQ(file.AddLines({"2|Software\\New"}).code(), ErrorCode::AccessDenied);
    EXPECT_FALSE(file.Merge(files_, kListPath).ok());
    EXPECT_EQ(ListText(), "2|Software\\Keep\r\n");
}

TEST_F(ExclusionFileTest, AFailedSaveLeavesTheOldFileWhole) {
    SetList("2|Software\\Keep\r\n");
    files_.FailNextFileCreation();
    EXPECT_FALSE(file_.AddLines({"2|Software\\New"}).ok());
    EXPECT_EQ(ListText(), "2|Software\\Keep\r\n");

    files_.FailWritesAfter(4);
    EXPECT_FALSE(file_.AddLines({"2|Software\\New"}).ok());
    files_.FailWritesAfter(-1);
    EXPECT_EQ(ListText(), "2|Software\\Keep\r\n");
}

TEST_F(ExclusionFileTest, ImportCountsAndSavesOnlyNewLines) {
    struct Case {
        const char* name;
        std::optional<std::string> list;  // nothing: no "Exclude.lst"
        std::string imported;
        std::size_t count;
        std::string after;  // the file afterwards
    };
    const Case cases[] = {
        {"every line there already in another case: nothing changes",
         "2|software\\foo\r\n1|Software\\Bar\r\n", "2|SOFTWARE\\FOO\r\n1|software\\bar\r\n", 0,
         "2|software\\foo\r\n1|Software\\Bar\r\n"},
        {"new lines join, sorted", "2|Software\\B\r\n", "0|.abc\r\n2|Software\\A\r\n", 2,
         "0|.abc\r\n2|Software\\A\r\n2|Software\\B\r\n"},
        {"a line repeated in the file counts once", "", "2|x\r\n2|X\r\n2|x\r\n", 1, "2|x\r\n"},
        {"the imported file is cleaned up", "", "  1|Software\\Bar  \r\n9|x\r\n\r\n4|Cfg\r\n", 1,
         "1|Software\\Bar\r\n"},
        {"no list yet: the import creates it", std::nullopt, "3|Software\\U\r\n", 1,
         "3|Software\\U\r\n"},
        {"the list itself is cleaned on the way", "9|junk\r\n2|b\r\n", "2|a\r\n", 1,
         "2|a\r\n2|b\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        ASSERT_TRUE(files.AddDirectories(kDataFolder).ok());
        if (c.list) {
            ASSERT_TRUE(files.AddFile(kListPath, *c.list).ok());
        }
        ASSERT_TRUE(files.AddFile(kImportPath, c.imported).ok());
        ExclusionFile file(files, kDataFolder, Windows1252());
        Result<std::size_t> count = ImportExclusions(file, files, kImportPath);
        ASSERT_TRUE(count.ok());
        EXPECT_EQ(*count, c.count);
        Result<std::vector<std::uint8_t>> bytes = files.ReadFile(kListPath);
        if (c.count == 0 && !c.list) {
            EXPECT_FALSE(bytes.ok());
            continue;
        }
        ASSERT_TRUE(bytes.ok());
        EXPECT_EQ(std::string(bytes->begin(), bytes->end()), c.after);
    }
}

TEST_F(ExclusionFileTest, MergeAddsTheImportedLinesFromLastToFirst) {
    SetList("2|b\r\n");
    SetImport("2|c\r\n2|B\r\n2|a\r\n");
    Result<MergedExclusions> merged = file_.Merge(files_, kImportPath);
    ASSERT_TRUE(merged.ok());
    EXPECT_EQ(merged->added, (Lines{"2|a", "2|c"}));
    EXPECT_EQ(merged->lines, (Lines{"2|b", "2|a", "2|c"}));
}

TEST_F(ExclusionFileTest, AMissingImportFileMergesNothing) {
    SetList("2|b\r\n");
    Result<std::size_t> count = ImportExclusions(file_, files_, "C:\\nowhere\\Exclude.ini");
    ASSERT_FALSE(count.ok());
    EXPECT_EQ(count.code(), ErrorCode::NotFound);
    EXPECT_EQ(ListText(), "2|b\r\n");
}

TEST_F(ExclusionFileTest, KeyNamesOutsideTheCodePageAreKeptAndStillMatch) {
    // A key name in Cyrillic written in the ANSI code page would become "?" and never match.
    const std::string key = "Software\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3";  // "Прог"
    SetList("2|Software\\Caf\xE9\r\n");                                    // Windows-1252 "Café"
    ASSERT_TRUE(file_.AddLines({"2|" + key}).ok());
    EXPECT_EQ(ListText().substr(0, 3), "\xEF\xBB\xBF");

    ExclusionList list;
    list.Load(files_, kDataFolder, Windows1252());
    EXPECT_TRUE(list.ExcludedKey(key, 2));
    EXPECT_TRUE(list.ExcludedKey("Software\\Caf\xC3\xA9", 2));
}

TEST_F(ExclusionFileTest, AddLinesDropsWhatTheCleanUpDrops) {
    SetList("2|Software\\B\r\n");
    ASSERT_TRUE(file_.AddLines({"", "4|Software\\Config", "1|Software\\A"}).ok());
    EXPECT_EQ(ListText(), "1|Software\\A\r\n2|Software\\B\r\n");
}

// Bad input: a file of 100 000 lines, binary junk, lines of 100 000 characters. Everything must
// stay linear: a duplicate test that compares every line with every other takes minutes here.
TEST_F(ExclusionFileTest, HugeAndJunkFilesStayFastAndHarmless) {
    std::string list;
    std::string imported;
    for (int i = 0; i < 100000; ++i) {
        list += "2|Software\\Vendor" + std::to_string(i) + "\r\n";
        imported += "2|SOFTWARE\\VENDOR" + std::to_string(i * 2) + "\r\n";  // half are new
    }
    const std::string longLine(100000, 'k');
    imported += "1|" + longLine + "\r\n";
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) % 256);
    imported += junk + "\r\n";
    imported += std::string("3|bin\0ary\x81\x8D\xFF", 12) + "\r\n";
    SetList(list);
    SetImport(imported);

    const auto start = std::chrono::steady_clock::now();
    Result<std::size_t> count = ImportExclusions(file_, files_, kImportPath);
    ASSERT_TRUE(count.ok());
    ASSERT_TRUE(file_.Normalize(CleanUpPass::Apply).ok());
    ASSERT_TRUE(file_.AddLines({"2|Software\\Vendor1"}).ok());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(10));

    // 50 000 new vendor lines, the long line, the junk lines that begin with a root digit.
    EXPECT_GE(*count, 50001u);
    ExclusionList loaded;
    loaded.Load(files_, kDataFolder, Windows1252());
    EXPECT_EQ(loaded.Lines().size(), file_.Lines().size());
    EXPECT_TRUE(loaded.ExcludedKey(longLine, 1));
    EXPECT_TRUE(loaded.ExcludedKey("Software\\Vendor199998", 2));
    for (const std::string& line : loaded.Lines()) {
        ASSERT_FALSE(line.empty());
        ASSERT_TRUE(line.front() >= '0' && line.front() <= '3') << line.substr(0, 20);
    }
}

}  // namespace
}  // namespace kestrover
