// UTF-8/UTF-16 conversion and Windows-like case-insensitive name comparison.
#include "core/Unicode.h"

namespace kestrover {

static constexpr char32_t kReplacement = 0xFFFD;

char32_t DecodeUtf8(std::string_view text, std::size_t& position) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char first = byte(position);
    if (first < 0x80) {
        ++position;
        return first;
    }
    int length = 0;
    char32_t codePoint = 0;
    if ((first & 0xE0) == 0xC0) {
        length = 2;
        codePoint = first & 0x1F;
    } else if ((first & 0xF0) == 0xE0) {
        length = 3;
        codePoint = first & 0x0F;
    } else if ((first & 0xF8) == 0xF0) {
        length = 4;
        codePoint = first & 0x07;
    } else {
        ++position;
        return kReplacement;
    }
    if (position + length > text.size()) {
        ++position;
        return kReplacement;
    }
    for (int i = 1; i < length; ++i) {
        unsigned char next = byte(position + i);
        if ((next & 0xC0) != 0x80) {
            ++position;
            return kReplacement;
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    position += length;
    if (codePoint < kMinimum[length] || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return kReplacement;
    }
    return codePoint;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

static void AppendUtf16(std::u16string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
        return;
    }
    codePoint -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string result;
    result.reserve(text.size());
    std::size_t position = 0;
    while (position < text.size()) AppendUtf16(result, DecodeUtf8(text, position));
    return result;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                char32_t low = text[++i];
                AppendUtf8(result, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
            AppendUtf8(result, kReplacement);
            continue;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            AppendUtf8(result, kReplacement);
            continue;
        }
        AppendUtf8(result, unit);
    }
    return result;
}

std::vector<std::uint8_t> Utf8ToUtf16LeBytes(std::string_view text, bool withTerminator) {
    std::u16string units = Utf8ToUtf16(text);
    if (withTerminator) units.push_back(u'\0');
    std::vector<std::uint8_t> bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

std::u16string Utf16LeBytesToUtf16(const std::uint8_t* data, std::size_t size) {
    std::u16string units;
    units.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    return units;
}

std::string Utf16LeBytesToUtf8(const std::uint8_t* data, std::size_t size) {
    return Utf16ToUtf8(Utf16LeBytesToUtf16(data, size));
}

char32_t NameUpper(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    // Latin-1: à..þ except ÷; ÿ upper-cases to Ÿ.
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
    if (c == 0xFF) return 0x178;
    // Latin Extended-A: pairs of upper (even) and lower (odd) letters, with two odd runs.
    if (c >= 0x100 && c <= 0x137) return (c & 1) ? c - 1 : c;
    if (c >= 0x139 && c <= 0x148) return (c & 1) ? c : c - 1;
    if (c >= 0x14A && c <= 0x177) return (c & 1) ? c - 1 : c;
    if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c : c - 1;
    // Greek: α..ω and the dialytika letters ϊ ϋ sit 32 above their capitals.
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return c - 32;
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x3AC && c <= 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 37;
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return c - 63;
    // Cyrillic
    if (c >= 0x430 && c <= 0x44F) return c - 32;
    if (c >= 0x450 && c <= 0x45F) return c - 80;
    // Paired letters (upper even, lower odd), around U+0482..U+0489, a sign and combining
    // marks that have no case.
    if (c >= 0x460 && c <= 0x481) return (c & 1) ? c - 1 : c;
    if (c >= 0x48A && c <= 0x4BF) return (c & 1) ? c - 1 : c;
    if (c == 0x4CF) return 0x4C0;
    if (c >= 0x4C1 && c <= 0x4CE) return (c & 1) ? c : c - 1;
    if (c >= 0x4D0 && c <= 0x52F) return (c & 1) ? c - 1 : c;
    // Fullwidth Latin
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 32;
    return c;
}

std::string NameUpper(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::size_t position = 0;
    while (position < text.size()) {
        unsigned char byte = static_cast<unsigned char>(text[position]);
        if (byte < 0x80) {
            result.push_back(static_cast<char>(NameUpper(static_cast<char32_t>(byte))));
            ++position;
            continue;
        }
        AppendUtf8(result, NameUpper(DecodeUtf8(text, position)));
    }
    return result;
}

// Windows orders names by UTF-16 code units, where a character beyond U+FFFF (a surrogate
// pair, D800..DFFF) sorts before U+E000..U+FFFF. Moving that block above U+10FFFF gives code
// points the same order.
static char32_t UnitOrder(char32_t codePoint) {
    return (codePoint >= 0xE000 && codePoint <= 0xFFFF) ? codePoint + 0x110000 : codePoint;
}

int CompareNames(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        char32_t ca;
        char32_t cb;
        unsigned char ba = static_cast<unsigned char>(a[i]);
        unsigned char bb = static_cast<unsigned char>(b[j]);
        if (ba < 0x80) {
            ca = ba;
            ++i;
        } else {
            ca = DecodeUtf8(a, i);
        }
        if (bb < 0x80) {
            cb = bb;
            ++j;
        } else {
            cb = DecodeUtf8(b, j);
        }
        ca = UnitOrder(NameUpper(ca));
        cb = UnitOrder(NameUpper(cb));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

bool NamesEqual(std::string_view a, std::string_view b) { return CompareNames(a, b) == 0; }

}  // namespace kestrover
