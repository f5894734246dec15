// The fixture of the in-process GUI tests: the main window on Wine's real registry, driven
// with the messages a user's clicks and keys send, its controls read back. The planted broken
// entries live below HKCU\Software\KestroverGuiTest and as one Run value; the fixture removes
// them, and its data folder, when a test ends.
#pragma once

#include <gtest/gtest.h>

#include "gui/Controls.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "gui/ControlIds.h"
#include "gui/MainWindow.h"
#include "platform/NativePlatform.h"
#include "support/ScriptedPrompts.h"

namespace kestrover::gui {

inline namespace gui_fixture {

constexpr wchar_t kScratchKey[] = L"Software\\KestroverGuiTest";
constexpr wchar_t kToolKey[] = L"Software\\KestroverGuiTest\\Settings";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"KestroverGuiTest";
constexpr wchar_t kToolData[] = L"C:\\kestrover-gui-test\\tool.exe";
constexpr wchar_t kRunData[] = L"C:\\kestrover-gui-test\\missing.exe /tray";

// The text of a REG_SZ value under HKEY_CURRENT_USER, or nothing when it is missing.
inline std::optional<std::wstring> ReadString(const wchar_t* key, const wchar_t* value) {
    wchar_t data[512]{};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(data);
}

inline void WriteString(const wchar_t* key, const wchar_t* value, const wchar_t* data) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, value, REG_SZ, data,
                              static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

inline void RemovePlants() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue);
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class GuiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
    }

    void SetUp() override {
        wchar_t temp[MAX_PATH]{};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::filesystem::path(temp) /
                  (L"KestroverGuiTest-" + std::to_wstring(GetCurrentProcessId()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        RemovePlants();
        WriteString(kToolKey, L"Tool", kToolData);
        WriteString(kRunKey, kRunValue, kRunData);

        auto created = CreateNativePlatform({});
        ASSERT_TRUE(created.ok());
        platform_ = std::move(created).value();
    }

    void TearDown() override {
        Close();
        RemovePlants();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    void Open() {
        window_ = std::make_unique<MainWindow>(platform_->Ports(), &prompts_, QuitOnClose::No);
        ShellStartOptions options;
        options.dataFolder = Narrow(folder_.wstring()) + "\\";
        ASSERT_TRUE(window_->Create(options, SW_SHOWNORMAL));
        Pump();
    }

    void Close() {
        if (window_ && window_->Handle() != nullptr) SendMessageW(window_->Handle(), WM_CLOSE, 0, 0);
        Pump();
        window_.reset();
    }

    // Lets the window process what is queued, for a moment.
    void Pump(int milliseconds = 60) {
        const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
        MSG message{};
        do {
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (window_ && window_->Handle() != nullptr) {
                    window_->DispatchOne(message);
                } else {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                }
            }
            Sleep(5);
        } while (GetTickCount64() < end);
    }

    // A file in the data folder, written before the window opens.
    void WriteDataFile(const std::wstring& name, const std::string& content) {
        const std::filesystem::path path = folder_ / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

    HWND Control(int id) const { return GetDlgItem(window_->Handle(), id); }
    std::string Text(int id) const { return GetText(Control(id)); }
    bool Visible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    bool Checked(int id) const { return IsChecked(Control(id)); }

    void Click(int id) {
        SendMessageW(Control(id), BM_CLICK, 0, 0);
        Pump();
    }
    void MenuCommand(int id) {
        SendMessageW(window_->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        Pump();
    }
    void Type(int id, const std::wstring& text) {
        SetWindowTextW(Control(id), text.c_str());
        Pump();
    }
    void PressKey(int id, WPARAM key) {
        SetFocus(Control(id));
        PostMessageW(Control(id), WM_KEYDOWN, key, 1);
        PostMessageW(Control(id), WM_KEYUP, key, 0xC0000001);
        Pump();
    }
    LRESULT ListCount(int id, UINT message) const { return SendMessageW(Control(id), message, 0, 0); }

    // Scans the current user's root alone and narrows the list to the planted entries.
    void ScanPlants() {
        Click(idBtRegistry);
        for (int box : {idCkClassesRoot, idCkLocalMachine, idCkUsers}) {
            if (Checked(box)) Click(box);
        }
        Click(idBtGo);
        Type(idFilterEdit, L"KestroverGuiTest");
    }

    std::filesystem::path folder_;
    std::unique_ptr<NativePlatform> platform_;
    kestrover::testing::ScriptedPrompts prompts_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace gui_fixture
}  // namespace kestrover::gui
