// DialogTemplate: an extended dialog template written word by word in memory, so that the
// program's dialogs need no resource file.
#pragma once

#include <string_view>
#include <vector>

#include "platform/win32/WindowsApi.h"

namespace kestrover::gui {

// The atoms of the standard control classes in a template.
inline constexpr WORD kButtonAtom = 0x0080;
inline constexpr WORD kEditAtom = 0x0081;
inline constexpr WORD kStaticAtom = 0x0082;
inline constexpr WORD kListBoxAtom = 0x0083;
inline constexpr WORD kComboBoxAtom = 0x0085;

class DialogTemplate {
public:
    // Sizes are dialog units; font is the dialog's face (with DS_SHELLFONT the system's).
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

    // A control of a standard class, by its atom.
    void Item(WORD classAtom, DWORD style, short x, short y, short width, short height, int id,
              const wchar_t* title = L"", DWORD exStyle = 0) {
        Header(style, x, y, width, height, id, exStyle);
        Word(0xFFFF);
        Word(classAtom);
        Finish(title);
    }

    // A control of any registered class, by its name ("SysListView32").
    void Item(std::wstring_view className, DWORD style, short x, short y, short width,
              short height, int id, const wchar_t* title = L"", DWORD exStyle = 0) {
        Header(style, x, y, width, height, id, exStyle);
        for (wchar_t character : className) words_.push_back(static_cast<WORD>(character));
        Word(0);
        Finish(title);
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Header(DWORD style, short x, short y, short width, short height, int id, DWORD exStyle) {
        AlignToDword();
        Dword(0);  // help id
        Dword(exStyle);
        Dword(WS_CHILD | WS_VISIBLE | style);
        Short(x);
        Short(y);
        Short(width);
        Short(height);
        Dword(static_cast<DWORD>(id));
    }
    void Finish(const wchar_t* title) {
        Text(title);
        Word(0);  // no creation data
        ++words_[countAt_];
    }
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

}  // namespace kestrover::gui
