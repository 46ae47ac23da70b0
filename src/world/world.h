// The playing field of one game: five tables of 16 records, where index i is also field column i
// (x = 32 * i), and the single values of play; and beside it the values of the shell and the screens
// that every world reset puts back.
#pragma once

#include <array>
#include <cstdint>

namespace talvessa {

constexpr int kColumns = 16;
constexpr int kCell = 32;
constexpr int kFieldWidth = 512;
constexpr int kFieldHeight = 384;

// Which screen runs. No other values are ever stored.
enum class GameState : std::uint8_t {
  Playing = 0,
  GameOver = 1,
  TerroristsLeft = 2,
  Logo = 9,
  Attract = 10,
  Paused = 13,
  Quit = 30,
};

// Command codes made by the key poll.
namespace command {
constexpr std::int16_t None = 0;
constexpr std::int16_t Pause = 13;  // pause or resume
constexpr std::int16_t Throw = 32;  // throw a banknote; start or restart on the screens
constexpr std::int16_t StepLeft = 37;
constexpr std::int16_t StepRight = 39;
constexpr std::int16_t Van = 86;  // send the van with a bundle
}  // namespace command

// Frame periods in milliseconds: play, and every other screen.
constexpr std::int32_t kPlayFramePeriod = 33;
constexpr std::int32_t kScreenFramePeriod = 67;

// Money thrown upward by the player; 32 x 32 for hit tests.
struct Shot {
  std::int16_t X, Y, Value, Active;
};
// A hit flash; Stage 0 is free, 1 new, then one more each world step until 8 frees it.
struct Burst {
  std::int16_t X, Y, Stage;
};
// The rising reward of a rescue in its column; Timer 0 is idle.
struct Popup {
  std::int16_t X, Y, Timer, Amount;
};
// A terrorists' unit, one per column.
struct Unit {
  std::int16_t X, Y, Width, Height, Tick, State, Health;
};
// A hostage slot, one per column.
struct Hostage {
  std::int16_t X, Y, Kind, Reward;
};

// Unit state codes; drawing and the rules select by these exact numbers.
namespace unit {
constexpr std::int16_t Waiting = 0;    // phase 1: a figure waiting at the top row
constexpr std::int16_t Fetching = 1;   // coming down for its raised hostage
constexpr std::int16_t Lifting = 2;    // carrying its hostage up; can be hit
constexpr std::int16_t RisingOut = 3;  // leaving upward after an escape or a rescue
constexpr std::int16_t Arriving = 4;   // coming down to the top row
constexpr std::int16_t LeavingPhase1 = 5;
constexpr std::int16_t VehicleWaiting = 10;  // phase 2: wide vehicles
constexpr std::int16_t VehicleFetching = 11;
constexpr std::int16_t VehicleLifting = 12;
constexpr std::int16_t VehicleRisingOut = 13;
constexpr std::int16_t VehicleArriving = 14;
constexpr std::int16_t LeavingPhase2 = 15;
constexpr std::int16_t VehicleParked = 19;
constexpr std::int16_t AircraftWaiting = 20;  // phase 3: aircraft
constexpr std::int16_t AircraftFetching = 21;
constexpr std::int16_t AircraftLifting = 22;
constexpr std::int16_t AircraftRisingOut = 23;
constexpr std::int16_t AircraftArriving = 24;
constexpr std::int16_t AircraftParked = 29;
constexpr std::int16_t LeavingForGood = 105;  // after the third standoff
}  // namespace unit

// Hostage kinds.
namespace kind {
constexpr std::int16_t Empty = 0;
constexpr std::int16_t LoneWaiting = 1;
constexpr std::int16_t LoneTaken = 2;
constexpr std::int16_t FamilyWaiting = 11;
constexpr std::int16_t FamilyTaken = 12;
constexpr std::int16_t LoneStandoff = 102;
constexpr std::int16_t FamilyStandoff = 112;
}  // namespace kind

// PauseRequest while a pause is asked for or in force (the code of Enter, which asks for it), and
// otherwise.
constexpr std::uint8_t kPauseAsked = 13;
constexpr std::uint8_t kNoPause = 0;

// The state of play: the five tables, the values of one game, and the three values through which the
// rules and the shell speak to each other (GameState, PauseRequest, KeyLatch).
struct World {
  std::array<Shot, kColumns> Shots{};
  std::array<Burst, kColumns> Bursts{};
  std::array<Popup, kColumns> Popups{};
  std::array<Unit, kColumns> Units{};
  std::array<Hostage, kColumns> Hostages{};

