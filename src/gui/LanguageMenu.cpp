// The language menu and its drawing.
#include "gui/LanguageMenu.h"

#include "core/Text.h"
#include "gui/ControlIds.h"
#include "gui/MenuPainter.h"

namespace kestrover::gui {

namespace {

constexpr COLORREF kFlagTransparent = RGB(255, 0, 255);

}  // namespace

LanguageMenu::LanguageMenu(const std::vector<LanguageChoice>& choices,
                           std::string_view currentFile, const GuiResources& resources) {
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
    std::vector<MenuItemIcon> flags;
    for (std::size_t index = 0; index < items_.size(); ++index) {
        const UINT id = static_cast<UINT>(idMnLanguageFirst + static_cast<int>(index));
        AppendMenuW(menu.get(), MF_STRING | (items_[index].checked ? MF_CHECKED : MF_UNCHECKED), id,
                    items_[index].caption.c_str());
        if (items_[index].image >= 0) {
            flags.push_back({id, MenuIcon::FromList(flags_.get(), items_[index].image)});
        }
    }
    MenuPainter::Adopt(menu.get(), flags);
    const int chosen = static_cast<int>(TrackPopupMenu(
        menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, owner, nullptr));
    if (chosen < idMnLanguageFirst) return std::nullopt;
    const auto index = static_cast<std::size_t>(chosen - idMnLanguageFirst);
    if (index >= items_.size()) return std::nullopt;
    return index;
}

}  // namespace kestrover::gui
