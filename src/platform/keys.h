// Virtual-key codes: the numbers by which the game names its keys (the keyboard, and the controls of a
// game controller that stand for them).
#pragma once

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
