// The number parser of the tools' command lines and source files.
#include "formats/numbers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace talvessa {
namespace {

TEST(ParseNumber, TakesOnlyAWholeWordThatFitsTheType) {
  const std::pair<std::string_view, std::optional<std::uint64_t>> cases[] = {
      {"0", 0},
      {"4294967296", 4294967296u},
      {"18446744073709551615", std::numeric_limits<std::uint64_t>::max()},
      {"18446744073709551616", std::nullopt},  // one too many
      {"-1", std::nullopt},
      {"+1", std::nullopt},
      {"", std::nullopt},
      {" 1", std::nullopt},
      {"1 ", std::nullopt},
      {"12ms", std::nullopt},
      {"0x10", std::nullopt},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseNumber<std::uint64_t>(text), value) << text;

  EXPECT_EQ(ParseNumber<int>("-7"), -7);
  EXPECT_EQ(ParseNumber<int>("2147483648"), std::nullopt);
  EXPECT_EQ(ParseNumber<double>("-2.5e3"), -2500.0);
  EXPECT_EQ(ParseNumber<double>("2.5."), std::nullopt);
}

}  // namespace
}  // namespace talvessa
