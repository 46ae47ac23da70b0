# Game controllers through the real backend, with SDL's virtual controllers standing in for hardware.
# SDL hands controllers only to a window that has the keyboard, so the program runs in a window under
# Xvfb. Leak checking is off as for the other real-window tests (X and D-Bus keep a few bytes).
file(GLOB TALVESSA_PAD_CHECK_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/pads/*.cpp)
add_executable(talvessa_pad_tests ${TALVESSA_PAD_CHECK_SOURCES})
target_link_libraries(talvessa_pad_tests PRIVATE talvessa_sdl GTest::gtest_main)
add_test(NAME controllers
  COMMAND xvfb-run -a -s "-screen 0 1024x768x24" $<TARGET_FILE:talvessa_pad_tests>)
set_tests_properties(controllers PROPERTIES
  TIMEOUT 120 RESOURCE_LOCK xvfb ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;SDL_AUDIODRIVER=dummy")
