// Taking ownership of a registry key and granting the user full control of it.
#include "repair/KeyOwnership.h"

#include "core/KestroverError.h"
#include "platform/ports/AccessListText.h"

namespace kestrover {

namespace {

// The view flag every open sends, as the registry provider chooses it.
std::uint32_t ViewFlag(RegistryViewFlags views) {
    if (!views.is64BitWindows) return 0;
    return views.use64BitView ? KeyAccess::Wow64_64Key : KeyAccess::Wow64_32Key;
}

std::string KeyText(RegRoot root, std::string_view path) {
    std::string text(RootFullName(root));
    if (!path.empty()) text += "\\" + std::string(path);
    return text;
}

}  // namespace

std::string FullControlEntry(std::string_view trustee) {
    return "(A;OICI;GA;;;" + std::string(trustee) + ")";
}

bool TakeKeyOwnership(SecurityPort& security, RegistryViewFlags views, RegRoot root,
                      std::string_view path, std::string& accessList) {
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    const std::uint32_t view = ViewFlag(views);
    Result<std::string> user = security.CurrentUserSid();

    // Without the right to change the owner the key keeps it; the access list may still be
    // open to the user.
    (void)security.SetPrivilege(PrivilegeName::TakeOwnership, PrivilegeState::Enabled);
    if (user) {
        if (auto key = security.OpenKeySecurity(root, path, KeyAccess::WriteOwner | view)) {
            (void)(*key)->SetOwner(*user);
        }
    }
    (void)security.SetPrivilege(PrivilegeName::TakeOwnership, PrivilegeState::Disabled);

    auto key =
        security.OpenKeySecurity(root, path, KeyAccess::ReadControl | KeyAccess::WriteDac | view);
    if (!key) {
        throw KestroverError("cannot change the permissions of " + KeyText(root, path) + ": " +
                             key.error().Describe());
    }
    Result<std::string> old = (*key)->AccessList();
    if (!old) return false;
    std::optional<AccessListText> oldList = ParseAccessList(*old);

    std::string updated;
    if (accessList.empty()) {
        if (old->empty() || (oldList && oldList->noAccessControl)) {
            accessList = *old;
            return true;
        }
        updated = *old + FullControlEntry(user ? std::string_view(*user) : "BA");
    } else {
        updated = accessList;
    }
    if (!ParseAccessList(updated)) return false;
    if (!(*key)->SetAccessList(updated)) return false;
    accessList = *old;
    return true;
}

}  // namespace kestrover
