// The favorites menu and its commands.
#include "gui/FavoritesView.h"

#include <vector>

#include "app/FavoritesCommands.h"
#include "gui/ControlIds.h"
#include "gui/FavoritesDialogView.h"
#include "gui/LanguageFile.h"
#include "gui/MenuPainter.h"

namespace kestrover::gui {

namespace {

// The favorites' items carry their position in the menu from this number on. The menu gives
// its choice back to the view (no WM_COMMAND goes out), so the numbers need no block of the
// window's identifiers, and the count of favorites has no limit.
constexpr UINT kFirstFavoriteItem = 0x1000;

// A favorite's name as a menu item shows it: an "&" in it is a character, not a mnemonic.
std::wstring MenuCaption(const std::string& name) {
    std::wstring caption;
    for (wchar_t character : Wide(name)) {
        if (character == L'&') caption += L'&';
        caption += character;
    }
    return caption;
}

}  // namespace

void FavoritesView::Create() {
    MainWindowModel& model = host_.Model();
    if (!model.favorites) return;
    model.favorites->showDialog = [this](FavoritesDialog& dialog) {
        RunFavoritesDialog(host_.Frame(), dialog);
    };
}

void FavoritesView::TakeTexts() {
    MainWindowModel& model = host_.Model();
    const CaptionTable& captions = host_.Captions();
    model.favorites->texts.rebuild = captions.Text(CaptionId::dbRebuildHistory);
    FavoritesDialogTexts& texts = model.favorites->dialogTexts;
    texts.maintitle = captions.Text(CaptionId::favMaintitle);
    texts.title1 = captions.Text(CaptionId::favTitle1);
    texts.title2 = captions.Text(CaptionId::favTitle2);
    texts.btAdd = captions.Text(CaptionId::favBtAdd);
    texts.btModify = captions.Text(CaptionId::favBtModify);
    texts.btDelete = captions.Text(CaptionId::favBtExDel);
    texts.btCancel = captions.Text(CaptionId::favBtCancel);
    texts.btManage = captions.Text(CaptionId::mnmanage);
    texts.entername = captions.Text(CaptionId::favEntername);
}

void FavoritesView::ShowMenu() {
    MainWindowModel& model = host_.Model();
    if (!model.favorites || model.window.busy) return;
    const std::vector<FavoriteMenuItem> items = model.favorites->Favoris1Click();
    const CaptionTable& captions = host_.Captions();
    UniqueMenu menu(CreatePopupMenu());
    std::vector<MenuItemIcon> icons;
    for (std::size_t position = 0; position < items.size(); ++position) {
        const UINT id = kFirstFavoriteItem + static_cast<UINT>(position);
        AppendMenuW(menu.get(), MF_STRING, id, MenuCaption(items[position].caption).c_str());
        icons.push_back({id, MenuIcon::Of(Glyph::MenuFavorite)});
    }
    if (!items.empty()) AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, idMnManageFavorites,
                Wide(captions.Text(CaptionId::mnmanage)).c_str());
    AppendMenuW(menu.get(), MF_STRING, idMnRebuildFavorites,
                Wide(captions.Text(CaptionId::mnrebuild)).c_str());
    MenuPainter::Adopt(menu.get(), icons);

    RECT button{};
    GetWindowRect(GetDlgItem(host_.Frame(), idBtFavorites), &button);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                       button.left, button.bottom, 0, host_.Frame(), nullptr));
    if (chosen >= kFirstFavoriteItem && chosen - kFirstFavoriteItem < items.size()) {
        model.favorites->MnuClick(items[chosen - kFirstFavoriteItem].tag);
        return;
    }
    if (chosen != 0) OnCommand(static_cast<int>(chosen), 0);
}

bool FavoritesView::OnCommand(int id, int /*code*/) {
    MainWindowModel& model = host_.Model();
    switch (id) {
        case idBtFavorites:
            ShowMenu();
            return true;
        case idMnManageFavorites:
        case idMnRebuildFavorites:
        case idMnAddToFavorites:
            break;
        default:
            return false;
    }
    if (!model.favorites || model.window.busy) return true;
    TakeTexts();
    if (id == idMnManageFavorites) model.favorites->maddfavClick();
    if (id == idMnRebuildFavorites) (void)model.favorites->Reconstruirelesfavoris1Click();
    if (id == idMnAddToFavorites) (void)model.favorites->MnuFavClick();
    host_.RenderAll();
    return true;
}

}  // namespace kestrover::gui
