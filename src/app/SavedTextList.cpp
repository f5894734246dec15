// Lists of lines in data files: loading, atomic saving, and the encoding that keeps them whole.
#include "app/SavedTextList.h"

#include <algorithm>

#include "core/Text.h"

namespace kestrover {

SavedTextList LoadTextList(FileSystemPort& fileSystem, std::string_view path,
                           const TextCodec& ansiCodePage) {
    SavedTextList list;
    Result<TextFile> file = ReadTextFile(fileSystem, path, ansiCodePage);
    if (!file) {
        list.unreadable = file.code() != ErrorCode::NotFound;
        return list;
    }
    list.lines = std::move(file->lines);
    list.encoding = file->encoding;
    return list;
}

Status SaveTextList(FileSystemPort& fileSystem, std::string_view path, const SavedTextList& list,
                    const TextCodec& ansiCodePage) {
    if (list.unreadable) {
        return MakeError(ErrorCode::AccessDenied,
                         "not saving " + std::string(path) + ": it could not be read at start");
    }
    TextFile file{list.lines, EncodingThatKeeps(list.lines, list.encoding, ansiCodePage)};
    return WriteTextFile(fileSystem, path, file, ansiCodePage);
}

TextEncoding EncodingThatKeeps(const std::vector<std::string>& lines, TextEncoding preferred,
                               const TextCodec& ansiCodePage) {
    if (preferred != TextEncoding::Ansi) return preferred;
    for (const std::string& line : lines) {
        if (!ansiCodePage.CanEncode(line)) return TextEncoding::Utf8WithBom;
    }
    return TextEncoding::Ansi;
}

void SortNoCase(std::vector<std::string>& lines) {
    std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](char x, char y) {
                return static_cast<unsigned char>(AsciiLower(x)) <
                       static_cast<unsigned char>(AsciiLower(y));
            });
    });
}

}  // namespace kestrover
