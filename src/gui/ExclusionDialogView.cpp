// The exclusion dialog, built from a template in memory, over its model.
#include "gui/ExclusionDialogView.h"

#include <commctrl.h>
#include <commdlg.h>

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/ExclusionCommands.h"
#include "app/ExclusionDialog.h"
#include "gui/ControlIds.h"
#include "gui/DialogTemplate.h"
#include "repair/RegistryEditor.h"

namespace kestrover::gui {

namespace {

constexpr UINT_PTR kListSubclass = 1;

class ExclusionDialogView {
public:
    explicit ExclusionDialogView(ExclusionDialog& model) : model_(model) {}

    // Shows the dialog modally over owner until OK or Cancel.
    DialogResult Run(HWND owner);

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self);

    void OnInit();
    void OnCommand(int id, int code);
    bool OnNotify(const NMHDR& header, LRESULT& result);

    // The row clicked or reached with the keyboard goes into the editors.
    void TakeRowIntoEditors(int item);
    void ReadEditors();
    // The list's items, selection and sort arrow from the model.
    void ShowRows();
    void EnableRowButtons();
    std::optional<std::size_t> ListSelection() const;
    std::optional<std::string> AskImportFile(const ImportFileRequest& request) const;

    ExclusionDialog& model_;
    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
    HWND root_ = nullptr;
    HWND key_ = nullptr;
    bool syncing_ = false;  // the view itself changes the controls: no command follows
    bool sorted_ = false;   // a column was clicked: its header shows the direction
};

DialogResult ExclusionDialogView::Run(HWND owner) {
    DialogTemplate dialog(DS_MODALFRAME | DS_SHELLFONT | DS_CENTER | WS_POPUP | WS_CAPTION |
                              WS_SYSMENU,
                          340, 226, L"MS Shell Dlg", 8);
    dialog.Item(WC_LISTVIEWW,
                WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                7, 7, 326, 170, idExclusionList, L"", WS_EX_CLIENTEDGE);
    dialog.Item(kComboBoxAtom, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 7, 184, 112, 120,
                idExclusionRoot);
    dialog.Item(kEditAtom, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 124, 184, 209, 13,
                idExclusionKey);
    // Enter in the key edit adds the key: Add is the default button, not OK.
    dialog.Item(kButtonAtom, WS_TABSTOP | BS_DEFPUSHBUTTON, 7, 205, 50, 14, idBtExclusionAdd);
    dialog.Item(kButtonAtom, WS_TABSTOP | BS_PUSHBUTTON, 61, 205, 50, 14, idBtExclusionModify);
    dialog.Item(kButtonAtom, WS_TABSTOP | BS_PUSHBUTTON, 115, 205, 50, 14, idBtExclusionDelete);
    dialog.Item(kButtonAtom, WS_TABSTOP | BS_PUSHBUTTON, 169, 205, 50, 14, idBtExclusionImport);
    dialog.Item(kButtonAtom, WS_TABSTOP | BS_PUSHBUTTON, 229, 205, 50, 14, IDOK);
    dialog.Item(kButtonAtom, WS_TABSTOP | BS_PUSHBUTTON, 283, 205, 50, 14, IDCANCEL);
    const INT_PTR ended =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, &Procedure,
                                reinterpret_cast<LPARAM>(this));
    return ended == IDOK ? DialogResult::Ok : DialogResult::Cancel;
}

