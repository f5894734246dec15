// kestrover-cli clean and export-results.
#include "cli/CleanCommand.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>

#include "app/DeleteCommands.h"
#include "app/MainWindowState.h"
#include "app/PathVariables.h"
#include "app/RegistryScanCommand.h"
#include "app/ScanOptions.h"
#include "cli/CliPrompts.h"
#include "cli/DataFolder.h"
#include "cli/ScanCommand.h"
#include "scanner/ResultList.h"

namespace kestrover::cli {

namespace {

constexpr std::string_view kBackupFolderName = "Backup\\";

// The command line's answers to the two commands' dialogs: the name dialog takes --backup-name
// (or keeps the proposed name) without asking, and messages are left to the command's own
// output; questions go to the command line's prompts.
class CommandLineDialogs final : public Prompts {
public:
    CommandLineDialogs(Prompts& questions, std::string backupName)
        : questions_(questions), backupName_(std::move(backupName)) {}

    PromptAnswer Ask(std::string_view caption, std::string_view text,
                     PromptButtons buttons) override {
        if (buttons == PromptButtons::Ok) return PromptAnswer::Ok;
        return questions_.Ask(caption, text, buttons);
    }
    std::string AskName(std::string_view, std::string_view, std::string_view proposed) override {
        return backupName_.empty() ? std::string(proposed) : backupName_;
    }
    void PumpEvents() override { questions_.PumpEvents(); }

private:
    Prompts& questions_;
    std::string backupName_;
};

RegistryContext ContextOf(Platform& platform) {
    return RegistryContext{
        platform.registry,
        ViewFlagsFromArchitecture(platform.environment.OperatingSystemArchitecture()),
        &platform.environment.AnsiCodePage()};
}

// Everything the two commands run on: the window's state and its list, filled by a scan.
struct ScannedList {
    explicit ScannedList(Platform& platform)
        : registry(ContextOf(platform)), results(registry) {}

