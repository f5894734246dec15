// "Exclude.lst": reading, normalising, merging and adding lines, every save atomic.
#include "repair/ExclusionFile.h"

#include <algorithm>
#include <unordered_set>

#include "core/Text.h"
#include "scanner/ExclusionList.h"

namespace kestrover {

namespace {

bool HoldsLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

void SortExclusionLines(std::vector<std::string>& lines) {
    std::vector<std::string> keys;
    keys.reserve(lines.size());
    for (const std::string& line : lines) keys.push_back(AsciiLower(line));
    std::vector<std::size_t> order(lines.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<std::string> sorted;
    sorted.reserve(lines.size());
    for (std::size_t index : order) sorted.push_back(std::move(lines[index]));
    lines = std::move(sorted);
}

std::optional<std::string> ExclusionLineFor(RegRoot root, std::string_view keyPath) {
    const std::optional<int> index = RootIndex(root);
    if (!index || HoldsLineBreak(keyPath)) return std::nullopt;
    while (!keyPath.empty() && keyPath.front() == '\\') keyPath.remove_prefix(1);
    if (*index == 3 && StartsWithNoCase(keyPath, "s-1-")) {
        // The scan takes the user's identifier off a key path only when it is the first
        // component; a "S-1-" met further down is a key name like any other.
        const std::size_t backslash = keyPath.find('\\');
        keyPath = backslash == std::string_view::npos ? std::string_view()
                                                      : keyPath.substr(backslash + 1);
    }
    std::string line(1, static_cast<char>('0' + *index));
    line += '|';
    line += keyPath;
    return line;
}

ExclusionLineParts SplitExclusionLine(std::string_view line) {
    ExclusionLineParts parts;
    if (!line.empty() && line.front() >= '0' && line.front() <= '9') {
        parts.rootIndex = line.front() - '0';
    }
    if (line.size() > 2) parts.keyPath = std::string(line.substr(2));
    return parts;
}

ExclusionFile::ExclusionFile(FileSystemPort& fileSystem, std::string_view dataFolder,
                             const TextCodec& ansiCodePage)
    : fileSystem_(fileSystem), path_(dataFolder), ansi_(ansiCodePage) {
    if (!path_.empty() && path_.back() != '\\') path_ += '\\';
    path_ += kFileName;
}

bool ExclusionFile::Exists() const { return fileSystem_.FileExists(path_); }

Result<std::vector<std::string>> ExclusionFile::Read(CleanUpPass pass) {
    Result<TextFile> file = ReadTextFile(fileSystem_, path_, ansi_);
    if (!file) return file.error();
    encoding_ = file->encoding;
    std::vector<std::string> lines = std::move(file->lines);
    if (pass == CleanUpPass::Apply) ExclusionList::CleanUp(lines);
    return lines;
}

Status ExclusionFile::Write(const std::vector<std::string>& lines) {
    TextFile file{lines, encoding_};
    if (file.encoding == TextEncoding::Ansi) {
        bool lossless = true;
        for (const std::string& line : lines) {
            ansi_.FromUtf8(line, &lossless);
            if (!lossless) break;
        }
        if (!lossless) file.encoding = TextEncoding::Utf8WithBom;
    }
    Status written = WriteTextFile(fileSystem_, path_, file, ansi_);
    if (!written) return written;
    encoding_ = file.encoding;
    lines_ = lines;
    return {};
}

Status ExclusionFile::Normalize(CleanUpPass pass) {
    std::vector<std::string> lines;
    Result<std::vector<std::string>> read = Read(pass);
    if (read) {
        lines = std::move(*read);
    } else if (read.code() == ErrorCode::NotFound) {
        lines = lines_;
    } else {
        return read.error();
    }
    SortExclusionLines(lines);
    return Write(lines);
}

Result<MergedExclusions> ExclusionFile::Merge(FileSystemPort& sourceFileSystem,
                                              std::string_view sourcePath) {
    MergedExclusions merged;
    Result<std::vector<std::string>> current = Read(CleanUpPass::Apply);
    if (current) {
        merged.lines = std::move(*current);
    } else if (current.code() != ErrorCode::NotFound) {
        return current.error();
    }
    Result<TextFile> source = ReadTextFile(sourceFileSystem, sourcePath, ansi_);
    if (!source) return source.error();
    std::vector<std::string> incoming = std::move(source->lines);
    ExclusionList::CleanUp(incoming);

    // One set of the lower-cased lines answers "is it there already" for every line, so a
    // long file merges in linear time.
    std::unordered_set<std::string> present;
    present.reserve(merged.lines.size() + incoming.size());
    for (const std::string& line : merged.lines) present.insert(AsciiLower(line));
    for (auto line = incoming.rbegin(); line != incoming.rend(); ++line) {
        if (!present.insert(AsciiLower(*line)).second) continue;
        merged.added.push_back(*line);
        merged.lines.push_back(std::move(*line));
    }
    return merged;
}

Status ExclusionFile::AddLines(const std::vector<std::string>& added) {
    std::vector<std::string> lines;
    Result<std::vector<std::string>> read = Read(CleanUpPass::Apply);
    if (read) {
        lines = std::move(*read);
    } else if (read.code() != ErrorCode::NotFound) {
        return read.error();
    }
    std::vector<std::string> cleaned = added;
    ExclusionList::CleanUp(cleaned);
    lines.insert(lines.end(), std::make_move_iterator(cleaned.begin()),
                 std::make_move_iterator(cleaned.end()));
    SortExclusionLines(lines);
    return Write(lines);
}

Result<std::size_t> ImportExclusions(ExclusionFile& exclusions, FileSystemPort& sourceFileSystem,
                                     std::string_view sourcePath) {
    Result<MergedExclusions> merged = exclusions.Merge(sourceFileSystem, sourcePath);
    if (!merged) return merged.error();
    const std::size_t count = merged->added.size();
    if (count == 0) return count;
    SortExclusionLines(merged->lines);
    Status saved = exclusions.Write(merged->lines);
    if (!saved) return saved.error();
    return count;
}

}  // namespace kestrover
