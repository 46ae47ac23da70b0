#include "platform/sdl/rendered_tune.h"

#include <fluidsynth.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <string_view>

#include "formats/quoted.h"
#include "platform/audio.h"
#include "platform/sdl/first_call_library.h"

namespace talvessa {

namespace {

// The synthesiser writes a line to stderr for every fault and every note it has no voice for: a broken
// tune could flood the terminal. Each kind of message (its text but for its numbers) is written once,
// and a few dozen at most in all.
void WriteOnce(int level, const char* message, void*) {
  constexpr std::size_t kKinds = 24;
  constexpr std::array<const char*, 4> kLabels = {"panic: ", "error: ", "warning: ", ""};
  static std::mutex mutex;
  static std::set<std::string> written;
  std::string kind(message);
  std::erase_if(kind, [](char c) { return c >= '0' && c <= '9'; });
  const std::lock_guard lock(mutex);
  if (written.size() > kKinds || !written.insert(kind).second) return;
  if (written.size() > kKinds)
    std::fputs("fluidsynth: further messages are left out\n", stderr);
  else
    std::fprintf(stderr, "fluidsynth: %s%s\n", kLabels.at(static_cast<std::size_t>(std::clamp(level, 0, 3))),
                 message);
}

// FluidSynth's functions, from the library opened once for the process by the first render; without
// the library, or any of them, the tune stays silent.
class FluidSynth {
  const FirstCallLibrary library_{"libfluidsynth.so.3"};
  template <typename Function>
  Function Find(const char* name) {
    const auto found = FindIfThere<Function>(library_, name);
    missing = missing || found == nullptr;
    return found;
  }

 public:
  bool missing = false;
#define TALVESSA_FLUID(name) const decltype(&::name) name = Find<decltype(&::name)>(#name)
  TALVESSA_FLUID(fluid_set_log_function);
  TALVESSA_FLUID(new_fluid_settings);
  TALVESSA_FLUID(fluid_settings_setnum);
  TALVESSA_FLUID(delete_fluid_settings);
  TALVESSA_FLUID(new_fluid_synth);
  TALVESSA_FLUID(fluid_synth_sfload);
  TALVESSA_FLUID(fluid_synth_set_gain);
  TALVESSA_FLUID(fluid_synth_write_float);
  TALVESSA_FLUID(delete_fluid_synth);
  TALVESSA_FLUID(new_fluid_player);
  TALVESSA_FLUID(fluid_player_add_mem);
  TALVESSA_FLUID(fluid_player_play);
  TALVESSA_FLUID(fluid_player_get_status);
  TALVESSA_FLUID(fluid_player_get_current_tick);
  TALVESSA_FLUID(delete_fluid_player);
#undef TALVESSA_FLUID

  FluidSynth() {
    // Not installed, or no room left to map it.
    if (missing) std::fprintf(stderr, "talvessa: %s cannot be opened; the tune is left out\n", library_.name);
    // Debugging messages stay off, as the library ships them.
    for (const int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO})
      if (!missing) fluid_set_log_function(level, WriteOnce, nullptr);
  }
};

template <typename T>
using Owned = std::unique_ptr<T, void (*)(T*)>;

std::int16_t Sample(float sample) {
  return static_cast<std::int16_t>(std::clamp(std::lround(sample * 32768.0), -32768L, 32767L));
}

bool IsBank(std::string_view path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

// Whether the address space the process may still map (what the threads' heaps hold in reserve is
// mapped already) holds the synthesiser loading the bank `path`: its samples, as much again while it
// reads them, and its tables. FluidSynth does not survive every allocation that fails while it loads a
// bank; the render's own growth throws, and leaves the tune out.
bool RoomForBank(const std::string& path) {
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return true;
  std::ifstream statm("/proc/self/statm");
  std::uint64_t pages = 0;
  if (!(statm >> pages)) return true;
  std::error_code error;
  const std::uint64_t bank = std::filesystem::file_size(path, error);
  constexpr std::uint64_t kTables = 16u << 20;
  const std::uint64_t need = (error ? 0 : 2 * bank) + kTables;
  return pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)) + need <= limit.rlim_cur;
}

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The last `seconds` of a render cut off at a bound, faded out, so that it starts over after a close
// rather than mid-note.
void FadeOut(std::vector<std::int16_t>& samples, double seconds) {
  const std::size_t frames =
      std::min(samples.size() / 2, static_cast<std::size_t>(seconds * RenderedTune::kRate));
  const std::size_t start = samples.size() / 2 - frames;
  for (std::size_t frame = 0; frame < frames; ++frame) {
    const double gain = static_cast<double>(frames - frame) / static_cast<double>(frames + 1);
    for (std::size_t channel = 0; channel < 2; ++channel) {
      std::int16_t& sample = samples[2 * (start + frame) + channel];
      sample = static_cast<std::int16_t>(std::lround(sample * gain));
    }
  }
}

}  // namespace

