# The nine sound effects: the synthesiser that renders assets/sound/effects.txt, as a library (so the
# tests can run it in-process) and a command-line tool, and the target that rewrites the committed WAV
# files.
add_library(talvessa_make_effects STATIC
  tools/make_effects/effect_text.cpp
  tools/make_effects/effects.cpp
  tools/make_effects/synth.cpp
  tools/make_effects/wav.cpp)
target_include_directories(talvessa_make_effects PUBLIC tools)

add_executable(talvessa-make-effects tools/make_effects/main.cpp)
target_link_libraries(talvessa-make-effects PRIVATE talvessa_make_effects)

# `cmake --build <dir> --target effects` renders assets/da/se0.wav … se8.wav from the parameters.
add_custom_target(effects
  COMMAND talvessa-make-effects ${PROJECT_SOURCE_DIR}/assets/sound/effects.txt ${PROJECT_SOURCE_DIR}/assets/da
  COMMENT "Synthesising assets/da/se0.wav … se8.wav from assets/sound/effects.txt"
  VERBATIM)
