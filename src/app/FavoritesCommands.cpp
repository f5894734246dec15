// The favorites menu and its commands.
#include "app/FavoritesCommands.h"

#include "core/Text.h"
#include "scanner/ScanEntry.h"

namespace kestrover {

FavoritesCommands::FavoritesCommands(std::vector<std::string>& favorites, ResultList& results,
                                     Prompts& prompts)
    : favorites_(favorites), results_(results), prompts_(prompts) {}

std::vector<FavoriteMenuItem> FavoritesCommands::Favoris1Click() {
    return BuildFavoritesMenu(favorites_);
}

bool FavoritesCommands::MnuClick(std::size_t tag) {
    if (tag >= favorites_.size()) return false;
    const Favorite favorite = ParseFavoriteLine(favorites_[tag]);
    if (!favorite.Root()) return false;
    if (openInRegistryEditor) openInRegistryEditor(favorite.RootName(), favorite.keyPath);
    return true;
}

void FavoritesCommands::ShowDialog(FavoritesDialog& dialog) {
    if (showDialog) showDialog(dialog);
    dialog.Close();
}

std::size_t FavoritesCommands::MnuFavClick() {
    std::size_t shown = 0;
    for (std::size_t row = 0; row < results_.RowCount(); ++row) {
        if (!results_.IsSelected(row)) continue;
        const ScanEntry entry = ParseScanEntry(results_.Row(row).text);
        if (EndsWithNoCase(entry.valueName, ".lnk") && entry.data.empty()) continue;
        if (!entry.root) continue;
        FavoritesDialog dialog(favorites_, dialogTexts);
        dialog.FormCreate();
        dialog.cbKey = entry.rootIndex;
        dialog.fn = ProposedFavoriteName(entry.keyPath, entry.valueName);
        dialog.kn = entry.keyPath;
        ShowDialog(dialog);
        ++shown;
    }
    return shown;
}

void FavoritesCommands::maddfavClick() {
    FavoritesDialog dialog(favorites_, dialogTexts);
    dialog.FormCreate();
    ShowDialog(dialog);
}

void FavoritesCommands::Editerlesfavoris1Click() {
    results_.UnselectAll();
    maddfavClick();
}

bool FavoritesCommands::Reconstruirelesfavoris1Click() {
    if (!prompts_.Confirm(texts.confirmationCaption, texts.rebuild)) return false;
    favorites_ = DefaultFavoriteLines();
    return true;
}

}  // namespace kestrover
