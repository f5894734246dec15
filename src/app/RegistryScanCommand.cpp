// The "GO !" and stop buttons of the registry-cleaning page.
#include "app/RegistryScanCommand.h"

#include <chrono>

#include "scanner/FileReference.h"
#include "scanner/RegistryScanRules.h"

namespace kestrover {

RegistryScanCommand::RegistryScanCommand(Platform& platform, RegistryContext& registry,
                                         MainWindowState& window, ResultList& results,
                                         const PathVariables& pathVariables,
                                         std::string dataFolder)
    : platform_(platform),
      registry_(registry),
      window_(window),
      results_(results),
      pathVariables_(pathVariables),
      dataFolder_(std::move(dataFolder)) {}

RegistryScanCommand::~RegistryScanCommand() = default;

ScanReport RegistryScanCommand::GoClean(const ScanOptions& options, bool showEachKey) {
    // The search box is cleared, the view reset (which clears the stop flag) and the result
    // list shown; the window is busy until the scan ends.
    window_.searchText.clear();
    window_.ResetView();
    results_.ResetView();
    window_.view = ActiveView::RegistryResults;
    window_.resultListVisible = true;
    window_.stopButtonVisible = true;
    window_.DisableAllButtons();
    window_.scanMode = true;
    window_.searchBoxEnabled = false;
    window_.searchProtectedKeys = false;
    window_.progressVisible = true;
    window_.status.text = "Analyzing ...";

    Wow64Redirection redirection =
        platform_.environment.IsWow64Redirected() ? Wow64Redirection::On : Wow64Redirection::Off;
    RegistryScanRules rules(platform_.fileSystem, ToKnownFolders(pathVariables_), redirection);
    ScanCallbacks callbacks;
    callbacks.showStatus = [this](std::string_view text) { window_.status.text = text; };
    callbacks.setProgressMaximum = [this](std::int64_t value) { window_.progressMaximum = value; };
    callbacks.setProgressPosition = [this](std::int64_t value) { window_.progressPosition = value; };
    callbacks.pumpMessages = [this] {
        if (pumpMessages) pumpMessages();
        if (window_.stopRequested && running_) running_->StopScan();
    };
    callbacks.buildLocalDrives = [this] { return BuildLocalDrives(platform_.fileSystem); };
    callbacks.nowMilliseconds = nowMilliseconds ? nowMilliseconds : [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    ScanDriver driver(ScanEnvironment{registry_, platform_.fileSystem, results_, rules, dataFolder_,
                                      &platform_.environment.AnsiCodePage()},
                      callbacks);
    driver.SetShowEachKey(showEachKey);
    // The stop button reaches the driver only while it runs, even when the scan throws.
    struct RunningDriver {
        ScanDriver*& slot;
        ~RunningDriver() { slot = nullptr; }
    } running{running_};
    running_ = &driver;
    ScanSelection selection = options.Selection();
    if (Result<std::string> sid = platform_.security.CurrentUserSid()) {
        selection.currentUserSid = std::move(*sid);
    }
    ScanReport report = driver.GoClean(selection);
    running_ = nullptr;

    // The end: the elapsed time in the status line, the list's count, the window free again.
    window_.status.text = report.elapsedText;
    window_.total = results_.CountText();
    window_.root = results_.CountText();
    window_.searchBoxEnabled = true;
    window_.progressVisible = false;
    window_.EnableAllButtons();
    window_.stopButtonVisible = false;
    window_.progressPosition = 0;
    return report;
}

void RegistryScanCommand::StopScan() {
    window_.stopRequested = true;
    if (running_) running_->StopScan();
    window_.searchBoxEnabled = true;
    window_.EnableAllButtons();
}

}  // namespace kestrover
