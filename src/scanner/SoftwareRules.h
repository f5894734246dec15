// Software and system rules of the registry scan: empty vendor keys, application paths, values
// whose data or name is a file path, fonts, shared DLLs, compatibility layers and the firewall
// rules; the software-key inventory; the installation monitor's built-in skip list.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "registry/RegistryProvider.h"
#include "scanner/FileReference.h"
#include "scanner/ScanEntrySink.h"
#include "scanner/ScanRules.h"

namespace kestrover {

// Rule names a finding carries in its FindingDetail.
namespace SoftwareRuleName {
inline constexpr std::string_view EmptySoftwareKey = "empty-software-key";
inline constexpr std::string_view AppPath = "app-path";
inline constexpr std::string_view DrivePathData = "drive-path-data";
inline constexpr std::string_view FontFile = "font-file";
inline constexpr std::string_view ValueNamePath = "value-name-path";
inline constexpr std::string_view SharedDll = "shared-dll";
inline constexpr std::string_view Layers = "layers";
inline constexpr std::string_view ListedFile = "listed-file";
inline constexpr std::string_view MissingDataFile = "missing-data-file";
}  // namespace SoftwareRuleName

// Data texts are judged only below this length; longer ones are no file reference.
inline constexpr std::size_t kMaxJudgedDataLength = 1024;
// Missing-file entries whose data is longer than this show an excerpt instead.
inline constexpr std::size_t kLongDataLength = 512;

// --- Key rules, after the file-type rules -------------------------------------------------

// A vendor key directly below "Software", "Software\Wow6432Node" or ".DEFAULT\Software" with
// no subkeys and no values (passes 1 to 3 only) is an obsolete entry.
void EmptySoftwareKeyRule(ScanContext& context, KeyVisit& key);

// A key below "App Paths" whose program (or, without one, whose CmstpExtensionDll) is missing.
// Leaves the resolved default value in key.data.
void AppPathRule(ScanContext& context, KeyVisit& key, const FileReferenceResolver& resolver);

// --- Value rules, in walker order; each reads and updates key.data ------------------------

// 1. String data that is a drive path to a missing file. Gives the missing path when it
// reported the value.
std::optional<std::string> DrivePathDataRule(ScanContext& context, KeyVisit& key,
                                             const RegistryValue& value,
                                             const FileReferenceResolver& resolver);
// 2. A value of the fonts list. True when the value belonged to it: no further rule then.
// listedAlready: the drive-path rule listed the value; it is not listed a second time.
bool FontFileRule(ScanContext& context, KeyVisit& key, const RegistryValue& value,
                  const FileReferenceResolver& resolver, bool listedAlready = false);
// 3. The value's data as text: a string's text, kept as it was for an integer, else empty.
void TypedDataRead(KeyVisit& key, const RegistryValue& value);
// 4. With no data text, the value's name judged as a path.
void ValueNamePathRule(ScanContext& context, KeyVisit& key, const RegistryValue& value,
                       const FileReferenceResolver& resolver);
// 5. In the shared-DLL, compatibility-layer and fonts keys, whose value names are file paths:
//    the name judged, the progress moved on.
void ListedFileRule(ScanContext& context, KeyVisit& key, const RegistryValue& value,
                    const FileReferenceResolver& resolver);

enum class MissingDataOutcome {
    None,         // the data names no missing file (or is not judged)
    Reported,     // the entry was added
    OpenCommand,  // a missing program below "shell\open\command": the open-command rule decides;
                  // key.data holds the missing path
};
// 6 and 7. String data naming a missing file.
MissingDataOutcome MissingDataFileRule(ScanContext& context, KeyVisit& key,
                                       const RegistryValue& value,
                                       const FileReferenceResolver& resolver);

// Rules 1 to 6 for one value, in order. The value's text is read once, and the missing-data
// rule reuses the drive-path rule's answer when both judge the same text.
MissingDataOutcome ApplySoftwareValueRules(ScanContext& context, KeyVisit& key,
                                           const RegistryValue& value,
                                           const FileReferenceResolver& resolver);

// --- Helpers the rules share ----------------------------------------------------------------

// The text of a string or expand-string value up to its first zero; nothing for other kinds.
std::optional<std::string> StringValueText(const RegistryValue& value);

// The data part of a missing-file entry: the data itself, or for data longer than
// kLongDataLength "(string too long)...", an excerpt and "...", zeros shown as blanks.
std::string EntryDataText(std::string_view data);

// --- The software-key inventory -------------------------------------------------------------

struct InventoryCallbacks {
    std::function<void(std::int64_t)> setProgressMaximum;
    std::function<void(std::int64_t)> setProgressPosition;
};

// Lists one entry per vendor key of HKEY_CURRENT_USER\Software (root 1), of
// HKEY_LOCAL_MACHINE\Software and, on 64-bit Windows, of its WOW6432Node (root 2): the key path,
// then "²²²" and the names of its first 15 subkeys when it has any. Returns the entries added.
std::size_t SoftwareKeyInventory(RegistryContext& registry, ScanEntrySink& sink,
                                 const InventoryCallbacks& callbacks = {});

// --- The installation monitor's built-in skip list -------------------------------------------

// Whether a snapshot leaves out the subkey named subkeyName (full path fullPath) with its whole
// subtree: volatile and system keys.
bool BuiltInSkipList(std::string_view subkeyName, std::string_view fullPath);

}  // namespace kestrover
