// The Linux build's ports: host folders mapped as drives, a registry held in memory (loaded
// from and saved back to an export file when one is given), and an environment whose Windows
// folders follow the mapped C: drive.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>

#include "platform/NativePlatform.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemorySecurity.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixEnvironment.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixShell.h"
#include "registry/RegistryFile.h"

namespace kestrover {

namespace {

class PosixNativePlatform final : public NativePlatform {
public:
    PosixNativePlatform() : environment_(&fileSystem_) {}

    PosixFileSystem& FileSystem() { return fileSystem_; }
    PosixEnvironment& Environment() { return environment_; }
    Platform Ports() override {
        return Platform{registry_, fileSystem_, environment_, clock_, shell_, security_};
    }

    // Files named on the command line are host paths. They are reached through a file system
    // of their own in which the file's folder is mapped to a drive letter (Z: first, then Y:
    // and down, one per folder), so the drives the ports show stay the ones the user mapped.
    // Only the file's own name must be one Windows can hold.
    Result<CommandLineFile> LocateCommandLineFile(std::string_view argument) override {
        std::error_code error;
        std::filesystem::path host = std::filesystem::absolute(std::string(argument), error);
        if (error || argument.empty()) {
            return MakeError(ErrorCode::InvalidData,
                             "not a file path: \"" + std::string(argument) + "\"");
        }
        host = host.lexically_normal();
        if (!host.has_filename()) {
            return MakeError(ErrorCode::InvalidData,
                             "not a file path: \"" + std::string(argument) + "\"");
        }
        const std::string folder = host.parent_path().string();
        std::optional<std::string> mapped = commandLineFiles_.ToWindowsPath(folder);
        if (!mapped || mapped->size() != 3) {  // "Z:\": the folder is a drive of its own
            if (nextLetter_ < 'A') {
                return MakeError(ErrorCode::Unsupported,
                                 "too many folders named on the command line");
            }
            commandLineFiles_.MapDrive(nextLetter_--, folder, DriveType::Fixed);
        }
        std::optional<std::string> path = commandLineFiles_.ToWindowsPath(host.string());
        if (!path) {
            return MakeError(ErrorCode::InvalidData,
                             "the name of " + host.string() + " is not one Windows can hold");
        }
        hostPaths_.emplace_back(*path, host.string());
        return CommandLineFile{&commandLineFiles_, *path};
    }

    // A data folder is a host folder. One inside a mapped drive keeps its path there; any
    // other becomes a drive of its own, from Y: downward, of the network type, which the scan
    // does not count among the local fixed drives, so mapping it changes no scan result.
    Result<std::string> MapDataFolder(std::string_view folder) override {
        std::string given(folder);
        if (given.empty()) {
            std::string executable(4096, '\0');
            ssize_t length = ::readlink("/proc/self/exe", executable.data(), executable.size());
            if (length <= 0) {
                return MakeError(ErrorCode::NotFound, "the executable's folder");
            }
            executable.resize(static_cast<std::size_t>(length));
            given = std::filesystem::path(executable).parent_path().string();
        }
        std::error_code error;
        std::filesystem::path host = std::filesystem::absolute(given, error);
        if (error) return MakeError(ErrorCode::InvalidData, "not a folder path: \"" + given + "\"");
        host = host.lexically_normal();
        std::string hostFolder = host.string();
        while (hostFolder.size() > 1 && hostFolder.back() == '/') hostFolder.pop_back();
        struct stat info {};
        if (stat(hostFolder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            return MakeError(ErrorCode::NotFound, "data folder " + hostFolder);
        }
        std::optional<std::string> windows = fileSystem_.ToWindowsPath(hostFolder);
        if (!windows) {
            const std::uint32_t used = fileSystem_.LogicalDrives();
            char letter = 'Y';
            while (letter >= 'D' && (used & (1u << (letter - 'A'))) != 0) --letter;
            if (letter < 'D') {
                return MakeError(ErrorCode::Unsupported, "no free drive letter for the data folder " +
                                                             hostFolder);
            }
            fileSystem_.MapDrive(letter, hostFolder, DriveType::Remote);
            windows = fileSystem_.ToWindowsPath(hostFolder);
            if (!windows) {
                fileSystem_.UnmapDrive(letter);
                return MakeError(ErrorCode::InvalidData, "data folder " + hostFolder);
            }
        }
        if (windows->back() != '\\') *windows += '\\';
        return *windows;
    }

    Status LoadRegistry(const std::string& hostPath) {
        auto file = LocateCommandLineFile(hostPath);
        if (!file) return file.error();
        registryFile_ = *file;
        RegistryContext context = RegistryContextOf();
        Status loaded = LoadRegistryFile(context, *registryFile_->fileSystem, registryFile_->path);
        if (!loaded) return HostError(loaded.error());
        savedChangeCount_ = registry_.ChangeCount();
        return {};
    }

    // Saves the registry file when the registry changed since it was loaded or last saved.
    Status Finish() override {
        if (!registryFile_ || registry_.ChangeCount() == savedChangeCount_) return {};
        RegistryContext context = RegistryContextOf();
        Status saved = SaveRegistryFile(context, *registryFile_->fileSystem, registryFile_->path);
        if (!saved) return HostError(saved.error());
        savedChangeCount_ = registry_.ChangeCount();
        return {};
    }

private:
    RegistryContext RegistryContextOf() {
        return RegistryContext{registry_, RegistryViewFlags{true, true},
                               &environment_.AnsiCodePage()};
    }

    // Errors name the files by the host paths the user gave, not by their internal drives.
    Error HostError(Error error) const {
        for (const auto& [windows, host] : hostPaths_) {
            for (std::size_t at = error.context.find(windows); at != std::string::npos;
                 at = error.context.find(windows, at + host.size())) {
                error.context.replace(at, windows.size(), host);
            }
        }
        return error;
    }

    MemoryRegistry registry_{true};
    PosixFileSystem fileSystem_;
    PosixEnvironment environment_;
    PosixClock clock_;
    PosixShell shell_;
    // Keys of the registry held in memory keep an owner and access list while the program
    // runs (an export file has no place for them).
    MemorySecurity security_{registry_};
    PosixFileSystem commandLineFiles_;
    char nextLetter_ = 'Z';
    std::vector<std::pair<std::string, std::string>> hostPaths_;  // Windows path, host path
    std::optional<CommandLineFile> registryFile_;
    std::uint64_t savedChangeCount_ = 0;
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
    if (!options.registryFile.empty()) {
        Status loaded = platform->LoadRegistry(options.registryFile);
        if (!loaded) return loaded.error();
    }
    return std::unique_ptr<NativePlatform>(std::move(platform));
}

void PrepareConsoleForUtf8() {}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

}  // namespace kestrover
