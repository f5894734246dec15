// kestrover-cli backups: list, view, restore and delete the backups of the data folder.
#include "cli/BackupsCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>

#include "app/BackupsPage.h"
#include "app/ListColumnSort.h"
#include "app/MainWindowState.h"
#include "cli/CliPrompts.h"
#include "cli/Commands.h"
#include "cli/DataFolder.h"
#include "core/Text.h"
#include "registry/RegExportReader.h"
#include "registry/RegistryProvider.h"
#include "repair/BackupStore.h"

namespace kestrover::cli {

namespace {

constexpr std::string_view kBackupFolderName = "Backup\\";

RegistryContext ContextOf(Platform& platform) {
    return RegistryContext{
        platform.registry,
        ViewFlagsFromArchitecture(platform.environment.OperatingSystemArchitecture()),
        &platform.environment.AnsiCodePage()};
}

// A backup file as the command reaches it.
struct BackupTarget {
    FileSystemPort* fileSystem = nullptr;
    std::string path;
};

// A host path outside the machine the ports show: where the Linux build finds files the
// user names by their own path.
bool IsHostPath(std::string_view name) {
#ifdef _WIN32
    (void)name;
    return false;
#else
    return !name.empty() && name.front() == '/';
#endif
}

// The file a name gives: a file of the backup folder, or the full path the user typed. A name
// that could reach outside the backup folder is refused.
Result<BackupTarget> TargetOf(NativePlatform& native, const BackupStore& store,
                              const std::string& name) {
    FileSystemPort& files = native.Ports().fileSystem;
    if (IsFullWindowsPath(name)) return BackupTarget{&files, name};
    if (IsHostPath(name)) {
        auto located = native.LocateCommandLineFile(name);
        if (!located) return located.error();
        return BackupTarget{located->fileSystem, located->path};
    }
    auto path = store.PathOfName(name);
    if (!path) return path.error();
    return BackupTarget{&files, *path};
}

// Why a name was refused, or what went wrong.
std::string Reason(const Error& error) {
    return error.code == ErrorCode::InvalidData && !error.context.empty() ? error.context
                                                                          : error.Describe();
}

std::string IsoLocalTime(const ClockPort& clock, std::uint64_t fileTime) {
    const LocalDateTime time = clock.ToLocal(fileTime);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return text;
}

std::string Padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

int ListBackups(NativePlatform& native, const std::string& folder, const BackupsOptions& options,
                Prompts& prompts, std::ostream& out) {
    Platform platform = native.Ports();
    RegistryContext context = ContextOf(platform);
    MainWindowState window;
    ListColumnSort listSort;
    BackupsPage page(platform, context, window, listSort, prompts, folder);
    page.btBackClick();  // newest first, as the page shows them
    const std::vector<BackupRow>& rows = page.Rows();

    if (options.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const BackupRow& row : rows) {
            list.push_back({
                {"name", row.file.name},
                {"path", folder + row.file.name},
                {"date", row.file.dateText},
                {"size", row.file.sizeText},
                {"size_bytes", row.file.size},
                {"modified", IsoLocalTime(platform.clock, row.file.lastWriteTime)},
                {"last_write_time", row.file.lastWriteTime},
            });
        }
        out << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        return 0;
    }
    if (rows.empty()) {
        out << "No backups in " << folder << "\n";
        return 0;
    }
    std::size_t nameWidth = 4;
    std::size_t dateWidth = 4;
    for (const BackupRow& row : rows) {
        nameWidth = std::max(nameWidth, row.file.name.size());
        dateWidth = std::max(dateWidth, row.file.dateText.size());
    }
    out << Padded("Name", nameWidth) << "  " << Padded("Date", dateWidth) << "  Size\n";
    for (const BackupRow& row : rows) {
        out << Padded(row.file.name, nameWidth) << "  " << Padded(row.file.dateText, dateWidth)
            << "  " << row.file.sizeText << "\n";
    }
    out << rows.size() << (rows.size() == 1 ? " backup" : " backups") << " in " << folder << "\n";
    return 0;
}

int LoadBackup(NativePlatform& native, const BackupStore& store, const BackupsOptions& options,
               std::ostream& out, std::ostream& err) {
    const LoadMode mode =
        options.action == BackupsAction::Restore ? LoadMode::Restore : LoadMode::ViewOnly;
    std::string name;
    if (options.last) {
        if (!options.names.empty()) {
            err << "kestrover-cli: give a backup's name or --last, not both\n";
            return 2;
        }
        const std::optional<BackupFile> newest = NewestBackup(store.List());
        if (!newest) {
            err << "kestrover-cli: no backups in " << store.Folder() << "\n";
            return 1;
        }
        name = newest->name;
    } else if (options.names.size() == 1) {
        name = options.names.front();
    } else {
        err << "kestrover-cli: name one backup" << (mode == LoadMode::Restore ? " (or --last)" : "")
            << "\n";
        return 2;
    }

    auto target = TargetOf(native, store, name);
    if (!target) {
        err << "kestrover-cli: " << Reason(target.error()) << "\n";
        return 2;
    }
    if (!target->fileSystem->FileExists(target->path)) {
        err << "kestrover-cli: no such backup: " << target->path << "\n";
        return 1;
    }
    Platform platform = native.Ports();
    RegistryContext context = ContextOf(platform);
    RegExportReader reader(context, *target->fileSystem);
    out << (mode == LoadMode::Restore ? "Restoring " : "Backup ") << target->path << "\n";
    Status loaded = reader.LoadExportFile(target->path, mode);
    if (!loaded) {
        err << "kestrover-cli: " << target->path << ": cannot be read ("
            << loaded.error().Describe() << ")\n";
        return 1;
    }
    PrintTree(reader.Nodes(), mode, out);
    return RestoreExitCode(reader, mode, err);
}

int DeleteBackups(NativePlatform& native, const BackupStore& store, const BackupsOptions& options,
                  Prompts& prompts, std::ostream& out, std::ostream& err) {
    if (options.names.empty()) {
        err << "kestrover-cli: name the backups to delete\n";
        return 2;
    }
    // Every name is checked before anything is deleted.
    std::vector<BackupTarget> targets;
    for (const std::string& name : options.names) {
        auto target = TargetOf(native, store, name);
        if (!target) {
            err << "kestrover-cli: " << Reason(target.error()) << "\n";
            return 2;
        }
        // This command deletes backups, never any other file a full path may name.
        if (!EndsWithNoCase(target->path, ".reg")) {
            err << "kestrover-cli: " << name << " is not a backup (\".reg\") file\n";
            return 2;
        }
        targets.push_back(std::move(*target));
    }

    int status = 0;
    std::vector<BackupTarget> existing;
    std::string list;
    for (BackupTarget& target : targets) {
        if (!target.fileSystem->FileExists(target.path)) {
            err << "kestrover-cli: no such backup: " << target.path << "\n";
            status = 1;
            continue;
        }
        const bool repeated =
            std::any_of(existing.begin(), existing.end(), [&](const BackupTarget& seen) {
                return seen.fileSystem == target.fileSystem && EqualsNoCase(seen.path, target.path);
            });
        if (repeated) continue;
        list += "\n  " + target.path;
        existing.push_back(std::move(target));
    }
    if (existing.empty()) return status;

    const BackupsPageTexts texts;
    if (!prompts.Confirm(texts.deleteCaption, texts.confirmDelete + list)) {
        err << "kestrover-cli: nothing deleted (answer the question, or give --yes)\n";
        return 1;
    }
    // From the last to the first, as the page walks its list.
    for (auto target = existing.rbegin(); target != existing.rend(); ++target) {
        Status deleted = target->fileSystem->DeleteFile(target->path);
        if (deleted) {
            out << "Deleted " << target->path << "\n";
            continue;
        }
        err << "kestrover-cli: " << target->path << " cannot be deleted ("
            << deleted.error().Describe() << ")\n";
        status = 1;
    }
    return status;
}

}  // namespace

