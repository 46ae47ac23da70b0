// The UTF-8 walker the fonts, the typed words and the test glyphs share.
#include "formats/utf8.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <vector>

namespace talvessa {
namespace {

using namespace std::string_view_literals;

TEST(Utf8, DecodesWellFormedLinesAndRefusesTheRest) {
  struct Case {
    std::string_view text;
    std::optional<std::vector<char32_t>> points;
  };
  const Case cases[] = {
      {"", std::vector<char32_t>{}},
      {"A\xC3\xA9", std::vector<char32_t>{U'A', U'\u00E9'}},
      {"\xE3\x83\x86\xE3\x83\xAD", std::vector<char32_t>{U'\u30C6', U'\u30ED'}},  // テロ
      {"\xF0\x9F\x98\x80", std::vector<char32_t>{U'\U0001F600'}},
      {"\x80", std::nullopt},                  // a continuation byte with no lead
      {"\xE3\x83", std::nullopt},              // cut short
      {"\xC3\x41", std::nullopt},              // a lead whose continuation is missing
      {"\xF8\x88\x80\x80\x80", std::nullopt},  // no character takes five bytes
      {"a\0b"sv, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeUtf8(c.text), c.points) << ::testing::PrintToString(c.text);
}

TEST(Utf8, CountsAndTakesWholeCharacters) {
  const std::string_view mixed = "A\xC3\xA9\xF0\x9F\x98\x80z";  // one, two, four and one bytes
  EXPECT_EQ(CountCharacters(mixed), 4);
  EXPECT_EQ(CountCharacters(""), 0);
  EXPECT_EQ(FirstCharacters(mixed, 2), "A\xC3\xA9");
  EXPECT_EQ(FirstCharacters(mixed, 3), "A\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(FirstCharacters(mixed, 9), mixed);
}

}  // namespace
}  // namespace talvessa
