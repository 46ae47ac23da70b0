#include "platform/sdl/rendered_tune.h"

#include <dlfcn.h>
#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <set>
#include <utility>

namespace talvessa {

namespace {

// The synthesiser writes a line to stderr for every fault it meets and every note it has no voice for:
// a broken tune could flood the terminal. Each kind of message (its text but for its numbers) is written
// once, and a few dozen at most in all.
void WriteOnce(int level, const char* message, void*) {
  static std::mutex mutex;
  static std::set<std::string> written;
  constexpr std::size_t kMostMessages = 24;
  std::string kind(message);
  std::erase_if(kind, [](char c) { return c >= '0' && c <= '9'; });
  const std::lock_guard lock(mutex);
  if (written.size() > kMostMessages || !written.insert(kind).second) return;
  if (written.size() > kMostMessages) {
    std::fputs("fluidsynth: further messages are left out\n", stderr);
    return;
  }
  const char* label = level == FLUID_PANIC ? "panic: " : level == FLUID_ERR ? "error: "
                      : level == FLUID_WARN ? "warning: " : "";
  std::fprintf(stderr, "fluidsynth: %s%s\n", label, message);
}

// FluidSynth's functions, from the library opened once for the process by the first render.
class FluidSynth {
 public:
  FluidSynth() {
    if (missing) return;
    // Debugging messages stay off, as the library ships them.
    for (const int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO})
      fluid_set_log_function(level, WriteOnce, nullptr);
  }
  bool missing = false;

 private:
  void* library_ = dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_LOCAL);
  template <typename Function>
  Function Find(const char* name) {
    auto found = library_ != nullptr ? reinterpret_cast<Function>(dlsym(library_, name)) : nullptr;
    missing = missing || found == nullptr;
    return found;
  }

 public:
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
  TALVESSA_FLUID(fluid_player_get_total_ticks);
  TALVESSA_FLUID(delete_fluid_player);
#undef TALVESSA_FLUID
};

// A synthesiser with its bank and a player of the tune's two passes.
struct Synth {
  explicit Synth(const FluidSynth& f) : fluid(f) {}
  ~Synth() {
    if (player != nullptr) fluid.delete_fluid_player(player);
    if (synth != nullptr) fluid.delete_fluid_synth(synth);
    if (settings != nullptr) fluid.delete_fluid_settings(settings);
  }
  Synth(const Synth&) = delete;
  Synth& operator=(const Synth&) = delete;

  bool Start(const std::vector<std::uint8_t>& midi, const std::string& soundFont, float gain) {
    settings = fluid.new_fluid_settings();
    if (settings == nullptr) return false;
    fluid.fluid_settings_setnum(settings, "synth.sample-rate", RenderedTune::kRate);
    synth = fluid.new_fluid_synth(settings);
    if (synth == nullptr || fluid.fluid_synth_sfload(synth, soundFont.c_str(), 1) == FLUID_FAILED) return false;
    fluid.fluid_synth_set_gain(synth, gain);
    player = fluid.new_fluid_player(synth);
    if (player == nullptr) return false;
    for (int pass = 0; pass < 2; ++pass) {
      if (fluid.fluid_player_add_mem(player, midi.data(), midi.size()) != FLUID_OK) return false;
    }
    return fluid.fluid_player_play(player) == FLUID_OK;
  }

  const FluidSynth& fluid;
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_player_t* player = nullptr;
};

// How loud a render is, sample by sample: its highest peak and its loudest second.
class Loudness {
 public:
  void Add(double sample) {
    peak_ = std::max(peak_, std::abs(sample));
    double& kept = squares_[at_++ % squares_.size()];
    sum_ += sample * sample - kept;
    kept = sample * sample;
    loudest_ = std::max(loudest_, sum_);
  }
  // The scale that brings the render under the mix's ceiling for the tune.
  double Levelling() const {
    const auto share = [](double dbfs) { return std::pow(10.0, dbfs / 20.0); };
    const double loudest = std::sqrt(loudest_ / static_cast<double>(std::min(squares_.size(), at_)));
    return std::min({1.0, share(RenderedTune::kPeakDbfs) / peak_, share(RenderedTune::kLoudestSecondDbfs) / loudest});
  }

 private:
  std::vector<double> squares_ = std::vector<double>(2 * RenderedTune::kRate);
  std::size_t at_ = 0;
  double sum_ = 0;
  double peak_ = 0;
  double loudest_ = 0;
};

std::int16_t Sample(double sample) {
  return static_cast<std::int16_t>(std::clamp(std::lround(sample * 32768.0), -32768L, 32767L));
}

}  // namespace

std::shared_ptr<const RenderedTune> RenderTune(std::vector<std::uint8_t> midi, const std::string& soundFont,
                                               float gain, const std::atomic<bool>& stop) {
  static const FluidSynth fluid;
  if (fluid.missing) return nullptr;
  Synth synth(fluid);
  if (!synth.Start(midi, soundFont, gain)) return nullptr;
  // In large pieces, but in the synthesiser's own step near the end of the first pass, where the player
  // goes on to the second at the start of one.
  constexpr int kPiece = 4096;
  constexpr int kStep = 64;
  const std::size_t longest = std::size_t{2} * RenderedTune::kRate * RenderedTune::kLongestSeconds;
  const int totalTicks = fluid.fluid_player_get_total_ticks(synth.player);
  auto tune = std::make_shared<RenderedTune>();
  std::vector<std::int16_t>& samples = tune->samples;
  std::array<float, 2 * kPiece> piece;
  std::size_t pass = 0;  // the first pass's length, once it has ended
  // The second pass is kept at the first's levelling: the same notes, and the first's tails.
  double scale = 1.0;
  Loudness loudness;
  int lastTick = 0;
  int ticksPerPiece = 0;
  while (!stop && samples.size() < (pass != 0 ? 2 * pass : longest) &&
         fluid.fluid_player_get_status(synth.player) == FLUID_PLAYER_PLAYING) {
    const bool nearEnd = pass == 0 && (ticksPerPiece == 0 || lastTick + 2 * ticksPerPiece + 1 >= totalTicks);
    const int length = nearEnd ? kStep : kPiece;
    fluid.fluid_synth_write_float(synth.synth, length, piece.data(), 0, 2, piece.data(), 1, 2);
    const int tick = fluid.fluid_player_get_current_tick(synth.player);
    if (pass == 0 && tick < lastTick) {
      pass = samples.size() / 2;
      scale = loudness.Levelling();
      loudness = Loudness();
      samples = std::vector<std::int16_t>();
      samples.reserve(2 * pass + piece.size());
    }
    for (int i = 0; i < 2 * length; ++i) {
      loudness.Add(piece[i] * scale);
      samples.push_back(Sample(piece[i] * scale));
    }
    ticksPerPiece = std::max(ticksPerPiece, (tick - lastTick) * (kPiece / length));
    lastTick = tick;
  }
  // The second pass is as long as the first; the player may ring on beyond it.
  if (pass != 0) samples.resize(std::min(samples.size(), 2 * pass));
  if (stop || samples.empty()) return nullptr;
  // Louder than the first pass, or a first pass cut short, the render is levelled here.
  if (const double more = loudness.Levelling(); more < 1.0) {
    for (std::int16_t& sample : samples) sample = Sample(sample * more / 32768.0);
  }
  tune->midi = std::move(midi);
  return tune;
}

}  // namespace talvessa
