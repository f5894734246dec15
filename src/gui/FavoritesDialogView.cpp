// The favorites dialog, built from a template in memory.
#include "gui/FavoritesDialogView.h"

#include "gui/ControlIds.h"
#include "gui/Controls.h"
#include "gui/DialogTemplate.h"

namespace kestrover::gui {

namespace {

void RenderEditors(HWND window, const FavoritesDialog& dialog) {
    SetText(GetDlgItem(window, idFavoriteName), dialog.fn);
    SendMessageW(GetDlgItem(window, idFavoriteRoot), CB_SETCURSEL,
                 static_cast<WPARAM>(dialog.cbKey), 0);
    SetText(GetDlgItem(window, idFavoriteKey), dialog.kn);
}

void RenderList(HWND window, const FavoritesDialog& dialog) {
    HWND list = GetDlgItem(window, idFavoriteList);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : dialog.Names()) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
    }
    const std::optional<std::size_t> selected = dialog.Selected();
    SendMessageW(list, LB_SETCURSEL,
                 selected ? static_cast<WPARAM>(*selected) : static_cast<WPARAM>(-1), 0);
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top < 0 ? 0 : top), 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// Modify and Delete act on the chosen name.
void RenderButtons(HWND window, const FavoritesDialog& dialog) {
    const bool selected = dialog.Selected().has_value();
    EnableWindow(GetDlgItem(window, idBtFavoriteModify), selected ? TRUE : FALSE);
    EnableWindow(GetDlgItem(window, idBtFavoriteDelete), selected ? TRUE : FALSE);
}

// The editors as the user left them.
void ReadEditors(HWND window, FavoritesDialog& dialog) {
    dialog.fn = GetText(GetDlgItem(window, idFavoriteName));
    dialog.cbKey =
        static_cast<int>(SendMessageW(GetDlgItem(window, idFavoriteRoot), CB_GETCURSEL, 0, 0));
    dialog.kn = GetText(GetDlgItem(window, idFavoriteKey));
}

void Initialise(HWND window, const FavoritesDialog& dialog) {
    const FavoritesDialogTexts& texts = dialog.Texts();
    SetText(window, texts.maintitle);
    SetText(GetDlgItem(window, idFavoriteNameLabel), texts.title1);
    SetText(GetDlgItem(window, idFavoriteKeyLabel), texts.title2);
    SetText(GetDlgItem(window, idBtFavoriteAdd), texts.btAdd);
    SetText(GetDlgItem(window, idBtFavoriteModify), texts.btModify);
    SetText(GetDlgItem(window, idBtFavoriteDelete), texts.btDelete);
    SetText(GetDlgItem(window, IDCANCEL), texts.btCancel);
    HWND roots = GetDlgItem(window, idFavoriteRoot);
    for (const std::string& root : FavoriteRootNames()) {
        SendMessageW(roots, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(root).c_str()));
    }
    RenderEditors(window, dialog);
    RenderList(window, dialog);
    RenderButtons(window, dialog);
}

INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            Initialise(window, *reinterpret_cast<FavoritesDialog*>(lParam));
            SetFocus(GetDlgItem(window, idFavoriteName));
            SendMessageW(GetDlgItem(window, idFavoriteName), EM_SETSEL, 0, -1);
            return FALSE;  // the focus is set
        }
        auto* dialog = reinterpret_cast<FavoritesDialog*>(GetWindowLongPtrW(window, DWLP_USER));
        if (dialog == nullptr) return FALSE;
        if (message == WM_CLOSE) {
            EndDialog(window, IDCANCEL);
            return TRUE;
        }
        if (message != WM_COMMAND) return FALSE;
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        auto changed = [&](bool done) {
            if (!done) return;
            RenderEditors(window, *dialog);
            RenderList(window, *dialog);
            RenderButtons(window, *dialog);
        };
        switch (id) {
            case idFavoriteList: {
                const LRESULT index =
                    SendMessageW(GetDlgItem(window, idFavoriteList), LB_GETCURSEL, 0, 0);
                if (index < 0) return TRUE;
                if (code == LBN_SELCHANGE) {
                    dialog->lsFavClick(static_cast<std::size_t>(index));
                    RenderEditors(window, *dialog);
                    RenderButtons(window, *dialog);
                } else if (code == LBN_DBLCLK) {
                    changed(dialog->lsFavDblClick());
                }
                return TRUE;
            }
            case idBtFavoriteAdd:
                ReadEditors(window, *dialog);
                changed(dialog->Button1Click());
                return TRUE;
            case idBtFavoriteModify:
                ReadEditors(window, *dialog);
                changed(dialog->Button4Click());
                return TRUE;
            case idBtFavoriteDelete:
                changed(dialog->lsFavDblClick());
                return TRUE;
            case IDOK:  // Enter goes to Add, the default button: this comes from elsewhere
            case IDCANCEL:
                EndDialog(window, IDCANCEL);
                return TRUE;
            default:
                return FALSE;
        }
    } catch (...) {
        // No exception leaves the dialog's procedure; the dialog closes instead.
        EndDialog(window, IDCANCEL);
        return TRUE;
    }
}

}  // namespace

void RunFavoritesDialog(HWND owner, FavoritesDialog& dialog) {
    DialogTemplate form(
        DS_MODALFRAME | DS_SHELLFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 300, 157,
        L"MS Shell Dlg", 8);
    form.Item(kStaticAtom, SS_LEFT | SS_NOPREFIX, 7, 9, 66, 8, idFavoriteNameLabel);
    form.Item(kEditAtom, WS_BORDER | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, 76, 7, 217, 12,
              idFavoriteName);
    form.Item(kStaticAtom, SS_LEFT | SS_NOPREFIX, 7, 27, 66, 8, idFavoriteKeyLabel);
    form.Item(kComboBoxAtom, WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWNLIST, 76, 25, 100,
              100, idFavoriteRoot);
    form.Item(kEditAtom, WS_BORDER | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, 76, 42, 217, 12,
              idFavoriteKey);
    form.Item(kListBoxAtom,
              WS_BORDER | WS_TABSTOP | WS_GROUP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 7,
              62, 229, 88, idFavoriteList);
    form.Item(kButtonAtom, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 243, 62, 50, 14,
              idBtFavoriteAdd);
    form.Item(kButtonAtom, BS_PUSHBUTTON | WS_TABSTOP, 243, 80, 50, 14, idBtFavoriteModify);
    form.Item(kButtonAtom, BS_PUSHBUTTON | WS_TABSTOP, 243, 98, 50, 14, idBtFavoriteDelete);
    form.Item(kButtonAtom, BS_PUSHBUTTON | WS_TABSTOP, 243, 136, 50, 14, IDCANCEL);
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), form.Get(), owner, &DialogProcedure,
                            reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace kestrover::gui