std::shared_ptr<const std::vector<std::int16_t>> RenderTune(std::span<const std::uint8_t> midi,
                                                            const std::string& soundFont, float gain,
                                                            const std::atomic<bool>& stop,
                                                            RenderBounds bounds) {
  static const FluidSynth fluid;
  if (fluid.missing) return nullptr;
  if (!RoomForBank(soundFont)) {
    std::fprintf(stderr, "talvessa: too little memory left for the sound bank %s; the tune is left out\n",
                 QuotedPath(soundFont).c_str());
    return nullptr;
  }
  const Owned<fluid_settings_t> settings(fluid.new_fluid_settings(), fluid.delete_fluid_settings);
  if (settings == nullptr) return nullptr;
  fluid.fluid_settings_setnum(settings.get(), "synth.sample-rate", RenderedTune::kRate);
  const Owned<fluid_synth_t> synth(fluid.new_fluid_synth(settings.get()), fluid.delete_fluid_synth);
  if (synth == nullptr || fluid.fluid_synth_sfload(synth.get(), soundFont.c_str(), 1) == FLUID_FAILED)
    return nullptr;
  fluid.fluid_synth_set_gain(synth.get(), gain);
  const Owned<fluid_player_t> player(fluid.new_fluid_player(synth.get()), fluid.delete_fluid_player);
  if (player == nullptr) return nullptr;
  for (int pass = 0; pass < 2; ++pass)
    if (fluid.fluid_player_add_mem(player.get(), midi.data(), midi.size()) != FLUID_OK) return nullptr;
  if (fluid.fluid_player_play(player.get()) != FLUID_OK) return nullptr;

  // In the synthesiser's own step, so that the loop is placed to it where the player goes on to the
  // second pass.
  constexpr int kStep = 64;
  // The CPU time is looked at every 64 steps, some 0.1 s of sound.
  constexpr int kStepsBetweenClocks = 64;
  const std::size_t longest = std::size_t{2} * RenderedTune::kRate * static_cast<std::size_t>(bounds.seconds);
  const double cpuEnd = ThreadCpuSeconds() + bounds.cpuSeconds;
  auto samples = std::make_shared<std::vector<std::int16_t>>();
  std::array<float, 2 * kStep> piece;
  std::size_t pass = 0;  // the first pass's length in samples, once it has ended
  bool bounded = false;
  for (int lastTick = 0, step = 0; !stop && samples->size() < (pass != 0 ? pass : longest) &&
                                   fluid.fluid_player_get_status(player.get()) == FLUID_PLAYER_PLAYING;
       ++step) {
    if (step % kStepsBetweenClocks == 0 && ThreadCpuSeconds() > cpuEnd) {
      bounded = true;
      break;
    }
    fluid.fluid_synth_write_float(synth.get(), kStep, piece.data(), 0, 2, piece.data(), 1, 2);
    const int tick = fluid.fluid_player_get_current_tick(player.get());
    if (pass == 0 && tick < lastTick) {
      pass = samples->size();
      samples->clear();
    }
    std::transform(piece.begin(), piece.end(), std::back_inserter(*samples), Sample);
    lastTick = tick;
  }
  // The second pass is as long as the first; the player may ring on beyond it.
  if (pass != 0) samples->resize(std::min(samples->size(), pass));
  if (pass == 0 && samples->size() >= longest) {
    bounded = true;
    samples->resize(longest);
  }
  if (stop || samples->empty()) return nullptr;
  if (bounded) FadeOut(*samples, RenderBounds::kFadeSeconds);
  LevelTune(*samples, RenderedTune::kRate);
  return samples;
}

std::string SoundFontPath(const char* listed) {
  constexpr std::array<std::string_view, 6> kStandardBanks = {
      "/usr/share/sounds/sf2/TimGM6mb.sf2",   "/usr/share/sounds/sf2/default-GM.sf2",
      "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/soundfonts/FluidR3_GM.sf2",
      "/usr/share/soundfonts/default.sf2",    "/usr/share/sounds/sf3/default-GM.sf3",
  };
  std::string_view rest = listed != nullptr ? listed : "";
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of(";:");
    if (IsBank(rest.substr(0, end))) return std::string(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  const auto found = std::find_if(kStandardBanks.begin(), kStandardBanks.end(), IsBank);
  return std::string(found != kStandardBanks.end() ? *found : kStandardBanks.front());
}

}  // namespace talvessa
