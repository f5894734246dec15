// The main window.
#include "gui/MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "app/KeyCommands.h"
#include "app/WindowSettings.h"
#include "gui/ControlIds.h"
#include "gui/KeyboardNavigation.h"
#include "gui/MenuPainter.h"
#include "core/Text.h"
#include "gui/ProgramVersion.h"

namespace kestrover::gui {

namespace {

constexpr COLORREF kContentColour = RGB(255, 255, 255);
constexpr COLORREF kStripColour = RGB(240, 240, 240);
constexpr COLORREF kBarColour = RGB(33, 46, 66);
constexpr COLORREF kBarTextColour = RGB(226, 232, 240);
constexpr COLORREF kSelectedButtonColour = RGB(52, 101, 164);
constexpr COLORREF kTitleColour = RGB(33, 46, 66);
constexpr COLORREF kSeparatorColour = RGB(214, 214, 214);

// The left bar is this wide at 96 DPI; the compact layout of the process and monitor views
// lays its lists over it.
constexpr int kBarWidth = 165;
constexpr int kStripHeight = 34;
constexpr int kMinimumWidth = 716;
constexpr int kMinimumHeight = 460;
// The window's width in the compact layout.
constexpr int kCompactWidth = 550;
// Messages are looked at no more often than this while a command runs.
constexpr std::uint64_t kPumpIntervalMilliseconds = 30;

struct PageButton {
    int id;
    CaptionId caption;
    Page page;
    Panel panel;
};

constexpr std::array<PageButton, 5> kPageButtons{{
    {idBtRegistry, CaptionId::btRegistry, Page::Registry, Panel::RegistryCleaner},
    {idBtPrivacy, CaptionId::btPrivacy, Page::Privacy, Panel::Privacy},
    {idBtApps, CaptionId::btApps, Page::Applications, Panel::Applications},
    {idBtTools, CaptionId::btTools, Page::Tools, Panel::Tools},
    {idBtAbout, CaptionId::btAbout, Page::About, Panel::About},
}};

Page PageOf(Panel panel) {
    switch (panel) {
        case Panel::RegistryCleaner:
        case Panel::Backups:
        case Panel::Search: return Page::Registry;
        case Panel::Privacy: return Page::Privacy;
        case Panel::Applications: return Page::Applications;
        case Panel::Tools: return Page::Tools;
        case Panel::About: return Page::About;
    }
    return Page::About;
}

HICON ProgramIcon(int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                         IMAGE_ICON, size, size, LR_DEFAULTCOLOR | LR_SHARED));
}

bool IsEditControl(HWND control) {
    wchar_t name[16]{};
    GetClassNameW(control, name, 16);
    return _wcsicmp(name, L"Edit") == 0;
}

}  // namespace

MainWindow::MainWindow(const Platform& platform, Prompts* dialogs, QuitOnClose quit)
    : model_(platform, dialogs != nullptr ? *dialogs : ownPrompts_, [this] { PumpMessages(); }),
      registryPage_(*this),
      backupsPage_(*this),
      searchPage_(*this, registryPage_),
      favoritesView_(*this),
      quit_(quit) {}

MainWindow::~MainWindow() { MenuPainter::SetResources(nullptr); }

