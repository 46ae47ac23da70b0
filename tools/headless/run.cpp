#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>

#include "autopilot.h"
#include "formats/numbers.h"
#include "headless.h"
#include "png/png_file.h"
#include "formats/quoted.h"
#include "replays.h"

namespace talvessa {

namespace {

std::uint64_t Number(const std::string& flag, const std::string& word) {
  const std::optional<std::uint64_t> value = ParseNumber<std::uint64_t>(word);
  if (!value) throw std::runtime_error(flag + " expects a whole number, not " + Quoted(word));
  return *value;
}

// A time in milliseconds no later than a script may name.
std::uint64_t Milliseconds(const std::string& flag, const std::string& word) {
  const std::uint64_t ms = Number(flag, word);
  if (ms > HeadlessInput::kLatestMs) {
    throw std::runtime_error(flag + " expects at most " + std::to_string(HeadlessInput::kLatestMs) + " ms");
  }
  return ms;
}

const std::string& FileName(const std::string& flag, const std::string& word) {
  if (word.empty()) throw std::runtime_error(flag + " expects a file name, not an empty one");
  return word;
}

// A key script is a few lines; anything near this size is some other file, or a device without end.
constexpr std::size_t kLargestScript = 16u << 20;

std::string ReadScript(const std::string& path) {
  const auto fail = [&](const std::string& why) {
    throw std::runtime_error("cannot read " + QuotedPath(path) + ": " + why);
  };
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!in) fail(std::strerror(errno));
  std::string text;
  char block[65536];
  while (const std::size_t got = std::fread(block, 1, sizeof block, in.get())) {
    text.append(block, got);
    if (text.size() > kLargestScript) fail("larger than a key script can be");
  }
  // A folder opens, and fails only when read.
  if (std::ferror(in.get())) fail(std::strerror(errno));
  return text;
}

// The options of replays and passes; false for a flag that is not one of them.
bool ParseReplayArgument(HeadlessOptions& options, const std::string& flag, const std::string& value) {
  if (flag == "--until-pass") {
    options.untilPass = Number(flag, value);
    if (*options.untilPass == 0) throw std::runtime_error("--until-pass expects 1 or more");
  } else if (flag == "--replay") {
    options.replayFile = FileName(flag, value);
  } else if (flag == "--save-replay") {
    options.saveReplayFile = FileName(flag, value);
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
         "                         [--hashes FILE] [--fonts DIR]\n"
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
    if (i + 1 >= args.size()) throw std::runtime_error("unknown option or missing value: " + Quoted(flag));
    const std::string& value = args[++i];
    if (flag == "--seed") {
      options.seed = Number(flag, value);
    } else if (flag == "--keys") {
      options.keysFile = FileName(flag, value);
    } else if (flag == "--until-ms") {
      options.untilMs = Milliseconds(flag, value);
    } else if (flag == "--trace") {
      options.traceFile = FileName(flag, value);
    } else if (flag == "--frames") {
      options.framesDir = FileName(flag, value);
    } else if (flag == "--last-frame") {
      options.lastFrameFile = FileName(flag, value);
    } else if (flag == "--hashes") {
      options.hashesFile = FileName(flag, value);
    } else if (flag == "--fonts") {
      options.fontsDir = FileName(flag, value);
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
      throw std::runtime_error("unknown option: " + Quoted(flag));
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
  const auto failed = [&](const std::exception& error, int status) {
    err << "talvessa-headless: " << error.what() << '\n';
    return status;
  };
  HeadlessReplays replays(options);
  try {
    replays.Prepare(setup);
    if (!options.keysFile.empty())
      setup.script = ParseKeyScript(ReadScript(options.keysFile), options.keysFile);
  } catch (const std::exception& error) {
    return failed(error, 2);
  }
  // What cannot be written fails before the run, and every write during it ends the run at once; the
  // trace is put in place only when it is whole.
  std::optional<WholeFile> traceFile;
  std::optional<WholeFile> hashesFile;
  try {
    if (!options.framesDir.empty()) {
      std::error_code error;
      std::filesystem::create_directories(options.framesDir, error);
      if (error) throw std::runtime_error("cannot write into " + QuotedPath(options.framesDir) + ": " + error.message());
    }
    if (!options.traceFile.empty()) traceFile.emplace(options.traceFile);
    if (!options.hashesFile.empty()) hashesFile.emplace(options.hashesFile);
  } catch (const std::exception& error) {
    return failed(error, 1);
  }

  HeadlessPlatform platform(setup);
  std::string fontError;
  std::unique_ptr<FontRasterizer> fonts = OpenHeadlessFonts(options.fontsDir, fontError);
  std::optional<TraceWriter> trace;
  if (traceFile) trace.emplace(*traceFile, platform);
  Autopilot autopilot(platform.input, options.autopilotUntilPhase);
  PassHub hub(trace ? &*trace : nullptr, options.autopilot ? &autopilot : nullptr);
  if (!replays.Attach(platform, hub, err)) return 1;
  Game game(replays.Services(), fonts.get());
  replays.Watch(game);
  platform.screen.onPresent = [&](const WindowPicture& picture, std::uint64_t number) {
    if (hashesFile) hashesFile->Write(PictureHashLine(picture, number));
    if (options.framesDir.empty() || number % options.every != 0) return;
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06llu.png", static_cast<unsigned long long>(number));
    SavePng(picture, (std::filesystem::path(options.framesDir) / name).string());
  };

  const char* reason = "quit";
  try {
    try {
      SetUpForm(game);
      RunGameStates(game);
    } catch (const WindowClosed&) {
      reason = "closed";
    } catch (const HeadlessTimeUp&) {
      reason = "time";
    } catch (const ReplayStopped&) {
      reason = "replay";
    }
    if (trace) {
      trace->RunEnded(game, reason);
      traceFile->Finish();
    }
    if (hashesFile) hashesFile->Finish();
    if (!options.lastFrameFile.empty()) SavePng(platform.screen.LastPicture(), options.lastFrameFile);
  } catch (const std::exception& error) {
    return failed(error, 1);
  }
  return replays.Finish(game, reason, err);
}

}  // namespace talvessa
