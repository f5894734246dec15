// The Windows build's ports: the real registry, disks and environment.
#include "platform/NativePlatform.h"
#include "platform/win32/Win32Environment.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover {

namespace {

class Win32NativePlatform final : public NativePlatform {
public:
    Platform Ports() override { return Platform{registry_, fileSystem_, environment_}; }

private:
    Win32Registry registry_;
    Win32FileSystem fileSystem_;
    Win32Environment environment_;
};

}  // namespace

Result<std::unique_ptr<NativePlatform>> CreateNativePlatform(const NativePlatformOptions& options) {
    if (!options.drives.empty()) {
        return MakeError(ErrorCode::Unsupported,
                         "--drive maps folders on Linux only; Windows has its own drives");
    }
    return std::unique_ptr<NativePlatform>(std::make_unique<Win32NativePlatform>());
}

void PrepareConsoleForUtf8() { SetConsoleOutputCP(CP_UTF8); }

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace kestrover
