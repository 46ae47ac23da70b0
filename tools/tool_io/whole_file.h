// Files written whole or not at all, every write and the close checked.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace talvessa {

// A regular file (or one not there yet) is written under a temporary name in the same folder and renamed
// over its own name only once every byte is written and the file closed: until then, and after any
// failure, whatever stood there is untouched and no empty or partial file is left. Anything else (a
// device such as /dev/null, a pipe someone reads) is written in place, opened without waiting (see
// OpenToWrite). Every failure throws std::runtime_error "cannot write "<path>": <reason>", the path quoted.
class WholeFile {
 public:
  explicit WholeFile(const std::filesystem::path& path);
  WholeFile(const WholeFile&) = delete;
  WholeFile& operator=(const WholeFile&) = delete;
  // A file never finished leaves nothing behind.
  ~WholeFile();

  void Write(std::string_view bytes);
  void Write(std::span<const std::uint8_t> bytes);
  // Writes out what is still buffered, closes the file and puts it in place.
  void Finish();

 private:
  [[noreturn]] void Fail(int error);
  [[noreturn]] void Fail(const std::string& why);
  void Abandon();

  std::filesystem::path path_;       // as named, for messages
  std::filesystem::path target_;     // what a regular file replaces: `path_` with a final link followed
  std::filesystem::path temporary_;  // empty when writing in place
  std::FILE* file_ = nullptr;
};

}  // namespace talvessa