bool MainWindow::Create(const ShellStartOptions& options, int showCommand) {
    model_.FormCreate(options);
    if (const std::optional<std::string>& language = model_.shell.LanguageFileToApply()) {
        ApplyLanguageFile(*language);
    }

    WindowPlacement placement = model_.shell.Settings().placement;
    RECT wanted{placement.left, placement.top, placement.left + placement.width,
                placement.top + placement.height};
    if (MonitorFromRect(&wanted, MONITOR_DEFAULTTONULL) == nullptr) {
        // A place on a screen that is no longer attached: centred on the primary one.
        const ScreenSize screen = model_.platform.environment.PrimaryScreenSize();
        placement = DefaultWindowSettings(screen).placement;
    }
    contentBrush_.reset(CreateSolidBrush(kContentColour));
    stripBrush_.reset(CreateSolidBrush(kStripColour));
    barBrush_.reset(CreateSolidBrush(kBarColour));
    if (!CreateWindowOf(L"KestroverMainWindow", ProgramIcon(32), 0,
                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, L"Kestrover", placement.left,
                        placement.top, placement.width, placement.height, nullptr)) {
        return false;
    }
    ownPrompts_.SetOwner(Handle());
    // Sizes in "lang.ini" are pixels; on a screen of more dots per inch the window grows to
    // the size its controls need there.
    const int minimumWidth = resources_.dpi(kMinimumWidth);
    const int minimumHeight = resources_.dpi(kMinimumHeight);
    if (placement.width < minimumWidth || placement.height < minimumHeight) {
        SetWindowPos(Handle(), nullptr, 0, 0, std::max(placement.width, minimumWidth),
                     std::max(placement.height, minimumHeight),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(ProgramIcon(GetSystemMetrics(SM_CXSMICON))));

    // FormShow: the information page; a command-line request then opens its view.
    const StartRequest request = model_.shell.FormShow(
        model_.window, WithoutMnemonic(captions_.Text(CaptionId::btAbout)));
    panel_ = Panel::About;
    ShowPanels();
    RenderAll();
    ShowWindow(Handle(), showCommand);
    UpdateWindow(Handle());
    if (request.view != StartView::None) OpenStartView(request);
    return true;
}

void MainWindow::OpenStartView(const StartRequest& request) {
    // The process list and the monitor belong to the tools page. Until they are built, the
    // page says so in the compact layout they will have; the view's flag is set as theirs
    // will be, so that closing the window leaves the next start centred.
    model_.window.ResetView();
    model_.results.ResetView();
    registryPage_.RefillList();
    model_.window.page = Page::Tools;
    startView_ = request.view;
    if (request.view == StartView::ProcessList) {
        model_.window.view = ActiveView::Processes;
        model_.window.pageTitle = WithoutMnemonic(captions_.Text(CaptionId::btTasks));
    } else {
        model_.window.view = ActiveView::Monitor;
        model_.window.monitorView = true;
        model_.window.pageTitle = WithoutMnemonic(captions_.Text(CaptionId::mnFileProc));
    }
    SetText(toolsText_, ToolsText());
    panel_ = Panel::Tools;
    ShowPanels();
    EnterCompactLayout();
    RenderAll();
}

std::string MainWindow::ToolsText() const {
    switch (startView_) {
        case StartView::ProcessList: return captions_.Text(CaptionId::txtProcessList);
        case StartView::Monitor: return captions_.Text(CaptionId::txtMonitor);
        case StartView::None: break;
    }
    return captions_.Text(CaptionId::toolsPlaceholder);
}

void MainWindow::EnterCompactLayout() {
    if (compact_ || Handle() == nullptr) return;
    compact_ = true;
    // The pages cover the left bar: its buttons go, so that no page change leaves the view.
    for (HWND button : pageButtons_) SetVisible(button, false);
    RECT frame{};
    GetWindowRect(Handle(), &frame);
    SetWindowPos(Handle(), nullptr, 0, 0, resources_.dpi(kCompactWidth), frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    InvalidateRect(Handle(), nullptr, TRUE);
}

bool MainWindow::OnCreate() {
    resources_.Create(static_cast<int>(GetDpiForWindow(Handle())));
    // Every popup menu of the window is drawn by the painter, with the window's fonts and
    // glyphs (which stay at this address when the DPI changes).
    MenuPainter::SetResources(&resources_);
    CreateControls();
    Layout();
    return true;
}

void MainWindow::CreateControls() {
    HWND frame = Handle();
    for (std::size_t index = 0; index < kPageButtons.size(); ++index) {
        pageButtons_[index] =
            CreateControl(frame, WC_BUTTONW, kPageButtons[index].id,
                          WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW);
        SetText(pageButtons_[index], captions_.Text(kPageButtons[index].caption));
    }
    pageTitle_ = CreateControl(frame, WC_STATICW, idPageTitle,
                               WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX);
    countLabel_ = CreateControl(frame, WC_STATICW, idCountLabel,
                                WS_VISIBLE | SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX);

    registryPage_.Create(frame);
    backupsPage_.Create(frame);
    searchPage_.Create(frame);
    favoritesView_.Create();

    auto text = [&](int id, std::string_view caption) {
        HWND control = CreateControl(frame, WC_STATICW, id, SS_LEFT | SS_NOPREFIX);
        SetText(control, caption);
        return control;
    };
    privacyText_ = text(idPrivacyText, captions_.Text(CaptionId::privacyPlaceholder));
    applicationsText_ =
        text(idApplicationsText, captions_.Text(CaptionId::applicationsPlaceholder));
    toolsText_ = text(idToolsText, captions_.Text(CaptionId::toolsPlaceholder));
    aboutText_ = text(idAboutText, AboutText());

    // The status line is cut at its edge rather than shortened with an ellipsis, which some
    // systems place wrongly in a line that fits.
    language_ = CreateControl(frame, WC_BUTTONW, idBtLanguage, WS_TABSTOP | BS_PUSHBUTTON);
    SetText(language_, captions_.Text(CaptionId::btLanguage));

    status_ = CreateControl(frame, WC_STATICW, idStatusLabel,
                            WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX);
    total_ = CreateControl(frame, WC_STATICW, idTotalLabel,
                           WS_VISIBLE | SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX);
    progress_ = CreateControl(frame, PROGRESS_CLASSW, idProgress, PBS_SMOOTH);
    stop_ = CreateControl(frame, WC_BUTTONW, idBtStop, WS_TABSTOP | BS_PUSHBUTTON);
    SetText(stop_, captions_.Text(CaptionId::btStop));
    ApplyFonts();
    // The arrow keys move within these groups; Tab goes through the controls in the order they
    // were created, which is their order on the page.
    StartGroups({pageButtons_[0], GetDlgItem(frame, idBtGo), GetDlgItem(frame, idCkClassesRoot),
                 GetDlgItem(frame, idBtBackup), GetDlgItem(frame, idBtSelect),
                 GetDlgItem(frame, idFilterEdit), GetDlgItem(frame, idResultList),
                 GetDlgItem(frame, idBtRestore), GetDlgItem(frame, idBackupList),
                 GetDlgItem(frame, idBackupTree), language_, stop_});
}

void MainWindow::ApplyFonts() {
    for (HWND button : pageButtons_) SetFont(button, resources_.Bold());
    SetFont(pageTitle_, resources_.Title());
    for (HWND control : {countLabel_, status_, total_, stop_, privacyText_, applicationsText_,
                         toolsText_, aboutText_, language_}) {
        SetFont(control, resources_.Normal());
    }
    registryPage_.ApplyFonts();
    backupsPage_.ApplyFonts();
    searchPage_.ApplyFonts();
}

void MainWindow::Layout() {
    if (Handle() == nullptr || pageTitle_ == nullptr) return;
    const Dpi dpi = resources_.dpi;
    RECT client{};
    GetClientRect(Handle(), &client);
    const int width = client.right;
    const int height = client.bottom;
    const int barWidth = compact_ ? 0 : dpi(kBarWidth);
    const int stripHeight = dpi(kStripHeight);
    const int margin = dpi(14);
    const int contentLeft = barWidth + margin;
    const int contentRight = std::max(contentLeft + dpi(100), width - margin);
    const int contentWidth = contentRight - contentLeft;

    for (std::size_t index = 0; index < pageButtons_.size(); ++index) {
        MoveControl(pageButtons_[index], dpi(6), dpi(70) + static_cast<int>(index) * dpi(46),
                    barWidth - dpi(12), dpi(40));
    }
    MoveControl(pageTitle_, contentLeft, dpi(8), contentWidth - dpi(160), dpi(32));
    MoveControl(countLabel_, contentRight - dpi(156), dpi(12), dpi(156), dpi(24));

    const RECT page{contentLeft, dpi(48), contentRight, height - stripHeight - dpi(10)};
    registryPage_.Layout(page);
    backupsPage_.Layout(page);
    searchPage_.Layout(page);
    for (HWND text : {privacyText_, applicationsText_, toolsText_, aboutText_}) {
        MoveControl(text, page.left, page.top + dpi(4), contentWidth,
                    std::max(0, static_cast<int>(page.bottom - page.top) - dpi(40)));
    }
    MoveControl(language_, page.left, page.bottom - dpi(28), dpi(120), dpi(28));

    strip_ = RECT{contentLeft, height - stripHeight, contentRight, height};
    LayoutStrip();
    InvalidateRect(Handle(), nullptr, FALSE);
}

void MainWindow::LayoutStrip() {
    // From the right: the Stop button and the progress bar when they show, the total as wide
    // as its text; the status line takes the rest.
    const Dpi dpi = resources_.dpi;
    const int top = strip_.top;
    const int height = strip_.bottom - strip_.top;
    const int gap = dpi(8);
    int right = strip_.right;
    if ((GetWindowLongPtrW(stop_, GWL_STYLE) & WS_VISIBLE) != 0) {
        const int width = dpi(72);
        MoveControl(stop_, right - width, top + dpi(5), width, height - dpi(10));
        right -= width + gap;
    }
    if ((GetWindowLongPtrW(progress_, GWL_STYLE) & WS_VISIBLE) != 0) {
        const int width = dpi(150);
        MoveControl(progress_, right - width, top + dpi(10), width, height - dpi(20));
        right -= width + gap;
    }
    const std::wstring total = Wide(model_.window.total);
    int totalWidth = 0;
    if (!total.empty()) {
        HDC dc = GetDC(total_);
        HGDIOBJ old = SelectObject(dc, resources_.Normal());
        totalWidth = MeasureText(dc, total).cx + dpi(12);
        SelectObject(dc, old);
        ReleaseDC(total_, dc);
    }
    MoveControl(total_, right - totalWidth, top + dpi(4), totalWidth, height - dpi(8));
    right -= totalWidth + (totalWidth > 0 ? gap : 0);
    MoveControl(status_, strip_.left, top + dpi(4), std::max(0, right - static_cast<int>(strip_.left)),
                height - dpi(8));
}

void MainWindow::Paint() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(Handle(), &paint);
    const Dpi dpi = resources_.dpi;
    RECT client{};
    GetClientRect(Handle(), &client);
    const int barWidth = compact_ ? 0 : dpi(kBarWidth);
    const int stripTop = client.bottom - dpi(kStripHeight);

    RECT bar{0, 0, barWidth, client.bottom};
    FillRect(dc, &bar, static_cast<HBRUSH>(barBrush_.get()));
    RECT content{barWidth, 0, client.right, stripTop};
    FillRect(dc, &content, static_cast<HBRUSH>(contentBrush_.get()));
    RECT strip{barWidth, stripTop, client.right, client.bottom};
    FillRect(dc, &strip, static_cast<HBRUSH>(stripBrush_.get()));
    UniqueGdiObject separator(CreateSolidBrush(kSeparatorColour));
    RECT line{barWidth, stripTop, client.right, stripTop + 1};
    FillRect(dc, &line, static_cast<HBRUSH>(separator.get()));

    if (compact_) {
        EndPaint(Handle(), &paint);
        return;
    }
    HGDIOBJ oldFont = SelectObject(dc, resources_.Logo());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT logo{dpi(16), dpi(16), barWidth - dpi(8), dpi(48)};
    DrawTextW(dc, L"Kestrover", -1, &logo, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, resources_.Normal());
    SetTextColor(dc, RGB(150, 165, 185));
    RECT version{dpi(16), client.bottom - dpi(28), barWidth - dpi(8), client.bottom - dpi(8)};
    DrawTextW(dc, L"version " KESTROVER_VERSION_TEXT, -1, &version,
              DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    EndPaint(Handle(), &paint);
}

void MainWindow::DrawPageButton(const DRAWITEMSTRUCT& item) {
    const auto found = std::find_if(kPageButtons.begin(), kPageButtons.end(),
                                    [&](const PageButton& button) {
                                        return button.id == static_cast<int>(item.CtlID);
                                    });
    if (found == kPageButtons.end()) return;
    const bool selected = found->page == model_.window.page;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    RECT rect = item.rcItem;
    COLORREF background = selected ? kSelectedButtonColour : kBarColour;
    if (pressed && !selected) background = RGB(45, 62, 88);
    UniqueGdiObject brush(CreateSolidBrush(background));
    FillRect(item.hDC, &rect, static_cast<HBRUSH>(brush.get()));
    if (selected) {
        // A marker on the left edge, as the selected page's sign beside the colour.
        RECT marker{rect.left, rect.top, rect.left + resources_.dpi(4), rect.bottom};
        UniqueGdiObject white(CreateSolidBrush(RGB(255, 255, 255)));
        FillRect(item.hDC, &marker, static_cast<HBRUSH>(white.get()));
    }
    SetBkMode(item.hDC, TRANSPARENT);
    COLORREF text = selected ? RGB(255, 255, 255) : kBarTextColour;
    if (disabled) text = RGB(110, 125, 145);
    SetTextColor(item.hDC, text);
    HGDIOBJ oldFont = SelectObject(item.hDC, resources_.Bold());
    RECT textRect = rect;
    textRect.left += resources_.dpi(13);
    textRect.right -= resources_.dpi(4);
    const std::wstring caption = Wide(captions_.Text(found->caption));
    // A caption's "&" marks its mnemonic (Alt and the letter press the button), underlined
    // once the keyboard is in use.
    const UINT prefix = (item.itemState & ODS_NOACCEL) != 0 ? DT_HIDEPREFIX : 0;
    // A caption too long for one line ("Applications and startup") wraps onto a second one,
    // centred as a whole; only one that does not fit in two is cut with an ellipsis.
    RECT oneLine = textRect;
    DrawTextW(item.hDC, caption.c_str(), -1, &oneLine, DT_LEFT | DT_SINGLELINE | DT_CALCRECT | prefix);
    RECT wrapped = textRect;
    DrawTextW(item.hDC, caption.c_str(), -1, &wrapped, DT_LEFT | DT_WORDBREAK | DT_CALCRECT | prefix);
    const int available = textRect.bottom - textRect.top;
    const int wrappedHeight = wrapped.bottom - wrapped.top;
    if (oneLine.right > textRect.right && wrappedHeight <= available &&
        wrapped.right <= textRect.right) {
        textRect.top += (available - wrappedHeight) / 2;
        DrawTextW(item.hDC, caption.c_str(), -1, &textRect, DT_LEFT | DT_WORDBREAK | prefix);
    } else {
        DrawTextW(item.hDC, caption.c_str(), -1, &textRect,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | prefix);
    }
    SelectObject(item.hDC, oldFont);
    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        RECT focus = rect;
        InflateRect(&focus, -resources_.dpi(3), -resources_.dpi(3));
        DrawFocusRect(item.hDC, &focus);
    }
}

LRESULT MainWindow::ColourStatic(HDC dc, HWND control) {
    SetBkMode(dc, TRANSPARENT);
    if (control == status_ || control == total_) {
        SetTextColor(dc, control == status_ ? model_.window.status.colour : RGB(64, 64, 64));
        SetBkColor(dc, kStripColour);
        return reinterpret_cast<LRESULT>(stripBrush_.get());
    }
    SetTextColor(dc, control == pageTitle_ ? kTitleColour : RGB(0, 0, 0));
    SetBkColor(dc, kContentColour);
    return reinterpret_cast<LRESULT>(contentBrush_.get());
}

void MainWindow::ShowPanels() {
    registryPage_.Show(panel_ == Panel::RegistryCleaner);
    backupsPage_.Show(panel_ == Panel::Backups);
    searchPage_.Show(panel_ == Panel::Search);
    registryPage_.PlaceListBelow(panel_ == Panel::Search
                                     ? std::optional<int>(SearchPageView::kListTop)
                                     : std::nullopt);
    SetVisible(privacyText_, panel_ == Panel::Privacy);
    SetVisible(applicationsText_, panel_ == Panel::Applications);
    SetVisible(toolsText_, panel_ == Panel::Tools);
    SetVisible(aboutText_, panel_ == Panel::About);
    SetVisible(language_, panel_ == Panel::About);
}

void MainWindow::RenderAll() {
    if (Handle() == nullptr || pageTitle_ == nullptr) return;
    const MainWindowState& window = model_.window;
    const bool loading = model_.backups && model_.backups->Loading();
    const bool busy = window.busy || loading;

    if (busy != shownBusy_ || window.page != shownPage_ || panel_ != shownButtonsPanel_) {
        for (HWND button : pageButtons_) {
            SetEnabled(button, !busy);
            InvalidateRect(button, nullptr, FALSE);
        }
        shownBusy_ = busy;
        shownPage_ = window.page;
        shownButtonsPanel_ = panel_;
    }
    SetText(pageTitle_, window.pageTitle);
    SetText(countLabel_, panel_ == Panel::Backups ? window.title : window.root);
    SetText(status_, window.status.text);
    if (window.status.colour != shownStatusColour_) {
        shownStatusColour_ = window.status.colour;
        InvalidateRect(status_, nullptr, TRUE);
    }
    SetText(total_, window.total);

    bool progressVisible = window.progressVisible;
    std::int64_t position = window.progressPosition;
    std::int64_t maximum = window.progressMaximum;
    if (panel_ == Panel::Backups && model_.backups) {
        progressVisible = model_.backups->ProgressVisible();
        position = static_cast<std::int64_t>(model_.backups->ProgressPosition());
        maximum = static_cast<std::int64_t>(model_.backups->ProgressMaximum());
    }
    // The bar counts in ints; long counts are scaled down to fit.
    int divisor = 1;
    while (maximum / divisor > 0x7FFFFFFF) divisor *= 2;
    if (maximum != shownProgressMaximum_) {
        shownProgressMaximum_ = maximum;
        SendMessageW(progress_, PBM_SETRANGE32, 0,
                     static_cast<LPARAM>(std::max<std::int64_t>(1, maximum / divisor)));
    }
    if (position != shownProgressPosition_) {
        shownProgressPosition_ = position;
        SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(position / divisor), 0);
    }
    SetVisible(progress_, progressVisible);
    SetVisible(stop_, window.stopButtonVisible &&
                          (panel_ == Panel::RegistryCleaner || panel_ == Panel::Search));
    LayoutStrip();

    registryPage_.Render();
    backupsPage_.Render();
    searchPage_.Render();
}

