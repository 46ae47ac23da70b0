#include "platform/sdl/data_folder.h"

#include <filesystem>
#include <system_error>

#include "formats/quoted.h"

namespace talvessa {

namespace {

// TALVESSA_DATA_FROM_PROGRAM, the path from the installed program's folder to its data folder, comes
// from the install layout (cmake/install.cmake).
bool HasData(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::is_directory(folder / "da", error);
}

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::optional<std::string> DataFolder(const std::string& programFolder, const std::string& asked) {
  if (!asked.empty()) {
    if (!HasData(asked)) return std::nullopt;
    return WithSeparator(asked);
  }
  if (HasData(programFolder)) return WithSeparator(programFolder);
  const std::filesystem::path installed =
      (std::filesystem::path(programFolder) / TALVESSA_DATA_FROM_PROGRAM).lexically_normal();
  if (HasData(installed)) return WithSeparator(installed.string());
  return WithSeparator(programFolder);
}

std::string WhyNoDataFolder(const std::string& asked) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(asked, error);
  const std::string given = "the data folder given by --data, " + QuotedPath(asked) + ",";
  if (!std::filesystem::exists(status)) return given + " does not exist";
  if (!std::filesystem::is_directory(status)) return given + " is a file, not a folder";
  return given + " has no folder da";
}

}  // namespace talvessa
