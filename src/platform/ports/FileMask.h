// File masks as FindFirstFile reads them: * and ? with the DOS rules for dots, letter case
// ignored as Windows ignores it.
#pragma once

#include <string_view>

namespace kestrover {

// True when the name matches the mask. "*" matches any run of characters and "?" one; a mask
// is compared the way Win32 compares it, which adds to the plain rules:
//   - a "." followed by * or ? or ending the mask also matches the end of a name without a dot:
//     "*.*" and "readme.*" match "readme", "*." matches exactly the names without a dot;
//   - a "*" followed by "." does not run past the name's last dot;
//   - "?" never matches a dot, and before a dot or at the end of the mask it may match nothing:
//     "file?.txt" matches "file.txt".
// An empty mask matches nothing.
bool MatchesFileMask(std::string_view name, std::string_view mask);

// True when the mask holds * or ?, so that a search may find more than the one name.
bool HasWildcards(std::string_view mask);

}  // namespace kestrover
