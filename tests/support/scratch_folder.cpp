#include "support/scratch_folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace talvessa::testing {

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

ScratchFolder::ScratchFolder(std::string_view name) {
  std::string pattern =
      (std::filesystem::temp_directory_path() / ("talvessa-" + std::string(name) + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make a folder like " + pattern + ": " + std::strerror(errno));
  }
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  if (!kept_) std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path ScratchFolder::Write(const std::filesystem::path& relative,
                                           const std::vector<std::uint8_t>& bytes) const {
  const std::filesystem::path file = path_ / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return file;
}

std::filesystem::path ScratchFolder::WriteText(const std::filesystem::path& relative,
                                               std::string_view text) const {
  return Write(relative, std::vector<std::uint8_t>(text.begin(), text.end()));
}

}  // namespace talvessa::testing
