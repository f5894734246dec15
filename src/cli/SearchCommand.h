// kestrover-cli search: the registry search of the search page from the command line, and the
// list of protected keys.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "platform/NativePlatform.h"

namespace CLI {
class App;
}

namespace kestrover::cli {

struct SearchCommandOptions {
    std::string text;
    // What is matched; none of the three given means all three.
    bool keys = false;
    bool values = false;
    bool data = false;
    bool wholeWord = false;
    bool noGroup = false;            // list every key below a matching path
    std::string roots = "cr,cu,lm";  // the page's default: HKEY_USERS unchecked
    bool protectedKeys = false;      // list the keys that do not open with full access instead
    bool json = false;
};

// Runs "Search !" with the options as the page's boxes and prints the hits in list order, one a
// line ("key", "value", "data" or "protected", then the key, the value name and the data), or as
// a JSON array. A new text is added to "history.txt" in dataFolder (ending with a backslash;
// empty for no history). 0 when the search ran (with or without hits); 2 for bad options.
int RunSearch(Platform& platform, std::string_view dataFolder, const SearchCommandOptions& options,
              std::ostream& out, std::ostream& err);

// The "search" command on the command line.
class SearchCommandLine {
public:
    void AddTo(CLI::App& app);
    bool Chosen() const;
    // Opens the data folder (--data-dir) for the history and runs the search.
    int Run(NativePlatform& native, std::string_view dataDirOption, std::ostream& out,
            std::ostream& err);

private:
    CLI::App* search_ = nullptr;
    SearchCommandOptions options_;
};

}  // namespace kestrover::cli
