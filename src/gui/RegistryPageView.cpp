// The registry cleaning page and its result list.
#include "gui/RegistryPageView.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "app/ExclusionCommands.h"
#include "app/OpenInExplorerCommand.h"
#include "app/SoftwareInventoryCommand.h"
#include "app/TakeOwnershipCommand.h"
#include "gui/ControlIds.h"
#include "gui/RedrawSuspension.h"
#include "gui/ExclusionDialogView.h"
#include "gui/MenuPainter.h"
#include "gui/ResultRowPainter.h"
#include "repair/RegistryEditor.h"

namespace kestrover::gui {

namespace {

// A list box keeps each item's height in a byte.
constexpr int kMaximumItemHeight = 255;

// The pictures of the list's menus.
const std::vector<MenuItemIcon> kResultMenuIcons = {
    {idMnOpen, MenuIcon::Of(Glyph::RegistryKey)},
    {idMnExport, MenuIcon::Of(Glyph::MenuExport)},
    {idMnExclude, MenuIcon::Of(Glyph::MenuExclude)},
    {idMnTakeOwnership, MenuIcon::Of(Glyph::MenuOwnership)},
    {idMnDelete, MenuIcon::Of(Glyph::MenuDelete)},
    {idMnAddToFavorites, MenuIcon::Of(Glyph::MenuFavorite)},
};

}  // namespace

void RegistryPageView::Create(HWND parent) {
    const CaptionTable& captions = host_.Captions();
    auto button = [&](int id, CaptionId caption, DWORD style = BS_PUSHBUTTON) {
        HWND control = CreateControl(parent, WC_BUTTONW, id, WS_TABSTOP | style);
        SetText(control, captions.Text(caption));
        return control;
    };
    go_ = button(idBtGo, CaptionId::btGo);
    classesRoot_ = button(idCkClassesRoot, CaptionId::ckClassesRoot, BS_AUTOCHECKBOX);
    currentUser_ = button(idCkCurrentUser, CaptionId::ckCurrentUser, BS_AUTOCHECKBOX);
    localMachine_ = button(idCkLocalMachine, CaptionId::ckLocalMachine, BS_AUTOCHECKBOX);
    users_ = button(idCkUsers, CaptionId::ckUsers, BS_AUTOCHECKBOX);
    activeX_ = button(idCkActiveX, CaptionId::ckActiveX, BS_AUTOCHECKBOX);
    backup_ = button(idCkBackup, CaptionId::ckBackup, BS_AUTOCHECKBOX);
    backupsButton_ = button(idBtBackup, CaptionId::btBackup);
    exclude_ = button(idBtExclude, CaptionId::btExclude);
    applicationSettings_ = button(idBtApplicationSettings, CaptionId::mnApplSettings);
    find_ = button(idBtFind, CaptionId::btFind);
    favorites_ = button(idBtFavorites, CaptionId::btFavorites);
    shortcuts_ = {find_, backupsButton_, exclude_, applicationSettings_, favorites_};
    introduction_ = CreateControl(parent, WC_STATICW, idRegistryIntroduction, SS_LEFT);
    SetText(introduction_, captions.Text(CaptionId::registryIntroduction));

    select_ = button(idBtSelect, CaptionId::btSelect);
    selectAll_ = button(idBtSelectAll, CaptionId::btSelectAll);
    invert_ = button(idBtInvertSel, CaptionId::btInvertSel);
    filterLabel_ = CreateControl(parent, WC_STATICW, idFilterLabel, SS_RIGHT | SS_CENTERIMAGE);
    SetText(filterLabel_, captions.Text(CaptionId::filterLabel));
    filter_ = CreateControl(parent, WC_EDITW, idFilterEdit, WS_TABSTOP | ES_AUTOHSCROLL,
                            WS_EX_CLIENTEDGE);
    list_ = CreateControl(parent, WC_LISTBOXW, idResultList,
                          WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_OWNERDRAWVARIABLE |
                              LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                          WS_EX_CLIENTEDGE);
    ApplyFonts();
}

void RegistryPageView::ApplyCaptions() {
    const CaptionTable& captions = host_.Captions();
    SetText(go_, captions.Text(CaptionId::btGo));
    SetText(classesRoot_, captions.Text(CaptionId::ckClassesRoot));
    SetText(currentUser_, captions.Text(CaptionId::ckCurrentUser));
    SetText(localMachine_, captions.Text(CaptionId::ckLocalMachine));
    SetText(users_, captions.Text(CaptionId::ckUsers));
    SetText(activeX_, captions.Text(CaptionId::ckActiveX));
    SetText(backup_, captions.Text(CaptionId::ckBackup));
    SetText(backupsButton_, captions.Text(CaptionId::btBackup));
    SetText(exclude_, captions.Text(CaptionId::btExclude));
    SetText(applicationSettings_, captions.Text(CaptionId::mnApplSettings));
    SetText(find_, captions.Text(CaptionId::btFind));
    SetText(favorites_, captions.Text(CaptionId::btFavorites));
    SetText(introduction_, captions.Text(CaptionId::registryIntroduction));
    SetText(select_, captions.Text(CaptionId::btSelect));
    SetText(invert_, captions.Text(CaptionId::btInvertSel));
    SetText(filterLabel_, captions.Text(CaptionId::filterLabel));
    Render();
    // The columns follow the new captions' widths.
    Layout(area_);
    InvalidateRect(list_, nullptr, FALSE);
}

void RegistryPageView::ApplyFonts() {
    const GuiResources& resources = host_.Resources();
    for (HWND control : {classesRoot_, currentUser_, localMachine_, users_, activeX_, backup_,
                         backupsButton_, introduction_, select_, selectAll_, invert_,
                         filterLabel_, filter_, list_}) {
        SetFont(control, resources.Normal());
    }
    for (HWND control : shortcuts_) SetFont(control, resources.Normal());
    SetFont(go_, resources.Go());
}

void RegistryPageView::Layout(const RECT& area) {
    area_ = area;
    const Dpi dpi = host_.Resources().dpi;
    const int left = area.left;
    const int top = area.top;
    const int right = area.right;
    // Columns as wide as their captions (which change with the language); the Backups button
    // keeps the right edge, and a box that would reach under it gives up the end of its text.
    HDC dc = GetDC(go_);
    HGDIOBJ oldFont = SelectObject(dc, host_.Resources().Normal());
    auto captionWidth = [&](HWND control) {
        return static_cast<int>(MeasureText(dc, Wide(GetText(control))).cx) + dpi(24);
    };
    const int firstWidth = std::max({captionWidth(classesRoot_), captionWidth(currentUser_),
                                     captionWidth(localMachine_)});
    const int secondWidth =
        std::max({captionWidth(users_), captionWidth(activeX_), captionWidth(backup_)});
    std::vector<int> captionWidths;
    for (HWND shortcut : shortcuts_) captionWidths.push_back(captionWidth(shortcut));
    SelectObject(dc, oldFont);
    ReleaseDC(go_, dc);

    MoveControl(go_, left, top, dpi(96), dpi(58));
    const int firstColumn = left + dpi(108);
    const int secondColumn = firstColumn + firstWidth + dpi(12);
    const int secondRoom = std::max(0, right - secondColumn);
    const int boxHeight = dpi(19);
    MoveControl(classesRoot_, firstColumn, top, firstWidth, boxHeight);
    MoveControl(currentUser_, firstColumn, top + dpi(20), firstWidth, boxHeight);
    MoveControl(localMachine_, firstColumn, top + dpi(40), firstWidth, boxHeight);
    // The last row has the width below the button as well.
    MoveControl(users_, secondColumn, top, std::min(secondWidth, secondRoom), boxHeight);
    MoveControl(activeX_, secondColumn, top + dpi(20), std::min(secondWidth, secondRoom), boxHeight);
    MoveControl(backup_, secondColumn, top + dpi(40),
                std::min(secondWidth, std::max(0, right - secondColumn)), boxHeight);

    // The shortcut row: buttons of one least width, or, where the row would not fit, each as
    // wide as its caption, and narrower still alike when even that does not fit.
    const int shortcutTop = top + dpi(66);
    const int shortcutGap = dpi(6);
    const int shortcutRoom =
        std::max(0, right - left - shortcutGap * (static_cast<int>(shortcuts_.size()) - 1));
    std::vector<int> shortcutWidths;
    for (int width : captionWidths) shortcutWidths.push_back(std::max(dpi(84), width));
    auto sum = [](const std::vector<int>& widths) {
        int total = 0;
        for (int width : widths) total += width;
        return total;
    };
    if (sum(shortcutWidths) > shortcutRoom) shortcutWidths = captionWidths;
    if (const int total = sum(shortcutWidths); total > shortcutRoom && total > 0) {
        for (int& width : shortcutWidths) width = MulDiv(width, shortcutRoom, total);
    }
    int shortcutLeft = left;
    for (std::size_t index = 0; index < shortcuts_.size(); ++index) {
        MoveControl(shortcuts_[index], shortcutLeft, shortcutTop, shortcutWidths[index], dpi(25));
        shortcutLeft += shortcutWidths[index] + shortcutGap;
    }

    const int toolbarTop = listTop_ ? top + dpi(*listTop_) : shortcutTop + dpi(25) + dpi(10);
    const int buttonHeight = dpi(25);
    MoveControl(select_, left, toolbarTop, dpi(72), buttonHeight);
    MoveControl(selectAll_, left + dpi(76), toolbarTop, dpi(116), buttonHeight);
    MoveControl(invert_, left + dpi(196), toolbarTop, dpi(116), buttonHeight);
    const int filterWidth = dpi(140);
    MoveControl(filter_, right - filterWidth, toolbarTop + dpi(1), filterWidth, dpi(23));
    MoveControl(filterLabel_, right - filterWidth - dpi(52), toolbarTop, dpi(48), buttonHeight);
    MoveControl(introduction_, left, toolbarTop + dpi(6), right - left, dpi(64));

    const int listTop = toolbarTop + buttonHeight + dpi(6);
    MoveControl(list_, left, listTop, right - left, std::max(0, static_cast<int>(area.bottom) - listTop));
}

void RegistryPageView::Show(bool visible) {
    visible_ = visible;
    for (HWND control : {go_, classesRoot_, currentUser_, localMachine_, users_, activeX_,
                         backup_}) {
        SetVisible(control, visible);
    }
    for (HWND control : shortcuts_) SetVisible(control, visible);
    Render();
}

void RegistryPageView::Render() {
    MainWindowModel& model = host_.Model();
    const MainWindowState& window = model.window;
    const bool busy = window.busy;
    SetChecked(classesRoot_, model.scanOptions.Checked(ScanBox::clCR));
    SetChecked(currentUser_, model.scanOptions.Checked(ScanBox::clCU));
    SetChecked(localMachine_, model.scanOptions.Checked(ScanBox::clLM));
    SetChecked(users_, model.scanOptions.Checked(ScanBox::clU));
    SetChecked(activeX_, model.scanOptions.Checked(ScanBox::clActive));
    if (model.deletes) SetChecked(backup_, model.deletes->ckBack);
    SetEnabled(go_, !busy);
    for (HWND control : shortcuts_) SetEnabled(control, !busy);
    SetEnabled(select_, !busy);
    SetEnabled(selectAll_, !busy);
    SetEnabled(invert_, !busy);
    SetEnabled(filter_, !busy);
    SetText(selectAll_,
            model.results.SelectAllCaption(host_.Captions().Text(CaptionId::btSelectAll)));

    const bool listShown = (visible_ || listTop_.has_value()) && window.resultListVisible;
    for (HWND control : {select_, selectAll_, invert_, filterLabel_, filter_, list_}) {
        SetVisible(control, listShown);
    }
    SetVisible(introduction_, visible_ && !window.resultListVisible);
}

void RegistryPageView::RefillList() {
    MainWindowModel& model = host_.Model();
    const RedrawSuspension suspended(list_);
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    stringValues_.clear();
    horizontalExtent_ = 0;
    const std::size_t count = model.results.RowCount();
    SendMessageW(list_, LB_INITSTORAGE, count, 0);
    for (std::size_t row = 0; row < count; ++row) {
        SendMessageW(list_, LB_ADDSTRING, 0, static_cast<LPARAM>(row));
    }
    UpdateHorizontalExtent(0);
    PushSelectionToList();
}

void RegistryPageView::AppendNewRows() {
    const std::size_t rows = host_.Model().results.RowCount();
    const LRESULT items = SendMessageW(list_, LB_GETCOUNT, 0, 0);
    const std::size_t shown = items < 0 ? 0 : static_cast<std::size_t>(items);
    if (rows < shown) {
        if (!host_.Model().window.busy) {
            RefillList();
            return;
        }
        // A deletion takes rows away one by one; refilling the whole list at every look would
        // slow it down, so the list only drops its surplus items until the command ends.
        const RedrawSuspension suspended(list_);
        if (rows == 0) SendMessageW(list_, LB_RESETCONTENT, 0, 0);
        for (std::size_t item = rows == 0 ? 0 : shown; item > rows; --item) {
            SendMessageW(list_, LB_DELETESTRING, item - 1, 0);
        }
        return;
    }
    if (rows == shown) return;
    const RedrawSuspension suspended(list_);
    for (std::size_t row = shown; row < rows; ++row) {
        SendMessageW(list_, LB_ADDSTRING, 0, static_cast<LPARAM>(row));
    }
    UpdateHorizontalExtent(shown);
}

void RegistryPageView::UpdateHorizontalExtent(std::size_t fromRow) {
    const GuiResources& resources = host_.Resources();
    const ResultList& results = host_.Model().results;
    HDC dc = GetDC(list_);
    const RowFonts fonts{resources.Normal(), resources.Bold(), resources.Italic()};
    const std::string& defaultText = host_.Captions().Text(CaptionId::lbDefault);
    for (std::size_t row = fromRow; row < results.RowCount(); ++row) {
        horizontalExtent_ = std::max(
            horizontalExtent_,
            ResultRowWidth(dc, fonts, resources.dpi, results.Row(row).text, defaultText));
    }
    ReleaseDC(list_, dc);
    SendMessageW(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(horizontalExtent_), 0);
}

void RegistryPageView::ReadSelectionFromList() {
    ResultList& results = host_.Model().results;
    const LRESULT selected = SendMessageW(list_, LB_GETSELCOUNT, 0, 0);
    std::vector<int> indices(selected > 0 ? static_cast<std::size_t>(selected) : 0);
    if (!indices.empty()) {
        SendMessageW(list_, LB_GETSELITEMS, indices.size(),
                     reinterpret_cast<LPARAM>(indices.data()));
    }
    std::vector<bool> chosen(results.RowCount(), false);
    for (int index : indices) {
        if (index >= 0 && static_cast<std::size_t>(index) < chosen.size()) {
            chosen[static_cast<std::size_t>(index)] = true;
        }
    }
    for (std::size_t row = 0; row < chosen.size(); ++row) {
        if (results.IsSelected(row) != chosen[row]) results.SetSelected(row, chosen[row]);
    }
}

void RegistryPageView::PushSelectionToList() {
    const ResultList& results = host_.Model().results;
    // Selecting scrolls the list to each selected row; the user's place is kept instead.
    const LRESULT top = SendMessageW(list_, LB_GETTOPINDEX, 0, 0);
    const RedrawSuspension suspended(list_);
    SendMessageW(list_, LB_SETSEL, FALSE, -1);
    for (std::size_t row = 0; row < results.RowCount(); ++row) {
        if (results.IsSelected(row)) SendMessageW(list_, LB_SETSEL, TRUE, static_cast<LPARAM>(row));
    }
    SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(std::max<LRESULT>(0, top)), 0);
}

