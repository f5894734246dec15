// The popup menus' painter.
#include "gui/MenuPainter.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace kestrover::gui {

namespace {

// Sizes at 96 DPI.
constexpr int kGutterWidth = 28;  // the column of the pictures and check marks
constexpr int kTextGap = 6;
constexpr int kShortcutGap = 24;
constexpr int kRightRoom = 22;  // room for a submenu's arrow
constexpr int kItemHeight = 24;
constexpr int kSeparatorHeight = 9;

struct PaintedItem {
    std::wstring text;      // before a tab
    std::wstring shortcut;  // after it
    bool separator = false;
    bool isDefault = false;  // drawn in bold, as the double click's command
    MenuIcon icon;
};

// What the painter holds for the menus it adopted. A menu is freed by whoever built it; its
// records are dropped when the painter next finds the handle gone, or when the same handle is
// adopted again.
struct Store {
    const GuiResources* resources = nullptr;
    std::unordered_map<HMENU, std::vector<std::unique_ptr<PaintedItem>>> menus;
    std::unordered_set<const PaintedItem*> live;

    void Forget(HMENU menu) {
        auto found = menus.find(menu);
        if (found == menus.end()) return;
        for (const auto& item : found->second) live.erase(item.get());
        menus.erase(found);
    }
    void ForgetDestroyed() {
        std::vector<HMENU> gone;
        for (const auto& [menu, items] : menus) {
            if (!IsMenu(menu)) gone.push_back(menu);
        }
        for (HMENU menu : gone) Forget(menu);
    }
    const PaintedItem* Find(ULONG_PTR data) const {
        const auto* item = reinterpret_cast<const PaintedItem*>(data);
        return live.count(item) != 0 ? item : nullptr;
    }
};

Store& TheStore() {
    static Store store;
    return store;
}

COLORREF Blend(COLORREF from, COLORREF to, int percentOfTo) {
    auto mix = [&](int a, int b) { return (a * (100 - percentOfTo) + b * percentOfTo) / 100; };
    return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
               mix(GetBValue(from), GetBValue(to)));
}

void FillColour(HDC dc, const RECT& rect, COLORREF colour) {
    UniqueGdiObject brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
}

void FrameColour(HDC dc, const RECT& rect, COLORREF colour) {
    UniqueGdiObject brush(CreateSolidBrush(colour));
    FrameRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
}

// The letter a text marks with "&" ("&&" is an ampersand), lower-cased; zero when none.
wchar_t MarkedLetter(const std::wstring& text) {
    for (std::size_t index = 0; index + 1 < text.size(); ++index) {
        if (text[index] != L'&') continue;
        if (text[index + 1] == L'&') {
            ++index;
            continue;
        }
        return static_cast<wchar_t>(towlower(text[index + 1]));
    }
    return 0;
}

void AdoptItems(HMENU menu, const MenuItemIcon* icons, std::size_t iconCount) {
    Store& store = TheStore();
    store.Forget(menu);
    auto& records = store.menus[menu];
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_STATE;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) continue;
        if (info.hSubMenu != nullptr) AdoptItems(info.hSubMenu, icons, iconCount);
        if (info.dwItemData == kSystemDrawnMenuItem) continue;
        if ((info.fType & (MFT_OWNERDRAW | MFT_BITMAP)) != 0) continue;
        const UINT type = info.fType;
        const UINT id = info.wID;

        auto item = std::make_unique<PaintedItem>();
        item->separator = (info.fType & MFT_SEPARATOR) != 0;
        item->isDefault = (info.fState & MFS_DEFAULT) != 0;
        if (!item->separator && info.cch > 0) {
            std::wstring text(info.cch + 1, L'\0');
            info.fMask = MIIM_STRING;
            info.dwTypeData = text.data();
            info.cch = static_cast<UINT>(text.size());
            if (GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) {
                text.resize(info.cch);
                const std::size_t tab = text.find(L'\t');
                item->text = text.substr(0, tab);
                if (tab != std::wstring::npos) item->shortcut = text.substr(tab + 1);
            }
        }
        for (std::size_t index = 0; index < iconCount; ++index) {
            if (!item->separator && icons[index].commandId == id) item->icon = icons[index].icon;
        }

        MENUITEMINFOW drawn{};
        drawn.cbSize = sizeof drawn;
        drawn.fMask = MIIM_FTYPE | MIIM_DATA;
        drawn.fType = type | MFT_OWNERDRAW;
        drawn.dwItemData = reinterpret_cast<ULONG_PTR>(item.get());
        if (!SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &drawn)) continue;
        store.live.insert(item.get());
        records.push_back(std::move(item));
    }
}

