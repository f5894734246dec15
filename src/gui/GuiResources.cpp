// Fonts from the system's message font, and the glyphs, at a DPI.
#include "gui/GuiResources.h"

#include "gui/Glyphs.h"

namespace kestrover::gui {

namespace {

LOGFONTW MessageFont(int dotsPerInch) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                   static_cast<UINT>(dotsPerInch))) {
        return metrics.lfMessageFont;
    }
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font = metrics.lfMessageFont;
        font.lfHeight = MulDiv(font.lfHeight, dotsPerInch, 96);
        return font;
    }
    font.lfHeight = -MulDiv(9, dotsPerInch, 72);
    font.lfWeight = FW_NORMAL;
    wcscpy(font.lfFaceName, L"Tahoma");
    return font;
}

UniqueGdiObject Variant(LOGFONTW font, int weight, bool italic, int heightPercent) {
    font.lfWeight = weight;
    font.lfItalic = italic ? TRUE : FALSE;
    font.lfHeight = MulDiv(font.lfHeight, heightPercent, 100);
    font.lfQuality = CLEARTYPE_QUALITY;
    return UniqueGdiObject(CreateFontIndirectW(&font));
}

}  // namespace

void GuiResources::Create(int dotsPerInch) {
    dpi = Dpi{dotsPerInch};
    const LOGFONTW base = MessageFont(dotsPerInch);
    normalFont = Variant(base, FW_NORMAL, false, 100);
    boldFont = Variant(base, FW_BOLD, false, 100);
    italicFont = Variant(base, FW_NORMAL, true, 100);
    titleFont = Variant(base, FW_BOLD, false, 140);
    goFont = Variant(base, FW_BOLD, false, 160);
    logoFont = Variant(base, FW_BOLD, false, 190);
    glyphSize = dpi(16);
    glyphs = CreateGlyphList(glyphSize);
}

}  // namespace kestrover::gui
