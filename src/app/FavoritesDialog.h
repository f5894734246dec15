// The favorites dialog ("Favorites") without its widgets: the list of names, the name and key
// editors with the root box, and Add, Modify and Delete over the favorites list the main
// window keeps; the list is sorted when the dialog closes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kestrover {

// Texts of the dialog with their built-in defaults (section "favdialogbox" of the language
// file; the Delete caption comes from "ExcludeDialog").
struct FavoritesDialogTexts {
    std::string maintitle = "Favorites";
    std::string title1 = "Favorite Name :";
    std::string title2 = "Key to add";
    std::string btAdd = "&Add";
    std::string btModify = "M&odify";
    std::string btDelete = "Delete";  // btExDel
    std::string btCancel = "&Cancel";
    std::string btManage = "Manage ...";
    std::string entername = "Entrer a name";  // put into the name field when it is emptied
};

// The five root names of the root box, in root-number order.
const std::vector<std::string>& FavoriteRootNames();

class FavoritesDialog {
public:
    // favorites: the list of favorite lines kept by the main window for the whole run.
    explicit FavoritesDialog(std::vector<std::string>& favorites, FavoritesDialogTexts texts = {});

    // FormCreate: the names of all favorites, in list order.
    void FormCreate();

    // lsFavClick: the selected favorite goes into the name, root and key editors.
    void lsFavClick(std::size_t index);
    // Button1Click (Add): appends the line of the editors (a leading backslash of the key
    // path removed) and its name, then resets the editors. No duplicate test. A root box
    // without a root, or a key path holding a line break, adds nothing.
    bool Button1Click();
    // Button4Click (Modify): the selected favorite takes the editors' line; the editors are
    // reset and the selection cleared. The key path loses a leading backslash here too: kept,
    // the favorite would open "ROOT\\path", a key that does not exist.
    bool Button4Click();
    // lsFavDblClick (Delete, and a double click on a name): the selected favorite goes.
    bool lsFavDblClick();
    // The dialog closes (Cancel, or the window's close button): the list is sorted.
    void Close();

    const std::vector<std::string>& Names() const { return lsFav_; }
    std::optional<std::size_t> Selected() const { return selected_; }
    const FavoritesDialogTexts& Texts() const { return texts_; }

    std::string fn;  // the favorite's name
    int cbKey = 0;   // the root box: a root number 0 to 4
    std::string kn;  // the key path

private:
    void ResetEditors();

    std::vector<std::string>& favorites_;
    FavoritesDialogTexts texts_;
    std::vector<std::string> lsFav_;
    std::optional<std::size_t> selected_;
};

}  // namespace kestrover
