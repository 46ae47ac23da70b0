#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace talvessa::testing {

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left before `deadline`, for poll: -1 waits for ever.
int MillisecondsLeft(const std::optional<Clock::time_point>& deadline) {
  if (!deadline) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
  return static_cast<int>(std::max<decltype(left)>(left, 0));
}

}  // namespace

ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         std::optional<std::chrono::milliseconds> timeout) {
  ProcessResult result;
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) {
    result.output = std::string("cannot make a pipe: ") + std::strerror(errno);
    return result;
  }
  std::vector<std::string> words{program.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  // The child writes both streams into the pipe; the duplicates lose the close-on-exec flag.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(ends[1]);
  if (spawned != 0) {
    close(ends[0]);
    result.output = "cannot start " + program.string() + ": " + std::strerror(spawned);
    return result;
  }

  std::optional<Clock::time_point> deadline;
  if (timeout) deadline = Clock::now() + *timeout;
  pollfd readable{ends[0], POLLIN, 0};
  std::array<char, 4096> buffer{};
  for (;;) {
    const int ready = poll(&readable, 1, MillisecondsLeft(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      kill(child, SIGKILL);
      result.timedOut = true;
      break;
    }
    const ssize_t n = ready < 0 ? -1 : read(ends[0], buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    result.output.append(buffer.data(), static_cast<std::size_t>(n));
  }
  close(ends[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!result.timedOut && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

}  // namespace talvessa::testing
