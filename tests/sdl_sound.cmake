# The real sound backend, listened to through SDL's disk driver: its checks, and a few hundred mutants of
# the game's tune (about two minutes, so a program of its own with a longer timeout). Run without the
# leak checker: a renderer on SDL's offscreen video driver loads graphics libraries that keep some memory
# to the end of the process (the same few kilobytes with or without sound; none of it ours).
function(talvessa_sound_program name timeout)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE talvessa_sdl talvessa_test_support GTest::gtest_main)
  # The mix and the mutants play the game's own effects and tune.
  target_compile_definitions(${name} PRIVATE TALVESSA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0" TIMEOUT ${timeout})
endfunction()
file(GLOB TALVESSA_SOUND_CHECK_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/sound/*_check.cpp)
list(FILTER TALVESSA_SOUND_CHECK_SOURCES EXCLUDE REGEX "tune_mutants_check\\.cpp$")
talvessa_sound_program(talvessa_sound_tests 30 ${TALVESSA_SOUND_CHECK_SOURCES})
talvessa_sound_program(talvessa_tune_mutants 240 ${CMAKE_CURRENT_SOURCE_DIR}/sound/tune_mutants_check.cpp)
