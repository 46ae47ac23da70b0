// Builds the sprite sheet, the logo and the icons from the text sources in assets/art: every sprite set
// on white in its cell and its mask derived from it, white exactly on the silhouette.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "make_assets/icons.h"

namespace talvessa::art {

// The sheet and the logo as the BMP files the game embeds, and the icons as PNG files.
struct Pictures {
  std::vector<std::uint8_t> sheetBmp;
  std::vector<std::uint8_t> logoBmp;
  IconFiles icons;
};

// Reads palette.txt and the grids in `artDir`. Throws SourceError (file:line) for a faulty source, so
// nothing half-made is ever written.
Pictures BuildPictures(const std::filesystem::path& artDir);

// Writes sheet.bmp, logo.bmp, icon.bmp, icons/talvessa-<size>.png and icons/talvessa.svg into `outDir`.
void WritePictures(const Pictures& pictures, const std::filesystem::path& outDir);

// A 24-bit uncompressed bottom-up BMP with a 54-byte header; `rgb` holds rows top to bottom.
std::vector<std::uint8_t> EncodeBmp(int width, int height, const std::vector<std::uint8_t>& rgb);
// The same of 3 channels (`pixels` red, green, blue) or of 4 (and alpha: a 32-bit BMP with a version 4
// header and its colour masks, as SDL reads one).
std::vector<std::uint8_t> EncodeBmp(int width, int height, int channels, const std::vector<std::uint8_t>& pixels);

}  // namespace talvessa::art
