// The headless backend: a virtual clock that moves only when the game waits (plus a few microseconds
// per event pump), keys and window events from a script, pictures and sound commands recorded.
// The same options give the same run, step for step, on every machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace talvessa {

// One scripted happening, at a time counted from the start of the run.
struct ScriptEvent {
  enum class Kind { KeyDown, KeyUp, CloseWindow };
  std::uint64_t atMs = 0;
  Kind kind = Kind::KeyDown;
  int virtualKey = 0;  // for KeyDown and KeyUp
};

// Thrown from an event pump once the run has reached its time limit.
struct HeadlessTimeUp {};

class HeadlessPlatform final : public Platform {
 public:
  struct Options {
    std::uint64_t seed = 1;
    // Where the millisecond clock starts; near 2^32 it wraps early in the run.
    std::uint32_t clockStartMs = 0;
    std::vector<ScriptEvent> script;
    std::optional<std::uint64_t> untilMs;
    // How long the tune plays before it stops by itself; by default it loops without end.
    std::optional<std::uint64_t> tuneLengthMs;
    // The program's folder as the game is told it; by default the folder of this executable.
    std::optional<std::string> programFolder;
  };
  // What each event pump costs on the virtual clock, so that loops which never wait still see time pass.
  static constexpr std::uint64_t kPumpCostUs = 5;

  explicit HeadlessPlatform(Options options);

  std::uint64_t ClockUs() override;
  void Sleep(std::uint32_t us) override;
  std::uint64_t TimerSeed() override;
  std::string ProgramFolder() override;
  PumpResult PumpEvents() override;
  bool WaitForEvents(std::uint32_t timeoutMs) override;
  bool KeyDown(int virtualKey) override;
  void Present(const WindowPicture& picture) override;
  void PlayEffect(const std::string& path) override;
  void SilenceEffects() override;
  void OpenMusic(const std::string& path) override;
  void PlayMusic() override;
  MusicMode MusicStatus() override;
  void SeekMusicToStart() override;
  void StopMusic() override;
  void CloseMusic() override;

  // Virtual time since the start of the run.
  std::uint64_t ElapsedUs() const { return elapsedUs_; }
  // Moves the virtual clock as if the game had worked for `us` (for tests).
  void Advance(std::uint64_t us) { elapsedUs_ += us; }
  // Holds or releases a key at once, as if the script said so (for tests).
  void SetKeyHeld(int virtualKey, bool held);
  std::uint64_t PumpCount() const { return pumpCount_; }
  std::uint64_t PresentCount() const { return presentCount_; }
  const WindowPicture& LastPicture() const { return lastPicture_; }
  // Sound effects ("se0" …, and "silence" when the closing window cuts them) and music commands
  // ("open bg1.mid", "play", "seek", "stop", "close") issued since the last call.
  std::vector<std::string> TakeEffects();
  std::vector<std::string> TakeMusicCommands();

  // Called with every picture presented and its number, counting from 1.
  std::function<void(const WindowPicture&, std::uint64_t)> onPresent;

 private:
  std::uint64_t NextEventUs() const;
  void ApplyDueEvents();

  Options options_;
  std::uint64_t elapsedUs_ = 0;
  std::size_t nextEvent_ = 0;
  bool closeRequested_ = false;
  std::set<int> held_;
  MusicMode music_ = MusicMode::NotOpen;
  std::uint64_t musicStartedUs_ = 0;
  std::uint64_t pumpCount_ = 0;
  std::uint64_t presentCount_ = 0;
  WindowPicture lastPicture_;
  std::vector<std::string> effects_;
  std::vector<std::string> musicCommands_;
};

}  // namespace talvessa
