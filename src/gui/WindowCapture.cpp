// Screen pictures through a DIB section, written with the PNG encoder.
#include "gui/WindowCapture.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "gui/Controls.h"
#include "gui/PngFile.h"

namespace kestrover::gui {

bool SaveScreenAreaPng(const RECT& area, const std::string& path) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    UniqueGdiObject bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HDC memory = CreateCompatibleDC(screen);
    bool copied = false;
    if (bitmap && memory != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap.get());
        copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top,
                        SRCCOPY | CAPTUREBLT) != FALSE;
        GdiFlush();
        SelectObject(memory, old);
    }
    if (memory != nullptr) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied || bits == nullptr) return false;

    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    std::vector<std::uint8_t> rgb;
    rgb.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * static_cast<std::size_t>(height); ++i) {
        rgb.push_back(pixels[i * 4 + 2]);
        rgb.push_back(pixels[i * 4 + 1]);
        rgb.push_back(pixels[i * 4]);
    }
    const std::vector<std::uint8_t> png = EncodePng(width, height, rgb);
    std::ofstream file(std::filesystem::path(Wide(path)), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(file);
}

bool SaveWindowPng(HWND window, const std::string& path) {
    RECT area{};
    if (!GetWindowRect(window, &area)) return false;
    return SaveScreenAreaPng(area, path);
}

}  // namespace kestrover::gui