void MainWindow::RunLong(const std::function<void()>& command) {
    ++longCommands_;
    try {
        command();
    } catch (const std::exception& error) {
        // A command that raised would leave the window busy for good: it is freed, and the
        // reason shown in the status line.
        MainWindowState& window = model_.window;
        window.EnableAllButtons();
        window.stopButtonVisible = false;
        window.progressVisible = false;
        window.searchBoxEnabled = true;
        window.status.text = error.what();
        window.status.colour = MainWindowState::kStatusRed;
    }
    --longCommands_;
    if (longCommands_ == 0 && closePending_) PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void MainWindow::Navigate(Panel panel) {
    if (model_.window.busy || (model_.backups && model_.backups->Loading())) return;
    const auto found = std::find_if(kPageButtons.begin(), kPageButtons.end(),
                                    [&](const PageButton& button) { return button.panel == panel; });
    // The view reset every page change runs: the window's view and the result list.
    model_.window.ResetView();
    model_.results.ResetView();
    registryPage_.RefillList();
    model_.window.page = PageOf(panel);
    if (found != kPageButtons.end()) {
        model_.window.pageTitle = WithoutMnemonic(captions_.Text(found->caption));
    }
    panel_ = panel;
    ShowPanels();
    RenderAll();
    FocusFirstControlOfPage();
}

void MainWindow::OpenBackups() {
    if (model_.window.busy || (model_.backups && model_.backups->Loading())) return;
    model_.results.ResetView();
    registryPage_.RefillList();
    model_.window.page = Page::Registry;
    panel_ = Panel::Backups;
    backupsPage_.Open();
    ShowPanels();
    RenderAll();
    FocusFirstControlOfPage();
}

void MainWindow::OpenSearch() {
    if (model_.window.busy || (model_.backups && model_.backups->Loading())) return;
    searchPage_.Open();
    registryPage_.RefillList();
    panel_ = Panel::Search;
    ShowPanels();
    RenderAll();
    FocusFirstControlOfPage();
}

void MainWindow::FocusFirstControlOfPage() {
    // Tab order is the order of creation, the left bar first: the first control after it that
    // takes the keyboard is the page's first. A page without one leaves the focus on its page
    // button, unless the focus sits on a control the page change hid.
    if (HWND first = FirstTabStop(Handle(), [&](HWND control) {
            return std::find(pageButtons_.begin(), pageButtons_.end(), control) !=
                   pageButtons_.end();
        })) {
        SetFocus(first);
        return;
    }
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(Handle(), focus) && IsWindowVisible(focus)) return;
    for (std::size_t index = 0; index < kPageButtons.size(); ++index) {
        if (kPageButtons[index].page == model_.window.page && IsWindowVisible(pageButtons_[index])) {
            SetFocus(pageButtons_[index]);
            return;
        }
    }
}

