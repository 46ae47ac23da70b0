#include "command_line.h"

#include <string_view>

#include "formats/numbers.h"
#include "formats/quoted.h"

namespace talvessa {
namespace {

int WholeNumberIn(const std::string& flag, const std::string& word, int lowest, int highest) {
  const std::optional<int> value = ParseNumber<int>(word);
  if (!value || *value < lowest || *value > highest) {
    throw BadCommandLine(flag + " expects a whole number from " + std::to_string(lowest) + " to " +
                         std::to_string(highest) + ", not " + Quoted(word));
  }
  return *value;
}

}  // namespace

GameOptions ParseGameArguments(const std::vector<std::string>& args) {
  GameOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    // --name=value gives the value in the same argument.
    const std::size_t equals = args[i].rfind("--", 0) == 0 ? args[i].find('=') : std::string::npos;
    const std::string flag = args[i].substr(0, equals);
    const std::optional<std::string> attached =
        equals == std::string::npos ? std::nullopt : std::optional(args[i].substr(equals + 1));
    auto value = [&]() -> std::string {
      if (attached) return *attached;
      if (i + 1 >= args.size()) throw BadCommandLine(flag + " expects a value");
      return args[++i];
    };
    auto file = [&]() -> std::string {
      const std::string name = value();
      if (name.empty()) throw BadCommandLine(flag + " expects a file name");
      return name;
    };
    auto noValue = [&] {
      if (attached) throw BadCommandLine(flag + " takes no value");
    };
    if (flag == "--help" || flag == "-h") {
      noValue();
      options.help = true;
    } else if (flag == "--version") {
      noValue();
      options.version = true;
    } else if (flag == "--fullscreen" || flag == "--window") {
      noValue();
      const bool wanted = flag == "--fullscreen";
      if (options.fullscreen && *options.fullscreen != wanted) {
        throw BadCommandLine("--fullscreen and --window cannot be combined");
      }
      options.fullscreen = wanted;
    } else if (flag == "--scale") {
      options.scale = WholeNumberIn(flag, value(), 1, kLargestScale);
    } else if (flag == "--mute") {
      noValue();
      options.mute = true;
    } else if (flag == "--volume") {
      options.volume = WholeNumberIn(flag, value(), 0, kFullVolume);
    } else if (flag == "--pause-when-unfocused") {
      noValue();
      options.pauseWhenUnfocused = true;
    } else if (flag == "--record") {
      options.recordFile = file();
    } else if (flag == "--replay") {
      options.replayFile = file();
    } else if (flag == "--data") {
      options.dataFolder = file();
    } else {
      throw BadCommandLine("unknown option: " + Quoted(flag));
    }
  }
  if (!options.recordFile.empty() && !options.replayFile.empty()) {
    throw BadCommandLine("--record and --replay cannot be combined");
  }
  return options;
}

std::string GameUsage() {
  return "Usage: talvessa [OPTION]...\n"
         "Free the hostages: walk your flag along the bottom row and throw money at the terrorists' units.\n"
         "\n"
         "Options:\n"
         "  --fullscreen            start in fullscreen\n"
         "  --window                start in a window\n"
         "  --scale N               open the window at N times the picture (1 to 8)\n"
         "  --mute                  start with all sound off\n"
         "  --volume N              start at volume N (0 silent to 10 full)\n"
         "  --pause-when-unfocused  pause, as Enter does, when the window loses the keyboard\n"
         "  --record FILE           record the game to FILE as a replay\n"
         "  --replay FILE           show the replay in FILE (Esc ends it)\n"
         "  --data DIR              take the sounds and the tune from DIR/da instead of the game's own\n"
         "  -h, --help              show this help and exit\n"
         "  --version               show the version and exit\n"
         "An option's value may also follow an equals sign: --scale=3.\n"
         "\n"
         "Keys:\n"
         "  Space                   start; throw banknotes (also B and .)\n"
         "  Left, Right             walk the flag (also Z and X)\n"
         "  N                       send the van with a bundle (also V, comma and /)\n"
         "  Enter                   pause and resume\n"
         "  M                       mute and unmute all sound\n"
         "  -, =                    volume down, up in steps of 3 dB (also keypad - and +)\n"
         "  F11, Alt+Enter          fullscreen or window\n"
         "  Esc                     quit the program, from any screen\n"
         "\n"
         "A game controller works too: d-pad or left stick walk, A throws, B or X sends the van, Start\n"
         "pauses, the shoulder buttons set the volume.\n"
         "\n"
         "Exit status: 0 when the player quits; 1 when no window can be opened, the data folder given\n"
         "has no da/, the recording cannot be written or memory runs out; 2 for a command line the game\n"
         "cannot follow or a replay file it cannot read; 3 for a replay that no longer plays back as\n"
         "recorded; 4 for a replay cut short.\n";
}

std::string GameVersion() { return "talvessa " TALVESSA_VERSION "\n"; }

}  // namespace talvessa
