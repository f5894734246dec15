// Opening the registry editor on a key: close a running editor and wait for it, write
// "LastKey", start the editor. Showing a file in Explorer.
#include "platform/win32/Win32Shell.h"

#include <vector>

#include "platform/win32/UniqueResource.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover {

using win32::HasZeroCharacter;
using win32::ToWide;
using win32::UniqueKey;

namespace {

constexpr wchar_t kEditorWindowClass[] = L"RegEdit_RegEdit";
constexpr wchar_t kEditorSettingsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
constexpr DWORD kCloseWaitMilliseconds = 3000;
constexpr DWORD kStartWaitMilliseconds = 200;
constexpr int kMostEditorsClosed = 8;

// OpenProcess reports failure with a null handle.
struct ProcessTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type handle) noexcept { ::CloseHandle(handle); }
};
using UniqueProcess = win32::UniqueResource<ProcessTraits>;

// A running editor writes the key it shows as "LastKey" when it closes. It is asked to close
// and waited for, so that its write cannot land after ours and open the editor elsewhere.
void CloseRunningEditors() {
    for (int closed = 0; closed < kMostEditorsClosed; ++closed) {
        HWND window = ::FindWindowW(kEditorWindowClass, nullptr);
        if (!window) return;
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        UniqueProcess process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        if (!process ||
            ::WaitForSingleObject(process.get(), kCloseWaitMilliseconds) != WAIT_OBJECT_0) {
            return;  // an editor that does not close is left; ours still opens
        }
    }
}

// The Windows folder with a final backslash.
std::wstring WindowsFolder() {
    std::vector<wchar_t> folder(MAX_PATH + 1);
    UINT length = ::GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length >= folder.size()) {
        folder.resize(length + 1);
        length = ::GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    }
    std::wstring path(folder.data(), length);
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

std::wstring DefaultEditorCommand() { return L"\"" + WindowsFolder() + L"regedit.exe\""; }

}  // namespace

Status Win32Shell::OpenRegistryEditor(std::string_view target) {
    if (HasZeroCharacter(target)) {
        return MakeError(ErrorCode::InvalidData, "registry editor target holds a zero character");
    }
    CloseRunningEditors();

    UniqueKey settings;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, kEditorSettingsKey, 0, nullptr,
                                       REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | KEY_WOW64_64KEY,
                                       nullptr, settings.put(), nullptr);
    if (status != ERROR_SUCCESS) {
        return win32::MakeWin32Error(static_cast<DWORD>(status),
                                     "open the registry editor's settings");
    }
    const std::wstring wide = ToWide(target);
    status = ::RegSetValueExW(settings.get(), L"LastKey", 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(wide.c_str()),
                              static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) {
        return win32::MakeWin32Error(static_cast<DWORD>(status),
                                     "write the registry editor's LastKey");
    }

    std::wstring command = editorCommand_.empty() ? DefaultEditorCommand() : editorCommand_;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return win32::LastWin32Error("start the registry editor");
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    // The editor reads "LastKey" as it starts; a moment lets it do so before anything else can
    // change it.
    ::Sleep(kStartWaitMilliseconds);
    return {};
}

std::wstring ExplorerSelectCommandLine(std::wstring_view explorer, std::wstring_view path) {
    std::wstring command = L"\"";
    command.append(explorer);
    command.append(L"\" /select,\"");
    command.append(path);
    command.append(L"\"");
    return command;
}

Status Win32Shell::ExplorerSelect(std::string_view path) {
    // A quote would end the path early and pass the rest to Explorer as more arguments.
    if (HasZeroCharacter(path) || path.find('"') != std::string_view::npos) {
        return MakeError(ErrorCode::InvalidData, "the path cannot be passed to Explorer");
    }
    // Explorer from the Windows folder, not whichever "explorer.exe" the search path finds.
    std::wstring command =
        ExplorerSelectCommandLine(WindowsFolder() + L"explorer.exe", ToWide(path));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return win32::LastWin32Error("start Explorer");
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return {};
}

}  // namespace kestrover
