// kestrover-cli scan and inventory: the registry scan from the command line.
#pragma once

#include <ostream>
#include <string>

#include "platform/ports/Platform.h"

namespace kestrover::cli {

struct ScanCommandOptions {
    std::string roots = "cr,cu,lm,u";  // which root passes run
    bool noCom = false;                // leave out the CLSID behind unused file types
    bool json = false;
    std::string dataFolder;            // where "Exclude.lst" is looked for ("" for none)
};

int ScanRegistry(Platform& platform, const ScanCommandOptions& options, std::ostream& out,
                 std::ostream& err);
int ListInventory(Platform& platform, const ScanCommandOptions& options, std::ostream& out,
                  std::ostream& err);

}  // namespace kestrover::cli
