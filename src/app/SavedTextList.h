// A list of lines kept in a file of the data folder ("history.txt", "regfav.ini"): loaded at
// start, held in memory while the program runs, and saved whole at close.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"
#include "platform/ports/FileSystemPort.h"

namespace kestrover {

struct SavedTextList {
    std::vector<std::string> lines;
    // The encoding the file had, which a save keeps.
    TextEncoding encoding = TextEncoding::Ansi;
    // The file exists but could not be read. The list is then empty, and writing it back
    // would put an empty list in place of entries that are only out of reach for now.
    bool unreadable = false;
};

// The lines of the file, every one as it stands. A missing file gives an empty list without
// fault; a file that cannot be read gives an empty list marked unreadable.
SavedTextList LoadTextList(FileSystemPort& fileSystem, std::string_view path,
                           const TextCodec& ansiCodePage);

// Replaces the file atomically with the lines. A list that was unreadable at load is not
// written (AccessDenied, the file stays as it is).
Status SaveTextList(FileSystemPort& fileSystem, std::string_view path, const SavedTextList& list,
                    const TextCodec& ansiCodePage);

// The encoding to write lines in: the preferred one, except that ANSI lines holding a
// character the code page lacks are written in UTF-8 with a byte-order mark, so that no
// character of the user's turns into "?".
TextEncoding EncodingThatKeeps(const std::vector<std::string>& lines, TextEncoding preferred,
                               const TextCodec& ansiCodePage);

// Sorts lines without regard to ASCII case, keeping the order of lines that compare equal.
void SortNoCase(std::vector<std::string>& lines);

}  // namespace kestrover
