// Opening a key in the system registry editor.
#include "repair/RegistryEditor.h"

#include "core/Text.h"
#include "registry/RegRoot.h"

namespace kestrover {

namespace {

constexpr std::string_view kSoftware = "software";
constexpr std::string_view kWow6432Node = "Wow6432Node";

bool KeyExists(const RegistryContext& registry, RegRoot root, std::string_view path) {
    // The editor is a 64-bit program on 64-bit Windows: the key is looked for in the view it
    // shows, whatever view this process was told to use.
    RegistryContext editorView{
        registry.port, {registry.views.is64BitWindows, true}, registry.ansiCodePage};
    RegistryProvider provider(editorView);
    provider.SetRootKey(root);
    return provider.KeyExists("\\" + std::string(path));
}

std::string TargetText(RegRoot root, std::string_view path) {
    std::string target(RootFullName(root));
    if (!path.empty()) {
        target += '\\';
        target += path;
    }
    return target;
}

}  // namespace

std::optional<std::string> ThirtyTwoBitViewPath(std::string_view path) {
    std::vector<std::string> components = Split(path, '\\');
    for (std::size_t index = 0; index < components.size(); ++index) {
        if (!EqualsNoCase(components[index], kSoftware)) continue;
        if (index + 1 < components.size() && EqualsNoCase(components[index + 1], kWow6432Node)) {
            return std::nullopt;
        }
        components.insert(components.begin() + static_cast<std::ptrdiff_t>(index + 1),
                          std::string(kWow6432Node));
        return Join(components, "\\");
    }
    return std::nullopt;
}

std::optional<std::string> ResolveRegistryEditorTarget(const RegistryContext& registry,
                                                       std::string_view rootName,
                                                       std::string_view path) {
    std::optional<RegRoot> root = RootFromName(rootName);
    if (!root) return std::nullopt;
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    if (path.empty() || KeyExists(registry, *root, path)) return TargetText(*root, path);
    std::optional<std::string> redirected = ThirtyTwoBitViewPath(path);
    if (redirected && KeyExists(registry, *root, *redirected)) {
        return TargetText(*root, *redirected);
    }
    // Neither exists: the editor opens as near to the key as it can.
    return TargetText(*root, path);
}

Status OpenInRegistryEditor(const RegistryContext& registry, ShellPort& shell,
                            std::string_view rootName, std::string_view path) {
    std::optional<std::string> target = ResolveRegistryEditorTarget(registry, rootName, path);
    if (!target) {
        return MakeError(ErrorCode::InvalidData,
                         "\"" + std::string(rootName) + "\" is no registry root");
    }
    return shell.OpenRegistryEditor(*target);
}

}  // namespace kestrover
