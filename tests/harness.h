// A game on the headless backend, set up and reset as at start-up, for tests that drive it directly.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "platform/keys.h"
#include "shell/commands.h"
#include "shell/frames.h"
#include "shell/game.h"

namespace talvessa::testing {

struct Harness {
  explicit Harness(HeadlessPlatform::Options options = {}, GlyphRasterizer* glyphs = nullptr)
            : platform(std::move(options)), game(platform.Services(), glyphs) {
    SetUpForm(game);
    ResetWorld(game.world, game.run);
  }
  World& world() { return game.world; }
  RunState& run() { return game.run; }
  void Hold(int virtualKey) { platform.input.SetKeyHeld(virtualKey, true); }
  void Release(int virtualKey) { platform.input.SetKeyHeld(virtualKey, false); }

  HeadlessPlatform platform;
  Game game;
};

// The frame loop of play, until it changes GameState; one pass of the pause display.
inline void FrameLoop(Game& game) {
  while (RunPass(game, LoopOf(GameState::Playing))) {
  }
}
inline void PausePass(Game& game) { RunPass(game, LoopOf(GameState::Paused)); }

// Stops a loop from inside an observer once it has seen enough passes.
struct EnoughPasses {};

// Records the loop and a few values after every pass; stops the run after `limit` passes.
class PassLog final : public PassObserver {
 public:
  explicit PassLog(std::size_t limit = 100000) : limit_(limit) {}
  struct Entry {
    Loop loop;
    GameState state;
    std::int32_t frameCount;
    std::int16_t shot0Y;
    std::uint64_t presents;
    std::uint64_t us;  // virtual time at the end of the pass
  };
  void PassDone(const Game& game, Loop loop) override {
    const auto& clock = static_cast<const HeadlessClock&>(game.platform.clock);
    const auto& screen = static_cast<const HeadlessScreen&>(game.platform.screen);
    entries.push_back({loop, game.world.GameState, game.run.FrameCount, game.world.Shots[0].Y,
                       screen.PresentCount(), clock.ElapsedUs()});
    if (entries.size() >= limit_) throw EnoughPasses{};
  }
  std::size_t Count(Loop loop) const {
    std::size_t n = 0;
    for (const Entry& e : entries) n += e.loop == loop ? 1 : 0;
    return n;
  }
  std::vector<Entry> entries;

 private:
  std::size_t limit_;
};

inline ScriptEvent Down(std::uint64_t ms, int key) { return {ms, ScriptEvent::Kind::KeyDown, key}; }
inline ScriptEvent Up(std::uint64_t ms, int key) { return {ms, ScriptEvent::Kind::KeyUp, key}; }
inline ScriptEvent Close(std::uint64_t ms) { return {ms, ScriptEvent::Kind::CloseWindow, 0}; }

}  // namespace talvessa::testing
