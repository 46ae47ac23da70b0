// The screens outside play, each as the body of one frame of its loop (the shell runs them in its frame
// skeleton), and the pieces they share: the results table, the typing of words and the veil, and the
// shatter of the title screen into play.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "screens/stage.h"

namespace talvessa {

// The first screen of a run: the logo revealed eight random rows a frame, 50 frames or until Space.
PassEnd LogoFrame(Stage& stage);

// The title screen: a sliding banner and prompt over a looping demo; Space starts play.
PassEnd AttractFrame(Stage& stage);
// The banner of banknotes and the game's title, in the background surface.
void DrawTitleBanner(Stage& stage);
// Everything of the title screen that moves, in the composition surface.
void DrawAttractDemo(Stage& stage);

// After a lost game: GAME OVER typed letter by letter, then the results; Space from frame 100.
PassEnd GameOverFrame(Stage& stage);
// The results table on the composition surface, in that surface's face.
void DrawResults(Stage& stage);
// The money thrown, counted in units of 10,000 yen, written with 兆, 億 and 万: 123456789 is
// "1兆2345億6789万円", 0 is "円".
std::string FormatYenAmount(std::int32_t total);
// What the money thrown costs each of Japan's 127.71 million people, to a tenth of a yen: "1.6円".
std::string FormatBurden(std::int32_t total);

// After the terrorists have left: their message typed over the veiled field; Space at frame 100.
PassEnd EndingFrame(Stage& stage);

// The head of an end screen's frame: one more frame on EndCounter, and the keys polled (so that a press
// can be seen as new even before the screen takes commands). Gives the new count.
std::int16_t CountEndFrame(Stage& stage);
// The end screens' veil: black lines every 4 pixels across and down.
void DrawGridVeil(Surface& surface);
// One frame of typing `text` at (x, 64) on the composition surface, shown at once: `letters` counts
// the frames typed so far, and a new character appears every `framesPerLetter` of them.
void TypeNextFrame(Stage& stage, std::int16_t& letters, std::string_view text, int x, int framesPerLetter);

// The shatter from the title screen into play: its last picture breaks into 192 tiles of 32 x 32 that
// fly away from the centre of the field, one step every kShatterStepMs.
constexpr int kShatterSteps = 28;
constexpr std::int32_t kShatterStepMs = 25;
struct ShatterTile {
  std::int16_t homeX, homeY, velocityX, velocityY;
};
using ShatterTiles = std::array<ShatterTile, kColumns * kFieldHeight / kCell>;  // 16 columns by 12 rows
// Keeps the title screen's last picture on the background surface and shows it; gives each tile its
// speed (drawn at random).
ShatterTiles BreakTitlePicture(Stage& stage);
// Step `step` (1 to kShatterSteps) of the tiles flying apart, shown at once.
void DrawShatterStep(Stage& stage, const ShatterTiles& tiles, int step);

}  // namespace talvessa
