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

void DrawDemo(Game& game) {
  const World& w = game.world;
  Surface& s = game.Display[1];
  const std::int16_t t = w.TitleCounter;
  const Burst& burst = w.Bursts[0];
  if (t >= kDemoFirst && t <= 240) {
    DrawMasked(s, kFigureX, kDemoY, game.Chip, sheet::kFigureA1);
    DrawMasked(s, w.Shots[0].X, w.Shots[0].Y, game.Chip, sheet::kBanknote);
  } else if (t >= 241 && t <= 261) {
    DrawMasked(s, burst.X, burst.Y, game.Chip, sheet::kBurstClosed);
  } else if (t >= 262 && t <= 281) {
    DrawMasked(s, burst.X, burst.Y, game.Chip, sheet::kBurstOpening);
  } else if (t >= 282 && t <= 301) {
    DrawMasked(s, burst.X, burst.Y, game.Chip, sheet::kBurstOpen);
    // The next banknote leaves the bundle once the burst has gone.
    game.world.Shots[0].X = 20;
  }
  if (t >= kDemoFirst) DrawMasked(s, 0, kDemoY, game.Chip, sheet::kBundle);
}

bool AttractFrame(Game& game) {
  World& w = game.world;
  BeginPass(game);
  DrawTitleBanner(game);
  CopyRegion(game.Display, 2, 1, 0, 0, 36, 24);
  DrawAttractDemo(game);
  // The world's hit test runs here too; with the world just reset it finds nothing to hit.
  ResolveHits(w, game.sound);
  CopyRegion(game.Display, 1, 0, 0, 0, 32, 24);
  PollKeys(game);
  HandleCommand(game);
  PaceFrame(game);
  if (QuitOnEsc(game)) return false;
  return w.GameState != GameState::Playing;
}

}  // namespace

void DrawTitleBanner(Game& game) {
  Surface& s = game.Display[2];
  s.FontName = kBrushFace;
  for (int i = 2; i <= 13; ++i) {
    DrawMasked(s, kCell * i, 32, game.Chip, sheet::kBanknote);
    DrawMasked(s, kCell * i, 128, game.Chip, sheet::kBanknote);
  }
  PrintText(game.text, s, 126, 80, 22, false, kWhite, "Talvessa");
}

void DrawAttractDemo(Game& game) {
  World& w = game.world;
  Surface& s = game.Display[1];
  w.AttractScrollA = static_cast<std::int16_t>(w.AttractScrollA + 32);
  w.AttractScrollB = static_cast<std::int16_t>(w.AttractScrollB - 26);
  // The demo only counts once the banner has come to rest.
  if (w.AttractScrollA >= kBannerRest) {
    w.TitleCounter = static_cast<std::int16_t>(w.TitleCounter + 1);
    if (w.TitleCounter > kDemoLast) w.TitleCounter = kDemoFirst;
    w.AttractScrollA = kBannerRest;
    w.Shots[0].X = static_cast<std::int16_t>(w.Shots[0].X + 2);
  }
  if (w.AttractScrollB <= kPromptRest) w.AttractScrollB = kPromptRest;
  // The banner copied in at its resting place is wiped and drawn again where it has slid to; where
  // the band reaches past the background surface nothing is copied and the picture stays black.
  FillRect(s, 16, 16, 561, 177, kBlack);
  Blit(s, w.AttractScrollA, 32, 576, 160, game.Display[2], 64, 32, Rop::SrcCopy);
  s.FontName = kBrushFace;
  PrintText(game.text, s, w.AttractScrollB, 288, 12, false, Rgb(200, 240, 20), "スペースキーを押して下さい");
  DrawDemo(game);
}

void RunAttractSequence(Game& game) { RunPasses(game, Loop::Attract, AttractFrame); }

}  // namespace talvessa
