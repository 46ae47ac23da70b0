// talvessa-soak: millions of world steps of mixed good and random play, checked after every step.
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

#include "formats/numbers.h"
#include "platform/sdl/fonts.h"
#include "present/sheet.h"
#include "present/text.h"
#include "platform/standard_descriptors.h"
#include "render/render.h"
#include "soak.h"

int main(int argc, char** argv) {
  talvessa::KeepStandardDescriptorsOpen();
  std::uint64_t steps = 10'000'000, seed = 1;
  bool draw = false;
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--draw") {
      draw = true;
      continue;
    }
    std::uint64_t* target = flag == "--steps" ? &steps : flag == "--seed" ? &seed : nullptr;
    const std::optional<std::uint64_t> number =
        target != nullptr && i + 1 < argc ? talvessa::ParseNumber<std::uint64_t>(argv[++i]) : std::nullopt;
    if (!number) {
      std::fprintf(stderr, "usage: talvessa-soak [--steps N] [--seed N] [--draw]\n");
      return 2;
    }
    *target = *number;
  }
  // With --draw every step is also drawn as in play: the ground copied, the nine passes, the copy to
  // the visible surface.
  using namespace talvessa;
  std::string error;
  std::unique_ptr<FontRasterizer> fonts = draw ? OpenFontRasterizer(error) : nullptr;
  Text text(fonts.get());
  const Surface chip = LoadSheet();
  Displays display;
  for (Surface& surface : display) {
    surface.BackColor = kBlack;
    SetGeometry(surface, kFieldWidth, kFieldHeight, 32, 32);
    surface.FontName = kPlayFace;
  }
  DrawBackground(display[kBackground], chip);
  auto drawStep = [&](const World& w) { DrawWorldStep(w, display, chip, text); };
  const auto start = std::chrono::steady_clock::now();
  const SoakReport report = Soak(steps, seed, draw ? std::function<void(const World&)>(drawStep) : nullptr);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%llu world steps, %llu games, highest phase %d, most rescued %d, %.0f steps/s\n",
              static_cast<unsigned long long>(report.steps), static_cast<unsigned long long>(report.games),
              report.highestPhase, report.mostRescued, seconds > 0 ? report.steps / seconds : 0.0);
  if (!report.violation.empty()) {
    std::fprintf(stderr, "talvessa-soak: %s\n", report.violation.c_str());
    return 1;
  }
  return 0;
}
