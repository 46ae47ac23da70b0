// A program started with its standard descriptors closed finds them open on /dev/null.
#include "platform/standard_descriptors.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace talvessa {
namespace {

// In a child: closes `closed` of descriptors 0-2, mends them, and exits 0 when each of 0-2 is open, and
// each that was closed is /dev/null opened the right way round.
[[noreturn]] void CheckInChild(const std::vector<int>& closed) {
  struct stat null {};
  if (stat("/dev/null", &null) != 0) _exit(10);
  for (const int fd : closed) close(fd);
  KeepStandardDescriptorsOpen();
  for (const int fd : closed) {
    struct stat now {};
    if (fstat(fd, &now) != 0 || now.st_rdev != null.st_rdev) _exit(20 + fd);
    const int mode = fcntl(fd, F_GETFL) & O_ACCMODE;
    if (mode != (fd == 0 ? O_RDONLY : O_WRONLY)) _exit(30 + fd);
  }
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1) _exit(40 + fd);
  }
  // The next file opened takes a number above them.
  const int next = open("/dev/null", O_RDONLY);
  _exit(next > 2 ? 0 : 50);
}

TEST(StandardDescriptors, ClosedOnesAreOpenedOnDevNull) {
  for (const std::vector<int>& closed :
       std::vector<std::vector<int>>{{}, {0}, {1, 2}, {2}, {0, 1, 2}, {0, 2}}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) CheckInChild(closed);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << ::testing::PrintToString(closed) << " status " << WEXITSTATUS(status);
  }
}

}  // namespace
}  // namespace talvessa
