#include "make_tune/note_list.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "formats/numbers.h"
#include "make_tune/pitch_names.h"
#include "source_words.h"

namespace talvessa::tune {

namespace {

using Words = std::vector<std::string_view>;

constexpr int kAccent = 16;  // added to an accented note's velocity
constexpr int kGhost = 24;   // taken from a ghost note's velocity

struct Dynamic {
  std::string_view mark;
  int velocity;
};
constexpr std::array<Dynamic, 6> kDynamics = {{
    {"pp", 36},
    {"p", 52},
    {"mp", 66},
    {"mf", 80},
    {"f", 96},
    {"ff", 112},
}};

std::optional<int> DynamicVelocity(std::string_view word) {
  for (const Dynamic& d : kDynamics) {
    if (d.mark == word) return d.velocity;
  }
  return std::nullopt;
}

// A word of the note list as a message shows it. (Built by appending: GCC 12 warns wrongly about
// "'" + std::string at -O3.)
std::string Quoted(std::string_view word) { return std::string("'").append(word).append("'"); }

bool IsKeyword(std::string_view word) { return word == "tempo" || word == "part" || word == "bar"; }

// Ticks of a written length such as "8", "4." or "16t"; nothing when it is not one.
std::optional<int> LengthTicks(std::string_view text) {
  int scale = 2;  // in halves, so a dotted length stays whole
  if (!text.empty() && text.back() == '.') {
    scale = 3;
    text.remove_suffix(1);
  } else if (!text.empty() && text.back() == 't') {
    text.remove_suffix(1);
    const std::optional<int> base = LengthTicks(text);
    if (!base) return std::nullopt;
    return *base * 2 / 3;
  }
  const std::optional<int> divisor = ParseNumber<int>(text);
  if (!divisor || (*divisor != 1 && *divisor != 2 && *divisor != 4 && *divisor != 8 && *divisor != 16 &&
                   *divisor != 32)) {
    return std::nullopt;
  }
  return kTicksPerBar / *divisor * scale / 2;
}

// A tick count as beats: "4", "3.5", "2.667".
std::string Beats(int ticks) {
  std::string text = std::to_string(ticks / kTicksPerQuarter);
  const int rest = ticks % kTicksPerQuarter;
  if (rest != 0) {
    std::string fraction = std::to_string(1000 + (rest * 1000 + kTicksPerQuarter / 2) / kTicksPerQuarter);
    fraction.erase(0, 1);
    fraction.erase(fraction.find_last_not_of('0') + 1);
    text += "." + fraction;
  }
  return text;
}

// The notes one part plays in one bar, placed from the bar's first tick.
struct PartBar {
  std::vector<Note> notes;
  bool writtenHere = false;  // and not copied by "like"
};

struct Bar {
  int line = 0;
  std::vector<PartBar> parts;  // one per part
};

class Parser {
 public:
  explicit Parser(std::string name) : name_(std::move(name)) {}

  void Line(int line, std::string_view text) {
    const Words words = SourceWords(text);
    if (words.empty()) return;
    if (words[0] == "tempo") return ReadTempo(words, line);
    if (words[0] == "part") return ReadPart(words, line);
    if (words[0] == "bar") return ReadBar(words, line);
    for (std::size_t i = 0; i < tune_.parts.size(); ++i) {
      if (tune_.parts[i].name == words[0]) return ReadPartLine(static_cast<int>(i), words, line);
    }
    Fail(line, Quoted(words[0]) + " is neither a part nor tempo, part or bar");
  }

  Tune Finish(int lastLine) {
    if (bars_.empty()) Fail(lastLine, "no bars: the music starts with 'bar 1'");
    tune_.bars = static_cast<int>(bars_.size());
    for (std::size_t b = 0; b < bars_.size(); ++b) {
      for (const PartBar& part : bars_[b].parts) {
        for (Note note : part.notes) {
          note.start += static_cast<int>(b) * kTicksPerBar;
          tune_.notes.push_back(note);
        }
      }
    }
    CheckSeam();
    return std::move(tune_);
  }

 private:
  [[noreturn]] void Fail(int line, const std::string& what) const {
    throw NoteListError(name_ + ":" + std::to_string(line) + ": " + what);
  }

