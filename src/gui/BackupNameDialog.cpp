// The backup-name dialog, built from a template in memory so that it needs no resource file.
#include "gui/BackupNameDialog.h"

#include "gui/Controls.h"
#include "gui/DialogTemplate.h"

namespace kestrover::gui {

namespace {

struct DialogState {
    std::string caption;
    std::string label;
    std::string proposed;
    std::string result;
};

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
            case WM_INITDIALOG: {
                auto* state = reinterpret_cast<DialogState*>(lParam);
                SetWindowLongPtrW(dialog, DWLP_USER, lParam);
                SetText(dialog, state->caption);
                SetText(GetDlgItem(dialog, kBackupNameLabelId), state->label);
                HWND edit = GetDlgItem(dialog, kBackupNameEditId);
                SetText(edit, state->proposed);
                SendMessageW(edit, EM_SETSEL, 0, -1);
                SetFocus(edit);
                return FALSE;  // the focus is set
            }
            case WM_COMMAND: {
                const int id = LOWORD(wParam);
                if (id != IDOK && id != IDCANCEL) return FALSE;
                auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
                if (state != nullptr) state->result = GetText(GetDlgItem(dialog, kBackupNameEditId));
                EndDialog(dialog, id);
                return TRUE;
            }
            default: return FALSE;
        }
    } catch (...) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
}

}  // namespace

std::string RunBackupNameDialog(HWND owner, std::string_view caption, std::string_view label,
                                std::string_view proposed) {
    DialogTemplate dialog(DS_MODALFRAME | DS_SHELLFONT | DS_CENTER | WS_POPUP | WS_CAPTION |
                              WS_SYSMENU,
                          236, 58, L"MS Shell Dlg", 8);
    dialog.Item(kStaticAtom, SS_LEFT, 7, 10, 30, 8, kBackupNameLabelId);
    dialog.Item(kEditAtom, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 40, 8, 189, 12,
                kBackupNameEditId);
    dialog.Item(kButtonAtom, BS_DEFPUSHBUTTON | WS_TABSTOP, 124, 36, 50, 14, IDOK, L"OK");
    dialog.Item(kButtonAtom, BS_PUSHBUTTON | WS_TABSTOP, 179, 36, 50, 14, IDCANCEL,
                L"Cancel");

    DialogState state{std::string(caption), std::string(label), std::string(proposed),
                      std::string(proposed)};
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, &DialogProcedure,
                            reinterpret_cast<LPARAM>(&state));
    return state.result;
}

}  // namespace kestrover::gui
