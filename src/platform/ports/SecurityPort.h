// The security port: the process's privileges, the current user's security identifier, and the
// owner and access list of registry keys as the security descriptor definition language (SDDL)
// writes them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/Result.h"
#include "platform/ports/RegistryPort.h"

namespace kestrover {

// Privilege names as Windows spells them.
namespace PrivilegeName {
inline constexpr std::string_view TakeOwnership = "SeTakeOwnershipPrivilege";
inline constexpr std::string_view Restore = "SeRestorePrivilege";
}  // namespace PrivilegeName

enum class PrivilegeState { Disabled, Enabled };

// A registry key opened for its security information. Each operation needs the right the key
// was opened with: reading needs KeyAccess::ReadControl, changing the owner
// KeyAccess::WriteOwner, changing the access list KeyAccess::WriteDac.
class KeySecurity {
public:
    virtual ~KeySecurity() = default;

    // The owner as a SID string ("S-1-5-32-544").
    virtual Result<std::string> Owner() = 0;
    // ownerSid is a SID string or an SDDL alias ("BA"). The system refuses an owner that is
    // neither the user nor one of the groups the user may name as owner (InvalidData), unless
    // the restore privilege is enabled.
    virtual Status SetOwner(std::string_view ownerSid) = 0;
    // The discretionary access list: "D:" with its flags and entries, "D:NO_ACCESS_CONTROL"
    // for a key without one (which grants everyone everything).
    virtual Result<std::string> AccessList() = 0;
    // Replaces the access list by the one the text describes. InvalidData, with nothing
    // changed, when the text is not a valid access list.
    virtual Status SetAccessList(std::string_view accessList) = 0;
};

class SecurityPort {
public:
    virtual ~SecurityPort() = default;

    // Enables or disables a privilege of the process. Fails (AccessDenied) when the process
    // does not hold it; succeeds without doing anything on a system without privileges.
    virtual Status SetPrivilege(std::string_view name, PrivilegeState state) = 0;
    // The current user's security identifier in string form ("S-1-5-21-...-1001").
    virtual Result<std::string> CurrentUserSid() = 0;
    // Opens root\path for its security information with the rights in access (see KeySecurity),
    // plus the KEY_WOW64 view flags. Fails as RegistryPort::OpenKey does: AccessDenied when
    // the key refuses the rights, NotFound when it does not exist.
    virtual Result<std::unique_ptr<KeySecurity>> OpenKeySecurity(PredefinedKey root,
                                                                 std::string_view path,
                                                                 std::uint32_t access) = 0;
};

}  // namespace kestrover
