// Mask matching and Windows path reading, shared by the memory and posix file systems.
#include <gtest/gtest.h>

#include "platform/ports/FileMask.h"
#include "platform/ports/WindowsPath.h"

namespace kestrover {
namespace {

TEST(FileMask, MatchesAsFindFirstFileDoes) {
    const struct {
        const char* name;
        const char* mask;
        bool matches;
    } cases[] = {
        // Everything.
        {"readme", "*", true},
        {"readme", "*.*", true},
        {"a.b.c", "*.*", true},
        {".hidden", "*", true},
        // Extensions, without regard to case.
        {"a.TXT", "*.txt", true},
        {"a.txt", "*.TXT", true},
        {"archive.tar.txt", "*.txt", true},
        {"a.txt.bak", "*.txt", false},
        {"txt", "*.txt", false},
        {"a.txt", "a.*", true},
        {"a", "a.*", true},
        {"ab", "a.*", false},
        // Names without a dot.
        {"readme", "*.", true},
        {"read.me", "*.", false},
        // Question marks: one character, never a dot, nothing before a dot or at the end.
        {"file1.txt", "file?.txt", true},
        {"file.txt", "file?.txt", true},
        {"file12.txt", "file?.txt", false},
        {"a.c", "a?c", false},
        {"abc", "a?c", true},
        {"ab", "???", true},
        {"abcd", "???", false},
        // Plain names and runs.
        {"Thumbs.db", "thumbs.db", true},
        {"Thumbs.db", "thumbs.d", false},
        {"~WRL0001.tmp", "~*.tmp", true},
        {"x~WRL0001.tmp", "~*.tmp", false},
        {"setup.log", "*set*", true},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "*a*a*a*a*a*a*a*a*a*b", false},
        // Letter case beyond ASCII.
        {"ÄRGER.txt", "ärger.*", true},
        {"ФАЙЛ.log", "файл.LOG", true},
        {"Ωmega", "ω*", true},
        // An empty mask matches nothing.
        {"a", "", false},
        {"", "*", true},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(MatchesFileMask(test.name, test.mask), test.matches)
            << "name \"" << test.name << "\", mask \"" << test.mask << "\"";
    }
}

TEST(FileMask, TellsMasksFromNames) {
    EXPECT_TRUE(HasWildcards("*.txt"));
    EXPECT_TRUE(HasWildcards("file?.log"));
    EXPECT_FALSE(HasWildcards("file.log"));
    EXPECT_FALSE(HasWildcards(""));
}

TEST(WindowsPath, ReadsDrivesNamesAndSeparators) {
    const struct {
        const char* text;
        char drive;
        std::vector<std::string> components;
        bool trailingSeparator;
    } cases[] = {
        {"C:\\Windows\\System32", 'C', {"Windows", "System32"}, false},
        {"c:/windows/system32", 'C', {"windows", "system32"}, false},
        {"D:\\Mixed/Separators\\x", 'D', {"Mixed", "Separators", "x"}, false},
        {"C:\\Windows\\", 'C', {"Windows"}, true},
        {"C:\\", 'C', {}, false},
        {"C:", 'C', {}, false},
        {"z:/", 'Z', {}, false},
        {"\\\\?\\C:\\Long\\Path", 'C', {"Long", "Path"}, false},
        {"C:\\a\\.\\b", 'C', {"a", "b"}, false},
        {"C:\\a\\..\\b", 'C', {"b"}, false},
        {"C:\\..\\..\\b", 'C', {"b"}, false},
        {"C:\\a\\b\\..\\", 'C', {"a"}, true},
        {"C:\\Program Files (x86)\\App 1.0", 'C', {"Program Files (x86)", "App 1.0"}, false},
    };
    for (const auto& test : cases) {
        std::optional<WindowsPath> path = ParseWindowsPath(test.text);
        ASSERT_TRUE(path) << test.text;
        EXPECT_EQ(path->drive, test.drive) << test.text;
        EXPECT_EQ(path->components, test.components) << test.text;
        EXPECT_EQ(path->trailingSeparator, test.trailingSeparator) << test.text;
    }
}

TEST(WindowsPath, RefusesWhatNamesNoFile) {
    std::string longName(256, 'n');
    std::string longPath = "C:";
    while (longPath.size() <= kMaxPathLength) longPath += "\\abc";
    const std::string refused[] = {
        "",
        "C",
        "1:\\x",
        "C:relative",
        "relative\\path",
        "\\rooted\\without\\drive",
        "\\\\server\\share\\file",
        "C:\\a\\\\b",
        "C:\\\\",
        "C:\\a\\b\\\\",
        "C:\\a*b",
        "C:\\what?",
        "C:\\a<b",
        "C:\\a|b",
        "C:\\a\"b",
        "C:\\a:b",
        std::string("C:\\a\x01") + "b",
        "C:\\" + longName,
        longPath,
    };
    for (const std::string& text : refused) {
        EXPECT_FALSE(ParseWindowsPath(text)) << text.substr(0, 80);
    }
    // 255 characters is the longest name; a character beyond U+FFFF counts twice.
    EXPECT_TRUE(ParseWindowsPath("C:\\" + std::string(255, 'n')));
    std::string emoji = "\xF0\x9F\x98\x80";
    std::string pairs;
    for (int i = 0; i < 128; ++i) pairs += emoji;
    EXPECT_FALSE(ParseWindowsPath("C:\\" + pairs));
    EXPECT_TRUE(ParseWindowsPath("C:\\" + pairs.substr(emoji.size())));
}

TEST(WindowsPath, WritesItselfBackAndComparesWithoutCase) {
    WindowsPath path = *ParseWindowsPath("c:/Windows/System32/");
    EXPECT_EQ(path.ToString(), "C:\\Windows\\System32");
    EXPECT_EQ(path.Name(), "System32");
    EXPECT_EQ(path.Parent().ToString(), "C:\\Windows");
    EXPECT_EQ(path.Parent().Parent().ToString(), "C:\\");
    EXPECT_EQ(path.Parent().Parent().Parent().ToString(), "C:\\");
    EXPECT_EQ(path.Parent().Child("Fonts").ToString(), "C:\\Windows\\Fonts");

    WindowsPath other = *ParseWindowsPath("C:\\WINDOWS\\system32");
    EXPECT_TRUE(path.SameAs(other));
    EXPECT_TRUE(path.Parent().Contains(other));
    EXPECT_FALSE(other.Contains(path.Parent()));
    EXPECT_FALSE(path.SameAs(*ParseWindowsPath("D:\\Windows\\System32")));
    EXPECT_FALSE(ParseWindowsPath("C:\\Win")->Contains(other));
}

TEST(WindowsPath, SplitsFindPatterns) {
    const struct {
        const char* pattern;
        const char* folder;
        const char* mask;
    } cases[] = {
        {"C:\\Windows\\*.exe", "C:\\Windows", "*.exe"},
        {"C:\\*", "C:\\", "*"},
        {"c:/temp/~*.tmp", "C:\\temp", "~*.tmp"},
        {"C:\\Windows\\", "C:\\Windows", ""},
        {"C:\\Windows\\notepad.exe", "C:\\Windows", "notepad.exe"},
    };
    for (const auto& test : cases) {
        std::optional<FindPattern> pattern = ParseFindPattern(test.pattern);
        ASSERT_TRUE(pattern) << test.pattern;
        EXPECT_EQ(pattern->folder.ToString(), test.folder) << test.pattern;
        EXPECT_FALSE(pattern->folder.trailingSeparator) << test.pattern;
        EXPECT_EQ(pattern->mask, test.mask) << test.pattern;
    }
    for (const char* refused : {"*.exe", "C:*.exe", "C:\\W*\\notepad.exe", "C:\\a\\\\*",
                                "C:\\Windows\\a|b", "C:\\Windows\\<"}) {
        EXPECT_FALSE(ParseFindPattern(refused)) << refused;
    }
}

TEST(WindowsPath, ReadsDriveRoots) {
    EXPECT_EQ(ParseDriveRoot("C:\\"), 'C');
    EXPECT_EQ(ParseDriveRoot("d:"), 'D');
    EXPECT_EQ(ParseDriveRoot("e:/"), 'E');
    for (const char* refused : {"", "C", "C:\\Windows", "C:x", "1:\\", "CC:\\"}) {
        EXPECT_FALSE(ParseDriveRoot(refused)) << refused;
    }
}

}  // namespace
}  // namespace kestrover
