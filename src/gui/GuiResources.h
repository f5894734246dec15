// The fonts and pictures the main window and its pages share, made for the window's DPI.
#pragma once

#include "gui/Controls.h"

namespace kestrover::gui {

// Fonts and pictures at the window's DPI; remade when the DPI changes.
struct GuiResources {
    Dpi dpi;
    UniqueGdiObject normalFont;
    UniqueGdiObject boldFont;
    UniqueGdiObject italicFont;
    UniqueGdiObject titleFont;
    UniqueGdiObject goFont;
    UniqueGdiObject logoFont;
    UniqueImageList glyphs;
    int glyphSize = 16;

    HFONT Normal() const { return static_cast<HFONT>(normalFont.get()); }
    HFONT Bold() const { return static_cast<HFONT>(boldFont.get()); }
    HFONT Italic() const { return static_cast<HFONT>(italicFont.get()); }
    HFONT Title() const { return static_cast<HFONT>(titleFont.get()); }
    HFONT Go() const { return static_cast<HFONT>(goFont.get()); }
    HFONT Logo() const { return static_cast<HFONT>(logoFont.get()); }

    // The message font of the system at dpi, and the variants made from it.
    void Create(int dotsPerInch);
};

}  // namespace kestrover::gui
