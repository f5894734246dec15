// Favorite lines: taking them apart (lines the program did not write included), writing them so
// that they read back, the default set, the menu's order and the names proposed for entries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repair/Favorites.h"

namespace kestrover {
namespace {

using Lines = std::vector<std::string>;

TEST(FavoritesTest, ParsesLines) {
    struct Case {
        const char* line;
        const char* name;
        const char* flag;
        std::optional<int> root;
        const char* keyPath;
    };
    const Case cases[] = {
        {"Run|0|2|Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Run", "0", 2,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
        {"Config|1|4|System\\Setup", "Config", "1", 4, "System\\Setup"},
        {"Root only|0|1|", "Root only", "0", 1, ""},
        {"Pipe in a key|0|0|odd|name||x", "Pipe in a key", "0", 0, "odd|name||x"},
        {"no separator at all", "", "", std::nullopt, ""},  // an empty name in the menu
        {"Bad root|0|7|Software", "Bad root", "0", std::nullopt, "Software"},
        {"Two digits|0|12|Software", "Two digits", "0", std::nullopt, "Software"},
        {"Letter|0|x|Software", "Letter", "0", std::nullopt, "Software"},
        {"Short|0", "Short", "0", std::nullopt, ""},
        {"", "", "", std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Favorite favorite = ParseFavoriteLine(c.line);
        EXPECT_EQ(favorite.name, c.name);
        EXPECT_EQ(favorite.flag, c.flag);
        EXPECT_EQ(favorite.rootIndex, c.root);
        EXPECT_EQ(favorite.keyPath, c.keyPath);
    }
    EXPECT_EQ(ParseFavoriteLine("X|0|4|A").RootName(), "HKEY_CURRENT_CONFIG");
    EXPECT_EQ(ParseFavoriteLine("X|0|9|A").RootName(), "");
}

TEST(FavoritesTest, WrittenLinesReadBack) {
    struct Case {
        const char* name;
        int root;
        const char* keyPath;
        std::optional<std::string> line;
        const char* readName;
    };
    const Case cases[] = {
        {"Run-Run", 1, "Software\\Run", "Run-Run|0|1|Software\\Run", "Run-Run"},
        // A "|" in a name would shift the root and the path: the favorite would open another key.
        {"Tool|x", 2, "Software\\T", "Tool-x|0|2|Software\\T", "Tool-x"},
        {"Two\r\nlines", 0, ".txt", "Two  lines|0|0|.txt", "Two  lines"},
        {"Bad", 2, "Software\\A\r\nB|0|2|x", std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<std::string> line = MakeFavoriteLine(c.name, c.root, c.keyPath);
        EXPECT_EQ(line, c.line);
        if (!line) continue;
        const Favorite favorite = ParseFavoriteLine(*line);
        EXPECT_EQ(favorite.name, c.readName);
        EXPECT_EQ(favorite.rootIndex, c.root);
        EXPECT_EQ(favorite.keyPath, c.keyPath);
    }
}

TEST(FavoritesTest, DefaultSetInItsOrder) {
    const Lines& lines = DefaultFavoriteLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines.front(),
              "HKCU-CurrentVersion|1|1|Software\\Microsoft\\Windows\\CurrentVersion");
    EXPECT_EQ(lines[2],
              "HKCU-Shell Folders|0|1|Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
              "Shell Folders");
    EXPECT_EQ(
        lines.back(),
        "HKLM-Windows NT\\CurrentVersion|0|2|SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    // The name holds a backslash: it is still the text before the first "|".
    EXPECT_EQ(ParseFavoriteLine(lines.back()).name, "HKLM-Windows NT\\CurrentVersion");
}

TEST(FavoritesTest, MenuShowsTheFavoritesInReverseNameOrder) {
    Lines lines = DefaultFavoriteLines();
    const std::vector<FavoriteMenuItem> menu = BuildFavoritesMenu(lines);
    ASSERT_EQ(menu.size(), 6u);
    EXPECT_EQ(menu.front().caption, "HKLM-Windows NT\\CurrentVersion");
    EXPECT_EQ(menu.back().caption, "HKCU-CurrentVersion");
    for (const FavoriteMenuItem& item : menu) {
        EXPECT_EQ(ParseFavoriteLine(lines.at(item.tag)).name, item.caption);
    }

    Lines mixed = {"b|0|1|B", "A|0|1|A", "no separator", "a|0|1|a"};
    EXPECT_EQ(BuildFavoritesMenu(mixed),
              (std::vector<FavoriteMenuItem>{{"", 3}, {"b", 2}, {"a", 1}, {"A", 0}}));
    EXPECT_EQ(mixed, (Lines{"A|0|1|A", "a|0|1|a", "b|0|1|B", "no separator"}));
}

TEST(FavoritesTest, ProposedNames) {
    struct Case {
        const char* keyPath;
        const char* valueName;
        const char* name;
    };
    const Case cases[] = {
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Run", "Run-Run"},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Run", "", "Run"},
        {"Software", "Value", "Software-Value"},
        {"\\.oldext", "", ".oldext"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProposedFavoriteName(c.keyPath, c.valueName), c.name);
    }
}

}  // namespace
}  // namespace kestrover
