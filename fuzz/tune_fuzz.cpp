// Any bytes through the tune check the sound backend runs before the synthesiser may see a tune.
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/media_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  talvessa::IsPlayableTune(std::span(data, size));
  return 0;
}
