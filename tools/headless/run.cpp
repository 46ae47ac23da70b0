#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "autopilot.h"
#include "formats/numbers.h"
#include "headless.h"
#include "platform/sdl/fonts.h"
#include "png/png_file.h"
#include "replays.h"

namespace talvessa {

namespace {

std::uint64_t Number(const std::string& flag, const std::string& word) {
  const std::optional<std::uint64_t> value = ParseNumber<std::uint64_t>(word);
  if (!value) throw std::runtime_error(flag + " expects a whole number, not \"" + word + "\"");
  return *value;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The options of replays and passes; false for a flag that is not one of them.
bool ParseReplayArgument(HeadlessOptions& options, const std::string& flag, const std::string& value) {
  if (flag == "--until-pass") {
    options.untilPass = Number(flag, value);
    if (*options.untilPass == 0) throw std::runtime_error("--until-pass expects 1 or more");
  } else if (flag == "--replay") {
    options.replayFile = value;
  } else if (flag == "--save-replay") {
    options.saveReplayFile = value;
  } else if (flag == "--check-every") {
    options.checkEvery = Number(flag, value);
    if (options.checkEvery < 1 || options.checkEvery > kMostCheckEvery) {
      throw std::runtime_error("--check-every expects 1 to " + std::to_string(kMostCheckEvery));
    }
  } else if (flag == "--test-change-funds-at-pass") {
    options.testChangeFundsAtPass = Number(flag, value);
  } else {
    return false;
  }
  return true;
}

void CheckReplayArguments(const HeadlessOptions& options) {
  if (!options.replayFile.empty() && (options.autopilot || !options.keysFile.empty())) {
    throw std::runtime_error(
        "--replay plays the recorded keys: it cannot be combined with --keys or --autopilot");
  }
  if (!options.replayFile.empty() && !options.saveReplayFile.empty()) {
    throw std::runtime_error("--replay and --save-replay cannot be combined");
  }
  if (options.verify && options.replayFile.empty()) throw std::runtime_error("--verify needs --replay FILE");
}

// After every pass: the trace line, then the autopilot's keys for the next pass.
class PassHub final : public PassObserver {
 public:
  PassHub(TraceWriter* trace, Autopilot* autopilot) : trace_(trace), autopilot_(autopilot) {}
  void PassDone(const Game& game, Loop loop) override {
    if (trace_ != nullptr) trace_->PassDone(game, loop);
    if (autopilot_ != nullptr) autopilot_->Decide(game, loop);
  }

 private:
  TraceWriter* trace_;
  Autopilot* autopilot_;
};

}  // namespace

const char* HeadlessUsage() {
  return "usage: talvessa-headless [--seed N] [--keys FILE] [--until-ms T] [--trace FILE]\n"
         "                         [--frames DIR [--every N]] [--clock-start MS]\n"
         "                         [--last-frame FILE] [--autopilot [--autopilot-until-phase P]]\n"
         "                         [--until-pass N] [--replay FILE [--verify]]\n"
         "                         [--save-replay FILE [--check-every N]]\n"
         "Runs the whole game without a window; see docs/headless.md.\n";
}

HeadlessOptions ParseHeadlessArguments(const std::vector<std::string>& args) {
  HeadlessOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& flag = args[i];
    if (flag == "--help" || flag == "-h") {
      options.help = true;
      continue;
    }
    if (flag == "--autopilot") {
      options.autopilot = true;
      continue;
    }
    if (flag == "--verify") {
      options.verify = true;
      continue;
    }
    if (i + 1 >= args.size()) throw std::runtime_error("unknown option or missing value: " + flag);
    const std::string& value = args[++i];
    if (flag == "--seed") {
      options.seed = Number(flag, value);
    } else if (flag == "--keys") {
      options.keysFile = value;
    } else if (flag == "--until-ms") {
      options.untilMs = Number(flag, value);
    } else if (flag == "--trace") {
      options.traceFile = value;
    } else if (flag == "--frames") {
      options.framesDir = value;
    } else if (flag == "--last-frame") {
      options.lastFrameFile = value;
    } else if (flag == "--every") {
      options.every = Number(flag, value);
      if (options.every == 0) throw std::runtime_error("--every expects 1 or more");
    } else if (flag == "--clock-start") {
      const std::uint64_t start = Number(flag, value);
      if (start > 0xFFFFFFFFu) throw std::runtime_error("--clock-start must fit in 32 bits");
      options.clockStartMs = static_cast<std::uint32_t>(start);
    } else if (flag == "--autopilot-until-phase") {
      const std::uint64_t phase = Number(flag, value);
      if (phase < 1 || phase > 3) throw std::runtime_error("--autopilot-until-phase expects 1, 2 or 3");
      options.autopilot = true;
      options.autopilotUntilPhase = static_cast<int>(phase);
    } else if (!ParseReplayArgument(options, flag, value)) {
      throw std::runtime_error("unknown option: " + flag);
    }
  }
  CheckReplayArguments(options);
  if (options.autopilot && !options.keysFile.empty()) {
    throw std::runtime_error("--autopilot plays by itself: it cannot be combined with --keys");
  }
  return options;
}

int RunHeadless(const HeadlessOptions& options, std::ostream& err) {
  HeadlessPlatform::Options setup;
  setup.seed = options.seed;
  setup.clockStartMs = options.clockStartMs;
  setup.untilMs = options.untilMs;
  std::ofstream traceFile;
  HeadlessReplays replays(options);
  try {
    replays.Prepare(setup);
    if (!options.keysFile.empty())
      setup.script = ParseKeyScript(ReadFile(options.keysFile), options.keysFile);
    if (!options.framesDir.empty()) std::filesystem::create_directories(options.framesDir);
    if (!options.traceFile.empty()) {
      traceFile.open(options.traceFile, std::ios::binary | std::ios::trunc);
      if (!traceFile) throw std::runtime_error("cannot write " + options.traceFile);
    }
  } catch (const std::exception& error) {
    err << "talvessa-headless: " << error.what() << '\n';
    return 2;
  }

  HeadlessPlatform platform(setup);
  std::string fontError;
  std::unique_ptr<FontRasterizer> fonts = OpenFontRasterizer(fontError);
  TraceWriter trace(traceFile, platform);
  Autopilot autopilot(platform.input, options.autopilotUntilPhase);
  PassHub hub(traceFile.is_open() ? &trace : nullptr, options.autopilot ? &autopilot : nullptr);
  if (!replays.Attach(platform, hub, err)) return 1;
  Game game(replays.Services(), fonts.get());
  replays.Watch(game);
  bool framesOk = true;
  if (!options.framesDir.empty()) {
    platform.screen.onPresent = [&](const WindowPicture& picture, std::uint64_t number) {
      if (number % options.every != 0) return;
      char name[32];
      std::snprintf(name, sizeof name, "frame-%06llu.png", static_cast<unsigned long long>(number));
      framesOk = SavePng(picture, (std::filesystem::path(options.framesDir) / name).string()) && framesOk;
    };
  }

  const char* reason = "quit";
  try {
    StateLoop(game);
  } catch (const WindowClosed&) {
    reason = "closed";
  } catch (const HeadlessTimeUp&) {
    reason = "time";
  } catch (const ReplayStopped&) {
    reason = "replay";
  }
  if (traceFile.is_open()) {
    trace.RunEnded(game, reason);
    traceFile.flush();
    if (!traceFile) {
      err << "talvessa-headless: cannot write " << options.traceFile << '\n';
      return 1;
    }
  }
  if (!options.lastFrameFile.empty() && !SavePng(platform.screen.LastPicture(), options.lastFrameFile)) {
    err << "talvessa-headless: cannot write " << options.lastFrameFile << '\n';
    return 1;
  }
  if (!framesOk) {
    err << "talvessa-headless: cannot write the frames into " << options.framesDir << '\n';
    return 1;
  }
  return replays.Finish(game, reason, err);
}

}  // namespace talvessa
