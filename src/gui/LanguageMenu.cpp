// The language menu and its drawing.
#include "gui/LanguageMenu.h"

#include "core/Text.h"
#include "gui/ControlIds.h"

namespace kestrover::gui {

namespace {

// The item data that tells this menu's items from any other owner-drawn item.
constexpr ULONG_PTR kItemTag = 0x4C414E47;  // "LANG"

constexpr COLORREF kFlagTransparent = RGB(255, 0, 255);

}  // namespace

LanguageMenu::LanguageMenu(const std::vector<LanguageChoice>& choices,
                           std::string_view currentFile, const GuiResources& resources)
    : resources_(resources) {
    const int size = resources.dpi(16);
    flags_.reset(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 4, 4));
    const std::size_t count =
        std::min<std::size_t>(choices.size(), idMnLanguageLast - idMnLanguageFirst + 1);
    for (std::size_t index = 0; index < count; ++index) {
        const LanguageChoice& choice = choices[index];
        Item item;
        item.caption = Wide(LanguageMenuCaption(choice));
        item.checked = EqualsNoCase(choice.fileName, currentFile);
        if (!choice.flagPath.empty() && flags_) {
            UniqueGdiObject flag(LoadImageW(nullptr, Wide(choice.flagPath).c_str(), IMAGE_BITMAP,
                                            size, size, LR_LOADFROMFILE));
            if (flag) {
                item.image = ImageList_AddMasked(flags_.get(), static_cast<HBITMAP>(flag.get()),
                                                 kFlagTransparent);
            }
        }
        items_.push_back(std::move(item));
    }
}

std::optional<std::size_t> LanguageMenu::Run(HWND owner, POINT at) {
    UniqueMenu menu(CreatePopupMenu());
    for (std::size_t index = 0; index < items_.size(); ++index) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | MIIM_STATE;
        item.fType = MFT_OWNERDRAW;
        item.fState = items_[index].checked ? MFS_CHECKED : MFS_UNCHECKED;
        item.wID = static_cast<UINT>(idMnLanguageFirst + static_cast<int>(index));
        item.dwItemData = kItemTag;
        InsertMenuItemW(menu.get(), static_cast<UINT>(index), TRUE, &item);
    }
    const int chosen = static_cast<int>(TrackPopupMenu(
        menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, owner, nullptr));
    if (chosen < idMnLanguageFirst) return std::nullopt;
    const auto index = static_cast<std::size_t>(chosen - idMnLanguageFirst);
    if (index >= items_.size()) return std::nullopt;
    return index;
}

bool LanguageMenu::OnMeasureItem(MEASUREITEMSTRUCT& item) const {
    if (item.CtlType != ODT_MENU || item.itemData != kItemTag) return false;
    const auto index = static_cast<std::size_t>(static_cast<int>(item.itemID) - idMnLanguageFirst);
    if (index >= items_.size()) return false;
    const Dpi dpi = resources_.dpi;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, resources_.Normal());
    const SIZE text = MeasureText(dc, items_[index].caption);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    // The check column, the flag, the text, and room on the right.
    item.itemWidth = static_cast<UINT>(dpi(20) + dpi(16) + dpi(8) + text.cx + dpi(16));
    item.itemHeight = static_cast<UINT>(std::max(dpi(24), static_cast<int>(text.cy) + dpi(8)));
    return true;
}

bool LanguageMenu::OnDrawItem(const DRAWITEMSTRUCT& item) const {
    if (item.CtlType != ODT_MENU || item.itemData != kItemTag) return false;
    const auto index = static_cast<std::size_t>(static_cast<int>(item.itemID) - idMnLanguageFirst);
    if (index >= items_.size()) return false;
    const Dpi dpi = resources_.dpi;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    FillRect(dc, &rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    const COLORREF textColour = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    const int middle = (rect.top + rect.bottom) / 2;

    if (items_[index].checked) {
        UniqueGdiObject pen(CreatePen(PS_SOLID, std::max(2, dpi(2)), textColour));
        HGDIOBJ old = SelectObject(dc, pen.get());
        MoveToEx(dc, rect.left + dpi(5), middle, nullptr);
        LineTo(dc, rect.left + dpi(8), middle + dpi(3));
        LineTo(dc, rect.left + dpi(14), middle - dpi(4));
        SelectObject(dc, old);
    }
    if (items_[index].image >= 0) {
        ImageList_Draw(flags_.get(), items_[index].image, dc, rect.left + dpi(20),
                       middle - dpi(8), ILD_TRANSPARENT);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColour);
    HGDIOBJ oldFont = SelectObject(dc, resources_.Normal());
    RECT text = rect;
    text.left += dpi(20) + dpi(16) + dpi(8);
    DrawTextW(dc, items_[index].caption.c_str(), -1, &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    return true;
}

}  // namespace kestrover::gui
