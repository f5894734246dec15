// Registry favorites: named shortcuts to keys, one line each ("name|flag|root|path") in the
// list the program keeps for the whole run and in "regfav.ini"; the default set, the menu's
// order, and the names proposed for result entries.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "registry/RegRoot.h"

namespace kestrover {

inline constexpr std::string_view kFavoritesFileName = "regfav.ini";

// One favorite line taken apart: the name is the text before the first "|" (empty for a line
// without one), then the flag, the root digit, and the key path — the rest of the line, so a
// key name holding "|" stays whole.
struct Favorite {
    std::string name;
    std::string flag;
    // Set only when the root field is one digit 0 to 4: a line that names no root opens no
    // key rather than the classes root.
    std::optional<int> rootIndex;
    std::string keyPath;

    std::optional<RegRoot> Root() const;
    std::string RootName() const;  // "HKEY_CURRENT_USER"; empty without a root
};

Favorite ParseFavoriteLine(std::string_view line);

// The line the program writes for a favorite: name, "|0|", the root digit, "|", the key path.
// The name loses what would break the line apart: every "|" becomes "-" and line breaks become
// spaces. A key path holding a line break makes no line.
std::optional<std::string> MakeFavoriteLine(std::string_view name, int rootIndex,
                                            std::string_view keyPath);

// The six default favorites Rebuild writes, in their order.
const std::vector<std::string>& DefaultFavoriteLines();

// Sorts the lines without regard to ASCII case (which orders them by name); lines that compare
// equal keep their order.
void SortFavorites(std::vector<std::string>& lines);

// One item of the favorites menu: its caption (the favorite's name) and its tag (the line's
// index in the list).
struct FavoriteMenuItem {
    std::string caption;
    std::size_t tag = 0;

    bool operator==(const FavoriteMenuItem&) const = default;
};

// Favoris1Click: sorts the list, then gives the menu's items from top to bottom. Each item is
// inserted at the top in list order, so the menu shows the favorites in reverse name order.
std::vector<FavoriteMenuItem> BuildFavoritesMenu(std::vector<std::string>& lines);

// The name "Add to favorites" proposes for a result entry: the last component of the key path,
// "-" and the value name; the last component alone when the value name is empty.
std::string ProposedFavoriteName(std::string_view keyPath, std::string_view valueName);

}  // namespace kestrover
