// Reading Windows paths into drive and names, with Win32's rules for "." and "..".
#include "platform/ports/WindowsPath.h"

#include <cassert>

#include "core/Unicode.h"

namespace kestrover {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char UpperLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Characters no file name may hold; a mask may hold * and ? besides.
bool IsForbiddenInName(char c, bool allowWildcards) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
    switch (c) {
        case '\\':
        case '/':
        case ':':
        case '"':
        case '<':
        case '>':
        case '|':
            return true;
        case '*':
        case '?':
            return !allowWildcards;
        default:
            return false;
    }
}

bool HasOnlyNameCharacters(std::string_view name, bool allowWildcards) {
    for (char c : name) {
        if (IsForbiddenInName(c, allowWildcards)) return false;
    }
    return true;
}

}  // namespace

std::size_t Utf16Length(std::string_view text) {
    std::size_t length = 0;
    std::size_t position = 0;
    while (position < text.size()) {
        char32_t codePoint = DecodeUtf8(text, position);
        length += codePoint >= 0x10000 ? 2 : 1;
    }
    return length;
}

bool IsValidFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (!HasOnlyNameCharacters(name, false)) return false;
    return Utf16Length(name) <= kMaxFileNameLength;
}

const std::string& WindowsPath::Name() const {
    assert(!components.empty() && "Name() of a drive root");
    return components.back();
}

WindowsPath WindowsPath::Parent() const {
    WindowsPath parent{drive, components, false};
    if (!parent.components.empty()) parent.components.pop_back();
    return parent;
}

WindowsPath WindowsPath::Child(std::string name) const {
    WindowsPath child{drive, components, false};
    child.components.push_back(std::move(name));
    return child;
}

std::string WindowsPath::ToString() const {
    std::string text{drive, ':', '\\'};
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i > 0) text += '\\';
        text += components[i];
    }
    return text;
}

bool WindowsPath::SameAs(const WindowsPath& other) const {
    return components.size() == other.components.size() && Contains(other);
}

bool WindowsPath::Contains(const WindowsPath& other) const {
    if (drive != other.drive || components.size() > other.components.size()) return false;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (!NamesEqual(components[i], other.components[i])) return false;
    }
    return true;
}

std::optional<WindowsPath> ParseWindowsPath(std::string_view path) {
    if (Utf16Length(path) > kMaxPathLength) return std::nullopt;
    // The "\\?\" prefix only turns off Win32's own parsing; the path behind it is the same.
    if (path.size() >= 4 && path.substr(0, 4) == "\\\\?\\") path.remove_prefix(4);
    if (path.size() < 2 || !IsAsciiLetter(path[0]) || path[1] != ':') return std::nullopt;

    WindowsPath result;
    result.drive = UpperLetter(path[0]);
    std::string_view rest = path.substr(2);
    if (rest.empty()) return result;
    // "C:name" is relative to drive C's current folder, which the ports do not have.
    if (!IsSeparator(rest.front())) return std::nullopt;
    rest.remove_prefix(1);

    while (!rest.empty()) {
        std::size_t end = 0;
        while (end < rest.size() && !IsSeparator(rest[end])) ++end;
        std::string_view name = rest.substr(0, end);
        rest.remove_prefix(end == rest.size() ? end : end + 1);

        if (name.empty()) return std::nullopt;
        if (name == ".") continue;
        if (name == "..") {
            if (!result.components.empty()) result.components.pop_back();
            continue;
        }
        if (!IsValidFileName(name)) return std::nullopt;
        result.components.emplace_back(name);
    }
    result.trailingSeparator = !result.components.empty() && IsSeparator(path.back());
    return result;
}

std::optional<char> ParseDriveRoot(std::string_view root) {
    if (root.size() < 2 || root.size() > 3 || !IsAsciiLetter(root[0]) || root[1] != ':') {
        return std::nullopt;
    }
    if (root.size() == 3 && !IsSeparator(root[2])) return std::nullopt;
    return UpperLetter(root[0]);
}

std::optional<FindPattern> ParseFindPattern(std::string_view pattern) {
    std::size_t separator = pattern.find_last_of("\\/");
    // "C:*.txt" would be relative to the drive's current folder.
    if (separator == std::string_view::npos) return std::nullopt;
    std::string_view mask = pattern.substr(separator + 1);
    if (!HasOnlyNameCharacters(mask, true) || Utf16Length(mask) > kMaxFileNameLength) {
        return std::nullopt;
    }
    // Keep the separator when the folder is a root: "C:\*" lists C:\, not "C:".
    std::string_view folderText = pattern.substr(0, separator + 1);
    std::optional<WindowsPath> folder = ParseWindowsPath(folderText);
    if (!folder) return std::nullopt;
    folder->trailingSeparator = false;
    return FindPattern{std::move(*folder), std::string(mask)};
}

}  // namespace kestrover
