// The ports of the system this build runs on.
#include "platform/NativePlatform.h"
