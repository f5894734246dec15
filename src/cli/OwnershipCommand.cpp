// kestrover-cli take-ownership.
#include "cli/OwnershipCommand.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <nlohmann/json.hpp>

#include "app/TakeOwnershipCommand.h"
#include "cli/CliPrompts.h"
#include "registry/RegRoot.h"
#include "scanner/ResultList.h"

namespace kestrover::cli {

namespace {

constexpr std::string_view kProtectedMarker = "²²100";

}  // namespace

int RunTakeOwnership(Platform& platform, const OwnershipOptions& options, Prompts& prompts,
                     std::ostream& out, std::ostream& err) {
    std::optional<RegPath> key = ParseKeyPath(options.key, RootNames::FullOrShort);
    std::optional<int> rootIndex = key ? RootIndex(key->root) : std::nullopt;
    if (!key || !rootIndex) {
        err << "kestrover-cli: \"" << options.key << "\" names no registry key (ROOT\\PATH)\n";
        return 2;
    }
    RegistryContext registry{
        platform.registry,
        ViewFlagsFromArchitecture(platform.environment.OperatingSystemArchitecture()),
        &platform.environment.AnsiCodePage()};
    // The key as the protected-keys list holds it, selected, as the menu item finds it.
    ResultList results(registry);
    CategoryFlags flags;
    if (!results.AddScanEntry(key->path + std::string(kProtectedMarker), *rootIndex, flags, {})) {
        err << "kestrover-cli: \"" << options.key << "\" cannot be named in the list\n";
        return 2;
    }
    results.SelectAll();

    TakeOwnershipReport report = MnuTakeOClick(platform.security, registry.views, results, prompts);
    if (report.cancelled) {
        err << "kestrover-cli: cancelled: nothing was changed\n";
        return 1;
    }
    if (report.error) return 1;  // the message was shown
    const OwnershipEntryReport& entry = report.entries.front();
    const std::string keyText = key->FullText();
    if (options.json) {
        out << nlohmann::json{{"key", keyText},
                              {"applied", entry.applied},
                              {"previous_access_list",
                               entry.applied ? nlohmann::json(entry.previousAccessList)
                                             : nlohmann::json()}}
                   .dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
            << "\n";
    } else if (entry.applied) {
        out << keyText << ": owned by you, full control granted\n"
            << "permissions before: " << entry.previousAccessList << "\n";
    }
    if (!entry.applied) {
        err << "kestrover-cli: the permissions of " << keyText << " could not be changed\n";
        return 1;
    }
    return 0;
}

void OwnershipCommandLine::AddTo(CLI::App& app) {
    command_ = app.add_subcommand(
        "take-ownership",
        "Make yourself the owner of a key and give yourself full control of it and everything "
        "below it");
    command_->add_option("key", options_.key, "ROOT\\PATH, e.g. HKLM\\Software\\Vendor")
        ->required();
    command_->add_flag("--yes,-y", yes_, "Answer the warning with OK");
    command_->add_flag("--json", options_.json, "Print the outcome as JSON");
}

bool OwnershipCommandLine::Chosen() const { return command_ != nullptr && command_->parsed(); }

int OwnershipCommandLine::Run(NativePlatform& native, std::ostream& out, std::ostream& err) {
    CliPrompts prompts(CliPrompts::ModeFor(yes_), std::cin, err);
    Platform ports = native.Ports();
    const int status = RunTakeOwnership(ports, options_, prompts, out, err);
    if (status == 1 && prompts.Declined()) {
        err << "kestrover-cli: take-ownership needs an answer: run it with --yes\n";
    }
    return status;
}

}  // namespace kestrover::cli
