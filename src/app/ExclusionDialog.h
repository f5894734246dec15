// The exclusion dialog ("Kestrover Exclusions") without its widgets: the rows ROOT/Entry read
// from "Exclude.lst", the root box and key edit, Add with its duplicate test, Modify, Delete,
// the column sort, Import with its count message, and OK/Cancel, after which the file is
// sorted and saved back.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ListColumnSort.h"
#include "app/Prompts.h"
#include "core/Result.h"
#include "platform/ports/FileSystemPort.h"
#include "repair/ExclusionFile.h"

namespace kestrover {

// Opens a key in the system's registry editor, given a root name ("HKEY_LOCAL_MACHINE") and a
// key path.
using RegistryEditorOpener =
    std::function<void(std::string_view rootName, std::string_view keyPath)>;

// Texts of the dialog, with their built-in defaults; the language file replaces the button
// captions (section "ExcludeDialog") and the import message (section "excludedialog").
struct ExclusionDialogTexts {
    std::string caption = "Kestrover Exclusions";
    std::string rootColumn = "ROOT";
    std::string add = "Add";        // btexadd
    std::string modify = "Modify";  // btexmod
    std::string remove = "Delete";  // btexdel
    std::string import = "Import";  // bteximp
    std::string ok = "OK";
    std::string cancel = "Cancel";
    std::string itemsImported = "items imported";  // ExItemsImport
};

// The open-file dialog the Import button shows.
struct ImportFileRequest {
    std::string title = "Exclusion list";
    std::string filterName = "Exclusion file (exclude.ini)";
    std::string filterMask = "*.ini";
    std::string proposedPath;  // "Exclude.ini" in the program's folder
};

struct ExclusionRow {
    std::string root;   // a root name: "HKEY_LOCAL_MACHINE"
    std::string entry;  // the key path
};

enum class DialogResult { Ok, Cancel };

// The four root names of the root box, in root-number order.
const std::vector<std::string>& ExclusionRootNames();

class ExclusionDialog {
public:
    // programFolder ends with a backslash: the import proposes "Exclude.ini" there.
    ExclusionDialog(ExclusionFile& exclusions, Prompts& prompts, std::string programFolder,
                    ExclusionDialogTexts texts = {});

    // Opening (btexclude1Click, step 1): one row per line of "Exclude.lst" (cleaned up); the
    // second column is captioned with the registry page's "Keys" label. A file that exists
    // but cannot be read shows no rows, and OK will not write an empty list over it.
    void Open(std::string_view keysCaption = "Keys");

    // EXLClick and the key released in the list: the row goes into the editors.
    void SelectRow(std::size_t row);
    // btExAddClick: appends the root box's root and the edit's key path, selected and scrolled
    // into view, unless a row with the same root and path (ignoring case) exists. The path
    // loses the backslashes around it (a key path has none there, and the scan would never
    // match one written with them); an empty path, a path holding a line break, or no root
    // chosen adds nothing. True when a row was added.
    bool btExAddClick();
    // btExModClick: the selected row takes the root and the path (no duplicate test).
    bool btExModClick();
    // btExDelClick: removes the selected row.
    bool btExDelClick();
    // EXLDblClick: opens the row's key in the registry editor.
    void EXLDblClick(std::size_t row);
    // EXLColumnClick: the column clicked last reverses the direction, another column becomes
    // the sort column and keeps it; rows compare by that column's text ignoring case. The
    // selected row stays selected where it moves to.
    void EXLColumnClick(int column);

    // btEximpClick: asks chooseImportFile for a file (nothing chosen: nothing happens), merges
    // it into "Exclude.lst" and shows how many lines it added. When it added any, the file is
    // saved and the lines it added join the rows — the rows already shown, with any change
    // not yet confirmed by OK, stay as they are. Gives the count (0 when the file could not be
    // read or the list not saved).
    std::size_t btEximpClick();

    // btExOkClick / btExCancelClick: on OK the rows are written to the file (rows whose root
    // is not one of the four names are left out); on both, the file is sorted and saved back,
    // which creates it when it did not exist. The first failure is returned; the window does
    // not report it.
    Status Close(DialogResult result);

    const std::string& Caption() const { return texts_.caption; }
    const std::vector<std::string>& Columns() const { return columns_; }
    const std::vector<ExclusionRow>& Rows() const { return rows_; }
    std::optional<std::size_t> SelectedRow() const { return selected_; }
    // The row last scrolled into view.
    std::optional<std::size_t> VisibleRow() const { return visible_; }
    const ListColumnSort& SortState() const { return sort_; }
    const ImportFileRequest& ImportRequest() const { return importRequest_; }
    const ExclusionDialogTexts& Texts() const { return texts_; }

    int cbK = 0;      // the root box: a root number 0 to 3
    std::string enK;  // the key path edit

    // The file dialog of Import: gives the chosen file (its path on fileSystem), or nothing.
    std::function<std::optional<std::string>(const ImportFileRequest&)> chooseImportFile;
    // The file system the chosen file is read from; the data folder's when null.
    FileSystemPort* importFileSystem = nullptr;
    RegistryEditorOpener openInRegistryEditor;

private:
    // The root digit and lower-cased path of a row, as the duplicate test compares them.
    static std::string RowKey(int rootIndex, std::string_view entry);
    static int RootIndexOfName(std::string_view rootName);
    std::optional<std::string> EditedPath() const;

    ExclusionFile& exclusions_;
    Prompts& prompts_;
    ExclusionDialogTexts texts_;
    ImportFileRequest importRequest_;
    std::vector<std::string> columns_;
    std::vector<ExclusionRow> rows_;
    std::optional<std::size_t> selected_;
    std::optional<std::size_t> visible_;
    ListColumnSort sort_;
    bool fileUnreadable_ = false;
};

}  // namespace kestrover
