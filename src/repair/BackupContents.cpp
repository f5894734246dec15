// Reading a backup back to know what it would restore.
#include "repair/BackupContents.h"

#include "core/Text.h"
#include "registry/RegExportReader.h"
#include "repair/ResultEntryDeletion.h"

namespace kestrover {

Result<BackupContents> BackupContents::Read(RegistryContext& registry, FileSystemPort& fileSystem,
                                            std::string_view path) {
    RegExportReader reader(registry, fileSystem);
    // The default value shows as an empty name, which no named value has.
    reader.defaultText.clear();
    Status loaded = reader.LoadExportFile(path, LoadMode::ViewOnly);
    if (!loaded) return loaded.error();

    BackupContents contents;
    for (const ExportNode& key : reader.Nodes()) {
        if (!key.root) continue;  // never restored
        Section& section = contents.sections_[{*key.root, AsciiLower(key.keyPath)}];
        if (key.abandoned) section.complete = false;
        for (const ExportNode& value : key.children) {
            if (value.status == ExportNodeStatus::TooLong) {
                section.complete = false;
                continue;
            }
            section.values.insert(value.text);
        }
    }
    return contents;
}

const BackupContents::Section* BackupContents::Find(RegRoot root, std::string_view keyPath) const {
    auto found = sections_.find({root, AsciiLower(keyPath)});
    return found == sections_.end() ? nullptr : &found->second;
}

bool BackupContents::HoldsKey(RegRoot root, std::string_view keyPath) const {
    return Find(root, keyPath) != nullptr;
}

bool BackupContents::HoldsValue(RegRoot root, std::string_view keyPath,
                                std::string_view valueName) const {
    const Section* section = Find(root, keyPath);
    if (section == nullptr || !section->complete) return false;
    std::string prefix = std::string(valueName) + "=";
    auto candidate = section->values.lower_bound(prefix);
    return candidate != section->values.end() && candidate->starts_with(prefix);
}

std::optional<std::size_t> BackupContents::ValueCountBelow(RegRoot root,
                                                           std::string_view keyPath) const {
    const std::string lower = AsciiLower(keyPath);
    const std::string below = lower + "\\";
    std::size_t count = 0;
    for (auto it = sections_.lower_bound({root, lower}); it != sections_.end(); ++it) {
        const auto& [key, section] = *it;
        if (key.first != root) break;
        if (key.second != lower && !key.second.starts_with(below)) {
            // Paths that sort between the key and its subkeys ("key name" before "key\sub")
            // are skipped; past every "key\..." path nothing below it follows.
            if (key.second > below && !key.second.starts_with(below)) break;
            continue;
        }
        if (!section.complete) return std::nullopt;
        count += section.values.size();
    }
    return count;
}

bool BackupContents::HoldsEntry(RegistryContext& registry, const ScanEntry& entry,
                                std::string_view defaultText) const {
    switch (ClassifyDeletion(entry, defaultText)) {
        case DeletionCase::Nothing: return false;
        case DeletionCase::NamedValue:
            return HoldsValue(*entry.root, entry.keyPath, entry.valueName);
        case DeletionCase::DefaultValueShown:
        case DeletionCase::DefaultValue: return HoldsValue(*entry.root, entry.keyPath, "");
        case DeletionCase::WholeKey: {
            if (!HoldsKey(*entry.root, entry.keyPath)) return false;
            std::optional<std::size_t> held = ValueCountBelow(*entry.root, entry.keyPath);
            if (!held) return false;
            RegistryProvider provider(registry);
            std::int64_t present = provider.CountKey(*entry.root, entry.keyPath);
            return present >= 0 && static_cast<std::size_t>(present) <= *held;
        }
    }
    return false;
}

}  // namespace kestrover
