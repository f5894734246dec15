// The ports of the system this build runs on: the real registry, disks and environment on
// Windows; on Linux a registry held in memory and host folders mapped as drives.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "platform/ports/Platform.h"

namespace kestrover {

struct DriveMapping {
    char letter = 'C';
    std::string hostFolder;
};

struct NativePlatformOptions {
    // Linux only: host folders shown as fixed local drives. Windows has its own drives.
    std::vector<DriveMapping> drives;
    // Linux only: the registry is held in this export file (a host path), loaded when the
    // platform is created and saved back by Finish when it changed. Empty: an empty registry.
    // Windows has its own registry; the front end refuses the option there.
    std::string registryFile;
};

// A file named on the command line: the file system that reaches it and its path there.
struct CommandLineFile {
    FileSystemPort* fileSystem = nullptr;
    std::string path;
};

class NativePlatform {
public:
    virtual ~NativePlatform() = default;
    virtual Platform Ports() = 0;

    // Where a file the user names on the command line is found. On Windows the text is a
    // Windows path, taken as it is by the system's file system. On Linux it is a host path,
    // reached through a file system of the front end's own, apart from the mapped drives, so
    // that the machine the ports show gains no drive for it.
    virtual Result<CommandLineFile> LocateCommandLineFile(std::string_view argument) {
        return CommandLineFile{&Ports().fileSystem, std::string(argument)};
    }
    // Makes a data folder reachable through Ports().fileSystem and gives its Windows path,
    // ending with a backslash. An empty text names the executable's folder. On Windows the text
    // is a Windows path, made absolute. On Linux it is a host folder; a folder outside the
    // mapped drives becomes a drive of its own (Y: and down), of a type the scan does not count
    // among the local fixed drives. NotFound when the folder does not exist.
    virtual Result<std::string> MapDataFolder(std::string_view folder) {
        std::string path(folder);
        if (path.empty()) {
            const std::string executable = Ports().environment.ExecutablePath();
            path = executable.substr(0, executable.find_last_of("\\:") + 1);
        }
        if (!path.empty() && path.back() != '\\') path += '\\';
        return path;
    }
    // Ends the run: a registry kept in a file is saved back if the run changed it.
    virtual Status Finish() { return {}; }
};

// True where the registry can be kept in a file (NativePlatformOptions::registryFile).
#ifdef _WIN32
inline constexpr bool kRegistryFileSupported = false;
#else
inline constexpr bool kRegistryFileSupported = true;
#endif

// Fails (InvalidData or Unsupported) when an option does not apply to this system or names a
// folder that does not exist.
Result<std::unique_ptr<NativePlatform>> CreateNativePlatform(const NativePlatformOptions& options);

// Makes the console show UTF-8 output as text (Windows consoles need to be told).
void PrepareConsoleForUtf8();

// Whether standard error is a terminal (a progress line is shown only there).
bool StandardErrorIsTerminal();
// Whether standard input is a terminal (questions are asked only there).
bool StandardInputIsTerminal();

}  // namespace kestrover