void RegistryPageView::GoClean() {
    MainWindowModel& model = host_.Model();
    if (model.window.busy || !model.scan) return;
    const bool showEachKey = GetKeyState(VK_SHIFT) < 0;
    // A new scan lists everything it finds; an old filter text would no longer describe it.
    ignoreFilterChange_ = true;
    SetText(filter_, "");
    ignoreFilterChange_ = false;
    host_.RunLong([&] { model.scan->GoClean(model.scanOptions, showEachKey); });
    RefillList();
    host_.RenderAll();
}

void RegistryPageView::ShowApplicationSettings() {
    MainWindowModel& model = host_.Model();
    if (model.window.busy) return;
    // The vendor keys are listed whole; an old filter text would hide some of them.
    ignoreFilterChange_ = true;
    SetText(filter_, "");
    ignoreFilterChange_ = false;
    host_.RunLong([&] { mnApplSettingsClick(model.registry, model.window, model.results); });
    RefillList();
    host_.RenderAll();
}

void RegistryPageView::PlaceListBelow(std::optional<int> listTop) {
    listTop_ = listTop;
    Layout(area_);
    Render();
}

void RegistryPageView::ClearFilter() {
    ignoreFilterChange_ = true;
    SetText(filter_, "");
    ignoreFilterChange_ = false;
}

