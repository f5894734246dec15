// The kinds of finding a scan reports, with the flags the walker sets while it builds one.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kestrover {

enum class ResultCategory : int {
    MissingDll = 0,         // "DLL file does not exist"
    MissingFile = 1,        // "File or Path does not exist"
    MissingHelpFile = 2,    // "Helpfile does not exist"
    ObsoleteStartMenu = 3,  // "Obsolete Start Menu item"
    UnusedExtension = 4,    // "Extension not used"
    UnusedFileType = 5,     // "Filetype not used"
    ObsoleteEntry = 6,      // "Obsolete entry"
    InvalidAppPath = 7,     // "Invalid application path"
    UnusedOpenWith = 8,     // "\"Open With\" entry unused"
    InvalidClsid = 9,       // "Invalid ActiveX/COM entry (CLSID)"
    Protected = 100,        // "Protected  Key"
    Unknown = 12,           // no category text, grey
};

// The category flags of the finding being built: one per category 0 to 9 and the eleventh,
// which only keeps "File or Path does not exist" from being added beside another category.
struct CategoryFlags {
    std::array<bool, 10> categories{};
    bool suppressMissingFile = false;

    void Set(ResultCategory category) {
        int number = static_cast<int>(category);
        if (number >= 0 && number < 10) categories[static_cast<std::size_t>(number)] = true;
    }
    bool IsSet(ResultCategory category) const {
        int number = static_cast<int>(category);
        return number >= 0 && number < 10 && categories[static_cast<std::size_t>(number)];
    }
    bool Any() const {
        for (bool flag : categories) {
            if (flag) return true;
        }
        return false;
    }
    void Clear() { *this = CategoryFlags{}; }
};

// The list's colours, as Windows colour values (0x00BBGGRR: blue in the high byte).
namespace ResultColour {
inline constexpr std::uint32_t RowBackground = 0xF4F4F4;
inline constexpr std::uint32_t SelectedRow = 0xDADADA;
inline constexpr std::uint32_t Text = 0x000000;  // every text of a selected row, the value line
inline constexpr std::uint32_t FilterHighlight = 0xFFD8B0;
inline constexpr std::uint32_t Green = 0x008000;
inline constexpr std::uint32_t Red = 0x0000FF;
inline constexpr std::uint32_t Maroon = 0x000080;
inline constexpr std::uint32_t Grey = 0x808080;
}  // namespace ResultColour

// The number an entry's category reads as when it has none, two markers, or no number.
inline constexpr int kUnreadableCategory = static_cast<int>(ResultCategory::Unknown);

// The category texts shown under a row; built-in English defaults that the language table
// replaces.
struct CategoryTexts {
    std::array<std::string, 10> categories;  // by category number 0 to 9
    std::string protectedKey;                // category 100

    static CategoryTexts Defaults();
};

// How a row's category line looks for the number its entry carries: 0 to 9 their own text
// and colour; 10, 20 ... 90 (an entry whose deletion failed) the text of a tenth of it, maroon
// for 10 and the value line's black for the others; 100 the protected-key text in maroon; any
// other number (12 included) no category line.
struct CategoryAppearance {
    bool hasLine = false;
    std::string text;
    std::uint32_t colour = ResultColour::Grey;
    int stateImage = 0;  // 0 below 10 and for 12, else 32
};
CategoryAppearance DescribeCategory(int number, const CategoryTexts& texts);

// The categories "Select all Green" picks (0, 1, 2, 3, 6) and those "Select all Red" picks
// (4, 5, 7, 8, 9); every other number is neither.
bool IsGreenCategory(int number);
bool IsRedCategory(int number);

}  // namespace kestrover
