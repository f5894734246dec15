// Small operations on key path texts, and value kind conversion.
#include "registry/KeyPaths.h"

#include "core/Text.h"
#include "platform/ports/RegistryPort.h"
#include "registry/RegValueKind.h"

namespace kestrover {

std::string LastKeyName(std::string_view path) {
    std::size_t last = path.rfind('\\');
    if (last == std::string_view::npos) return std::string(path);
    return std::string(path.substr(last + 1));
}

std::string ParentKeyPath(std::string_view path) {
    std::size_t last = path.rfind('\\');
    if (last == std::string_view::npos) return {};
    return std::string(path.substr(0, last));
}

std::string FileNamePart(std::string_view text) {
    std::size_t last = text.find_last_of("\\:");
    if (last == std::string_view::npos) return AsciiLower(text);
    return AsciiLower(text.substr(last + 1));
}

RegValueKind KindFromRegistryType(std::uint32_t type) {
    switch (type) {
        case RegistryType::String: return RegValueKind::String;
        case RegistryType::ExpandString: return RegValueKind::ExpandString;
        case RegistryType::MultiString: return RegValueKind::MultiString;
        case RegistryType::Dword: return RegValueKind::Integer;
        case RegistryType::Binary: return RegValueKind::Binary;
        default: return RegValueKind::Unknown;
    }
}

std::uint32_t RegistryTypeFromKind(RegValueKind kind) {
    switch (kind) {
        case RegValueKind::String: return RegistryType::String;
        case RegValueKind::ExpandString: return RegistryType::ExpandString;
        case RegValueKind::MultiString: return RegistryType::MultiString;
        case RegValueKind::Integer: return RegistryType::Dword;
        case RegValueKind::Binary: return RegistryType::Binary;
        case RegValueKind::Unknown: return RegistryType::None;
    }
    return RegistryType::None;
}

}  // namespace kestrover
