# `cmake --install <build> [--prefix <prefix>]`: the game keeps its sound folder da/ beside the program,
# so both go into <prefix>/libexec/talvessa/, and <prefix>/bin/talvessa links to the program there (the
# game finds its folder through the link). A desktop entry, its AppStream metadata and the flag icon make
# it a menu item and a software-centre entry; the manual page and the licence go with it.
include(GNUInstallDirs)

set(TALVESSA_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/talvessa)
install(TARGETS talvessa RUNTIME DESTINATION ${TALVESSA_PROGRAM_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/da DESTINATION ${TALVESSA_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/assets/talvessa.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/assets/io.github.talvessa.Talvessa.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/docs/talvessa.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/talvessa-32.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME talvessa.png)
install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/talvessa-128.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps RENAME talvessa.png)

# The link is relative, so the installed tree may be moved or packaged as a whole.
string(CONFIGURE [[
  set(bin "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/@CMAKE_INSTALL_BINDIR@")
  file(RELATIVE_PATH target "${bin}" "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/@TALVESSA_PROGRAM_DIR@/talvessa")
  file(MAKE_DIRECTORY "${bin}")
  file(CREATE_LINK "${target}" "${bin}/talvessa" SYMBOLIC)
  message(STATUS "Linking: ${bin}/talvessa -> ${target}")
]] TALVESSA_LINK_CODE @ONLY)
install(CODE "${TALVESSA_LINK_CODE}")
