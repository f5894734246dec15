// What the main window shows and runs, without a widget: the application shell, the window's
// state, the result list and the commands of the registry pages, wired together once.
#pragma once

#include <functional>
#include <memory>

#include "app/ApplicationShell.h"
#include "app/BackupsPage.h"
#include "app/DeleteCommands.h"
#include "app/FavoritesCommands.h"
#include "app/ListColumnSort.h"
#include "app/MainWindowState.h"
#include "app/Prompts.h"
#include "app/RegistryScanCommand.h"
#include "app/RegistrySearchCommand.h"
#include "app/ScanOptions.h"
#include "platform/ports/Platform.h"
#include "registry/RegistryProvider.h"
#include "repair/ExclusionFile.h"
#include "scanner/ResultList.h"

namespace kestrover::gui {

// The commands' Prompts: questions go to the dialogs (the user's, or a test's script), and
// every pump also lets the window process its messages.
class PumpingPrompts final : public Prompts {
public:
    PumpingPrompts(Prompts& dialogs, std::function<void()> pumpWindow)
        : dialogs_(dialogs), pumpWindow_(std::move(pumpWindow)) {}

    PromptAnswer Ask(std::string_view caption, std::string_view text,
                     PromptButtons buttons) override {
        return dialogs_.Ask(caption, text, buttons);
    }
    std::string AskName(std::string_view caption, std::string_view label,
                        std::string_view proposed) override {
        return dialogs_.AskName(caption, label, proposed);
    }
    void PumpEvents() override {
        dialogs_.PumpEvents();
        if (pumpWindow_) pumpWindow_();
    }

private:
    Prompts& dialogs_;
    std::function<void()> pumpWindow_;
};

class MainWindowModel {
public:
    // pumpWindow lets the window process its messages during long commands.
    MainWindowModel(const Platform& platform, Prompts& dialogs, std::function<void()> pumpWindow);

    // FormCreate, then the commands that need its folders.
    void FormCreate(const ShellStartOptions& options);

    Platform platform;
    RegistryContext registry;
    PumpingPrompts prompts;
    ApplicationShell shell;
    MainWindowState window;
    ResultList results;
    ScanOptions scanOptions;
    ListColumnSort listSort;
    std::unique_ptr<RegistryScanCommand> scan;
    std::unique_ptr<DeleteCommands> deletes;
    std::unique_ptr<BackupsPage> backups;
    std::unique_ptr<ExclusionFile> exclusions;
    // The search page's boxes, its "Search !" and the favorites menu's commands.
    SearchPage searchPage;
    std::unique_ptr<RegistrySearchCommand> search;
    std::unique_ptr<FavoritesCommands> favorites;
};

}  // namespace kestrover::gui
