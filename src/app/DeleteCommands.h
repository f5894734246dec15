// "Delete selected items" (MnuDelClick) and "Export selected items" (MnuExpClick) over the
// result list. Every deletion is backed up first: the whole backup is written, closed and read
// back before the first entry is deleted, and an entry the file would not give back is not
// deleted.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/MainWindowState.h"
#include "app/Prompts.h"
#include "platform/ports/Platform.h"
#include "registry/RegExportWriter.h"
#include "registry/RegistryProvider.h"
#include "repair/BackupContents.h"
#include "repair/BackupFileName.h"
#include "repair/ResultEntryDeletion.h"
#include "scanner/ResultList.h"

namespace kestrover {

// Language texts the two commands show, with their built-in defaults.
struct DeleteCommandTexts {
    std::string confirmDelete = "Delete all selected items ?";  // dbConfirmDelete
    std::string confirmDeleteService =                           // dbConfirmDeleteService
        "WARNING !! Your are about to delete a Service/Driver\r\nAre your sure you want to "
        "continue ?";
    std::string exportDone = "Export Done !";  // dbExportDone
    std::string defaultValue = "(default)";    // lbDefault
    std::string nameLabel = "Name :";          // bkn
};

enum class EntryOutcome {
    Planned,     // a dry run: what a real run would try
    Deleted,
    NotDeleted,  // stays in the list, marked with "0" (unless the backup failed)
    Exported,
    Skipped,  // the export command leaves it out
};

enum class NotDeletedReason {
    None,
    Missing,       // the value or key no longer exists
    Refused,       // the registry refused the deletion
    NotInBackup,   // the written backup would not give it back
    BackupFailed,  // no backup could be written: nothing was deleted
};

struct EntryReport {
    std::string text;  // the row's stored text when the command began
    ScanEntry entry;
    FindingDetail detail;
    DeletionCase deletion = DeletionCase::Nothing;
    EntryOutcome outcome = EntryOutcome::Planned;
    NotDeletedReason reason = NotDeletedReason::None;
};

enum class BackupOutcome {
    Off,           // backup not asked for (or not made on this page)
    Written,       // written, closed and read back
    NoFreeName,    // every name tried exists
    CannotCreate,  // the file could not be created: nothing deleted
    WriteFailed,   // the file could not be written whole (a full disk) or read back: nothing
                   // deleted
};

struct CommandReport {
    bool ran = false;        // false: nothing selected, cancelled, or already running
    bool cancelled = false;  // the confirmation was answered Cancel
    BackupOutcome backup = BackupOutcome::Off;
    std::string backupPath;   // the file written, or that was to be written
    std::string backupError;  // why the backup failed
    bool compacted = false;   // repeated key sections merged (a failure keeps the file whole)
    std::vector<EntryReport> entries;  // in list order

    std::size_t Count(EntryOutcome outcome) const;
    // True when a backup was asked for and not written.
    bool BackupFailed() const {
        return backup == BackupOutcome::NoFreeName || backup == BackupOutcome::CannotCreate ||
               backup == BackupOutcome::WriteFailed;
    }
};

// The tools list's half of the two commands, for the startup, services, drivers and add-on
// pages; those pages provide it. The command confirms, writes the backup and reads it back
// around these calls as it does for the result list; without one, a tools-list view deletes
// and exports nothing.
class ToolListCommands {
public:
    virtual ~ToolListCommands() = default;
    virtual bool HasSelection() const = 0;
    // Writes the selected items' keys and values into the open backup.
    virtual void ExportSelected(RegExportWriter& backup) = 0;
    // Deletes the selected items; backup is null when none was made (the option is off, or
    // the page makes none), else only what it holds may be deleted.
    virtual void DeleteSelected(const BackupContents* backup) = 0;
};

// The page a backup is named after, from the window's view: the scan's results are "Clean",
// the services and drivers pages are dated, startup and add-on pages use their title, any
// other list its title.
BackupPage BackupPageOf(const MainWindowState& window);

// Rows the export command leaves out: those whose first field (the text before the first
// "|"), compared as text, is not less than "2"; shortcut values (".lnk") without data; rows
// that name no root.
bool SkippedByExport(std::string_view storedText);

class DeleteCommands {
public:
    // backupFolder ends with a backslash.
    DeleteCommands(Platform& platform, RegistryContext& registry, MainWindowState& window,
                   ResultList& results, Prompts& prompts, std::string backupFolder);

    CommandReport MnuDelClick();
    CommandReport MnuExpClick();
    // What MnuDelClick would do now, changing nothing: the selected entries, in the order the
    // real run reports them, and the backup file it would write (the name dialog is asked as
    // in a real run). No confirmation is asked.
    CommandReport PlanMnuDelClick();

    bool ckBack = true;     // "Backup before deletion"
    bool autoMode = false;  // auto-clean: no confirmation, no name dialog, no message
    DeleteCommandTexts texts;
    // The page the list belongs to when the view does not tell (history lists, application
    // settings); unset, BackupPageOf(window).
    std::optional<BackupPage> page;
    ToolListCommands* toolList = nullptr;

private:
    bool ToolListActive() const;
    bool BackupMade() const;
    std::vector<EntryReport> SelectedEntries() const;  // list order
    // The backup path after the name dialog, made unique; nothing when no free name exists.
    std::optional<std::string> ChooseBackupPath();
    // Writes, closes, compacts and reads back the backup; the contents when it is whole.
    std::optional<BackupContents> WriteBackup(
        CommandReport& report, const std::function<void(RegExportWriter&)>& exportAll);
    void DeleteResultEntries(CommandReport& report, const BackupContents* backup);
    void ShowCount();

    Platform& platform_;
    RegistryContext& registry_;
    MainWindowState& window_;
    ResultList& results_;
    Prompts& prompts_;
    std::string backupFolder_;
    bool running_ = false;
};

}  // namespace kestrover
