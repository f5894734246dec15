// Favorite lines, the default set, the menu's order and proposed names.
#include "repair/Favorites.h"

#include <algorithm>

#include "core/Text.h"

namespace kestrover {

std::optional<RegRoot> Favorite::Root() const {
    if (!rootIndex) return std::nullopt;
    return RootFromIndex(*rootIndex);
}

std::string Favorite::RootName() const {
    const std::optional<RegRoot> root = Root();
    return root ? std::string(RootFullName(*root)) : std::string();
}

Favorite ParseFavoriteLine(std::string_view line) {
    Favorite favorite;
    const std::size_t nameEnd = line.find('|');
    if (nameEnd == std::string_view::npos) return favorite;
    favorite.name = std::string(line.substr(0, nameEnd));
    std::string_view rest = line.substr(nameEnd + 1);

    const std::size_t flagEnd = rest.find('|');
    favorite.flag = std::string(rest.substr(0, flagEnd));
    if (flagEnd == std::string_view::npos) return favorite;
    rest = rest.substr(flagEnd + 1);

    const std::size_t rootEnd = rest.find('|');
    const std::string_view root = rest.substr(0, rootEnd);
    if (root.size() == 1 && root.front() >= '0' && root.front() <= '4') {
        favorite.rootIndex = root.front() - '0';
    }
    if (rootEnd != std::string_view::npos) favorite.keyPath = std::string(rest.substr(rootEnd + 1));
    return favorite;
}

std::optional<std::string> MakeFavoriteLine(std::string_view name, int rootIndex,
                                            std::string_view keyPath) {
    if (keyPath.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    std::string line;
    line.reserve(name.size() + keyPath.size() + 6);
    for (char c : name) {
        if (c == '|') {
            line += '-';
        } else if (c == '\r' || c == '\n') {
            line += ' ';
        } else {
            line += c;
        }
    }
    line += "|0|";
    line += std::to_string(rootIndex);
    line += '|';
    line += keyPath;
    return line;
}

const std::vector<std::string>& DefaultFavoriteLines() {
    static const std::vector<std::string> lines = {
        "HKCU-CurrentVersion|1|1|Software\\Microsoft\\Windows\\CurrentVersion",
        "HKCU-Internet Explorer|1|1|Software\\Microsoft\\Internet Explorer",
        "HKCU-Shell Folders|0|1|Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
        "Folders",
        "HKLM-CurrentVersion|1|2|SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
        "HKLM-Uninstall|0|2|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
        "HKLM-Windows NT\\CurrentVersion|0|2|SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
    };
    return lines;
}

void SortFavorites(std::vector<std::string>& lines) {
    std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) {
                                                return static_cast<unsigned char>(AsciiLower(x)) <
                                                       static_cast<unsigned char>(AsciiLower(y));
                                            });
    });
}

std::vector<FavoriteMenuItem> BuildFavoritesMenu(std::vector<std::string>& lines) {
    SortFavorites(lines);
    std::vector<FavoriteMenuItem> menu;
    menu.reserve(lines.size());
    for (std::size_t index = lines.size(); index-- > 0;) {
        menu.push_back({ParseFavoriteLine(lines[index]).name, index});
    }
    return menu;
}

std::string ProposedFavoriteName(std::string_view keyPath, std::string_view valueName) {
    const std::size_t backslash = keyPath.find_last_of('\\');
    std::string name(backslash == std::string_view::npos ? keyPath : keyPath.substr(backslash + 1));
    if (!valueName.empty()) {
        name += '-';
        name += valueName;
    }
    return name;
}

}  // namespace kestrover
