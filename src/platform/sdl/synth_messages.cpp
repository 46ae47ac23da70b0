#include "platform/sdl/synth_messages.h"

#include <dlfcn.h>
#include <fluidsynth.h>

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

namespace talvessa {

namespace {

constexpr std::size_t kMostMessages = 24;

const char* LevelName(int level) {
  switch (level) {
    case FLUID_PANIC: return "panic: ";
    case FLUID_ERR: return "error: ";
    case FLUID_WARN: return "warning: ";
    default: return "";
  }
}

// A message without its numbers: the same fault on another note or channel says nothing new.
std::string Kind(const char* message) {
  std::string kind(message);
  std::erase_if(kind, [](char c) { return c >= '0' && c <= '9'; });
  return kind;
}

// Called on whatever thread the synthesiser runs on, the sound thread mostly.
void WriteOnce(int level, const char* message, void*) {
  static std::mutex mutex;
  static std::set<std::string> written;
  const std::lock_guard lock(mutex);
  if (written.size() > kMostMessages) return;
  if (!written.insert(Kind(message)).second) return;
  if (written.size() > kMostMessages) {
    std::fputs("fluidsynth: further messages are left out\n", stderr);
  } else {
    std::fprintf(stderr, "fluidsynth: %s%s\n", LevelName(level), message);
  }
}

}  // namespace

void BoundSynthesiserMessages() {
  // The library the mixer already loaded, never a second copy of it.
  void* library = dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_NOLOAD);
  if (library == nullptr) return;
  const auto setLog =
      reinterpret_cast<decltype(&fluid_set_log_function)>(dlsym(library, "fluid_set_log_function"));
  if (setLog != nullptr) {
    // Debugging messages stay off, as the library ships them.
    for (const int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO})
      setLog(level, WriteOnce, nullptr);
  }
  dlclose(library);
}

}  // namespace talvessa
