// Any text through the key-script reader: it gives events no later than the latest time, or throws its
// error as one short line of printable text, whatever the script holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "key_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    for (const talvessa::ScriptEvent& event :
         talvessa::ParseKeyScript(std::string(reinterpret_cast<const char*>(data), size), "keys.txt")) {
      if (event.atMs > talvessa::HeadlessInput::kLatestMs) std::abort();
    }
  } catch (const std::runtime_error& error) {
    const std::string_view message = error.what();
    if (message.size() > 300) std::abort();
    for (const char c : message) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
    }
  }
  return 0;
}
