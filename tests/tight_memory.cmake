# The game started ten times under `ulimit -v 250000` (tests/tight_memory_test.sh). A build with
# AddressSanitizer cannot start under such a limit, so in the test build it reports itself skipped; it
# runs on a build without sanitizers (the release build, by hand as its header says).
add_test(NAME tight_memory
  COMMAND xvfb-run -a -s "-screen 0 1024x768x24"
          ${CMAKE_CURRENT_SOURCE_DIR}/tight_memory_test.sh $<TARGET_FILE:talvessa> ${CMAKE_CURRENT_BINARY_DIR}/tight_memory)
set_tests_properties(tight_memory PROPERTIES
  TIMEOUT 400 RESOURCE_LOCK xvfb SKIP_RETURN_CODE 77 ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
