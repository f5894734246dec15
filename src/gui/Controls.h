// Thin helpers over the Win32 controls: creation, UTF-8 texts, state changes that only touch a
// control when its state really changes (so that a render pass does not flicker), DPI scaling,
// and owners of GDI objects.
#pragma once

#include <string>
#include <string_view>

#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

#include <commctrl.h>

namespace kestrover::gui {

struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type object) noexcept { ::DeleteObject(object); }
};
using UniqueGdiObject = win32::UniqueResource<GdiObjectTraits>;

struct MenuTraits {
    using Type = HMENU;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type menu) noexcept { ::DestroyMenu(menu); }
};
using UniqueMenu = win32::UniqueResource<MenuTraits>;

struct ImageListTraits {
    using Type = HIMAGELIST;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type list) noexcept;
};
using UniqueImageList = win32::UniqueResource<ImageListTraits>;

// A length in pixels at 96 dots per inch, scaled for the window's DPI.
struct Dpi {
    int dotsPerInch = 96;
    int operator()(int pixels) const { return MulDiv(pixels, dotsPerInch, 96); }
};

HWND CreateControl(HWND parent, const wchar_t* className, int id, DWORD style, DWORD exStyle = 0);

std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);

// Sets the text only when it differs, so that an unchanged label is not repainted.
void SetText(HWND control, std::string_view text);
std::string GetText(HWND control);

void SetEnabled(HWND control, bool enabled);
void SetVisible(HWND control, bool visible);
void SetChecked(HWND control, bool checked);
bool IsChecked(HWND control);
void MoveControl(HWND control, int x, int y, int width, int height);
void SetFont(HWND control, HFONT font);

// The width and height of a text in a font.
SIZE MeasureText(HDC dc, std::wstring_view text);

}  // namespace kestrover::gui
