# The nine sound effects: the synthesiser that renders assets/sound/effects.txt;
# `cmake --build <dir> --target effects` rewrites the committed WAV files assets/da/se0.wav … se8.wav.
talvessa_media_generator(effects
  SOURCES tools/make_effects/effect_text.cpp tools/make_effects/effects.cpp tools/make_effects/synth.cpp
          tools/make_effects/wav.cpp
  MAIN tools/make_effects/main.cpp
  ARGS ${PROJECT_SOURCE_DIR}/assets/sound/effects.txt ${PROJECT_SOURCE_DIR}/assets/da
  COMMENT "Synthesising assets/da/se0.wav … se8.wav from assets/sound/effects.txt")
