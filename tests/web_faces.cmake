# The faces cut down for the web page, made in the desktop's test build too, so that the font tests can
# hold them to the desktop's faces (tests/fonts_test.cpp).
include(${PROJECT_SOURCE_DIR}/cmake/web_faces.cmake)
target_compile_definitions(talvessa_tests PRIVATE TALVESSA_WEB_FACES_DIR="${TALVESSA_WEB_FACES_DIR}")
add_dependencies(talvessa_tests web_faces)
