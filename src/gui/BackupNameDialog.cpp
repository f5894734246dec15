// The backup-name dialog, built from a template in memory so that it needs no resource file.
#include "gui/BackupNameDialog.h"

#include <cstdint>
#include <vector>

#include "gui/Controls.h"

namespace kestrover::gui {

namespace {

// An extended dialog template, written word by word.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, short width, short height, const wchar_t* font, WORD points) {
        Word(1);       // version
        Word(0xFFFF);  // extended template
        Dword(0);      // help id
        Dword(0);      // extended style
        Dword(style);
        countAt_ = words_.size();
        Word(0);  // item count, filled in as items are added
        Short(0);
        Short(0);
        Short(width);
        Short(height);
        Word(0);  // no menu
        Word(0);  // the standard dialog class
        Text(L"");
        Word(points);
        Word(FW_NORMAL);
        Word(0);  // italic and character set bytes
        Text(font);
    }

    void Item(WORD classAtom, DWORD style, short x, short y, short width, short height, int id,
              const wchar_t* title = L"") {
        AlignToDword();
        Dword(0);  // help id
        Dword(0);  // extended style
        Dword(WS_CHILD | WS_VISIBLE | style);
        Short(x);
        Short(y);
        Short(width);
        Short(height);
        Dword(static_cast<DWORD>(id));
        Word(0xFFFF);
        Word(classAtom);
        Text(title);
        Word(0);  // no creation data
        ++words_[countAt_];
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Word(WORD value) { words_.push_back(value); }
    void Short(short value) { words_.push_back(static_cast<WORD>(value)); }
    void Dword(DWORD value) {
        words_.push_back(static_cast<WORD>(value & 0xFFFF));
        words_.push_back(static_cast<WORD>(value >> 16));
    }
    void Text(const wchar_t* text) {
        for (; *text != L'\0'; ++text) words_.push_back(static_cast<WORD>(*text));
        words_.push_back(0);
    }
    void AlignToDword() {
        if (words_.size() % 2 != 0) words_.push_back(0);
    }

    std::vector<WORD> words_;
    std::size_t countAt_ = 0;
};

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;

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
