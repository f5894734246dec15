// TakeKeyOwnership: makes the current user the owner of a registry key and grants the user
// full control of it and of everything below it, or puts a saved access list back.
#pragma once

#include <string>
#include <string_view>

#include "platform/ports/SecurityPort.h"
#include "registry/RegRoot.h"
#include "registry/RegistryProvider.h"

namespace kestrover {

// The entry added to a key's access list: allow, inherited by subkeys, generic all, for the
// trustee (a SID string, or "BA" when the user's cannot be read).
std::string FullControlEntry(std::string_view trustee);

// 1. enables the take-ownership privilege, makes the current user the key's owner when the key
// opens for that (silently skipped otherwise), disables the privilege again; 2. opens the key
// to read and change its access list, which must succeed: otherwise KestroverError is raised,
// carrying the system's message; 3. writes the new list: with an empty accessList, the old
// list with FullControlEntry appended; otherwise accessList itself. A list that is not valid
// is never written. True when the new list was written; accessList then holds the list as it
// was before. A key without an access list already grants everyone everything and keeps it:
// appending one entry would lock every other account out; that counts as success.
bool TakeKeyOwnership(SecurityPort& security, RegistryViewFlags views, RegRoot root,
                      std::string_view path, std::string& accessList);

}  // namespace kestrover
