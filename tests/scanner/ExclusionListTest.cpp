// The exclusion list: loading "Exclude.lst" with its clean-up pass, and which keys a line
// keeps out of which pass.
#include "scanner/ExclusionList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FaultyFileSystem.h"
#include "core/TextCodec.h"
#include "platform/memory/MemoryFileSystem.h"

namespace kestrover {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kDataFolder = "C:\\Program Files\\Kestrover";
constexpr const char* kListPath = "C:\\Program Files\\Kestrover\\Exclude.lst";

TEST(ExclusionListTest, LoadCleansAndSorts) {
    struct Case {
        const char* name;
        std::string content;
        Lines expected;
    };
    const Case cases[] = {
        {"one line", "2|Software\\X\r\n", {"2|Software\\X"}},
        {"blanks around a line go", "  1|Software\\A \t\r\n", {"1|Software\\A"}},
        {"empty and blank lines go", "\r\n   \r\n0|.txt\r\n\r\n", {"0|.txt"}},
        {"only the root digits 0 to 3 stay",
         "4|Software\\Config\r\na|Software\\A\r\n#note\r\n|Software\r\n3|S\r\n9|x\r\n",
         {"3|S"}},
        {"any separator is kept as written", "2?Software\\Q\r\n", {"2?Software\\Q"}},
        {"sorted without regard to case", "2|b\r\n2|A\r\n0|z\r\n1|m\r\n",
         {"0|z", "1|m", "2|A", "2|b"}},
        {"line breaks of any kind", "2|a\n1|b\r0|c", {"0|c", "1|b", "2|a"}},
        {"duplicates stay", "2|a\r\n2|A\r\n", {"2|a", "2|A"}},
        {"ANSI text becomes UTF-8", "2|Software\\Caf\xE9\r\n", {"2|Software\\Caf\xC3\xA9"}},
        {"an empty file", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem fileSystem;
        ASSERT_TRUE(fileSystem.AddFile(kListPath, c.content).ok());
        ExclusionList list;
        list.Load(fileSystem, kDataFolder, Windows1252());
        EXPECT_EQ(list.Lines(), c.expected);
        EXPECT_EQ(list.empty(), c.expected.empty());
    }
}

TEST(ExclusionListTest, CleanUpJudgesEachLineAlone) {
    Lines lines = {" 3|a", "", "4|b", "x", "0|c ", "\t", "2"};
    ExclusionList::CleanUp(lines);
    EXPECT_EQ(lines, (Lines{"3|a", "0|c", "2"}));
}

TEST(ExclusionListTest, MissingOrUnreadableFileGivesAnEmptyList) {
    MemoryFileSystem fileSystem;
    ExclusionList list;
    list.Assign({"2|Software\\Old"});
    list.Load(fileSystem, kDataFolder, Windows1252());
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(list.ExcludedKey("Software\\Old", 2));

    ASSERT_TRUE(fileSystem.AddFile(kListPath, "2|Software\\X\r\n").ok());
    testing_support::FaultyFileSystem faulty(fileSystem);
    faulty.FailReads(ErrorCode::AccessDenied);
    list.Load(faulty, kDataFolder, Windows1252());
    EXPECT_TRUE(list.empty());

    // A data folder given with its trailing backslash finds the same file.
    list.Load(fileSystem, "C:\\Program Files\\Kestrover\\", Windows1252());
    EXPECT_EQ(list.Lines(), Lines{"2|Software\\X"});
}

TEST(ExclusionListTest, ExcludedKeyMatchesWholeKeysOfThePassRoot) {
    ExclusionList list;
    list.Assign({"2|software\\x", "1|Software\\Vendor", "0|.txt", "3|Software\\Y",
                 "2?Software\\Sep"});
    struct Case {
        const char* path;
        int rootIndex;
        bool excluded;
    };
    const Case cases[] = {
        {"Software\\X", 2, true},
        {"SOFTWARE\\x", 2, true},
        {"\\Software\\X", 2, true},  // a path given from the root
        {"Software\\X", 1, false},   // the line's digit names the local machine only
        {"Software\\X", 0, false},
        {"Software\\X\\Sub", 2, false},  // whole keys only: no prefix match
        {"Software", 2, false},
        {"Software\\Xy", 2, false},
        {"Software\\Sep", 2, true},  // any separator character
        {"Software\\Vendor", 1, true},
        {"Software\\Vendor", 2, false},
        {".TXT", 0, true},
        {"\\.txt", 0, true},
        {"Software\\Y", 2, false},
        {"", 2, false},
        // In the HKEY_USERS pass any line matches, below any user's identifier.
        {"S-1-5-21-1004\\software\\x", 3, true},
        {"s-1-5-18\\Software\\Vendor", 3, true},
        {"S-1-5-21-1004_Classes\\.txt", 3, true},
        {"S-1-5-21-1004\\Software\\Y", 3, true},
        {"\\S-1-5-21-1004\\Software\\Y", 3, true},
        {"Software\\X", 3, true},
        {".DEFAULT\\Software\\X", 3, false},  // only an identifier is taken off
        {"S-1-5-21-1004\\software\\x\\sub", 3, false},
        {"S-1-5-21-1004", 3, false},
        // The identifier is taken off once, whatever the number of lines.
        {"S-1-5-21-1004\\S-1-5-18\\software\\x", 3, false},
        {"Software\\X", 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.path << " in pass " << c.rootIndex);
        EXPECT_EQ(list.ExcludedKey(c.path, c.rootIndex), c.excluded);
    }
}

TEST(ExclusionListTest, ShortLinesNameOnlyTheEmptyPath) {
    ExclusionList list;
    list.Assign({"3|", "2"});
    EXPECT_FALSE(list.ExcludedKey("Software", 2));
    EXPECT_FALSE(list.ExcludedKey("S-1-5-21-1004\\Software", 3));
    // "3|" is the line written for a user's own key: the key below HKEY_USERS itself.
    EXPECT_TRUE(list.ExcludedKey("S-1-5-21-1004", 3));
    EXPECT_FALSE(ExclusionList().ExcludedKey("S-1-5-21-1004", 3));  // an empty list
}

TEST(ExclusionListTest, BadFilesLoadWithoutHarm) {
    struct Case {
        const char* name;
        std::string content;
    };
    std::string manyLines;
    std::size_t keptLines = 0;
    for (int i = 0; i < 100000; ++i) {
        if (i % 3 != 0 && i % 5 != 4) ++keptLines;
        manyLines += (i % 3 == 0) ? "x junk\r\n" : std::to_string(i % 5) + "|Software\\Vendor" +
                                                       std::to_string(i) + "\r\n";
    }
    std::string binary;
    for (int i = 0; i < 200000; ++i) binary += static_cast<char>((i * 7919 + i / 13) & 0xFF);
    std::string longLines = "2|" + std::string(100000, 'a') + "\r\n" + "3|" +
                            std::string(100000, '\\') + "\r\n" + std::string(100000, ' ') + "\r\n";
    const Case cases[] = {
        {"100 000 lines", manyLines},
        {"binary junk", binary},
        {"binary junk after a UTF-16 mark", "\xFF\xFE" + binary},
        {"100 000-character lines", longLines},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem fileSystem;
        ASSERT_TRUE(fileSystem.AddFile(kListPath, c.content).ok());
        ExclusionList list;
        list.Load(fileSystem, kDataFolder, Windows1252());
        for (const std::string& line : list.Lines()) {
            ASSERT_FALSE(line.empty());
            ASSERT_TRUE(line.front() >= '0' && line.front() <= '3') << line.substr(0, 20);
        }
        for (int root = 0; root <= 3; ++root) {
            (void)list.ExcludedKey("S-1-5-21-1\\Software\\Vendor1", root);
            (void)list.ExcludedKey(std::string(100000, 'a'), root);
        }
    }
    MemoryFileSystem fileSystem;
    ASSERT_TRUE(fileSystem.AddFile(kListPath, manyLines).ok());
    ExclusionList list;
    list.Load(fileSystem, kDataFolder, Windows1252());
    EXPECT_EQ(list.Lines().size(), keptLines);  // junk and root digit 4 go
    EXPECT_TRUE(list.ExcludedKey("Software\\Vendor2", 2));
    EXPECT_FALSE(list.ExcludedKey("Software\\Vendor2", 1));
    EXPECT_TRUE(list.ExcludedKey("S-1-5-21-1\\Software\\Vendor1", 3));
    EXPECT_FALSE(list.ExcludedKey("S-1-5-21-1\\Software\\Vendor4", 3));  // a "4|" line

    ASSERT_TRUE(fileSystem.AddFile(kListPath, longLines).ok());
    list.Load(fileSystem, kDataFolder, Windows1252());
    EXPECT_TRUE(list.ExcludedKey(std::string(100000, 'A'), 2));
}

}  // namespace
}  // namespace kestrover
