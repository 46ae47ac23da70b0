// Where the world's chance comes from: any source of uniform fractions, with the two ways the game
// turns a fraction into a whole number. The game's own generator is SplitMix64, so that a seed gives
// the same rolls on every machine and with every standard library; tests script their rolls.
#pragma once

#include <cstdint>

namespace talvessa {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // A uniform fraction r in [0, 1).
  virtual double Next() = 0;
  // The integer part of r * n plus 1: a whole number from 1 to n.
  int Roll(int n) { return Below(n) + 1; }
  // The integer part of r * n: a whole number from 0 to n - 1.
  int Below(int n) { return static_cast<int>(Next() * n); }
};

class Random final : public RandomSource {
 public:
  explicit Random(std::uint64_t seed = 0) : state_(seed) {}
  void Seed(std::uint64_t seed) { state_ = seed; }
  // 53 random bits.
  double Next() override;

 private:
  std::uint64_t state_;
};

}  // namespace talvessa
