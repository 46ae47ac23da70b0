# The game's layers. Each is a library built from the sources listed for it, and sees only its own
# headers and those of the layers it uses: a layer's include root (in the build folder) links to the
# headers of its own folder alone, and a library's include path is its root and the roots of the layers it
# links. An include of a layer above, or of one beside it, therefore fails to compile; the `layers` test
# (cmake/check_layers.cmake) also refuses one written as a relative path, and SDL outside the SDL backend.
#
#   talvessa_layer(<name> FOLDER <folder under src/> [USES <layer>...] [SOURCES <file>...] [LINKS <target>...])
#
# USES names the layers whose headers the sources may include; LINKS adds other libraries.

set(TALVESSA_LAYER_ROOTS ${CMAKE_BINARY_DIR}/layers)
set(TALVESSA_LAYER_TABLE ${CMAKE_BINARY_DIR}/layers.txt)
file(WRITE ${TALVESSA_LAYER_TABLE} "")

function(talvessa_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "FOLDER" "USES;SOURCES;LINKS")
  set(root ${TALVESSA_LAYER_ROOTS}/${name})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${LAYER_FOLDER})
  # Only the headers of the folder itself: a folder below it is a layer of its own.
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${LAYER_FOLDER}/*.h)
  foreach(header ${headers})
    get_filename_component(file ${header} NAME)
    file(CREATE_LINK ${header} ${root}/${LAYER_FOLDER}/${file} SYMBOLIC)
  endforeach()

  set(uses)
  foreach(used ${LAYER_USES})
    list(APPEND uses talvessa_${used})
  endforeach()
  list(TRANSFORM LAYER_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/src/${LAYER_FOLDER}/)
  if(LAYER_SOURCES)
    add_library(talvessa_${name} STATIC ${LAYER_SOURCES})
    target_include_directories(talvessa_${name} PUBLIC ${root})
    target_link_libraries(talvessa_${name} PUBLIC ${uses} ${LAYER_LINKS})
  else()
    add_library(talvessa_${name} INTERFACE)
    target_include_directories(talvessa_${name} INTERFACE ${root})
    target_link_libraries(talvessa_${name} INTERFACE ${uses} ${LAYER_LINKS})
  endif()

  # The table the check reads: a layer a line, "<folder>: <folders it may include>".
  set(folders)
  foreach(used ${LAYER_USES})
    get_property(folder GLOBAL PROPERTY TALVESSA_LAYER_FOLDER_${used})
    list(APPEND folders ${folder})
  endforeach()
  list(JOIN folders " " folders)
  file(APPEND ${TALVESSA_LAYER_TABLE} "${LAYER_FOLDER}: ${folders}\n")
  set_property(GLOBAL PROPERTY TALVESSA_LAYER_FOLDER_${name} ${LAYER_FOLDER})
endfunction()
