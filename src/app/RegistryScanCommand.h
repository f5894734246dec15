// The "GO !" button: runs a registry scan into the result list, keeping the main window's
// state as the scan goes (busy state, status line, progress, stop button), and the stop button.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/MainWindowState.h"
#include "app/PathVariables.h"
#include "app/ScanOptions.h"
#include "platform/ports/Platform.h"
#include "registry/RegistryProvider.h"
#include "scanner/ResultList.h"
#include "scanner/ScanDriver.h"

namespace kestrover {

class RegistryScanCommand {
public:
    // dataFolder ends with a backslash; "Exclude.lst" is looked for there.
    RegistryScanCommand(Platform& platform, RegistryContext& registry, MainWindowState& window,
                        ResultList& results, const PathVariables& pathVariables,
                        std::string dataFolder);
    ~RegistryScanCommand();

    // GoClean: the whole scan. showEachKey is the Shift key held when "GO !" was pressed.
    ScanReport GoClean(const ScanOptions& options, bool showEachKey = false);
    // StopScan: the stop button; the walk ends before the next value or subkey and what was
    // found stays in the list.
    void StopScan();

    // Lets the window process pending messages during the walk (the GUI sets it).
    std::function<void()> pumpMessages;
    // The clock, in milliseconds; a steady clock unless a test sets another.
    std::function<std::int64_t()> nowMilliseconds;

private:
    Platform& platform_;
    RegistryContext& registry_;
    MainWindowState& window_;
    ResultList& results_;
    PathVariables pathVariables_;
    std::string dataFolder_;
    ScanDriver* running_ = nullptr;
};

}  // namespace kestrover
