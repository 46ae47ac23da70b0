// Any bytes through the PNG reader the tests' golden pictures go through.
#include <cstddef>
#include <cstdint>
#include <span>

#include "png/png_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  talvessa::WindowPicture picture;
  talvessa::DecodePng(std::span(data, size), picture);
  return 0;
}
