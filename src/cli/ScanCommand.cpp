// kestrover-cli scan and inventory.
#include "cli/ScanCommand.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "app/PathVariables.h"
#include "core/Text.h"
#include "platform/NativePlatform.h"
#include "registry/RegRoot.h"
#include "scanner/FileReference.h"
#include "scanner/RegistryScanRules.h"
#include "scanner/ResultList.h"
#include "scanner/ScanDriver.h"
#include "scanner/ScanEntry.h"
#include "scanner/SoftwareRules.h"

namespace kestrover::cli {

namespace {

// Ctrl+C stops the scan at the next value or subkey; what was found is still printed.
std::atomic<ScanDriver*> g_runningScan{nullptr};

extern "C" void OnInterrupt(int) {
    if (ScanDriver* driver = g_runningScan.load()) driver->StopScan();
}

bool ParseRoots(const std::string& text, ScanSelection& selection, std::ostream& err) {
    selection = ScanSelection{false, false, false, false, selection.comClasses};
    for (const std::string& part : Split(text, ',')) {
        std::string root = AsciiLower(Trim(part));
        if (root == "cr" || root == "hkcr") {
            selection.classesRoot = true;
        } else if (root == "cu" || root == "hkcu") {
            selection.currentUser = true;
        } else if (root == "lm" || root == "hklm") {
            selection.localMachine = true;
        } else if (root == "u" || root == "hku") {
            selection.users = true;
        } else if (!root.empty()) {
            err << "kestrover-cli: unknown root \"" << part << "\" (use cr, cu, lm, u)\n";
            return false;
        }
    }
    // The CLSID behind an unused file type is looked for in the classes root pass.
    if (!selection.classesRoot) selection.comClasses = false;
    return true;
}

RegistryContext ContextOf(Platform& platform) {
    return RegistryContext{
        platform.registry,
        ViewFlagsFromArchitecture(platform.environment.OperatingSystemArchitecture()),
        &platform.environment.AnsiCodePage()};
}

Wow64Redirection RedirectionOf(Platform& platform) {
    return platform.environment.IsWow64Redirected() ? Wow64Redirection::On : Wow64Redirection::Off;
}

}  // namespace

int ScanRegistry(Platform& platform, const ScanCommandOptions& options, std::ostream& out,
                 std::ostream& err) {
    ScanSelection selection;
    selection.comClasses = !options.noCom;
    if (!ParseRoots(options.roots, selection, err)) return 2;

    RegistryContext registry = ContextOf(platform);
    PathVariables variables = FillPathVariables(platform.environment, platform.fileSystem, registry);
    RegistryScanRules rules(platform.fileSystem, ToKnownFolders(variables), RedirectionOf(platform));
    ResultList results(registry);

    const bool progress = !options.json && StandardErrorIsTerminal();
    std::int64_t maximum = 0;
    std::string status;
    ScanCallbacks callbacks;
    callbacks.showStatus = [&](std::string_view text) { status = text; };
    callbacks.setProgressMaximum = [&](std::int64_t value) { maximum = value; };
    callbacks.setProgressPosition = [&](std::int64_t position) {
        if (!progress || maximum <= 0) return;
        std::fprintf(stderr, "\r%-40s %3d%%", status.c_str(),
                     static_cast<int>(std::min<std::int64_t>(100, position * 100 / maximum)));
        std::fflush(stderr);
    };
    callbacks.buildLocalDrives = [&] { return BuildLocalDrives(platform.fileSystem); };
    callbacks.nowMilliseconds = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    ScanDriver driver(ScanEnvironment{registry, platform.fileSystem, results, rules,
                                      options.dataFolder, &platform.environment.AnsiCodePage()},
                      callbacks);

    g_runningScan.store(&driver);
    auto previous = std::signal(SIGINT, OnInterrupt);
    ScanReport report = driver.GoClean(selection);
    std::signal(SIGINT, previous);
    g_runningScan.store(nullptr);
    if (progress) std::fprintf(stderr, "\r%-46s\r", "");

    const CategoryTexts texts = CategoryTexts::Defaults();
    if (options.json) {
        nlohmann::json findings = nlohmann::json::array();
        for (const ResultRow& row : results.Rows()) {
            ScanEntry entry = ParseScanEntry(row.text);
            CategoryAppearance appearance = DescribeCategory(entry.category, texts);
            findings.push_back({
                {"root", entry.rootName},
                {"key", entry.keyPath},
                {"value", entry.hasValue ? nlohmann::json(entry.valueName) : nlohmann::json()},
                {"data", entry.hasData ? nlohmann::json(entry.data) : nlohmann::json()},
                {"category", entry.category},
                {"category_text", appearance.text},
                {"rule", row.detail.rule},
                {"tested_path", row.detail.testedPath.empty()
                                    ? nlohmann::json()
                                    : nlohmann::json(row.detail.testedPath)},
            });
        }
        out << findings.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        return 0;
    }

    // Grouped by category, in category order, each finding in walk order.
    std::map<int, std::vector<const ResultRow*>> groups;
    for (const ResultRow& row : results.Rows()) {
        groups[ParseScanEntry(row.text).category].push_back(&row);
    }
    for (const auto& [category, rows] : groups) {
        CategoryAppearance appearance = DescribeCategory(category, texts);
        out << (appearance.hasLine ? appearance.text : std::string("(no category)")) << " ("
            << rows.size() << ")\n";
        for (const ResultRow* row : rows) {
            ScanEntry entry = ParseScanEntry(row->text);
            out << "  " << entry.rootName << "\\" << entry.keyPath;
            if (entry.hasValue) {
                out << "  [" << (entry.valueName.empty() ? "(default)" : entry.valueName) << "]";
            }
            if (entry.hasData) out << " = " << entry.data;
            out << "\n";
            if (!row->detail.testedPath.empty()) {
                out << "      missing: " << row->detail.testedPath << "\n";
            }
        }
        out << "\n";
    }
    out << results.Rows().size() << " findings in " << report.elapsedText
        << (report.stopped ? " (stopped)" : "") << "\n";
    return 0;
}

int ListInventory(Platform& platform, const ScanCommandOptions& options, std::ostream& out,
                  std::ostream& err) {
    (void)err;
    RegistryContext registry = ContextOf(platform);
    ResultList results(registry);
    SoftwareKeyInventory(registry, results, InventoryCallbacks{});
    if (options.json) {
        nlohmann::json entries = nlohmann::json::array();
        for (const ResultRow& row : results.Rows()) {
            ScanEntry entry = ParseScanEntry(row.text);
            entries.push_back({{"root", entry.rootName},
                               {"key", entry.keyPath},
                               {"info", entry.inventoryText.value_or("")}});
        }
        out << entries.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        return 0;
    }
    for (const ResultRow& row : results.Rows()) {
        ScanEntry entry = ParseScanEntry(row.text);
        out << entry.rootName << "\\" << entry.keyPath;
        if (entry.inventoryText && !entry.inventoryText->empty()) {
            out << "  (" << *entry.inventoryText << ")";
        }
        out << "\n";
    }
    out << results.Rows().size() << " software keys\n";
    return 0;
}

}  // namespace kestrover::cli
