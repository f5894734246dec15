// The ANSI code page codec over kernel32, checked against the program's own Windows-1252 table
// when the system's code page is 1252 (Wine's under an English or C locale).
#include <gtest/gtest.h>

#include <string>

#include "core/TextCodec.h"
#include "platform/win32/SystemCodePageCodec.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover {
namespace {

TEST(SystemCodePageCodec, AsciiAndZerosPassUnchanged) {
    SystemCodePageCodec codec;
    const std::string texts[] = {"", "plain text", std::string("a\0b", 3), "C:\\Path\\x.reg\r\n"};
    for (const std::string& text : texts) {
        bool lossless = false;
        EXPECT_EQ(codec.FromUtf8(text, &lossless), text);
        EXPECT_TRUE(lossless);
        EXPECT_EQ(codec.ToUtf8(text), text);
    }
}

TEST(SystemCodePageCodec, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    if (::GetACP() != 1252) GTEST_SKIP() << "code page " << ::GetACP();
    SystemCodePageCodec codec;
    struct Case {
        const char* text;
        const char* bytes;
        bool lossless;
    };
    const Case cases[] = {
        {"café", "caf\xE9", true},   {"€ 5", "\x80 5", true},
        {"Œuvre", "\x8Cuvre", true}, {"ā", "?", false},  // no best fit: not "a"
        {"Имя", "???", false},       {"x✓y", "x?y", false},
    };
    for (const Case& c : cases) {
        bool lossless = !c.lossless;
        EXPECT_EQ(codec.FromUtf8(c.text, &lossless), c.bytes) << c.text;
        EXPECT_EQ(lossless, c.lossless) << c.text;
        EXPECT_EQ(codec.CanEncode(c.text), c.lossless) << c.text;
    }
}

// Every byte is some character, and the system agrees with the program's own table for all 256.
TEST(SystemCodePageCodec, EveryByteMatchesWindows1252) {
    if (::GetACP() != 1252) GTEST_SKIP() << "code page " << ::GetACP();
    SystemCodePageCodec codec;
    for (int value = 0; value < 256; ++value) {
        std::string byte(1, static_cast<char>(value));
        std::string text = codec.ToUtf8(byte);
        EXPECT_EQ(text, Windows1252().ToUtf8(byte)) << "byte " << value;
        bool lossless = false;
        EXPECT_EQ(codec.FromUtf8(text, &lossless), byte) << "byte " << value;
        EXPECT_TRUE(lossless) << "byte " << value;
    }
}

}  // namespace
}  // namespace kestrover
