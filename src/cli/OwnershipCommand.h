// kestrover-cli take-ownership: "Take Ownership" of the result list for one key.
#pragma once

#include <ostream>
#include <string>

#include "app/Prompts.h"
#include "platform/NativePlatform.h"

namespace CLI {
class App;
}

namespace kestrover::cli {

struct OwnershipOptions {
    std::string key;  // ROOT\PATH (full or short root name)
    bool json = false;
};

// Makes the current user the owner of the key and grants the user full control of it and of
// everything below it, after the warning (prompts answer it). Prints the access list the key
// had before, which is what it takes to put it back. 0 when the new list was written; 1 when
// the warning was declined, the key's permissions could not be opened (the system's message is
// shown) or the list could not be written; 2 for a key text that names no key.
int RunTakeOwnership(Platform& platform, const OwnershipOptions& options, Prompts& prompts,
                     std::ostream& out, std::ostream& err);

// The "take-ownership" command on the command line (--yes answers the warning).
class OwnershipCommandLine {
public:
    void AddTo(CLI::App& app);
    bool Chosen() const;
    int Run(NativePlatform& native, std::ostream& out, std::ostream& err);

private:
    CLI::App* command_ = nullptr;
    OwnershipOptions options_;
    bool yes_ = false;
};

}  // namespace kestrover::cli
