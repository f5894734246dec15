// A PNG writer for screenshots: 8-bit RGB pixels in stored (uncompressed) deflate blocks, so
// that no compression library is needed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrover::gui {

// The file's bytes for an image of width x height pixels; rgb holds the rows top to bottom,
// three bytes a pixel. Empty when the sizes do not match the pixels.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace kestrover::gui
