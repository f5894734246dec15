// Conversion between the program's UTF-8 text and the UTF-16 of the W functions.
#pragma once

#include <string>
#include <string_view>

namespace kestrover::win32 {

std::wstring ToWide(std::string_view text);
std::string FromWide(std::wstring_view text);

// A name with a zero character in it would be cut short by the W functions, which take
// zero-terminated strings, and so reach a different key or file than the one asked for.
inline bool HasZeroCharacter(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

}  // namespace kestrover::win32
