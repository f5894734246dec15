// The path variables, filled once at start-up.
#include "app/PathVariables.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "core/IniReader.h"
#include "core/KestroverError.h"
#include "core/Text.h"
#include "platform/ports/WindowsPath.h"

namespace kestrover {

namespace {

constexpr std::string_view kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr std::string_view kFirefoxFolder = "\\Mozilla\\Firefox\\";

std::string ReadFolderVariable(const EnvironmentPort& environment, std::string_view name) {
    std::optional<std::string> value = environment.GetVariable(name);
    if (!value || Utf16Length(*value) > kPathVariableMaxLength) return {};
    return std::move(*value);
}

// A string value of the shell folders key, or empty when the key or the value is missing or
// the value is not text.
std::string ReadShellFolder(RegistryContext& registry, RegRoot root, std::string_view valueName) {
    RegistryProvider provider(registry);
    provider.SetRootKey(root);
    if (!provider.OpenKeyReadOnly(kShellFoldersKey)) return {};
    RegValueKind kind = provider.GetDataType(valueName);
    if (kind != RegValueKind::String && kind != RegValueKind::ExpandString) return {};
    try {
        return provider.ReadString(valueName);
    } catch (const KestroverError&) {
        return {};
    }
}

// The number StartWithLastProfile holds; missing or not a number counts as 1.
int StartProfileNumber(std::string_view text) {
    text = TrimView(text);
    int number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) return 1;
    return number;
}

}  // namespace

PathVariables FillPathVariables(EnvironmentPort& environment, FileSystemPort& fileSystem,
                                RegistryContext& registry) {
    PathVariables variables;
    const bool windows64 = registry.views.is64BitWindows;
    variables.is64BitWindows = windows64;
    auto read = [&environment](std::string_view name) {
        return ReadFolderVariable(environment, name);
    };
    variables.systemRoot = read("systemroot");
    variables.windowsFolder = read("windir");
    variables.systemDrive = read("systemdrive");
    variables.commonProgramFiles = read(windows64 ? "commonprogramw6432" : "commonprogramfiles");
    variables.programFiles = read(windows64 ? "programw6432" : "programfiles");
    if (windows64) {
        variables.programFilesX86 = read("ProgramFiles(x86)");
        variables.commonProgramFilesX86 = read("CommonProgramFiles(x86)");
    }
    variables.userProfile = read("userprofile");
    variables.allUsersProfile = read("allusersprofile");
    variables.applicationData = read("appdata");
    variables.localApplicationData = read("localappdata");
    variables.programData = read("programdata");
    variables.publicFolder = read("public");
    variables.commonProgramsMenu = ReadShellFolder(registry, RegRoot::LocalMachine, "Common Programs");
    variables.userProgramsMenu = ReadShellFolder(registry, RegRoot::CurrentUser, "Programs");

    const Wow64Redirection redirection =
        environment.IsWow64Redirected() ? Wow64Redirection::On : Wow64Redirection::Off;
    DetectFirefoxProfile(variables, fileSystem, environment.AnsiCodePage(), redirection);
    return variables;
}

void DetectFirefoxProfile(PathVariables& variables, FileSystemPort& fileSystem,
                          const TextCodec& ansiCodePage, Wow64Redirection redirection) {
    variables.firefoxProfile = std::string(kMissingFolderMarker);
    variables.localFirefoxProfile = std::string(kMissingFolderMarker);
    if (variables.applicationData.empty()) return;

    const std::string iniPath =
        variables.applicationData + std::string(kFirefoxFolder) + "profiles.ini";
    if (!fileSystem.FileExists(iniPath)) return;
    IniReader reader(fileSystem, ansiCodePage);
    if (!reader.Open(iniPath)) return;

    int number = StartProfileNumber(reader.ReadValue("General", "StartWithLastProfile", "", KeepWide::Yes));
    const std::string section = "Profile" + std::to_string(static_cast<long long>(number) - 1);
    std::string profilePath = reader.ReadValue(section, "Path", "", KeepWide::Yes);
    const bool relative = Trim(reader.ReadValue(section, "IsRelative", "1", KeepWide::Yes)) != "0";
    reader.Close();

    // Without a profile path the folder would be Firefox's own folder, and rules meant for a
    // profile's junk would reach profiles.ini and every profile beside it.
    for (char& c : profilePath) {
        if (c == '/') c = '\\';
    }
    if (Trim(profilePath).empty()) return;

    if (!relative) {
        // A profile created outside Firefox's folder is named by its full path, and keeps its
        // local data there too.
        if (PathExists(fileSystem, profilePath, redirection)) {
            variables.firefoxProfile = profilePath;
            variables.localFirefoxProfile = profilePath;
        }
        return;
    }

    const std::string roaming = variables.applicationData + std::string(kFirefoxFolder) + profilePath;
    if (PathExists(fileSystem, roaming, redirection)) variables.firefoxProfile = roaming;
    if (!variables.localApplicationData.empty()) {
        variables.localFirefoxProfile =
            variables.localApplicationData + std::string(kFirefoxFolder) + profilePath;
    }
}

KnownFolders ToKnownFolders(const PathVariables& variables) {
    KnownFolders folders;
    folders.systemRoot = variables.systemRoot;
    folders.windowsFolder = variables.windowsFolder;
    folders.systemDrive = variables.systemDrive;
    folders.applicationData = variables.applicationData;
    folders.localApplicationData = variables.localApplicationData;
    folders.userProfile = variables.userProfile;
    folders.allUsersProfile = variables.allUsersProfile;
    folders.programData = variables.programData;
    folders.publicFolder = variables.publicFolder;
    folders.programFiles = variables.programFiles;
    folders.commonProgramFiles = variables.commonProgramFiles;
    folders.programFilesX86 = variables.programFilesX86;
    folders.commonProgramFilesX86 = variables.commonProgramFilesX86;
    folders.is64BitWindows = variables.is64BitWindows;
    return folders;
}

}  // namespace kestrover
