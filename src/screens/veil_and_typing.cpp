// What the two end screens share: the head of their frames, the grid veil over the last picture, and
// words typed a letter at a time.
#include "screens/screens.h"

#include "formats/utf8.h"

namespace talvessa {

std::int16_t CountEndFrame(Stage& stage) {
  stage.run.EndCounter = static_cast<std::int16_t>(stage.run.EndCounter + 1);
  stage.commands.pollKeys(stage);
  return stage.run.EndCounter;
}

void DrawGridVeil(Surface& surface) {
  // Lines from 0 to 576 and 0 to 384, both ends drawn, every fourth pixel.
  for (int y = 0; y <= 384; y += 4) FillRect(surface, 0, y, 577, 1, kBlack);
  for (int x = 0; x <= 576; x += 4) FillRect(surface, x, 0, 1, 385, kBlack);
}

void TypeNextFrame(Stage& stage, std::int16_t& letters, std::string_view text, int x, int framesPerLetter) {
  letters = static_cast<std::int16_t>(letters + 1);
  // Each frame reprints the typed part in place, so the picture changes only when a letter is added.
  stage.screens.TypedText = FirstCharacters(text, letters / framesPerLetter + 1);
  PrintText(stage.text, stage.Display[kComposition], x, 64, 16, true, kWhite, stage.screens.TypedText);
  CopyRegion(stage.Display, kComposition, kVisible, 0, 0, region::kWindowRight, region::kFieldBottom);
}

}  // namespace talvessa
