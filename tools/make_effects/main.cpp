// Rewrites the game's sound effects assets/da/se0.wav … se8.wav from assets/sound/effects.txt.
//   talvessa-make-effects <effects.txt> <output folder>
#include "make_effects/effects.h"
#include "tool_io/tool_io.h"

int main(int argc, char** argv) {
  return talvessa::RunGenerator(argc, argv, "<effects.txt> <output folder>",
                                [](const char* text, const char* out) {
                                  talvessa::sfx::WriteEffects(talvessa::sfx::BuildEffects(text), out);
                                });
}
