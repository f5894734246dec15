// MenuPainter: the window's painter of popup menus. Every popup menu of the main window is
// handed to it before it opens: its items are then drawn by the program — a picture, the text
// (bold for the default item), a check mark, greyed when disabled, separators, the item under
// the mouse highlighted — at the sizes the screen's DPI asks for. Items whose data is 999 are
// left to the system, as are items someone else already draws.
#pragma once

#include <initializer_list>
#include <vector>

#include "gui/Glyphs.h"
#include "gui/GuiResources.h"

namespace kestrover::gui {

// The item data that keeps an item out of the painter's hands.
inline constexpr ULONG_PTR kSystemDrawnMenuItem = 999;

// A menu item's picture: a glyph of the window's image list, or an image of another list
// (which must outlive the menu).
struct MenuIcon {
    HIMAGELIST images = nullptr;  // null: index is a Glyph
    int index = -1;

    static MenuIcon Of(Glyph glyph) { return MenuIcon{nullptr, static_cast<int>(glyph)}; }
    static MenuIcon FromList(HIMAGELIST images, int index) { return MenuIcon{images, index}; }
};

// The picture of the item with this command identifier.
struct MenuItemIcon {
    UINT commandId = 0;
    MenuIcon icon;
};

class MenuPainter {
public:
    // The fonts, glyphs and DPI the items are measured and drawn with: the main window's, set
    // when it is created (null when it goes).
    static void SetResources(const GuiResources* resources);

    // Makes every item of menu and of its submenus owner-drawn, giving the items named in
    // icons their picture. Call it once the menu is built, before it is shown; the menu may be
    // adopted again after a change. A menu destroyed later needs nothing more. The painter
    // keeps its record in the item data of the items it draws: an item whose data its menu's
    // owner needs keeps it by carrying 999 (and is then drawn by the system).
    static void Adopt(HMENU menu, std::initializer_list<MenuItemIcon> icons = {});
    static void Adopt(HMENU menu, const std::vector<MenuItemIcon>& icons);

    // WM_MEASUREITEM and WM_DRAWITEM of the window that owns the menu: true when the item is
    // one of the painter's.
    static bool OnMeasureItem(MEASUREITEMSTRUCT& item);
    static bool OnDrawItem(const DRAWITEMSTRUCT& item);
    // WM_MENUCHAR: a letter typed in an open menu chooses the item whose text marks that letter
    // with "&". Zero when no item does (the system then beeps, as for any menu).
    static LRESULT OnMenuChar(wchar_t character, HMENU menu);

    // Whether the painter draws this item (tests read menus back through it).
    static bool Paints(HMENU menu, UINT position);
};

}  // namespace kestrover::gui
