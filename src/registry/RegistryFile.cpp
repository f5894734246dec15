// RegistryFile: loading a registry from its export file and saving it back atomically.
#include "registry/RegistryFile.h"

#include <optional>
#include <vector>

#include "platform/memory/MemoryRegistry.h"
#include "registry/RegExportReader.h"
#include "registry/RegExportWriter.h"

namespace kestrover {

namespace {

// Load and save work in the 64-bit view: the file holds what is stored, Wow6432Node included,
// and the 32-bit view's redirection would fold it into the keys above.
RegistryContext StorageContext(RegistryContext& registry) {
    return RegistryContext{registry.port, RegistryViewFlags{true, true}, registry.ansiCodePage};
}

constexpr std::uint32_t kReadStorage = KeyAccess::Read | KeyAccess::Wow64_64Key;

std::string KeyText(RegRoot root, const std::string& path) {
    return RegPath{root, path}.FullText();
}

std::string Quoted(std::string_view name) {
    return name.empty() ? std::string("the default value")
                        : "the value \"" + std::string(name) + "\"";
}

// The first difference between the key root\path in `saved` and in `reloaded` (its values,
// their order and data, its subkeys, recursively), or nothing when they are the same.
std::optional<std::string> FirstDifference(RegistryPort& saved, RegistryPort& reloaded,
                                           RegRoot root, const std::string& path) {
    auto savedKey = saved.OpenKey(root, path, kReadStorage);
    if (!savedKey) {
        return "the key " + KeyText(root, path) + " cannot be read (" +
               savedKey.error().Describe() + ")";
    }
    auto reloadedKey = reloaded.OpenKey(root, path, kReadStorage);
    if (!reloadedKey) {
        return "the key " + KeyText(root, path) + " does not come back from the file";
    }
    auto savedValues = (*savedKey)->Values();
    auto savedSubkeys = (*savedKey)->SubkeyNames();
    if (!savedValues || !savedSubkeys) {
        return "the key " + KeyText(root, path) + " cannot be read";
    }
    auto reloadedValues = (*reloadedKey)->Values();
    auto reloadedSubkeys = (*reloadedKey)->SubkeyNames();
    if (!reloadedValues || !reloadedSubkeys) {
        return "the key " + KeyText(root, path) + " does not come back from the file";
    }

    const std::vector<RegistryValue>& before = *savedValues;
    const std::vector<RegistryValue>& after = *reloadedValues;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (i >= after.size() || after[i].name != before[i].name) {
            return Quoted(before[i].name) + " of " + KeyText(root, path) +
                   " does not come back from the file in its place";
        }
        if (after[i].data.type != before[i].data.type ||
            after[i].data.bytes != before[i].data.bytes) {
            return Quoted(before[i].name) + " of " + KeyText(root, path) +
                   " comes back from the file with other data";
        }
    }
    if (after.size() > before.size()) {
        return Quoted(after[before.size()].name) + " of " + KeyText(root, path) +
               " appears from the file without being in the registry";
    }

    const std::vector<std::string>& subkeys = *savedSubkeys;
    for (std::size_t i = 0; i < subkeys.size(); ++i) {
        std::string child = path.empty() ? subkeys[i] : path + "\\" + subkeys[i];
        if (i >= reloadedSubkeys->size() || (*reloadedSubkeys)[i] != subkeys[i]) {
            return "the key " + KeyText(root, child) + " does not come back from the file";
        }
        if (auto difference = FirstDifference(saved, reloaded, root, child)) return difference;
    }
    if (reloadedSubkeys->size() > subkeys.size()) {
        std::string extra = path.empty() ? (*reloadedSubkeys)[subkeys.size()]
                                         : path + "\\" + (*reloadedSubkeys)[subkeys.size()];
        return "the key " + KeyText(root, extra) +
               " appears from the file without being in the registry";
    }
    return std::nullopt;
}

// Restores the file into the registry and checks that every section landed.
Status Restore(RegistryContext& registry, FileSystemPort& fileSystem, std::string_view path) {
    RegistryContext storage = StorageContext(registry);
    RegExportReader reader(storage, fileSystem);
    Status loaded = reader.LoadExportFile(path, LoadMode::Restore);
    if (!loaded) return loaded;
    for (const ExportNode& node : reader.Nodes()) {
        if (!node.root) {
            return MakeError(ErrorCode::InvalidData, "registry file " + std::string(path) +
                                                         ": the section " + node.text +
                                                         " names no root this registry keeps");
        }
        if (node.status == ExportNodeStatus::Failed || node.abandoned) {
            return MakeError(ErrorCode::InvalidData, "registry file " + std::string(path) +
                                                         ": the key of " + node.text +
                                                         " could not be written");
        }
        for (const ExportNode& value : node.children) {
            // A section too long to show is shown as one node, yet restored whole.
            if (value.status != ExportNodeStatus::Restored &&
                value.status != ExportNodeStatus::TooLong) {
                return MakeError(ErrorCode::InvalidData,
                                 "registry file " + std::string(path) + ": a value of " +
                                     node.text + " could not be written (" + value.text + ")");
            }
        }
    }
    if (reader.Failed() || reader.SectionsAbandoned()) {
        return MakeError(ErrorCode::InvalidData,
                         "registry file " + std::string(path) + ": some key could not be written");
    }
    return {};
}

}  // namespace

std::string RegistryFileSavingPath(std::string_view path) { return std::string(path) + ".saving"; }

Status LoadRegistryFile(RegistryContext& registry, FileSystemPort& fileSystem,
                        std::string_view path) {
    if (!fileSystem.FileExists(path)) {
        return MakeError(ErrorCode::NotFound, "registry file " + std::string(path));
    }
    return Restore(registry, fileSystem, path);
}

Status SaveRegistryFile(RegistryContext& registry, FileSystemPort& fileSystem,
                        std::string_view path) {
    const std::string saving = RegistryFileSavingPath(path);
    // Every failure names the file it failed to save, removes the temporary file and leaves
    // the old file as it was.
    auto fail = [&](Error error) -> Status {
        (void)fileSystem.DeleteFile(saving);
        error.context = "registry file " + std::string(path) + " not saved: " + error.context;
        return error;
    };

    RegistryContext storage = StorageContext(registry);
    {
        RegExportWriter writer(storage, fileSystem);
        if (!writer.BeginExportFile(saving)) {
            return fail(MakeError(ErrorCode::Io, "cannot create " + saving));
        }
        for (RegRoot root : kRegistryFileRoots) writer.ExportKey(root, "");
        Status written = writer.EndExportFile();
        if (!written) return fail(written.error());
    }

    // Read back what was written before it replaces the old file: anything the file cannot
    // hold shows up here instead of vanishing at the next load.
    MemoryRegistry reloaded(true);
    RegistryContext reloadedContext{reloaded, RegistryViewFlags{true, true}, registry.ansiCodePage};
    Status readBack = Restore(reloadedContext, fileSystem, saving);
    if (!readBack) {
        return fail(MakeError(ErrorCode::InvalidData,
                              "the file written does not read back: " + readBack.error().context));
    }
    for (RegRoot root : kRegistryFileRoots) {
        if (auto difference = FirstDifference(registry.port, reloaded, root, "")) {
            return fail(MakeError(ErrorCode::InvalidData, *difference));
        }
    }

    Status moved = fileSystem.MoveFile(saving, path, ExistingTarget::Replace);
    if (!moved) return fail(moved.error());
    return {};
}

}  // namespace kestrover
