// File references: value texts to absolute paths, and the existence tests the rules use.
#include "scanner/FileReference.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "core/Text.h"
#include "scanner/LowerCaseSearch.h"

namespace kestrover {

namespace {

constexpr std::size_t npos = std::string::npos;

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Replaces every occurrence of a lower-case pattern, ignoring case, in one pass.
std::string ReplaceAllLowerNoCase(std::string_view text, std::string_view pattern,
                                  std::string_view replacement) {
    std::string result;
    result.reserve(text.size() + replacement.size());
    std::size_t start = 0;
    for (std::size_t found = FindLowerNoCase(text, pattern); found != npos;
         found = FindLowerNoCase(text, pattern, start)) {
        result.append(text.substr(start, found - start));
        result.append(replacement);
        start = found + pattern.size();
    }
    result.append(text.substr(start));
    return result;
}

// Replaces every occurrence of a lower-case pattern, again and again until none is left
// (removing "\??\" from "\?\??\?\" leaves another). A replacement that holds the pattern
// itself is applied once, and the repetition is bounded, so that no text can make it run
// forever. A text without the pattern is given back untouched.
void ReplaceEvery(std::string& text, std::string_view pattern, std::string_view replacement) {
    if (pattern.empty() || FindLowerNoCase(text, pattern) == npos) return;
    const bool once = FindLowerNoCase(replacement, pattern) != npos;
    for (int round = 0; round < 16; ++round) {
        text = ReplaceAllLowerNoCase(text, pattern, replacement);
        if (once || FindLowerNoCase(text, pattern) == npos) break;
    }
}

void CutBefore(std::string& text, std::string_view pattern, std::size_t from = 0) {
    std::size_t found = text.find(pattern, from);
    if (found != npos) text.erase(found);
}

// The view cut before the first occurrence of c, then trimmed.
std::string_view CutTrimmed(std::string_view text, char c) {
    return TrimView(text.substr(0, text.find(c)));
}

void RemoveAll(std::string& text, char c) {
    if (text.find(c) != npos) std::erase(text, c);
}

void RemoveOneTrailingBackslash(std::string& text) {
    if (!text.empty() && text.back() == '\\') text.pop_back();
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "Program%20Files" is "Program Files": a file URL escapes what a path holds as it is.
std::string DecodePercentEscapes(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int high = HexDigitValue(text[i + 1]);
            int low = HexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                decoded.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        decoded.push_back(text[i]);
    }
    return decoded;
}

// The form of a path the file system is asked about. Doubled backslashes are folded into one,
// as Win32 folds them ("C:\Windows\\System32" names System32; registry data often has them
// where a folder value ending in a backslash meets a path beginning with one); the NT object
// prefix "\??\" is dropped; under redirection "system32" is asked for as "sysnative"; one
// trailing backslash goes. Most paths need none of this: they are given back as they are,
// and only the others are rewritten into the buffer.
std::string_view SearchForm(std::string_view path, Wow64Redirection redirection,
                            std::string& buffer) {
    const bool ntPrefix = path.starts_with("\\??\\");
    if (ntPrefix) path.remove_prefix(4);
    const std::size_t colon = path.find(':');
    // Before the drive's colon the backslashes belong to a prefix such as "\\?\".
    bool doubled = false;
    for (std::size_t i = colon == npos ? path.size() : colon + 1; i + 1 < path.size(); ++i) {
        if (path[i] == '\\' && path[i + 1] == '\\') {
            doubled = true;
            break;
        }
    }
    if (!doubled && redirection == Wow64Redirection::Off) {
        if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
        return path;
    }
    buffer.clear();
    buffer.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '\\' && colon != npos && i > colon && !buffer.empty() &&
            buffer.back() == '\\') {
            continue;
        }
        buffer.push_back(path[i]);
    }
    if (redirection == Wow64Redirection::On) {
        buffer = ReplaceAllLowerNoCase(buffer, "system32", "sysnative");
    }
    RemoveOneTrailingBackslash(buffer);
    return buffer;
}

