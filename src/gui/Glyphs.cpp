// The glyphs, drawn with GDI on a magenta background that the image list makes transparent.
#include "gui/Glyphs.h"

#include <commctrl.h>

#include <array>
#include <vector>

namespace kestrover::gui {

namespace {

constexpr COLORREF kTransparent = RGB(255, 0, 255);

// Drawing in a 16 x 16 design grid, scaled to the glyph's size.
class Canvas {
public:
    Canvas(HDC dc, int size) : dc_(dc), size_(size) {}

    int S(int units) const { return MulDiv(units, size_, 16); }

    void Fill(int left, int top, int right, int bottom, COLORREF colour) {
        RECT rect{S(left), S(top), S(right), S(bottom)};
        UniqueGdiObject brush(CreateSolidBrush(colour));
        FillRect(dc_, &rect, static_cast<HBRUSH>(brush.get()));
    }
    void Frame(int left, int top, int right, int bottom, COLORREF colour) {
        RECT rect{S(left), S(top), S(right), S(bottom)};
        UniqueGdiObject brush(CreateSolidBrush(colour));
        FrameRect(dc_, &rect, static_cast<HBRUSH>(brush.get()));
    }
    void Line(std::initializer_list<POINT> points, COLORREF colour, int width) {
        UniqueGdiObject pen(CreatePen(PS_SOLID, std::max(1, S(width)), colour));
        HGDIOBJ old = SelectObject(dc_, pen.get());
        bool first = true;
        for (POINT point : points) {
            if (first) {
                MoveToEx(dc_, S(point.x), S(point.y), nullptr);
                first = false;
            } else {
                LineTo(dc_, S(point.x), S(point.y));
            }
        }
        SelectObject(dc_, old);
    }
    void Disc(int left, int top, int right, int bottom, COLORREF colour) {
        UniqueGdiObject brush(CreateSolidBrush(colour));
        UniqueGdiObject pen(CreatePen(PS_SOLID, 1, colour));
        HGDIOBJ oldBrush = SelectObject(dc_, brush.get());
        HGDIOBJ oldPen = SelectObject(dc_, pen.get());
        Ellipse(dc_, S(left), S(top), S(right), S(bottom));
        SelectObject(dc_, oldBrush);
        SelectObject(dc_, oldPen);
    }
    void Polygon(std::initializer_list<POINT> points, COLORREF fill, COLORREF edge) {
        std::vector<POINT> scaled;
        for (POINT point : points) scaled.push_back(POINT{S(point.x), S(point.y)});
        UniqueGdiObject brush(CreateSolidBrush(fill));
        UniqueGdiObject pen(CreatePen(PS_SOLID, 1, edge));
        HGDIOBJ oldBrush = SelectObject(dc_, brush.get());
        HGDIOBJ oldPen = SelectObject(dc_, pen.get());
        ::Polygon(dc_, scaled.data(), static_cast<int>(scaled.size()));
        SelectObject(dc_, oldBrush);
        SelectObject(dc_, oldPen);
    }
    void Text(const wchar_t* text, COLORREF colour, int height, int weight) {
        UniqueGdiObject font(CreateFontW(-S(height), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                         NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Tahoma"));
        HGDIOBJ old = SelectObject(dc_, font.get());
        SetBkMode(dc_, TRANSPARENT);
        SetTextColor(dc_, colour);
        RECT rect{0, 0, size_, size_};
        DrawTextW(dc_, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc_, old);
    }

private:
    HDC dc_;
    int size_;
};

void Folder(Canvas& canvas, COLORREF body) {
    constexpr COLORREF kEdge = RGB(160, 120, 30);
    canvas.Fill(1, 3, 7, 5, body);
    canvas.Frame(1, 3, 7, 5, kEdge);
    canvas.Fill(1, 4, 15, 14, body);
    canvas.Frame(1, 4, 15, 14, kEdge);
}

void Cross(Canvas& canvas) {
    canvas.Disc(7, 7, 16, 16, RGB(200, 30, 30));
    canvas.Line({{9, 9}, {14, 14}}, RGB(255, 255, 255), 2);
    canvas.Line({{14, 9}, {9, 14}}, RGB(255, 255, 255), 2);
}

void Check(Canvas& canvas, COLORREF disc) {
    canvas.Disc(7, 7, 16, 16, disc);
    canvas.Line({{9, 11}, {11, 13}, {14, 9}}, RGB(255, 255, 255), 2);
}

void Plus(Canvas& canvas) {
    canvas.Disc(7, 7, 16, 16, RGB(30, 140, 60));
    canvas.Line({{11, 9}, {11, 14}}, RGB(255, 255, 255), 2);
    canvas.Line({{9, 11}, {14, 11}}, RGB(255, 255, 255), 2);
}

void Draw(Glyph glyph, Canvas& canvas) {
    constexpr COLORREF kFolder = RGB(245, 205, 95);
    switch (glyph) {
        case Glyph::RegistryKey:
            canvas.Fill(2, 2, 14, 14, RGB(60, 110, 180));
            canvas.Fill(4, 4, 8, 8, RGB(255, 255, 255));
            canvas.Fill(9, 4, 12, 8, RGB(160, 195, 235));
            canvas.Fill(4, 9, 12, 12, RGB(160, 195, 235));
            return;
        case Glyph::KeyNotDeleted:
            canvas.Fill(1, 1, 12, 12, RGB(60, 110, 180));
            Cross(canvas);
            return;
        case Glyph::StringValue:
            canvas.Text(L"ab", RGB(180, 40, 40), 11, FW_BOLD);
            return;
        case Glyph::OtherValue:
            canvas.Text(L"01", RGB(30, 80, 170), 10, FW_BOLD);
            return;
        case Glyph::KeyInBackup: Folder(canvas, kFolder); return;
        case Glyph::KeyCreated:
            Folder(canvas, kFolder);
            Plus(canvas);
            return;
        case Glyph::KeyWritable:
            Folder(canvas, kFolder);
            Check(canvas, RGB(30, 140, 60));
            return;
        case Glyph::KeyFailed:
            Folder(canvas, kFolder);
            Cross(canvas);
            return;
        case Glyph::ValueRestored:
            canvas.Text(L"ab", RGB(30, 120, 50), 11, FW_BOLD);
            return;
        case Glyph::ValueViewOnly:
            canvas.Text(L"ab", RGB(110, 110, 110), 11, FW_BOLD);
            return;
        case Glyph::ValueTooLong:
            canvas.Fill(3, 7, 5, 9, RGB(110, 110, 110));
            canvas.Fill(7, 7, 9, 9, RGB(110, 110, 110));
            canvas.Fill(11, 7, 13, 9, RGB(110, 110, 110));
            return;
        case Glyph::BackupFile:
            canvas.Fill(3, 1, 13, 15, RGB(255, 255, 255));
            canvas.Frame(3, 1, 13, 15, RGB(90, 90, 90));
            canvas.Fill(3, 1, 13, 4, RGB(60, 110, 180));
            canvas.Line({{5, 7}, {11, 7}}, RGB(120, 120, 120), 1);
            canvas.Line({{5, 9}, {11, 9}}, RGB(120, 120, 120), 1);
            canvas.Line({{5, 11}, {9, 11}}, RGB(120, 120, 120), 1);
            return;
        case Glyph::MenuExport:
            canvas.Fill(1, 1, 10, 15, RGB(255, 255, 255));
            canvas.Frame(1, 1, 10, 15, RGB(90, 90, 90));
            canvas.Line({{3, 4}, {8, 4}}, RGB(120, 120, 120), 1);
            canvas.Line({{3, 6}, {8, 6}}, RGB(120, 120, 120), 1);
            canvas.Polygon({{7, 8}, {11, 8}, {11, 5}, {15, 10}, {11, 15}, {11, 12}, {7, 12}},
                           RGB(40, 150, 70), RGB(25, 110, 50));
            return;
        case Glyph::MenuExclude:
            canvas.Disc(1, 1, 15, 15, RGB(205, 35, 35));
            canvas.Fill(4, 7, 12, 9, RGB(255, 255, 255));
            return;
        case Glyph::MenuDelete:
            canvas.Line({{3, 3}, {12, 12}}, RGB(200, 30, 30), 3);
            canvas.Line({{12, 3}, {3, 12}}, RGB(200, 30, 30), 3);
            return;
        case Glyph::MenuOwnership: {
            constexpr COLORREF kGold = RGB(200, 150, 30);
            canvas.Disc(0, 4, 8, 12, kGold);
            canvas.Disc(2, 6, 5, 9, kTransparent);
            canvas.Fill(7, 7, 15, 9, kGold);
            canvas.Fill(11, 9, 13, 12, kGold);
            canvas.Fill(13, 9, 15, 11, kGold);
            return;
        }
        case Glyph::MenuFavorite:
            canvas.Polygon({{8, 1}, {10, 6}, {15, 6}, {11, 9}, {13, 15}, {8, 11}, {3, 15}, {5, 9},
                            {1, 6}, {6, 6}},
                           RGB(250, 200, 40), RGB(190, 140, 20));
            return;
        case Glyph::Count: return;
    }
}

}  // namespace

UniqueImageList CreateGlyphList(int size) {
    constexpr int kCount = static_cast<int>(Glyph::Count);
    UniqueImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, kCount, 0));
    if (!list) return list;

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    UniqueGdiObject strip(CreateCompatibleBitmap(screen, size * kCount, size));
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, strip.get());
    RECT all{0, 0, size * kCount, size};
    UniqueGdiObject background(CreateSolidBrush(kTransparent));
    FillRect(dc, &all, static_cast<HBRUSH>(background.get()));
    for (int index = 0; index < kCount; ++index) {
        // Each glyph draws in its own cell: the origin moves, the design grid stays.
        SetViewportOrgEx(dc, index * size, 0, nullptr);
        Canvas canvas(dc, size);
        Draw(static_cast<Glyph>(index), canvas);
    }
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_AddMasked(list.get(), static_cast<HBITMAP>(strip.get()), kTransparent);
    return list;
}

}  // namespace kestrover::gui
