// The stored pictures: the sprite sheet `Chip` (288 x 288, a grid of 32-pixel cells) and the logo
// `LogoChip` (96 x 128), both built into the program, and the place of every picture on the sheet.
// Pictures stand on white; each mask is the picture's silhouette, white on black.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "present/surface.h"

namespace talvessa {

namespace sheet {
constexpr int kWidth = 288;
constexpr int kHeight = 288;

// The ground tile, copied whole (no mask).
constexpr int kGroundX = 192;
constexpr int kGroundY = 0;
constexpr int kGroundSize = 32;

//                                         mask      picture   size
constexpr SpriteCell kFlag{160, 160, 160, 192, 32, 32};
constexpr SpriteCell kVanA{0, 224, 0, 256, 64, 32};  // the roof marks close together
constexpr SpriteCell kVanB{64, 224, 64, 256, 64, 32};  // the roof marks near the ends
constexpr SpriteCell kFigureA1{0, 0, 0, 32, 32, 32};  // one arm raised to the right
constexpr SpriteCell kFigureA2{224, 0, 224, 32, 32, 32};  // arms out sideways
constexpr SpriteCell kFigureB1{32, 0, 32, 32, 32, 32};  // A1 mirrored
constexpr SpriteCell kFigureB2{256, 0, 256, 32, 32, 32};  // A2 mirrored
constexpr SpriteCell kVehicleDown{0, 64, 0, 96, 64, 32};
constexpr SpriteCell kVehicleUp{0, 128, 0, 160, 64, 32};
constexpr SpriteCell kLaddersAbove{224, 128, 224, 160, 64, 32};
constexpr SpriteCell kLaddersBelow{224, 192, 224, 224, 64, 32};
constexpr SpriteCell kAircraftDown{64, 0, 64, 64, 64, 64};
constexpr SpriteCell kAircraftUp{128, 0, 128, 64, 64, 64};
constexpr SpriteCell kBanknote{128, 160, 128, 192, 32, 32};
constexpr SpriteCell kBundle{32, 192, 0, 192, 32, 32};  // mask right of the picture
constexpr SpriteCell kLonePerson{64, 160, 64, 192, 32, 32};
constexpr SpriteCell kFamilyCalm{96, 160, 96, 192, 32, 32};
constexpr SpriteCell kFamilyDistress1{256, 64, 256, 96, 32, 32};
constexpr SpriteCell kFamilyDistress2{224, 64, 224, 96, 32, 32};
constexpr SpriteCell kBurstClosed{192, 160, 192, 192, 32, 32};
constexpr SpriteCell kBurstOpening{192, 96, 192, 128, 32, 32};
constexpr SpriteCell kBurstOpen{192, 32, 192, 64, 32, 32};
constexpr SpriteCell kBubble1{96, 128, 64, 128, 32, 32};  // mask right of the picture
constexpr SpriteCell kBubble2{160, 128, 128, 128, 32, 32};
}  // namespace sheet

namespace logo {
constexpr int kWidth = 96;
constexpr int kHeight = 128;
}  // namespace logo

// Reads a 24-bit uncompressed BMP (bottom-up or top-down) into a surface of its size. False, with the
// surface untouched, when the bytes are not such a picture.
bool DecodeBmp(std::span<const std::uint8_t> bytes, Surface& out);
// The pictures built into the program.
Surface LoadSheet();
Surface LoadLogo();

}  // namespace talvessa
