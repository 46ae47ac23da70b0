# The real window and game controllers through the SDL backend. The picture's enlargement is checked on
# SDL's offscreen driver, whose window surface is plain memory; SDL's virtual controllers stand in for
# hardware, and since SDL hands controllers only to a window that has the keyboard, the program runs
# under Xvfb. Leak checking is off as for the other real-window tests (X and D-Bus keep a few bytes).
file(GLOB TALVESSA_WINDOW_CHECK_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/window/*.cpp)
add_executable(talvessa_window_tests ${TALVESSA_WINDOW_CHECK_SOURCES})
target_link_libraries(talvessa_window_tests PRIVATE talvessa_shell talvessa_sdl GTest::gtest_main)
add_test(NAME window_and_controllers
  COMMAND xvfb-run -a -s "-screen 0 1024x768x24" $<TARGET_FILE:talvessa_window_tests>)
set_tests_properties(window_and_controllers PROPERTIES
  TIMEOUT 120 RESOURCE_LOCK xvfb ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;SDL_AUDIODRIVER=dummy")
