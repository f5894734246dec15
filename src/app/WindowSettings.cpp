// "lang.ini": the language and the main window's position and size.
#include "app/WindowSettings.h"

#include <charconv>

#include "app/SavedTextList.h"
#include "core/IniReader.h"
#include "core/Text.h"
#include "core/TextFile.h"

namespace kestrover {

namespace {

// A whole decimal number with an optional sign; anything else keeps the default.
int NumberOr(std::string_view text, int defaultValue) {
    text = TrimView(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return defaultValue;
    }
    return number;
}

}  // namespace

WindowSettings DefaultWindowSettings(ScreenSize screen) {
    WindowSettings settings;
    settings.placement.left = (screen.width - 640) / 2;
    settings.placement.top = (screen.height - 410) / 2;
    settings.placement.width = WindowSettings::kDefaultWidth;
    settings.placement.height = WindowSettings::kDefaultHeight;
    return settings;
}

WindowSettings ReadWindowSettings(FileSystemPort& fileSystem, std::string_view path,
                                  ScreenSize screen, const TextCodec& ansiCodePage) {
    WindowSettings settings = DefaultWindowSettings(screen);
    IniReader reader(fileSystem, ansiCodePage);
    if (!reader.Open(path)) return settings;
    // The language keeps every character: it names a file, which may be named in any script.
    settings.currentLanguage =
        reader.ReadValue("", "current_lang", WindowSettings::kDefaultLanguage, KeepWide::Yes);
    WindowPlacement& placement = settings.placement;
    auto number = [&reader](std::string_view key, int defaultValue) {
        return NumberOr(reader.ReadValue("", key, "", KeepWide::No), defaultValue);
    };
    placement.left = number("posx", placement.left);
    placement.top = number("posy", placement.top);
    placement.width = number("width", placement.width);
    placement.height = number("height", placement.height);
    reader.Close();
    return settings;
}

std::vector<std::string> WindowSettingsLines(const WindowSettings& settings, SavePlacement save) {
    std::vector<std::string> lines{"current_lang = " + settings.currentLanguage};
    if (save == SavePlacement::Yes) {
        const WindowPlacement& placement = settings.placement;
        lines.push_back("posx = " + std::to_string(placement.left));
        lines.push_back("posy = " + std::to_string(placement.top));
        lines.push_back("width = " + std::to_string(placement.width));
        lines.push_back("height = " + std::to_string(placement.height));
    }
    return lines;
}

Status WriteWindowSettings(FileSystemPort& fileSystem, std::string_view path,
                           const WindowSettings& settings, SavePlacement save,
                           const TextCodec& ansiCodePage) {
    TextFile file{WindowSettingsLines(settings, save), TextEncoding::Ansi};
    file.encoding = EncodingThatKeeps(file.lines, TextEncoding::Ansi, ansiCodePage);
    return WriteTextFile(fileSystem, path, file, ansiCodePage);
}

}  // namespace kestrover
