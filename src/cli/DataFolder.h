// The data folder of a command-line run: where "Backup", "Exclude.lst", "lang.ini" and the
// other data files live.
#pragma once

#include <string>
#include <string_view>

#include "core/Result.h"
#include "platform/NativePlatform.h"

namespace kestrover::cli {

// The data folder as a Windows path ending with a backslash, reachable through
// native.Ports().fileSystem. With an empty dataDirOption it is the executable's folder, as for
// the program itself; otherwise the folder given by --data-dir: on Windows a Windows path
// (made absolute), on Linux a host folder, which is mapped as a drive of its own. NotFound
// when the folder does not exist; the data folder is never created here.
Result<std::string> OpenDataFolder(NativePlatform& native, std::string_view dataDirOption);

}  // namespace kestrover::cli
