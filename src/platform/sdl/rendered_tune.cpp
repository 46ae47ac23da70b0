#include "platform/sdl/rendered_tune.h"

#include <fluidsynth.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace talvessa {

namespace {

// Frames in one block of the render's memory: 256 kB.
constexpr std::size_t kBlockFrames = std::size_t{1} << 16;
// SDL_mixer asked FluidSynth for a buffer of the device's size at a time, and the player starts the notes
// due within one request together: rendered in requests of that size, on the same grid, the tune is the
// samples it was. Near the end of a pass the render goes in FluidSynth's own step instead, to find the
// frame where the player goes back to the start.
constexpr std::size_t kRequestFrames = RenderedTune::kDeviceBufferFrames;
constexpr std::size_t kStepFrames = 64;
// How long the first pass's last notes and echoes ring into the second pass: under a second and a half
// for the game's tune, to the last audible sample.
constexpr std::size_t kHeadSeconds = 3;
// Passes differ a little (the notes of each fall differently on the grid of requests): a later pass goes
// over from the second pass's start to the first pass's rest in a 10 ms cross-fade.
constexpr std::size_t kFadeFrames = 441;

}  // namespace

struct RenderedTune::Synth {
  fluid_settings_t* settings = new_fluid_settings();
  fluid_synth_t* synth = nullptr;
  fluid_player_t* player = nullptr;
  ~Synth() {
    if (player != nullptr) delete_fluid_player(player);
    if (synth != nullptr) delete_fluid_synth(synth);
    delete_fluid_settings(settings);
  }
};

std::unique_ptr<RenderedTune> RenderedTune::Start(std::vector<std::uint8_t> midi,
                                                  const std::string& soundFont, int rate, float gain) {
  auto synth = std::make_unique<Synth>();
  if (synth->settings == nullptr) return nullptr;
  fluid_settings_setnum(synth->settings, "synth.sample-rate", rate);
  synth->synth = new_fluid_synth(synth->settings);
  if (synth->synth == nullptr || fluid_synth_sfload(synth->synth, soundFont.c_str(), 1) == FLUID_FAILED) {
    return nullptr;
  }
  fluid_synth_set_gain(synth->synth, gain);
  synth->player = new_fluid_player(synth->synth);
  if (synth->player == nullptr || fluid_player_add_mem(synth->player, midi.data(), midi.size()) != FLUID_OK ||
      fluid_player_set_loop(synth->player, -1) != FLUID_OK || fluid_player_play(synth->player) != FLUID_OK) {
    return nullptr;
  }
  std::unique_ptr<RenderedTune> tune(new RenderedTune(std::move(midi), rate, std::move(synth)));
  tune->thread_ = std::thread([t = tune.get()] { t->Render(); });
  return tune;
}

RenderedTune::RenderedTune(std::vector<std::uint8_t> midi, int rate, std::unique_ptr<Synth> synth)
    : midi_(std::move(midi)), rate_(rate), synth_(std::move(synth)) {
  const std::size_t most = static_cast<std::size_t>(rate) * (kLongestPassSeconds + kHeadSeconds);
  blocks_.resize(most / kBlockFrames + 2);  // and the request that passes the longest pass
}

RenderedTune::~RenderedTune() {
  stop_ = true;
  thread_.join();
}

bool RenderedTune::Renders(std::span<const std::uint8_t> midi, int rate) const {
  return rate == rate_ && std::ranges::equal(midi, midi_);
}

std::size_t RenderedTune::HeadFrames(std::size_t pass) const {
  if (cut_.load(std::memory_order_relaxed)) return 0;
  return std::min(pass, kHeadSeconds * static_cast<std::size_t>(rate_));
}

std::int16_t* RenderedTune::Frame(std::size_t at) const {
  return blocks_[at / kBlockFrames].get() + 2 * (at % kBlockFrames);
}

void RenderedTune::LowerThisThread() { setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kRenderNice); }

