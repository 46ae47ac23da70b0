# `cmake --install <build> [--prefix <prefix>]` lays the game out as Debian's games policy and the FHS
# want: the program in <prefix>/games, its data folder da/ in <prefix>/share/games/talvessa, the manual
# page, the licence in share/doc/talvessa, a desktop entry, its AppStream metadata and the flag icon at
# every size desktops ask for. The program finds its data through the path from its own folder to the data
# folder, fixed here, so a prefix moved or packaged as a whole keeps working.
# `cmake --build <build> --target uninstall` removes what the last install put in place.
set(CMAKE_INSTALL_BINDIR games CACHE PATH "Where the game's program goes (games)")
set(CMAKE_INSTALL_DOCDIR share/doc/talvessa CACHE PATH "Where the game's documents go (share/doc/talvessa)")
include(GNUInstallDirs)
set(TALVESSA_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/games/talvessa CACHE PATH
    "Where the game's data folder da/ goes (share/games/talvessa)")

file(RELATIVE_PATH TALVESSA_DATA_FROM_PROGRAM "${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}"
     "${CMAKE_INSTALL_PREFIX}/${TALVESSA_INSTALL_DATADIR}")
if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}" OR IS_ABSOLUTE "${TALVESSA_INSTALL_DATADIR}")
  file(RELATIVE_PATH TALVESSA_DATA_FROM_PROGRAM "${CMAKE_INSTALL_FULL_BINDIR}"
       "${CMAKE_INSTALL_PREFIX}/${TALVESSA_INSTALL_DATADIR}")
endif()
target_compile_definitions(talvessa_sdl PRIVATE TALVESSA_DATA_FROM_PROGRAM="${TALVESSA_DATA_FROM_PROGRAM}")

# The folders of the install that do not exist yet, recorded before anything is put in place, so that the
# uninstall removes the folders the install made and no other.
set(TALVESSA_INSTALL_FOLDERS ${CMAKE_INSTALL_BINDIR} ${TALVESSA_INSTALL_DATADIR}/da
    ${CMAKE_INSTALL_DATADIR}/applications ${CMAKE_INSTALL_DATADIR}/metainfo ${CMAKE_INSTALL_MANDIR}/man6
    ${CMAKE_INSTALL_DOCDIR} ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  list(APPEND TALVESSA_INSTALL_FOLDERS ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
string(CONFIGURE [[
  set(made "")
  foreach(folder @TALVESSA_INSTALL_FOLDERS@)
    set(path "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${folder}")
    while(NOT EXISTS "${path}")
      list(APPEND made "${path}")
      get_filename_component(path "${path}" DIRECTORY)
    endwhile()
  endforeach()
  file(APPEND "@PROJECT_BINARY_DIR@/install_folders.txt" "")
  foreach(path ${made})
    file(APPEND "@PROJECT_BINARY_DIR@/install_folders.txt" "${path}
")
  endforeach()
]] TALVESSA_RECORD_FOLDERS @ONLY)
install(CODE "${TALVESSA_RECORD_FOLDERS}")

install(TARGETS talvessa RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/da DESTINATION ${TALVESSA_INSTALL_DATADIR})
install(FILES ${PROJECT_SOURCE_DIR}/assets/talvessa.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/assets/io.github.talvessa.Talvessa.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/docs/talvessa.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
option(TALVESSA_INSTALL_LICENSE "Install LICENSE among the documents (a package carries its own copyright file)" ON)
if(TALVESSA_INSTALL_LICENSE)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
file(GLOB TALVESSA_ICONS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/assets/icons/talvessa-*.png)
foreach(icon ${TALVESSA_ICONS})
  string(REGEX REPLACE ".*talvessa-([0-9]+)\\.png$" "\\1" size "${icon}")
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME talvessa.png)
endforeach()
if(EXISTS ${PROJECT_SOURCE_DIR}/assets/icons/talvessa.svg)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/talvessa.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DMANIFEST=${PROJECT_BINARY_DIR}/install_manifest.txt
          -DFOLDERS=${PROJECT_BINARY_DIR}/install_folders.txt -P ${PROJECT_SOURCE_DIR}/cmake/uninstall.cmake
  COMMENT "Removing what the last install put in place"
  VERBATIM)
