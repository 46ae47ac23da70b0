# The real sound backend, listened to through SDL's disk driver. A program of its own, run without the
# leak checker: a renderer on SDL's offscreen video driver loads graphics libraries that keep some
# memory to the end of the process (the same few kilobytes with or without sound; none of it ours).
file(GLOB TALVESSA_SOUND_CHECK_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/sound/*.cpp)
list(FILTER TALVESSA_SOUND_CHECK_SOURCES EXCLUDE REGEX "tune_mutants_check\\.cpp$")
add_executable(talvessa_sound_tests ${TALVESSA_SOUND_CHECK_SOURCES})
target_link_libraries(talvessa_sound_tests PRIVATE talvessa_sdl talvessa_test_support GTest::gtest_main)
# The mix checks listen to the game's own effects and tune.
target_compile_definitions(talvessa_sound_tests PRIVATE TALVESSA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
gtest_discover_tests(talvessa_sound_tests DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0" TIMEOUT 30)

# A few hundred mutants of the game's tune, each played as the game plays it: about a minute, so a
# program of its own with a longer timeout.
add_executable(talvessa_tune_mutants ${CMAKE_CURRENT_SOURCE_DIR}/sound/tune_mutants_check.cpp)
target_link_libraries(talvessa_tune_mutants PRIVATE talvessa_sdl talvessa_test_support GTest::gtest_main)
target_compile_definitions(talvessa_tune_mutants PRIVATE TALVESSA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
gtest_discover_tests(talvessa_tune_mutants DISCOVERY_TIMEOUT 60
  PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0" TIMEOUT 240)
