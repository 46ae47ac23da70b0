// What every program of the game does first with its process (the game and the tools alike).
#pragma once

#include <fcntl.h>
#include <unistd.h>

namespace talvessa {

// Opens /dev/null on each of standard input, output and error that was started closed (as some
// launchers do). Otherwise the next file or connection opened takes that number: the X connection
// becomes descriptor 2, libraries write their messages into it, and the game hangs closing the display.
// Call it first in main(), before any library opens anything.
inline void KeepStandardDescriptorsOpen() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) continue;
    // The lowest free number is `fd` itself, the lower ones being open by now.
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened != fd && opened >= 0) close(opened);
  }
}

}  // namespace talvessa
