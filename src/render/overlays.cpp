// The texts and bubbles drawn over every sprite. Texts carry a one-pixel black shadow on their upper
// left so they read on any ground.
#include "present/sheet.h"
#include "render/render.h"

namespace talvessa {

namespace {

constexpr int kPopupSize = 12;
constexpr std::int16_t kPopupLastStep = 30;
constexpr int kBubbleY = 0;  // the top row, just above where a waiting unit stands

constexpr int kFundsSize = 16;
constexpr int kFundsShadowX = 246;  // the figure grows to the left of here
constexpr int kFundsShadowY = 3;

// A unit fleeing or leaving: only then is the reward of its column shown.
bool ShowsPopup(std::int16_t state) {
  return state == unit::RisingOut || state == unit::LeavingPhase1 || state == unit::VehicleRisingOut ||
         state == unit::LeavingPhase2 || state == unit::AircraftRisingOut;
}

}  // namespace

void DrawPopups(const World& world, Surface& composition, Text& text) {
  for (int i = 0; i < kColumns; ++i) {
    const Popup& p = world.Popups[i];
    if (p.Timer < 1 || p.Timer > kPopupLastStep || !ShowsPopup(world.Units[i].State)) continue;
    PrintText(text, composition, p.X - 1, p.Y - 1, kPopupSize, true, kBlack, p.Amount);
    PrintText(text, composition, p.X, p.Y, kPopupSize, true, kWhite, p.Amount);
  }
}

void DrawBubbles(const World& world, Surface& composition, const Surface& chip) {
  for (int i = 0; i < kColumns; ++i) {
    const std::int16_t k = world.Hostages[i].Kind;
    if (k != kind::LoneStandoff && k != kind::FamilyStandoff) continue;
    // Counted in the unit's steps: nothing up to 24, then nine steps each of frame 1, 2, 1, 2.
    const int t = world.Units[i].Tick;
    const SpriteCell* cell = nullptr;
    if ((t >= 25 && t <= 33) || (t >= 43 && t <= 51)) {
      cell = &sheet::kBubble1;
    } else if ((t >= 34 && t <= 42) || (t >= 52 && t <= 60)) {
      cell = &sheet::kBubble2;
    }
    if (cell != nullptr) DrawMasked(composition, world.Units[i].X, kBubbleY, chip, *cell);
  }
}

void DrawFunds(const World& world, Surface& composition, Text& text) {
  PrintNumber(text, composition, kFundsShadowX, kFundsShadowY, kFundsSize, true, kBlack, world.Funds);
  PrintNumber(text, composition, kFundsShadowX + 1, kFundsShadowY + 1, kFundsSize, true, kWhite, world.Funds);
}

}  // namespace talvessa
