// The sound calls as the game makes them, timed: a tune opened, played, asked after at every frame,
// stopped and closed; effects played. The game must never be held by any of them, whatever the media.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "platform/audio.h"
#include "platform/input.h"

namespace talvessa::testing {

// A call that takes this long is a hang, not a slow machine.
constexpr double kHeldMs = 1000;
// Opening the tune checks it, then waits for the synthesiser to read its bank of sounds, a bounded wait
// of 2 s; on a busy machine under the sanitizers the check takes its share too.
constexpr double kOpenHeldMs = 5000;

// The longest of the calls timed so far.
class CallTimes {
 public:
  template <typename Call>
  auto Time(Call&& call) {
    const auto start = std::chrono::steady_clock::now();
    struct Stamp {
      std::chrono::steady_clock::time_point start;
      double& worst;
      ~Stamp() {
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        worst = std::max(worst, took.count());
      }
    } stamp{start, worstMs_};
    return call();
  }
  double worstMs() const { return worstMs_; }

 private:
  double worstMs_ = 0;
};

// The calls of a tune's play: its opening, and the rest.
struct TuneCallTimes {
  CallTimes open;
  CallTimes others;
};

// What the game does with a tune at the start of play and over `frames` frames of 5 ms: a status at
// every frame, events pumped. Gives whether the tune was taken at open.
inline bool PlayTuneAsTheGameDoes(Audio& audio, Input& input, const std::string& path, int frames,
                                  TuneCallTimes& tuneTimes) {
  tuneTimes.open.Time([&] { audio.OpenMusic(path); });
  CallTimes& times = tuneTimes.others;
  times.Time([&] { audio.PlayMusic(); });
  const bool taken = times.Time([&] { return audio.MusicStatus(); }) != MusicMode::NotOpen;
  for (int frame = 0; frame < frames; ++frame) {
    times.Time([&] { return audio.MusicStatus(); });
    times.Time([&] { return input.PumpEvents(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  times.Time([&] { audio.StopMusic(); });
  times.Time([&] { audio.CloseMusic(); });
  return taken;
}

// Sends what the process writes to stderr to a file while it lives, and counts the lines.
class StderrLines {
 public:
  explicit StderrLines(std::filesystem::path file) : file_(std::move(file)) {
    std::fflush(stderr);
    saved_ = dup(2);
    std::FILE* out = std::fopen(file_.c_str(), "w");
    dup2(fileno(out), 2);
    std::fclose(out);
  }
  ~StderrLines() { Restore(); }
  StderrLines(const StderrLines&) = delete;
  StderrLines& operator=(const StderrLines&) = delete;

  // Puts stderr back and gives the lines written meanwhile.
  std::size_t Count() {
    Restore();
    std::ifstream in(file_);
    std::size_t lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    return lines;
  }

 private:
  void Restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    saved_ = -1;
  }
  std::filesystem::path file_;
  int saved_ = -1;
};

}  // namespace talvessa::testing
