// Any bytes through the check of a whole effect WAV.
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/media_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  talvessa::WholeWave(std::span(data, size));
  return 0;
}
