// TForm1, the main window "Kestrover": the five page buttons on the left bar, the page title,
// the pages, the status, total and count labels, the progress bar and the Stop button. It
// renders the app layer's models and turns clicks and keys into their commands.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gui/BackupsPageView.h"
#include "gui/Captions.h"
#include "gui/FavoritesView.h"
#include "gui/GuiResources.h"
#include "gui/LanguageFile.h"
#include "gui/LanguageMenu.h"
#include "gui/MainWindowModel.h"
#include "gui/RegistryPageView.h"
#include "gui/SearchPageView.h"
#include "gui/ViewHost.h"
#include "gui/Win32Prompts.h"
#include "gui/Window.h"

namespace kestrover::gui {

// The panel the window shows; the registry page has three, the cleaner, the backups and the
// search.
enum class Panel { About, Privacy, Applications, Tools, RegistryCleaner, Backups, Search };

enum class QuitOnClose { No, Yes };

class MainWindow final : public Window, private ViewHost {
public:
    // dialogs answers the commands' questions; null: the user's message boxes and dialogs.
    MainWindow(const Platform& platform, Prompts* dialogs = nullptr,
               QuitOnClose quit = QuitOnClose::Yes);
    ~MainWindow() override;

    // FormCreate, the window where "lang.ini" placed it, then FormShow. False when the window
    // could not be created.
    bool Create(const ShellStartOptions& options, int showCommand);

    // One message of the thread's loop: the key map first, then the keyboard navigation
    // between controls, then the usual dispatch.
    void DispatchOne(MSG& message);
    // Processes the pending messages while a long command runs (at most every few tens of
    // milliseconds, so that the command is not slowed down).
    void PumpMessages();

    MainWindowModel& Model() override { return model_; }
    const CaptionTable& Captions() const override { return captions_; }
    Panel ShownPanel() const { return panel_; }
    RegistryPageView& RegistryPage() { return registryPage_; }

    // The compact layout of the process list and the monitor: the pages lie over the left bar,
    // whose page buttons go, and the window is 550 pixels wide (at 96 DPI). It stays for the
    // rest of the run; the views that need it call it once they are shown.
    void EnterCompactLayout();
    bool CompactLayout() const { return compact_; }
    // The view a command-line switch asks for ("/p", "/m", ...), opened once the window is
    // shown; the screenshot tour opens it too.
    void OpenStartView(const StartRequest& request);
    BackupsPageView& BackupsPage() { return backupsPage_; }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // ViewHost
    HWND Frame() const override { return Handle(); }
    const GuiResources& Resources() const override { return resources_; }
    void RenderAll() override;
    void RunLong(const std::function<void()>& command) override;

    bool OnCreate();
    void CreateControls();
    void ApplyFonts();
    void Layout();
    void LayoutStrip();
    void Paint();
    void ShowPanels();
    void Navigate(Panel panel);
    void OpenBackups();
    // btRechClick: the search page, from the registry page's search button.
    void OpenSearch();
    bool HandleShortcut(const MSG& message);
    void DrawPageButton(const DRAWITEMSTRUCT& item);
    LRESULT ColourStatic(HDC dc, HWND control);
    void OnDpiChanged(int dotsPerInch, const RECT& suggested);
    void FormClose();
    // ApplyLanguage: the file's captions and messages, shown at once.
    void ApplyLanguageFile(const std::string& path);
    void ApplyCaptions();
    // MnuLangPopup and MnuChangeLang: the language menu under the language button.
    void ShowLanguageMenu();
    std::string AboutText() const;
    std::string ToolsText() const;
    // After a page change the page's first control takes the keyboard.
    void FocusFirstControlOfPage();
    void MnuChangeLang(const std::string& caption);

    Win32Prompts ownPrompts_;
    MainWindowModel model_;
    CaptionTable captions_;
    GuiResources resources_;
    RegistryPageView registryPage_;
    BackupsPageView backupsPage_;
    SearchPageView searchPage_;
    FavoritesView favoritesView_;
    QuitOnClose quit_;
    Panel panel_ = Panel::About;

    std::array<HWND, 5> pageButtons_{};
    HWND pageTitle_ = nullptr;
    HWND countLabel_ = nullptr;
    HWND status_ = nullptr;
    HWND total_ = nullptr;
    HWND progress_ = nullptr;
    HWND stop_ = nullptr;
    HWND privacyText_ = nullptr;
    HWND applicationsText_ = nullptr;
    HWND toolsText_ = nullptr;
    HWND aboutText_ = nullptr;
    HWND language_ = nullptr;  // btconf

    RECT strip_{};  // the status strip under the pages

    UniqueGdiObject contentBrush_;
    UniqueGdiObject stripBrush_;
    UniqueGdiObject barBrush_;

    // What the last render showed, so that an unchanged control is left alone.
    std::uint32_t shownStatusColour_ = 0;
    Page shownPage_ = Page::About;
    Panel shownButtonsPanel_ = Panel::About;
    bool shownBusy_ = false;
    std::int64_t shownProgressMaximum_ = -1;
    std::int64_t shownProgressPosition_ = -1;

    std::vector<LanguageChoice> languageChoices_;  // the language menu's items, in order

    bool compact_ = false;
    StartView startView_ = StartView::None;
    HWND lastFocus_ = nullptr;  // the control that had the keyboard when the window went inactive

    int longCommands_ = 0;
    bool closePending_ = false;
    std::uint64_t lastPump_ = 0;
};

}  // namespace kestrover::gui
