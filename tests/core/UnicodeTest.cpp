// Tests of UTF-8/UTF-16 conversion and of the case-insensitive name comparison.
#include "core/Unicode.h"

#include <gtest/gtest.h>

#include <set>

namespace kestrover {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

TEST(UnicodeTest, Utf8AndUtf16RoundTrip) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"", u""},
        {"Kestrover", u"Kestrover"},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        {"caf\xC3\xA9 \xE2\x82\xAC", u"caf\u00E9 \u20AC"},
        {"\xE6\x97\xA5\xE6\x9C\xAC", u"\u65E5\u672C"},
        {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},                // U+1F600, a surrogate pair
        {"\xF0\x90\x80\x80", u"\xD800\xDC00"},                // U+10000, the first
        {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},                // U+10FFFF, the last
        {"\xEF\xBF\xBF", u"\uFFFF"},
        {"\xED\x9F\xBF\xEE\x80\x80", u"\uD7FF\uE000"},         // either side of the surrogates
        {"\xC2\x80\xDF\xBF\xE0\xA0\x80", u"\u0080\u07FF\u0800"},  // length boundaries
        {"x\xF0\x9F\x98\x80y\xF0\x9F\x98\x81", u"x\xD83D\xDE00y\xD83D\xDE01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text \"" << c.utf8 << "\"");
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
    }
}

TEST(UnicodeTest, InvalidUtf8BecomesReplacementWithoutLosingWhatFollows) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"\x80", u"\uFFFD"},                              // a lone continuation byte
        {"a\xFF" "b", u"a\uFFFD" "b"},                    // a byte that never starts anything
        {"\xC0\xAF", u"\uFFFD"},                          // overlong "/"
        {"\xE0\x80\xAF", u"\uFFFD"},                      // overlong, three bytes
        {"\xED\xA0\x80", u"\uFFFD"},                      // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD"},                  // beyond U+10FFFF
        {"\xC3(", u"\uFFFD("},                            // continuation missing
        {"\xE2\x82" "A", u"\uFFFD\uFFFD" "A"},            // cut short before text
        {"\xE2\x82", u"\uFFFD\uFFFD"},                    // cut short at the end
        {"\xF0\x9F\x98", u"\uFFFD\uFFFD\uFFFD"},
        {"\xC3\xA9\xC3", u"\u00E9\uFFFD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "bytes \"" << c.utf8 << "\"");
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    }
}

TEST(UnicodeTest, UnpairedSurrogatesBecomeReplacement) {
    struct Case {
        std::u16string utf16;
        std::string utf8;
    };
    const Case cases[] = {
        {u"\xD83D", kReplacement},
        {u"\xDE00", kReplacement},
        {u"\xD83D" "a", kReplacement + "a"},
        {u"a\xDE00", "a" + kReplacement},
        {u"\xDE00\xD83D", kReplacement + kReplacement},  // the pair in the wrong order
        {u"\xD83D\xD83D\xDE00", kReplacement + "\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "expected \"" << c.utf8 << "\"");
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
    }
}

TEST(UnicodeTest, Utf16LeBytes) {
    EXPECT_EQ(Utf8ToUtf16LeBytes("A\xE2\x82\xAC", true),
              (std::vector<std::uint8_t>{0x41, 0x00, 0xAC, 0x20, 0x00, 0x00}));
    EXPECT_EQ(Utf8ToUtf16LeBytes("A\xE2\x82\xAC", false),
              (std::vector<std::uint8_t>{0x41, 0x00, 0xAC, 0x20}));
    EXPECT_EQ(Utf8ToUtf16LeBytes("", true), (std::vector<std::uint8_t>{0x00, 0x00}));
    EXPECT_EQ(Utf8ToUtf16LeBytes("\xF0\x9F\x98\x80", false),
              (std::vector<std::uint8_t>{0x3D, 0xD8, 0x00, 0xDE}));

    // Embedded zeros stay; an odd last byte is dropped.
    const std::uint8_t stored[] = {0x61, 0x00, 0x00, 0x00, 0x62, 0x00, 0x63};
    EXPECT_EQ(Utf16LeBytesToUtf16(stored, sizeof stored), std::u16string(u"a\0b", 3));
    EXPECT_EQ(Utf16LeBytesToUtf8(stored, sizeof stored), std::string("a\0b", 3));
    EXPECT_EQ(Utf16LeBytesToUtf8(stored, 1), "");
    EXPECT_EQ(Utf16LeBytesToUtf8(nullptr, 0), "");
}

