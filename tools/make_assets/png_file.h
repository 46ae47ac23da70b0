// PNG files written with libpng, the same bytes on every run, so the committed icons can be checked
// against their sources.
#pragma once

#include <cstdint>
#include <vector>

namespace talvessa::art {

// An 8-bit RGBA PNG: only the IHDR, IDAT and IEND chunks (no time stamp), zlib level 9, every filter
// tried per row. `rgba` holds rows top to bottom, four bytes a pixel.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba);

}  // namespace talvessa::art
