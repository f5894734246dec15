// The security port over the in-memory registry: privileges and the user come from the
// registry's token, key security from its keys.
#pragma once

#include "platform/memory/MemoryRegistry.h"
#include "platform/ports/SecurityPort.h"

namespace kestrover {

class MemorySecurity final : public SecurityPort {
public:
    explicit MemorySecurity(MemoryRegistry& registry) : registry_(registry) {}

    Status SetPrivilege(std::string_view name, PrivilegeState state) override;
    Result<std::string> CurrentUserSid() override;
    Result<std::unique_ptr<KeySecurity>> OpenKeySecurity(PredefinedKey root, std::string_view path,
                                                         std::uint32_t access) override;

    // Every privilege change asked for, in order ("+SeTakeOwnershipPrivilege" to enable,
    // "-..." to disable), for tests of the order of a command's steps.
    const std::vector<std::string>& PrivilegeLog() const { return privilegeLog_; }

private:
    MemoryRegistry& registry_;
    std::vector<std::string> privilegeLog_;
};

}  // namespace kestrover
