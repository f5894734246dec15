// The program's command-line switches: "/p" opens the process list and "/m", "/mp", "/mf" the
// monitor, once the main window is shown.
#pragma once

#include <span>
#include <string>

namespace kestrover {

enum class StartView { None, ProcessList, Monitor };

// What the command line asks the window to open after it is shown.
struct StartRequest {
    StartView view = StartView::None;
    // The monitor's two options; "/mp" leaves files unwatched, "/mf" processes.
    bool monitorFiles = true;
    bool monitorProcesses = true;

    friend bool operator==(const StartRequest&, const StartRequest&) = default;
};

// The arguments after the program's name. At most one is taken, lower-cased; anything else,
// and more than one argument, is no request.
StartRequest ParseCommandLine(std::span<const std::string> arguments);

}  // namespace kestrover