    RegistryContext registry;
    MainWindowState window;
    ResultList results;
};

// Runs the "GO !" command and selects the findings asked for; false after saying why.
bool ScanAndSelect(Platform& platform, std::string_view dataFolder, const CleanOptions& options,
                   ScannedList& list, std::ostream& err) {
    ScanOptions boxes;
    if (!ScanBoxesFromRoots(options.roots, options.noCom, boxes, err)) return false;
    PathVariables variables =
        FillPathVariables(platform.environment, platform.fileSystem, list.registry);
    RegistryScanCommand scan(platform, list.registry, list.window, list.results, variables,
                             std::string(dataFolder));
    const bool progress = !options.json && StandardErrorIsTerminal();
    int shownPercent = -1;
    scan.pumpMessages = [&] {
        if (!progress || list.window.progressMaximum <= 0) return;
        int percent = static_cast<int>(std::min<std::int64_t>(
            100, list.window.progressPosition * 100 / list.window.progressMaximum));
        if (percent == shownPercent) return;
        shownPercent = percent;
        std::fprintf(stderr, "\r%-40s %3d%%", list.window.status.text.c_str(), percent);
        std::fflush(stderr);
    };
    scan.GoClean(boxes);
    if (progress) std::fprintf(stderr, "\r%-46s\r", "");

    switch (options.select) {
        case FindingSelection::Green: list.results.SelectAllGreen(); break;
        case FindingSelection::Red: list.results.SelectAllRed(); break;
        case FindingSelection::All: list.results.SelectAll(); break;
    }
    return true;
}

const char* OutcomeText(EntryOutcome outcome) {
    switch (outcome) {
        case EntryOutcome::Planned: return "planned";
        case EntryOutcome::Deleted: return "deleted";
        case EntryOutcome::NotDeleted: return "not deleted";
        case EntryOutcome::Exported: return "exported";
        case EntryOutcome::Skipped: return "skipped";
    }
    return "";
}

const char* ReasonText(NotDeletedReason reason) {
    switch (reason) {
        case NotDeletedReason::None: return "";
        case NotDeletedReason::Missing: return "no longer exists";
        case NotDeletedReason::Refused: return "the registry refused";
        case NotDeletedReason::NotInBackup: return "not in the backup as written";
        case NotDeletedReason::BackupFailed: return "no backup";
    }
    return "";
}

// An entry that counts against the exit status: gone entries are what a clean wants.
bool Failed(const EntryReport& entry) {
    return entry.outcome == EntryOutcome::NotDeleted && entry.reason != NotDeletedReason::Missing;
}

std::string CategoryText(const EntryReport& entry) {
    return DescribeCategory(entry.entry.category, CategoryTexts::Defaults()).text;
}

// One entry as a line: the outcome, the key, the value and data, why it was listed.
void PrintEntry(const EntryReport& entry, std::ostream& out) {
    char outcome[16];
    std::snprintf(outcome, sizeof outcome, "%-12s", OutcomeText(entry.outcome));
    out << outcome << entry.entry.rootName << "\\" << entry.entry.keyPath;
    if (entry.entry.hasValue) {
        out << "  [" << (entry.entry.valueName.empty() ? "(default)" : entry.entry.valueName) << "]";
    }
    if (entry.entry.hasData) out << " = " << entry.entry.data;
    std::string why = CategoryText(entry);
    if (!entry.detail.rule.empty()) why += (why.empty() ? "" : "; ") + entry.detail.rule;
    if (!why.empty()) out << "  (" << why << ")";
    if (entry.reason != NotDeletedReason::None) out << "  - " << ReasonText(entry.reason);
    out << "\n";
}

nlohmann::json EntryJson(const EntryReport& entry) {
    const ScanEntry& parsed = entry.entry;
    return {
        {"root", parsed.rootName},
        {"key", parsed.keyPath},
        {"value", parsed.hasValue ? nlohmann::json(parsed.valueName) : nlohmann::json()},
        {"data", parsed.hasData ? nlohmann::json(parsed.data) : nlohmann::json()},
        {"category", parsed.category},
        {"category_text", CategoryText(entry)},
        {"rule", entry.detail.rule},
        {"tested_path", entry.detail.testedPath.empty() ? nlohmann::json()
                                                        : nlohmann::json(entry.detail.testedPath)},
        {"outcome", OutcomeText(entry.outcome)},
        {"reason", entry.reason == NotDeletedReason::None ? nlohmann::json()
                                                          : nlohmann::json(ReasonText(entry.reason))},
    };
}

void PrintReport(const CommandReport& report, const CleanOptions& options, bool backupAsked,
                 std::ostream& out) {
    const std::size_t deleted = report.Count(EntryOutcome::Deleted);
    const std::size_t notDeleted = report.Count(EntryOutcome::NotDeleted);
    if (options.json) {
        nlohmann::json entries = nlohmann::json::array();
        for (const EntryReport& entry : report.entries) entries.push_back(EntryJson(entry));
        nlohmann::json document = {
            {"dry_run", options.dryRun},
            {"backup", report.backupPath.empty() ? nlohmann::json() : nlohmann::json(report.backupPath)},
            {"backup_error", report.backupError.empty() ? nlohmann::json()
                                                        : nlohmann::json(report.backupError)},
            {"deleted", deleted},
            {"not_deleted", notDeleted},
            {"entries", entries},
        };
        out << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        return;
    }
    if (!backupAsked) {
        out << "Backup file: none (--no-backup)\n";
    } else if (!report.backupPath.empty()) {
        out << "Backup file: " << report.backupPath << "\n";
    }
    for (const EntryReport& entry : report.entries) PrintEntry(entry, out);
    if (options.dryRun) {
        out << report.entries.size() << " entries to delete; dry run: nothing was changed\n";
    } else {
        out << deleted << " deleted, " << notDeleted << " not deleted\n";
    }
}

}  // namespace

int RunClean(Platform& platform, std::string_view dataFolder, const CleanOptions& options,
             Prompts& prompts, std::ostream& out, std::ostream& err) {
    ScannedList list(platform);
    if (!ScanAndSelect(platform, dataFolder, options, list, err)) return 2;

    const std::string backupFolder = std::string(dataFolder) + std::string(kBackupFolderName);
    // The program makes the folder when it starts; a run of the command line does it here.
    if (!options.dryRun && !options.noBackup &&
        !platform.fileSystem.DirectoryExists(backupFolder)) {
        (void)platform.fileSystem.CreateDirectory(backupFolder);
    }
    CommandLineDialogs dialogs(prompts, options.backupName);
    DeleteCommands commands(platform, list.registry, list.window, list.results, dialogs,
                            backupFolder);
    commands.ckBack = !options.noBackup;

    if (list.results.SelectedCount() == 0) {
        if (options.json) {
            PrintReport(CommandReport{}, options, !options.noBackup, out);
        } else {
            out << "Nothing to clean: " << list.results.RowCount()
                << " findings, none of them selected\n";
        }
        return 0;
    }
    if (!options.json && !options.dryRun) {
        err << list.results.SelectedCount() << " of " << list.results.RowCount()
            << " findings selected\n";
    }

    CommandReport report = options.dryRun ? commands.PlanMnuDelClick() : commands.MnuDelClick();
    if (report.cancelled) {
        err << "kestrover-cli: cancelled: nothing was deleted\n";
        return 1;
    }
    PrintReport(report, options, !options.noBackup, out);
    if (report.BackupFailed()) {
        err << "kestrover-cli: the backup " << report.backupPath << " could not be written ("
            << report.backupError << "): nothing was deleted\n";
        return 1;
    }
    for (const EntryReport& entry : report.entries) {
        if (Failed(entry)) {
            err << "kestrover-cli: some entries could not be deleted; they are listed as "
                   "\"not deleted\"\n";
            return 1;
        }
    }
    return 0;
}

int RunExportResults(Platform& platform, std::string_view dataFolder, const CleanOptions& options,
                     Prompts& prompts, std::ostream& out, std::ostream& err) {
    ScannedList list(platform);
    if (!ScanAndSelect(platform, dataFolder, options, list, err)) return 2;
    const std::string backupFolder = std::string(dataFolder) + std::string(kBackupFolderName);
    if (!platform.fileSystem.DirectoryExists(backupFolder)) {
        (void)platform.fileSystem.CreateDirectory(backupFolder);
    }
    if (list.results.SelectedCount() == 0) {
        out << "Nothing to export: " << list.results.RowCount()
            << " findings, none of them selected\n";
        return 0;
    }
    CommandLineDialogs dialogs(prompts, options.backupName);
    DeleteCommands commands(platform, list.registry, list.window, list.results, dialogs,
                            backupFolder);
    CommandReport report = commands.MnuExpClick();
    if (report.backup != BackupOutcome::Written) {
        err << "kestrover-cli: the export file " << report.backupPath << " could not be written ("
            << report.backupError << ")\n";
        return 1;
    }
    out << "Exported " << report.Count(EntryOutcome::Exported) << " entries to "
        << report.backupPath;
    if (std::size_t skipped = report.Count(EntryOutcome::Skipped)) {
        out << " (" << skipped << " skipped: shortcut entries without data)";
    }
    out << "\n";
    return 0;
}

void CleanCommandLine::AddTo(CLI::App& app) {
    const std::map<std::string, FindingSelection> selections = {
        {"green", FindingSelection::Green},
        {"red", FindingSelection::Red},
        {"all", FindingSelection::All}};
    auto addCommon = [&](CLI::App* command) {
        command->add_option("--roots", options_.roots,
                            "Root passes to run: cr,cu,lm,u (default all)");
        command->add_flag("--no-com", options_.noCom,
                          "Leave out the COM class (CLSID) behind an unused file type");
        command->add_option("--select", options_.select,
                            "Which findings: green (default: missing files and obsolete "
                            "entries), red (unused types, application paths, COM classes), all")
            ->transform(CLI::CheckedTransformer(selections, CLI::ignore_case));
        command->add_option("--backup-name", options_.backupName,
                            "The file name in the backup folder (\".reg\" is added), instead of "
                            "the page's default; never replaces an existing file");
    };

    clean_ = app.add_subcommand(
        "clean", "Scan, then delete the selected findings after writing them to a backup");
    addCommon(clean_);
    CLI::Option* noBackup = clean_->add_flag(
        "--no-backup", options_.noBackup, "Delete without writing a backup first");
    clean_->get_option("--backup-name")->excludes(noBackup);
    clean_->add_flag("--dry-run", options_.dryRun,
                     "Print what would be deleted and the backup file it would write; change "
                     "nothing");
    clean_->add_flag("--json", options_.json,
                     "Print a JSON document: the backup file and each entry with its rule, "
                     "category and outcome");
    clean_->add_flag("--yes,-y", yes_, "Delete without asking");

    export_ = app.add_subcommand(
        "export-results", "Scan, then write the selected findings to an export file in the "
                          "backup folder (deletes nothing)");
    addCommon(export_);
}

bool CleanCommandLine::Chosen() const {
    return (clean_ != nullptr && clean_->parsed()) || (export_ != nullptr && export_->parsed());
}

int CleanCommandLine::Run(NativePlatform& native, std::string_view dataDirOption,
                          std::ostream& out, std::ostream& err) {
    Result<std::string> dataFolder = OpenDataFolder(native, dataDirOption);
    if (!dataFolder) {
        err << "kestrover-cli: " << dataFolder.error().Describe() << "\n";
        return 2;
    }
    Platform platform = native.Ports();
    CliPrompts prompts(CliPrompts::ModeFor(yes_), std::cin, err);
    if (export_->parsed()) {
        return RunExportResults(platform, *dataFolder, options_, prompts, out, err);
    }
    return RunClean(platform, *dataFolder, options_, prompts, out, err);
}

}  // namespace kestrover::cli
