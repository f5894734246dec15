// kestrover-cli favorites list|add|remove|rebuild: the registry favorites ("regfav.ini" in the
// data folder) from the command line.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "app/Prompts.h"
#include "platform/NativePlatform.h"

namespace CLI {
class App;
}

namespace kestrover::cli {

enum class FavoritesAction { List, Add, Remove, Rebuild };

struct FavoritesOptions {
    FavoritesAction action = FavoritesAction::List;
    std::string name;  // add, remove
    std::string key;   // add: ROOT\PATH (full or short root name)
};

// Runs one action on the favorites of a data folder (ending with a backslash): the file is
// loaded and sorted as at the program's start, changed through the favorites dialog's own
// commands, and saved whole as at its close. Rebuild asks through prompts. 0 on success; 1 when
// the file could not be read or written, the name to remove is not there, or rebuild was
// declined; 2 for a key that is refused.
int RunFavorites(NativePlatform& native, std::string_view dataFolder,
                 const FavoritesOptions& options, Prompts& prompts, std::ostream& out,
                 std::ostream& err);

// The "favorites" command and its four subcommands on the command line.
class FavoritesCommandLine {
public:
    void AddTo(CLI::App& app);
    bool Chosen() const;
    // Opens the data folder (--data-dir) and runs the chosen action with the command line's
    // prompts (--yes answers the rebuild question).
    int Run(NativePlatform& native, std::string_view dataDirOption, std::ostream& out,
            std::ostream& err);

private:
    CLI::App* favorites_ = nullptr;
    CLI::App* list_ = nullptr;
    CLI::App* add_ = nullptr;
    CLI::App* remove_ = nullptr;
    CLI::App* rebuild_ = nullptr;
    FavoritesOptions options_;
    bool yes_ = false;
};

}  // namespace kestrover::cli
