#include "png/png_file.h"

#include <png.h>

#include <optional>
#include <stdexcept>

#include "tool_io/tool_io.h"

namespace talvessa {

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// libpng reports a failure by jumping back to the setjmp here, so this function holds no object with a
// destructor that the jump could skip.
bool WriteRows(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height, int colourType,
               bool smallest, png_bytepp rows, std::vector<std::uint8_t>* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, AppendBytes, FlushNothing);
  png_set_IHDR(png, info, width, height, 8, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (smallest) {
    png_set_compression_level(png, 9);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  }
  png_set_rows(png, info, rows);
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

// The PNG file, or nothing when libpng fails; the pixels fill the picture. Packed as small as zlib can,
// or quicker at libpng's usual settings.
std::optional<std::vector<std::uint8_t>> Encode(int width, int height, PngPixels pixels,
                                                std::span<const std::uint8_t> bytes, bool smallest) {
  const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(pixels);
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    // libpng only reads the rows it writes; the cast drops a const its C interface cannot express.
    rows[y] = const_cast<png_bytep>(bytes.data() + static_cast<std::size_t>(y) * stride);
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  std::vector<std::uint8_t> out;
  const int colourType = pixels == PngPixels::kRgba ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
  const bool written =
      info != nullptr && WriteRows(png, info, static_cast<png_uint_32>(width),
                                   static_cast<png_uint_32>(height), colourType, smallest, rows.data(), &out);
  png_destroy_write_struct(&png, &info);
  if (!written) return std::nullopt;
  return out;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(int width, int height, PngPixels pixels,
                                    std::span<const std::uint8_t> bytes) {
  if (width <= 0 || height <= 0 ||
      bytes.size() != static_cast<std::size_t>(width) * height * static_cast<std::size_t>(pixels)) {
    throw std::invalid_argument("EncodePng: the pixels do not fill a picture of that size");
  }
  std::optional<std::vector<std::uint8_t>> png = Encode(width, height, pixels, bytes, true);
  if (!png) throw std::runtime_error("EncodePng: libpng could not write the picture");
  return std::move(*png);
}

void SavePng(const WindowPicture& picture, const std::string& path) {
  const std::optional<std::vector<std::uint8_t>> png =
      Encode(WindowPicture::kWidth, WindowPicture::kHeight, PngPixels::kRgb, picture.rgb, false);
  if (!png) throw std::runtime_error("cannot write " + path + ": libpng could not encode the picture");
  WriteFile(path, *png);
}

namespace {

// Reads the picture whose header `image` has begun to read, when it is of the window's size; frees it.
bool FinishRead(png_image& image, bool begun, WindowPicture& picture) {
  bool read = begun && image.width == WindowPicture::kWidth && image.height == WindowPicture::kHeight;
  if (read) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(WindowPicture::kWidth) * WindowPicture::kHeight *
                                  3);
    image.format = PNG_FORMAT_RGB;  // whatever the file holds
    read = png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
    if (read) picture.rgb = std::move(rgb);
  }
  png_image_free(&image);
  return read;
}

}  // namespace

bool LoadPng(const std::string& path, WindowPicture& picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  return FinishRead(image, png_image_begin_read_from_file(&image, path.c_str()) != 0, picture);
}

bool DecodePng(std::span<const std::uint8_t> bytes, WindowPicture& picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  return FinishRead(image, png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) != 0,
                    picture);
}

}  // namespace talvessa
