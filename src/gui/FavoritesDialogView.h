// TAddFav, the favorites dialog ("Favorites"): the name, the root and the key of a favorite,
// the list of the favorites' names, and Add, Modify, Delete (also a double click on a name) and
// Cancel — a modal dialog over the FavoritesDialog model.
#pragma once

#include "app/FavoritesDialog.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover::gui {

// Runs the dialog modally over owner. The model's FormCreate has run and its editors hold
// what the dialog opens with; Cancel, Escape and the close box end it.
void RunFavoritesDialog(HWND owner, FavoritesDialog& dialog);

}  // namespace kestrover::gui