INT_PTR CALLBACK ExclusionDialogView::Procedure(HWND dialog, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    try {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            auto* view = reinterpret_cast<ExclusionDialogView*>(lParam);
            view->dialog_ = dialog;
            view->OnInit();
            return TRUE;  // the focus goes to the list
        }
        auto* view = reinterpret_cast<ExclusionDialogView*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (view == nullptr) return FALSE;
        switch (message) {
            case WM_COMMAND: view->OnCommand(LOWORD(wParam), HIWORD(wParam)); return TRUE;
            case WM_NOTIFY: {
                LRESULT result = 0;
                if (!view->OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return FALSE;
                SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
                return TRUE;
            }
            default: return FALSE;
        }
    } catch (const std::exception&) {
        // Nothing is written: the dialog ends as if cancelled, which only sorts the file.
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
}

LRESULT CALLBACK ExclusionDialogView::ListProcedure(HWND list, UINT message, WPARAM wParam,
                                                    LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(list, &ListProcedure, kListSubclass);
    const LRESULT result = DefSubclassProc(list, message, wParam, lParam);
    if (message == WM_KEYUP) {
        auto* view = reinterpret_cast<ExclusionDialogView*>(self);
        try {
            if (const std::optional<std::size_t> selected = view->ListSelection()) {
                view->TakeRowIntoEditors(static_cast<int>(*selected));
            }
        } catch (const std::exception&) {
            // The editors keep what they showed.
        }
    }
    return result;
}

void ExclusionDialogView::OnInit() {
    list_ = GetDlgItem(dialog_, idExclusionList);
    root_ = GetDlgItem(dialog_, idExclusionRoot);
    key_ = GetDlgItem(dialog_, idExclusionKey);
    const ExclusionDialogTexts& texts = model_.Texts();
    SetText(dialog_, model_.Caption());
    SetText(GetDlgItem(dialog_, idBtExclusionAdd), texts.add);
    SetText(GetDlgItem(dialog_, idBtExclusionModify), texts.modify);
    SetText(GetDlgItem(dialog_, idBtExclusionDelete), texts.remove);
    SetText(GetDlgItem(dialog_, idBtExclusionImport), texts.import);
    SetText(GetDlgItem(dialog_, IDOK), texts.ok);
    SetText(GetDlgItem(dialog_, IDCANCEL), texts.cancel);

    syncing_ = true;
    for (const std::string& name : ExclusionRootNames()) {
        SendMessageW(root_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
    }
    SendMessageW(root_, CB_SETCURSEL, static_cast<WPARAM>(model_.cbK), 0);
    SetText(key_, model_.enK);
    syncing_ = false;

    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    RECT client{};
    GetClientRect(list_, &client);
    const int scrollBar = GetSystemMetrics(SM_CXVSCROLL);
    const int rootWidth = (client.right - client.left) * 36 / 100;
    const std::vector<std::string>& columns = model_.Columns();
    for (std::size_t index = 0; index < columns.size(); ++index) {
        std::wstring caption = Wide(columns[index]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = caption.data();
        column.cx = index == 0 ? rootWidth : (client.right - client.left) - rootWidth - scrollBar;
        column.iSubItem = static_cast<int>(index);
        SendMessageW(list_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    }
    SetWindowSubclass(list_, &ListProcedure, kListSubclass, reinterpret_cast<DWORD_PTR>(this));
    ShowRows();
}

void ExclusionDialogView::OnCommand(int id, int code) {
    switch (id) {
        case idExclusionRoot:
        case idExclusionKey:
            if (!syncing_ && (code == CBN_SELCHANGE || code == EN_CHANGE)) ReadEditors();
            return;
        case idBtExclusionAdd:
            ReadEditors();
            if (model_.btExAddClick()) ShowRows();
            return;
        case idBtExclusionModify: {
            // The row the list shows selected, and no other, takes the editors' key.
            const std::optional<std::size_t> selected = ListSelection();
            if (!selected || selected != model_.SelectedRow()) return;
            ReadEditors();
            if (model_.btExModClick()) {
                SendMessageW(list_, LVM_REDRAWITEMS, *selected, static_cast<LPARAM>(*selected));
            }
            return;
        }
        case idBtExclusionDelete: {
            const std::optional<std::size_t> selected = ListSelection();
            if (!selected || selected != model_.SelectedRow()) return;
            if (model_.btExDelClick()) ShowRows();
            return;
        }
        case idBtExclusionImport:
            model_.chooseImportFile = [this](const ImportFileRequest& request) {
                return AskImportFile(request);
            };
            if (model_.btEximpClick() > 0) ShowRows();
            return;
        case IDOK: EndDialog(dialog_, IDOK); return;
        case IDCANCEL: EndDialog(dialog_, IDCANCEL); return;
        default: return;
    }
}

bool ExclusionDialogView::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom != static_cast<UINT_PTR>(idExclusionList)) return false;
    result = 0;
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            auto& display = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header));
            const auto item = static_cast<std::size_t>(display.item.iItem);
            if ((display.item.mask & LVIF_TEXT) == 0 || item >= model_.Rows().size() ||
                display.item.pszText == nullptr || display.item.cchTextMax <= 0) {
                return true;
            }
            const ExclusionRow& row = model_.Rows()[item];
            const std::wstring text = Wide(display.item.iSubItem == 0 ? row.root : row.entry);
            const std::size_t room = static_cast<std::size_t>(display.item.cchTextMax) - 1;
            const std::size_t length = std::min(room, text.size());
            text.copy(display.item.pszText, length);
            display.item.pszText[length] = L'\0';
            return true;
        }
        case NM_CLICK: {
            const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
            int item = activate.iItem;
            if (item < 0) {
                const std::optional<std::size_t> selected = ListSelection();
                item = selected ? static_cast<int>(*selected) : -1;
            }
            if (item >= 0) TakeRowIntoEditors(item);
            EnableRowButtons();
            return true;
        }
        case NM_DBLCLK: {
            const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
            if (activate.iItem >= 0) model_.EXLDblClick(static_cast<std::size_t>(activate.iItem));
            return true;
        }
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            const bool gained = (change.uChanged & LVIF_STATE) != 0 &&
                                (change.uNewState & LVIS_SELECTED) != 0 &&
                                (change.uOldState & LVIS_SELECTED) == 0;
            if (!syncing_ && gained && change.iItem >= 0) TakeRowIntoEditors(change.iItem);
            EnableRowButtons();
            return true;
        }
        case LVN_ODSTATECHANGED: EnableRowButtons(); return true;
        case LVN_COLUMNCLICK: {
            const auto& click = reinterpret_cast<const NMLISTVIEW&>(header);
            model_.EXLColumnClick(click.iSubItem);
            sorted_ = true;
            ShowRows();
            InvalidateRect(list_, nullptr, FALSE);
            return true;
        }
        default: return false;
    }
}

