// The registry search page.
#include "gui/SearchPageView.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "app/RegistrySearchCommand.h"
#include "gui/ControlIds.h"
#include "gui/KeyboardNavigation.h"
#include "gui/LanguageFile.h"

namespace kestrover::gui {

namespace {

constexpr int kRowHeight = 18;     // one check box of a group
constexpr int kGroupCaption = 20;  // from a group's top to its first check box
constexpr int kGroupPadding = 10;  // left and right inside a group
constexpr int kGroupGap = 8;

}  // namespace

void SearchPageView::Create(HWND parent) {
    const CaptionTable& captions = host_.Captions();
    auto button = [&](int id, CaptionId caption, DWORD style = BS_PUSHBUTTON) {
        HWND control = CreateControl(parent, WC_BUTTONW, id, WS_TABSTOP | style);
        SetText(control, captions.Text(caption));
        return control;
    };
    // A group box draws its frame and caption only; transparent, it is not clipped out of the
    // window's own painting, which fills its inside.
    auto group = [&](int id, CaptionId caption) {
        HWND control = CreateControl(parent, WC_BUTTONW, id, BS_GROUPBOX, WS_EX_TRANSPARENT);
        SetText(control, WithoutMnemonic(captions.Text(caption)));
        return control;
    };
    searchForLabel_ = CreateControl(parent, WC_STATICW, idSearchForLabel, SS_LEFT | SS_CENTERIMAGE);
    SetText(searchForLabel_, captions.Text(CaptionId::searchfor));
    findT_ = CreateControl(parent, WC_COMBOBOXW, idFindT,
                           WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL);
    search_ = button(idBtSearch, CaptionId::btsearch);
    clearHistory_ = button(idBtClearHistory, CaptionId::btcleanhistory);

    rootsGroup_ = group(idSearchRootsGroup, CaptionId::keytitle);
    classesRoot_ = button(idCkSearchClassesRoot, CaptionId::ckClassesRoot, BS_AUTOCHECKBOX);
    currentUser_ = button(idCkSearchCurrentUser, CaptionId::ckCurrentUser, BS_AUTOCHECKBOX);
    localMachine_ = button(idCkSearchLocalMachine, CaptionId::ckLocalMachine, BS_AUTOCHECKBOX);
    users_ = button(idCkSearchUsers, CaptionId::ckUsers, BS_AUTOCHECKBOX);

    optionsGroup_ = group(idSearchOptionsGroup, CaptionId::optiontitle);
    keys_ = button(idCkSearchKeys, CaptionId::ckKeys, BS_AUTOCHECKBOX);
    values_ = button(idCkSearchValues, CaptionId::ckValues, BS_AUTOCHECKBOX);
    data_ = button(idCkSearchData, CaptionId::ckData, BS_AUTOCHECKBOX);
    wholeWord_ = button(idCkWholeWord, CaptionId::ckWholeWord, BS_AUTOCHECKBOX);
    groupSimilar_ = button(idCkGroupSimilar, CaptionId::ckGroupSimilar, BS_AUTOCHECKBOX);

    securityGroup_ = group(idSecurityGroup, CaptionId::repairtitle);
    protected_ = button(idCkProtected, CaptionId::ckProtected, BS_AUTOCHECKBOX | BS_MULTILINE);
    protectedHint_ = CreateControl(parent, WC_STATICW, idProtectedHint, SS_LEFT | SS_NOPREFIX);
    SetText(protectedHint_, captions.Text(CaptionId::txtProtected));

    // Tab order is the order of the window's children: the page's controls come before the
    // result list and its toolbar, which the registry page created earlier.
    HWND after = GetWindow(GetDlgItem(parent, idBtSelect), GW_HWNDPREV);
    for (HWND control : {searchForLabel_, findT_, search_, clearHistory_, rootsGroup_, classesRoot_,
                         currentUser_, localMachine_, users_, optionsGroup_, keys_, values_, data_,
                         wholeWord_, groupSimilar_, securityGroup_, protected_, protectedHint_}) {
        if (after != nullptr) {
            SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        after = control;
    }
    StartGroups({findT_, search_, classesRoot_, keys_, protected_});
    FillHistory();
    ApplyFonts();
}

void SearchPageView::ApplyFonts() {
    const GuiResources& resources = host_.Resources();
    for (HWND control : {searchForLabel_, findT_, clearHistory_, rootsGroup_, classesRoot_,
                         currentUser_, localMachine_, users_, optionsGroup_, keys_, values_, data_,
                         wholeWord_, groupSimilar_, securityGroup_, protected_, protectedHint_}) {
        SetFont(control, resources.Normal());
    }
    SetFont(search_, resources.Bold());
}

void SearchPageView::ApplyCaptions() {
    const CaptionTable& captions = host_.Captions();
    SetText(searchForLabel_, captions.Text(CaptionId::searchfor));
    SetText(search_, captions.Text(CaptionId::btsearch));
    SetText(clearHistory_, captions.Text(CaptionId::btcleanhistory));
    SetText(rootsGroup_, WithoutMnemonic(captions.Text(CaptionId::keytitle)));
    SetText(classesRoot_, captions.Text(CaptionId::ckClassesRoot));
    SetText(currentUser_, captions.Text(CaptionId::ckCurrentUser));
    SetText(localMachine_, captions.Text(CaptionId::ckLocalMachine));
    SetText(users_, captions.Text(CaptionId::ckUsers));
    SetText(optionsGroup_, WithoutMnemonic(captions.Text(CaptionId::optiontitle)));
    SetText(keys_, captions.Text(CaptionId::ckKeys));
    SetText(values_, captions.Text(CaptionId::ckValues));
    SetText(data_, captions.Text(CaptionId::ckData));
    SetText(wholeWord_, captions.Text(CaptionId::ckWholeWord));
    SetText(groupSimilar_, captions.Text(CaptionId::ckGroupSimilar));
    SetText(securityGroup_, WithoutMnemonic(captions.Text(CaptionId::repairtitle)));
    SetText(protected_, captions.Text(CaptionId::ckProtected));
    SetText(protectedHint_, captions.Text(CaptionId::txtProtected));
    // The columns follow the new captions' widths.
    Layout(area_);
}

void SearchPageView::Layout(const RECT& area) {
    area_ = area;
    const Dpi dpi = host_.Resources().dpi;
    const int left = area.left;
    const int top = area.top;
    const int right = area.right;
    HDC dc = GetDC(findT_);
    HGDIOBJ oldFont = SelectObject(dc, host_.Resources().Normal());
    auto textWidth = [&](HWND control) {
        return static_cast<int>(MeasureText(dc, Wide(WithoutMnemonic(GetText(control)))).cx);
    };
    // A check box is its caption and the box before it.
    auto boxWidth = [&](std::initializer_list<HWND> boxes) {
        int widest = 0;
        for (HWND box : boxes) widest = std::max(widest, textWidth(box) + dpi(24));
        return widest;
    };
    const int protectedWidth = textWidth(protected_) + dpi(24);
    const int labelWidth = textWidth(searchForLabel_) + dpi(4);
    const int clearWidth = std::max(dpi(84), textWidth(clearHistory_) + dpi(24));
    const int rootsWidth = std::max(boxWidth({classesRoot_, currentUser_, localMachine_, users_}),
                                    textWidth(rootsGroup_) + dpi(12)) +
                           2 * dpi(kGroupPadding);
    const int optionsWidth = std::max(boxWidth({keys_, values_, data_, wholeWord_, groupSimilar_}),
                                      textWidth(optionsGroup_) + dpi(12)) +
                             2 * dpi(kGroupPadding);
    SelectObject(dc, oldFont);
    ReleaseDC(findT_, dc);

    // The search text takes the width the buttons leave.
    const int buttonHeight = dpi(25);
    const int searchWidth = dpi(96);
    MoveControl(clearHistory_, right - clearWidth, top, clearWidth, buttonHeight);
    MoveControl(search_, right - clearWidth - dpi(6) - searchWidth, top, searchWidth, buttonHeight);
    MoveControl(searchForLabel_, left, top, labelWidth, buttonHeight);
    const int textLeft = left + labelWidth + dpi(6);
    const int textRight = right - clearWidth - searchWidth - dpi(12);
    // A drop-down combo box's height includes its list.
    MoveControl(findT_, textLeft, top + dpi(1), std::max(dpi(60), textRight - textLeft), dpi(220));

    const int groupTop = top + dpi(34);
    const int groupHeight = dpi(kGroupCaption + 5 * kRowHeight + 6);
    const int rowHeight = dpi(kRowHeight);
    auto placeRows = [&](int groupLeft, int width, std::initializer_list<HWND> boxes) {
        int y = groupTop + dpi(kGroupCaption);
        for (HWND box : boxes) {
            MoveControl(box, groupLeft + dpi(kGroupPadding), y,
                        std::max(0, width - 2 * dpi(kGroupPadding)), rowHeight);
            y += rowHeight;
        }
    };
    MoveControl(rootsGroup_, left, groupTop, rootsWidth, groupHeight);
    placeRows(left, rootsWidth, {classesRoot_, currentUser_, localMachine_, users_});
    const int optionsLeft = left + rootsWidth + dpi(kGroupGap);
    MoveControl(optionsGroup_, optionsLeft, groupTop, optionsWidth, groupHeight);
    placeRows(optionsLeft, optionsWidth, {keys_, values_, data_, wholeWord_, groupSimilar_});

    // The security group takes the rest of the row; its box wraps onto a second line when its
    // caption needs it, and the hint fills what is left.
    const int securityLeft = optionsLeft + optionsWidth + dpi(kGroupGap);
    const int securityWidth = std::max(0, right - securityLeft);
    const int inner = std::max(0, securityWidth - 2 * dpi(kGroupPadding));
    MoveControl(securityGroup_, securityLeft, groupTop, securityWidth, groupHeight);
    const int boxTop = groupTop + dpi(kGroupCaption);
    const int boxHeight = (protectedWidth <= inner ? 1 : 2) * rowHeight;
    MoveControl(protected_, securityLeft + dpi(kGroupPadding), boxTop, inner, boxHeight);
    const int hintTop = boxTop + boxHeight + dpi(6);
    MoveControl(protectedHint_, securityLeft + dpi(kGroupPadding), hintTop, inner,
                std::max(0, groupTop + groupHeight - dpi(6) - hintTop));
}

void SearchPageView::Show(bool visible) {
    visible_ = visible;
    for (HWND control : {searchForLabel_, findT_, search_, clearHistory_, rootsGroup_, classesRoot_,
                         currentUser_, localMachine_, users_, optionsGroup_, keys_, values_, data_,
                         wholeWord_, groupSimilar_, securityGroup_, protected_, protectedHint_}) {
        SetVisible(control, visible);
    }
    Render();
}

void SearchPageView::Render() {
    if (findT_ == nullptr) return;
    const MainWindowModel& model = host_.Model();
    const MainWindowState& window = model.window;
    const SearchPage& page = model.searchPage;
    const bool busy = window.busy;
    SetChecked(classesRoot_, page.ckcr);
    SetChecked(currentUser_, page.ckcu);
    SetChecked(localMachine_, page.cklm);
    SetChecked(users_, page.cku);
    SetChecked(keys_, page.ckOK);
    SetChecked(values_, page.ckVal);
    SetChecked(data_, page.ckDon);
    SetChecked(wholeWord_, page.ckOnlyW);
    SetChecked(groupSimilar_, page.ckRoot);
    SetChecked(protected_, window.searchProtectedKeys);
    if (GetText(findT_) != window.searchText) SetSearchText(window.searchText);
    SetEnabled(findT_, !busy && window.searchBoxEnabled);
    SetEnabled(search_, SearchButtonEnabled(window));
    for (HWND control : {clearHistory_, classesRoot_, currentUser_, localMachine_, users_, keys_,
                         values_, data_, wholeWord_, groupSimilar_, protected_}) {
        SetEnabled(control, !busy);
    }
}

void SearchPageView::SetSearchText(const std::string& text) {
    ignoreTextChange_ = true;
    SetText(findT_, text);
    ignoreTextChange_ = false;
}

void SearchPageView::FillHistory() {
    const std::vector<std::string>& lines = host_.Model().shell.SearchHistory();
    ignoreTextChange_ = true;
    // Emptying the drop-down empties the box's text too; it is put back.
    SendMessageW(findT_, CB_RESETCONTENT, 0, 0);
    for (const std::string& line : lines) {
        SendMessageW(findT_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(line).c_str()));
    }
    SetText(findT_, host_.Model().window.searchText);
    ignoreTextChange_ = false;
}

void SearchPageView::Open() {
    MainWindowModel& model = host_.Model();
    if (model.search) model.search->btRechClick();
    model.window.pageTitle = WithoutMnemonic(host_.Captions().Text(CaptionId::btFind));
}

void SearchPageView::Search() {
    MainWindowModel& model = host_.Model();
    if (!model.search || !SearchButtonEnabled(model.window)) return;
    const ShiftKey shift = GetKeyState(VK_SHIFT) < 0 ? ShiftKey::Held : ShiftKey::Up;
    const CaptionTable& captions = host_.Captions();
    model.search->texts.searchButton = WithoutMnemonic(captions.Text(CaptionId::btsearch));
    model.search->texts.items = captions.Text(CaptionId::msgitems);
    model.search->texts.defaultValue = captions.Text(CaptionId::lbDefault);
    // A filter left from the last list would hide hits of the new search.
    list_.ClearFilter();
    host_.RunLong([&] { model.search->cherche1Click(shift); });
    list_.RefillList();
    FillHistory();
    host_.RenderAll();
}

void SearchPageView::StopSearch() {
    if (host_.Model().search) host_.Model().search->StopScan();
    host_.RenderAll();
}

bool SearchPageView::FocusInSearchText() const {
    HWND focus = GetFocus();
    return visible_ && focus != nullptr && (focus == findT_ || IsChild(findT_, focus));
}

bool SearchPageView::OnCommand(int id, int code) {
    MainWindowModel& model = host_.Model();
    if (!model.search) return false;
    auto box = [&](bool& option, HWND control) {
        option = IsChecked(control);
        host_.RenderAll();
        return true;
    };
    SearchPage& page = model.searchPage;
    switch (id) {
        case idFindT:
            if (ignoreTextChange_) return true;
            if (code == CBN_EDITCHANGE) {
                model.search->FindTChange(GetText(findT_));
                host_.RenderAll();
            } else if (code == CBN_SELCHANGE) {
                // The box shows the chosen line only after this notification.
                const LRESULT chosen = SendMessageW(findT_, CB_GETCURSEL, 0, 0);
                const LRESULT length = SendMessageW(findT_, CB_GETLBTEXTLEN, chosen, 0);
                if (chosen >= 0 && length >= 0) {
                    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
                    SendMessageW(findT_, CB_GETLBTEXT, chosen,
                                 reinterpret_cast<LPARAM>(text.data()));
                    text.resize(static_cast<std::size_t>(length));
                    model.search->FindTChange(Narrow(text));
                    host_.RenderAll();
                }
            }
            return true;
        case idBtSearch:
            Search();
            return true;
        case idBtClearHistory:
            model.search->btEffHist1Click();
            FillHistory();
            host_.RenderAll();
            return true;
        case idCkSearchClassesRoot:
            return box(page.ckcr, classesRoot_);
        case idCkSearchCurrentUser:
            return box(page.ckcu, currentUser_);
        case idCkSearchLocalMachine:
            return box(page.cklm, localMachine_);
        case idCkSearchUsers:
            return box(page.cku, users_);
        case idCkSearchKeys:
            return box(page.ckOK, keys_);
        case idCkSearchValues:
            return box(page.ckVal, values_);
        case idCkSearchData:
            return box(page.ckDon, data_);
        case idCkWholeWord:
            return box(page.ckOnlyW, wholeWord_);
        case idCkGroupSimilar:
            return box(page.ckRoot, groupSimilar_);
        case idCkProtected:
            model.search->ckProtectedClick(IsChecked(protected_));
            host_.RenderAll();
            return true;
        case IDOK:
            // Enter in the search box searches.
            if (!FocusInSearchText()) return false;
            Search();
            return true;
        case IDCANCEL:
            // Escape in the search box empties it (an open drop-down takes Escape itself).
            if (!FocusInSearchText() || SendMessageW(findT_, CB_GETDROPPEDSTATE, 0, 0) != 0) {
                return false;
            }
            model.search->FindTKeyUp(SearchBoxKey::Escape);
            host_.RenderAll();
            return true;
        default:
            return false;
    }
}

}  // namespace kestrover::gui
