// kestrover.exe: the Windows program. Creates the platform and the main window and runs the
// message loop.
#include "gui/Controls.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "gui/MainWindow.h"
#include "gui/ScreenshotTour.h"
#include "platform/NativePlatform.h"
#include "core/Text.h"

namespace {

std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(kestrover::gui::Narrow(wide[i]));
    LocalFree(wide);
    return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES |
                                                       ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES |
                                                       ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    std::vector<std::string> arguments = CommandLineArguments();
    // A hidden switch for the screenshot script: "/screenshot FOLDER" walks the pages and
    // saves a picture of each.
    std::string screenshotFolder;
    if (arguments.size() == 2 && kestrover::EqualsNoCase(arguments[0], "/screenshot")) {
        screenshotFolder = arguments[1];
        arguments.clear();
    }

    auto platform = kestrover::CreateNativePlatform({});
    if (!platform) {
        MessageBoxW(nullptr, kestrover::gui::Wide(platform.error().Describe()).c_str(),
                    L"Kestrover", MB_OK | MB_ICONERROR);
        return 1;
    }
    kestrover::gui::MainWindow window(platform.value()->Ports());
    if (!window.Create(kestrover::ShellStartOptions{arguments, ""}, showCommand)) return 1;
    if (!screenshotFolder.empty()) return kestrover::gui::RunScreenshotTour(window, screenshotFolder);

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) window.DispatchOne(message);
    return static_cast<int>(message.wParam);
}
