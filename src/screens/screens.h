// The screens outside play, each with its own frame loop that returns once it has changed GameState,
// and the shatter transition that leads from the title screen into play.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/utf8.h"  // FirstCharacters, for the typed words
#include "shell/game.h"

namespace talvessa {

// The face every screen outside play prints in.
inline constexpr const char* kBrushFace = "HG正楷書体-PRO";

// The first screen of a run: the logo revealed eight random rows a frame, 50 frames or until Space.
void RunLogoScreen(Game& game);

// The title screen: a sliding banner and prompt over a looping demo; Space starts play.
void RunAttractSequence(Game& game);
// The banner of banknotes and the game's title, in the background surface.
void DrawTitleBanner(Game& game);
// Everything of the title screen that moves, in the composition surface.
void DrawAttractDemo(Game& game);

// The title screen's last picture flies apart in 192 tiles (about 0.7 s, no events handled).
void ShatterScreen(Game& game);

// After a lost game: GAME OVER typed letter by letter, then the results; Space from frame 100.
void RunGameOverScreen(Game& game);
// The results table on the composition surface, in that surface's face.
void DrawResults(Game& game);
// The money thrown, counted in units of 10,000 yen, written with 兆, 億 and 万: 123456789 is
// "1兆2345億6789万円", 0 is "円".
std::string FormatYenAmount(std::int32_t total);
// What the money thrown costs each of Japan's 127.71 million people, to a tenth of a yen: "1.6円".
std::string FormatBurden(std::int32_t total);

// After the terrorists have left: their message typed over the veiled field; Space at frame 100.
void RunEndingScreen(Game& game);

// The end screens' veil: black lines every 4 pixels across and down.
void DrawGridVeil(Surface& surface);
// One frame of typing `text` at (x, 64) on the composition surface, shown at once: `letters` counts
// the frames typed so far, and a new character appears every `framesPerLetter` of them.
void TypeNextFrame(Game& game, std::int16_t& letters, std::string_view text, int x, int framesPerLetter);

}  // namespace talvessa
