// kestrover-cli scan and inventory: the registry scan from the command line.
#pragma once

#include <ostream>
#include <string>

#include "app/ScanOptions.h"
#include "platform/ports/Platform.h"

namespace kestrover::cli {

struct ScanCommandOptions {
    std::string roots = "cr,cu,lm,u";  // which root passes run
    bool noCom = false;                // leave out the CLSID behind unused file types
    bool json = false;
    std::string dataFolder;            // where "Exclude.lst" is looked for ("" for none)
};

// The page's check boxes for a --roots text ("cr,cu,lm,u") and --no-com; false, after saying
// why on err, for a root it does not know.
bool ScanBoxesFromRoots(const std::string& roots, bool noCom, ScanOptions& boxes,
                        std::ostream& err);

int ScanRegistry(Platform& platform, const ScanCommandOptions& options, std::ostream& out,
                 std::ostream& err);
int ListInventory(Platform& platform, const ScanCommandOptions& options, std::ostream& out,
                  std::ostream& err);

}  // namespace kestrover::cli
