// The headless tool's trace, read as JSON: one object per pass of a loop (docs/headless.md).
#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace talvessa::testing {

// The trace's lines in order, each parsed; a line that is not a JSON object throws std::runtime_error
// naming the file and the line.
std::vector<nlohmann::json> ReadTrace(const std::filesystem::path& file);

// The loops in the order they ran, each run of passes once.
std::vector<std::string> LoopsInOrder(const std::vector<nlohmann::json>& passes);

}  // namespace talvessa::testing
