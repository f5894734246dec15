// The commands of kestrover-cli, each over the platform ports, writing to the given streams.
#pragma once

#include <ostream>
#include <string>

#include "platform/ports/Platform.h"

namespace kestrover::cli {

struct CommandOptions {
    std::string key;
    bool recursive = false;
    std::string pattern;
};

int ShowInfo(Platform& platform, std::ostream& out);
int QueryKey(Platform& platform, const CommandOptions& options, std::ostream& out,
             std::ostream& err);
int FindFiles(Platform& platform, const CommandOptions& options, std::ostream& out,
              std::ostream& err);

}  // namespace kestrover::cli
