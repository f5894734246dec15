// A registry harness on the real registry: a fresh scratch key below HKEY_CURRENT_USER\Software
// per harness, and key security that denies this process reading or writing.
#pragma once

#include <string>
#include <vector>

#include "contracts/RegistryContract.h"
#include "platform/win32/Win32Registry.h"

namespace kestrover::testing {

class Win32RegistryHarness final : public RegistryHarness {
public:
    Win32RegistryHarness();
    ~Win32RegistryHarness() override;
    Win32RegistryHarness(const Win32RegistryHarness&) = delete;
    Win32RegistryHarness& operator=(const Win32RegistryHarness&) = delete;

    RegistryPort& Port() override { return registry_; }
    std::string ScratchPath() override { return scratchPath_; }
    // The test program is a 64-bit process, and a 64-bit process only runs on 64-bit Windows.
    bool Is64BitWindows() override { return sizeof(void*) == 8; }
    bool ValuesInCreationOrder() override { return false; }
    bool CanWriteLocalMachine() override;
    bool DenyRead(PredefinedKey root, const std::string& path) override;
    bool DenyWrite(PredefinedKey root, const std::string& path) override;

private:
    // A key whose access list was replaced, with the one to put back before clean-up.
    struct ChangedSecurity {
        PredefinedKey root;
        std::string path;
        std::vector<unsigned char> original;
    };

    bool Deny(PredefinedKey root, const std::string& path, unsigned long rights);
    static bool Restore(const ChangedSecurity& changed);

    Win32Registry registry_;
    std::string scratchPath_;
    std::vector<ChangedSecurity> changedSecurity_;
};

}  // namespace kestrover::testing
