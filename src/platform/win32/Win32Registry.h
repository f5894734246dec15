// The registry port on advapi32's W functions.
#pragma once

#include "platform/ports/RegistryPort.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover {

class Win32Registry final : public RegistryPort {
public:
    Result<std::unique_ptr<RegistryKey>> OpenKey(PredefinedKey root, std::string_view path,
                                                 std::uint32_t access) override;
    Result<std::unique_ptr<RegistryKey>> CreateKey(PredefinedKey root, std::string_view path,
                                                   std::uint32_t access) override;

    // The predefined handle (HKEY_CLASSES_ROOT, ...) of a root.
    static HKEY RootHandle(PredefinedKey root);
};

}  // namespace kestrover
