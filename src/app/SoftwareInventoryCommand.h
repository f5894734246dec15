// The "Applications settings" button of the registry page: the result list shows one entry per
// vendor key below Software (the software-key inventory), ready to be reviewed, excluded or
// deleted with a backup named "Software".
#pragma once

#include <cstddef>

#include "app/MainWindowState.h"
#include "registry/RegistryProvider.h"
#include "scanner/ResultList.h"

namespace kestrover {

// mnApplSettingsClick: leaves whatever view was active, shows the result list and marks it as
// holding the inventory, then lists the vendor keys of HKEY_CURRENT_USER\Software and
// HKEY_LOCAL_MACHINE\Software (and its WOW6432Node on 64-bit Windows) with the progress bar
// running over them. The count labels show the entries listed. Returns their number.
std::size_t mnApplSettingsClick(RegistryContext& registry, MainWindowState& window,
                                ResultList& results);

}  // namespace kestrover
