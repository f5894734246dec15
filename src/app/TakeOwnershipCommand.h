// "Take Ownership" (MnuTakeOClick) on the result list: after a warning, the current user becomes
// the owner of the key of every selected entry and gets full control of it and of everything
// below it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "app/Prompts.h"
#include "platform/ports/SecurityPort.h"
#include "registry/RegistryProvider.h"
#include "scanner/ResultList.h"

namespace kestrover {

// Language texts, with their built-in defaults; both boxes carry the menu item's caption.
struct TakeOwnershipTexts {
    std::string caption = "Take Ownership";  // MnuTakeO
    std::string warning =
        "WARNING ! You are about to change Registry Key permission !\r\nThis will change the "
        "registry key ownership to your current username.\r\n\r\nIf you are not confident doing "
        "this, please click NO to Exit or click OK to Proceed.";
    std::string done = "Registry Key permission have been changed !";
    // Shown instead of `done` when some keys kept their permissions, followed by their names.
    std::string notChanged = "The permission of these keys could not be changed:";
    // The caption of the general error box, which shows the system's message when a key's
    // permissions cannot be opened at all.
    std::string errorCaption = "Kestrover";
};

struct OwnershipEntryReport {
    std::string root;  // full root name
    std::string keyPath;
    bool applied = false;
    std::string previousAccessList;  // the list before the change, when applied
};

struct TakeOwnershipReport {
    bool cancelled = false;
    std::vector<OwnershipEntryReport> entries;  // in list order, those processed
    // The system's message when a key's permissions could not be opened: the command stopped
    // there, and the result text was not shown.
    std::optional<std::string> error;
    bool resultShown = false;
    // Keys whose permissions could not be changed were named instead of the result text.
    bool failuresShown = false;
};

// MnuTakeOClick: asks with the warning (Cancel changes nothing); then, for every selected entry
// from first to last, TakeKeyOwnership on its root and key path (entries that name no root are
// passed by); then shows the result text when every key was changed, or else the keys that were
// not (the result text would say a failure succeeded). A key whose permissions cannot be opened
// ends the command: its message is shown as an error and the rest is not processed.
TakeOwnershipReport MnuTakeOClick(SecurityPort& security, RegistryViewFlags views,
                                  const ResultList& results, Prompts& prompts,
                                  const TakeOwnershipTexts& texts = {});

}  // namespace kestrover
