// Kept for tests/sdl_sound_test.cpp, which includes it by this name; the folder lives in the test support.
#pragma once

#include "support/scratch_folder.h"
