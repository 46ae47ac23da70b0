// Plays the frame loop in a real window and compares a pure busy-wait with the game's own wait: the
// frame period, its jitter, and the processor time the process uses per wall-clock second, in play
// and while paused. Run it under a display (bench/pacing.sh uses Xvfb).
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/sdl/sdl_platform.h"
#include "render/render.h"
#include "shell/frames.h"
#include "shell/game.h"

namespace talvessa {
namespace {

struct Enough {};

// The machine's clock with sleeps that return at once: the game's waits become a pure busy-wait.
class SpinningClock final : public Clock {
 public:
  explicit SpinningClock(Clock& clock) : clock_(clock) {}
  std::uint64_t ClockUs() override { return clock_.ClockUs(); }
  void Sleep(std::uint32_t) override {}
  std::uint64_t TimerSeed() override { return clock_.TimerSeed(); }

 private:
  Clock& clock_;
};

// Notes the clock at the end of every pass; stops the loop after `passes`.
class Stamps final : public PassObserver {
 public:
  explicit Stamps(std::size_t passes) : passes_(passes) {}
  void PassDone(const Game& game, Loop) override {
    us.push_back(game.platform.clock.ClockUs());
    if (us.size() >= passes_) throw Enough{};
  }
  std::vector<std::uint64_t> us;

 private:
  std::size_t passes_;
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[at];
}

// The field of play on screen, as at the start of a game.
void StartPlay(Game& game) {
  ResetWorld(game.world, game.run);
  for (Surface& display : game.Display) {
    display.BackColor = kBlack;
    SetGeometry(display, kFieldWidth, kFieldHeight, 32, 32);
  }
  DrawBackground(game.Display[kBackground], game.Chip);
  game.world.Shots[0] = Shot{};
  game.world.GameState = GameState::Playing;
  game.run.FramePeriod = kPlayFramePeriod;
}

void MeasurePlay(Game& game, const char* name, std::size_t frames) {
  StartPlay(game);
  Stamps stamps(frames + 1);
  game.observer = &stamps;
  const double cpu0 = CpuSeconds();
  const double wall0 = WallSeconds();
  try {
    while (RunPass(game, LoopOf(GameState::Playing))) {
    }
  } catch (const Enough&) {
  }
  const double cpu = (CpuSeconds() - cpu0) / (WallSeconds() - wall0);
  game.observer = nullptr;

  std::vector<double> periods;
  for (std::size_t i = 1; i < stamps.us.size(); ++i) {
    periods.push_back(static_cast<double>(stamps.us[i] - stamps.us[i - 1]) / 1000.0);
  }
  const double median = Percentile(periods, 0.5);
  std::vector<double> jitter;
  for (double p : periods) jitter.push_back(std::abs(p - median));
  std::printf("%-22s %8.3f ms %9.3f %9.3f %9.3f ms %8.1f %%\n", name, median, Percentile(jitter, 0.5),
              Percentile(jitter, 0.99), Percentile(jitter, 1.0), 100.0 * cpu);
}

void MeasurePause(Game& game, double seconds) {
  StartPlay(game);
  game.world.GameState = GameState::Paused;
  game.world.PauseRequest = kPauseAsked;
  game.world.KeyLatch = 0;
  const double cpu0 = CpuSeconds();
  const double wall0 = WallSeconds();
  std::size_t passes = 0;
  while (WallSeconds() - wall0 < seconds) {
    RunPass(game, LoopOf(GameState::Paused));
    ++passes;
  }
  const double wall = WallSeconds() - wall0;
  std::printf("%-22s %8.3f ms between passes, keyboard read every %.1f ms %14.1f %%\n",
              "paused (game's rest)", 1000.0 * wall / static_cast<double>(passes),
              12000.0 * wall / static_cast<double>(passes), 100.0 * (CpuSeconds() - cpu0) / wall);
}

}  // namespace
}  // namespace talvessa

int main() {
  using namespace talvessa;
  std::string error;
  const std::unique_ptr<SdlPlatform> platform = SdlPlatform::Open({}, error);
  if (platform == nullptr) {
    std::fprintf(stderr, "pacing: cannot open a window (%s); run bench/pacing.sh\n", error.c_str());
    return 1;
  }
  const Platform& machine = platform->Services();
  Game game(machine);
  SetUpForm(game);
  SpinningClock spinning(machine.clock);
  Game spinningGame({spinning, machine.input, machine.screen, machine.audio, machine.programFolder});
  SetUpForm(spinningGame);
  constexpr std::size_t kFrames = 300;  // ten seconds of play at 33 ms
  std::printf("%zu frames of play at a period of 33 ms each\n", kFrames);
  std::printf("%-22s %11s %9s %9s %12s %10s\n", "wait", "median", "jitter50", "jitter99", "jitter max",
              "CPU");
  MeasurePlay(spinningGame, "busy-wait", kFrames);
  MeasurePlay(game, "sliced sleep (game)", kFrames);
  MeasurePause(game, 10.0);
  return 0;
}
