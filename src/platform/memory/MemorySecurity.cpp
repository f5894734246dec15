// Privileges, the user and key security of the in-memory registry.
#include "platform/memory/MemorySecurity.h"

#include <algorithm>

namespace kestrover {

namespace {

constexpr std::uint32_t kErrorNotAllAssigned = 1300;
constexpr std::uint32_t kErrorNoToken = 1008;

}  // namespace

Status MemorySecurity::SetPrivilege(std::string_view name, PrivilegeState state) {
    const bool enable = state == PrivilegeState::Enabled;
    privilegeLog_.push_back((enable ? "+" : "-") + std::string(name));
    MemoryRegistry::AccessToken& token = registry_.Token();
    const auto& held = token.heldPrivileges;
    if (std::find(held.begin(), held.end(), name) == held.end()) {
        return MakeError(ErrorCode::AccessDenied, "privilege " + std::string(name),
                         kErrorNotAllAssigned);
    }
    auto& enabled = token.enabledPrivileges;
    auto found = std::find(enabled.begin(), enabled.end(), name);
    if (enable && found == enabled.end()) enabled.emplace_back(name);
    if (!enable && found != enabled.end()) enabled.erase(found);
    return {};
}

Result<std::string> MemorySecurity::CurrentUserSid() {
    const MemoryRegistry::AccessToken& token = registry_.Token();
    if (!token.userSidReadable) {
        return MakeError(ErrorCode::AccessDenied, "the current user's identifier", kErrorNoToken);
    }
    return token.userSid;
}

Result<std::unique_ptr<KeySecurity>> MemorySecurity::OpenKeySecurity(PredefinedKey root,
                                                                     std::string_view path,
                                                                     std::uint32_t access) {
    return registry_.OpenKeySecurity(root, path, access);
}

}  // namespace kestrover
