#include "tool_io/tool_io.h"

#include <cstdio>
#include <exception>

#include "platform/standard_descriptors.h"
#include "tool_io/whole_file.h"

namespace talvessa {

int RunGenerator(int argc, char** argv, const char* arguments,
                 const std::function<void(const char* source, const char* output)>& make) {
  KeepStandardDescriptorsOpen();
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

void WriteFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
  WholeFile out(file);
  out.Write(bytes);
  out.Finish();
}

}  // namespace talvessa