  std::int16_t PlayerX = 0;
  std::int16_t PlayerY = 0;
  std::int32_t ShotsYen = 0;  // in units of 10,000 yen
  std::int16_t VanX = 0;
  std::int16_t VanY = 0;
  std::int16_t VanTimer = 0;
  std::int16_t VanStopEnd = 0;
  std::int16_t Phase = 0;
  std::uint8_t HostagesInPlay = 0;
  std::int32_t Funds = 0;
  std::int16_t Rescued = 0;
  std::int16_t NotRescued = 0;
  std::uint8_t StandoffCount = 0;

  // Which screen runs; the rules end a game by setting GameOver or TerroristsLeft.
  ::talvessa::GameState GameState = ::talvessa::GameState::Logo;
  // kPauseAsked from the Enter that pauses until the Enter that resumes; the commands do nothing then.
  std::uint8_t PauseRequest = kNoPause;
  // 1 after a step in this world step, so the flag moves one column a step; counts the passes while
  // paused (one value, two uses: docs/fidelity.md).
  std::int16_t KeyLatch = 0;
};

// The values of the shell and the screens that every world reset also puts back: the command of the last
// key poll, the frame period and the frames of play, and the counters of the end and title screens.
struct RunState {
  std::int16_t Command = command::None;
  std::int32_t FramePeriod = 0;
  std::int32_t FrameCount = 0;  // frames of play since the reset; the world steps when it turns odd
  std::int16_t EndCounter = 0;
  std::int16_t TitleCounter = 0;
  std::int16_t AttractScrollA = 0;
  std::int16_t AttractScrollB = 0;
};

// Puts the world and the run's values back to the start of a game and leaves GameState at Logo.
// KeyLatch, the units' Tick and every popup keep their values: a popup still rising finishes in the
// next game (docs/fidelity.md).
void ResetWorld(World& world, RunState& run);

// The tables ClearTables can empty, to be combined with |.
enum Tables : unsigned { kUnitTable = 1, kHostageTable = 2, kShotTable = 4, kBurstTable = 8 };
// Empties the tables named: units back above the top row (their Tick kept), hostage slots empty below the
// field, shots and bursts free.
void ClearTables(World& world, unsigned tables);

// Adds to a tally that only grows (people, yen): it stops at the top of its width instead of wrapping.
// The values keep their 16- and 32-bit widths on purpose (docs/fidelity.md).
void AddToTally(std::int16_t& tally, int amount);
void AddToTally(std::int32_t& tally, std::int32_t amount);

// The sound effects by their number, which is also their file's: effect 3 is "se3".
enum class Effect : int {
  Banknote = 0,    // a banknote is thrown
  Click = 1,       // never played
  PlayStarts = 2,  // Space on the title screen
  OneRescued = 3,  // a figure gives up its hostage
  KeyStrike = 4,   // a letter of GAME or OVER is typed
  TwoRescued = 5,  // a vehicle gives up its pair
  PhaseWon = 6,
  Van = 7,     // the van is sent with a bundle
  Escape = 8,  // a unit gets away with its hostages
};

// Plays a sound effect; the world's only way to make a sound.
class EffectPlayer {
 public:
  virtual ~EffectPlayer() = default;
  virtual void PlayEffect(Effect effect) = 0;
};

}  // namespace talvessa
