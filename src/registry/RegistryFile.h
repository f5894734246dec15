// RegistryFile: a whole registry kept in an export file, the way the Linux build holds the
// registry of the machine it plays (the demo system, an offline copy): loaded at start, saved
// back atomically when a command changed it.
//
// The file is what RegExportWriter writes in backup mode for each saved root in turn,
// HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS, HKEY_CURRENT_CONFIG, each exported whole
// from its top: the root's own section has the header "[HKEY_LOCAL_MACHINE\]" (the root's
// values, if any, follow it), and every key below has the ordinary header
// "[HKEY_LOCAL_MACHINE\Software]". Keys come parent first with subkeys in enumeration order,
// values in the key's own order. Loading restores the file section by section in file order,
// so a key's values are created in the order the file lists them, and saving an unchanged
// registry gives back the same bytes.
//
// HKEY_CLASSES_ROOT is not saved on its own: it is HKEY_LOCAL_MACHINE\Software\Classes and is
// saved there. A file may still hold "[HKEY_CLASSES_ROOT\...]" sections; they load into that
// key. Sections under a root the registry does not keep (HKEY_DYN_DATA, a "-" deletion
// header, a header without a closing bracket) make the load fail rather than be dropped by the
// next save.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/Result.h"
#include "platform/ports/FileSystemPort.h"
#include "registry/RegistryProvider.h"

namespace kestrover {

// The roots a registry file holds, in the order it holds them.
inline constexpr std::array<RegRoot, 4> kRegistryFileRoots = {
    RegRoot::LocalMachine, RegRoot::CurrentUser, RegRoot::Users, RegRoot::CurrentConfig};

// Reads the file into the registry (meant for an empty one; keys that exist already take the
// file's values on top of their own). NotFound when there is no such file; InvalidData when a
// section names a root the registry does not keep or a key or value of the file could not be
// written. After a failure the registry may hold part of the file and is not to be saved.
// Works in the 64-bit view whatever the context's flags say: Wow6432Node is a key like any
// other in the file.
Status LoadRegistryFile(RegistryContext& registry, FileSystemPort& fileSystem,
                        std::string_view path);

// Writes every saved root to a temporary file beside `path` (path + ".saving"), reads that
// file back into a scratch registry and compares it with the registry, then moves it over
// `path`. Nothing is lost silently: a key the file cannot hold as it is (a name with a line
// break, a key that cannot be read) fails the save with InvalidData naming the key. On any
// failure the old file stays whole and the temporary file is removed.
Status SaveRegistryFile(RegistryContext& registry, FileSystemPort& fileSystem,
                        std::string_view path);

// The temporary name SaveRegistryFile writes to before it replaces the file.
std::string RegistryFileSavingPath(std::string_view path);

}  // namespace kestrover
