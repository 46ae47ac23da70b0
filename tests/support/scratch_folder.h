// A fresh folder for one test's files, and reading and writing them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace talvessa::testing {

// The whole file as text; empty when it cannot be read.
std::string ReadText(const std::filesystem::path& file);

// A folder of its own under the temporary folder (its name made unique by mkdtemp, so that tests run at
// once, from one checkout or several, never share one), removed with everything in it when it goes.
class ScratchFolder {
 public:
  explicit ScratchFolder(std::string_view name = "test");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& relative) const { return path_ / relative; }

  // Writes `bytes` or `text` to `relative` inside the folder, making the folders on the way; gives the
  // file's full path.
  std::filesystem::path Write(const std::filesystem::path& relative,
                              const std::vector<std::uint8_t>& bytes) const;
  std::filesystem::path WriteText(const std::filesystem::path& relative, std::string_view text) const;

  // Leaves the folder in place, for a failing test to point at what it made.
  void Keep() { kept_ = true; }

 private:
  std::filesystem::path path_;
  bool kept_ = false;
};

}  // namespace talvessa::testing