// Whether a search for the path (files and folders, any attribute) finds anything. A mask in
// the last name ("C:\Temp\*.log") finds any entry it matches, as a search would.
bool SearchFinds(FileSystemPort& fileSystem, std::string_view path, Wow64Redirection redirection) {
    std::string buffer;
    std::string_view form = SearchForm(path, redirection, buffer);
    if (form.empty()) return false;
    // A wildcard in the last name, after the last separator.
    bool wildcards = false;
    for (std::size_t i = form.size(); i-- > 0;) {
        const char c = form[i];
        if (c == '\\' || c == '/') break;
        if (c == '*' || c == '?') wildcards = true;
    }
    if (wildcards) {
        Result<std::vector<FileEntry>> entries = fileSystem.FindFiles(form);
        return entries.ok() && !entries->empty();
    }
    if (fileSystem.GetFileInfo(form)) return true;
    // A drive root ("C:") is no entry of any folder, but it is a folder that exists; so is a
    // folder asked for with a separator at its end. Any other name that no search finds does
    // not exist, and asking again would double the cost of every missing file (under Wine
    // each question is a round trip to the wineserver).
    const bool driveRoot = form.size() <= 3 && form.size() >= 2 && form[1] == ':';
    const bool folderForm = form.back() == '\\' || form.back() == '/';
    if (!driveRoot && !folderForm) return false;
    return fileSystem.DirectoryExists(form);
}

// An existing file (not a folder) of that name.
bool FileFound(FileSystemPort& fileSystem, std::string_view path, Wow64Redirection redirection) {
    std::string buffer;
    std::optional<FileEntry> entry = fileSystem.GetFileInfo(SearchForm(path, redirection, buffer));
    return entry && !entry->IsDirectory();
}

// The lenient test, giving the form of the path that exists: the whole path, or the path cut
// before its first comma, or that cut before its first slash, each a part of the text given.
// Nothing when none exists. Texts the test does not check (empty, no ":\") give themselves.
std::optional<std::string_view> FindLoose(FileSystemPort& fileSystem, std::string_view path,
                                          Wow64Redirection redirection) {
    std::string_view candidate = TrimView(path);
    if (candidate.empty() || candidate.find(":\\") == npos) return candidate;
    // One trailing backslash is ignored by the search itself (SearchForm).
    // The whole path first: a folder may have a comma in its name ("C:\Program Files\Vendor,
    // Inc\App.exe"), and cutting at it would make a file that exists look missing.
    const bool hasCuts = candidate.find(',') != npos || candidate.find('/') != npos;
    if (hasCuts && SearchFinds(fileSystem, candidate, redirection)) return candidate;
    candidate = CutTrimmed(CutTrimmed(candidate, ','), '/');
    if (SearchFinds(fileSystem, candidate, redirection)) return candidate;
    return std::nullopt;
}

// The known extensions that end a file name inside a longer text, in the order they are tried.
constexpr std::array<std::string_view, 14> kKnownExtensions = {
    ".mui", ".exe", ".dll", ".ocx", ".dat", ".lnk", ".isu",
    ".cpl", ".api", ".mp4", ".mpg", ".wmv", ".its", ".pri",
};

// What ends a path inside a command line or a resource reference. A parenthesis does not:
// "Program Files (x86)" is a folder name.
constexpr std::array<std::string_view, 8> kPathEnds = {",", ";", "/", "%", "|", ">", "\"", " 0"};

// Windows looks for the program of an unquoted command line by trying the text before each
// blank in turn. The number of blanks tried is bounded so that a pathological text costs only
// a few look-ups.
constexpr int kMaxProgramCandidates = 16;

}  // namespace

bool PathExists(FileSystemPort& fileSystem, std::string_view path, Wow64Redirection redirection) {
    if (path.empty()) return true;
    if (StartsWithNoCase(path, kMissingFolderMarker)) return false;
    if (path.find(':') == npos || path.find('\\') == npos) return true;
    return SearchFinds(fileSystem, path, redirection);
}

bool PathExistsLoose(FileSystemPort& fileSystem, std::string_view path,
                     Wow64Redirection redirection) {
    return FindLoose(fileSystem, path, redirection).has_value();
}

std::vector<std::string> BuildLocalDrives(FileSystemPort& fileSystem) {
    std::vector<std::string> drives;
    const std::uint32_t mask = fileSystem.LogicalDrives();
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        if ((mask & (1u << (letter - 'A'))) == 0) continue;
        std::string root{letter, ':', '\\'};
        DriveType type = fileSystem.GetDriveType(root);
        if (type == DriveType::Fixed || type == DriveType::RamDisk) drives.push_back(std::move(root));
    }
    return drives;
}

