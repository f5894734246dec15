// One result-list entry exported into a backup and deleted from the registry, by what the
// entry names: the key's default value, a named value, or the whole key.
#pragma once

#include <string_view>

#include "registry/RegExportWriter.h"
#include "registry/RegistryProvider.h"
#include "scanner/ScanEntry.h"

namespace kestrover {

enum class DeletionCase {
    // The value name is the "(default)" display text: the key's default value. The backup
    // holds the whole key.
    DefaultValueShown,
    // A named value, when it exists.
    NamedValue,
    // An entry with a value part but no value name (with or without data): the key's default
    // value.
    DefaultValue,
    // An entry without a value part: the key and everything below it.
    WholeKey,
    // An entry that names no key: no root, or the root itself. Never exported or deleted.
    Nothing,
};

// An entry with a value part never deletes its key: a finding about a key's default value
// ("key||", empty name, no data) deletes that value, not the key with all its subkeys.
DeletionCase ClassifyDeletion(const ScanEntry& entry, std::string_view defaultText);

// Appends what the entry's deletion removes to the open backup: the whole key for
// DefaultValueShown, DefaultValue and WholeKey; the key with the value name as filter for
// NamedValue; nothing for Nothing.
void ExportResultEntry(RegExportWriter& writer, const ScanEntry& entry,
                       std::string_view defaultText);

enum class DeletionOutcome {
    Deleted,
    Missing,  // the value or key no longer exists
    Failed,   // it exists, and the registry refused
};

// Deletes what the entry names, through the provider, with the entry's root. An entry whose
// value name is the "(default)" text, in a key that also holds a real value of that name, is
// ambiguous and fails without deleting either.
DeletionOutcome DeleteResultEntry(RegistryContext& registry, const ScanEntry& entry,
                                  std::string_view defaultText);

// Whether what the entry names exists now.
bool ResultEntryExists(RegistryContext& registry, const ScanEntry& entry,
                       std::string_view defaultText);

}  // namespace kestrover
