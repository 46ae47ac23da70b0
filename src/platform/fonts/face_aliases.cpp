#include "platform/fonts/fonts.h"

namespace talvessa {

// The game asks for Windows faces; these families draw them. The brush face reads only when large (the
// title); smaller texts of the screens take the Mincho, whose thin, plain strokes stay apart at 12 and 16
// points.
const std::vector<FaceAlias>& FaceAliases() {
  static const std::vector<FaceAlias> aliases = {
      {kPlayFace, {{"IPAPGothic", 0}}},
      {kScreenFace, {{"KouzanBrushFont", 20}, {"IPAPMincho", 0}}},
  };
  return aliases;
}

}  // namespace talvessa
