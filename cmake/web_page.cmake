# The web edition's page (included by the web build only): the browser backend's layer, the program
# talvessa.js + talvessa.wasm, and the page's files beside it in TALVESSA_WEB_OUTPUT (build/web/ by
# default): index.html, its script and style, the icon, the effects, the tune rendered for the page and
# the faces, the manifest and the service worker, each file with its .gz (and .br) copy. That folder is
# the whole site: any static web host serves it as it is.
#
# Before this file: the core layers, and TALVESSA_WEB_FACES (the face files the page writes into the
# program's /fonts) and the target TALVESSA_WEB_FONTS_LIBRARY (the glyph rasteriser over those files).

if(NOT DEFINED TALVESSA_WEB_OUTPUT)
  set(TALVESSA_WEB_OUTPUT ${PROJECT_SOURCE_DIR}/build/web)
endif()

# The browser backend of the four services.
talvessa_layer(web FOLDER platform/web USES platform
  SOURCES page_bridge.cpp web_audio.cpp web_input.cpp web_platform.cpp web_screen.cpp)

add_executable(talvessa_page src/web_main.cpp)
set_target_properties(talvessa_page PROPERTIES OUTPUT_NAME talvessa SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${TALVESSA_WEB_OUTPUT})
target_link_libraries(talvessa_page PRIVATE talvessa_replay talvessa_web ${TALVESSA_WEB_FONTS_LIBRARY})
# The game's loops block as on the desktop; ASYNCIFY lets their waits give the page's thread back to the
# browser. Only the functions on the way from main to a wait are instrumented: the frame skeleton and its
# waits, the loop bodies (a command may start play, whose shatter waits between its steps), and the
# services that wait (the page's, and the replay's around them). Indirect calls in them stay
# instrumented: the game waits inside virtual calls. Any other function never waits, which keeps the
# program smaller and faster; a function missing here aborts the program at its first wait.
set(may_wait "main" "__main_argc_argv" "__original_main" "__main_void"
  "talvessa::PlayGame*" "talvessa::*PlayBack*" "talvessa::RunGameStates*" "talvessa::RunPass*"
  "talvessa::BeginPass*" "talvessa::PaceFrame*" "talvessa::WaitMs*" "talvessa::DelayMs*"
  "talvessa::*Frame*" "talvessa::HandleCommand*" "talvessa::*Throw*" "talvessa::StartPlay*"
  "talvessa::ShatterScreen*" "talvessa::*::Sleep*" "talvessa::*::WaitForEvents*")
# One name a line: the names hold commas.
list(JOIN may_wait "\n" may_wait)
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/may_wait.txt CONTENT "${may_wait}")
set_property(TARGET talvessa_page APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/may_wait.txt)
# The page's script writes the faces into the program's files before it starts.
target_link_options(talvessa_page PRIVATE -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sASYNCIFY_ONLY=@${CMAKE_CURRENT_BINARY_DIR}/may_wait.txt
  -sALLOW_MEMORY_GROWTH -sEXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency)

# The tune, rendered by the fluidsynth command line with the desktop's bank and level. The desktop's
# backend renders with FluidSynth at a gain of 1.2 times the tune's share of 0.5625 (kTuneSynthGain in
# the SDL backend): 1.2 * 0.5625.
set(TALVESSA_SOUND_FONT /usr/share/sounds/sf2/TimGM6mb.sf2 CACHE FILEPATH "The General MIDI bank of the tune")
set(TALVESSA_TUNE_GAIN 0.675)
set(tune_rendering ${TALVESSA_WEB_OUTPUT}/da/bg1.ogg)
add_custom_command(OUTPUT ${tune_rendering}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TALVESSA_WEB_OUTPUT}/da
  COMMAND python3 ${PROJECT_SOURCE_DIR}/web/render_tune.py ${PROJECT_SOURCE_DIR}/assets/da/bg1.mid
          ${TALVESSA_SOUND_FONT} ${TALVESSA_TUNE_GAIN} ${tune_rendering}
  DEPENDS ${PROJECT_SOURCE_DIR}/assets/da/bg1.mid ${PROJECT_SOURCE_DIR}/web/render_tune.py
  COMMENT "Rendering the tune for the page"
  VERBATIM)

