// Registry roots with their names and the one-digit root number used inside result entries and
// exclusion lines; key paths; parsing of full key path texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/ports/RegistryPort.h"

namespace kestrover {

using RegRoot = PredefinedKey;

// "HKEY_LOCAL_MACHINE" and so on for all seven roots.
std::string_view RootFullName(RegRoot root);
// "HKLM" and so on; empty for the performance-data and dynamic-data roots.
std::string_view RootShortName(RegRoot root);

// The root number: 0 classes root, 1 current user, 2 local machine, 3 users, 4 current config.
std::optional<int> RootIndex(RegRoot root);
// 0 to 4 give their root; any other number leaves the root unset.
std::optional<RegRoot> RootFromIndex(int index);
// The digit form used inside texts ('0' to '4').
std::optional<RegRoot> RootFromIndexDigit(char digit);

// A root from its full name, compared without regard to case: the five roots a key path text
// may name ("HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
// "HKEY_CURRENT_CONFIG").
std::optional<RegRoot> RootFromFullName(std::string_view name);
// Also accepts the short names ("HKLM", ...), for texts a user types.
std::optional<RegRoot> RootFromName(std::string_view name);

struct RegPath {
    RegRoot root = RegRoot::CurrentUser;
    std::string path;  // subkey path, components separated by one backslash

    // "HKEY_LOCAL_MACHINE\Software\X"; the root name alone for an empty path.
    std::string FullText() const;
    bool operator==(const RegPath&) const = default;
};

enum class RootNames { FullOnly, FullOrShort };

// Parses "HKEY_LOCAL_MACHINE\Software\X": the part before the first backslash names the root
// (case ignored), the rest is the subkey path. A text whose lower-cased form holds no "hkey_"
// is not a key path (unless short names are accepted and it begins with one).
std::optional<RegPath> ParseKeyPath(std::string_view text, RootNames names = RootNames::FullOnly);

}  // namespace kestrover
