// Drawing one row of the registry result list: the root in bold, the key path, the value line
// with its kind picture, the category line in its colour, the filter text highlighted, the
// stripes and the selected colour.
#pragma once

#include <string_view>

#include "gui/Controls.h"
#include "scanner/ResultCategory.h"

namespace kestrover::gui {

struct RowFonts {
    HFONT normal = nullptr;
    HFONT bold = nullptr;
    HFONT italic = nullptr;
};

struct RowPaint {
    HDC dc = nullptr;
    RECT rect{};
    bool selected = false;
    Dpi dpi;
    RowFonts fonts;
    HIMAGELIST glyphs = nullptr;
    // The text whose first occurrence in the key path, value name and data is highlighted.
    std::string_view highlight;
    const CategoryTexts* categoryTexts = nullptr;
    std::string_view defaultValueText;  // shown for the default value's empty name
    // The value's kind as the registry holds it: the string picture for string kinds.
    bool stringValue = true;
};

// Draws the row of a stored entry text. A malformed text draws what it has; nothing fails.
void PaintResultRow(const RowPaint& paint, std::string_view entryText);

// The row's height in pixels at the DPI.
int ResultRowPixelHeight(std::string_view entryText, Dpi dpi);

// How far right the row's texts reach from the row's left edge.
int ResultRowWidth(HDC dc, const RowFonts& fonts, Dpi dpi, std::string_view entryText,
                   std::string_view defaultValueText);

}  // namespace kestrover::gui
