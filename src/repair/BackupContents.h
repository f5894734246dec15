// What a written backup holds, read back from the disk the way a restore reads it, so that a
// delete command deletes nothing the file would not give back.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "core/Result.h"
#include "platform/ports/FileSystemPort.h"
#include "registry/RegistryProvider.h"
#include "scanner/ScanEntry.h"

namespace kestrover {

class BackupContents {
public:
    // Reads the file with the export reader, without touching the registry. An error when the
    // file cannot be read at all.
    static Result<BackupContents> Read(RegistryContext& registry, FileSystemPort& fileSystem,
                                       std::string_view path);

    bool HoldsKey(RegRoot root, std::string_view keyPath) const;
    // "" is the default value. A value counts only when its whole section would be restored.
    bool HoldsValue(RegRoot root, std::string_view keyPath, std::string_view valueName) const;
    // The number of values held in the key and every key below it; nothing when some section
    // there would not be restored value by value as shown (a value that does not read back).
    std::optional<std::size_t> ValueCountBelow(RegRoot root, std::string_view keyPath) const;

    // Whether the backup holds what deleting the entry removes: the value it names, or for a
    // whole key the key and at least as many values below it as the registry holds now.
    bool HoldsEntry(RegistryContext& registry, const ScanEntry& entry,
                    std::string_view defaultText) const;

private:
    struct Section {
        // The value nodes' texts, "name=shown data"; the default value's name is empty.
        std::set<std::string> values;
        bool complete = true;  // every value line reads back, and each one is shown
    };
    // By root and lower-cased key path.
    using SectionKey = std::pair<RegRoot, std::string>;
    const Section* Find(RegRoot root, std::string_view keyPath) const;

    std::map<SectionKey, Section> sections_;
};

}  // namespace kestrover
