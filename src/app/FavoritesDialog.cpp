// The favorites dialog's model.
#include "app/FavoritesDialog.h"

#include "registry/RegRoot.h"
#include "repair/Favorites.h"

namespace kestrover {

namespace {

constexpr int kRootCount = 5;

std::optional<std::string> LineOfEditors(const std::string& name, int rootIndex,
                                         std::string_view keyPath) {
    if (rootIndex < 0 || rootIndex >= kRootCount) return std::nullopt;
    if (!keyPath.empty() && keyPath.front() == '\\') keyPath.remove_prefix(1);
    return MakeFavoriteLine(name, rootIndex, keyPath);
}

}  // namespace

const std::vector<std::string>& FavoriteRootNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (int index = 0; index < kRootCount; ++index) {
            list.emplace_back(RootFullName(*RootFromIndex(index)));
        }
        return list;
    }();
    return names;
}

FavoritesDialog::FavoritesDialog(std::vector<std::string>& favorites, FavoritesDialogTexts texts)
    : favorites_(favorites), texts_(std::move(texts)) {}

void FavoritesDialog::FormCreate() {
    lsFav_.clear();
    lsFav_.reserve(favorites_.size());
    for (const std::string& line : favorites_) lsFav_.push_back(ParseFavoriteLine(line).name);
    selected_.reset();
}

void FavoritesDialog::lsFavClick(std::size_t index) {
    if (index >= favorites_.size()) return;
    selected_ = index;
    const Favorite favorite = ParseFavoriteLine(favorites_[index]);
    fn = favorite.name;
    if (favorite.rootIndex) cbKey = *favorite.rootIndex;
    kn = favorite.keyPath;
}

void FavoritesDialog::ResetEditors() {
    fn = texts_.entername;
    kn.clear();
}

bool FavoritesDialog::Button1Click() {
    std::optional<std::string> line = LineOfEditors(fn, cbKey, kn);
    if (!line) return false;
    lsFav_.push_back(ParseFavoriteLine(*line).name);
    favorites_.push_back(std::move(*line));
    ResetEditors();
    return true;
}

bool FavoritesDialog::Button4Click() {
    if (!selected_ || *selected_ >= favorites_.size()) return false;
    std::optional<std::string> line = LineOfEditors(fn, cbKey, kn);
    if (!line) return false;
    lsFav_[*selected_] = ParseFavoriteLine(*line).name;
    favorites_[*selected_] = std::move(*line);
    ResetEditors();
    selected_.reset();
    return true;
}

bool FavoritesDialog::lsFavDblClick() {
    if (!selected_ || *selected_ >= favorites_.size()) return false;
    const auto at = static_cast<std::ptrdiff_t>(*selected_);
    favorites_.erase(favorites_.begin() + at);
    lsFav_.erase(lsFav_.begin() + at);
    selected_.reset();
    ResetEditors();
    return true;
}

void FavoritesDialog::Close() { SortFavorites(favorites_); }

}  // namespace kestrover
