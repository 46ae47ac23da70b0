# Programs started with standard descriptors closed: the mend in-process, and the game in a real window.
target_link_libraries(talvessa_tests PRIVATE talvessa_platform)
add_test(NAME closed_descriptors
  COMMAND xvfb-run -a -s "-screen 0 1024x768x24"
          ${CMAKE_CURRENT_SOURCE_DIR}/closed_descriptors_test.sh $<TARGET_FILE:talvessa>
          ${CMAKE_CURRENT_BINARY_DIR}/closed_descriptors)
set_tests_properties(closed_descriptors PROPERTIES
  TIMEOUT 120 RESOURCE_LOCK xvfb ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
