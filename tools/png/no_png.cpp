// The web build's headless tool has no libpng: it hashes its pictures (--hashes) and writes none.
#include <stdexcept>

#include "png/png_file.h"

namespace talvessa {

void SavePng(const WindowPicture&, const std::string& path) {
  throw std::runtime_error("cannot write " + path + ": this build writes no PNG files (see --hashes)");
}

}  // namespace talvessa
