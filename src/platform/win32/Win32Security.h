// The security port on advapi32: token privileges, the user's SID, and key owners and access
// lists through GetSecurityInfo/SetSecurityInfo with their SDDL conversions.
#pragma once

#include "platform/ports/SecurityPort.h"

namespace kestrover {

class Win32Security final : public SecurityPort {
public:
    Status SetPrivilege(std::string_view name, PrivilegeState state) override;
    Result<std::string> CurrentUserSid() override;
    Result<std::unique_ptr<KeySecurity>> OpenKeySecurity(PredefinedKey root, std::string_view path,
                                                         std::uint32_t access) override;
};

}  // namespace kestrover
