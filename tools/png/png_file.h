// PNG files through libpng: written the same bytes on every run, so committed pictures can be held to
// their sources, and read back.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/screen.h"  // WindowPicture

namespace talvessa {

// The bytes of one pixel, 8 bits a channel.
enum class PngPixels { kRgb = 3, kRgba = 4 };

// A PNG of `pixels`, rows top to bottom: only the IHDR, IDAT and IEND chunks (no time stamp), zlib level
// 9, every filter tried per row. Throws std::invalid_argument when the pixels do not fill a picture of
// that size, std::runtime_error when libpng fails.
std::vector<std::uint8_t> EncodePng(int width, int height, PngPixels pixels,
                                    std::span<const std::uint8_t> bytes);

// Writes a window picture as an RGB PNG file at libpng's usual settings, quick enough for every frame of a
// run (the bytes the headless tool has always written), whole or not at all (see WholeFile); throws
// std::runtime_error "cannot write <path>: <reason>" when it fails.
void SavePng(const WindowPicture& picture, const std::string& path);
// Reads a PNG file of the window's size; false when it is missing, damaged or of another size.
bool LoadPng(const std::string& path, WindowPicture& picture);
// The same from the bytes of a PNG file.
bool DecodePng(std::span<const std::uint8_t> bytes, WindowPicture& picture);

}  // namespace talvessa
