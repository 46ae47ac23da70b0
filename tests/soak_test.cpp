// The short soak of the quick test run; the ten-million-step soak carries the ctest label "soak".
#include <gtest/gtest.h>

#include "soak.h"

namespace talvessa {
namespace {

TEST(Soak, AQuarterMillionCheckedStepsOfMixedPlay) {
  const SoakReport report = Soak(250'000, 11);
  EXPECT_EQ(report.violation, "");
  EXPECT_EQ(report.steps, 250'000u);
  EXPECT_GT(report.games, 10u);
  EXPECT_EQ(report.highestPhase, 3);
}

}  // namespace
}  // namespace talvessa
