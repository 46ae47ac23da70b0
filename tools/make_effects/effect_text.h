// The readable source of the game's sound effects: one block per effect, one line per voice.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace talvessa::sfx {

// The effects are se0 to se8, played by number.
constexpr int kEffectCount = 9;

// A fault in the parameter file; the message starts with "file:line:" so editors can jump to it.
class ParameterError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Wave { Sine, Triangle, Square, Pulse, Saw, Noise };

// One sounding layer of an effect. Times are in milliseconds from the start of the effect.
struct Voice {
  Wave wave = Wave::Sine;
  double fromHz = 0;  // the pitch glides exponentially from `fromHz` to `toHz` over the whole length;
  double toHz = 0;    // both are 0 for noise
  double atMs = 0;
  double lengthMs = 0;
  double attackMs = 2;   // linear rise from silence
  double decayMs = 0;    // exponential fall to within 1% of `sustain`
  double sustain = 1;    // level held after the decay, 0 to 1
  double releaseMs = 0;  // linear fade to silence over the last `releaseMs` of the length
  double levelDb = 0;    // weight in the mix, before the effect is normalised
  double duty = 0.5;     // share of the period a pulse is high
  double vibratoHz = 0;
  double vibratoCents = 0;
  double lowpassHz = 0;  // 0: no filter
  double highpassHz = 0;
  std::uint32_t seed = 0;  // noise only; 0 until the reader gives each voice its own
  int line = 0;
};

struct Effect {
  std::string name;  // "se0" … "se8"
  int line = 0;      // of its "effect" line
  std::vector<Voice> voices;
  double LengthMs() const;
};

// Parses the parameter text; `fileName` only names it in error messages. Returns se0 to se8 in order.
// Throws ParameterError ("file:line: what is wrong") for any fault, so nothing half-made is written.
std::vector<Effect> ParseEffects(std::string_view text, const std::string& fileName);
std::vector<Effect> ReadEffects(const std::filesystem::path& file);

// The frequency of a note name such as "A4" (440 Hz), "C#5" or "Bb3"; 0 when it is not a note name.
double NoteFrequency(std::string_view name);

}  // namespace talvessa::sfx
