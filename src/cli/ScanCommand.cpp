// kestrover-cli scan and inventory.
#include "cli/ScanCommand.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "app/MainWindowState.h"
#include "app/PathVariables.h"
#include "app/RegistryScanCommand.h"
#include "app/ScanOptions.h"
#include "core/Text.h"
#include "platform/NativePlatform.h"
#include "registry/RegRoot.h"
#include "scanner/ResultList.h"
#include "scanner/ScanEntry.h"
#include "scanner/SoftwareRules.h"

namespace kestrover::cli {

namespace {

// Ctrl+C stops the scan at the next value or subkey; what was found is still printed.
std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) { g_interrupted.store(true); }

bool ParseRoots(const std::string& text, ScanSelection& selection, std::ostream& err) {
    selection = ScanSelection{false, false, false, false, selection.comClasses, {}};
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

}  // namespace

bool ScanBoxesFromRoots(const std::string& roots, bool noCom, ScanOptions& boxes,
                        std::ostream& err) {
    ScanSelection selection;
    selection.comClasses = !noCom;
    if (!ParseRoots(roots, selection, err)) return false;
    boxes.SetChecked(ScanBox::clActive, selection.comClasses);
    boxes.SetChecked(ScanBox::clCR, selection.classesRoot);
    boxes.SetChecked(ScanBox::clCU, selection.currentUser);
    boxes.SetChecked(ScanBox::clLM, selection.localMachine);
    boxes.SetChecked(ScanBox::clU, selection.users);
    return true;
}

int ScanRegistry(Platform& platform, const ScanCommandOptions& options, std::ostream& out,
                 std::ostream& err) {
    ScanOptions boxes;
    if (!ScanBoxesFromRoots(options.roots, options.noCom, boxes, err)) return 2;

    // The same "GO !" command the window runs; the terminal plays the window.
    RegistryContext registry = ContextOf(platform);
    PathVariables variables = FillPathVariables(platform.environment, platform.fileSystem, registry);
    MainWindowState window;
    ResultList results(registry);
    RegistryScanCommand command(platform, registry, window, results, variables,
                                options.dataFolder);

    const bool progress = !options.json && StandardErrorIsTerminal();
    int shownPercent = -1;
    command.pumpMessages = [&] {
        if (g_interrupted.load()) command.StopScan();
        if (!progress || window.progressMaximum <= 0) return;
        int percent = static_cast<int>(
            std::min<std::int64_t>(100, window.progressPosition * 100 / window.progressMaximum));
        if (percent == shownPercent) return;
        shownPercent = percent;
        std::fprintf(stderr, "\r%-40s %3d%%", window.status.text.c_str(), percent);
        std::fflush(stderr);
    };

    g_interrupted.store(false);
    auto previous = std::signal(SIGINT, OnInterrupt);
    ScanReport report = command.GoClean(boxes);
    std::signal(SIGINT, previous);
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
