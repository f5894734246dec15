// The program's version, for the about page and the version resource (plain macros: the
// resource compiler reads this file too).
#pragma once

#define KESTROVER_VERSION_MAJOR 0
#define KESTROVER_VERSION_MINOR 1
#define KESTROVER_VERSION_PATCH 0
#define KESTROVER_VERSION_TEXT "0.1.0"
