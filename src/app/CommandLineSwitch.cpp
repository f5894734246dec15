// The program's command-line switches.
#include "app/CommandLineSwitch.h"

#include "core/Text.h"

namespace kestrover {

StartRequest ParseCommandLine(std::span<const std::string> arguments) {
    StartRequest request;
    if (arguments.size() != 1) return request;
    const std::string argument = AsciiLower(arguments.front());
    if (argument == "/p") {
        request.view = StartView::ProcessList;
    } else if (argument == "/m") {
        request.view = StartView::Monitor;
    } else if (argument == "/mp") {
        request.view = StartView::Monitor;
        request.monitorFiles = false;
    } else if (argument == "/mf") {
        request.view = StartView::Monitor;
        request.monitorProcesses = false;
    }
    return request;
}

}  // namespace kestrover
