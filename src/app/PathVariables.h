// The path variables: the folder values the program takes from the environment, the registry's
// shell folders and the Firefox profile once at start-up, for the junk-file rules and the scan.
#pragma once

#include <cstddef>
#include <string>

#include "core/TextCodec.h"
#include "platform/ports/EnvironmentPort.h"
#include "platform/ports/FileSystemPort.h"
#include "registry/RegistryProvider.h"
#include "scanner/FileReference.h"

namespace kestrover {

// Folder values longer than this (in UTF-16 code units) cannot be held and stay empty. They are
// never cut short: a shortened folder would name a path that does not exist.
inline constexpr std::size_t kPathVariableMaxLength = 255;

struct PathVariables {
    std::string systemRoot;             // systemroot
    std::string windowsFolder;          // windir
    std::string systemDrive;            // systemdrive
    std::string commonProgramFiles;     // commonprogramw6432 on 64-bit Windows, else commonprogramfiles
    std::string programFiles;           // programw6432 on 64-bit Windows, else programfiles
    std::string programFilesX86;        // ProgramFiles(x86), 64-bit Windows only
    std::string commonProgramFilesX86;  // CommonProgramFiles(x86), 64-bit Windows only
    std::string userProfile;            // userprofile
    std::string allUsersProfile;        // allusersprofile
    std::string applicationData;        // appdata
    std::string localApplicationData;   // localappdata
    std::string programData;            // programdata
    std::string publicFolder;           // public
    std::string commonProgramsMenu;     // HKLM ...\Explorer\Shell Folders, "Common Programs"
    std::string userProgramsMenu;       // HKCU ...\Explorer\Shell Folders, "Programs"
    std::string firefoxProfile = std::string(kMissingFolderMarker);
    std::string localFirefoxProfile = std::string(kMissingFolderMarker);
    // Whether the values were read as on 64-bit Windows.
    bool is64BitWindows = false;
};

// Fills every value in table order: the folders from the environment (on 64-bit Windows, as
// the registry view flags tell, the "W6432" forms and the "(x86)" folders; on 32-bit Windows
// the "(x86)" folders stay empty), the two programs menus from the registry, then the Firefox
// profile. A variable that is not set leaves its value empty.
PathVariables FillPathVariables(EnvironmentPort& environment, FileSystemPort& fileSystem,
                                RegistryContext& registry);

// The Firefox profile from "Mozilla\Firefox\profiles.ini" below the application-data folder:
// the profile that StartWithLastProfile names (Profile0 normally) becomes the Firefox profile
// when its folder exists, and the same path below the local application-data folder becomes
// the local Firefox profile. Without "profiles.ini", or without a profile it names, both are
// "notfound-".
void DetectFirefoxProfile(PathVariables& variables, FileSystemPort& fileSystem,
                          const TextCodec& ansiCodePage, Wow64Redirection redirection);

// The folders the file-reference resolver replaces placeholders with.
KnownFolders ToKnownFolders(const PathVariables& variables);

}  // namespace kestrover
