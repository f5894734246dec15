// The registry port: the system registry as advapi32 offers it, keys opened by root and path
// with an access mask (including the KEY_WOW64 view flags), values as a type and raw bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"

namespace kestrover {

// The predefined root keys with their Windows handle values.
enum class PredefinedKey : std::uint32_t {
    ClassesRoot = 0x80000000,
    CurrentUser = 0x80000001,
    LocalMachine = 0x80000002,
    Users = 0x80000003,
    PerformanceData = 0x80000004,
    CurrentConfig = 0x80000005,
    DynData = 0x80000006,
};

// Windows access rights for registry keys.
namespace KeyAccess {
inline constexpr std::uint32_t QueryValue = 0x0001;
inline constexpr std::uint32_t SetValue = 0x0002;
inline constexpr std::uint32_t CreateSubKey = 0x0004;
inline constexpr std::uint32_t EnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t Notify = 0x0010;
inline constexpr std::uint32_t CreateLink = 0x0020;
inline constexpr std::uint32_t Wow64_64Key = 0x0100;
inline constexpr std::uint32_t Wow64_32Key = 0x0200;
inline constexpr std::uint32_t Delete = 0x00010000;
inline constexpr std::uint32_t ReadControl = 0x00020000;
inline constexpr std::uint32_t WriteDac = 0x00040000;
inline constexpr std::uint32_t WriteOwner = 0x00080000;
inline constexpr std::uint32_t Read = 0x00020019;       // KEY_READ
inline constexpr std::uint32_t Write = 0x00020006;      // KEY_WRITE
inline constexpr std::uint32_t AllAccess = 0x000F003F;  // KEY_ALL_ACCESS
inline constexpr std::uint32_t ViewFlags = Wow64_64Key | Wow64_32Key;
// Rights that need a key's read permission, and rights that need its write permission.
inline constexpr std::uint32_t ReadRights = QueryValue | EnumerateSubKeys | Notify;
inline constexpr std::uint32_t WriteRights =
    SetValue | CreateSubKey | CreateLink | Delete | WriteDac | WriteOwner;
}  // namespace KeyAccess

// Registry value types (REG_*).
namespace RegistryType {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t String = 1;        // REG_SZ
inline constexpr std::uint32_t ExpandString = 2;  // REG_EXPAND_SZ
inline constexpr std::uint32_t Binary = 3;        // REG_BINARY
inline constexpr std::uint32_t Dword = 4;         // REG_DWORD
inline constexpr std::uint32_t DwordBigEndian = 5;
inline constexpr std::uint32_t Link = 6;
inline constexpr std::uint32_t MultiString = 7;  // REG_MULTI_SZ
inline constexpr std::uint32_t ResourceList = 8;
inline constexpr std::uint32_t FullResourceDescriptor = 9;
inline constexpr std::uint32_t ResourceRequirementsList = 10;
inline constexpr std::uint32_t Qword = 11;
}  // namespace RegistryType

// A value's type and its bytes as stored. Strings are stored as the W functions store them:
// UTF-16LE code units, normally with a terminating zero.
struct RegistryData {
    std::uint32_t type = RegistryType::None;
    std::vector<std::uint8_t> bytes;
};

struct RegistryValue {
    std::string name;  // "" is the default value
    RegistryData data;
};

// An open key. Operations check the rights the key was opened with, as Windows does.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;

    // Names of the direct subkeys, in the registry's enumeration order (sorted, ignoring case).
    virtual Result<std::vector<std::string>> SubkeyNames() = 0;
    // Names of the values in enumeration order (creation order on Windows); "" is the default.
    virtual Result<std::vector<std::string>> ValueNames() = 0;
    // Names and data of every value in one pass: one call instead of one per value.
    virtual Result<std::vector<RegistryValue>> Values() = 0;
    // NotFound when the value does not exist.
    virtual Result<RegistryData> QueryValue(std::string_view name) = 0;
    virtual Status SetValue(std::string_view name, std::uint32_t type,
                            std::span<const std::uint8_t> bytes) = 0;
    virtual Status DeleteValue(std::string_view name) = 0;
    // Deletes the direct subkey `name`, which must have no subkeys of its own. viewFlags are
    // the KEY_WOW64 flags that choose the view in which `name` is looked up.
    virtual Status DeleteSubkey(std::string_view name, std::uint32_t viewFlags) = 0;
};

class RegistryPort {
public:
    virtual ~RegistryPort() = default;

    // Opens root\path ("" opens the root itself). Paths use single backslashes between
    // components, no leading or trailing backslash. AccessDenied when the key exists but
    // refuses the requested rights; NotFound when it does not exist.
    virtual Result<std::unique_ptr<RegistryKey>> OpenKey(PredefinedKey root, std::string_view path,
                                                         std::uint32_t access) = 0;
    // Opens root\path, creating every missing key on the way.
    virtual Result<std::unique_ptr<RegistryKey>> CreateKey(PredefinedKey root,
                                                           std::string_view path,
                                                           std::uint32_t access) = 0;
};

}  // namespace kestrover
