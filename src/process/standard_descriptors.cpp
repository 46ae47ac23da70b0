#include "process/standard_descriptors.h"

#include <fcntl.h>
#include <unistd.h>

namespace talvessa {

void KeepStandardDescriptorsOpen() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) continue;
    // The lowest free number is `fd` itself, the lower ones being open by now.
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened != fd && opened >= 0) close(opened);
  }
}

}  // namespace talvessa
