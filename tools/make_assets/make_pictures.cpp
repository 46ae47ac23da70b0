// Rebuilds assets/sheet.bmp, assets/logo.bmp and the icons in assets/icons from the text sources in
// assets/art.
//   talvessa-make-assets <art folder> <output folder>
#include <cstdio>
#include <exception>

#include "make_assets/pictures.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <art folder> <output folder>\n", argv[0]);
    return 2;
  }
  try {
    talvessa::art::WritePictures(talvessa::art::BuildPictures(argv[1]), argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
