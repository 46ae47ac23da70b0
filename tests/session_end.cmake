# A recording completed when the game is ended from outside its window: a hang-up, an interrupt, and its X
# server killed (tests/session_end_test.sh; each runs an X server of its own).
foreach(mode hangup interrupt display)
  add_test(NAME session_end_${mode}
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/session_end_test.sh $<TARGET_FILE:talvessa> $<TARGET_FILE:talvessa-headless>
            ${CMAKE_CURRENT_BINARY_DIR}/session_end_${mode} ${mode})
  set_tests_properties(session_end_${mode} PROPERTIES
    TIMEOUT 120 RESOURCE_LOCK xvfb ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
endforeach()
