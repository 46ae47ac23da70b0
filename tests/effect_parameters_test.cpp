// The sound effects' parameter file: what its lines mean, and the messages that name the line of a fault.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asset_files.h"
#include "make_effects/effect_text.h"
#include "make_effects/effects.h"

namespace talvessa::sfx {
namespace {

using testing::kAssets;

// Nine minimal effects, se0 replaced by `first` (which starts at line 1).
std::string Nine(const std::string& first) {
  std::string text = first;
  for (int n = 1; n < kEffectCount; ++n) text += "effect se" + std::to_string(n) + "\n  sine A4 length=50\n";
  return text;
}

std::string ErrorOf(const std::string& text) {
  try {
    ParseEffects(text, "effects.txt");
  } catch (const ParameterError& e) {
    return e.what();
  }
  return "no error";
}

TEST(EffectParameters, ReadNotesGlidesSettingsAndComments) {
  const std::vector<Effect> effects =
      ParseEffects(Nine("; the flick\r\n"
                        "effect se0 ; upward\r\n"
                        "\tpulse C5>1000  at=10 length=120\tduty=0.25 decay=30 "
                        "sustain=0.5 release=20 level=-6 vibrato=2 depth=10\r\n"
                        "\r\n"
                        "  noise length=40 lowpass=5000 highpass=300 ; hiss\n"
                        "  noise length=40 seed=77\n"),
                   "effects.txt");
  ASSERT_EQ(effects.size(), std::size_t{kEffectCount});
  const Effect& e = effects[0];
  EXPECT_EQ(e.line, 2);
  EXPECT_DOUBLE_EQ(e.LengthMs(), 130);
  ASSERT_EQ(e.voices.size(), 3u);
  const Voice& p = e.voices[0];
  EXPECT_EQ(p.line, 3);
  EXPECT_EQ(p.wave, Wave::Pulse);
  EXPECT_DOUBLE_EQ(p.fromHz, NoteFrequency("C5"));
  EXPECT_DOUBLE_EQ(p.toHz, 1000);
  EXPECT_EQ((std::array{p.atMs, p.lengthMs, p.duty, p.attackMs, p.decayMs, p.sustain, p.releaseMs, p.levelDb,
                        p.vibratoHz, p.vibratoCents}),
            (std::array{10.0, 120.0, 0.25, 2.0, 30.0, 0.5, 20.0, -6.0, 2.0, 10.0}));
  const Voice& hiss = e.voices[1];
  EXPECT_EQ(hiss.wave, Wave::Noise);
  EXPECT_EQ((std::array{hiss.lowpassHz, hiss.highpassHz, hiss.sustain}), (std::array{5000.0, 300.0, 1.0}));
  EXPECT_EQ(e.voices[2].seed, 77u);
  EXPECT_NE(hiss.seed, 0u);
  EXPECT_NE(hiss.seed, 77u);
}

TEST(EffectParameters, FaultsNameTheFileAndLine) {
  const std::string head = "effect se0\n";
  const std::pair<std::string, std::string> cases[] = {
      {"  sine A4 length=50\n" + head, "1: a voice before the first 'effect' line"},
      {head + "  sqare A4 length=50\n", "2: 'sqare' is neither 'effect' nor a wave"},
      {head + "  sine H4 length=50\n", "2: 'H4' is not a pitch"},
      {head + "  sine A4>30000 length=50\n", "2: '30000' is not a pitch"},
      {head + "  sine length=50\n", "2: a sine voice needs a pitch"},
      {head + "  sine A4 at=5\n", "2: a voice needs length=<ms>"},
      {head + "  sine A4 lenght=50\n", "2: unknown setting 'lenght'"},
      {head + "  sine A4 length=50 sustain=2\n", "2: sustain is 0 to 1, got '2'"},
      {head + "  sine A4 length=50 level=-3dB\n", "2: level is -60 to 0 dB, got '-3dB'"},
      {head + "  sine A4 length=50 length=60\n", "2: length is given twice"},
      {head + "  sine A4 length=50 loud\n", "2: expected key=value, got 'loud'"},
      {head + "  square A4 length=50 duty=0.3\n", "2: duty is for pulse voices only"},
      {head + "  sine A4 length=50 seed=3\n", "2: seed is for noise voices only"},
      {head + "  noise length=50 seed=2.5\n", "2: seed is a whole number"},
      {head + "  sine A4 length=50 vibrato=6\n", "2: vibrato=<Hz> and depth=<cents> go together"},
      {head + "  sine A4 length=50 attack=30 release=30\n", "2: attack and release together"},
      {head + "  noise length=50 lowpass=500 highpass=500\n", "2: highpass must be below lowpass"},
      {head + "  sine A4 length=50 sustain=0\n", "2: sustain=0 needs a decay"},
      {"effect\n", "1: expected 'effect seN'"},
      {"effect se9\n", "1: 'se9' is not an effect name"},
      {"effect se0\n\n", "1: se0 has no voices"},
      {head + "  sine A4 at=10 length=50\n", "1: se0 starts late: no voice has at=0"},
      {head + "  sine A4 length=600\n  sine A4 at=500 length=600\n", "1: se0 lasts 1100 ms"},
      // Four lines of our own, then se1 and se2 two lines each: the second se3 stands at line 9.
      {head + "  sine A4 length=50\neffect se3\n  sine A4 length=50\n",
       "9: se3 is given twice (first at line 3)"},
  };
  for (const auto& [text, message] : cases) {
    EXPECT_EQ(ErrorOf(Nine(text)).rfind("effects.txt:" + message, 0), 0u) << ErrorOf(Nine(text));
  }

  std::string withoutSe5 = Nine(head + "  sine A4 length=50\n");
  withoutSe5.erase(withoutSe5.find("effect se5"), std::string("effect se5\n  sine A4 length=50\n").size());
  EXPECT_EQ(ErrorOf(withoutSe5), "effects.txt: se5 is missing");
  EXPECT_THROW(BuildEffects(kAssets / "sound/no-such-file.txt"), ParameterError);
}

}  // namespace
}  // namespace talvessa::sfx
