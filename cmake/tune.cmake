# The game's tune: the generator that turns the note list assets/sound/bg1.tune into the standard MIDI
# file assets/da/bg1.mid; `cmake --build <dir> --target tune` rewrites the committed file.
talvessa_media_generator(tune
  SOURCES tools/make_tune/note_list.cpp tools/make_tune/pitch_names.cpp tools/make_tune/smf_writer.cpp
  MAIN tools/make_tune/make_tune.cpp
  ARGS ${PROJECT_SOURCE_DIR}/assets/sound/bg1.tune ${PROJECT_SOURCE_DIR}/assets/da/bg1.mid
  COMMENT "Writing assets/da/bg1.mid from assets/sound/bg1.tune")
