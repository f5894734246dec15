// The program's start and stop without the window: FormCreate fixes the data folder, fills the
// path variables, loads the favorites and the search history, prepares the backup folder,
// reads "lang.ini" and takes the command-line switch; FormClose saves what the run changed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/CommandLineSwitch.h"
#include "app/MainWindowState.h"
#include "app/PathVariables.h"
#include "app/SavedTextList.h"
#include "app/WindowSettings.h"
#include "core/Result.h"
#include "platform/ports/Platform.h"
#include "registry/RegistryProvider.h"

namespace kestrover {

// The data folder of an executable: its path up to and including the last backslash or colon.
std::string DataFolderOf(std::string_view executablePath);

// The backup folder of a data folder (ending in a backslash): "Backup", created when it does
// not exist, and held with a final backslash. The path is given even when the folder could not
// be created; *created, when given, then holds the failure.
std::string PrepareBackupFolder(FileSystemPort& fileSystem, std::string_view dataFolder,
                                Status* created = nullptr);

struct ShellStartOptions {
    // The command line after the program's name.
    std::vector<std::string> arguments;
    // The data folder, ending with a backslash; empty for the executable's folder.
    std::string dataFolder;
};

class ApplicationShell {
public:
    // The platform bundle is kept by value (it holds references to the ports, which must
    // outlive the shell); the registry context is the application's own, kept by reference.
    ApplicationShell(const Platform& platform, RegistryContext& registry);

    // FormCreate, in its order: data folder, path variables (and the Firefox profile), the
    // favorites (sorted) and the search history, the languages and backup folders, "lang.ini"
    // with its defaults, the language file to apply, the command-line request. Missing files
    // leave defaults in place without a word; a backup folder that cannot be created is not
    // reported.
    void FormCreate(const ShellStartOptions& options);

    // FormShow: the information page titled with the about button's caption, no result list
    // and no monitor view. With a pending command-line request the window takes its compact
    // layout, 550 pixels wide; the request is returned for the window to open its view.
    StartRequest FormShow(MainWindowState& window, std::string_view aboutCaption);

    // FormClose: saves the search history and the favorites, then rewrites "lang.ini" with the
    // language and, unless the process view or the monitor view is active, the window's
    // position and size. Every file is replaced atomically, so a failure leaves the old one
    // whole. All three are attempted; the first failure is returned (the window ignores it).
    Status FormClose(const MainWindowState& window);

    const std::string& DataFolder() const { return dataFolder_; }
    const std::string& LanguagesFolder() const { return languagesFolder_; }
    const std::string& BackupFolder() const { return backupFolder_; }
    const std::string& HistoryFile() const { return historyFile_; }
    const std::string& FavoritesFile() const { return favoritesFile_; }
    const std::string& SettingsFile() const { return settingsFile_; }

    const PathVariables& Variables() const { return pathVariables_; }

    // Favorite lines ("name|flag|root|path") and search texts, kept for the whole run.
    std::vector<std::string>& Favorites() { return favorites_.lines; }
    std::vector<std::string>& SearchHistory() { return searchHistory_.lines; }
    // The search history with the encoding it was read in, for the search, which saves it to
    // HistoryFile() whenever it adds a text.
    SavedTextList& SearchHistoryList() { return searchHistory_; }

    // The language and the window's position and size; the window reads them at creation and
    // writes them back (the language menu changes the language) before it closes.
    WindowSettings& Settings() { return settings_; }
    const WindowSettings& Settings() const { return settings_; }
    // The language file the window applies at start: "languages\" and the current language,
    // when that file exists.
    const std::optional<std::string>& LanguageFileToApply() const { return languageFile_; }

    const StartRequest& PendingRequest() const { return request_; }
    // Set by FormShow when a command-line request put the window in its compact layout.
    bool CompactLayout() const { return compactLayout_; }

private:
    Platform platform_;
    RegistryContext& registry_;
    std::string dataFolder_;
    std::string languagesFolder_;
    std::string backupFolder_;
    std::string historyFile_;
    std::string favoritesFile_;
    std::string settingsFile_;
    PathVariables pathVariables_;
    SavedTextList favorites_;
    SavedTextList searchHistory_;
    WindowSettings settings_;
    std::optional<std::string> languageFile_;
    StartRequest request_;
    bool compactLayout_ = false;
};

}  // namespace kestrover
