// Exporting and deleting one result-list entry.
#include "repair/ResultEntryDeletion.h"

namespace kestrover {

namespace {

std::string Absolute(std::string_view keyPath) { return "\\" + std::string(keyPath); }

}  // namespace

DeletionCase ClassifyDeletion(const ScanEntry& entry, std::string_view defaultText) {
    if (!entry.root || entry.keyPath.empty()) return DeletionCase::Nothing;
    if (entry.hasValue && entry.valueName == defaultText) return DeletionCase::DefaultValueShown;
    if (!entry.valueName.empty()) return DeletionCase::NamedValue;
    if (entry.hasValue) return DeletionCase::DefaultValue;
    return DeletionCase::WholeKey;
}

void ExportResultEntry(RegExportWriter& writer, const ScanEntry& entry,
                       std::string_view defaultText) {
    switch (ClassifyDeletion(entry, defaultText)) {
        case DeletionCase::Nothing: return;
        case DeletionCase::NamedValue:
            writer.ExportKey(*entry.root, entry.keyPath, entry.valueName);
            return;
        case DeletionCase::DefaultValueShown:
        case DeletionCase::DefaultValue:
        case DeletionCase::WholeKey: writer.ExportKey(*entry.root, entry.keyPath); return;
    }
}

DeletionOutcome DeleteResultEntry(RegistryContext& registry, const ScanEntry& entry,
                                  std::string_view defaultText) {
    const DeletionCase deletion = ClassifyDeletion(entry, defaultText);
    if (deletion == DeletionCase::Nothing) return DeletionOutcome::Failed;
    RegistryProvider provider(registry);
    provider.SetRootKey(*entry.root);
    const std::string path = Absolute(entry.keyPath);

    if (deletion == DeletionCase::WholeKey) {
        if (!provider.KeyExists(path)) return DeletionOutcome::Missing;
        return provider.DeleteKey(path) ? DeletionOutcome::Deleted : DeletionOutcome::Failed;
    }

    if (!provider.OpenKey(path, false)) {
        return provider.KeyExists(path) ? DeletionOutcome::Failed : DeletionOutcome::Missing;
    }
    // A key holding a real value named like the "(default)" text makes such an entry name
    // either value: neither is deleted, rather than the one the user did not see listed.
    if (deletion == DeletionCase::DefaultValueShown && provider.ValueExists(defaultText)) {
        return DeletionOutcome::Failed;
    }
    const std::string_view name =
        deletion == DeletionCase::NamedValue ? std::string_view(entry.valueName) : std::string_view();
    if (!provider.ValueExists(name)) return DeletionOutcome::Missing;
    return provider.DeleteValue(name) ? DeletionOutcome::Deleted : DeletionOutcome::Failed;
}

bool ResultEntryExists(RegistryContext& registry, const ScanEntry& entry,
                       std::string_view defaultText) {
    const DeletionCase deletion = ClassifyDeletion(entry, defaultText);
    if (deletion == DeletionCase::Nothing) return false;
    RegistryProvider provider(registry);
    provider.SetRootKey(*entry.root);
    const std::string path = Absolute(entry.keyPath);
    if (deletion == DeletionCase::WholeKey) return provider.KeyExists(path);
    // A key that refuses to be read may still hold the value: it counts as there.
    if (!provider.OpenKeyReadOnly(path)) return provider.KeyExists(path);
    return provider.ValueExists(deletion == DeletionCase::NamedValue ? std::string_view(entry.valueName)
                                                                      : std::string_view());
}

}  // namespace kestrover
