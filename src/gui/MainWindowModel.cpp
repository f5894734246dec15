// The main window's models, wired.
#include "gui/MainWindowModel.h"

#include "repair/RegistryEditor.h"

namespace kestrover::gui {

MainWindowModel::MainWindowModel(const Platform& platform, Prompts& dialogs,
                                 std::function<void()> pumpWindow)
    : platform(platform),
      registry{this->platform.registry,
               ViewFlagsFromArchitecture(this->platform.environment.OperatingSystemArchitecture()),
               &this->platform.environment.AnsiCodePage()},
      prompts(dialogs, pumpWindow),
      shell(this->platform, registry),
      results(registry) {}

void MainWindowModel::FormCreate(const ShellStartOptions& options) {
    shell.FormCreate(options);
    scan = std::make_unique<RegistryScanCommand>(platform, registry, window, results,
                                                 shell.Variables(), shell.DataFolder());
    scan->pumpMessages = [this] { prompts.PumpEvents(); };
    deletes = std::make_unique<DeleteCommands>(platform, registry, window, results, prompts,
                                               shell.BackupFolder());
    backups = std::make_unique<BackupsPage>(platform, registry, window, listSort, prompts,
                                            shell.BackupFolder());
    backups->openInRegistryEditor = [this](const RegistryEditorTarget& target) {
        (void)OpenInRegistryEditor(registry, platform.shell, target.rootName, target.keyPath);
    };
    exclusions = std::make_unique<ExclusionFile>(platform.fileSystem, shell.DataFolder(),
                                                 platform.environment.AnsiCodePage());
    search = std::make_unique<RegistrySearchCommand>(platform, registry, window, results,
                                                     searchPage, shell.SearchHistoryList(),
                                                     shell.HistoryFile());
    search->pumpMessages = [this] { prompts.PumpEvents(); };
    favorites = std::make_unique<FavoritesCommands>(shell.Favorites(), results, prompts);
    favorites->openInRegistryEditor = [this](std::string_view rootName, std::string_view keyPath) {
        (void)OpenInRegistryEditor(registry, platform.shell, rootName, keyPath);
    };
}

}  // namespace kestrover::gui
