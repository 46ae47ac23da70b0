#include "tool_io/tool_io.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <stdexcept>

namespace talvessa {

int RunGenerator(int argc, char** argv, const char* arguments,
                 const std::function<void(const char* source, const char* output)>& make) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s %s\n", argv[0], arguments);
    return 2;
  }
  try {
    make(argv[1], argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}

bool TryWriteFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  // Closing writes what is still buffered, and fails when that cannot be written.
  out.close();
  return !out.fail();
}

void WriteFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
  if (!TryWriteFile(file, bytes)) throw std::runtime_error(file.string() + ": cannot be written");
}

}  // namespace talvessa
