// The title screen: a banner of banknotes with the title slides in from the left, the prompt from the
// right, and under them a banknote travels from a bundle to a terrorist, who vanishes in a burst.
#include "present/sheet.h"
#include "screens/screens.h"
#include "world/rules.h"

namespace talvessa {

namespace {

constexpr std::int16_t kBannerRest = 64;
constexpr std::int16_t kPromptRest = 144;
constexpr std::int16_t kDemoFirst = 10;  // TitleCounter from which the demo is drawn
constexpr std::int16_t kDemoLast = 300;  // after it the demo starts again at kDemoFirst
constexpr int kDemoY = 352;              // the bottom row of the field
constexpr int kFigureX = 480;

void DrawDemo(Stage& stage) {
  const World& w = stage.world;
  Surface& s = stage.Display[kComposition];
  const std::int16_t t = stage.run.TitleCounter;
  const Burst& burst = w.Bursts[0];
  if (t >= kDemoFirst && t <= 240) {
    DrawMasked(s, kFigureX, kDemoY, stage.Chip, sheet::kFigureA1);
    DrawMasked(s, w.Shots[0].X, w.Shots[0].Y, stage.Chip, sheet::kBanknote);
  } else if (t >= 241 && t <= 261) {
    DrawMasked(s, burst.X, burst.Y, stage.Chip, sheet::kBurstClosed);
  } else if (t >= 262 && t <= 281) {
    DrawMasked(s, burst.X, burst.Y, stage.Chip, sheet::kBurstOpening);
  } else if (t >= 282 && t <= 301) {
    DrawMasked(s, burst.X, burst.Y, stage.Chip, sheet::kBurstOpen);
    // The next banknote leaves the bundle once the burst has gone.
    stage.world.Shots[0].X = 20;
  }
  if (t >= kDemoFirst) DrawMasked(s, 0, kDemoY, stage.Chip, sheet::kBundle);
}

}  // namespace

PassEnd AttractFrame(Stage& stage) {
  DrawTitleBanner(stage);
  CopyRegion(stage.Display, kBackground, kComposition, 0, 0, region::kWindowRight, region::kFieldBottom);
  DrawAttractDemo(stage);
  // The world's hit test runs here too; with the world just reset it finds nothing to hit.
  ResolveHits(stage.world, stage.sound);
  CopyRegion(stage.Display, kComposition, kVisible, 0, 0, region::kFieldRight, region::kFieldBottom);
  stage.commands.pollKeys(stage);
  stage.commands.handleCommand(stage);
  return PassEnd::Continue;
}

void DrawTitleBanner(Stage& stage) {
  Surface& s = stage.Display[kBackground];
  s.FontName = kScreenFace;
  for (int i = 2; i <= 13; ++i) {
    DrawMasked(s, kCell * i, 32, stage.Chip, sheet::kBanknote);
    DrawMasked(s, kCell * i, 128, stage.Chip, sheet::kBanknote);
  }
  PrintText(stage.text, s, 126, 80, 22, false, kWhite, "Talvessa");
}

void DrawAttractDemo(Stage& stage) {
  RunState& run = stage.run;
  Surface& s = stage.Display[kComposition];
  run.AttractScrollA = static_cast<std::int16_t>(run.AttractScrollA + 32);
  run.AttractScrollB = static_cast<std::int16_t>(run.AttractScrollB - 26);
  // The demo only counts once the banner has come to rest. Its banknote is the world's first shot.
  if (run.AttractScrollA >= kBannerRest) {
    run.TitleCounter = static_cast<std::int16_t>(run.TitleCounter + 1);
    if (run.TitleCounter > kDemoLast) run.TitleCounter = kDemoFirst;
    run.AttractScrollA = kBannerRest;
    Shot& banknote = stage.world.Shots[0];
    banknote.X = static_cast<std::int16_t>(banknote.X + 2);
  }
  if (run.AttractScrollB <= kPromptRest) run.AttractScrollB = kPromptRest;
  // The banner copied in at its resting place is wiped and drawn again where it has slid to; where
  // the band reaches past the background surface nothing is copied and the picture stays black.
  FillRect(s, 16, 16, 561, 177, kBlack);
  Blit(s, run.AttractScrollA, 32, 576, 160, stage.Display[kBackground], 64, 32, Rop::SrcCopy);
  s.FontName = kScreenFace;
  PrintText(stage.text, s, run.AttractScrollB, 288, 12, false, Rgb(200, 240, 20),
            "スペースキーを押して下さい");
  DrawDemo(stage);
}

}  // namespace talvessa