  // The value of `word` when it is a whole number from `low` to `high`.
  int Number(std::string_view word, int low, int high, const std::string& what, int line) const {
    const std::optional<int> value = ParseNumber<int>(word);
    if (!value || *value < low || *value > high) {
      Fail(line, what + " is a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                     ", not " + Quoted(word));
    }
    return *value;
  }

  void NotInMusicYet(std::string_view what, int line) const {
    if (!bars_.empty()) Fail(line, std::string(what) + " comes before the first bar");
  }

  void ReadTempo(const Words& words, int line) {
    NotInMusicYet("the tempo", line);
    if (tune_.bpm != 0) Fail(line, "the tempo is given twice");
    if (words.size() != 2) Fail(line, "expected 'tempo <beats per minute>'");
    tune_.bpm = Number(words[1], 30, 300, "the tempo", line);
  }

  void ReadPart(const Words& words, int line) {
    NotInMusicYet("a part", line);
    if (words.size() < 2) Fail(line, "expected 'part <name> channel <1-16> program <1-128> ...'");
    Part part;
    part.name = words[1];
    if (IsKeyword(part.name) || part.name == "r" || DynamicVelocity(part.name)) {
      Fail(line, Quoted(part.name) + " cannot name a part");
    }
    for (const Part& other : tune_.parts) {
      if (other.name == part.name) Fail(line, "there is already a part " + Quoted(part.name));
    }
    part.velocity = 80;
    part.gate = 90;
    part.volume = 100;
    part.pan = 64;
    std::vector<std::string_view> given;
    for (std::size_t i = 2; i < words.size(); i += 2) {
      const std::string key(words[i]);
      if (std::find(given.begin(), given.end(), words[i]) != given.end()) {
        Fail(line, key + " is given twice");
      }
      given.push_back(words[i]);
      if (i + 1 == words.size()) Fail(line, key + " needs a value");
      const std::string_view value = words[i + 1];
      if (key == "channel") {
        part.channel = Number(value, 1, 16, "a channel", line);
      } else if (key == "program") {
        part.program = Number(value, 1, 128, "a program", line);
      } else if (key == "velocity") {
        part.velocity = Number(value, 1, 127, "a velocity", line);
      } else if (key == "gate") {
        part.gate = Number(value, 1, 100, "the gate (percent)", line);
      } else if (key == "volume") {
        part.volume = Number(value, 0, 127, "the volume", line);
      } else if (key == "pan") {
        part.pan = Number(value, 0, 127, "the pan", line);
      } else {
        Fail(line, Quoted(key) + " is not one of channel program velocity gate volume pan");
      }
    }
    if (part.channel == 0) Fail(line, "part " + part.name + " has no channel");
    for (const Part& other : tune_.parts) {
      if (other.channel == part.channel) {
        Fail(line, "channel " + std::to_string(part.channel) + " already belongs to " + other.name);
      }
    }
    if (part.IsDrums() && part.program != 0) Fail(line, "channel 10 is the drum kit and takes no program");
    if (!part.IsDrums() && part.program == 0) Fail(line, "part " + part.name + " has no program");
    tune_.parts.push_back(part);
  }

  void ReadBar(const Words& words, int line) {
    if (tune_.bpm == 0) Fail(line, "the music starts before the tempo is given");
    if (tune_.parts.empty()) Fail(line, "the music starts before any part is declared");
    const int expected = static_cast<int>(bars_.size()) + 1;
    const bool like = words.size() == 4 && words[2] == "like";
    if (words.size() != 2 && !like)
      Fail(line, "expected 'bar <number>' or 'bar <number> like <earlier bar>'");
    const std::optional<int> number = ParseNumber<int>(words[1]);
    if (number != expected) {
      Fail(line, "bar " + std::string(words[1]) + " where bar " + std::to_string(expected) + " comes next");
    }
    Bar bar{line, std::vector<PartBar>(tune_.parts.size())};
    if (like) {
      const std::optional<int> model = ParseNumber<int>(words[3]);
      if (!model || *model < 1 || *model >= expected) {
        Fail(line, "bar " + std::to_string(expected) + " can only be like a bar before it, not " +
                       Quoted(words[3]));
      }
      bar.parts = bars_[*model - 1].parts;
      for (PartBar& part : bar.parts) part.writtenHere = false;
    }
    bars_.push_back(std::move(bar));
  }

  void ReadPartLine(int partIndex, const Words& words, int line) {
    const Part& part = tune_.parts[partIndex];
    if (bars_.empty()) Fail(line, part.name + " plays before the first bar");
    PartBar& written = bars_.back().parts[partIndex];
    if (written.writtenHere) Fail(line, part.name + " has a second line in this bar");
    written = {{}, true};
    int at = 0;
    int length = 0;
    int velocity = part.velocity;
    for (std::size_t i = 1; i < words.size(); ++i) {
      std::string_view token = words[i];
      if (const std::optional<int> dynamic = DynamicVelocity(token)) {
        velocity = *dynamic;
        continue;
      }
      const bool held = token.back() == '_';
      if (held) token.remove_suffix(1);
      const std::size_t slash = token.find('/');
      if (slash != std::string_view::npos) {
        const std::optional<int> ticks = LengthTicks(token.substr(slash + 1));
        if (!ticks) {
          Fail(line,
               Quoted(token.substr(slash + 1)) + " is not a length (1 2 4 8 16 32, dotted '.', triplet 't')");
        }
        length = *ticks;
      } else if (length == 0) {
        Fail(line, Quoted(words[i]) + " needs a length, as in " + std::string(token) + "/8");
      }
      const std::string_view sound = token.substr(0, slash);
      if (sound != "r") {
        const int sounding = held ? length : std::max(1, length * part.gate / 100);
        AddChord(partIndex, sound, at, sounding, velocity, written.notes, line);
      }
      at += length;
      if (at > kTicksPerBar) {
        Fail(line, part.name + " runs past the bar line at " + Quoted(words[i]) + " (" + Beats(at) +
                       " beats in a 4-beat bar)");
      }
    }
    if (at != kTicksPerBar) {
      Fail(line, part.name + " fills " + Beats(at) + " beats of a 4-beat bar");
    }
  }

  // One note, or several joined by '+', each maybe accented ('>') or a ghost ("(snare)").
  void AddChord(int partIndex, std::string_view chord, int at, int length, int velocity,
                std::vector<Note>& notes, int line) const {
    const Part& part = tune_.parts[partIndex];
    const std::size_t first = notes.size();
    while (true) {
      const std::size_t plus = chord.find('+');
      std::string_view member = chord.substr(0, plus);
      int v = velocity;
      if (member.size() > 1 && member.front() == '>') {
        v += kAccent;
        member.remove_prefix(1);
      } else if (member.size() > 2 && member.front() == '(' && member.back() == ')') {
        v = std::max(1, v - kGhost);
        member = member.substr(1, member.size() - 2);
      }
      const std::optional<int> key = part.IsDrums() ? DrumKey(member) : PitchKey(member);
      if (!key) {
        Fail(line, part.IsDrums() ? Quoted(member) + " is not a drum; the drums are " + DrumNames()
                                  : Quoted(member) + " is not a pitch such as c4, bb3 or f#5");
      }
      if (v > 127) Fail(line, "the accent on " + Quoted(member) + " lifts its velocity past 127");
      for (std::size_t n = first; n < notes.size(); ++n) {
        if (notes[n].key == *key) Fail(line, Quoted(member) + " sounds twice in one chord");
      }
      notes.push_back({partIndex, at, length, *key, v});
      if (plus == std::string_view::npos) break;
      chord.remove_prefix(plus + 1);
    }
  }

  // The tune is played over and over: it must start on its first tick and sound to its last.
  void CheckSeam() const {
    const bool opens =
        std::any_of(tune_.notes.begin(), tune_.notes.end(), [](const Note& n) { return n.start == 0; });
    if (!opens) Fail(bars_.front().line, "nothing starts on the first beat, so every loop would open late");
    int end = 0;
    for (const Note& n : tune_.notes) end = std::max(end, n.start + n.length);
    if (end != tune_.LengthTicks()) {
      Fail(bars_.back().line,
           "nothing sounds up to the last bar line, so every loop would close early; hold a note to the end "
           "(gate 100 or '_')");
    }
  }

  std::string name_;
  Tune tune_;
  std::vector<Bar> bars_;
};

}  // namespace

Tune ParseNoteList(std::string_view text, const std::string& name) {
  Parser parser(name);
  int line = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    parser.Line(++line, text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return parser.Finish(std::max(line, 1));
}

Tune ReadNoteList(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw NoteListError(file.string() + ": cannot be read");
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return ParseNoteList(text, file.string());
}

}  // namespace talvessa::tune
