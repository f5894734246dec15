// The Linux build's ports: host folders mapped as drives, a registry held in memory, and an
// environment whose Windows folders follow the mapped C: drive.
#include <sys/stat.h>

#include <cctype>

#include "platform/NativePlatform.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/posix/PosixEnvironment.h"
#include "platform/posix/PosixFileSystem.h"

namespace kestrover {

namespace {

class PosixNativePlatform final : public NativePlatform {
public:
    PosixNativePlatform() : environment_(&fileSystem_) {}

    PosixFileSystem& FileSystem() { return fileSystem_; }
    PosixEnvironment& Environment() { return environment_; }
    Platform Ports() override { return Platform{registry_, fileSystem_, environment_}; }

private:
    MemoryRegistry registry_{true};
    PosixFileSystem fileSystem_;
    PosixEnvironment environment_;
};

// The variables Windows sets for its own folders, derived from the mapped system drive so that
// a folder mapped as C: looks like an installed Windows. A variable the process already has
// keeps its value; PATH is always the Windows one, since the host's names host folders.
void DeriveWindowsFolders(PosixEnvironment& environment, char systemDrive) {
    const std::string drive = std::string(1, systemDrive) + ":";
    std::string user = "User";
    for (const char* name : {"USERNAME", "USER"}) {
        if (auto value = environment.GetVariable(name); value && !value->empty()) {
            user = *value;
            break;
        }
    }
    const std::string profile = drive + "\\Users\\" + user;
    const std::pair<const char*, std::string> folders[] = {
        {"SystemDrive", drive},
        {"SystemRoot", drive + "\\Windows"},
        {"windir", drive + "\\Windows"},
        {"ProgramFiles", drive + "\\Program Files"},
        {"ProgramW6432", drive + "\\Program Files"},
        {"ProgramFiles(x86)", drive + "\\Program Files (x86)"},
        {"CommonProgramFiles", drive + "\\Program Files\\Common Files"},
        {"CommonProgramW6432", drive + "\\Program Files\\Common Files"},
        {"CommonProgramFiles(x86)", drive + "\\Program Files (x86)\\Common Files"},
        {"ProgramData", drive + "\\ProgramData"},
        {"ALLUSERSPROFILE", drive + "\\ProgramData"},
        {"PUBLIC", drive + "\\Users\\Public"},
        {"USERNAME", user},
        {"USERPROFILE", profile},
        {"HOMEDRIVE", drive},
        {"HOMEPATH", "\\Users\\" + user},
        {"APPDATA", profile + "\\AppData\\Roaming"},
        {"LOCALAPPDATA", profile + "\\AppData\\Local"},
        {"TEMP", profile + "\\AppData\\Local\\Temp"},
        {"TMP", profile + "\\AppData\\Local\\Temp"},
    };
    for (const auto& [name, value] : folders) {
        auto existing = environment.GetVariable(name);
        // A host value that is not a Windows path ("/tmp") is no value for a Windows program.
        bool usable = existing && existing->size() >= 2 && (*existing)[1] == ':';
        if (std::string(name) == "USERNAME") usable = existing.has_value();
        if (!usable) environment.SetVariable(name, value);
    }
    environment.SetVariable("PATH", drive + "\\Windows\\system32;" + drive + "\\Windows;" + drive +
                                        "\\Windows\\System32\\Wbem");
}

}  // namespace

Result<std::unique_ptr<NativePlatform>> CreateNativePlatform(const NativePlatformOptions& options) {
    auto platform = std::make_unique<PosixNativePlatform>();
    for (const DriveMapping& drive : options.drives) {
        char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(drive.letter)));
        struct stat info {};
        if (letter < 'A' || letter > 'Z') {
            return MakeError(ErrorCode::InvalidData, "drive letter " + std::string(1, drive.letter));
        }
        if (stat(drive.hostFolder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            return MakeError(ErrorCode::NotFound, "folder for drive " + std::string(1, letter) +
                                                      ": " + drive.hostFolder);
        }
        platform->FileSystem().MapDrive(letter, drive.hostFolder, DriveType::Fixed);
    }
    if (platform->FileSystem().GetDriveType("C:\\") == DriveType::Fixed) {
        DeriveWindowsFolders(platform->Environment(), 'C');
    }
    return std::unique_ptr<NativePlatform>(std::move(platform));
}

void PrepareConsoleForUtf8() {}

}  // namespace kestrover
