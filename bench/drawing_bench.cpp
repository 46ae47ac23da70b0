// One world step's drawing as the frame loop does it: the ground copied into the composition surface,
// the nine passes over a busy field, and the finished picture copied to the visible surface.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/sdl/fonts.h"
#include "present/sheet.h"
#include "render/render.h"

namespace talvessa {
namespace {

// Every character a filled block, as cheap as a cached line can be.
class BlockGlyphs final : public GlyphRasterizer {
 public:
  bool Rasterize(const std::string&, int points, bool, const std::string& utf8, TextImage& out) override {
    out.width = 6 * static_cast<int>(utf8.size());
    out.height = points;
    out.coverage.assign(static_cast<std::size_t>(out.width) * out.height, 255);
    return true;
  }
};

// Stands for the window: told of every change to the visible surface, which makes the copy to it
// compare rows first, as in the game.
class QuietWatcher final : public SurfaceWatcher {
 public:
  void SurfaceChanged(const Surface&) override {}
};

// Every table in use: units of all three phases, shots rising, hostages, bursts, popups, bubbles.
World BusyWorld() {
  World w;
  const std::int16_t states[] = {
      unit::Waiting,         unit::Fetching,         unit::Lifting,        unit::RisingOut,
      unit::Arriving,        unit::LeavingPhase1,    unit::VehicleWaiting, unit::VehicleFetching,
      unit::VehicleLifting,  unit::VehicleArriving,  unit::LeavingPhase2,  unit::AircraftWaiting,
      unit::AircraftLifting, unit::AircraftArriving, unit::LeavingForGood, unit::Lifting};
  for (int i = 0; i < kColumns; ++i) {
    const auto x = static_cast<std::int16_t>(kCell * i);
    w.Units[i] = Unit{x,  static_cast<std::int16_t>(32 + 8 * i), 32,
                      32, static_cast<std::int16_t>(20 + 3 * i), states[i],
                      1};
    w.Hostages[i] =
        Hostage{x, static_cast<std::int16_t>(384 - 8 * i),
                i % 4 == 0 ? kind::FamilyStandoff : (i % 2 == 0 ? kind::LoneTaken : kind::FamilyTaken), 100};
  }
  w.Hostages[5].Kind = kind::LoneStandoff;
  for (int i = 0; i < 8; ++i) {
    w.Shots[i] = Shot{static_cast<std::int16_t>(64 * i), static_cast<std::int16_t>(320 - 40 * i),
                      static_cast<std::int16_t>(i == 3 ? 10000 : 1000), 1};
  }
  for (int i = 0; i < 6; ++i) {
    w.Bursts[i] = Burst{static_cast<std::int16_t>(80 * i), 140, static_cast<std::int16_t>(1 + i)};
  }
  for (int i : {3, 5, 10}) w.Popups[i] = Popup{static_cast<std::int16_t>(kCell * i), 120, 10, 300};
  w.PlayerX = 224;
  w.PlayerY = 352;
  w.VanX = 300;
  w.VanY = 352;
  w.VanTimer = 25;
  w.Funds = 12340;
  return w;
}

void StepDrawing(benchmark::State& state, GlyphRasterizer* glyphs) {
  const Surface chip = LoadSheet();
  Text text(glyphs);
  QuietWatcher window;
  Displays display;
  for (Surface& s : display) s = MakeSurface(kFieldWidth, kFieldHeight, kBlack);
  display[kVisible].watcher = &window;
  display[kComposition].FontName = kPlayFace;
  DrawBackground(display[kBackground], chip);
  World world = BusyWorld();
  std::int32_t step = 0;
  for (auto _ : state) {
    // The funds figure changes now and then, as it does in play.
    world.Funds = 12340 + 10 * (step++ % 8);
    DrawWorldStep(world, display, chip, text);
    benchmark::DoNotOptimize(display[kVisible].pixels.data());
  }
}

// The game's sheet, with the texts as blocks and in the game's own face.
void BM_StepDrawingBlockText(benchmark::State& state) {
  BlockGlyphs glyphs;
  StepDrawing(state, &glyphs);
}
void BM_StepDrawingGameFonts(benchmark::State& state) {
  std::string error;
  std::unique_ptr<FontRasterizer> fonts = OpenFontRasterizer(error);
  if (fonts == nullptr) {
    state.SkipWithError(error.c_str());
    return;
  }
  StepDrawing(state, fonts.get());
}

BENCHMARK(BM_StepDrawingBlockText)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_StepDrawingGameFonts)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace talvessa
