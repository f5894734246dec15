// Windows-1252: the ANSI code page of Western European Windows, byte for byte as Windows maps it.
#include "core/TextCodec.h"

#include <array>

#include "core/Unicode.h"

namespace kestrover {

namespace {

// Bytes 0x80 to 0x9F. The five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the C1 control of the same number, as Windows maps them, so every byte survives
// a trip to UTF-8 and back.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

// The byte for a code point, or -1 when the code page has none.
int EncodeCodePoint(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return static_cast<int>(codePoint);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == codePoint) return static_cast<int>(0x80 + i);
    }
    return -1;
}

}  // namespace

std::string Windows1252Codec::ToUtf8(std::string_view bytes) const {
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text.push_back(c);
            continue;
        }
        if (byte < 0xA0) {
            AppendUtf8(text, kHighControls[byte - 0x80]);
            continue;
        }
        AppendUtf8(text, byte);
    }
    return text;
}

std::string Windows1252Codec::FromUtf8(std::string_view text, bool* lossless) const {
    std::string bytes;
    bytes.reserve(text.size());
    std::size_t position = 0;
    while (position < text.size()) {
        unsigned char first = static_cast<unsigned char>(text[position]);
        if (first < 0x80) {
            bytes.push_back(static_cast<char>(first));
            ++position;
            continue;
        }
        // A bad UTF-8 sequence decodes to U+FFFD, which the code page lacks: it becomes "?" too.
        int byte = EncodeCodePoint(DecodeUtf8(text, position));
        if (byte < 0) {
            bytes.push_back('?');
            if (lossless != nullptr) *lossless = false;
            continue;
        }
        bytes.push_back(static_cast<char>(byte));
    }
    return bytes;
}

const TextCodec& Windows1252() {
    static const Windows1252Codec codec;
    return codec;
}

}  // namespace kestrover
