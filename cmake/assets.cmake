# The sprite sheet, the logo and the icons: the generator that draws them from assets/art, and the build
# step that turns the committed BMP files into byte arrays compiled into the game.
#
# This file is also the embedding script itself, run as
#   cmake -DOUTPUT=<file.cpp> -DSHEET=<sheet.bmp> -DLOGO=<logo.bmp> -DICON=<icon.bmp> -P assets.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  # One function returning the file's bytes, 24 to a line.
  function(talvessa_embed_bytes file function_name out_var)
    file(READ "${file}" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x..,){24})" "\\1\n    " bytes "${bytes}")
    set(${out_var} "std::span<const std::uint8_t> ${function_name}() {
  static constexpr std::uint8_t kBytes[] = {
    ${bytes}};
  return kBytes;
}
" PARENT_SCOPE)
  endfunction()

  talvessa_embed_bytes("${SHEET}" SheetBmp sheet_code)
  talvessa_embed_bytes("${LOGO}" LogoBmp logo_code)
  talvessa_embed_bytes("${ICON}" IconBmp icon_code)
  file(WRITE "${OUTPUT}" "// Made by cmake/assets.cmake from assets/sheet.bmp, assets/logo.bmp and
// assets/icon.bmp; do not edit.
#include <cstdint>
#include <span>

namespace talvessa::embedded {

${sheet_code}
${logo_code}
${icon_code}
}  // namespace talvessa::embedded
")
  return()
endif()

# The generator; `cmake --build <dir> --target assets` redraws the committed BMP and PNG files from the
# text sources. It places the sprites by the game's own sheet layout (present/sheet.h); the tests read
# the icons back with libpng, which talvessa_png brings.
talvessa_media_generator(assets
  SOURCES tools/make_assets/art_text.cpp tools/make_assets/icons.cpp tools/make_assets/pictures.cpp
  MAIN tools/make_assets/make_pictures.cpp
  ARGS ${PROJECT_SOURCE_DIR}/assets/art ${PROJECT_SOURCE_DIR}/assets
  COMMENT "Drawing assets/sheet.bmp, assets/logo.bmp, assets/icon.bmp and assets/icons/* from assets/art"
  LINK talvessa_png talvessa_present)

set(TALVESSA_EMBEDDED_PICTURES ${CMAKE_CURRENT_BINARY_DIR}/generated/embedded_pictures.cpp)
# The window's icon is the 128-pixel one as a BMP file, which SDL reads itself: no image library loads
# before the first picture.
set(TALVESSA_WINDOW_ICON ${PROJECT_SOURCE_DIR}/assets/icon.bmp)
add_custom_command(
  OUTPUT ${TALVESSA_EMBEDDED_PICTURES}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${TALVESSA_EMBEDDED_PICTURES}
          -DSHEET=${PROJECT_SOURCE_DIR}/assets/sheet.bmp -DLOGO=${PROJECT_SOURCE_DIR}/assets/logo.bmp
          -DICON=${TALVESSA_WINDOW_ICON} -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${PROJECT_SOURCE_DIR}/assets/sheet.bmp ${PROJECT_SOURCE_DIR}/assets/logo.bmp ${TALVESSA_WINDOW_ICON}
          ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Embedding the sprite sheet, the logo and the window icon"
  VERBATIM)
# The sheet and the logo belong to the pictures of the game, the icon to its window.
add_library(talvessa_embedded STATIC ${TALVESSA_EMBEDDED_PICTURES})
target_link_libraries(talvessa_present PRIVATE talvessa_embedded)
target_link_libraries(talvessa_sdl PRIVATE talvessa_embedded)