int RunBackups(NativePlatform& native, std::string_view dataFolder, const BackupsOptions& options,
               Prompts& prompts, std::ostream& out, std::ostream& err) {
    const std::string folder = std::string(dataFolder) + std::string(kBackupFolderName);
    Platform platform = native.Ports();
    const BackupStore store(platform.fileSystem, platform.clock, folder);
    switch (options.action) {
        case BackupsAction::List:
            return ListBackups(native, folder, options, prompts, out);
        case BackupsAction::View:
        case BackupsAction::Restore:
            return LoadBackup(native, store, options, out, err);
        case BackupsAction::Delete:
            return DeleteBackups(native, store, options, prompts, out, err);
    }
    return 2;
}

void BackupsCommandLine::AddTo(CLI::App& app) {
    backups_ = app.add_subcommand(
        "backups", "List, view, restore or delete the backups written before every deletion");
    backups_->require_subcommand(1);
    constexpr const char* kNameHelp =
        "A file in the backup folder (\".reg\" may be left out), or a full path";

    list_ = backups_->add_subcommand("list", "List the backups, newest first: name, date, size");
    list_->add_flag("--json", options_.json,
                    "Print a JSON array with the size in bytes and the time of each file");

    view_ =
        backups_->add_subcommand("view", "Show the keys and values of a backup (changes nothing)");
    view_->add_option("name", name_, kNameHelp)->required();

    restore_ = backups_->add_subcommand(
        "restore", "Write a backup back into the registry and show what happened to each key");
    CLI::Option* name = restore_->add_option("name", name_, kNameHelp);
    CLI::Option* last = restore_->add_flag(
        "--last", options_.last, "The newest backup: undoes the last clean in one command");
    name->excludes(last);

    delete_ = backups_->add_subcommand("delete", "Delete backup files (permanently)");
    delete_->add_option("names", options_.names, kNameHelp)->required();
    delete_->add_flag("--yes,-y", yes_, "Delete without asking");
}

bool BackupsCommandLine::Chosen() const { return backups_ != nullptr && backups_->parsed(); }

int BackupsCommandLine::Run(NativePlatform& native, std::string_view dataDirOption,
                            std::ostream& out, std::ostream& err) {
    if (list_->parsed()) options_.action = BackupsAction::List;
    if (view_->parsed()) options_.action = BackupsAction::View;
    if (restore_->parsed()) options_.action = BackupsAction::Restore;
    if (delete_->parsed()) options_.action = BackupsAction::Delete;
    if (options_.action == BackupsAction::View || options_.action == BackupsAction::Restore) {
        options_.names.clear();
        if (!name_.empty()) options_.names.push_back(name_);
    }
    Result<std::string> dataFolder = OpenDataFolder(native, dataDirOption);
    if (!dataFolder) {
        err << "kestrover-cli: " << dataFolder.error().Describe() << "\n";
        return 2;
    }
    CliPrompts prompts(CliPrompts::ModeFor(yes_), std::cin, err);
    return RunBackups(native, *dataFolder, options_, prompts, out, err);
}

}  // namespace kestrover::cli