bool MainWindow::HandleShortcut(const MSG& message) {
    if (message.message != WM_KEYDOWN || Handle() == nullptr) return false;
    if (message.hwnd != Handle() && !IsChild(Handle(), message.hwnd)) return false;
    Key key = Key::Other;
    switch (message.wParam) {
        case VK_DELETE: key = Key::Delete; break;
        case 'A': key = Key::A; break;
        case 'U': key = Key::U; break;
        case 'I': key = Key::I; break;
        case VK_F5: key = Key::F5; break;
        default: return false;
    }
    // In the filter box, Delete and the letters edit its text.
    if (key != Key::F5 && IsEditControl(message.hwnd)) return false;
    KeyModifiers modifiers = KeyModifiers::None;
    if (GetKeyState(VK_SHIFT) < 0) modifiers = modifiers | KeyModifiers::Shift;
    if (GetKeyState(VK_CONTROL) < 0) modifiers = modifiers | KeyModifiers::Control;
    if (GetKeyState(VK_MENU) < 0) modifiers = modifiers | KeyModifiers::Alt;
    const KeyCommand command = FormKeyDown(key, modifiers, model_.window.view);
    switch (command.kind) {
        case KeyCommandKind::None: return false;
        case KeyCommandKind::DeleteSelected: registryPage_.DeleteSelected(); return true;
        case KeyCommandKind::SelectAll: registryPage_.SelectAll(); return true;
        case KeyCommandKind::UnselectAll: registryPage_.UnselectAll(); return true;
        case KeyCommandKind::InvertSelection: registryPage_.InvertSelection(); return true;
        case KeyCommandKind::Refresh:
            // The views that refresh (applications, startup, add-ons, junk files, processes)
            // are not built yet.
            return true;
    }
    return false;
}

