// The Windows build's ports: the real registry, disks and environment.
#include "platform/NativePlatform.h"

#include <cstdio>

#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Environment.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Security.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover {

namespace {

class Win32NativePlatform final : public NativePlatform {
public:
    Platform Ports() override {
        return Platform{registry_, fileSystem_, environment_, clock_, shell_, security_};
    }

    // A data folder given by name is a Windows path, made absolute against the current folder.
    Result<std::string> MapDataFolder(std::string_view folder) override {
        if (folder.empty()) return NativePlatform::MapDataFolder(folder);
        if (win32::HasZeroCharacter(folder)) {
            return MakeError(ErrorCode::InvalidData, "not a folder path");
        }
        std::wstring wide = win32::ToWide(folder);
        DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
        if (size == 0) {
            return MakeError(ErrorCode::InvalidData,
                             "not a folder path: \"" + std::string(folder) + "\"", GetLastError());
        }
        std::wstring full(size, L'\0');
        size = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
        full.resize(size);
        std::string path = win32::FromWide(full);
        if (path.empty() || path.back() != '\\') path += '\\';
        if (!fileSystem_.DirectoryExists(path)) {
            return MakeError(ErrorCode::NotFound, "data folder " + path);
        }
        return path;
    }

private:
    Win32Registry registry_;
    Win32FileSystem fileSystem_;
    Win32Environment environment_;
    Win32Clock clock_;
    Win32Shell shell_;
    Win32Security security_;
};

}  // namespace

Result<std::unique_ptr<NativePlatform>> CreateNativePlatform(const NativePlatformOptions& options) {
    if (!options.drives.empty()) {
        return MakeError(ErrorCode::Unsupported,
                         "--drive maps folders on Linux only; Windows has its own drives");
    }
    return std::unique_ptr<NativePlatform>(std::make_unique<Win32NativePlatform>());
}

void PrepareConsoleForUtf8() {
    SetConsoleOutputCP(CP_UTF8);
    // Output that goes to a file, a pipe or NUL is written in blocks. The C runtime takes NUL
    // for a terminal and writes to it one character at a time, which under Wine costs a
    // round trip each (a restore's 6 000 lines took 20 s).
    DWORD mode = 0;
    if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) == 0) {
        std::setvbuf(stdout, nullptr, _IOFBF, 64 * 1024);
    }
}

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool StandardInputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

}  // namespace kestrover