void DrawCheckMark(HDC dc, const RECT& cell, COLORREF colour, const Dpi& dpi) {
    const int middleX = (cell.left + cell.right) / 2;
    const int middleY = (cell.top + cell.bottom) / 2;
    UniqueGdiObject pen(CreatePen(PS_SOLID, std::max(2, dpi(2)), colour));
    HGDIOBJ old = SelectObject(dc, pen.get());
    MoveToEx(dc, middleX - dpi(5), middleY, nullptr);
    LineTo(dc, middleX - dpi(2), middleY + dpi(3));
    LineTo(dc, middleX + dpi(4), middleY - dpi(4));
    SelectObject(dc, old);
}

}  // namespace

void MenuPainter::SetResources(const GuiResources* resources) { TheStore().resources = resources; }

void MenuPainter::Adopt(HMENU menu, std::initializer_list<MenuItemIcon> icons) {
    if (menu == nullptr) return;
    TheStore().ForgetDestroyed();
    AdoptItems(menu, icons.begin(), icons.size());
}

void MenuPainter::Adopt(HMENU menu, const std::vector<MenuItemIcon>& icons) {
    if (menu == nullptr) return;
    TheStore().ForgetDestroyed();
    AdoptItems(menu, icons.data(), icons.size());
}

bool MenuPainter::Paints(HMENU menu, UINT position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    if (!GetMenuItemInfoW(menu, position, TRUE, &info)) return false;
    return (info.fType & MFT_OWNERDRAW) != 0 && TheStore().Find(info.dwItemData) != nullptr;
}

