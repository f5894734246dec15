// Language files.
#include "gui/LanguageFile.h"

#include <algorithm>

#include "core/Text.h"

namespace kestrover::gui {

namespace {

// The "listbox messages" keys of the category texts, by category number.
constexpr std::string_view kCategoryKeys[10] = {
    "lbDLL",      "lbFILE",  "lbHELP",    "lbSTARTMENU", "lbEXTENSION",
    "lbFILETYPE", "lbEMPTY", "lbAPPPATH", "lbOPENWITH",  "lbACTIVEX",
};

}  // namespace

std::string LanguageText(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (std::size_t index = 0; index < value.size(); ++index) {
        if (value[index] == '\\' && index + 1 < value.size() && value[index + 1] == 'n') {
            text += "\r\n";
            ++index;
            continue;
        }
        text += value[index];
    }
    return text;
}

std::string WithoutMnemonic(std::string_view caption) {
    std::string text;
    text.reserve(caption.size());
    for (std::size_t index = 0; index < caption.size(); ++index) {
        if (caption[index] == '&' && index + 1 < caption.size()) ++index;
        text += caption[index];
    }
    return text;
}

std::string ReadLanguageText(const IniReader& file, std::string_view section,
                             std::string_view key, const std::string& current) {
    // An empty value keeps the current text, as a missing one does.
    const std::string value = file.ReadValue(section, key, "", KeepWide::Yes);
    if (value.empty()) return current;
    return LanguageText(value);
}

void ApplyLanguage(const IniReader& file, CaptionTable& captions, CategoryTexts& categories) {
    for (std::size_t index = 0; index < static_cast<std::size_t>(CaptionId::Count); ++index) {
        const auto id = static_cast<CaptionId>(index);
        const CaptionEntry& entry = CaptionTable::Entry(id);
        if (entry.section.empty() || entry.key.empty()) continue;
        captions.SetText(id, ReadLanguageText(file, entry.section, entry.key, captions.Text(id)));
    }
    for (std::size_t number = 0; number < categories.categories.size(); ++number) {
        categories.categories[number] = ReadLanguageText(
            file, "listbox messages", kCategoryKeys[number], categories.categories[number]);
    }
}

std::string LanguageMenuCaption(const LanguageChoice& choice) {
    return choice.name + " [" + choice.fileName + "]";
}

std::optional<std::string> LanguageFileOfCaption(std::string_view caption) {
    const std::size_t open = caption.find('[');
    if (open == std::string_view::npos) return std::nullopt;
    const std::size_t close = caption.find(']', open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    std::string name(caption.substr(open + 1, close - open - 1));
    // A file name only: a name reaching out of the languages folder names no language.
    if (name.empty() || name.find_first_of("\\/:") != std::string::npos || name == "." ||
        name == "..") {
        return std::nullopt;
    }
    return name;
}

std::vector<LanguageChoice> ListLanguages(FileSystemPort& fileSystem,
                                          const TextCodec& ansiCodePage,
                                          std::string_view languagesFolder,
                                          const std::function<void()>& pump) {
    std::vector<LanguageChoice> choices;
    const std::string folder(languagesFolder);
    Result<std::vector<FileEntry>> files = fileSystem.FindFiles(folder + "*.lng");
    if (!files) return choices;
    const std::string unknownFlag = folder + "unknown.bmp";
    const bool haveUnknownFlag = fileSystem.FileExists(unknownFlag);
    for (const FileEntry& file : *files) {
        if (file.IsDirectory() || !EndsWithNoCase(file.name, ".lng")) continue;
        if (pump) pump();
        IniReader reader(fileSystem, ansiCodePage);
        (void)reader.Open(folder + file.name);
        LanguageChoice choice;
        choice.fileName = file.name;
        choice.name = reader.ReadValue("", "LanguageName", file.name, KeepWide::Yes);
        const std::string flag = folder + file.name.substr(0, file.name.size() - 4) + ".bmp";
        if (fileSystem.FileExists(flag)) {
            choice.flagPath = flag;
        } else if (haveUnknownFlag) {
            choice.flagPath = unknownFlag;
        }
        choices.push_back(std::move(choice));
    }
    std::stable_sort(choices.begin(), choices.end(),
                     [](const LanguageChoice& a, const LanguageChoice& b) {
                         return LanguageMenuCaption(a) < LanguageMenuCaption(b);
                     });
    return choices;
}

}  // namespace kestrover::gui
