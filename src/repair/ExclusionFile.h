// ExclusionFile: "Exclude.lst" in the data folder as the program writes it — its lines, the
// normalising pass (sorted, saved back whole), the merge of another exclusion file, the line
// that keeps a result entry's key out of every scan, and the lines added from the result list.
// The scan reads the same file through ExclusionList.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"
#include "platform/ports/FileSystemPort.h"
#include "registry/RegRoot.h"

namespace kestrover {

// Whether a reading of an exclusion file goes through the clean-up pass (trimmed lines, and
// only lines that begin with a root digit "0" to "3").
enum class CleanUpPass { Apply, Skip };

// Sorts exclusion lines without regard to ASCII case, as the scan orders them; lines that
// compare equal keep their order. Duplicates stay.
void SortExclusionLines(std::vector<std::string>& lines);

// The line that excludes a key: the root digit, "|", the key path without a leading
// backslash. Below HKEY_USERS a path whose first component is a user's security identifier
// ("S-1-...", any case) loses that component, so that one line covers every user, as the scan
// tests it. HKEY_CURRENT_CONFIG gives a "4" line, which the clean-up pass drops; the roots
// without a digit give nothing. A path that holds a line break gives nothing either: written
// out it would become two lines, the second one excluding a key nobody chose.
std::optional<std::string> ExclusionLineFor(RegRoot root, std::string_view keyPath);

// The root number and the key path of a cleaned line, as the scan reads them: the first
// character is the root digit, the second a separator, the path runs from the third on.
struct ExclusionLineParts {
    int rootIndex = 0;
    std::string keyPath;
};
ExclusionLineParts SplitExclusionLine(std::string_view line);

// The result of merging an exclusion file into the list.
struct MergedExclusions {
    // The list's lines (cleaned) followed by the added ones.
    std::vector<std::string> lines;
    // The added lines alone, in the order they were added.
    std::vector<std::string> added;
};

class ExclusionFile {
public:
    static constexpr std::string_view kFileName = "Exclude.lst";

    // dataFolder ends with a backslash (one is added when it does not).
    ExclusionFile(FileSystemPort& fileSystem, std::string_view dataFolder,
                  const TextCodec& ansiCodePage);

    const std::string& Path() const { return path_; }
    FileSystemPort& FileSystem() const { return fileSystem_; }
    bool Exists() const;

    // The file's lines. NotFound when it does not exist; the port's error when it exists but
    // cannot be read — callers then leave it alone rather than write a list over entries that
    // are only out of reach.
    Result<std::vector<std::string>> Read(CleanUpPass pass);

    // Replaces the file, atomically, with the lines as they are; they become the list in
    // memory. The file keeps a UTF-8 or UTF-16 form it had; an ANSI file holding a character
    // the code page lacks is written in UTF-8 with a byte-order mark, so that no key name
    // turns into "?" and stops matching.
    Status Write(const std::vector<std::string>& lines);

    // The normalising pass: the file (or, when it does not exist, the list in memory) is
    // sorted and saved over the file, which creates it when it was missing. Duplicates stay.
    // A file that cannot be read is left as it is and the error returned.
    Status Normalize(CleanUpPass pass);

    // ImportExclusions without the save: the file's lines (cleaned) and, from the last line of
    // the other file to the first (cleaned too), every line that no line of the list equals
    // ignoring case, appended once. Either file unreadable: the error, nothing merged.
    Result<MergedExclusions> Merge(FileSystemPort& sourceFileSystem, std::string_view sourcePath);

    // The lines added to the file (cleaned: "4" lines and blank ones drop out), which is then
    // sorted and saved. A file that cannot be read is left as it is and the error returned.
    Status AddLines(const std::vector<std::string>& lines);

    // The exclusion list in memory: what was last read or saved.
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    FileSystemPort& fileSystem_;
    std::string path_;
    const TextCodec& ansi_;
    TextEncoding encoding_ = TextEncoding::Ansi;
    std::vector<std::string> lines_;
};

// ImportExclusions: merges the other file into "Exclude.lst" and, when that added anything,
// saves the sorted result. Gives the number of lines added.
Result<std::size_t> ImportExclusions(ExclusionFile& exclusions, FileSystemPort& sourceFileSystem,
                                     std::string_view sourcePath);

}  // namespace kestrover