TEST(UnicodeTest, DecodeUtf8AdvancesByOneCharacter) {
    std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xFF";
    std::size_t position = 0;
    std::vector<std::pair<char32_t, std::size_t>> decoded;
    while (position < text.size()) {
        char32_t codePoint = DecodeUtf8(text, position);
        decoded.emplace_back(codePoint, position);
    }
    EXPECT_EQ(decoded, (std::vector<std::pair<char32_t, std::size_t>>{
                           {U'a', 1}, {0xE9, 3}, {0x20AC, 6}, {0x1F600, 10}, {0xFFFD, 11}}));

    std::string appended;
    for (char32_t codePoint : {U'a', char32_t{0xE9}, char32_t{0x20AC}, char32_t{0x1F600}}) {
        AppendUtf8(appended, codePoint);
    }
    EXPECT_EQ(appended, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(UnicodeTest, NameUpperCoversLatinGreekAndCyrillic) {
    struct Case {
        char32_t lower;
        char32_t upper;
    };
    const Case cases[] = {
        {U'a', U'A'}, {U'z', U'Z'}, {U'A', U'A'}, {U'{', U'{'}, {U'`', U'`'}, {U'5', U'5'},
        // Latin-1
        {0xE0, 0xC0},  // à À
        {0xE9, 0xC9},  // é É
        {0xFE, 0xDE},  // þ Þ
        {0xF7, 0xF7},  // ÷ has no case
        {0xD7, 0xD7},  // × neither
        {0xDF, 0xDF},  // ß has no single capital
        {0xFF, 0x178},  // ÿ Ÿ
        // Latin Extended-A
        {0x101, 0x100},  // ā Ā
        {0x107, 0x106},  // ć Ć
        {0x13A, 0x139},  // ĺ Ĺ
        {0x142, 0x141},  // ł Ł
        {0x148, 0x147},  // ň Ň
        {0x151, 0x150},  // ő Ő
        {0x153, 0x152},  // œ Œ
        {0x177, 0x176},  // ŷ Ŷ
        {0x17A, 0x179},  // ź Ź
        {0x17E, 0x17D},  // ž Ž
        // Greek
        {0x3B1, 0x391},  // α Α
        {0x3C9, 0x3A9},  // ω Ω
        {0x3C2, 0x3A3},  // final ς Σ
        {0x3C3, 0x3A3},  // σ Σ
        {0x3AC, 0x386},  // ά Ά
        {0x3AD, 0x388},  // έ Έ
        {0x3AE, 0x389},  // ή Ή
        {0x3AF, 0x38A},  // ί Ί
        {0x3CC, 0x38C},  // ό Ό
        {0x3CD, 0x38E},  // ύ Ύ
        {0x3CE, 0x38F},  // ώ Ώ
        {0x3CA, 0x3AA},  // ϊ Ϊ
        {0x3CB, 0x3AB},  // ϋ Ϋ
        // Cyrillic
        {0x430, 0x410},  // а А
        {0x44F, 0x42F},  // я Я
        {0x451, 0x401},  // ё Ё
        {0x450, 0x400},  // ѐ Ѐ
        {0x45F, 0x40F},  // џ Џ
        {0x456, 0x406},  // і І
        {0x461, 0x460},  // ѡ Ѡ
        {0x481, 0x480},  // ҁ Ҁ
        {0x491, 0x490},  // ґ Ґ
        {0x4BF, 0x4BE},  // ҿ Ҿ
        {0x4C2, 0x4C1},  // ӂ Ӂ
        {0x4CF, 0x4C0},  // ӏ Ӏ
        {0x4D1, 0x4D0},  // ӑ Ӑ
        {0x4E9, 0x4E8},  // ө Ө
        {0x482, 0x482},  // ҂ thousands sign
        {0x483, 0x483},  // combining titlo
        {0x489, 0x489},  // combining millions sign
        // Fullwidth Latin
        {0xFF41, 0xFF21},
        {0xFF5A, 0xFF3A},
        // Beyond what names use in practice: unchanged
        {0x1F600, 0x1F600},
        {0x4E00, 0x4E00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<std::uint32_t>(c.lower));
        EXPECT_EQ(NameUpper(c.lower), c.upper);
        EXPECT_EQ(NameUpper(c.upper), c.upper) << "a capital must stay itself";
    }
}

TEST(UnicodeTest, NameUpperIsIdempotent) {
    for (char32_t c = 0; c < 0x600; ++c) {
        char32_t upper = NameUpper(c);
        ASSERT_EQ(NameUpper(upper), upper) << "U+" << std::hex << static_cast<std::uint32_t>(c);
    }
}

TEST(UnicodeTest, NameUpperOfText) {
    EXPECT_EQ(NameUpper("stra\xC3\x9F" "e"), "STRA\xC3\x9F" "E");
    EXPECT_EQ(NameUpper("\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1"),  // Ελλάδα
              "\xCE\x95\xCE\x9B\xCE\x9B\xCE\x86\xCE\x94\xCE\x91");          // ΕΛΛΆΔΑ
    EXPECT_EQ(NameUpper("\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"),  // москва
              "\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90");          // МОСКВА
    EXPECT_EQ(NameUpper("\xC3\xBF"), "\xC5\xB8");  // ÿ grows into Ÿ, still two bytes
    EXPECT_EQ(NameUpper("a\xFF" "b"), "A" + kReplacement + "B");
    EXPECT_EQ(NameUpper(""), "");
}

TEST(UnicodeTest, CompareNamesIgnoresCaseAndOrdersLikeWindows) {
    struct Case {
        std::string a;
        std::string b;
        int expected;  // the sign
    };
    const Case cases[] = {
        {"", "", 0},
        {"Software", "SOFTWARE", 0},
        {"caf\xC3\xA9", "CAF\xC3\x89", 0},
        {"\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1",
         "\xCE\x95\xCE\x9B\xCE\x9B\xCE\x86\xCE\x94\xCE\x91", 0},
        {"\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",
         "\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90", 0},
        {"\xCF\x82", "\xCF\x83", 0},  // final and medial sigma
        {"\xC3\xBF", "\xC5\xB8", 0},  // ÿ Ÿ
        {"", "a", -1},
        {"ab", "abc", -1},
        {"a", "B", -1},
        {"B", "a", 1},
        {"_", "a", 1},                           // "_" comes after the capitals
        {"z", "\xC3\xA9", -1},                   // é after z
        {"\xD0\xB0", "\xCE\xB1", 1},             // Cyrillic after Greek
        {"\xF0\x9F\x98\x80", "\xE4\xB8\x80", 1},  // U+1F600 after U+4E00
        // A surrogate pair sorts before U+E000..U+FFFF, as UTF-16 code units do.
        {"\xF0\x9F\x98\x80", "\xEF\xBC\xA1", -1},  // U+1F600 before U+FF21
        {"\xF0\x9F\x98\x80", "\xEE\x80\x80", -1},  // U+1F600 before U+E000
        {"\xED\x9F\xBF", "\xF0\x90\x80\x80", -1},  // U+D7FF before U+10000
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << c.a << "\" against \"" << c.b << "\"");
        auto sign = [](int value) { return (value > 0) - (value < 0); };
        EXPECT_EQ(sign(CompareNames(c.a, c.b)), c.expected);
        EXPECT_EQ(sign(CompareNames(c.b, c.a)), -c.expected);
        EXPECT_EQ(NamesEqual(c.a, c.b), c.expected == 0);
    }
}

TEST(UnicodeTest, NameLessMakesACaseInsensitiveSet) {
    std::set<std::string, NameLess> names = {"Run", "RunOnce", "\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87"};
    EXPECT_EQ(names.count("RUN"), 1u);
    EXPECT_EQ(names.count(std::string_view("runonce")), 1u);
    EXPECT_EQ(names.count("\xD0\x9A\xD0\x9B\xD0\xAE\xD0\xA7"), 1u);  // КЛЮЧ
    EXPECT_EQ(names.count("Runs"), 0u);
    EXPECT_FALSE(names.insert("RUNONCE").second);
}

}  // namespace
}  // namespace kestrover
