// The settings-file reader: tidies a file on disk, then answers reads from memory.
#include "core/IniReader.h"

#include <unordered_map>
#include <unordered_set>

#include "core/Text.h"
#include "core/TextFile.h"

namespace kestrover {

namespace {

// The one file that is read exactly as found, never tidied.
constexpr std::string_view kUntouchedFileName = "kvplug.ini";

std::string_view LastPathComponent(std::string_view path) {
    std::size_t separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// Drops empty lines and the blanks around the first equals sign of every line; true when any
// line changed. Each line is tidied on its own, so the order of the walk does not matter.
bool TidyLines(std::vector<std::string>& lines) {
    std::vector<std::string> tidied;
    tidied.reserve(lines.size());
    bool changed = false;
    for (std::string& line : lines) {
        if (line.empty()) {
            changed = true;
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            tidied.push_back(std::move(line));
            continue;
        }
        std::string_view text = line;
        std::string rewritten = Trim(text.substr(0, equals)) + "=" + Trim(text.substr(equals + 1));
        if (rewritten != line) changed = true;
        tidied.push_back(std::move(rewritten));
    }
    lines = std::move(tidied);
    return changed;
}

}  // namespace

IniReader::IniReader(FileSystemPort& fileSystem, const TextCodec& ansiCodePage)
    : fileSystem_(fileSystem), ansi_(ansiCodePage) {}

Status IniReader::Open(std::string_view fileName) {
    Close();
    rewriteError_.reset();
    if (!fileSystem_.FileExists(fileName)) {
        return MakeError(ErrorCode::NotFound, "opening settings file " + std::string(fileName));
    }
    Result<TextFile> file = ReadTextFile(fileSystem_, fileName, ansi_);
    if (!file) return file.error();

    if (!EqualsNoCase(LastPathComponent(fileName), kUntouchedFileName) && TidyLines(file->lines)) {
        // Reading goes on from the tidied lines even when they cannot be written back: the
        // file on disk is then still the old one, whole.
        if (Status written = WriteTextFile(fileSystem_, fileName, *file, ansi_); !written) {
            rewriteError_ = written.error();
        }
    }
    lines_ = std::move(file->lines);
    Parse();
    open_ = true;
    return {};
}

void IniReader::Close() {
    open_ = false;
    lines_.clear();
    sections_.clear();
}

void IniReader::Parse() {
    // Lines before the first section header belong to no section; only the empty-section reads
    // (which search the raw lines) see them. Names are indexed by their lower-case form so
    // that a file of many thousand keys still opens in linear time.
    constexpr std::size_t kNoSection = static_cast<std::size_t>(-1);
    std::unordered_map<std::string, std::size_t> sectionIndex;
    std::vector<std::unordered_set<std::string>> keysSeen;
    std::size_t current = kNoSection;
    for (const std::string& line : lines_) {
        std::string_view text = TrimView(line);
        if (text.empty() || text.front() == ';') continue;
        if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
            // The name keeps any blanks inside the brackets: "[General ]" is the section
            // "General ", which ReadValue tries after "General". A repeated header adds to the
            // section first written.
            std::string_view name = text.substr(1, text.size() - 2);
            auto [found, added] = sectionIndex.try_emplace(AsciiLower(name), sections_.size());
            if (added) {
                sections_.push_back(Section{std::string(name), {}});
                keysSeen.emplace_back();
            }
            current = found->second;
            continue;
        }
        if (current == kNoSection) continue;
        std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        std::string key = Trim(text.substr(0, equals));
        if (key.empty() || !keysSeen[current].insert(AsciiLower(key)).second) continue;
        sections_[current].entries.push_back(IniEntry{std::move(key), Trim(text.substr(equals + 1))});
    }
}

const IniReader::Section* IniReader::FindSection(std::string_view name) const {
    for (const Section& section : sections_) {
        if (EqualsNoCase(section.name, name)) return &section;
    }
    return nullptr;
}

std::string IniReader::SectionValue(std::string_view section, std::string_view key) const {
    const Section* found = FindSection(section);
    if (found == nullptr) return {};
    for (const IniEntry& entry : found->entries) {
        if (EqualsNoCase(entry.key, key)) return entry.value;
    }
    return {};
}

std::string IniReader::LineValue(std::string_view key) const {
    for (const std::string& line : lines_) {
        if (!StartsWithNoCase(line, key)) continue;
        std::size_t equals = line.find('=');
        if (equals == std::string::npos) return {};
        return Trim(std::string_view(line).substr(equals + 1));
    }
    return {};
}

std::string IniReader::ReadValue(std::string_view section, std::string_view key,
                                 std::string_view defaultValue, KeepWide keepWide) const {
    if (!open_) return std::string(defaultValue);
    std::string value;
    if (section.empty()) {
        value = LineValue(key);
    } else {
        value = SectionValue(section, key);
        if (value.empty()) value = SectionValue(std::string(section) + " ", key);
    }
    if (keepWide == KeepWide::No) value = ansi_.ToUtf8(ansi_.FromUtf8(value));
    if (value.empty()) return std::string(defaultValue);
    return value;
}

std::vector<std::string> IniReader::ReadSectionNames() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const Section& section : sections_) names.push_back(section.name);
    return names;
}

std::vector<IniEntry> IniReader::ReadSection(std::string_view section) const {
    const Section* found = FindSection(section);
    if (found == nullptr) found = FindSection(std::string(section) + " ");
    if (found == nullptr) return {};
    return found->entries;
}

}  // namespace kestrover
