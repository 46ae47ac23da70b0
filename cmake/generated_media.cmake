# The generators of the committed media, and the libraries they share with the headless tool and the
# tests: writing files whole and running as a command (talvessa_tool_io), PNG files (talvessa_png).
find_package(PNG REQUIRED)

add_library(talvessa_tool_io STATIC tools/tool_io/tool_io.cpp tools/tool_io/whole_file.cpp)
target_include_directories(talvessa_tool_io PUBLIC tools)
target_link_libraries(talvessa_tool_io PRIVATE talvessa_platform talvessa_formats)

# Reads and writes window pictures, so it sees the platform's screen service.
add_library(talvessa_png STATIC tools/png/png_file.cpp)
target_include_directories(talvessa_png PUBLIC tools)
target_link_libraries(talvessa_png PUBLIC PNG::PNG talvessa_platform PRIVATE talvessa_tool_io)

# talvessa_media_generator(<what> SOURCES <sources> MAIN <main source> ARGS <arguments> COMMENT <text>
#                          [LINK <libraries>])
# makes one generator of committed media: the library talvessa_make_<what> (the tests run it in-process),
# the command-line tool talvessa-make-<what> built on it, and the target <what>
# (`cmake --build <dir> --target <what>`) that runs the tool with ARGS to rewrite the committed files.
function(talvessa_media_generator what)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "MAIN;COMMENT" "SOURCES;ARGS;LINK")
  add_library(talvessa_make_${what} STATIC ${arg_SOURCES})
  target_include_directories(talvessa_make_${what} PUBLIC tools)
  target_link_libraries(talvessa_make_${what} PUBLIC talvessa_formats talvessa_tool_io ${arg_LINK})

  add_executable(talvessa-make-${what} ${arg_MAIN})
  target_link_libraries(talvessa-make-${what} PRIVATE talvessa_make_${what})

  add_custom_target(${what} COMMAND talvessa-make-${what} ${arg_ARGS} COMMENT "${arg_COMMENT}" VERBATIM)
endfunction()
