// What a controller's buttons and stick stand for among the game's keys.
#include "platform/pad_table.h"

#include <gtest/gtest.h>

#include "platform/keys.h"

namespace talvessa {
namespace {

constexpr int kGameKeys[] = {vk::Enter, vk::Escape, vk::Space, vk::Left,  vk::Right,  vk::B,    vk::N,
                             vk::V,     vk::X,      vk::Z,     vk::Comma, vk::Period, vk::Slash};

// The game keys the controller holds, in table order.
std::vector<int> HeldKeys(const PadState& pad) {
  std::vector<int> held;
  for (int key : kGameKeys) {
    if (PadHolds(pad, key)) held.push_back(key);
  }
  return held;
}

TEST(PadKeys, EachControlStandsForOneKey) {
  const auto with = [](auto set) {
    PadState pad;
    set(pad);
    return HeldKeys(pad);
  };
  EXPECT_EQ(HeldKeys(PadState{}), std::vector<int>{});
  EXPECT_EQ(with([](PadState& p) { p.dpadLeft = true; }), std::vector<int>{vk::Left});
  EXPECT_EQ(with([](PadState& p) { p.dpadRight = true; }), std::vector<int>{vk::Right});
  EXPECT_EQ(with([](PadState& p) { p.a = true; }), std::vector<int>{vk::Space});
  EXPECT_EQ(with([](PadState& p) { p.b = true; }), std::vector<int>{vk::V});
  EXPECT_EQ(with([](PadState& p) { p.x = true; }), std::vector<int>{vk::V});
  EXPECT_EQ(with([](PadState& p) { p.start = true; }), std::vector<int>{vk::Enter});
}

TEST(PadKeys, NoControlQuitsTheGame) {
  const PadState everything{true, true, true, true, true, true, -32768};
  EXPECT_FALSE(PadHolds(everything, vk::Escape));
}

TEST(PadKeys, TheStickStepsOnlyPastHalfItsTravel) {
  const auto stick = [](int x) {
    PadState pad;
    pad.leftStickX = x;
    return HeldKeys(pad);
  };
  EXPECT_EQ(stick(0), std::vector<int>{});
  EXPECT_EQ(stick(-kStickStepThreshold + 1), std::vector<int>{});
  EXPECT_EQ(stick(kStickStepThreshold - 1), std::vector<int>{});
  EXPECT_EQ(stick(-kStickStepThreshold), std::vector<int>{vk::Left});
  EXPECT_EQ(stick(kStickStepThreshold), std::vector<int>{vk::Right});
  EXPECT_EQ(stick(-32768), std::vector<int>{vk::Left});
  EXPECT_EQ(stick(32767), std::vector<int>{vk::Right});
}

}  // namespace
}  // namespace talvessa
