// The game's text drawn by SDL_ttf from font files: the same drawing on every backend, whichever way the
// files are found (fontconfig on the desktop, a folder of fixed files in the page).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/glyphs.h"

namespace talvessa {

class FontRasterizer : public GlyphRasterizer {
 public:
  // The family that draws `utf8` in `face` at that size and weight: the first of the face's stand-ins
  // that has ink for every character of the line. Empty when none has.
  virtual std::string FamilyFor(const std::string& face, int points, bool bold, const std::string& utf8) = 0;
};

// A family standing in for one of the game's faces from a size on: below it, its strokes run together.
struct FaceTarget {
  std::string_view family;
  int fromPoints;
};
// The faces the game asks for and the families that draw them, best first.
struct FaceAlias {
  std::string_view face;
  std::vector<FaceTarget> targets;
};
const std::vector<FaceAlias>& FaceAliases();

// A font file standing in for one of the game's faces.
struct StandIn {
  std::string family;  // the alias target it was found as
  std::string path;
  int index = 0;       // the face within the file
  int fromPoints = 0;  // the smallest size it draws the face at
};

// Where the font files of the faces are.
class FaceFinder {
 public:
  virtual ~FaceFinder() = default;
  // The files for `face` at any size, best first. A name without an alias has none.
  virtual const std::vector<StandIn>& StandInsFor(const std::string& face) = 0;
};

// The rasteriser over the files `faces` finds. Fails (nullptr, `error` says why) only when SDL_ttf cannot
// start; without any usable face it still opens, every line is then refused and the game draws no text.
std::unique_ptr<FontRasterizer> OpenTtfRasterizer(std::unique_ptr<FaceFinder> faces, std::string& error);

// The file name of a family in a folder of fixed faces: "<family>.ttf".
std::string FaceFileName(std::string_view family);

// The rasteriser over the files of `folder`, each alias target as FaceFileName(family), face index 0; a
// family whose file is missing is left out, as fontconfig leaves out a face that is not installed.
std::unique_ptr<FontRasterizer> OpenFontRasterizerFromFiles(const std::string& folder, std::string& error);

}  // namespace talvessa
