# The layers of src/: every include stays within what cmake/layers.cmake lets a layer see (the compiler
# already refuses most wrong ones; this also catches relative paths and SDL outside its backend), and the
# include matrix between the folders is printed.
add_test(NAME layers
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}/src -DTABLE=${TALVESSA_LAYER_TABLE}
          -P ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake)
