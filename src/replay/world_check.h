// Check values of the world: what a replay writes down every few passes and at its end, so that a
// playback that no longer matches can say at which pass and in which field it went wrong. Single values
// are kept as they are; a table or a text as a 32-bit digest of its contents.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace talvessa {

struct Stage;

enum class CheckKind { Value, Digest };

struct CheckField {
  const char* name;
  CheckKind kind;
};

// The fields in the order a replay writes them.
inline constexpr std::array<CheckField, 34> kCheckFields = {{
    {"GameState", CheckKind::Value},      {"Phase", CheckKind::Value},
    {"Funds", CheckKind::Value},          {"ShotsYen", CheckKind::Value},
    {"Rescued", CheckKind::Value},        {"NotRescued", CheckKind::Value},
    {"HostagesInPlay", CheckKind::Value}, {"StandoffCount", CheckKind::Value},
    {"PlayerX", CheckKind::Value},        {"PlayerY", CheckKind::Value},
    {"VanX", CheckKind::Value},           {"VanY", CheckKind::Value},
    {"VanTimer", CheckKind::Value},       {"VanStopEnd", CheckKind::Value},
    {"PauseRequest", CheckKind::Value},   {"KeyLatch", CheckKind::Value},
    {"Command", CheckKind::Value},        {"LastKey", CheckKind::Value},
    {"FramePeriod", CheckKind::Value},    {"FrameCount", CheckKind::Value},
    {"EndCounter", CheckKind::Value},     {"TitleCounter", CheckKind::Value},
    {"AttractScrollA", CheckKind::Value}, {"AttractScrollB", CheckKind::Value},
    {"LogoRowCount", CheckKind::Value},   {"FirstLetters", CheckKind::Value},
    {"SecondLetters", CheckKind::Value},  {"Units", CheckKind::Digest},
    {"Hostages", CheckKind::Digest},      {"Shots", CheckKind::Digest},
    {"Bursts", CheckKind::Digest},        {"Popups", CheckKind::Digest},
    {"LogoRowShown", CheckKind::Digest},  {"TypedText", CheckKind::Digest},
}};

// One value per field of kCheckFields; a digest is in [0, 2^32).
using WorldCheck = std::array<std::int64_t, kCheckFields.size()>;

WorldCheck TakeWorldCheck(const Stage& stage);

// "Funds=1200", "Units=0a1b2c3d".
std::string FormatCheckField(std::size_t field, std::int64_t value);
// The field as it appears after "=": decimal for a value, eight hex digits for a digest.
std::string FormatCheckValue(std::size_t field, std::int64_t value);

// "Funds is 1190, recorded 1200 (2 more fields differ)", or empty when the two agree.
std::string DescribeDifference(const WorldCheck& recorded, const WorldCheck& now);

}  // namespace talvessa
