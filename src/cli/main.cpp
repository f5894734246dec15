// kestrover-cli: the command line of Kestrover.
#include <CLI/CLI.hpp>

#include <cctype>
#include <iostream>
#include <string>
#include <vector>

#include "cli/BackupsCommand.h"
#include "cli/CleanCommand.h"
#include "cli/Commands.h"
#include "cli/DataFolder.h"
#include "cli/ExcludeCommand.h"
#include "cli/FavoritesCommand.h"
#include "cli/OwnershipCommand.h"
#include "cli/ScanCommand.h"
#include "cli/SearchCommand.h"
#include "core/Unicode.h"
#include "platform/NativePlatform.h"

namespace kestrover::cli {

int Run(std::vector<std::string> arguments) {
    CLI::App app{"Kestrover: registry cleaner and Windows maintenance tool", "kestrover-cli"};
    app.require_subcommand(1);
    std::vector<std::string> drives;
    app.add_option("--drive", drives,
                   "Linux: map a host folder as a fixed drive, LETTER:=FOLDER (repeatable)")
        ->type_name("L:=DIR");
    std::string registryFile;
    app.add_option("--registry", registryFile,
                   "Linux: keep the registry in this export file: loaded at start, saved back "
                   "when the command changed it")
        ->type_name("FILE.reg");
    std::string dataDir;
    app.add_option("--data-dir", dataDir,
                   "The data folder (backups, exclusion list, settings) instead of the "
                   "executable's folder; on Linux a host folder")
        ->type_name("DIR");

    CommandOptions options;
    CLI::App* info = app.add_subcommand("info", "Show platform facts: architecture, registry views, drives, folders");
    CLI::App* query = app.add_subcommand("query", "List the subkeys and values of a registry key");
    query->add_option("key", options.key, "ROOT\\PATH, e.g. HKLM\\Software")->required();
    query->add_flag("--recursive,-s", options.recursive, "Include every key below it");
    CLI::App* find = app.add_subcommand("find", "List the files matching a mask, e.g. C:\\Windows\\*.exe");
    find->add_option("pattern", options.pattern, "FOLDER\\MASK")->required();
    CLI::App* exportCommand = app.add_subcommand(
        "export", "Write a registry branch to an export file, as backups are written");
    exportCommand->add_option("key", options.key, "ROOT\\PATH, e.g. HKCU\\Software\\Vendor")
        ->required();
    exportCommand->add_option("--value", options.valueName, "Only the values of this name");
    exportCommand->add_option("--out", options.file, "The export file to write")->required();
    CLI::App* view = app.add_subcommand("view", "Show the keys and values of an export file");
    view->add_option("file", options.file, "The export file")->required();
    CLI::App* restore = app.add_subcommand(
        "restore", "Write an export file into the registry and show what was done");
    restore->add_option("file", options.file, "The export file")->required();

    ScanCommandOptions scanOptions;
    CLI::App* scan = app.add_subcommand(
        "scan", "Scan the registry for entries that point at things that no longer exist");
    scan->add_option("--roots", scanOptions.roots, "Root passes to run: cr,cu,lm,u (default all)");
    scan->add_flag("--no-com", scanOptions.noCom,
                   "Leave out the COM class (CLSID) behind an unused file type");
    scan->add_flag("--json", scanOptions.json,
                   "Print the findings as a JSON array, with the rule and the path tested");
    CLI::App* inventory = app.add_subcommand("inventory", "List the software keys (vendors)");
    inventory->add_flag("--json", scanOptions.json, "Print the list as a JSON array");
    BackupsCommandLine backups;
    backups.AddTo(app);
    CleanCommandLine clean;
    clean.AddTo(app);
    ExcludeCommandLine exclude;
    exclude.AddTo(app);
    FavoritesCommandLine favorites;
    favorites.AddTo(app);
    SearchCommandLine search;
    search.AddTo(app);
    OwnershipCommandLine ownership;
    ownership.AddTo(app);

    try {
        // CLI11 wants the arguments without the program name, last first.
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend() - 1);
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        return app.exit(error);
    }

    NativePlatformOptions platformOptions;
    for (const std::string& drive : drives) {
        std::size_t equals = drive.find('=');
        if (equals != 2 || drive[1] != ':' || !std::isalpha(static_cast<unsigned char>(drive[0]))) {
            std::cerr << "kestrover-cli: --drive wants LETTER:=FOLDER, not \"" << drive << "\"\n";
            return 2;
        }
        platformOptions.drives.push_back(DriveMapping{drive[0], drive.substr(equals + 1)});
    }
    if (!registryFile.empty() && !kRegistryFileSupported) {
        std::cerr << "kestrover-cli: --registry keeps a registry in a file on Linux only; on "
                     "Windows the system's registry is used\n";
        return 2;
    }
    platformOptions.registryFile = registryFile;
    auto platform = CreateNativePlatform(platformOptions);
    if (!platform) {
        std::cerr << "kestrover-cli: " << platform.error().Describe() << "\n";
        return 2;
    }
    NativePlatform& native = *platform.value();
    Platform ports = native.Ports();
    int status = 2;
    if (*info) status = ShowInfo(ports, std::cout);
    if (*query) status = QueryKey(ports, options, std::cout, std::cerr);
    if (*find) status = FindFiles(ports, options, std::cout, std::cerr);
    if (*exportCommand) status = ExportBranch(native, options, std::cout, std::cerr);
    if (*view) status = ViewFile(native, options, std::cout, std::cerr);
    if (*restore) status = RestoreFile(native, options, std::cout, std::cerr);
    if (backups.Chosen()) status = backups.Run(native, dataDir, std::cout, std::cerr);
    if (clean.Chosen()) status = clean.Run(native, dataDir, std::cout, std::cerr);
    if (exclude.Chosen()) status = exclude.Run(native, dataDir, std::cout, std::cerr);
    if (favorites.Chosen()) status = favorites.Run(native, dataDir, std::cout, std::cerr);
    if (search.Chosen()) status = search.Run(native, dataDir, std::cout, std::cerr);
    if (ownership.Chosen()) status = ownership.Run(native, std::cout, std::cerr);
    if (*scan || *inventory) {
        // "Exclude.lst" lives in the data folder.
        Result<std::string> dataFolder = OpenDataFolder(native, dataDir);
        if (!dataFolder) {
            std::cerr << "kestrover-cli: " << dataFolder.error().Describe() << "\n";
            return 2;
        }
        scanOptions.dataFolder = *dataFolder;
        status = *scan ? ScanRegistry(ports, scanOptions, std::cout, std::cerr)
                       : ListInventory(ports, scanOptions, std::cout, std::cerr);
    }
    // What a command changed is kept even when it failed half-way, as in the system's registry.
    Status finished = native.Finish();
    if (!finished) {
        std::cerr << "kestrover-cli: " << finished.error().Describe() << "\n";
        return status == 0 ? 1 : status;
    }
    return status;
}

}  // namespace kestrover::cli

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    kestrover::PrepareConsoleForUtf8();
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) {
        std::u16string wide(reinterpret_cast<const char16_t*>(argv[i]));
        arguments.push_back(kestrover::Utf16ToUtf8(wide));
    }
    return kestrover::cli::Run(std::move(arguments));
}
#else
int main(int argc, char** argv) {
    return kestrover::cli::Run(std::vector<std::string>(argv, argv + argc));
}
#endif
