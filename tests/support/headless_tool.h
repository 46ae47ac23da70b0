// The headless tool of this build, run as a separate process.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "support/process.h"

namespace talvessa::testing {

// Far beyond the longest run the tests ask for; a tool that hangs then fails its test with what it
// printed instead of being cut off by ctest without a word.
inline constexpr std::chrono::minutes kHeadlessTimeout{10};

inline ProcessResult RunHeadless(const std::vector<std::string>& arguments) {
  return RunProcess(TALVESSA_HEADLESS, arguments, kHeadlessTimeout);
}

}  // namespace talvessa::testing