FileReferenceResolver::FileReferenceResolver(FileSystemPort& fileSystem, KnownFolders folders,
                                             Wow64Redirection redirection)
    : fileSystem_(fileSystem), folders_(std::move(folders)), redirection_(redirection) {}

void FileReferenceResolver::BuildLocalDrives() { localDrives_ = kestrover::BuildLocalDrives(fileSystem_); }

void FileReferenceResolver::SetLocalDrives(std::vector<std::string> drives) {
    for (std::string& root : drives) root = AsciiUpper(root);
    std::sort(drives.begin(), drives.end());
    localDrives_ = std::move(drives);
}

bool FileReferenceResolver::PathExists(std::string_view path) const {
    return kestrover::PathExists(fileSystem_, path, redirection_);
}

bool FileReferenceResolver::PathExistsLoose(std::string_view path) const {
    return kestrover::PathExistsLoose(fileSystem_, path, redirection_);
}

std::string FileReferenceResolver::ResolveFileReference(std::string_view text,
                                                        ReturnFound returnFound) const {
    FileReference reference = Resolve(text, returnFound);
    switch (reference.state) {
        case ReferenceState::Missing:
            return std::move(reference.path);
        case ReferenceState::Found:
            return returnFound == ReturnFound::Yes ? std::move(reference.path) : std::string();
        case ReferenceState::NotCheckable:
            break;
    }
    return {};
}

void FileReferenceResolver::ReplacePlaceholders(std::string& text) const {
    if (text.find('%') == npos) return;
    const KnownFolders& f = folders_;
    const std::pair<std::string_view, const std::string*> common[] = {
        {"%appdata%", &f.applicationData},   {"%systemroot%", &f.systemRoot},
        {"%systemdrive%", &f.systemDrive},   {"%userprofile%", &f.userProfile},
        {"%programdata%", &f.programData},   {"%localappdata%", &f.localApplicationData},
        {"%public%", &f.publicFolder},       {"%allusersprofile%", &f.allUsersProfile},
        {"%windir%", &f.windowsFolder},
    };
    for (const auto& [placeholder, value] : common) ReplaceEvery(text, placeholder, *value);
    if (f.is64BitWindows) {
        const std::pair<std::string_view, const std::string*> windows64[] = {
            {"%programfiles(x86)%", &f.programFilesX86},
            {"%commonprogramfiles(x86)%", &f.commonProgramFilesX86},
            {"%commonprogramw6432%", &f.commonProgramFiles},
            {"%programw6432%", &f.programFiles},
        };
        for (const auto& [placeholder, value] : windows64) ReplaceEvery(text, placeholder, *value);
    }
    ReplaceEvery(text, "%programfiles%", f.programFiles);
    ReplaceEvery(text, "%commonprogramfiles%", f.commonProgramFiles);
}

FileReference FileReferenceResolver::Resolve(std::string_view text, ReturnFound returnFound) const {
    const std::string_view trimmed = TrimView(text);
    if (trimmed.empty()) return {};
    // Every test below ignores letter case and every path is judged in lower case, so the
    // text is lower-cased once, here.
    std::string s = AsciiLower(trimmed);

    // A firewall rule of a store application names no file.
    if (s.find("allow|active") != npos && s.find("winstore") != npos) return {};

    if (s.find("file:///") != npos) {
        ReplaceEvery(s, "file:///", "");
        std::replace(s.begin(), s.end(), '/', '\\');
        s = AsciiLower(DecodePercentEscapes(s));  // an escape may stand for a capital
    }
    if (s.starts_with("\\\\")) s.erase(0, 2);
    ReplaceEvery(s, "\\??\\", "");
    CutBefore(s, "?");

    // A service host command line ("svchost.exe -k netsvcs") names the host.
    if (std::size_t serviceGroup = s.find(" -k "); serviceGroup != npos) {
        s.erase(serviceGroup);
        if (s.find(".exe") == npos) s += ".exe";
    }
    if (s.size() <= 2) return {};

    RemoveAll(s, '"');
    ReplaceEvery(s, "rundll32 ", "rundll32.exe ");
    ReplaceEvery(s, "regsvr32 ", "regsvr32.exe ");
    if (s.starts_with("system32") || s.starts_with("syswow64")) s = folders_.systemRoot + "\\" + s;
    ReplaceEvery(s, "\\systemroot", folders_.systemRoot);
    ReplacePlaceholders(s);
    RemoveAll(s, '@');

    // A ":\" after something other than a drive letter ("res:\", "1:\") is skipped when a real
    // drive path follows it.
    std::size_t colon = s.find(":\\");
    if (colon != npos && (colon == 0 || !IsAsciiLetter(s[colon - 1]))) {
        if (s.find(":\\", colon + 2) != npos) s.erase(0, colon + 2);
    }
    colon = s.find(":\\");
    if (colon == npos || colon == 0 || !IsAsciiLetter(s[colon - 1])) {
        if (returnFound == ReturnFound::No) return {};
        return ResolveBareName(s);
    }
    return ResolveDrivePath(std::move(s), colon);
}

