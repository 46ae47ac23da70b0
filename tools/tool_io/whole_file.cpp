#include "tool_io/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "formats/quoted.h"
#include "platform/open_to_write.h"

namespace talvessa {

namespace fs = std::filesystem;

namespace {

// A fresh name beside `target`, hidden, created by this process alone with the usual permissions
// (0666 less the umask), as an ordinary open would give the file itself.
int CreateTemporary(const fs::path& target, fs::path& name) {
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%d.%u.part", static_cast<int>(getpid()), serial++);
    name = target.parent_path() / ('.' + target.filename().string() + suffix);
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

WholeFile::WholeFile(const fs::path& path) : path_(path), target_(path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (fs::is_directory(status) || !path.has_filename()) Fail("a folder, not a file");
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    std::string why;
    file_ = OpenToWrite(path.c_str(), 0, why);
    if (file_ == nullptr) Fail(why);
    return;
  }
  // Replacing a link would cut it: the file it leads to is replaced instead.
  if (fs::is_symlink(fs::symlink_status(path, error))) {
    target_ = fs::weakly_canonical(path, error);
    if (error) Fail(error.value());
  }
  const int fd = CreateTemporary(target_, temporary_);
  if (fd < 0) Fail(errno);
  // A file replaced keeps its permissions.
  if (struct stat old{}; stat(target_.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int fdopenError = errno;
    close(fd);
    Fail(fdopenError);
  }
}

WholeFile::~WholeFile() { Abandon(); }

void WholeFile::Write(std::string_view bytes) {
  if (file_ == nullptr) Fail(EBADF);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) Fail(errno);
}

void WholeFile::Write(std::span<const std::uint8_t> bytes) {
  Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void WholeFile::Finish() {
  if (file_ == nullptr) Fail(EBADF);
  // Closing writes out the buffer; its failure (a full disk, a device that refuses) is the file's.
  const bool flushed = std::fflush(file_) == 0;
  const int flushError = errno;
  const bool closed = std::fclose(file_) == 0;
  const int closeError = errno;
  file_ = nullptr;
  if (!flushed) Fail(flushError);
  if (!closed) Fail(closeError);
  if (!temporary_.empty()) {
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) Fail(errno);
    temporary_.clear();
  }
}

void WholeFile::Fail(int error) { Fail(std::strerror(error)); }

void WholeFile::Fail(const std::string& why) {
  Abandon();
  throw std::runtime_error("cannot write " + QuotedPath(path_.string()) + ": " + why);
}

void WholeFile::Abandon() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) std::remove(temporary_.c_str());
  temporary_.clear();
}

}  // namespace talvessa
