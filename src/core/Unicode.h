// UTF-8 and UTF-16 conversion, and the case-insensitive name comparison the registry and the
// file system use (Windows compares names by upper-casing every character, not only ASCII).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrover {

// Invalid UTF-8 sequences become U+FFFD; unpaired surrogates in UTF-16 become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Registry string data as stored by the W functions: UTF-16LE code units, with a terminating
// zero when written by the program. Decoding keeps embedded zeros; an odd last byte is dropped.
std::vector<std::uint8_t> Utf8ToUtf16LeBytes(std::string_view text, bool withTerminator);
std::u16string Utf16LeBytesToUtf16(const std::uint8_t* data, std::size_t size);
std::string Utf16LeBytesToUtf8(const std::uint8_t* data, std::size_t size);

// Reads one code point from UTF-8 at position, advancing it; U+FFFD for a bad sequence.
char32_t DecodeUtf8(std::string_view text, std::size_t& position);
void AppendUtf8(std::string& out, char32_t codePoint);

// Upper-cases a code point for name comparison: ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic, the scripts registry and file names use in practice.
char32_t NameUpper(char32_t codePoint);
std::string NameUpper(std::string_view text);
bool NamesEqual(std::string_view a, std::string_view b);
// <0, 0, >0 like strcmp, on upper-cased code points: the order Windows enumerates subkeys in.
int CompareNames(std::string_view a, std::string_view b);

struct NameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return CompareNames(a, b) < 0; }
};

}  // namespace kestrover
