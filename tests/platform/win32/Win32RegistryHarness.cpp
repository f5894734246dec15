// The Win32 registry harness: scratch keys, clean-up with RegDeleteTreeW, and denial through
// the key's access list, checked by opening the key again.
#include "platform/win32/Win32RegistryHarness.h"

#include <atomic>

#include "platform/win32/UniqueResource.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover::testing {

using win32::ToWide;
using win32::UniqueKey;

namespace {

std::string NewScratchName(const char* prefix) {
    static std::atomic<int> counter{0};
    return std::string(prefix) + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
}

LSTATUS OpenKey64(PredefinedKey root, const std::string& path, REGSAM access, UniqueKey& key) {
    return ::RegOpenKeyExW(Win32Registry::RootHandle(root), ToWide(path).c_str(), 0,
                           access | KEY_WOW64_64KEY, key.put());
}

}  // namespace

Win32RegistryHarness::Win32RegistryHarness()
    : scratchPath_("Software\\" + NewScratchName("KestroverContract")) {
    UniqueKey key;
    LSTATUS status =
        ::RegCreateKeyExW(HKEY_CURRENT_USER, ToWide(scratchPath_).c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    EXPECT_EQ(status, ERROR_SUCCESS) << "creating the scratch key " << scratchPath_;
}

Win32RegistryHarness::~Win32RegistryHarness() {
    // A denied key would stop the recursive delete; give the keys their access lists back.
    for (auto changed = changedSecurity_.rbegin(); changed != changedSecurity_.rend(); ++changed) {
        EXPECT_TRUE(Restore(*changed)) << "restoring the security of " << changed->path;
    }
    LSTATUS status = ::RegDeleteTreeW(HKEY_CURRENT_USER, ToWide(scratchPath_).c_str());
    EXPECT_EQ(status, ERROR_SUCCESS) << "removing the scratch key " << scratchPath_;
}

bool Win32RegistryHarness::CanWriteLocalMachine() {
    static const bool writable = [] {
        std::wstring probe = ToWide("Software\\" + NewScratchName("KestroverProbe"));
        UniqueKey key;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, probe.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, key.put(),
                              nullptr) != ERROR_SUCCESS) {
            return false;
        }
        key.reset();
        return ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, probe.c_str(), KEY_WOW64_64KEY, 0) ==
               ERROR_SUCCESS;
    }();
    return writable;
}

bool Win32RegistryHarness::DenyRead(PredefinedKey root, const std::string& path) {
    return Deny(root, path, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY);
}

bool Win32RegistryHarness::DenyWrite(PredefinedKey root, const std::string& path) {
    // WRITE_DAC stays allowed, so that the original access list can be put back.
    return Deny(root, path, KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE);
}

bool Win32RegistryHarness::Deny(PredefinedKey root, const std::string& path, unsigned long rights) {
    UniqueKey key;
    if (OpenKey64(root, path, READ_CONTROL | WRITE_DAC, key) != ERROR_SUCCESS) return false;

    ChangedSecurity changed{root, path, {}};
    DWORD size = 0;
    ::RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
    changed.original.resize(size);
    if (size == 0 || ::RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION,
                                         changed.original.data(), &size) != ERROR_SUCCESS) {
        return false;
    }

    // Everyone is denied the rights, then allowed everything else: deny entries come first.
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof everyone;
    if (!::CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize)) return false;
    alignas(DWORD) BYTE aclBuffer[256];
    auto* acl = reinterpret_cast<PACL>(aclBuffer);
    SECURITY_DESCRIPTOR descriptor;
    if (!::InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION) ||
        !::AddAccessDeniedAce(acl, ACL_REVISION, rights, everyone) ||
        !::AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone) ||
        !::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE)) {
        return false;
    }
    if (::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    changedSecurity_.push_back(changed);

    // Only a refused open shows that the system enforces the list.
    UniqueKey probe;
    if (OpenKey64(root, path, rights, probe) == ERROR_ACCESS_DENIED) return true;
    Restore(changed);
    changedSecurity_.pop_back();
    return false;
}

bool Win32RegistryHarness::Restore(const ChangedSecurity& changed) {
    UniqueKey key;
    if (OpenKey64(changed.root, changed.path, WRITE_DAC, key) != ERROR_SUCCESS) return false;
    auto* descriptor = const_cast<unsigned char*>(changed.original.data());
    return ::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
}

}  // namespace kestrover::testing
