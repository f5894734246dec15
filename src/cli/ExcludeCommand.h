// kestrover-cli exclude list|add|remove|import: the exclusion list ("Exclude.lst" in the data
// folder) from the command line.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "platform/NativePlatform.h"

namespace CLI {
class App;
}

namespace kestrover::cli {

enum class ExcludeAction { List, Add, Remove, Import };

struct ExcludeOptions {
    ExcludeAction action = ExcludeAction::List;
    std::string key;   // add, remove: ROOT\PATH (full or short root name)
    std::string file;  // import: the file to merge
};

// Runs one action on the exclusion list of a data folder (ending with a backslash). Every
// change leaves the file sorted and saved whole, as the program leaves it. 0 on success
// (adding a key that is already excluded changes nothing and succeeds); 1 when the file could
// not be read or written, or the key to remove is not in the list; 2 for a key or file that is
// refused.
int RunExclude(NativePlatform& native, std::string_view dataFolder, const ExcludeOptions& options,
               std::ostream& out, std::ostream& err);

// The "exclude" command and its four subcommands on the command line.
class ExcludeCommandLine {
public:
    void AddTo(CLI::App& app);
    bool Chosen() const;
    // Opens the data folder (--data-dir) and runs the chosen action.
    int Run(NativePlatform& native, std::string_view dataDirOption, std::ostream& out,
            std::ostream& err);

private:
    CLI::App* exclude_ = nullptr;
    CLI::App* list_ = nullptr;
    CLI::App* add_ = nullptr;
    CLI::App* remove_ = nullptr;
    CLI::App* import_ = nullptr;
    ExcludeOptions options_;
};

}  // namespace kestrover::cli
