#include "make_assets/png_file.h"

#include <png.h>

#include <stdexcept>

namespace talvessa::art {

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// libpng reports a failure by jumping back to the setjmp here, so this function holds no object with a
// destructor that the jump could skip.
bool WriteRgba(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height, png_bytepp rows,
               std::vector<std::uint8_t>* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, AppendBytes, FlushNothing);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_set_rows(png, info, rows);
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba) {
  if (width <= 0 || height <= 0 || rgba.size() != static_cast<std::size_t>(width) * height * 4) {
    throw std::invalid_argument("EncodePng: the pixels do not fill a picture of that size");
  }
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    // libpng only reads the rows it writes; the cast drops a const its C interface cannot express.
    rows[y] = const_cast<png_bytep>(rgba.data() + static_cast<std::size_t>(y) * width * 4);
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  std::vector<std::uint8_t> out;
  const bool written = info != nullptr && WriteRgba(png, info, static_cast<png_uint_32>(width),
                                                    static_cast<png_uint_32>(height), rows.data(), &out);
  png_destroy_write_struct(&png, &info);
  if (!written) throw std::runtime_error("EncodePng: libpng could not write the picture");
  return out;
}

}  // namespace talvessa::art
