// kestrover-cli backups list|view|restore|delete: the backups page from the command line.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/Prompts.h"
#include "platform/NativePlatform.h"

namespace CLI {
class App;
}

namespace kestrover::cli {

enum class BackupsAction { List, View, Restore, Delete };

struct BackupsOptions {
    BackupsAction action = BackupsAction::List;
    // File names in the backup folder (".reg" may be left out), or full paths.
    std::vector<std::string> names;
    bool last = false;  // restore: the newest backup
    bool json = false;  // list
};

// Runs one action on the backups of a data folder (ending with a backslash; the backups are
// in its "Backup" folder). Deleting asks through prompts. 0 on success, 1 when something
// failed or was declined, 2 for a name that is refused.
int RunBackups(NativePlatform& native, std::string_view dataFolder, const BackupsOptions& options,
               Prompts& prompts, std::ostream& out, std::ostream& err);

// The "backups" command and its four subcommands on the command line.
class BackupsCommandLine {
public:
    void AddTo(CLI::App& app);
    bool Chosen() const;
    // Opens the data folder (--data-dir) and runs the chosen action, with the command line's
    // prompts (--yes answers the deletion question).
    int Run(NativePlatform& native, std::string_view dataDirOption, std::ostream& out,
            std::ostream& err);

private:
    CLI::App* backups_ = nullptr;
    CLI::App* list_ = nullptr;
    CLI::App* view_ = nullptr;
    CLI::App* restore_ = nullptr;
    CLI::App* delete_ = nullptr;
    BackupsOptions options_;
    std::string name_;  // view and restore take one name
    bool yes_ = false;
};

}  // namespace kestrover::cli
