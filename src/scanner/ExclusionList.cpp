// The exclusion list: loading "Exclude.lst" with its clean-up pass, and the per-key test.
#include "scanner/ExclusionList.h"

#include <algorithm>

#include "core/Text.h"
#include "core/TextFile.h"

namespace kestrover {
namespace {

bool BeginsWithRootDigit(std::string_view line) {
    return !line.empty() && line.front() >= '0' && line.front() <= '3';
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += name;
    return path;
}

}  // namespace

void ExclusionList::CleanUp(std::vector<std::string>& lines) {
    // Each line is judged alone, so one forward pass that keeps the survivors in order leaves
    // what the pass from last to first leaves, without erasing lines one at a time (quadratic
    // on a long file of junk).
    std::size_t kept = 0;
    for (std::string& line : lines) {
        std::string trimmed = Trim(line);
        if (BeginsWithRootDigit(trimmed)) lines[kept++] = std::move(trimmed);
    }
    lines.resize(kept);
}

void ExclusionList::Load(FileSystemPort& fileSystem, std::string_view dataFolder,
                         const TextCodec& ansi) {
    Result<TextFile> file = ReadTextFile(fileSystem, JoinPath(dataFolder, kFileName), ansi);
    if (!file) {
        Clear();
        return;
    }
    Assign(std::move(file->lines));
}

void ExclusionList::Assign(std::vector<std::string> lines) {
    CleanUp(lines);
    std::vector<std::string>& kept = lines;
    std::vector<std::string> lowered;
    lowered.reserve(kept.size());
    for (const std::string& line : kept) lowered.push_back(AsciiLower(line));
    std::vector<std::size_t> order(kept.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return lowered[a] < lowered[b]; });

    Clear();
    lines_.reserve(kept.size());
    for (std::size_t index : order) {
        const std::string& line = lowered[index];
        std::string path = line.size() > 2 ? line.substr(2) : std::string();
        pathsByRoot_[static_cast<std::size_t>(line.front() - '0')].insert(path);
        allPaths_.insert(std::move(path));
        lines_.push_back(std::move(kept[index]));
    }
}

void ExclusionList::Clear() {
    lines_.clear();
    for (auto& paths : pathsByRoot_) paths.clear();
    allPaths_.clear();
}

bool ExclusionList::ExcludedKey(std::string_view path, int currentRootIndex) const {
    if (lines_.empty()) return false;
    if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    std::string key = AsciiLower(path);
    if (currentRootIndex == 3) {
        // The user's security identifier is taken off once: the lines hold the path below it.
        if (key.starts_with("s-1-")) {
            std::size_t backslash = key.find('\\');
            key = backslash == std::string::npos ? std::string() : key.substr(backslash + 1);
        }
        return allPaths_.contains(key);
    }
    if (currentRootIndex < 0 || currentRootIndex > 3) return false;
    return pathsByRoot_[static_cast<std::size_t>(currentRootIndex)].contains(key);
}

}  // namespace kestrover
