// Rewrites the game's sound effects assets/da/se0.wav … se8.wav from assets/sound/effects.txt.
//   talvessa-make-effects <effects.txt> <output folder>
#include <cstdio>
#include <exception>

#include "make_effects/effects.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <effects.txt> <output folder>\n", argv[0]);
    return 2;
  }
  try {
    talvessa::sfx::WriteEffects(talvessa::sfx::BuildEffects(argv[1]), argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
