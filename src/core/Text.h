// Text helpers shared by every layer: ASCII case, trimming, replacement, splitting.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrover {

// ASCII lower-casing: the program compares names and paths this way unless a caller says
// otherwise. Bytes outside A-Z (including every byte of a multi-byte UTF-8 sequence) stay.
char AsciiLower(char c);
std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
// Position of the first occurrence of pattern in text ignoring ASCII case, or npos.
std::size_t FindNoCase(std::string_view text, std::string_view pattern, std::size_t from = 0);
bool ContainsNoCase(std::string_view text, std::string_view pattern);

// Replaces every occurrence of pattern, ignoring ASCII case; an empty pattern changes nothing.
std::string ReplaceAllNoCase(std::string_view text, std::string_view pattern,
                             std::string_view replacement);

// Trimming removes spaces and control characters (bytes up to 0x20) at either end, as the
// settings readers expect of blanks around an equals sign.
std::string_view TrimView(std::string_view text);
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

std::vector<std::string> Split(std::string_view text, char separator);
std::string Join(const std::vector<std::string>& parts, std::string_view separator);

}  // namespace kestrover
