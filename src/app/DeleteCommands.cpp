// The delete and export commands of the list pages.
#include "app/DeleteCommands.h"

#include <algorithm>

#include "core/Text.h"

namespace kestrover {

namespace {

constexpr std::string_view kConfirmationCaption = "Confirmation";
constexpr std::string_view kServiceCaption = "Kestrover : SERVICE / DRIVER";
constexpr std::string_view kNameDialogCaption = "Backup";

// Set while a command runs; the window keeps processing messages meanwhile.
class RunningFlag {
public:
    explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& flag_;
};

bool IsServicePage(ActiveView view) {
    return view == ActiveView::Services || view == ActiveView::Drivers;
}

}  // namespace

std::size_t CommandReport::Count(EntryOutcome outcome) const {
    return static_cast<std::size_t>(std::count_if(
        entries.begin(), entries.end(),
        [outcome](const EntryReport& entry) { return entry.outcome == outcome; }));
}

BackupPage BackupPageOf(const MainWindowState& window) {
    switch (window.view) {
        case ActiveView::Services: return {BackupPageKind::Services, window.pageTitle};
        case ActiveView::Drivers: return {BackupPageKind::Drivers, window.pageTitle};
        case ActiveView::StartupEntries:
        case ActiveView::InternetExplorerAddOns:
            return {BackupPageKind::TitledList, window.pageTitle};
        case ActiveView::RegistryResults:
            // The scan leaves scan mode on until the next view reset; a search or an
            // inventory fills the same list without it.
            if (window.scanMode) return {BackupPageKind::RegistryCleaner, window.pageTitle};
            if (window.softwareInventory) {
                return {BackupPageKind::ApplicationSettings, window.pageTitle};
            }
            return {BackupPageKind::Other, window.pageTitle};
        default: return {BackupPageKind::Other, window.pageTitle};
    }
}

bool SkippedByExport(std::string_view storedText) {
    const std::string_view firstField = storedText.substr(0, storedText.find('|'));
    if (firstField >= "2") return true;
    const ScanEntry entry = ParseScanEntry(storedText);
    if (!entry.root) return true;
    return EndsWithNoCase(entry.valueName, ".lnk") && entry.data.empty();
}

DeleteCommands::DeleteCommands(Platform& platform, RegistryContext& registry,
                               MainWindowState& window, ResultList& results, Prompts& prompts,
                               std::string backupFolder)
    : platform_(platform),
      registry_(registry),
      window_(window),
      results_(results),
      prompts_(prompts),
      backupFolder_(std::move(backupFolder)) {}

bool DeleteCommands::ToolListActive() const {
    switch (window_.view) {
        case ActiveView::StartupEntries:
        case ActiveView::Services:
        case ActiveView::Drivers:
        case ActiveView::InternetExplorerAddOns:
        case ActiveView::ChromeExtensions: return true;
        default: return false;
    }
}

// Chrome extensions are folders sent to the recycle bin, which keeps them.
bool DeleteCommands::BackupMade() const {
    return ckBack && window_.view != ActiveView::ChromeExtensions;
}

std::vector<EntryReport> DeleteCommands::SelectedEntries() const {
    std::vector<EntryReport> entries;
    for (const ResultRow& row : results_.Rows()) {
        if (!row.selected) continue;
        EntryReport& entry = entries.emplace_back();
        entry.text = row.text;
        entry.entry = ParseScanEntry(row.text);
        entry.detail = row.detail;
        entry.deletion = ClassifyDeletion(entry.entry, texts.defaultValue);
    }
    return entries;
}

std::optional<std::string> DeleteCommands::ChooseBackupPath() {
    FileSystemPort& fileSystem = platform_.fileSystem;
    const LocalDateTime now = platform_.clock.Now();
    const std::string date = BackupDateText(platform_.clock, now);
    const std::string time = BackupTimeText(platform_.clock, now);
    const std::string proposed =
        BackupFileName(page ? *page : BackupPageOf(window_), date, time, backupFolder_);
    // The dialog proposes a name that is free, so that keeping it keeps the earlier backup.
    std::optional<std::string> free = UniqueBackupPath(fileSystem, proposed, date, time);
    if (!free) return std::nullopt;
    if (autoMode) return free;
    std::string edited = prompts_.AskName(kNameDialogCaption, texts.nameLabel,
                                          BackupFileNamePart(*free));
    return UniqueBackupPath(fileSystem, BackupPathFromDialog(*free, edited, backupFolder_), date,
                            time);
}

std::optional<BackupContents> DeleteCommands::WriteBackup(
    CommandReport& report, const std::function<void(RegExportWriter&)>& exportAll) {
    FileSystemPort& fileSystem = platform_.fileSystem;
    std::optional<std::string> path = ChooseBackupPath();
    if (!path) {
        report.backup = BackupOutcome::NoFreeName;
        report.backupError = "every backup file name tried exists";
        return std::nullopt;
    }
    report.backupPath = *path;

    RegExportWriter writer(registry_, fileSystem);
    if (!writer.BeginExportFile(*path)) {
        report.backup = BackupOutcome::CannotCreate;
        report.backupError = "the file cannot be created";
        return std::nullopt;
    }
    exportAll(writer);
    Status ended = writer.EndExportFile();
    if (!ended) {
        report.backup = BackupOutcome::WriteFailed;
        report.backupError = ended.error().Describe();
        // Half a backup would be listed among the backups and restore part of what it names;
        // nothing was deleted, so nothing needs it.
        (void)fileSystem.DeleteFile(*path);
        return std::nullopt;
    }
    // A failed compaction leaves the file as written, which restores the same.
    report.compacted =
        CompactExportFile(fileSystem, platform_.environment.AnsiCodePage(), *path).ok();

    // What decides each deletion is the file as it reads back from the disk.
    Result<BackupContents> contents = BackupContents::Read(registry_, fileSystem, *path);
    if (!contents) {
        report.backup = BackupOutcome::WriteFailed;
        report.backupError = "the written file cannot be read back: " + contents.error().Describe();
        return std::nullopt;
    }
    report.backup = BackupOutcome::Written;
    return std::move(contents).value();
}

void DeleteCommands::ShowCount() {
    window_.total = results_.CountText();
    window_.root = results_.CountText();
}

void DeleteCommands::DeleteResultEntries(CommandReport& report, const BackupContents* backup) {
    // From the last entry to the first, so that a removed row leaves the rows above in place.
    for (auto it = report.entries.rbegin(); it != report.entries.rend(); ++it) {
        prompts_.PumpEvents();
        EntryReport& entry = *it;
        if (backup != nullptr && !backup->HoldsEntry(registry_, entry.entry, texts.defaultValue)) {
            entry.reason = ResultEntryExists(registry_, entry.entry, texts.defaultValue)
                               ? NotDeletedReason::NotInBackup
                               : NotDeletedReason::Missing;
        } else {
            switch (DeleteResultEntry(registry_, entry.entry, texts.defaultValue)) {
                case DeletionOutcome::Deleted: entry.reason = NotDeletedReason::None; break;
                case DeletionOutcome::Missing: entry.reason = NotDeletedReason::Missing; break;
                case DeletionOutcome::Failed: entry.reason = NotDeletedReason::Refused; break;
            }
        }
        const bool deleted = entry.reason == NotDeletedReason::None;
        entry.outcome = deleted ? EntryOutcome::Deleted : EntryOutcome::NotDeleted;
        // The row is found again by its text: the window may have redrawn the list meanwhile.
        if (std::optional<std::size_t> row = results_.FindRow(entry.text)) {
            if (deleted) {
                results_.RemoveRow(*row);
            } else {
                results_.MarkNotDeleted(*row);
            }
        }
        ShowCount();
    }
}

CommandReport DeleteCommands::MnuDelClick() {
    CommandReport report;
    if (running_) return report;
    RunningFlag running(running_);

    const bool tools = ToolListActive();
    if (tools) {
        if (toolList == nullptr || !toolList->HasSelection()) return report;
    } else {
        report.entries = SelectedEntries();
        if (report.entries.empty()) return report;
    }

    if (!autoMode) {
        const bool confirmed = IsServicePage(window_.view)
                                   ? prompts_.Confirm(kServiceCaption, texts.confirmDeleteService)
                                   : prompts_.Confirm(kConfirmationCaption, texts.confirmDelete);
        if (!confirmed) {
            report.cancelled = true;
            report.entries.clear();
            return report;
        }
    }
    report.ran = true;

    std::optional<BackupContents> backup;
    if (BackupMade()) {
        backup = WriteBackup(report, [&](RegExportWriter& writer) {
            if (tools) {
                toolList->ExportSelected(writer);
                return;
            }
            // In the order the deletions run: the last entry's section comes first.
            for (auto it = report.entries.rbegin(); it != report.entries.rend(); ++it) {
                prompts_.PumpEvents();
                ExportResultEntry(writer, it->entry, texts.defaultValue);
            }
        });
        if (!backup) {
            // Nothing is deleted without its backup; the list stays as it was.
            for (EntryReport& entry : report.entries) {
                entry.outcome = EntryOutcome::NotDeleted;
                entry.reason = NotDeletedReason::BackupFailed;
            }
            return report;
        }
    }

    const BackupContents* contents = backup ? &*backup : nullptr;
    if (tools) {
        toolList->DeleteSelected(contents);
        return report;
    }
    DeleteResultEntries(report, contents);
    return report;
}

CommandReport DeleteCommands::PlanMnuDelClick() {
    CommandReport report;
    if (running_ || ToolListActive()) return report;
    report.entries = SelectedEntries();
    if (report.entries.empty()) return report;
    report.ran = true;
    if (BackupMade()) {
        std::optional<std::string> path = ChooseBackupPath();
        if (path) {
            report.backupPath = *path;
        } else {
            report.backup = BackupOutcome::NoFreeName;
            report.backupError = "every backup file name tried exists";
        }
    }
    return report;
}

CommandReport DeleteCommands::MnuExpClick() {
    CommandReport report;
    if (running_) return report;
    RunningFlag running(running_);

    const bool tools = ToolListActive();
    if (tools) {
        if (toolList == nullptr || !toolList->HasSelection()) return report;
    } else {
        report.entries = SelectedEntries();
        if (report.entries.empty()) return report;
    }
    report.ran = true;

    FileSystemPort& fileSystem = platform_.fileSystem;
    std::optional<std::string> path = ChooseBackupPath();
    if (!path) {
        report.backup = BackupOutcome::NoFreeName;
        report.backupError = "every export file name tried exists";
        return report;
    }
    report.backupPath = *path;
    RegExportWriter writer(registry_, fileSystem);
    if (!writer.BeginExportFile(*path)) {
        report.backup = BackupOutcome::CannotCreate;
        report.backupError = "the file cannot be created";
        return report;
    }

    if (tools) {
        toolList->ExportSelected(writer);
    } else {
        const bool servicePage = IsServicePage(window_.view);
        for (EntryReport& entry : report.entries) {
            if (SkippedByExport(entry.text)) {
                entry.outcome = EntryOutcome::Skipped;
                continue;
            }
            std::string_view valueName = entry.entry.valueName;
            if (valueName == texts.defaultValue || servicePage) valueName = {};
            writer.ExportKey(*entry.entry.root, entry.entry.keyPath, valueName);
            entry.outcome = EntryOutcome::Exported;
        }
    }

    Status ended = writer.EndExportFile();
    if (!ended) {
        // Not "Export Done !": the file does not hold what was asked for.
        report.backup = BackupOutcome::WriteFailed;
        report.backupError = ended.error().Describe();
        (void)fileSystem.DeleteFile(*path);
        return report;
    }
    report.compacted =
        CompactExportFile(fileSystem, platform_.environment.AnsiCodePage(), *path).ok();
    report.backup = BackupOutcome::Written;
    if (!autoMode) prompts_.ShowMessage(kConfirmationCaption, texts.exportDone);
    return report;
}

}  // namespace kestrover