FileReference FileReferenceResolver::ResolveDrivePath(std::string s, std::size_t driveColon) const {
    char letter = s[driveColon - 1];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    const char drive[] = {letter, ':', '\\'};
    // Removable, network and optical drives are never asked: a missing medium is no missing file.
    if (!std::binary_search(localDrives_.begin(), localDrives_.end(),
                            std::string_view(drive, sizeof drive))) {
        return {};
    }

    // Whatever stands before the drive ("rundll32.exe ") goes.
    s.erase(0, driveColon - 1);
    auto found = [](std::string path, std::string tested) {
        return FileReference{ReferenceState::Found, std::move(path), std::move(tested)};
    };

    if (std::optional<std::string_view> existing = FindLoose(fileSystem_, s, redirection_)) {
        std::string tested(*existing);
        return found(std::move(s), std::move(tested));
    }
    const std::string wholeText = s;

    for (std::string_view extension : kKnownExtensions) {
        std::size_t at = s.find(extension);
        if (at != npos) {
            s.erase(at + extension.size());
            break;
        }
    }
    s = Trim(s);
    RemoveOneTrailingBackslash(s);
    if (PathExists(s)) return found(s, s);

    if (s.find('\'') != npos) {
        CutBefore(s, "'");
        if (PathExists(s)) return found(s, s);
    }

    for (std::string_view end : kPathEnds) CutBefore(s, end);
    // No name holds a colon or "<": beyond the drive they begin a stream name
    // ("file.chm::/page.htm") or a redirection, not a part of the path.
    CutBefore(s, ":", 2);
    CutBefore(s, "<");
    s = Trim(s);
    CutBefore(s, "\\*");
    CutBefore(s, "]");

    if (PathExists(s + ".exe")) {
        s += ".exe";
    } else if (PathExists(s + ".dll")) {
        s += ".dll";
    }
    if (PathExists(s)) return found(s, s);

    // An unquoted command line whose program has an extension not listed above ("run.cmd
    // -silent", or a quoted "C:\Program Files\App\start.bat" followed by switches, its quotes
    // gone by now): the program is the text before one of the blanks, as Windows finds it.
    int candidates = 0;
    for (std::size_t blank = wholeText.find(' '); blank != npos && candidates < kMaxProgramCandidates;
         blank = wholeText.find(' ', blank + 1), ++candidates) {
        std::string program = TrimRight(std::string_view(wholeText).substr(0, blank));
        if (program.size() > 3 && FileFound(fileSystem_, program, redirection_)) {
            return found(program, program);
        }
    }

    if (s.size() > 3) return FileReference{ReferenceState::Missing, s, s};
    return {};
}

FileReference FileReferenceResolver::ResolveBareName(std::string_view name) const {
    // Without a Windows folder every candidate would be a rootless path, which the lenient
    // test passes without looking.
    const std::string& windows = folders_.windowsFolder;
    if (windows.empty()) return {};
    std::string candidate;
    candidate.reserve(windows.size() + name.size() + 10);
    for (std::string_view folder : {std::string_view("\\"), std::string_view("\\system32\\")}) {
        candidate.assign(windows).append(folder).append(name);
        if (std::optional<std::string_view> existing =
                FindLoose(fileSystem_, candidate, redirection_)) {
            std::string tested(*existing);
            return FileReference{ReferenceState::Found, std::move(candidate), std::move(tested)};
        }
    }
    return {};
}

}  // namespace kestrover
