// "Open in explorer" on the result list.
#include "app/OpenInExplorerCommand.h"

#include <array>
#include <utility>

#include "core/Text.h"

namespace kestrover {

namespace {

bool NamesPath(std::string_view text) {
    return text.find(":\\") != std::string_view::npos || text.find("%\\") != std::string_view::npos;
}

}  // namespace

std::string ExpandFolderVariables(std::string_view text, const PathVariables& variables) {
    // Each variable with the folder that replaces it; "(x86)" forms and the "W6432" forms of
    // 64-bit Windows come before the plain ones they do not overlap with, as the command
    // lines of the startup entries are expanded.
    const std::array<std::pair<std::string_view, const std::string*>, 15> table{{
        {"%systemroot%", &variables.systemRoot},
        {"%commonprogramfiles(x86)%", &variables.commonProgramFilesX86},
        {"%commonprogramw6432%", &variables.commonProgramFiles},
        {"%programw6432%", &variables.programFiles},
        {"%programfiles(x86)%", &variables.programFilesX86},
        {"%programfiles%", &variables.programFiles},
        {"%commonprogramfiles%", &variables.commonProgramFiles},
        {"%windir%", &variables.windowsFolder},
        {"%systemdrive%", &variables.systemDrive},
        {"%userprofile%", &variables.userProfile},
        {"%allusersprofile%", &variables.allUsersProfile},
        {"%appdata%", &variables.applicationData},
        {"%localappdata%", &variables.localApplicationData},
        {"%programdata%", &variables.programData},
        {"%public%", &variables.publicFolder},
    }};
    std::string expanded(text);
    if (expanded.find('%') == std::string::npos) return expanded;
    for (const auto& [variable, folder] : table) {
        if (folder->empty()) continue;
        expanded = ReplaceAllNoCase(expanded, variable, *folder);
    }
    return expanded;
}

std::optional<std::string> ExplorerPathOfEntry(const ScanEntry& entry,
                                               const PathVariables& variables) {
    std::string_view named;
    if (entry.hasData && NamesPath(entry.data)) {
        named = entry.data;
    } else if (entry.hasValue && NamesPath(entry.valueName)) {
        named = entry.valueName;
    } else {
        return std::nullopt;
    }
    std::string path;
    path.reserve(named.size());
    for (char c : named) {
        if (c != '"') path += c;
    }
    if (const std::size_t exe = FindNoCase(path, ".exe"); exe != std::string::npos) {
        path.erase(exe + 4);
    }
    path = Trim(ExpandFolderVariables(path, variables));
    if (path.empty()) return std::nullopt;
    return path;
}

Status OpeninexplorerClick(const ResultList& results, std::optional<std::size_t> focusedRow,
                           const PathVariables& variables, ShellPort& shell) {
    if (!focusedRow || *focusedRow >= results.RowCount()) {
        return MakeError(ErrorCode::NotFound, "no row is focused");
    }
    const std::optional<std::string> path =
        ExplorerPathOfEntry(ParseScanEntry(results.Row(*focusedRow).text), variables);
    if (!path) return MakeError(ErrorCode::NotFound, "the row names no file or folder");
    return shell.ExplorerSelect(*path);
}

}  // namespace kestrover
