// What the generators share: running as `<tool> <source> <output>`, and writing their files whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>

namespace talvessa {

// The body of a generator's main(): keeps the standard descriptors open (KeepStandardDescriptorsOpen); with
// other than two arguments prints "usage: <tool> <arguments>" and returns 2; otherwise runs `make` on them
// and returns 0, or 1 after printing the message of any std::exception it throws.
int RunGenerator(int argc, char** argv, const char* arguments,
                 const std::function<void(const char* source, const char* output)>& make);

// Writes `bytes` as the whole of `file`, replacing it only when all of them are written (see WholeFile);
// throws std::runtime_error "cannot write <file>: <reason>" when it fails.
void WriteFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

}  // namespace talvessa
