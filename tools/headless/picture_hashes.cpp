#include <cstdio>

#include "headless.h"

namespace talvessa {

std::string PictureHashLine(const WindowPicture& picture, std::uint64_t number) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const std::uint8_t byte : picture.rgb) hash = (hash ^ byte) * 1099511628211ull;
  char line[48];
  std::snprintf(line, sizeof line, "%llu %016llx\n", static_cast<unsigned long long>(number),
                static_cast<unsigned long long>(hash));
  return line;
}

}  // namespace talvessa
