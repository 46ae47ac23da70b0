// Rebuilds assets/sheet.bmp, assets/logo.bmp and the icons in assets/icons from the text sources in
// assets/art.
//   talvessa-make-assets <art folder> <output folder>
#include "make_assets/pictures.h"
#include "tool_io/tool_io.h"

int main(int argc, char** argv) {
  return talvessa::RunGenerator(argc, argv, "<art folder> <output folder>",
                                [](const char* art, const char* out) {
                                  talvessa::art::WritePictures(talvessa::art::BuildPictures(art), out);
                                });
}
