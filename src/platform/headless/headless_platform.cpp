#include "platform/headless/headless_platform.h"

#include <filesystem>
#include <utility>

namespace talvessa {

namespace {

std::string ExecutableFolder() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? "." : exe.parent_path().string();
}

}  // namespace

HeadlessPlatform::HeadlessPlatform(Options options)
    : clock(options.seed, options.clockStartMs),
      input(clock, std::move(options.script), options.untilMs),
      audio(clock, options.tuneLengthMs),
      programFolder(options.programFolder ? *options.programFolder : ExecutableFolder()) {}

}  // namespace talvessa
