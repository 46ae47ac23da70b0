// Runs a program as a child process and collects what it printed.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace talvessa::testing {

struct ProcessResult {
  int status = -1;     // the exit status; -1 when the program did not start or did not end by itself
  std::string output;  // standard output and error together, in the order written
  bool timedOut = false;
};

// Runs `program` with `arguments`, each handed over as it is (no shell: blanks, quotes and other letters
// need no quoting), and waits for it to end. With a timeout, a program still running then is killed.
ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         std::optional<std::chrono::milliseconds> timeout = std::nullopt);

}  // namespace talvessa::testing
