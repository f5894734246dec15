// kestrover-cli search.
#include "cli/SearchCommand.h"

#include <CLI/CLI.hpp>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "app/MainWindowState.h"
#include "app/RegistrySearchCommand.h"
#include "app/SavedTextList.h"
#include "cli/DataFolder.h"
#include "core/Text.h"
#include "scanner/ResultList.h"
#include "scanner/ScanEntry.h"

namespace kestrover::cli {

namespace {

// Ctrl+C stops the search at the next value or subkey; the hits found so far are printed.
std::atomic<bool> g_interrupted{false};

extern "C" void OnSearchInterrupt(int) { g_interrupted.store(true); }

bool ParseRoots(const std::string& text, SearchPage& page, std::ostream& err) {
    page.ckcr = page.ckcu = page.cklm = page.cku = false;
    for (const std::string& part : Split(text, ',')) {
        const std::string root = AsciiLower(Trim(part));
        if (root == "cr" || root == "hkcr") {
            page.ckcr = true;
        } else if (root == "cu" || root == "hkcu") {
            page.ckcu = true;
        } else if (root == "lm" || root == "hklm") {
            page.cklm = true;
        } else if (root == "u" || root == "hku") {
            page.cku = true;
        } else if (!root.empty()) {
            err << "kestrover-cli: unknown root \"" << part << "\" (use cr, cu, lm, u)\n";
            return false;
        }
    }
    return true;
}

// What a row is: a protected key, a key, a value name or a data hit.
std::string_view HitKind(const ScanEntry& entry) {
    if (entry.category == static_cast<int>(ResultCategory::Protected)) return "protected";
    if (entry.hasData) return "data";
    if (entry.hasValue) return "value";
    return "key";
}

std::string KeyText(const ScanEntry& entry) {
    if (entry.keyPath.empty()) return entry.rootName;
    return entry.rootName + "\\" + entry.keyPath;
}

}  // namespace

int RunSearch(Platform& platform, std::string_view dataFolder, const SearchCommandOptions& options,
              std::ostream& out, std::ostream& err) {
    SearchPage page;
    if (!ParseRoots(options.roots, page, err)) return 2;
    if (options.protectedKeys && !options.text.empty()) {
        err << "kestrover-cli: --protected lists the keys you may not change and searches for "
               "no text; leave TEXT out\n";
        return 2;
    }
    if (!options.protectedKeys && options.text.empty()) {
        err << "kestrover-cli: search needs a TEXT (or --protected)\n";
        return 2;
    }
    const bool anyPart = options.keys || options.values || options.data;
    page.ckOK = !anyPart || options.keys;
    page.ckVal = !anyPart || options.values;
    page.ckDon = !anyPart || options.data;
    page.ckOnlyW = options.wholeWord;
    page.ckRoot = !options.noGroup;

    RegistryContext registry{
        platform.registry,
        ViewFlagsFromArchitecture(platform.environment.OperatingSystemArchitecture()),
        &platform.environment.AnsiCodePage()};
    MainWindowState window;
    ResultList results(registry);
    const std::string historyFile =
        dataFolder.empty() ? std::string() : std::string(dataFolder) + "history.txt";
    SavedTextList history;
    if (!historyFile.empty()) {
        history =
            LoadTextList(platform.fileSystem, historyFile, platform.environment.AnsiCodePage());
    }
    RegistrySearchCommand command(platform, registry, window, results, page, history, historyFile);
    if (historyFile.empty()) history.unreadable = true;  // nowhere to keep it: never saved

    const bool progress = !options.json && StandardErrorIsTerminal();
    int shownPercent = -1;
    command.pumpMessages = [&] {
        if (g_interrupted.load()) command.StopScan();
        if (!progress || window.progressMaximum <= 0) return;
        const int percent = static_cast<int>(
            std::min<std::int64_t>(100, window.progressPosition * 100 / window.progressMaximum));
        if (percent == shownPercent) return;
        shownPercent = percent;
        std::fprintf(stderr, "\r%-40s %3d%%", window.status.text.c_str(), percent);
        std::fflush(stderr);
    };

    command.btRechClick();
    command.ckProtectedClick(options.protectedKeys);
    command.FindTChange(options.text);
    g_interrupted.store(false);
    auto previous = std::signal(SIGINT, OnSearchInterrupt);
    SearchCommandReport report = command.cherche1Click();
    std::signal(SIGINT, previous);
    if (progress) std::fprintf(stderr, "\r%-46s\r", "");

    if (options.json) {
        nlohmann::json hits = nlohmann::json::array();
        for (const ResultRow& row : results.Rows()) {
            ScanEntry entry = ParseScanEntry(row.text);
            hits.push_back({
                {"kind", HitKind(entry)},
                {"root", entry.rootName},
                {"key", entry.keyPath},
                {"value", entry.hasValue ? nlohmann::json(entry.valueName) : nlohmann::json()},
                {"data", entry.hasData ? nlohmann::json(entry.data) : nlohmann::json()},
            });
        }
        out << hits.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        return 0;
    }
    for (const ResultRow& row : results.Rows()) {
        ScanEntry entry = ParseScanEntry(row.text);
        char kind[16];
        std::snprintf(kind, sizeof kind, "%-10s", std::string(HitKind(entry)).c_str());
        out << kind << KeyText(entry);
        if (entry.hasValue) out << "  [" << entry.valueName << "]";
        if (entry.hasData) out << " = " << entry.data;
        out << "\n";
    }
    out << results.RowCount() << (results.RowCount() == 1 ? " hit" : " hits")
        << (report.search.stopped ? " (stopped)" : "") << "\n";
    return 0;
}

void SearchCommandLine::AddTo(CLI::App& app) {
    search_ = app.add_subcommand(
        "search",
        "Find the keys, value names and data that hold a text (case ignored, taken "
        "literally), or list the keys you may not change");
    search_->add_option("text", options_.text, "The text to look for");
    search_->add_flag("--keys", options_.keys,
                      "Match key names (with --values and --data: "
                      "only those given; none given: all three)");
    search_->add_flag("--values", options_.values, "Match value names");
    search_->add_flag("--data", options_.data,
                      "Match value data (strings, and binary data as its non-zero bytes)");
    search_->add_flag("--whole-word", options_.wholeWord,
                      "The whole name or data must equal the text");
    search_->add_flag("--no-group", options_.noGroup,
                      "Also list every key below a key whose path holds the text");
    search_->add_option("--roots", options_.roots,
                        "Roots to search: cr,cu,lm,u (default cr,cu,lm)");
    search_->add_flag("--protected", options_.protectedKeys,
                      "List the keys that do not open with full access (the system's own left "
                      "out) instead of searching");
    search_->add_flag("--json", options_.json, "Print the hits as a JSON array");
}

bool SearchCommandLine::Chosen() const { return search_ != nullptr && search_->parsed(); }

int SearchCommandLine::Run(NativePlatform& native, std::string_view dataDirOption,
                           std::ostream& out, std::ostream& err) {
    Result<std::string> dataFolder = OpenDataFolder(native, dataDirOption);
    if (!dataFolder) {
        err << "kestrover-cli: " << dataFolder.error().Describe() << "\n";
        return 2;
    }
    Platform ports = native.Ports();
    return RunSearch(ports, *dataFolder, options_, out, err);
}

}  // namespace kestrover::cli