# The page's files, and how index.html names its data: the sounds as a list, the faces as links.
file(GLOB effects CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/assets/da/*.wav)
set(page_sources index.html.in page.js page.css manifest.webmanifest)
list(TRANSFORM page_sources PREPEND ${PROJECT_SOURCE_DIR}/web/)
set(page_files ${TALVESSA_WEB_OUTPUT}/page.js ${TALVESSA_WEB_OUTPUT}/page.css
  ${TALVESSA_WEB_OUTPUT}/manifest.webmanifest ${TALVESSA_WEB_OUTPUT}/icon.png ${TALVESSA_WEB_OUTPUT}/icon-32.png
  ${TALVESSA_WEB_OUTPUT}/icon-256.png ${TALVESSA_WEB_OUTPUT}/icon.svg)
set(sounds "")
foreach(effect ${effects})
  get_filename_component(name ${effect} NAME)
  list(APPEND page_files ${TALVESSA_WEB_OUTPUT}/da/${name})
  list(APPEND sounds "\"da/${name}\"")
endforeach()
list(APPEND sounds "\"da/bg1.ogg\"")
list(JOIN sounds ", " sounds)
set(TALVESSA_PAGE_SOUNDS "[${sounds}]")
set(face_links "")
foreach(face ${TALVESSA_WEB_FACES})
  get_filename_component(name ${face} NAME)
  list(APPEND page_files ${TALVESSA_WEB_OUTPUT}/fonts/${name})
  string(APPEND face_links
    "<link rel=\"preload\" href=\"fonts/${name}\" as=\"fetch\" crossorigin data-file=\"/fonts/${name}\">\n")
endforeach()
string(STRIP "${face_links}" TALVESSA_PAGE_FACES)
set(unstamped_page ${CMAKE_CURRENT_BINARY_DIR}/index.unstamped.html)
configure_file(web/index.html.in ${unstamped_page} @ONLY)

set(copy_faces "")
if(TALVESSA_WEB_FACES)
  set(copy_faces
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TALVESSA_WEB_FACES} ${TALVESSA_WEB_OUTPUT}/fonts)
endif()
add_custom_command(OUTPUT ${page_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TALVESSA_WEB_OUTPUT}/da ${TALVESSA_WEB_OUTPUT}/fonts
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/web/page.js
          ${PROJECT_SOURCE_DIR}/web/page.css ${PROJECT_SOURCE_DIR}/web/manifest.webmanifest ${TALVESSA_WEB_OUTPUT}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/assets/icons/talvessa-128.png
          ${TALVESSA_WEB_OUTPUT}/icon.png
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/assets/icons/talvessa-32.png
          ${TALVESSA_WEB_OUTPUT}/icon-32.png
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/assets/icons/talvessa-256.png
          ${TALVESSA_WEB_OUTPUT}/icon-256.png
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/assets/icons/talvessa.svg
          ${TALVESSA_WEB_OUTPUT}/icon.svg
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${effects} ${TALVESSA_WEB_OUTPUT}/da
  ${copy_faces}
  DEPENDS ${page_sources} ${effects} ${TALVESSA_WEB_FACES} ${PROJECT_SOURCE_DIR}/assets/icons/talvessa-128.png
          ${PROJECT_SOURCE_DIR}/assets/icons/talvessa-32.png ${PROJECT_SOURCE_DIR}/assets/icons/talvessa-256.png
          ${PROJECT_SOURCE_DIR}/assets/icons/talvessa.svg
  COMMENT "Copying the page's files"
  VERBATIM)
add_custom_target(page_files ALL DEPENDS ${page_files} ${tune_rendering})
add_dependencies(talvessa_page page_files)

# index.html and the service worker name every file with its version, once the program is built.
set(stamp_script ${PROJECT_SOURCE_DIR}/web/stamp_page.py)
set(worker_template ${PROJECT_SOURCE_DIR}/web/service_worker.js)
add_custom_command(OUTPUT ${TALVESSA_WEB_OUTPUT}/index.html ${TALVESSA_WEB_OUTPUT}/sw.js
  COMMAND python3 ${stamp_script} ${TALVESSA_WEB_OUTPUT} ${unstamped_page} ${worker_template}
  DEPENDS talvessa_page ${page_files} ${tune_rendering} ${unstamped_page} ${stamp_script} ${worker_template}
  COMMENT "Naming the page's files with their versions"
  VERBATIM)
add_custom_target(page_stamp ALL DEPENDS ${TALVESSA_WEB_OUTPUT}/index.html)
