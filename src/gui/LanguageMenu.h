// The language menu: one item per language file — its flag, its name and file, a check mark on
// the language in use — shown under the language button and drawn by the menu painter.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gui/GuiResources.h"
#include "gui/LanguageFile.h"

namespace kestrover::gui {

class LanguageMenu {
public:
    // choices in menu order; currentFile is checked (compared without regard to case).
    LanguageMenu(const std::vector<LanguageChoice>& choices, std::string_view currentFile,
                 const GuiResources& resources);

    // Shows the menu at a point of the screen; the index of the language chosen, if one was.
    // owner receives the menu's drawing messages, which it hands to the menu painter.
    std::optional<std::size_t> Run(HWND owner, POINT at);

private:
    struct Item {
        std::wstring caption;
        int image = -1;  // in flags_, or none
        bool checked = false;
    };

    std::vector<Item> items_;
    UniqueImageList flags_;
};

}  // namespace kestrover::gui
