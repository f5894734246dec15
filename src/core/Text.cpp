// Text helpers shared by every layer.
#include "core/Text.h"

#include <algorithm>

namespace kestrover {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

static char AsciiUpperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string AsciiLower(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = AsciiLower(c);
    return result;
}

std::string AsciiUpper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = AsciiUpperChar(c);
    return result;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::size_t FindNoCase(std::string_view text, std::string_view pattern, std::size_t from) {
    if (pattern.empty()) return from <= text.size() ? from : std::string_view::npos;
    if (pattern.size() > text.size()) return std::string_view::npos;
    for (std::size_t i = from; i + pattern.size() <= text.size(); ++i) {
        if (AsciiLower(text[i]) != AsciiLower(pattern[0])) continue;
        if (EqualsNoCase(text.substr(i, pattern.size()), pattern)) return i;
    }
    return std::string_view::npos;
}

bool ContainsNoCase(std::string_view text, std::string_view pattern) {
    return FindNoCase(text, pattern) != std::string_view::npos;
}

std::string ReplaceAllNoCase(std::string_view text, std::string_view pattern,
                             std::string_view replacement) {
    if (pattern.empty()) return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    while (true) {
        std::size_t found = FindNoCase(text, pattern, start);
        if (found == std::string_view::npos) break;
        result.append(text.substr(start, found - start));
        result.append(replacement);
        start = found + pattern.size();
    }
    result.append(text.substr(start));
    return result;
}

static bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string_view TrimView(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    std::size_t end = text.size();
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

std::string TrimLeft(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    return std::string(text.substr(begin));
}

std::string TrimRight(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    return std::string(text.substr(0, end));
}

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t found = text.find(separator, start);
        if (found == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, found - start));
        start = found + 1;
    }
}

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
    std::string result;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) result.append(separator);
        result.append(parts[i]);
    }
    return result;
}

}  // namespace kestrover
