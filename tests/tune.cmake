# The tune generator, in-process and as the command-line tool, against its committed MIDI file.
target_link_libraries(talvessa_tests PRIVATE talvessa_make_tune)
target_compile_definitions(talvessa_tests PRIVATE TALVESSA_MAKE_TUNE="$<TARGET_FILE:talvessa-make-tune>")
add_dependencies(talvessa_tests talvessa-make-tune)