void RegistryPageView::StopScan() {
    if (host_.Model().scan) host_.Model().scan->StopScan();
    host_.RenderAll();
}

void RegistryPageView::DeleteSelected() {
    MainWindowModel& model = host_.Model();
    if (model.window.busy || !model.deletes) return;
    // Deleting is a long operation: the page buttons stay disabled until it ends, so that no
    // other command changes the list under it.
    model.window.DisableAllButtons();
    host_.RenderAll();
    host_.RunLong([&] { model.deletes->MnuDelClick(); });
    model.window.EnableAllButtons();
    RefillList();
    host_.RenderAll();
}

void RegistryPageView::SelectAll() {
    host_.Model().results.SelectAll();
    PushSelectionToList();
    host_.RenderAll();
}

void RegistryPageView::UnselectAll() {
    host_.Model().results.UnselectAll();
    PushSelectionToList();
    host_.RenderAll();
}

void RegistryPageView::InvertSelection() {
    host_.Model().results.InvertSelection();
    PushSelectionToList();
    host_.RenderAll();
}

void RegistryPageView::ApplyFilter() {
    MainWindowModel& model = host_.Model();
    if (model.window.busy) return;
    model.results.ApplyFilter(GetText(filter_));
    model.window.total = model.results.CountText();
    model.window.root = model.results.CountText();
    RefillList();
    host_.RenderAll();
}

