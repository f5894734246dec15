// The window settings file "lang.ini": the chosen language file and the main window's position
// and size, read at start with their defaults and rewritten whole at close.
#pragma once

#include <string>
#include <string_view>

#include "core/Result.h"
#include "core/TextCodec.h"
#include "platform/ports/EnvironmentPort.h"
#include "platform/ports/FileSystemPort.h"

namespace kestrover {

// The main window's left edge, top edge, width and height in pixels. The window reads it when
// it is created and writes it back before it closes.
struct WindowPlacement {
    int left = 0;
    int top = 0;
    int width = 716;
    int height = 460;

    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

struct WindowSettings {
    static constexpr std::string_view kDefaultLanguage = "English.lng";
    static constexpr int kDefaultWidth = 716;
    static constexpr int kDefaultHeight = 460;

    std::string currentLanguage{kDefaultLanguage};  // relative to the languages folder
    WindowPlacement placement;
};

// Whether the position lines are written: the process and monitor views shrink the window to
// their compact layout, which must not become the next start's size.
enum class SavePlacement { No, Yes };

// The defaults: English, 716 x 460, the left and top edges centring a 640 x 410 window on the
// screen (integer division, as the window always did).
WindowSettings DefaultWindowSettings(ScreenSize screen);

// Reads "lang.ini" with IniReader (which tidies the file on disk first). Keys are matched by
// the first characters of a line, so a "posx2" line before "posx" gives the left edge. A
// missing file, a missing key, or a value that is not a whole number leaves its default.
WindowSettings ReadWindowSettings(FileSystemPort& fileSystem, std::string_view path,
                                  ScreenSize screen, const TextCodec& ansiCodePage);

// The lines of the file: "current_lang = X", then, with SavePlacement::Yes, "posx = ",
// "posy = ", "width = " and "height = " with their numbers.
std::vector<std::string> WindowSettingsLines(const WindowSettings& settings, SavePlacement save);

// Replaces the file atomically: a failure leaves the old file whole. A language name the ANSI
// code page cannot hold is kept by writing the file in UTF-8 with a byte-order mark.
Status WriteWindowSettings(FileSystemPort& fileSystem, std::string_view path,
                           const WindowSettings& settings, SavePlacement save,
                           const TextCodec& ansiCodePage);

}  // namespace kestrover
