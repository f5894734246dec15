// CompactExportFile: merges the repeated key sections of a finished backup, in place of the file
// and in its own form, so that a failure leaves the old file whole.
#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/Text.h"
#include "core/TextFile.h"
#include "registry/RegExportWriter.h"

namespace kestrover {

namespace {

bool IsHeader(std::string_view line) { return !line.empty() && line.front() == '['; }

// The first line the compacted file gets: the file's own header line when it has one of the
// two, otherwise the one its encoding stands for.
std::string HeaderLineFor(const TextFile& file) {
    for (const std::string& line : file.lines) {
        std::string_view trimmed = TrimView(line);
        if (trimmed.empty()) continue;
        if (trimmed == kRegedit4HeaderLine || trimmed == kUnicode5HeaderLine) {
            return std::string(trimmed);
        }
        break;
    }
    return std::string(ExportHeaderLine(file.encoding == TextEncoding::Ansi
                                            ? ExportFileForm::Regedit4
                                            : ExportFileForm::Unicode5));
}

}  // namespace

Status CompactExportFile(FileSystemPort& fileSystem, const TextCodec& ansiCodePage,
                         std::string_view path) {
    Result<TextFile> read = ReadTextFile(fileSystem, path, ansiCodePage);
    if (!read) return read.error();

    TextFile compacted;
    compacted.encoding = read->encoding;
    compacted.lines.push_back(HeaderLineFor(*read));

    std::vector<std::string> lines;
    lines.reserve(read->lines.size());
    for (std::string& line : read->lines) {
        if (!TrimView(line).empty()) lines.push_back(std::move(line));
    }

    // Where each header occurs, in file order, so that the later sections of a key are found
    // without searching the whole rest of the file for every header.
    std::unordered_map<std::string_view, std::vector<std::size_t>> occurrences;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (IsHeader(lines[i])) occurrences[lines[i]].push_back(i);
    }

    auto copyValuesAfter = [&](std::size_t headerIndex) {
        for (std::size_t i = headerIndex + 1; i < lines.size() && !IsHeader(lines[i]); ++i) {
            compacted.lines.push_back(lines[i]);
        }
    };

    // A run of sections of one key becomes one section holding the values of that run and of
    // every later section of the key; value lines outside any section (the old header line
    // among them) are dropped.
    std::string_view previousHeader;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!IsHeader(lines[i]) || lines[i] == previousHeader) continue;
        previousHeader = lines[i];
        compacted.lines.push_back(lines[i]);
        const std::vector<std::size_t>& at = occurrences[lines[i]];
        for (auto it = std::lower_bound(at.begin(), at.end(), i); it != at.end(); ++it) {
            copyValuesAfter(*it);
        }
    }

    return ReplaceFileAtomically(fileSystem, path, EncodeTextFile(compacted, ansiCodePage));
}

}  // namespace kestrover
