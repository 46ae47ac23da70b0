#include "make_assets/art_text.h"

#include <fstream>
#include <sstream>

namespace talvessa::art {

namespace {

std::string Where(const std::filesystem::path& file, int line) {
  return file.string() + ":" + std::to_string(line) + ": ";
}

std::ifstream Open(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) throw SourceError(file.string() + ": cannot be read");
  return in;
}

// One line without a Windows line end, so files edited anywhere read the same.
bool NextLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool IsComment(const std::string& line) { return !line.empty() && line.front() == ';'; }

}  // namespace

Palette Palette::Read(const std::filesystem::path& file) {
  std::ifstream in = Open(file);
  Palette palette;
  bool haveTransparent = false;
  std::string line;
  for (int number = 1; NextLine(in, line); ++number) {
    if (line.empty() || IsComment(line)) continue;
    std::istringstream fields(line);
    std::string symbol;
    fields >> symbol;
    if (symbol.size() != 1) throw SourceError(Where(file, number) + "an entry starts with one character");
    const char c = symbol.front();
    if (palette.Knows(c)) throw SourceError(Where(file, number) + "'" + symbol + "' is given twice");
    std::string first;
    fields >> first;
    if (first == "transparent") {
      if (haveTransparent) throw SourceError(Where(file, number) + "only one character may be transparent");
      haveTransparent = true;
      palette.transparent_ = c;
    } else {
      std::istringstream numbers(first);
      int red = -1, green = -1, blue = -1;
      numbers >> red;
      fields >> green >> blue;
      if (!numbers || !fields || red < 0 || red > 255 || green < 0 || green > 255 || blue < 0 || blue > 255) {
        throw SourceError(Where(file, number) + "expected '" + symbol +
                          " red green blue' with values 0 to 255, or 'transparent'");
      }
      palette.colours_[Index(c)] = {static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                                    static_cast<std::uint8_t>(blue)};
    }
    palette.known_[Index(c)] = true;
  }
  if (!haveTransparent) throw SourceError(file.string() + ": no character is marked transparent");
  return palette;
}

Grid ReadGrid(const std::filesystem::path& file, const Palette& palette, int width, int height) {
  std::ifstream in = Open(file);
  Grid grid{width, height, {}, {}};
  grid.cells.reserve(static_cast<std::size_t>(width) * height);
  std::string line;
  int rows = 0;
  int number = 1;
  for (; NextLine(in, line); ++number) {
    if (IsComment(line)) continue;
    if (rows == height) {
      throw SourceError(Where(file, number) + "more than " + std::to_string(height) + " rows of pixels");
    }
    if (static_cast<int>(line.size()) != width) {
      throw SourceError(Where(file, number) + "row is " + std::to_string(line.size()) +
                        " characters wide, the picture is " + std::to_string(width));
    }
    for (std::size_t column = 0; column < line.size(); ++column) {
      if (!palette.Knows(line[column])) {
        throw SourceError(Where(file, number) + "column " + std::to_string(column + 1) + ": '" +
                          std::string(1, line[column]) + "' is not in the palette");
      }
    }
    grid.cells.insert(grid.cells.end(), line.begin(), line.end());
    grid.rowLines.push_back(number);
    ++rows;
  }
  if (rows != height) {
    throw SourceError(Where(file, number) + "only " + std::to_string(rows) +
                      " rows of pixels, the picture has " + std::to_string(height));
  }
  return grid;
}

}  // namespace talvessa::art
