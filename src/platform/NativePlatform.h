// The ports of the system this build runs on: the real registry, disks and environment on
// Windows; on Linux a registry held in memory and host folders mapped as drives.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Result.h"
#include "platform/ports/Platform.h"

namespace kestrover {

struct DriveMapping {
    char letter = 'C';
    std::string hostFolder;
};

struct NativePlatformOptions {
    // Linux only: host folders shown as fixed local drives. Windows has its own drives.
    std::vector<DriveMapping> drives;
};

class NativePlatform {
public:
    virtual ~NativePlatform() = default;
    virtual Platform Ports() = 0;
};

// Fails (InvalidData or Unsupported) when an option does not apply to this system or names a
// folder that does not exist.
Result<std::unique_ptr<NativePlatform>> CreateNativePlatform(const NativePlatformOptions& options);

// Makes the console show UTF-8 output as text (Windows consoles need to be told).
void PrepareConsoleForUtf8();

}  // namespace kestrover
