// The favorites of the registry page: the favorites button's menu, built each time it opens
// (Favoris1Click) with "Manage ..." and "Rebuild" below the favorites, and "Add to favorites"
// of the result list's menu; both reach the favorites dialog.
#pragma once

#include "gui/ViewHost.h"

namespace kestrover::gui {

class FavoritesView {
public:
    explicit FavoritesView(ViewHost& host) : host_(host) {}

    // Gives the favorites commands the window's dialog; after the window's FormCreate.
    void Create();
    // Favoris1Click, then the menu under the favorites button; a chosen favorite opens in the
    // registry editor (MnuClick), the other items run their commands.
    void ShowMenu();

    // The favorites button and the menu items: idBtFavorites, idMnManageFavorites,
    // idMnRebuildFavorites, idMnAddToFavorites.
    bool OnCommand(int id, int code);

private:
    // The commands' texts from the caption table, which a language change may have replaced.
    void TakeTexts();

    ViewHost& host_;
};

}  // namespace kestrover::gui
