# The sound-effect generator, run in-process by effects_test.cpp.
target_link_libraries(talvessa_tests PRIVATE talvessa_make_effects)
