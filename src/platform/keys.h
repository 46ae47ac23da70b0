// Virtual-key codes: the numbers by which the game names its keys (the keyboard, and the controls of a
// game controller that stand for them).
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace talvessa::vk {

constexpr int Enter = 13;
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int Left = 37;
constexpr int Right = 39;
constexpr int B = 66;
constexpr int N = 78;
constexpr int V = 86;
constexpr int X = 88;
constexpr int Z = 90;
constexpr int Comma = 188;
constexpr int Period = 190;
constexpr int Slash = 191;

}  // namespace talvessa::vk

namespace talvessa {

// The game's keys by the names key scripts and replays write them.
struct NamedKey {
  std::string_view name;
  int virtualKey;
};
inline constexpr std::array<NamedKey, 13> kNamedKeys = {{
    {"Enter", vk::Enter},
    {"Escape", vk::Escape},
    {"Space", vk::Space},
    {"Left", vk::Left},
    {"Right", vk::Right},
    {"Z", vk::Z},
    {"X", vk::X},
    {"B", vk::B},
    {"N", vk::N},
    {"V", vk::V},
    {"Comma", vk::Comma},
    {"Period", vk::Period},
    {"Slash", vk::Slash},
}};
// The names, blank-separated, for messages.
inline constexpr std::string_view kKeyNameList = "Enter Escape Space Left Right Z X B N V Comma Period Slash";

// The key's name, or nullptr for a code the game does not use; and the other way round.
constexpr const char* KeyName(int virtualKey) {
  for (const NamedKey& key : kNamedKeys) {
    if (key.virtualKey == virtualKey) return key.name.data();
  }
  return nullptr;
}
constexpr std::optional<int> KeyByName(std::string_view name) {
  for (const NamedKey& key : kNamedKeys) {
    if (key.name == name) return key.virtualKey;
  }
  return std::nullopt;
}

}  // namespace talvessa
