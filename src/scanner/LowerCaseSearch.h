// Searches for lower-case literal patterns in texts of any letter case, without copying the
// text: the scan asks them of every value, so they must cost no allocation and little time.
#pragma once

#include <cstddef>
#include <string_view>

namespace kestrover {

constexpr char LowerAsciiChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Where pattern, which must be in lower case, first occurs in text from a position on,
// ignoring ASCII letter case; npos when it does not. The same answer as FindNoCase.
inline std::size_t FindLowerNoCase(std::string_view text, std::string_view pattern,
                                   std::size_t from = 0) {
    constexpr std::size_t npos = std::string_view::npos;
    if (pattern.empty()) return from <= text.size() ? from : npos;
    if (pattern.size() > text.size()) return npos;
    const std::size_t last = text.size() - pattern.size();
    auto matchesAt = [&](std::size_t i) {
        for (std::size_t j = 0; j < pattern.size(); ++j) {
            if (LowerAsciiChar(text[i + j]) != pattern[j]) return false;
        }
        return true;
    };
    // A character of the pattern that is no letter matches only itself, so the library's
    // search can find the candidates for it; a backslash only when there is no rarer one.
    std::size_t anchor = npos;
    for (std::size_t j = 0; j < pattern.size(); ++j) {
        const char c = pattern[j];
        if (c >= 'a' && c <= 'z') continue;
        if (anchor == npos || pattern[anchor] == '\\') anchor = j;
        if (c != '\\') break;
    }
    if (anchor == npos) {
        for (std::size_t i = from; i <= last; ++i) {
            if (LowerAsciiChar(text[i]) == pattern.front() && matchesAt(i)) return i;
        }
        return npos;
    }
    for (std::size_t i = from; i <= last; ++i) {
        const std::size_t at = text.find(pattern[anchor], i + anchor);
        if (at == npos || at - anchor > last) return npos;
        i = at - anchor;
        if (matchesAt(i)) return i;
    }
    return npos;
}

inline bool ContainsLowerNoCase(std::string_view text, std::string_view pattern) {
    return FindLowerNoCase(text, pattern) != std::string_view::npos;
}

}  // namespace kestrover
