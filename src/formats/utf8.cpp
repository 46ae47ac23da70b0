#include "formats/utf8.h"

#include <algorithm>

namespace talvessa {

std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view utf8) {
  std::vector<char32_t> points;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = lead < 0x80           ? 1
                       : (lead >> 5) == 0x6  ? 2
                       : (lead >> 4) == 0xE  ? 3
                       : (lead >> 3) == 0x1E ? 4
                                             : 0;
    if (length == 0 || i + length > utf8.size()) return std::nullopt;
    char32_t point = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      if (!IsContinuationByte(utf8[i + k])) return std::nullopt;
      point = (point << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    if (point == 0) return std::nullopt;
    points.push_back(point);
    i += length;
  }
  return points;
}

int CountCharacters(std::string_view utf8) {
  return static_cast<int>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return !IsContinuationByte(c); }));
}

std::string_view FirstCharacters(std::string_view utf8, int count) {
  std::size_t end = 0;
  for (int taken = 0; taken < count && end < utf8.size(); ++taken) {
    ++end;
    while (end < utf8.size() && IsContinuationByte(utf8[end])) ++end;
  }
  return utf8.substr(0, end);
}

}  // namespace talvessa
