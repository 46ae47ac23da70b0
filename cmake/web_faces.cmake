# The faces cut down to the characters the game prints (tools/web_faces/subset_faces.py), for the page:
# TALVESSA_WEB_FACES, one file "<family>.ttf" per alias target of src/platform/fonts/face_aliases.cpp, made
# again whenever a source of the game changes. The desktop test build makes them too, for the check that
# they draw every line the game prints.
file(GLOB_RECURSE game_sources CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/*.cpp ${PROJECT_SOURCE_DIR}/src/*.h)
set(aliases ${PROJECT_SOURCE_DIR}/src/platform/fonts/face_aliases.cpp)
file(STRINGS ${aliases} alias_lines REGEX "\\{\"[A-Za-z0-9 ]+\", *[0-9]+\\}")
set(TALVESSA_WEB_FACES_DIR ${CMAKE_BINARY_DIR}/faces)
set(TALVESSA_WEB_FACES)
foreach(line ${alias_lines})
  string(REGEX MATCHALL "\\{\"[A-Za-z0-9 ]+\"" families "${line}")
  foreach(family ${families})
    string(REGEX REPLACE "^\\{\"|\"$" "" family "${family}")
    list(APPEND TALVESSA_WEB_FACES ${TALVESSA_WEB_FACES_DIR}/${family}.ttf)
  endforeach()
endforeach()
# Debian's Python, which has Debian's fontTools (another python3 may come first on the PATH).
find_program(TALVESSA_DEBIAN_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
find_program(PYFTSUBSET pyftsubset REQUIRED)
add_custom_command(
  OUTPUT ${TALVESSA_WEB_FACES} ${TALVESSA_WEB_FACES_DIR}/characters.txt
  COMMAND ${TALVESSA_DEBIAN_PYTHON} ${PROJECT_SOURCE_DIR}/tools/web_faces/subset_faces.py
          ${PROJECT_SOURCE_DIR}/src ${aliases} ${TALVESSA_WEB_FACES_DIR}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/web_faces/subset_faces.py ${game_sources}
  COMMENT "Cutting the faces down to the characters the game prints"
  VERBATIM)
add_custom_target(web_faces ALL DEPENDS ${TALVESSA_WEB_FACES})
