// What the generators share: running as `<tool> <source> <output>`, and writing their files whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>

namespace talvessa {

// The body of a generator's main(): with other than two arguments prints "usage: <tool> <arguments>"
// and returns 2; otherwise runs `make` on them and returns 0, or 1 after printing the message of any
// std::exception it throws.
int RunGenerator(int argc, char** argv, const char* arguments,
                 const std::function<void(const char* source, const char* output)>& make);

// Writes `bytes` as the whole of `file`, replacing it; false when any of them could not be written.
bool TryWriteFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);
// The same, throwing std::runtime_error "<file>: cannot be written" when it fails.
void WriteFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

}  // namespace talvessa
