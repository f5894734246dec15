// Tests of the Windows-1252 code page: the full byte table and what it cannot hold.
#include "core/TextCodec.h"

#include <gtest/gtest.h>

namespace kestrover {
namespace {

TEST(TextCodecTest, HighControlBytesMapAsWindowsMapsThem) {
    // 0x80..0x9F in order, in UTF-8; the five undefined bytes become C1 controls.
    const char* const expected[32] = {
        "\xE2\x82\xAC", "\xC2\x81",     "\xE2\x80\x9A", "\xC6\x92",     // € U+0081 ‚ ƒ
        "\xE2\x80\x9E", "\xE2\x80\xA6", "\xE2\x80\xA0", "\xE2\x80\xA1",  // „ … † ‡
        "\xCB\x86",     "\xE2\x80\xB0", "\xC5\xA0",     "\xE2\x80\xB9",  // ˆ ‰ Š ‹
        "\xC5\x92",     "\xC2\x8D",     "\xC5\xBD",     "\xC2\x8F",      // Œ U+008D Ž U+008F
        "\xC2\x90",     "\xE2\x80\x98", "\xE2\x80\x99", "\xE2\x80\x9C",  // U+0090 ‘ ’ “
        "\xE2\x80\x9D", "\xE2\x80\xA2", "\xE2\x80\x93", "\xE2\x80\x94",  // ” • – —
        "\xCB\x9C",     "\xE2\x84\xA2", "\xC5\xA1",     "\xE2\x80\xBA",  // ˜ ™ š ›
        "\xC5\x93",     "\xC2\x9D",     "\xC5\xBE",     "\xC5\xB8",      // œ U+009D ž Ÿ
    };
    const TextCodec& codec = Windows1252();
    for (int i = 0; i < 32; ++i) {
        std::string byte(1, static_cast<char>(0x80 + i));
        SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << (0x80 + i));
        EXPECT_EQ(codec.ToUtf8(byte), expected[i]);
        bool lossless = true;
        EXPECT_EQ(codec.FromUtf8(expected[i], &lossless), byte);
        EXPECT_TRUE(lossless);
    }
}

TEST(TextCodecTest, EveryByteSurvivesTheTripThroughUtf8) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
    const TextCodec& codec = Windows1252();
    std::string text = codec.ToUtf8(all);
    bool lossless = true;
    EXPECT_EQ(codec.FromUtf8(text, &lossless), all);
    EXPECT_TRUE(lossless);
    EXPECT_TRUE(codec.CanEncode(text));
    // Latin-1 bytes are their own code points.
    EXPECT_EQ(codec.ToUtf8("caf\xE9 \xA0\xFF"), "caf\xC3\xA9 \xC2\xA0\xC3\xBF");
    EXPECT_EQ(codec.ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(TextCodecTest, CharactersTheCodePageLacksBecomeQuestionMarks) {
    struct Case {
        const char* text;
        const char* bytes;
        bool lossless;
    };
    const Case cases[] = {
        {"", "", true},
        {"plain ASCII ?", "plain ASCII ?", true},
        {"\xE2\x82\xAC" "5 caf\xC3\xA9", "\x80" "5 caf\xE9", true},
        {"\xE6\x97\xA5\xE6\x9C\xAC", "??", false},               // 日本
        {"a\xE2\x82\xAC" "b\xE6\x97\xA5" "c", "a\x80" "b?c", false},
        {"\xC4\x80", "?", false},                                 // Ā: no best fit to A
        {"\xC2\x80", "?", false},                                 // U+0080 is not byte 0x80
        {"\xC2\x9F", "?", false},                                 // nor is U+009F 0x9F
        {"\xF0\x9F\x98\x80", "?", false},                         // one character, one "?"
        {"\xEF\xBF\xBD", "?", false},                             // U+FFFD itself
        {"\xFF", "?", false},                                     // not UTF-8 at all
        {"x\xC3", "x?", false},                                   // cut short
        {"\xD0\x96" "k", "?k", false},                            // Ж
    };
    const TextCodec& codec = Windows1252();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text \"" << c.text << "\"");
        bool lossless = true;
        EXPECT_EQ(codec.FromUtf8(c.text, &lossless), c.bytes);
        EXPECT_EQ(lossless, c.lossless);
        EXPECT_EQ(codec.CanEncode(c.text), c.lossless);
        EXPECT_EQ(codec.FromUtf8(c.text), c.bytes) << "without a lossless flag";
    }
}

TEST(TextCodecTest, LosslessIsOnlyEverCleared) {
    const TextCodec& codec = Windows1252();
    bool lossless = false;
    EXPECT_EQ(codec.FromUtf8("abc", &lossless), "abc");
    EXPECT_FALSE(lossless) << "an encodable text must not set the flag again";
}

TEST(TextCodecTest, Windows1252IsOneSharedInstance) {
    EXPECT_EQ(&Windows1252(), &Windows1252());
    EXPECT_NE(dynamic_cast<const Windows1252Codec*>(&Windows1252()), nullptr);
}

}  // namespace
}  // namespace kestrover
