// Opening a file to write into, the same way in every program of the game: never waiting for anything.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace talvessa {

// Opens `path` to write into (O_WRONLY, O_CLOEXEC and `flags`, such as O_CREAT | O_TRUNC) and returns its
// stream, or null with `why` saying in a few words why not. The open answers at once: a plain one waits
// for ever on a pipe nobody reads, or on a line device for its carrier. A regular file, a pipe with a
// reader (`--trace /dev/stdout | less`), a terminal or /dev/null are then written as usual, the writes
// waiting for the reader as a pipe's always do; a folder, a disk and a socket are refused.
inline std::FILE* OpenToWrite(const char* path, int flags, std::string& why) {
  const int fd = open(path, O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | flags, 0666);
  struct stat file {};
  if (fd < 0) {
    const int error = errno;
    const bool named = stat(path, &file) == 0;
    if (error == EISDIR) {
      why = "a folder, not a file";
    } else if (error == ENXIO && named && S_ISFIFO(file.st_mode)) {
      why = "a pipe that nothing reads";
    } else if (error == ENXIO && named && S_ISSOCK(file.st_mode)) {
      why = "a socket, not a file";
    } else {
      why = std::strerror(error);
    }
    return nullptr;
  }
  if (fstat(fd, &file) != 0 || !(S_ISREG(file.st_mode) || S_ISFIFO(file.st_mode) || S_ISCHR(file.st_mode))) {
    why = "not a file, a pipe or a terminal";
    close(fd);
    return nullptr;
  }
  const int status = fcntl(fd, F_GETFL);
  std::FILE* stream =
      status == -1 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1 ? nullptr : fdopen(fd, "wb");
  if (stream == nullptr) {
    why = std::strerror(errno);
    close(fd);
  }
  return stream;
}

}  // namespace talvessa