void RenderedTune::Render() {
  LowerThisThread();
  const std::size_t longest = static_cast<std::size_t>(rate_) * kLongestPassSeconds;
  std::size_t at = 0;
  std::size_t pass = 0;
  int lastTick = 0;
  int ticksPerRequest = 0;
  while (!stop_ && (pass == 0 || at < pass + HeadFrames(pass))) {
    if (pass == 0 && fluid_player_get_status(synth_->player) == FLUID_PLAYER_DONE) {
      // The player stopped by itself: the tune plays what was rendered, once.
      passFrames_.store(at, std::memory_order_release);
      ends_.store(true, std::memory_order_release);
      return;
    }
    if (pass == 0 && at >= longest) {
      // Cut there, a later pass starts as the first did.
      cut_.store(true, std::memory_order_relaxed);
      passFrames_.store(at, std::memory_order_release);
      return;
    }
    if (at % kBlockFrames == 0)
      blocks_[at / kBlockFrames] = std::make_unique<std::int16_t[]>(2 * kBlockFrames);
    const bool nearEnd =
        pass == 0 && lastTick + 2 * ticksPerRequest + 1 >= fluid_player_get_total_ticks(synth_->player);
    const std::size_t frames = nearEnd ? kStepFrames : kRequestFrames - at % kRequestFrames;
    std::int16_t* out = Frame(at);
    fluid_synth_write_s16(synth_->synth, static_cast<int>(frames), out, 0, 2, out, 1, 2);
    // The player goes back to the start of the tune at the beginning of a step.
    const int tick = fluid_player_get_current_tick(synth_->player);
    if (pass == 0 && tick < lastTick) {
      pass = at;
      passFrames_.store(pass, std::memory_order_release);
    }
    if (frames == kRequestFrames) ticksPerRequest = std::max(ticksPerRequest, tick - lastTick);
    lastTick = tick;
    at += frames;
    renderedFrames_.store(at, std::memory_order_release);
  }
}

void RenderedTune::Copy(std::size_t at, std::size_t count, std::int16_t* out) const {
  while (count > 0) {
    const std::size_t n = std::min(count, kBlockFrames - at % kBlockFrames);
    std::memcpy(out, Frame(at), n * 2 * sizeof(std::int16_t));
    out += 2 * n;
    at += n;
    count -= n;
  }
}

std::size_t RenderedTune::Read(bool firstPass, std::size_t at, std::size_t count, std::int16_t* out) const {
  const std::size_t pass = PassFrames();
  const std::size_t rendered = renderedFrames_.load(std::memory_order_acquire);
  if (pass != 0) count = std::min(count, pass - std::min(at, pass));
  // What the render holds of frames [from, from + n).
  const auto held = [&](std::size_t from, std::size_t n) {
    return rendered > from ? std::min(n, rendered - from) : 0;
  };
  std::size_t done = 0;
  const std::size_t head = HeadFrames(pass);
  if (!firstPass && at < head) {
    const std::size_t n = std::min(count, head - at);
    const std::size_t got = held(pass + at, n);
    Copy(pass + at, got, out);
    CrossFade(at, got, out);
    if (got < n) return got;
    done = n;
  }
  const std::size_t got = held(at + done, count - done);
  Copy(at + done, got, out + 2 * done);
  return done + got;
}

void RenderedTune::CrossFade(std::size_t at, std::size_t count, std::int16_t* out) const {
  const std::size_t head = HeadFrames(PassFrames());
  const std::size_t fade = std::min(kFadeFrames, head);
  for (std::size_t f = std::max(at, head - fade); f < at + count; ++f) {
    const std::int16_t* rest = Frame(f);
    std::int16_t* mixed = out + 2 * (f - at);
    // The first pass's share, rising to all of it at the end of the head.
    const auto share = static_cast<std::int32_t>((f - (head - fade) + 1) * 256 / fade);
    for (int c = 0; c < 2; ++c) {
      mixed[c] = static_cast<std::int16_t>((mixed[c] * (256 - share) + rest[c] * share) / 256);
    }
  }
}

}  // namespace talvessa
