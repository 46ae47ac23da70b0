# The web build's text libraries: FreeType, HarfBuzz, SDL2's surfaces and SDL_ttf built for WebAssembly by
# scripts/web-deps from Debian's source packages (cached outside the build folder). Give
# -DTALVESSA_WEB_DEPS=<folder> to use a build of one's own; by default the script runs at configure time
# and returns at once when its cache holds the build.
if(NOT TALVESSA_WEB_DEPS)
  message(STATUS "Building or finding the web build's text libraries (scripts/web-deps)")
  execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/web-deps
    OUTPUT_VARIABLE deps_output RESULT_VARIABLE deps_status OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT deps_status EQUAL 0)
    message(FATAL_ERROR "scripts/web-deps failed (status ${deps_status})")
  endif()
  string(REGEX REPLACE ".*\n" "" TALVESSA_WEB_DEPS "${deps_output}")
  # A changed recipe configures again, and so builds the libraries again.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/scripts/web-deps)
endif()
if(NOT EXISTS ${TALVESSA_WEB_DEPS}/lib/libSDL2_ttf.a)
  message(FATAL_ERROR "${TALVESSA_WEB_DEPS} holds no SDL_ttf built for WebAssembly")
endif()
message(STATUS "Web text libraries: ${TALVESSA_WEB_DEPS}")

add_library(talvessa_text_libraries INTERFACE)
target_include_directories(talvessa_text_libraries SYSTEM INTERFACE ${TALVESSA_WEB_DEPS}/include/SDL2)
target_link_libraries(talvessa_text_libraries INTERFACE ${TALVESSA_WEB_DEPS}/lib/libSDL2_ttf.a
  ${TALVESSA_WEB_DEPS}/lib/libharfbuzz.a ${TALVESSA_WEB_DEPS}/lib/libfreetype.a
  ${TALVESSA_WEB_DEPS}/lib/libSDL2.a)

# The game throws through its loops (a closed window, the end of a run): exceptions on, everywhere.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)
