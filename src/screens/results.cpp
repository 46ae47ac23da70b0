// The results table of the game-over screen: people rescued and lost, the money thrown in yen and
// what it costs each of Japan's people.
#include <cstdlib>

#include "screens/screens.h"

namespace talvessa {

namespace {

// Japan's population in units of 10,000 people; the money is counted in units of 10,000 yen, so
// the one divided by the other is yen per person.
constexpr std::int64_t kPopulation = 12771;

}  // namespace

std::string FormatYenAmount(std::int32_t total) {
  // Division truncates toward zero, so a negative total would give negative groups.
  const std::int32_t cho = total / 100000000;
  const std::int32_t rest = total - cho * 100000000;
  const std::int32_t oku = rest / 10000;
  const std::int32_t man = rest - oku * 10000;
  std::string text;
  if (cho != 0) text += std::to_string(cho) + "兆";
  if (oku != 0) text += std::to_string(oku) + "億";
  if (man != 0) text += std::to_string(man) + "万";
  return text + "円";
}

std::string FormatBurden(std::int32_t total) {
  // Rounded to a tenth in whole numbers: total / 12771 never lies exactly half-way between two
  // tenths (the total is whole and 12771 is odd and no multiple of 5).
  const std::int64_t magnitude = std::llabs(std::int64_t{total});
  const std::int64_t tenths = (magnitude * 20 + kPopulation) / (2 * kPopulation);
  std::string text = total < 0 && tenths != 0 ? "-" : "";
  text.append(std::to_string(tenths / 10));
  if (tenths % 10 != 0) {
    text.push_back('.');
    text.push_back(static_cast<char>('0' + tenths % 10));
  }
  return text.append("円");
}

void DrawResults(Stage& stage) {
  const World& w = stage.world;
  Surface& s = stage.Display[kComposition];
  struct Line {
    int x, y;
    std::string text;
  };
  const Line lines[] = {
      {137, 144, "救出した人数 ："},
      {69, 176, "救出されなかった人数 ："},
      {154, 208, "放った実弾 ："},
      {52, 240, "国民一人当たりの負担額 ："},
      {154, 272, "日本の人口 ："},
      {261, 272, "１２７７１万人"},
      {256, 304, "（平成１６年４月１日現在）"},
      {264, 144, std::to_string(w.Rescued) + "人"},
      {264, 176, std::to_string(w.NotRescued) + "人"},
      {264, 208, FormatYenAmount(w.ShotsYen)},
      {264, 240, FormatBurden(w.ShotsYen)},
  };
  for (const Line& line : lines) PrintText(stage.text, s, line.x, line.y, 12, true, kWhite, line.text);
}

}  // namespace talvessa
