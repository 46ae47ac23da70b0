// The repository's committed assets, read whole, for the tests that hold the generators to them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace talvessa::testing {

inline const std::filesystem::path kAssets = std::filesystem::path(TALVESSA_SOURCE_DIR) / "assets";
// The tune's note list and the MIDI file made from it.
inline const std::filesystem::path kTuneNoteList = kAssets / "sound" / "bg1.tune";
inline const std::filesystem::path kTuneMidi = kAssets / "da" / "bg1.mid";

// The file's bytes; none when it cannot be read.
inline std::vector<std::uint8_t> ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace talvessa::testing
