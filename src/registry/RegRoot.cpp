// Registry roots, root numbers and key path texts.
#include "registry/RegRoot.h"

#include "core/Text.h"

namespace kestrover {

namespace {

struct RootInfo {
    RegRoot root;
    std::string_view fullName;
    std::string_view shortName;
    int index;  // -1 when the root has no number
};

constexpr RootInfo kRoots[] = {
    {RegRoot::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR", 0},
    {RegRoot::CurrentUser, "HKEY_CURRENT_USER", "HKCU", 1},
    {RegRoot::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM", 2},
    {RegRoot::Users, "HKEY_USERS", "HKU", 3},
    {RegRoot::PerformanceData, "HKEY_PERFORMANCE_DATA", "", -1},
    {RegRoot::CurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC", 4},
    {RegRoot::DynData, "HKEY_DYN_DATA", "", -1},
};

const RootInfo* Find(RegRoot root) {
    for (const RootInfo& info : kRoots) {
        if (info.root == root) return &info;
    }
    return nullptr;
}

}  // namespace

std::string_view RootFullName(RegRoot root) {
    const RootInfo* info = Find(root);
    return info ? info->fullName : std::string_view{};
}

std::string_view RootShortName(RegRoot root) {
    const RootInfo* info = Find(root);
    return info ? info->shortName : std::string_view{};
}

std::optional<int> RootIndex(RegRoot root) {
    const RootInfo* info = Find(root);
    if (!info || info->index < 0) return std::nullopt;
    return info->index;
}

std::optional<RegRoot> RootFromIndex(int index) {
    for (const RootInfo& info : kRoots) {
        if (info.index >= 0 && info.index == index) return info.root;
    }
    return std::nullopt;
}

std::optional<RegRoot> RootFromIndexDigit(char digit) {
    if (digit < '0' || digit > '9') return std::nullopt;
    return RootFromIndex(digit - '0');
}

std::optional<RegRoot> RootFromFullName(std::string_view name) {
    for (const RootInfo& info : kRoots) {
        // Only the five roots with a number can be named in a key path text.
        if (info.index >= 0 && EqualsNoCase(name, info.fullName)) return info.root;
    }
    return std::nullopt;
}

std::optional<RegRoot> RootFromName(std::string_view name) {
    if (auto root = RootFromFullName(name)) return root;
    for (const RootInfo& info : kRoots) {
        if (info.index >= 0 && EqualsNoCase(name, info.shortName)) return info.root;
    }
    return std::nullopt;
}

std::string RegPath::FullText() const {
    std::string text(RootFullName(root));
    if (!path.empty()) {
        text += '\\';
        text += path;
    }
    return text;
}

std::optional<RegPath> ParseKeyPath(std::string_view text, RootNames names) {
    std::size_t separator = text.find('\\');
    std::string_view rootText = text.substr(0, separator);
    std::string_view rest =
        separator == std::string_view::npos ? std::string_view{} : text.substr(separator + 1);
    std::optional<RegRoot> root;
    if (ContainsNoCase(text, "hkey_")) root = RootFromFullName(rootText);
    if (!root && names == RootNames::FullOrShort) root = RootFromName(rootText);
    if (!root) return std::nullopt;
    return RegPath{*root, std::string(rest)};
}

}  // namespace kestrover
