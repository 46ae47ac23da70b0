# The game's tune: the generator that turns the note list assets/sound/bg1.tune into the standard MIDI
# file assets/da/bg1.mid. A library, so the tests can run it in-process, and a command-line tool.
add_library(talvessa_make_tune STATIC
  tools/make_tune/note_list.cpp
  tools/make_tune/pitch_names.cpp
  tools/make_tune/smf_reader.cpp
  tools/make_tune/smf_writer.cpp)
target_include_directories(talvessa_make_tune PUBLIC tools)

add_executable(talvessa-make-tune tools/make_tune/make_tune.cpp)
target_link_libraries(talvessa-make-tune PRIVATE talvessa_make_tune)

# `cmake --build <dir> --target tune` rewrites the committed MIDI file from the note list.
add_custom_target(tune
  COMMAND talvessa-make-tune ${PROJECT_SOURCE_DIR}/assets/sound/bg1.tune ${PROJECT_SOURCE_DIR}/assets/da/bg1.mid
  COMMENT "Writing assets/da/bg1.mid from assets/sound/bg1.tune"
  VERBATIM)
