// What the texts cost: one frame of play's labels through the cache, and a line the first time.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/sdl/fonts.h"
#include "present/text.h"
#include "support/counting_glyphs.h"

namespace talvessa {
namespace {

const std::string kGothic = kPlayFace;
const std::string kBrush = kScreenFace;

std::unique_ptr<FontRasterizer> OpenOrSkip(benchmark::State& state) {
  std::string error;
  std::unique_ptr<FontRasterizer> fonts = OpenFontRasterizer(error);
  if (fonts == nullptr) state.SkipWithError(error.c_str());
  return fonts;
}

// The texts of one frame: the pause label, two rising rewards and the funds figure, each a black
// print with a white one a pixel right and down.
void FrameTexts(Text& text, Surface& surface) {
  for (int shade = 0; shade < 2; ++shade) {
    const Colour colour = shade == 0 ? kBlack : kWhite;
    PrintText(text, surface, 226 + shade, 180 + shade, 12, true, colour, "PAUSE");
    PrintText(text, surface, 64 + shade, 200 + shade, 12, true, colour, 100);
    PrintText(text, surface, 320 + shade, 150 + shade, 12, true, colour, 300);
    PrintNumber(text, surface, 246 + shade, 360 + shade, 16, true, colour, 3000);
  }
}

Surface Field() {
  Surface surface = MakeSurface(512, 384, 0x336633);
  surface.FontName = kGothic;
  return surface;
}

void BM_FrameTextsCached(benchmark::State& state) {
  std::unique_ptr<FontRasterizer> fonts = OpenOrSkip(state);
  if (fonts == nullptr) return;
  CountingGlyphs counted(*fonts);
  Text text(&counted);
  Surface surface = Field();
  FrameTexts(text, surface);
  for (auto _ : state) {
    FrameTexts(text, surface);
    benchmark::DoNotOptimize(surface.pixels.data());
  }
  state.counters["rasterisations"] = static_cast<double>(counted.count);
}
BENCHMARK(BM_FrameTextsCached)->Unit(benchmark::kMicrosecond);

// The funds figure when it has changed: a line not in the cache, drawn with its face already open.
void BM_NewFundsFigure(benchmark::State& state) {
  std::unique_ptr<FontRasterizer> fonts = OpenOrSkip(state);
  if (fonts == nullptr) return;
  CountingGlyphs counted(*fonts);
  Text text(&counted);
  Surface surface = Field();
  std::int32_t funds = 3000;
  for (auto _ : state) {
    funds += 10;
    PrintNumber(text, surface, 246, 360, 16, true, kBlack, funds);
    benchmark::DoNotOptimize(surface.pixels.data());
  }
  state.counters["rasterisations"] = static_cast<double>(counted.count);
}
BENCHMARK(BM_NewFundsFigure)->Unit(benchmark::kMicrosecond);

// The longest row of the results in the screens' face (the Mincho at this size), rasterised again and
// again (SDL_ttf keeps the glyphs it has drawn, so this is a line's cost once its characters have been
// seen).
void BM_ResultRow(benchmark::State& state) {
  std::unique_ptr<FontRasterizer> fonts = OpenOrSkip(state);
  if (fonts == nullptr) return;
  TextImage image;
  for (auto _ : state) {
    fonts->Rasterize(kBrush, 12, true, "国民一人当たりの負担額 ：", image);
    benchmark::DoNotOptimize(image.coverage.data());
  }
}
BENCHMARK(BM_ResultRow)->Unit(benchmark::kMicrosecond);

// The title in the brush face, the one text large enough to be drawn in it.
void BM_BrushTitle(benchmark::State& state) {
  std::unique_ptr<FontRasterizer> fonts = OpenOrSkip(state);
  if (fonts == nullptr) return;
  TextImage image;
  for (auto _ : state) {
    fonts->Rasterize(kBrush, 22, false, "Talvessa", image);
    benchmark::DoNotOptimize(image.coverage.data());
  }
}
BENCHMARK(BM_BrushTitle)->Unit(benchmark::kMicrosecond);

// Start-up: fontconfig's configuration and font list, the face resolved, the file opened, one line.
void BM_OpenAndFirstLine(benchmark::State& state) {
  for (auto _ : state) {
    std::unique_ptr<FontRasterizer> fonts = OpenOrSkip(state);
    if (fonts == nullptr) return;
    TextImage image;
    fonts->Rasterize(kGothic, 12, true, "PAUSE", image);
    benchmark::DoNotOptimize(image.coverage.data());
  }
}
BENCHMARK(BM_OpenAndFirstLine)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talvessa
