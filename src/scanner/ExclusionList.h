// ExclusionList: the keys the user keeps out of every scan, loaded from "Exclude.lst" in the
// data folder, and the test the walker applies to every key it is about to enter.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/TextCodec.h"
#include "platform/ports/FileSystemPort.h"

namespace kestrover {

class ExclusionList {
public:
    static constexpr std::string_view kFileName = "Exclude.lst";

    // The clean-up pass every reading of an exclusion file goes through: from the last line to
    // the first, each line is trimmed, and dropped when it is empty or does not begin with a
    // root digit "0" to "3".
    static void CleanUp(std::vector<std::string>& lines);

    // Replaces the list with "Exclude.lst" of the data folder, cleaned up and sorted without
    // regard to case. A missing or unreadable file leaves the list empty: the scan then runs
    // without exclusions.
    void Load(FileSystemPort& fileSystem, std::string_view dataFolder, const TextCodec& ansi);
    // Replaces the list with the given lines, cleaned up and sorted as Load does.
    void Assign(std::vector<std::string> lines);
    void Clear();

    bool empty() const { return lines_.empty(); }
    // The cleaned, sorted lines: a root digit, a separator, the key path.
    const std::vector<std::string>& Lines() const { return lines_; }

    // Whether the key at path (below the root of the running pass, a leading backslash
    // ignored) is excluded. A line names one whole key: its digit must be the pass's root
    // number, except in the HKEY_USERS pass (3), where any line matches and the key path loses
    // its first component when that is a user's security identifier ("S-1-..."), so one line
    // covers every user. The walk never descends into an excluded key, which keeps its subkeys
    // out as well.
    bool ExcludedKey(std::string_view path, int currentRootIndex) const;

private:
    std::vector<std::string> lines_;
    // The lower-cased key path of every line (from its third character on), by root digit,
    // and of all lines together for the HKEY_USERS pass: one look-up per key however long
    // the list is.
    std::array<std::unordered_set<std::string>, 4> pathsByRoot_;
    std::unordered_set<std::string> allPaths_;
};

}  // namespace kestrover
