// Tests of the ASCII text helpers: case-insensitive search and replacement, trimming, splitting.
#include "core/Text.h"

#include <gtest/gtest.h>

namespace kestrover {
namespace {

constexpr std::size_t npos = std::string_view::npos;

TEST(TextTest, ReplaceAllNoCaseReplacesEveryOccurrence) {
    struct Case {
        const char* text;
        const char* pattern;
        const char* replacement;
        const char* expected;
    };
    const Case cases[] = {
        {"%WinDir%\\a;%windir%\\b;%WINDIR%", "%windir%", "C:\\Windows",
         "C:\\Windows\\a;C:\\Windows\\b;C:\\Windows"},
        {"nothing here", "%windir%", "X", "nothing here"},
        {"", "a", "b", ""},
        {"abc", "", "X", "abc"},                  // an empty pattern changes nothing
        {"", "", "X", ""},
        {"abc", "ABC", "", ""},                   // the whole text
        {"a-b-c", "-", "", "abc"},                // an empty replacement deletes
        {"ab", "abc", "X", "ab"},                 // pattern longer than the text
        {"aaaa", "aa", "b", "bb"},                // adjacent occurrences
        {"aaa", "AA", "b", "ba"},                 // overlapping: left to right, no rescan
        {"aXa", "a", "aa", "aaXaa"},              // replacement holds the pattern: no loop
        {"xAx", "a", "[A]", "x[A]x"},
        {"Path", "p", "pp", "ppath"},
        {"AAA", "a", "Aa", "AaAaAa"},
        {"\xC3\x89t\xC3\xA9", "\xC3\xA9", "e", "\xC3\x89te"},  // É is not é: ASCII case only
        {"x%TEMP%y", "%temp%", "%TEMP%", "x%TEMP%y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text \"" << c.text << "\" pattern \"" << c.pattern
                                        << "\" replacement \"" << c.replacement << "\"");
        EXPECT_EQ(ReplaceAllNoCase(c.text, c.pattern, c.replacement), c.expected);
    }
}

TEST(TextTest, FindNoCase) {
    struct Case {
        const char* text;
        const char* pattern;
        std::size_t from;
        std::size_t expected;
    };
    const Case cases[] = {
        {"Hello World", "WORLD", 0, 6},
        {"Hello World", "o", 0, 4},
        {"Hello World", "O", 5, 7},                // from skips the first occurrence
        {"Hello World", "o", 8, npos},
        {"Hello World", "d", 10, 10},              // last character
        {"Hello World", "d", 11, npos},            // from at the end
        {"Hello World", "d", 500, npos},           // from past the end
        {"abc", "", 0, 0},                          // an empty pattern is found where searching starts
        {"abc", "", 3, 3},
        {"abc", "", 4, npos},
        {"abc", "abcd", 0, npos},
        {"", "a", 0, npos},
        {"abAB", "ab", 1, 2},
        {"\xC3\x84" "B", "\xC3\xA4" "b", 0, npos},  // Ä is not ä
        {"x[y]", "[Y]", 0, 1},
        {"@`[{", "`", 0, 1},                        // neighbours of the letters stay themselves
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text \"" << c.text << "\" pattern \"" << c.pattern
                                        << "\" from " << c.from);
        EXPECT_EQ(FindNoCase(c.text, c.pattern, c.from), c.expected);
        EXPECT_EQ(ContainsNoCase(c.text, c.pattern), FindNoCase(c.text, c.pattern) != npos);
    }
}

TEST(TextTest, CaseHelpersTouchOnlyAsciiLetters) {
    EXPECT_EQ(AsciiLower("HKEY_Local_MACHINE\\Software"), "hkey_local_machine\\software");
    EXPECT_EQ(AsciiUpper("stra\xC3\x9F" "e \xC3\xA9 @[`{"), "STRA\xC3\x9F" "E \xC3\xA9 @[`{");
    EXPECT_EQ(AsciiLower("\xC3\x89T\xC3\x89"), "\xC3\x89t\xC3\x89");
    EXPECT_EQ(AsciiLower('Z'), 'z');
    EXPECT_EQ(AsciiLower('['), '[');

    EXPECT_TRUE(EqualsNoCase("Software\\Classes", "SOFTWARE\\classes"));
    EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
    EXPECT_FALSE(EqualsNoCase("\xC3\xA9", "\xC3\x89"));
    EXPECT_FALSE(EqualsNoCase("@", "`"));
    EXPECT_TRUE(EqualsNoCase("", ""));

    EXPECT_TRUE(StartsWithNoCase("CLSID\\{0}", "clsid"));
    EXPECT_TRUE(StartsWithNoCase("abc", ""));
    EXPECT_FALSE(StartsWithNoCase("ab", "abc"));
    EXPECT_TRUE(EndsWithNoCase("program.EXE", ".exe"));
    EXPECT_FALSE(EndsWithNoCase("exe", ".exe"));
    EXPECT_TRUE(EndsWithNoCase("", ""));
}

TEST(TextTest, TrimRemovesBlanksAndControlsAtBothEnds) {
    struct Case {
        std::string text;
        std::string both;
        std::string left;
        std::string right;
    };
    const Case cases[] = {
        {"  a b  ", "a b", "a b  ", "  a b"},
        {"\t\r\n x \r\n", "x", "x \r\n", "\t\r\n x"},
        {"   ", "", "", ""},
        {"", "", "", ""},
        {"x", "x", "x", "x"},
        {std::string("\0a\0", 3), "a", std::string("a\0", 2), std::string("\0a", 2)},
        {"\x01z\x1F", "z", "z\x1F", "\x01z"},
        // A no-break space (U+00A0) and other bytes above 0x20 are text, not blanks.
        {"\xC2\xA0v\xC2\xA0", "\xC2\xA0v\xC2\xA0", "\xC2\xA0v\xC2\xA0", "\xC2\xA0v\xC2\xA0"},
        {" \xC3\xA9 ", "\xC3\xA9", "\xC3\xA9 ", " \xC3\xA9"},
        {"!a!", "!a!", "!a!", "!a!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text \"" << c.text << "\"");
        EXPECT_EQ(Trim(c.text), c.both);
        EXPECT_EQ(TrimView(c.text), c.both);
        EXPECT_EQ(TrimLeft(c.text), c.left);
        EXPECT_EQ(TrimRight(c.text), c.right);
    }
}

TEST(TextTest, SplitKeepsEmptyPartsAndJoinUndoesIt) {
    struct Case {
        const char* text;
        std::vector<std::string> parts;
    };
    const Case cases[] = {
        {"a|b|c", {"a", "b", "c"}},
        {"a||b", {"a", "", "b"}},
        {"|a|", {"", "a", ""}},
        {"", {""}},
        {"|", {"", ""}},
        {"abc", {"abc"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text \"" << c.text << "\"");
        EXPECT_EQ(Split(c.text, '|'), c.parts);
        EXPECT_EQ(Join(c.parts, "|"), c.text);
    }
    EXPECT_EQ(Join({}, ", "), "");
    EXPECT_EQ(Join({"a", "b"}, ", "), "a, b");
}

}  // namespace
}  // namespace kestrover
