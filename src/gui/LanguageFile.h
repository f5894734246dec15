// Language files: the captions and messages a ".lng" file replaces, the list of the files in
// the languages folder for the language menu, and the menu item's caption and file name.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/IniReader.h"
#include "gui/Captions.h"
#include "scanner/ResultCategory.h"

namespace kestrover::gui {

// A language file's value as the window shows it: a value is one line of the file, so the two
// characters "\n" in it stand for a line break (CR LF) of a message.
std::string LanguageText(std::string_view value);

// A caption as a label shows it: the "&" that marks a mnemonic goes, and "&&" is one "&".
std::string WithoutMnemonic(std::string_view caption);

// Reads one text of a language file: the value of key in section as LanguageText gives it, or
// current when the file has no value for it. The dialogs that read their texts when they open
// use it too.
std::string ReadLanguageText(const IniReader& file, std::string_view section,
                             std::string_view key, const std::string& current);

// Replaces, from the open file, every caption that has a section and key, and the category
// texts of the result list ("listbox messages"). A key that is missing or empty keeps the
// current text, so a file that names only a few keys changes only those.
void ApplyLanguage(const IniReader& file, CaptionTable& captions, CategoryTexts& categories);

// One language file as the language menu shows it.
struct LanguageChoice {
    std::string name;      // "LanguageName", or the file name when the file has none
    std::string fileName;  // "French.lng"
    std::string flagPath;  // the file's picture, else "unknown.bmp", else empty
};

// The caption of a language's menu item: its name, " [", the file name and "]", so that two
// files with one name are told apart.
std::string LanguageMenuCaption(const LanguageChoice& choice);
// The file name a menu item names: the text between its first "[" and the "]" after it.
std::optional<std::string> LanguageFileOfCaption(std::string_view caption);

// Every "*.lng" file of the folder (ending with a backslash), sorted by menu caption
// (ordinal comparison). pump runs between files, as the list is read while the menu opens.
std::vector<LanguageChoice> ListLanguages(FileSystemPort& fileSystem,
                                          const TextCodec& ansiCodePage,
                                          std::string_view languagesFolder,
                                          const std::function<void()>& pump = {});

}  // namespace kestrover::gui
