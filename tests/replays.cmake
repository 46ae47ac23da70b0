# A real game recorded in the window and verified by the headless tool: plainly, with both cores busy
# during the recording, and killed in mid-game (tests/replay_window_test.sh).
foreach(mode plain loaded killed)
  add_test(NAME replay_window_${mode}
    COMMAND xvfb-run -a -s "-screen 0 1024x768x24"
            ${CMAKE_CURRENT_SOURCE_DIR}/replay_window_test.sh $<TARGET_FILE:talvessa> $<TARGET_FILE:talvessa-headless>
            ${CMAKE_CURRENT_BINARY_DIR}/replay_window_${mode} ${mode})
  set_tests_properties(replay_window_${mode} PROPERTIES
    TIMEOUT 240 RESOURCE_LOCK xvfb ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
endforeach()

# The rules held by committed replays (tests/replays/): each must still play back exactly, check line for
# check line. A rule that changes any value of the world fails here, naming the pass and the field; a
# change meant to alter play comes with the replays recorded again (docs/replays.md).
file(GLOB TALVESSA_COMMITTED_REPLAYS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/replays/*.txt)
foreach(replay ${TALVESSA_COMMITTED_REPLAYS})
  get_filename_component(name ${replay} NAME_WE)
  add_test(NAME committed_replay_${name} COMMAND talvessa-headless --replay ${replay} --verify)
  set_tests_properties(committed_replay_${name} PROPERTIES TIMEOUT 1200 LABELS replays)
endforeach()