bool MenuPainter::OnMeasureItem(MEASUREITEMSTRUCT& measure) {
    if (measure.CtlType != ODT_MENU) return false;
    const Store& store = TheStore();
    const PaintedItem* item = store.Find(measure.itemData);
    if (item == nullptr || store.resources == nullptr) return false;
    const GuiResources& resources = *store.resources;
    const Dpi dpi = resources.dpi;
    if (item->separator) {
        measure.itemWidth = static_cast<UINT>(dpi(kGutterWidth));
        measure.itemHeight = static_cast<UINT>(dpi(kSeparatorHeight));
        return true;
    }
    HDC dc = GetDC(nullptr);
    // Measured in bold, so that the default item fits as well as any other.
    HGDIOBJ old = SelectObject(dc, resources.Bold());
    RECT text{};
    DrawTextW(dc, item->text.c_str(), -1, &text, DT_SINGLELINE | DT_CALCRECT);
    int width = dpi(kGutterWidth) + dpi(kTextGap) + (text.right - text.left) + dpi(kRightRoom);
    if (!item->shortcut.empty()) {
        RECT shortcut{};
        DrawTextW(dc, item->shortcut.c_str(), -1, &shortcut,
                  DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
        width += dpi(kShortcutGap) + (shortcut.right - shortcut.left);
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    measure.itemWidth = static_cast<UINT>(width);
    measure.itemHeight = static_cast<UINT>(
        std::max(dpi(kItemHeight), static_cast<int>(text.bottom - text.top) + dpi(8)));
    return true;
}

bool MenuPainter::OnDrawItem(const DRAWITEMSTRUCT& draw) {
    if (draw.CtlType != ODT_MENU) return false;
    const Store& store = TheStore();
    const PaintedItem* item = store.Find(draw.itemData);
    if (item == nullptr || store.resources == nullptr) return false;
    const GuiResources& resources = *store.resources;
    const Dpi dpi = resources.dpi;
    HDC dc = draw.hDC;
    const RECT rect = draw.rcItem;
    const COLORREF background = GetSysColor(COLOR_MENU);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    FillColour(dc, rect, background);
    const int gutterRight = rect.left + dpi(kGutterWidth);

    if (item->separator) {
        const int middle = (rect.top + rect.bottom) / 2;
        RECT line{gutterRight + dpi(kTextGap) - dpi(2), middle, rect.right - dpi(4), middle + 1};
        FillColour(dc, line, Blend(background, grey, 45));
        return true;
    }

    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    const bool disabled = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const bool checked = (draw.itemState & ODS_CHECKED) != 0;
    if (selected) {
        // The item under the mouse or the keyboard: a light tint of the selection colour with
        // its edge, the text keeping its own colour; a greyed item gets a grey one.
        RECT band{rect.left + dpi(2), rect.top + dpi(1), rect.right - dpi(2), rect.bottom - dpi(1)};
        const COLORREF edge = disabled ? Blend(background, grey, 35) : Blend(background, highlight, 70);
        FillColour(dc, band, disabled ? Blend(background, grey, 12) : Blend(background, highlight, 22));
        FrameColour(dc, band, edge);
    }

    const RECT cell{rect.left + dpi(2), rect.top + dpi(1), gutterRight - dpi(1), rect.bottom - dpi(1)};
    const bool hasIcon = item->icon.index >= 0 &&
                         (item->icon.images != nullptr || resources.glyphs.get() != nullptr);
    if (checked && hasIcon) {
        // A checked item with a picture shows the picture framed, as the system menus do.
        RECT frame = cell;
        const int size = std::min(frame.right - frame.left, frame.bottom - frame.top);
        frame.left += (frame.right - frame.left - size) / 2;
        frame.right = frame.left + size;
        frame.top += (frame.bottom - frame.top - size) / 2;
        frame.bottom = frame.top + size;
        FillColour(dc, frame, Blend(background, highlight, 30));
        FrameColour(dc, frame, Blend(background, highlight, 75));
    } else if (checked) {
        DrawCheckMark(dc, cell, disabled ? grey : GetSysColor(COLOR_MENUTEXT), dpi);
    }
    if (hasIcon) {
        HIMAGELIST images = item->icon.images != nullptr ? item->icon.images : resources.glyphs.get();
        int width = 0;
        int height = 0;
        ImageList_GetIconSize(images, &width, &height);
        const int x = cell.left + (cell.right - cell.left - width) / 2;
        const int y = cell.top + (cell.bottom - cell.top - height) / 2;
        // Greyed items show their picture faded into the menu.
        ImageList_DrawEx(images, item->icon.index, dc, x, y, width, height, CLR_NONE,
                         disabled ? background : CLR_DEFAULT,
                         ILD_TRANSPARENT | (disabled ? ILD_BLEND50 : 0));
    }

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? grey : GetSysColor(COLOR_MENUTEXT));
    // Not every system reports the default item in the drawing state; the painter noted it.
    const bool isDefault = (draw.itemState & ODS_DEFAULT) != 0 || item->isDefault;
    HGDIOBJ oldFont = SelectObject(dc, isDefault ? resources.Bold() : resources.Normal());
    RECT text{gutterRight + dpi(kTextGap), rect.top, rect.right - dpi(kRightRoom), rect.bottom};
    const UINT prefix = (draw.itemState & ODS_NOACCEL) != 0 ? DT_HIDEPREFIX : 0;
    DrawTextW(dc, item->text.c_str(), -1, &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | prefix);
    if (!item->shortcut.empty()) {
        DrawTextW(dc, item->shortcut.c_str(), -1, &text,
                  DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    return true;
}

LRESULT MenuPainter::OnMenuChar(wchar_t character, HMENU menu) {
    const Store& store = TheStore();
    const wchar_t wanted = static_cast<wchar_t>(towlower(character));
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_STATE;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) continue;
        if ((info.fState & MFS_DISABLED) != 0) continue;
        const PaintedItem* item = store.Find(info.dwItemData);
        if (item == nullptr || item->separator || MarkedLetter(item->text) != wanted) continue;
        return MAKELRESULT(position, MNC_EXECUTE);
    }
    return 0;
}

}  // namespace kestrover::gui
