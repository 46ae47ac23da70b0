// The services the game asks of the machine: clocks, keys, window events, the picture and sound.
// Everything outside src/platform/ sees only this interface; two backends implement it (SDL and headless).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace talvessa {

// Virtual-key codes, the numbers by which the game names its keys.
namespace vk {
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
}  // namespace vk

// The window's client area: 576 x 448 pixels, 8-bit R, G, B in that order, rows top to bottom.
struct WindowPicture {
  static constexpr int kWidth = 576;
  static constexpr int kHeight = 448;
  std::vector<std::uint8_t> rgb = std::vector<std::uint8_t>(kWidth * kHeight * 3, 0);
};

enum class PumpResult { Running, CloseRequested };
enum class MusicMode { NotOpen, Stopped, Playing };

class Platform {
 public:
  virtual ~Platform() = default;

  // A monotonic clock in microseconds. The game's millisecond clocks are its low 32 bits of milliseconds.
  virtual std::uint64_t ClockUs() = 0;
  // Gives the processor away for about `us` microseconds (the headless clock simply moves on).
  virtual void Sleep(std::uint32_t us) = 0;
  // A seed for the random generator, taken from the system timer (or fixed by the headless tool).
  virtual std::uint64_t TimerSeed() = 0;
  // The program's own folder.
  virtual std::string ProgramFolder() = 0;

  // Handles every pending window event; reports whether the window was asked to close.
  virtual PumpResult PumpEvents() = 0;
  // Blocks until a window event is pending or `timeoutMs` has passed; handles nothing itself.
  // Reports whether an event is pending.
  virtual bool WaitForEvents(std::uint32_t timeoutMs) = 0;
  // Whether the key is held down now, as of the last pump, and only while our window has the keyboard.
  virtual bool KeyDown(int virtualKey) = 0;

  // Shows the finished window picture.
  virtual void Present(const WindowPicture& picture) = 0;

  // Sound effects share one voice: a new effect cuts the one playing. `path` has no extension.
  virtual void PlayEffect(const std::string& path) = 0;
  virtual void SilenceEffects() = 0;
  // One tune at a time, with the open / play / status / seek / stop / close life cycle.
  virtual void OpenMusic(const std::string& path) = 0;
  virtual void PlayMusic() = 0;
  virtual MusicMode MusicStatus() = 0;
  virtual void SeekMusicToStart() = 0;
  virtual void StopMusic() = 0;
  virtual void CloseMusic() = 0;
};

// The real backend: an SDL window with SDL_mixer sound. Returns null and fills `error` when no window
// can be opened (no display); a missing audio device only leaves the game silent.
std::unique_ptr<Platform> OpenSdlPlatform(std::string& error);

}  // namespace talvessa
