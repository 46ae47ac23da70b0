// What every program of the game does first with its process.
#pragma once

namespace talvessa {

// Opens /dev/null on each of standard input, output and error that was started closed (as some
// launchers do). Otherwise the next file or connection opened takes that number: the X connection
// becomes descriptor 2, libraries write their messages into it, and the game hangs closing the display.
// Call it first in main(), before any library opens anything.
void KeepStandardDescriptorsOpen();

}  // namespace talvessa
