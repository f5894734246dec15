// Small operations on key path texts used by the scanner.
#pragma once

#include <string>
#include <string_view>

namespace kestrover {

// The text after the last backslash; the whole path when it has none.
std::string LastKeyName(std::string_view path);
// The path up to its last backslash, without it; empty when there is no backslash.
std::string ParentKeyPath(std::string_view path);
// The text after the last backslash or colon, lower-cased (ASCII).
std::string FileNamePart(std::string_view text);

}  // namespace kestrover
