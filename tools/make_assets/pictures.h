// Builds the sprite sheet and the logo from the text sources in assets/art: every picture set on
// white in its cell and its mask derived from it, white exactly on the silhouette.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace talvessa::art {

// The two pictures as the BMP files the game embeds.
struct Pictures {
  std::vector<std::uint8_t> sheetBmp;
  std::vector<std::uint8_t> logoBmp;
};

// Reads palette.txt and the grids in `artDir`. Throws SourceError (file:line) for a faulty source, so
// nothing half-made is ever written.
Pictures BuildPictures(const std::filesystem::path& artDir);

// Writes sheet.bmp and logo.bmp into `outDir`.
void WritePictures(const Pictures& pictures, const std::filesystem::path& outDir);

// A 24-bit uncompressed bottom-up BMP with a 54-byte header; `rgb` holds rows top to bottom.
std::vector<std::uint8_t> EncodeBmp(int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace talvessa::art
