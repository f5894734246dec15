// Path variables: folder values from the environment on 64-bit and 32-bit Windows, the
// programs menus from the registry, and the Firefox profile from profiles.ini.
#include "app/PathVariables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory/MemoryEnvironment.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"

namespace kestrover {
namespace {

constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kRoaming = "C:\\Users\\ann\\AppData\\Roaming";
constexpr const char* kLocal = "C:\\Users\\ann\\AppData\\Local";

// Every variable the table reads, each with a value that names it, so that a test sees which
// variable a path variable came from.
void SetAllVariables(MemoryEnvironment& environment) {
    const std::pair<const char*, const char*> variables[] = {
        {"SystemRoot", "C:\\Windows"},
        {"windir", "C:\\WinDir"},
        {"SystemDrive", "C:"},
        {"CommonProgramFiles", "C:\\CommonProgramFiles"},
        {"CommonProgramW6432", "C:\\CommonProgramW6432"},
        {"ProgramFiles", "C:\\ProgramFiles"},
        {"ProgramW6432", "C:\\ProgramW6432"},
        {"ProgramFiles(x86)", "C:\\ProgramFilesX86"},
        {"CommonProgramFiles(x86)", "C:\\CommonProgramFilesX86"},
        {"USERPROFILE", "C:\\Users\\ann"},
        {"ALLUSERSPROFILE", "C:\\ProgramData\\AllUsers"},
        {"APPDATA", kRoaming},
        {"LOCALAPPDATA", kLocal},
        {"ProgramData", "C:\\ProgramData"},
        {"PUBLIC", "C:\\Users\\Public"},
    };
    for (const auto& [name, value] : variables) environment.SetVariable(name, value);
}

void WriteShellFolder(RegistryContext& context, RegRoot root, const char* name, const char* value) {
    RegistryProvider provider(context);
    provider.SetRootKey(root);
    ASSERT_TRUE(provider.OpenKey(kShellFolders, true));
    provider.WriteString(name, value);
}

TEST(FillPathVariables, EnvironmentFoldersOn64And32BitWindows) {
    struct Case {
        const char* architecture;
        bool windows64;
        const char* programFiles;
        const char* commonProgramFiles;
        const char* programFilesX86;
        const char* commonProgramFilesX86;
    };
    const Case cases[] = {
        {"64-bit", true, "C:\\ProgramW6432", "C:\\CommonProgramW6432", "C:\\ProgramFilesX86",
         "C:\\CommonProgramFilesX86"},
        {"64 bits", true, "C:\\ProgramW6432", "C:\\CommonProgramW6432", "C:\\ProgramFilesX86",
         "C:\\CommonProgramFilesX86"},
        // 32-bit Windows, and a system that could not tell: the "(x86)" folders stay empty
        // even when the variables are set.
        {"32-bit", false, "C:\\ProgramFiles", "C:\\CommonProgramFiles", "", ""},
        {"", false, "C:\\ProgramFiles", "C:\\CommonProgramFiles", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("architecture: ") + c.architecture);
        MemoryEnvironment environment;
        environment.SetOperatingSystemArchitecture(c.architecture);
        SetAllVariables(environment);
        MemoryFileSystem files;
        MemoryRegistry registry(c.windows64);
        RegistryContext context{registry, ViewFlagsFromArchitecture(environment.OperatingSystemArchitecture())};

        PathVariables variables = FillPathVariables(environment, files, context);
        EXPECT_EQ(variables.is64BitWindows, c.windows64);
        EXPECT_EQ(variables.programFiles, c.programFiles);
        EXPECT_EQ(variables.commonProgramFiles, c.commonProgramFiles);
        EXPECT_EQ(variables.programFilesX86, c.programFilesX86);
        EXPECT_EQ(variables.commonProgramFilesX86, c.commonProgramFilesX86);
        EXPECT_EQ(variables.systemRoot, "C:\\Windows");
        EXPECT_EQ(variables.windowsFolder, "C:\\WinDir");
        EXPECT_EQ(variables.systemDrive, "C:");
        EXPECT_EQ(variables.userProfile, "C:\\Users\\ann");
        EXPECT_EQ(variables.allUsersProfile, "C:\\ProgramData\\AllUsers");
        EXPECT_EQ(variables.applicationData, kRoaming);
        EXPECT_EQ(variables.localApplicationData, kLocal);
        EXPECT_EQ(variables.programData, "C:\\ProgramData");
        EXPECT_EQ(variables.publicFolder, "C:\\Users\\Public");
    }
}

TEST(FillPathVariables, MissingAndOverlongVariablesLeaveEmptyValues) {
    MemoryEnvironment environment;
    MemoryFileSystem files;
    MemoryRegistry registry;
    RegistryContext context{registry, ViewFlagsFromArchitecture("64-bit")};

    PathVariables none = FillPathVariables(environment, files, context);
    for (const std::string* value :
         {&none.systemRoot, &none.windowsFolder, &none.systemDrive, &none.commonProgramFiles,
          &none.programFiles, &none.programFilesX86, &none.commonProgramFilesX86, &none.userProfile,
          &none.allUsersProfile, &none.applicationData, &none.localApplicationData,
          &none.programData, &none.publicFolder, &none.commonProgramsMenu, &none.userProgramsMenu}) {
        EXPECT_EQ(*value, "");
    }
    EXPECT_EQ(none.firefoxProfile, "notfound-");
    EXPECT_EQ(none.localFirefoxProfile, "notfound-");

    // On 64-bit Windows the plain "ProgramFiles" is not read, even when "ProgramW6432" is unset.
    environment.SetVariable("ProgramFiles", "C:\\Program Files (x86)");
    EXPECT_EQ(FillPathVariables(environment, files, context).programFiles, "");

    // A value that does not fit is left out whole rather than cut to a folder that does not
    // exist. Length counts UTF-16 units: "é" is one.
    const std::string fits = "C:\\" + std::string(252, 'a');
    const std::string fitsAccented = "C:\\" + std::string(251, 'a') + "\xC3\xA9";
    const std::string tooLong = "C:\\" + std::string(253, 'a');
    environment.SetVariable("windir", fits);
    environment.SetVariable("SystemRoot", fitsAccented);
    environment.SetVariable("APPDATA", tooLong);
    PathVariables limited = FillPathVariables(environment, files, context);
    EXPECT_EQ(limited.windowsFolder, fits);
    EXPECT_EQ(limited.systemRoot, fitsAccented);
    EXPECT_EQ(limited.applicationData, "");
}

TEST(FillPathVariables, ProgramsMenusFromTheShellFoldersKeys) {
    struct Case {
        const char* name;
        bool writeMachine;
        bool writeUser;
        std::uint32_t userType;  // the type of the user's "Programs" value
        const char* commonMenu;
        const char* userMenu;
    };
    const Case cases[] = {
        {"both keys", true, true, RegistryType::String, "C:\\ProgramData\\Start Menu\\Programs",
         "C:\\Users\\ann\\Start Menu\\Programs"},
        {"an expandable string is text too", true, true, RegistryType::ExpandString,
         "C:\\ProgramData\\Start Menu\\Programs", "C:\\Users\\ann\\Start Menu\\Programs"},
        {"a value that is not text", true, true, RegistryType::Dword,
         "C:\\ProgramData\\Start Menu\\Programs", ""},
        {"no keys", false, false, RegistryType::String, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryEnvironment environment;
        MemoryFileSystem files;
        MemoryRegistry registry;
        RegistryContext context{registry, ViewFlagsFromArchitecture("64-bit")};
        if (c.writeMachine) {
            WriteShellFolder(context, RegRoot::LocalMachine, "Common Programs",
                             "C:\\ProgramData\\Start Menu\\Programs");
        }
        if (c.writeUser) {
            RegistryProvider provider(context);
            provider.SetRootKey(RegRoot::CurrentUser);
            ASSERT_TRUE(provider.OpenKey(kShellFolders, true));
            if (c.userType == RegistryType::Dword) {
                provider.WriteInteger("Programs", 7);
            } else if (c.userType == RegistryType::ExpandString) {
                provider.WriteExpandString("Programs", "C:\\Users\\ann\\Start Menu\\Programs");
            } else {
                provider.WriteString("Programs", "C:\\Users\\ann\\Start Menu\\Programs");
            }
            // The user's key holds no "Common Programs" and the machine's no "Programs".
            provider.WriteString("Common Programs", "wrong root");
        }
        PathVariables variables = FillPathVariables(environment, files, context);
        EXPECT_EQ(variables.commonProgramsMenu, c.commonMenu);
        EXPECT_EQ(variables.userProgramsMenu, c.userMenu);
    }
}

TEST(DetectFirefoxProfile, FromProfilesIni) {
    const std::string firefox = std::string(kRoaming) + "\\Mozilla\\Firefox\\";
    const std::string localFirefox = std::string(kLocal) + "\\Mozilla\\Firefox\\";
    struct Case {
        const char* name;
        const char* profilesIni;  // nullptr: no profiles.ini
        std::vector<std::string> folders;
        std::string profile;
        std::string localProfile;
    };
    const std::string profile0 = firefox + "Profiles\\abc.default";
    const std::string profile1 = firefox + "Profiles\\xyz.work";
    const std::string twoProfiles =
        "[General]\r\nStartWithLastProfile=%s\r\n\r\n"
        "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/abc.default\r\n\r\n"
        "[Profile1]\r\nName=work\r\nIsRelative=1\r\nPath = Profiles/xyz.work \r\n";
    auto withStart = [&twoProfiles](const char* number) {
        std::string text = twoProfiles;
        text.replace(text.find("%s"), 2, number);
        return text;
    };
    const std::string startOne = withStart("1");
    const std::string startTwo = withStart("2");
    const std::string startZero = withStart("0");
    const std::string startText = withStart("yes");
    const Case cases[] = {
        {"no profiles.ini", nullptr, {profile0}, "notfound-", "notfound-"},
        {"profile 0", startOne.c_str(), {profile0}, profile0, localFirefox + "Profiles\\abc.default"},
        {"StartWithLastProfile 2 picks Profile1", startTwo.c_str(), {profile0, profile1}, profile1,
         localFirefox + "Profiles\\xyz.work"},
        {"a value that is no number counts as 1", startText.c_str(), {profile0}, profile0,
         localFirefox + "Profiles\\abc.default"},
        {"no General section", "[Profile0]\r\nPath=Profiles/abc.default\r\n", {profile0}, profile0,
         localFirefox + "Profiles\\abc.default"},
        // The local profile is taken without a test; the roaming one must exist.
        {"profile folder gone", startOne.c_str(), {}, "notfound-",
         localFirefox + "Profiles\\abc.default"},
        // No profile named: never Firefox's own folder, which holds profiles.ini and every
        // profile.
        {"StartWithLastProfile 0 names no section", startZero.c_str(), {profile0}, "notfound-",
         "notfound-"},
        {"a profile without a path", "[General]\r\nStartWithLastProfile=1\r\n[Profile0]\r\nName=x\r\n",
         {profile0}, "notfound-", "notfound-"},
        {"a profile outside Firefox's folder",
         "[Profile0]\r\nIsRelative=0\r\nPath=D:\\Firefox Profiles\\mine\r\n",
         {"D:\\Firefox Profiles\\mine"}, "D:\\Firefox Profiles\\mine", "D:\\Firefox Profiles\\mine"},
        {"an outside profile that is gone", "[Profile0]\r\nIsRelative=0\r\nPath=D:\\Gone\r\n", {},
         "notfound-", "notfound-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        files.AddDrive('D', DriveType::Fixed);
        ASSERT_TRUE(files.AddDirectories(firefox));
        if (c.profilesIni) {
            ASSERT_TRUE(files.AddFile(firefox + "profiles.ini", c.profilesIni));
        }
        for (const std::string& folder : c.folders) ASSERT_TRUE(files.AddDirectories(folder));

        PathVariables variables;
        variables.applicationData = kRoaming;
        variables.localApplicationData = kLocal;
        DetectFirefoxProfile(variables, files, Windows1252(), Wow64Redirection::Off);
        EXPECT_EQ(variables.firefoxProfile, c.profile);
        EXPECT_EQ(variables.localFirefoxProfile, c.localProfile);
    }
}

TEST(DetectFirefoxProfile, ThroughFillPathVariables) {
    MemoryEnvironment environment;
    environment.SetVariable("APPDATA", kRoaming);
    environment.SetVariable("LOCALAPPDATA", kLocal);
    MemoryFileSystem files;
    const std::string firefox = std::string(kRoaming) + "\\Mozilla\\Firefox\\";
    ASSERT_TRUE(files.AddFile(firefox + "profiles.ini",
                              "[General]\r\nStartWithLastProfile=1\r\n[Profile0]\r\nPath=Profiles/p.default\r\n"));
    ASSERT_TRUE(files.AddDirectories(firefox + "Profiles\\p.default"));
    MemoryRegistry registry;
    RegistryContext context{registry, ViewFlagsFromArchitecture("64-bit")};

    PathVariables variables = FillPathVariables(environment, files, context);
    EXPECT_EQ(variables.firefoxProfile, firefox + "Profiles\\p.default");
    EXPECT_EQ(variables.localFirefoxProfile, std::string(kLocal) + "\\Mozilla\\Firefox\\Profiles\\p.default");

    // "notfound-" is a folder every existence test calls missing.
    EXPECT_FALSE(PathExists(files, "notfound-", Wow64Redirection::Off));
}

TEST(ToKnownFolders, CarriesEveryFolderTheResolverReplaces) {
    MemoryEnvironment environment;
    SetAllVariables(environment);
    MemoryFileSystem files;
    MemoryRegistry registry;
    RegistryContext context{registry, ViewFlagsFromArchitecture("64-bit")};
    PathVariables variables = FillPathVariables(environment, files, context);

    KnownFolders folders = ToKnownFolders(variables);
    EXPECT_TRUE(folders.is64BitWindows);
    EXPECT_EQ(folders.systemRoot, "C:\\Windows");
    EXPECT_EQ(folders.windowsFolder, "C:\\WinDir");
    EXPECT_EQ(folders.systemDrive, "C:");
    EXPECT_EQ(folders.applicationData, kRoaming);
    EXPECT_EQ(folders.localApplicationData, kLocal);
    EXPECT_EQ(folders.userProfile, "C:\\Users\\ann");
    EXPECT_EQ(folders.allUsersProfile, "C:\\ProgramData\\AllUsers");
    EXPECT_EQ(folders.programData, "C:\\ProgramData");
    EXPECT_EQ(folders.publicFolder, "C:\\Users\\Public");
    EXPECT_EQ(folders.programFiles, "C:\\ProgramW6432");
    EXPECT_EQ(folders.commonProgramFiles, "C:\\CommonProgramW6432");
    EXPECT_EQ(folders.programFilesX86, "C:\\ProgramFilesX86");
    EXPECT_EQ(folders.commonProgramFilesX86, "C:\\CommonProgramFilesX86");

    // The resolver built from them replaces "%ProgramFiles%" with the 64-bit folder.
    files.AddDrive('C', DriveType::Fixed);
    FileReferenceResolver resolver(files, folders, Wow64Redirection::Off);
    resolver.BuildLocalDrives();
    EXPECT_EQ(resolver.ResolveFileReference("%ProgramFiles%\\a.exe", ReturnFound::No),
              "C:\\ProgramW6432\\a.exe");
}

}  // namespace
}  // namespace kestrover
