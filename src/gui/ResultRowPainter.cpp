// The result list's row drawing.
#include "gui/ResultRowPainter.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "gui/Glyphs.h"
#include "scanner/ResultList.h"
#include "scanner/ScanEntry.h"

namespace kestrover::gui {

namespace {

constexpr COLORREF kStripeBackground = RGB(255, 255, 255);
constexpr COLORREF kRowSeparator = RGB(228, 228, 228);

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c; }

// The first occurrence of pattern in text ignoring ASCII case.
std::size_t FindNoCase(std::wstring_view text, std::wstring_view pattern) {
    if (pattern.empty() || pattern.size() > text.size()) return std::wstring_view::npos;
    for (std::size_t start = 0; start + pattern.size() <= text.size(); ++start) {
        std::size_t i = 0;
        while (i < pattern.size() && LowerAscii(text[start + i]) == LowerAscii(pattern[i])) ++i;
        if (i == pattern.size()) return start;
    }
    return std::wstring_view::npos;
}

// A text at (x, y), its first occurrence of highlight on the highlight colour. Each character
// is placed where the measure of the whole text puts it, so that the colour lies exactly under
// the characters it marks (glyphs drawn one way and measured another drift apart on some
// systems); the colour is laid first and the text drawn over it, so that no glyph reaching
// past its neighbour's edge (a backslash does) is painted over.
void DrawHighlighted(HDC dc, int x, int y, std::wstring_view text, std::wstring_view highlight) {
    const std::size_t found = FindNoCase(text, highlight);
    if (found == std::wstring_view::npos) {
        TextOutW(dc, x, y, text.data(), static_cast<int>(text.size()));
        return;
    }
    std::vector<int> ends(text.size());
    SIZE size{};
    GetTextExtentExPointW(dc, text.data(), static_cast<int>(text.size()), 0, nullptr, ends.data(),
                          &size);
    std::vector<int> advances(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) advances[i] = ends[i] - (i == 0 ? 0 : ends[i - 1]);
    const int start = x + (found == 0 ? 0 : ends[found - 1]);
    const int end = x + ends[found + highlight.size() - 1];
    RECT back{start, y, end, y + size.cy};
    UniqueGdiObject brush(CreateSolidBrush(ResultColour::FilterHighlight));
    FillRect(dc, &back, static_cast<HBRUSH>(brush.get()));
    ExtTextOutW(dc, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), advances.data());
}

int DataLeft(int left, int nameWidth, Dpi dpi) {
    // Short names line their data up in one column; a long name pushes its data right.
    return nameWidth < dpi(101) ? left + dpi(200) : left + nameWidth + dpi(100);
}

}  // namespace

int ResultRowPixelHeight(std::string_view entryText, Dpi dpi) {
    return dpi(ResultRowHeight(entryText));
}

void PaintResultRow(const RowPaint& paint, std::string_view entryText) {
    HDC dc = paint.dc;
    const Dpi dpi = paint.dpi;
    const ScanEntry entry = ParseScanEntry(entryText);
    const int left = paint.rect.left;
    const int top = paint.rect.top;

    COLORREF background = entry.stripe == 1 ? ResultColour::RowBackground : kStripeBackground;
    if (paint.selected) background = ResultColour::SelectedRow;
    {
        UniqueGdiObject brush(CreateSolidBrush(background));
        FillRect(dc, &paint.rect, static_cast<HBRUSH>(brush.get()));
        UniqueGdiObject line(CreateSolidBrush(kRowSeparator));
        RECT bottom = paint.rect;
        bottom.top = bottom.bottom - 1;
        FillRect(dc, &bottom, static_cast<HBRUSH>(line.get()));
    }
    SetBkMode(dc, TRANSPARENT);
    const std::wstring highlight = Wide(paint.highlight);
    HGDIOBJ oldFont = SelectObject(dc, paint.fonts.bold);

    // The root, and the state picture under it.
    SetTextColor(dc, ResultColour::Text);
    const std::wstring rootName = Wide(entry.rootName);
    TextOutW(dc, left + dpi(2), top + dpi(5), rootName.c_str(), static_cast<int>(rootName.size()));
    const CategoryAppearance category =
        DescribeCategory(entry.category, paint.categoryTexts != nullptr
                                             ? *paint.categoryTexts
                                             : CategoryTexts::Defaults());
    const Glyph state = category.stateImage == 0 ? Glyph::RegistryKey : Glyph::KeyNotDeleted;
    ImageList_Draw(paint.glyphs, static_cast<int>(state), dc, left + dpi(2), top + dpi(19),
                   ILD_TRANSPARENT);

    SelectObject(dc, paint.fonts.normal);
    DrawHighlighted(dc, left + dpi(22), top + dpi(20), Wide(entry.keyPath), highlight);

    bool valueLine = false;
    if (entry.hasValue || entry.hasData) {
        valueLine = true;
        const Glyph kind = paint.stringValue ? Glyph::StringValue : Glyph::OtherValue;
        ImageList_Draw(paint.glyphs, static_cast<int>(kind), dc, left + dpi(22), top + dpi(35),
                       ILD_TRANSPARENT);
        const std::wstring name =
            Wide(entry.valueName.empty() ? paint.defaultValueText : entry.valueName);
        DrawHighlighted(dc, left + dpi(42), top + dpi(36), name, highlight);
        if (entry.hasData) {
            const int nameWidth = MeasureText(dc, name).cx;
            DrawHighlighted(dc, DataLeft(left, nameWidth, dpi), top + dpi(36), Wide(entry.data),
                            highlight);
        }
    }

    std::wstring categoryText;
    COLORREF categoryColour = ResultColour::Grey;
    if (entry.inventoryText) {
        categoryText = Wide(*entry.inventoryText);
    } else if (category.hasLine) {
        categoryText = Wide(category.text);
        categoryColour = category.colour;
    }
    if (!categoryText.empty()) {
        SelectObject(dc, paint.fonts.italic);
        SetTextColor(dc, paint.selected ? ResultColour::Text : categoryColour);
        TextOutW(dc, left + dpi(22), top + dpi(valueLine ? 52 : 36), categoryText.c_str(),
                 static_cast<int>(categoryText.size()));
    }
    SelectObject(dc, oldFont);
}

int ResultRowWidth(HDC dc, const RowFonts& fonts, Dpi dpi, std::string_view entryText,
                   std::string_view defaultValueText) {
    const ScanEntry entry = ParseScanEntry(entryText);
    HGDIOBJ oldFont = SelectObject(dc, fonts.normal);
    int width = dpi(22) + MeasureText(dc, Wide(entry.keyPath)).cx;
    if (entry.hasValue || entry.hasData) {
        const std::wstring name =
            Wide(entry.valueName.empty() ? defaultValueText : entry.valueName);
        const int nameWidth = MeasureText(dc, name).cx;
        width = std::max(width, dpi(42) + nameWidth);
        if (entry.hasData) {
            width = std::max(width, DataLeft(0, nameWidth, dpi) +
                                        static_cast<int>(MeasureText(dc, Wide(entry.data)).cx));
        }
    }
    SelectObject(dc, oldFont);
    return width;
}

}  // namespace kestrover::gui
