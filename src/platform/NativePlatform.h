// The ports of the system this build runs on: the real registry, disk and environment on
// Windows; on Linux a registry held in memory and folders mapped as drives.
#pragma once

#include <memory>

#include "platform/ports/Platform.h"

namespace kestrover {

struct NativePlatformOptions;

class NativePlatform {
public:
    virtual ~NativePlatform() = default;
    virtual Platform Ports() = 0;
};

}  // namespace kestrover
