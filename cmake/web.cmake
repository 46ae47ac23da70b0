# The web build (emscripten): after the core layers, the text drawing and the headless backend, the
# pictures embedded in the game, the faces cut down for the page, the headless tool for node, and the page
# (cmake/web_page.cmake).

# The sprite sheet, the logo and the icon as byte arrays, by the same script as the desktop's.
set(TALVESSA_EMBEDDED_PICTURES ${CMAKE_CURRENT_BINARY_DIR}/generated/embedded_pictures.cpp)
set(pictures ${PROJECT_SOURCE_DIR}/assets/sheet.bmp ${PROJECT_SOURCE_DIR}/assets/logo.bmp
             ${PROJECT_SOURCE_DIR}/assets/icon.bmp)
add_custom_command(
  OUTPUT ${TALVESSA_EMBEDDED_PICTURES}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${TALVESSA_EMBEDDED_PICTURES}
          -DSHEET=${PROJECT_SOURCE_DIR}/assets/sheet.bmp -DLOGO=${PROJECT_SOURCE_DIR}/assets/logo.bmp
          -DICON=${PROJECT_SOURCE_DIR}/assets/icon.bmp
          -P ${PROJECT_SOURCE_DIR}/cmake/assets.cmake
  DEPENDS ${pictures} ${PROJECT_SOURCE_DIR}/cmake/assets.cmake
  COMMENT "Embedding the sprite sheet, the logo and the window icon"
  VERBATIM)
add_library(talvessa_embedded STATIC ${TALVESSA_EMBEDDED_PICTURES})
target_link_libraries(talvessa_present PRIVATE talvessa_embedded)

# The faces cut down to the characters the game prints (TALVESSA_WEB_FACES), drawn by talvessa_fonts.
include(cmake/web_faces.cmake)
set(TALVESSA_WEB_FONTS_LIBRARY talvessa_fonts)

# The headless tool under node: the real file system (NODERAWFS) and the faces of --fonts. It writes its
# pictures as hashes (--hashes): this build has no libpng.
add_library(talvessa_tool_io STATIC tools/tool_io/tool_io.cpp tools/tool_io/whole_file.cpp)
target_include_directories(talvessa_tool_io PUBLIC tools)
target_link_libraries(talvessa_tool_io PRIVATE talvessa_platform talvessa_formats)
add_library(talvessa_headless STATIC ${TALVESSA_HEADLESS_SOURCES} tools/headless/web_fonts.cpp
  tools/png/no_png.cpp)
target_include_directories(talvessa_headless PUBLIC tools/headless tools)
target_link_libraries(talvessa_headless PUBLIC talvessa_shell talvessa_replay talvessa_headless_platform
  talvessa_fonts talvessa_tool_io talvessa_formats)
add_executable(talvessa-headless tools/headless/main.cpp)
target_link_libraries(talvessa-headless PRIVATE talvessa_headless talvessa_platform)
target_link_options(talvessa-headless PRIVATE -sNODERAWFS=1 -sENVIRONMENT=node -sALLOW_MEMORY_GROWTH=1
  -sEXIT_RUNTIME=1)

# The page, its script and its sounds (written beside the web backend).
include(cmake/web_page.cmake OPTIONAL)
