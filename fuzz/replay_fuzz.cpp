// The replay reader on any bytes: it reads them or refuses them with BadReplay, and never crashes,
// hangs or reads out of bounds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "replay/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    talvessa::ParseReplay(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const talvessa::BadReplay&) {
  }
  return 0;
}
