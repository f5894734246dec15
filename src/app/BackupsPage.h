// The backups page without its widgets: the list of backup files, the content tree of one
// backup, viewing and restoring it, stopping a load, "Show Protected", opening a tree node in
// the registry editor and deleting backup files.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/ListColumnSort.h"
#include "app/MainWindowState.h"
#include "app/Prompts.h"
#include "core/Result.h"
#include "platform/ports/Platform.h"
#include "registry/RegExportReader.h"
#include "registry/RegistryProvider.h"
#include "repair/BackupStore.h"

namespace kestrover {

// The page's texts, from the language table.
struct BackupsPageTexts {
    std::string pageTitle = "Backups";  // the caption of the backups button
    std::string hint =
        "Double-click an entry to see its content only (No changes done to the "
        "Registry)";
    std::string items = "Items";
    std::string deleteCaption = "Warning : File suppression !";
    std::string confirmDelete = "Delete all selected items ?";
    std::string defaultText = "(default)";
    std::string tooLongText = "(string too long)";
};

struct BackupRow {
    BackupFile file;
    bool selected = false;
};

// A node of the content tree: a key node, or one of its values.
struct TreeNodeIndex {
    std::size_t key = 0;
    std::optional<std::size_t> value;
};

// What a double-click on a tree node opens in the registry editor.
struct RegistryEditorTarget {
    RegRoot root = RegRoot::CurrentUser;
    std::string rootName;   // as the node's text names it ("HKEY_CURRENT_USER")
    std::string keyPath;    // below the root
    std::string valueName;  // empty for a key node; the default value as its display text
};

class BackupsPage {
public:
    // The list sort is the program's one sort state; backupFolder ends with a backslash.
    BackupsPage(Platform& platform, RegistryContext& registry, MainWindowState& window,
                ListColumnSort& listSort, Prompts& prompts, std::string backupFolder);

    // Opens the page: the list of backups, newest first, and the hint in the status label.
    void btBackClick();
    // Sorts the list by a column (0 name, 1 date, 2 size).
    void lvbColumnClick(int column);
    // "Restore" is enabled exactly when a row is selected and no load runs.
    void lvbChange();
    // Shows the selected backup's content; never writes to the registry. An error only when
    // the file cannot be read (the window stays silent, the command line reports it).
    Status lvbDblClick();
    // Restores the selected backup, without confirmation.
    Status btrgo2Click();
    // Stops the running load after the key in progress.
    void btrstop2Click();
    // "Show Protected": keeps the keys that could not be written, each with the values it
    // holds in the backup (none of them was restored), and drops every other node.
    void btProtect2Click();
    // Opens a node without children in the registry editor through openInRegistryEditor.
    void TVBDblClick(TreeNodeIndex node);
    // Deletes the selected backup files after confirmation; a file that cannot be deleted
    // stays listed.
    void mnDeleteBackupClick();

    // The list view's selection; every change runs lvbChange as the list's notification does.
    void SelectRow(std::size_t index, bool selected = true);
    void SelectOnly(std::size_t index);
    void ClearSelection();
    // The row "Restore" and a double-click act on: the first selected one.
    std::optional<std::size_t> SelectedRow() const;

    const std::vector<BackupRow>& Rows() const { return rows_; }
    // The content tree: the nodes read so far while a load runs, the result afterwards.
    const std::vector<ExportNode>& Tree() const { return loading_ ? reader_.Nodes() : tree_; }
    // Whether the last restore left some key unwritten (enables "Show Protected"), and whether
    // it gave up the values of some section (bad data, a refused value).
    bool LastLoadFailed() const { return reader_.Failed(); }
    bool LastLoadAbandonedValues() const { return reader_.SectionsAbandoned(); }

    bool Loading() const { return loading_; }
    bool RestoreEnabled() const { return restoreEnabled_; }
    bool StopEnabled() const { return stopEnabled_; }
    bool ProtectEnabled() const { return protectEnabled_; }
    bool ProgressVisible() const { return progressVisible_; }
    std::size_t ProgressPosition() const { return progressPosition_; }
    std::size_t ProgressMaximum() const { return progressMaximum_; }

    const BackupStore& Store() const { return store_; }

    BackupsPageTexts texts;
    // Opens the system registry editor on a key (set by the window; nothing happens unset).
    std::function<void(const RegistryEditorTarget&)> openInRegistryEditor;

private:
    Status Load(LoadMode mode);
    void SortRows();
    void ShowCount();

    MainWindowState& window_;
    ListColumnSort& listSort_;
    Prompts& prompts_;
    BackupStore store_;
    RegExportReader reader_;
    std::vector<BackupRow> rows_;
    std::vector<ExportNode> tree_;
    bool loading_ = false;
    bool restoreEnabled_ = false;
    bool stopEnabled_ = false;
    bool protectEnabled_ = false;
    bool progressVisible_ = false;
    std::size_t progressPosition_ = 0;
    std::size_t progressMaximum_ = 0;
};

}  // namespace kestrover