void ExclusionDialogView::TakeRowIntoEditors(int item) {
    if (item < 0) return;
    model_.SelectRow(static_cast<std::size_t>(item));
    syncing_ = true;
    SendMessageW(root_, CB_SETCURSEL, static_cast<WPARAM>(model_.cbK), 0);
    SetText(key_, model_.enK);
    syncing_ = false;
}

void ExclusionDialogView::ReadEditors() {
    const LRESULT root = SendMessageW(root_, CB_GETCURSEL, 0, 0);
    model_.cbK = root == CB_ERR ? -1 : static_cast<int>(root);
    model_.enK = GetText(key_);
}

void ExclusionDialogView::ShowRows() {
    syncing_ = true;
    SendMessageW(list_, LVM_SETITEMCOUNT, model_.Rows().size(), LVSICF_NOSCROLL);
    LVITEMW clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
    if (const std::optional<std::size_t> selected = model_.SelectedRow()) {
        LVITEMW select{};
        select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        select.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list_, LVM_SETITEMSTATE, *selected, reinterpret_cast<LPARAM>(&select));
    }
    if (const std::optional<std::size_t> visible = model_.VisibleRow()) {
        SendMessageW(list_, LVM_ENSUREVISIBLE, *visible, FALSE);
    }
    if (sorted_) {
        HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
        const int sortColumn = model_.SortState().Column();
        for (int column = 0; column < 2; ++column) {
            HDITEMW item{};
            item.mask = HDI_FORMAT;
            SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column),
                         reinterpret_cast<LPARAM>(&item));
            item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
            if (column == sortColumn) {
                item.fmt |= model_.SortState().Ascending() ? HDF_SORTUP : HDF_SORTDOWN;
            }
            SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column),
                         reinterpret_cast<LPARAM>(&item));
        }
    }
    InvalidateRect(list_, nullptr, FALSE);
    syncing_ = false;
    EnableRowButtons();
}

void ExclusionDialogView::EnableRowButtons() {
    const bool selected = ListSelection().has_value();
    SetEnabled(GetDlgItem(dialog_, idBtExclusionModify), selected);
    SetEnabled(GetDlgItem(dialog_, idBtExclusionDelete), selected);
}

std::optional<std::size_t> ExclusionDialogView::ListSelection() const {
    const LRESULT item = SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (item < 0 || static_cast<std::size_t>(item) >= model_.Rows().size()) return std::nullopt;
    return static_cast<std::size_t>(item);
}

std::optional<std::string> ExclusionDialogView::AskImportFile(const ImportFileRequest& request) const {
    std::wstring filter = Wide(request.filterName);
    filter.push_back(L'\0');
    filter += Wide(request.filterMask);
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    const std::wstring proposed = Wide(request.proposedPath);
    const std::size_t slash = proposed.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"" : proposed.substr(0, slash);
    const std::wstring name = slash == std::wstring::npos ? proposed : proposed.substr(slash + 1);
    std::vector<wchar_t> file(32768, L'\0');
    name.copy(file.data(), std::min(name.size(), file.size() - 1));
    const std::wstring title = Wide(request.title);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = dialog_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = L"ini";
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                   OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    return Narrow(file.data());
}

}  // namespace

void RunExclusionDialog(ViewHost& host) {
    MainWindowModel& model = host.Model();
    if (!model.exclusions) return;
    const CaptionTable& captions = host.Captions();
    ExclusionDialogTexts texts;
    texts.add = captions.Text(CaptionId::btexadd);
    texts.modify = captions.Text(CaptionId::btexmod);
    texts.remove = captions.Text(CaptionId::btexdel);
    texts.import = captions.Text(CaptionId::bteximp);
    texts.itemsImported = captions.Text(CaptionId::ExItemsImport);
    ExclusionDialog dialog(*model.exclusions, model.prompts, model.shell.DataFolder(),
                           std::move(texts));
    dialog.openInRegistryEditor = [&model](std::string_view rootName, std::string_view keyPath) {
        (void)OpenInRegistryEditor(model.registry, model.platform.shell, rootName, keyPath);
    };
    ExclusionDialogView view(dialog);
    // A failed save leaves the file as it was; the dialog has closed and nothing is shown.
    (void)btexclude1Click(dialog, captions.Text(CaptionId::keytitle),
                          [&](ExclusionDialog&) { return view.Run(host.Frame()); });
}

}  // namespace kestrover::gui
