// A whole platform in memory for the tests of commands: a 64-bit registry, the disk, the
// environment, the clock, the shell and the security. A fixture inherits it and reaches each
// part by its name.
#pragma once

#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/memory/MemoryShell.h"
#include "platform/ports/Platform.h"

namespace kestrover::testing {

struct MemoryPlatformParts {
    MemoryRegistry memory_{true};
    MemoryFileSystem files_;
    MemoryEnvironment environment_;
    MemoryClock clock_;
    MemoryShell shell_;
    MemorySecurity security_{memory_};
    Platform platform_{memory_, files_, environment_, clock_, shell_, security_};
};

}  // namespace kestrover::testing
