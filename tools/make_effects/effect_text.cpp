#include "make_effects/effect_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <sstream>

#include "formats/numbers.h"
#include "source_words.h"

namespace talvessa::sfx {

namespace {

std::optional<double> Number(std::string_view word) {
  const std::optional<double> value = ParseNumber<double>(word);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

struct WaveName {
  std::string_view name;
  Wave wave;
};
constexpr std::array<WaveName, 6> kWaves = {{{"sine", Wave::Sine},
                                             {"triangle", Wave::Triangle},
                                             {"square", Wave::Square},
                                             {"pulse", Wave::Pulse},
                                             {"saw", Wave::Saw},
                                             {"noise", Wave::Noise}}};

// The settings a voice line may carry as key=value, with the values they accept.
struct Setting {
  std::string_view key;
  double Voice::*field;
  double min, max;
  std::string_view unit;
};
constexpr std::array<Setting, 12> kSettings = {{
    {"at", &Voice::atMs, 0, 1000, "ms"},
    {"length", &Voice::lengthMs, 1, 1000, "ms"},
    {"attack", &Voice::attackMs, 0, 1000, "ms"},
    {"decay", &Voice::decayMs, 0, 5000, "ms"},
    {"sustain", &Voice::sustain, 0, 1, ""},
    {"release", &Voice::releaseMs, 0, 1000, "ms"},
    {"level", &Voice::levelDb, -60, 0, "dB"},
    {"duty", &Voice::duty, 0.05, 0.95, ""},
    {"vibrato", &Voice::vibratoHz, 0.1, 40, "Hz"},
    {"depth", &Voice::vibratoCents, 0, 1200, "cents"},
    {"lowpass", &Voice::lowpassHz, 20, 20000, "Hz"},
    {"highpass", &Voice::highpassHz, 20, 20000, "Hz"},
}};

constexpr double kLowestHz = 20, kHighestHz = 20000;
constexpr double kLongestEffectMs = 1000;

std::string EffectName(int n) {
  std::string name = "se";
  name += std::to_string(n);
  return name;
}

std::string Format(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

class Reader {
 public:
  explicit Reader(const std::string& fileName) : fileName_(fileName) {}

  std::vector<Effect> Read(std::string_view text) {
    int number = 0;
    while (!text.empty()) {
      ++number;
      const std::size_t end = std::min(text.find('\n'), text.size());
      ReadLine(SourceWords(text.substr(0, end)), number);
      text.remove_prefix(std::min(end + 1, text.size()));
    }
    if (!effects_.empty()) FinishEffect(effects_.back());
    std::vector<Effect> ordered(kEffectCount);
    for (int n = 0; n < kEffectCount; ++n) {
      const std::string name = EffectName(n);
      auto found =
          std::find_if(effects_.begin(), effects_.end(), [&](const Effect& e) { return e.name == name; });
      if (found == effects_.end()) throw ParameterError(fileName_ + ": " + name + " is missing");
      ordered[n] = std::move(*found);
    }
    return ordered;
  }

 private:
  // The message is given in pieces, joined after "file:line: ".
  [[noreturn]] void Fail(int line, std::initializer_list<std::string_view> what) const {
    std::string message = fileName_ + ":" + std::to_string(line) + ": ";
    for (std::string_view piece : what) message += piece;
    throw ParameterError(message);
  }

  void ReadLine(const std::vector<std::string_view>& words, int number) {
    if (words.empty()) return;
    if (words[0] == "effect") {
      StartEffect(words, number);
      return;
    }
    const auto wave =
        std::find_if(kWaves.begin(), kWaves.end(), [&](const WaveName& w) { return w.name == words[0]; });
    if (wave == kWaves.end()) {
      Fail(number,
           {"'", words[0], "' is neither 'effect' nor a wave (sine, triangle, square, pulse, saw, noise)"});
    }
    if (effects_.empty()) Fail(number, {"a voice before the first 'effect' line"});
    effects_.back().voices.push_back(ReadVoice(wave->wave, words, number));
  }

  void StartEffect(const std::vector<std::string_view>& words, int number) {
    if (words.size() != 2) Fail(number, {"expected 'effect seN'"});
    const std::string name(words[1]);
    if (name.size() != 3 || name.compare(0, 2, "se") != 0 || name[2] < '0' || name[2] >= '0' + kEffectCount) {
      Fail(number, {"'", name, "' is not an effect name (se0 to se8)"});
    }
    for (const Effect& e : effects_)
      if (e.name == name)
        Fail(number, {name, " is given twice (first at line ", std::to_string(e.line), ")"});
    if (!effects_.empty()) FinishEffect(effects_.back());
    effects_.push_back(Effect{name, number, {}});
  }

  void FinishEffect(const Effect& effect) const {
    if (effect.voices.empty()) Fail(effect.line, {effect.name, " has no voices"});
    const bool startsAtOnce =
        std::any_of(effect.voices.begin(), effect.voices.end(), [](const Voice& v) { return v.atMs == 0; });
    if (!startsAtOnce) Fail(effect.line, {effect.name, " starts late: no voice has at=0"});
    if (effect.LengthMs() > kLongestEffectMs) {
      Fail(effect.line, {effect.name, " lasts ", Format(effect.LengthMs()), " ms; an effect lasts at most ",
                         Format(kLongestEffectMs), " ms"});
    }
  }

  Voice ReadVoice(Wave wave, const std::vector<std::string_view>& words, int number) const {
    Voice voice;
    voice.wave = wave;
    voice.line = number;
    std::size_t next = 1;
    if (wave != Wave::Noise) {
      if (words.size() < 2 || words[1].find('=') != std::string_view::npos) {
        Fail(number, {"a ", words[0], " voice needs a pitch (A4, 440 or a glide such as C5>C6)"});
      }
      ReadPitch(words[1], voice, number);
      next = 2;
    }
    std::vector<std::string_view> given;
    for (; next < words.size(); ++next) {
      const std::string_view word = words[next];
      const std::size_t equals = word.find('=');
      if (equals == std::string_view::npos) Fail(number, {"expected key=value, got '", word, "'"});
      const std::string_view key = word.substr(0, equals);
      const std::string_view value = word.substr(equals + 1);
      if (std::find(given.begin(), given.end(), key) != given.end()) {
        Fail(number, {key, " is given twice"});
      }
      given.push_back(key);
      ReadSetting(key, value, voice, number);
    }
    const auto has = [&](std::string_view key) {
      return std::find(given.begin(), given.end(), key) != given.end();
    };
    if (!has("length")) Fail(number, {"a voice needs length=<ms>"});
    if (has("duty") && wave != Wave::Pulse) Fail(number, {"duty is for pulse voices only"});
    if (has("seed") && wave != Wave::Noise) Fail(number, {"seed is for noise voices only"});
    if (has("depth") != has("vibrato")) Fail(number, {"vibrato=<Hz> and depth=<cents> go together"});
    if (voice.attackMs + voice.releaseMs > voice.lengthMs) {
      Fail(number, {"attack and release together are longer than the voice"});
    }
    if (voice.sustain == 0 && voice.decayMs == 0) {
      Fail(number, {"sustain=0 needs a decay, or the voice stops dead after its attack"});
    }
    if (voice.lowpassHz > 0 && voice.highpassHz >= voice.lowpassHz) {
      Fail(number, {"highpass must be below lowpass, or nothing is left"});
    }
    return voice;
  }

  void ReadPitch(std::string_view word, Voice& voice, int number) const {
    const std::size_t arrow = word.find('>');
    voice.fromHz = Frequency(word.substr(0, arrow), number);
    voice.toHz = arrow == std::string_view::npos ? voice.fromHz : Frequency(word.substr(arrow + 1), number);
  }

  double Frequency(std::string_view word, int number) const {
    const double hz = NoteFrequency(word) > 0 ? NoteFrequency(word) : Number(word).value_or(0);
    if (hz < kLowestHz || hz > kHighestHz) {
      Fail(number, {"'", word, "' is not a pitch: a note name such as C#5, or 20 to 20000 Hz"});
    }
    return hz;
  }

  void ReadSetting(std::string_view key, std::string_view value, Voice& voice, int number) const {
    const std::optional<double> read = Number(value);
    if (key == "seed") {
      if (!read || *read < 1 || *read > 4294967295.0 || *read != std::floor(*read)) {
        Fail(number, {"seed is a whole number from 1 to 4294967295"});
      }
      voice.seed = static_cast<std::uint32_t>(*read);
      return;
    }
    const auto setting =
        std::find_if(kSettings.begin(), kSettings.end(), [&](const Setting& s) { return s.key == key; });
    if (setting == kSettings.end()) Fail(number, {"unknown setting '", key, "'"});
    if (!read || *read < setting->min || *read > setting->max) {
      Fail(number, {key, " is ", Format(setting->min), " to ", Format(setting->max),
                    setting->unit.empty() ? "" : " ", setting->unit, ", got '", value, "'"});
    }
    voice.*(setting->field) = *read;
  }

  std::string fileName_;
  std::vector<Effect> effects_;
};

}  // namespace

double Effect::LengthMs() const {
  double end = 0;
  for (const Voice& v : voices) end = std::max(end, v.atMs + v.lengthMs);
  return end;
}

double NoteFrequency(std::string_view name) {
  constexpr std::array<int, 7> kSemitoneOfLetter = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') return 0;
  int semitone = kSemitoneOfLetter[name[0] - 'A'];
  std::size_t at = 1;
  if (name[at] == '#' || name[at] == 'b') semitone += name[at++] == '#' ? 1 : -1;
  if (at + 1 != name.size() || name[at] < '0' || name[at] > '8') return 0;
  const int midi = 12 * (name[at] - '0' + 1) + semitone;
  return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

std::vector<Effect> ParseEffects(std::string_view text, const std::string& fileName) {
  std::vector<Effect> effects = Reader(fileName).Read(text);
  // A noise voice without a seed of its own gets one from its place, so no two layers are the same hiss
  // and editing one effect leaves the others' noise as it was.
  for (std::size_t n = 0; n < effects.size(); ++n) {
    std::vector<Voice>& voices = effects[n].voices;
    for (std::size_t i = 0; i < voices.size(); ++i)
      if (voices[i].wave == Wave::Noise && voices[i].seed == 0) voices[i].seed = (n + 1) * 100 + i + 1;
  }
  return effects;
}

std::vector<Effect> ReadEffects(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw ParameterError(file.string() + ": cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  return ParseEffects(text.str(), file.string());
}

}  // namespace talvessa::sfx