std::optional<std::size_t> RegistryPageView::FocusedRow() const {
    const LRESULT caret = SendMessageW(list_, LB_GETCARETINDEX, 0, 0);
    if (caret < 0 || static_cast<std::size_t>(caret) >= host_.Model().results.RowCount()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(caret);
}

void RegistryPageView::OpenFocusedInRegistryEditor() {
    MainWindowModel& model = host_.Model();
    const ResultList& results = model.results;
    // The focused row when it is selected, else the first selected one.
    std::size_t row = results.RowCount();
    if (const std::optional<std::size_t> focused = FocusedRow();
        focused && results.IsSelected(*focused)) {
        row = *focused;
    } else {
        for (std::size_t index = 0; index < results.RowCount(); ++index) {
            if (results.IsSelected(index)) {
                row = index;
                break;
            }
        }
    }
    if (row >= results.RowCount()) return;
    const ScanEntry entry = ParseScanEntry(results.Row(row).text);
    if (!entry.root) return;
    (void)OpenInRegistryEditor(model.registry, model.platform.shell, entry.rootName,
                               entry.keyPath);
}

bool RegistryPageView::ValueIsString(std::size_t row) {
    MainWindowModel& model = host_.Model();
    const std::string& text = model.results.Row(row).text;
    if (auto known = stringValues_.find(text); known != stringValues_.end()) return known->second;
    const ScanEntry entry = ParseScanEntry(text);
    bool isString = true;
    if (entry.root && !entry.valueName.empty()) {
        RegistryProvider provider(model.registry);
        provider.SetRootKey(*entry.root);
        RegValueKind kind = RegValueKind::Unknown;
        bool shownDefault = false;
        if (provider.OpenKeyReadOnly("\\" + entry.keyPath)) {
            kind = provider.GetDataType(entry.valueName);
            // Search rows name the default value by the "(default)" text; it takes the string
            // image, as the empty name does.
            shownDefault = kind == RegValueKind::Unknown &&
                           entry.valueName == host_.Captions().Text(CaptionId::lbDefault);
        }
        isString = shownDefault || kind == RegValueKind::String ||
                   kind == RegValueKind::ExpandString || kind == RegValueKind::MultiString;
    }
    stringValues_.emplace(text, isString);
    return isString;
}

bool RegistryPageView::OnCommand(int id, int code) {
    MainWindowModel& model = host_.Model();
    auto box = [&](ScanBox which, HWND control) {
        model.scanOptions.SetChecked(which, IsChecked(control));
        host_.RenderAll();
        return true;
    };
    switch (id) {
        case idBtGo: GoClean(); return true;
        case idCkClassesRoot: return box(ScanBox::clCR, classesRoot_);
        case idCkCurrentUser: return box(ScanBox::clCU, currentUser_);
        case idCkLocalMachine: return box(ScanBox::clLM, localMachine_);
        case idCkUsers: return box(ScanBox::clU, users_);
        case idCkActiveX: return box(ScanBox::clActive, activeX_);
        case idCkBackup:
            if (model.deletes) model.deletes->ckBack = IsChecked(backup_);
            host_.RenderAll();
            return true;
        case idBtSelect: {
            RECT rect{};
            GetWindowRect(select_, &rect);
            UniqueMenu menu(CreatePopupMenu());
            const CaptionTable& captions = host_.Captions();
            auto item = [&](int itemId, CaptionId caption) {
                AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(itemId),
                            Wide(captions.Text(caption)).c_str());
            };
            item(idMnSelectAll, CaptionId::btSelectAll);
            item(idMnUnselectAll, CaptionId::btUnSelectAll);
            item(idMnInvertSel, CaptionId::btInvertSel);
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
            item(idMnSelectGreen, CaptionId::btSelectGreen);
            item(idMnSelectRed, CaptionId::btSelectRed);
            ShowMenu(menu.get(), POINT{rect.left, rect.bottom});
            return true;
        }
        case idBtSelectAll: SelectAll(); return true;
        case idBtInvertSel: InvertSelection(); return true;
        case idBtExclude:
            if (!model.window.busy) RunExclusionDialog(host_);
            return true;
        case idBtApplicationSettings: ShowApplicationSettings(); return true;
        case idFilterEdit:
            if (code == EN_CHANGE && !ignoreFilterChange_) ApplyFilter();
            return true;
        case idResultList:
            if (code == LBN_SELCHANGE) {
                ReadSelectionFromList();
                host_.RenderAll();
            } else if (code == LBN_DBLCLK) {
                OpenFocusedInRegistryEditor();
            }
            return true;
        case idMnSelectAll:
        case idMnUnselectAll:
        case idMnInvertSel:
        case idMnSelectGreen:
        case idMnSelectRed:
        case idMnOpen:
        case idMnExport:
        case idMnExclude:
        case idMnTakeOwnership:
        case idMnOpenInExplorer:
        case idMnDelete: RunMenuCommand(id); return true;
        default: return false;
    }
}

