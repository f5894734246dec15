// The favorites menu of the main window and its commands: building the menu, opening a
// favorite in the registry editor, "Add to favorites" from the result list, the manage and edit
// commands that open the dialog, and Rebuild with its confirmation.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/FavoritesDialog.h"
#include "app/Prompts.h"
#include "repair/Favorites.h"
#include "scanner/ResultList.h"

namespace kestrover {

struct FavoritesCommandTexts {
    std::string confirmationCaption = "Confirmation";
    std::string rebuild =  // dbRebuildHistory
        "Attention : this is going to rebuild your favorites with default entries\r\nDo you want "
        "to proceed ?";
};

class FavoritesCommands {
public:
    // favorites: the list of favorite lines the main window keeps for the whole run.
    FavoritesCommands(std::vector<std::string>& favorites, ResultList& results, Prompts& prompts);

    // Favoris1Click: sorts the list and gives the menu's items, top to bottom.
    std::vector<FavoriteMenuItem> Favoris1Click();
    // MnuClick: opens the favorite at the item's tag in the registry editor, whether or not its
    // key still exists (the editor then shows the nearest key it finds). A line that names no
    // root opens nothing; false then, and for a tag past the list's end.
    bool MnuClick(std::size_t tag);
    // MnuFavClick: for each selected result entry, in list order, the dialog opens with the
    // entry's root, the proposed name and the key path in its editors; the user's Add stores
    // it. Shortcut values (".lnk", any case) without data are skipped, as are entries that
    // name no root. Gives the number of dialogs shown.
    std::size_t MnuFavClick();
    // maddfavClick: the dialog, its editors empty.
    void maddfavClick();
    // Editerlesfavoris1Click: every result entry deselected, then the dialog as maddfavClick.
    void Editerlesfavoris1Click();
    // Reconstruirelesfavoris1Click: asks "Confirmation" (OK/Cancel); on OK the list becomes
    // the six default favorites in their order. True when it was rebuilt.
    bool Reconstruirelesfavoris1Click();

    // Opens a key in the system's registry editor (root name, key path).
    std::function<void(std::string_view rootName, std::string_view keyPath)> openInRegistryEditor;
    // Runs the dialog modally: the window shows it; FormCreate has run and the editors are set.
    // The command sorts the list when it returns (the dialog's close).
    std::function<void(FavoritesDialog&)> showDialog;

    FavoritesCommandTexts texts;
    FavoritesDialogTexts dialogTexts;

private:
    void ShowDialog(FavoritesDialog& dialog);

    std::vector<std::string>& favorites_;
    ResultList& results_;
    Prompts& prompts_;
};

}  // namespace kestrover
