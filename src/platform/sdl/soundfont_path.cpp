#include "platform/sdl/soundfont_path.h"

#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace talvessa {

namespace {

constexpr std::array<std::string_view, 6> kStandardBanks = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",     "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",   "/usr/share/soundfonts/FluidR3_GM.sf2",
    "/usr/share/soundfonts/default.sf2",      "/usr/share/sounds/sf3/default-GM.sf3",
};

bool IsBank(std::string_view path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

}  // namespace

std::string SoundFontPath(const char* listed) {
  std::string_view rest = listed != nullptr ? listed : "";
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of(";:");
    const std::string_view path = rest.substr(0, end);
    if (IsBank(path)) return std::string(path);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  for (std::string_view path : kStandardBanks) {
    if (IsBank(path)) return std::string(path);
  }
  return std::string(kStandardBanks.front());
}

}  // namespace talvessa
