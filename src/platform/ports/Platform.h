// The bundle of platform ports passed down to the logic; nothing below the front ends reaches
// the system any other way.
#pragma once

#include "platform/ports/ClockPort.h"
#include "platform/ports/EnvironmentPort.h"
#include "platform/ports/FileSystemPort.h"
#include "platform/ports/RegistryPort.h"
#include "platform/ports/SecurityPort.h"
#include "platform/ports/ShellPort.h"

namespace kestrover {

struct Platform {
    RegistryPort& registry;
    FileSystemPort& fileSystem;
    EnvironmentPort& environment;
    ClockPort& clock;
    ShellPort& shell;
    SecurityPort& security;
};

}  // namespace kestrover
