// The value kinds the registry layer tells apart, and their registry types.
#pragma once

#include <cstdint>

namespace kestrover {

enum class RegValueKind {
    Unknown = 0,       // any type not listed below
    String = 1,        // REG_SZ
    ExpandString = 2,  // REG_EXPAND_SZ
    MultiString = 3,   // REG_MULTI_SZ
    Integer = 4,       // REG_DWORD
    Binary = 5,        // REG_BINARY
};

RegValueKind KindFromRegistryType(std::uint32_t type);
// REG_NONE for Unknown.
std::uint32_t RegistryTypeFromKind(RegValueKind kind);

}  // namespace kestrover