void RegistryPageView::ShowMenu(HMENU menu, POINT screen) {
    MenuPainter::Adopt(menu, kResultMenuIcons);
    const int chosen = static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
                       screen.x, screen.y, 0, host_.Frame(), nullptr));
    if (chosen != 0) RunMenuCommand(chosen);
}

void RegistryPageView::RunMenuCommand(int id) {
    MainWindowModel& model = host_.Model();
    if (model.window.busy) return;
    switch (id) {
        case idMnSelectAll: SelectAll(); return;
        case idMnUnselectAll: UnselectAll(); return;
        case idMnInvertSel: InvertSelection(); return;
        case idMnSelectGreen:
            model.results.SelectAllGreen();
            PushSelectionToList();
            host_.RenderAll();
            return;
        case idMnSelectRed:
            model.results.SelectAllRed();
            PushSelectionToList();
            host_.RenderAll();
            return;
        case idMnOpen: OpenFocusedInRegistryEditor(); return;
        case idMnExport:
            if (!model.deletes) return;
            host_.RunLong([&] { model.deletes->MnuExpClick(); });
            host_.RenderAll();
            return;
        case idMnExclude:
            if (!model.exclusions) return;
            host_.RunLong([&] { MnuExClick(model.results, *model.exclusions, model.prompts); });
            model.window.total = model.results.CountText();
            model.window.root = model.results.CountText();
            RefillList();
            host_.RenderAll();
            return;
        case idMnTakeOwnership: {
            TakeOwnershipTexts texts;
            texts.caption = host_.Captions().Text(CaptionId::mnutakeownership);
            texts.warning = host_.Captions().Text(CaptionId::securitywarn);
            texts.done = host_.Captions().Text(CaptionId::securitychange);
            texts.notChanged = host_.Captions().Text(CaptionId::txtSecurityNotChanged);
            host_.RunLong([&] {
                MnuTakeOClick(model.platform.security, model.registry.views, model.results,
                              model.prompts, texts);
            });
            host_.RenderAll();
            return;
        }
        case idMnDelete: DeleteSelected(); return;
        case idMnOpenInExplorer:
            // Failures are not shown: Explorer opens, or nothing happens.
            (void)OpeninexplorerClick(model.results, FocusedRow(), model.shell.Variables(),
                                      model.platform.shell);
            return;
        case idMnAddToFavorites:
            // The favorites' view runs it; the window hands the item on.
            SendMessageW(host_.Frame(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
            return;
        default: return;
    }
}

bool RegistryPageView::OnContextMenu(HWND control, POINT screen) {
    if (control != list_) return false;
    MainWindowModel& model = host_.Model();
    if (model.window.busy) return true;
    if (screen.x == -1 && screen.y == -1) {
        // From the keyboard: under the focused row.
        RECT item{};
        const std::optional<std::size_t> focused = FocusedRow();
        if (focused) {
            SendMessageW(list_, LB_GETITEMRECT, *focused, reinterpret_cast<LPARAM>(&item));
        }
        POINT corner{item.left + host_.Resources().dpi(20), item.bottom};
        ClientToScreen(list_, &corner);
        screen = corner;
    }
    const ResultMenuState state = model.results.ContextMenuState(
        FocusedRow(),
        model.window.searchProtectedKeys ? ProtectedKeysSearch::On : ProtectedKeysSearch::Off,
        GetKeyState(VK_SHIFT) < 0 ? ShiftKey::Held : ShiftKey::Up);
    const CaptionTable& captions = host_.Captions();
    UniqueMenu menu(CreatePopupMenu());
    auto item = [&](int id, CaptionId caption, bool enabled) {
        AppendMenuW(menu.get(), MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED),
                    static_cast<UINT_PTR>(id), Wide(captions.Text(caption)).c_str());
    };
    item(idMnOpen, CaptionId::mnopen, state.openInRegedit);
    item(idMnOpenInExplorer, CaptionId::mnOpenInExplorer, state.openInExplorer);
    item(idMnExport, CaptionId::mnexport, state.exportSelected);
    item(idMnAddToFavorites, CaptionId::mnaddfav, state.addToFavorites);
    item(idMnExclude, CaptionId::mnExclude, state.addToExclusionList);
    item(idMnTakeOwnership, CaptionId::mnutakeownership, state.takeOwnership);
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    item(idMnDelete, CaptionId::mnDelete, state.deleteSelected);
    SetMenuDefaultItem(menu.get(), idMnOpen, FALSE);
    ShowMenu(menu.get(), screen);
    return true;
}

bool RegistryPageView::OnMeasureItem(MEASUREITEMSTRUCT& item) {
    if (item.CtlType != ODT_LISTBOX || item.CtlID != idResultList) return false;
    const ResultList& results = host_.Model().results;
    const Dpi dpi = host_.Resources().dpi;
    const int height = item.itemID < results.RowCount()
                           ? ResultRowPixelHeight(results.Row(item.itemID).text, dpi)
                           : dpi(40);
    item.itemHeight = static_cast<UINT>(std::min(height, kMaximumItemHeight));
    return true;
}

bool RegistryPageView::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_LISTBOX || item.CtlID != idResultList) return false;
    if (item.itemID == static_cast<UINT>(-1)) return true;
    MainWindowModel& model = host_.Model();
    if (item.itemID >= model.results.RowCount()) {
        // The model was emptied and the list not yet refilled: nothing to draw.
        FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return true;
    }
    const GuiResources& resources = host_.Resources();
    RowPaint paint;
    paint.dc = item.hDC;
    paint.rect = item.rcItem;
    paint.selected = (item.itemState & ODS_SELECTED) != 0;
    paint.dpi = resources.dpi;
    paint.fonts = RowFonts{resources.Normal(), resources.Bold(), resources.Italic()};
    paint.glyphs = resources.glyphs.get();
    const std::string filterText = GetText(filter_);
    paint.highlight = filterText.empty() ? std::string_view(model.window.searchText)
                                         : std::string_view(filterText);
    paint.categoryTexts = &model.results.Texts();
    paint.defaultValueText = host_.Captions().Text(CaptionId::lbDefault);
    paint.stringValue = ValueIsString(item.itemID);
    PaintResultRow(paint, model.results.Row(item.itemID).text);
    if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(item.hDC, &item.rcItem);
    return true;
}

}  // namespace kestrover::gui