void MainWindow::DispatchOne(MSG& message) {
    if (HandleShortcut(message)) return;
    // Dialog navigation would send Enter to the window as IDOK; a focused button takes it.
    if (Handle() != nullptr && ClickFocusedButtonOnEnter(Handle(), message)) return;
    if (Handle() != nullptr && (message.hwnd == Handle() || IsChild(Handle(), message.hwnd)) &&
        IsDialogMessageW(Handle(), &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void MainWindow::PumpMessages() {
    const std::uint64_t now = GetTickCount64();
    if (now - lastPump_ < kPumpIntervalMilliseconds) return;
    lastPump_ = now;
    registryPage_.AppendNewRows();
    RenderAll();
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The loop that runs the program must see it too.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        DispatchOne(message);
    }
}

void MainWindow::OnDpiChanged(int dotsPerInch, const RECT& suggested) {
    GuiResources fresh;
    fresh.Create(dotsPerInch);
    std::swap(resources_, fresh);
    ApplyFonts();
    SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    registryPage_.RefillList();
}

void MainWindow::FormClose() {
    // The place of the window as it is when not minimised or maximised, in screen
    // coordinates (the placement is given relative to the work area).
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(Handle(), &placement)) {
        RECT normal = placement.rcNormalPosition;
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (GetMonitorInfoW(MonitorFromRect(&normal, MONITOR_DEFAULTTONEAREST), &monitor)) {
            OffsetRect(&normal, monitor.rcWork.left - monitor.rcMonitor.left,
                       monitor.rcWork.top - monitor.rcMonitor.top);
        }
        model_.shell.Settings().placement =
            WindowPlacement{normal.left, normal.top, normal.right - normal.left,
                            normal.bottom - normal.top};
    }
    // Failures to save are not shown: the next start falls back to its defaults.
    (void)model_.shell.FormClose(model_.window);
}

std::string MainWindow::AboutText() const {
    return "Kestrover " KESTROVER_VERSION_TEXT "\r\n\r\n" + captions_.Text(CaptionId::aboutText) +
           "\r\n\r\n" + captions_.Text(CaptionId::aboutBackupFolder) + "\r\n" +
           model_.shell.BackupFolder();
}

void MainWindow::ApplyLanguageFile(const std::string& path) {
    const Platform& platform = model_.platform;
    IniReader reader(platform.fileSystem, platform.environment.AnsiCodePage());
    if (!reader.Open(path)) return;
    CategoryTexts categories = model_.results.Texts();
    ApplyLanguage(reader, captions_, categories);
    reader.Close();
    // The messages the commands show come from the same table.
    model_.results.SetCategoryTexts(std::move(categories));
    model_.results.SetItemsText(captions_.Text(CaptionId::msgitems));
    if (model_.deletes) {
        model_.deletes->texts.confirmDelete = captions_.Text(CaptionId::dbConfirmDelete);
        model_.deletes->texts.exportDone = captions_.Text(CaptionId::dbExportDone);
        model_.deletes->texts.defaultValue = captions_.Text(CaptionId::lbDefault);
    }
    ApplyCaptions();
}

void MainWindow::ApplyCaptions() {
    if (Handle() == nullptr || pageTitle_ == nullptr) return;
    for (std::size_t index = 0; index < kPageButtons.size(); ++index) {
        SetText(pageButtons_[index], captions_.Text(kPageButtons[index].caption));
        InvalidateRect(pageButtons_[index], nullptr, FALSE);
    }
    SetText(stop_, captions_.Text(CaptionId::btStop));
    SetText(privacyText_, captions_.Text(CaptionId::privacyPlaceholder));
    SetText(applicationsText_, captions_.Text(CaptionId::applicationsPlaceholder));
    SetText(toolsText_, ToolsText());
    SetText(aboutText_, AboutText());
    SetText(language_, captions_.Text(CaptionId::btLanguage));
    // The title of the page on show follows its button.
    if (panel_ == Panel::Backups) {
        model_.window.pageTitle = WithoutMnemonic(captions_.Text(CaptionId::btBackup));
    } else if (panel_ == Panel::Search) {
        model_.window.pageTitle = WithoutMnemonic(captions_.Text(CaptionId::btFind));
    } else if (startView_ == StartView::ProcessList) {
        model_.window.pageTitle = WithoutMnemonic(captions_.Text(CaptionId::btTasks));
    } else if (startView_ == StartView::Monitor) {
        model_.window.pageTitle = WithoutMnemonic(captions_.Text(CaptionId::mnFileProc));
    } else {
        for (const PageButton& button : kPageButtons) {
            if (button.panel == panel_) {
                model_.window.pageTitle = WithoutMnemonic(captions_.Text(button.caption));
            }
        }
    }
    registryPage_.ApplyCaptions();
    backupsPage_.ApplyCaptions();
    searchPage_.ApplyCaptions();
    RenderAll();
}

void MainWindow::ShowLanguageMenu() {
    const Platform& platform = model_.platform;
    languageChoices_ = ListLanguages(platform.fileSystem, platform.environment.AnsiCodePage(),
                                     model_.shell.LanguagesFolder(), [this] { PumpMessages(); });
    if (languageChoices_.empty()) return;
    LanguageMenu menu(languageChoices_, model_.shell.Settings().currentLanguage, resources_);
    RECT button{};
    GetWindowRect(language_, &button);
    const std::optional<std::size_t> chosen = menu.Run(Handle(), POINT{button.left, button.bottom});
    if (chosen) MnuChangeLang(LanguageMenuCaption(languageChoices_[*chosen]));
}

void MainWindow::MnuChangeLang(const std::string& caption) {
    const std::optional<std::string> file = LanguageFileOfCaption(caption);
    if (!file) return;
    const std::string path = model_.shell.LanguagesFolder() + *file;
    if (!model_.platform.fileSystem.FileExists(path)) return;
    // The choice is written to "lang.ini" when the window closes.
    model_.shell.Settings().currentLanguage = *file;
    ApplyLanguageFile(path);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate() ? 0 : -1;
        case WM_SIZE: Layout(); return 0;
        case WM_ACTIVATE:
            // The control that had the keyboard gets it back when the window is active again.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(Handle(), focus)) lastFocus_ = focus;
            }
            return Window::HandleMessage(message, wParam, lParam);
        case WM_SETFOCUS:
            if (lastFocus_ != nullptr && IsChild(Handle(), lastFocus_) &&
                IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
                SetFocus(lastFocus_);
            } else {
                FocusFirstControlOfPage();
            }
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            const Dpi dpi = resources_.dpi;
            info->ptMinTrackSize.x = dpi(compact_ ? kCompactWidth : kMinimumWidth);
            info->ptMinTrackSize.y = dpi(kMinimumHeight);
            return 0;
        }
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: Paint(); return 0;
        case WM_CTLCOLORSTATIC:
            return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_CTLCOLORBTN: return reinterpret_cast<LRESULT>(contentBrush_.get());
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlType == ODT_MENU) {
                return MenuPainter::OnDrawItem(item) ? TRUE : FALSE;
            }
            if (item.CtlType == ODT_BUTTON) {
                DrawPageButton(item);
                return TRUE;
            }
            return registryPage_.OnDrawItem(item) ? TRUE : FALSE;
        }
        case WM_MEASUREITEM: {
            auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (item.CtlType == ODT_MENU) {
                return MenuPainter::OnMeasureItem(item) ? TRUE : FALSE;
            }
            return registryPage_.OnMeasureItem(item) ? TRUE : FALSE;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            for (const PageButton& button : kPageButtons) {
                if (button.id == id) {
                    Navigate(button.panel);
                    return 0;
                }
            }
            if (id == idBtStop) {
                if (panel_ == Panel::Search) {
                    searchPage_.StopSearch();
                } else {
                    registryPage_.StopScan();
                }
                return 0;
            }
            if (id == idBtFind) {
                OpenSearch();
                return 0;
            }
            if (id == idBtBackup) {
                OpenBackups();
                return 0;
            }
            if (id == idBtLanguage) {
                ShowLanguageMenu();
                return 0;
            }
            if (registryPage_.OnCommand(id, code) || backupsPage_.OnCommand(id, code) ||
                searchPage_.OnCommand(id, code) || favoritesView_.OnCommand(id, code)) {
                return 0;
            }
            return 0;
        }
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (backupsPage_.OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) {
                return result;
            }
            return DefWindowProcW(Handle(), message, wParam, lParam);
        }
        case WM_MENUCHAR:
            if ((HIWORD(wParam) & MF_SYSMENU) == 0) {
                if (const LRESULT chosen = MenuPainter::OnMenuChar(
                        static_cast<wchar_t>(LOWORD(wParam)), reinterpret_cast<HMENU>(lParam))) {
                    return chosen;
                }
            }
            return DefWindowProcW(Handle(), message, wParam, lParam);
        case WM_CONTEXTMENU: {
            const POINT screen{static_cast<short>(LOWORD(lParam)),
                               static_cast<short>(HIWORD(lParam))};
            HWND control = reinterpret_cast<HWND>(wParam);
            if (registryPage_.OnContextMenu(control, screen) ||
                backupsPage_.OnContextMenu(control, screen)) {
                return 0;
            }
            return DefWindowProcW(Handle(), message, wParam, lParam);
        }
        case WM_CLOSE:
            if (longCommands_ > 0) {
                // A command is running and processing messages: it is asked to stop, and the
                // window closes once it has returned.
                closePending_ = true;
                model_.window.stopRequested = true;
                if (model_.scan) model_.scan->StopScan();
                if (model_.backups) model_.backups->btrstop2Click();
                return 0;
            }
            FormClose();
            DestroyWindow(Handle());
            return 0;
        case WM_DESTROY:
            if (quit_ == QuitOnClose::Yes) PostQuitMessage(0);
            return 0;
        default: return Window::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace kestrover::gui
