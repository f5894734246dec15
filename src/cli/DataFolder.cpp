// The data folder of a command-line run.
#include "cli/DataFolder.h"

namespace kestrover::cli {

Result<std::string> OpenDataFolder(NativePlatform& native, std::string_view dataDirOption) {
    Result<std::string> folder = native.MapDataFolder(dataDirOption);
    if (!folder) return folder;
    if (!native.Ports().fileSystem.DirectoryExists(*folder)) {
        return MakeError(ErrorCode::NotFound, "data folder " + *folder);
    }
    return folder;
}

}  // namespace kestrover::cli
