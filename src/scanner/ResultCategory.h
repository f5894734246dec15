// The kinds of finding a scan reports, with the flags the walker sets while it builds one.
#pragma once

#include <array>
#include <cstdint>

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

}  // namespace kestrover
