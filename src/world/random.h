// The game's own random generator: SplitMix64, so that a seed gives the same rolls on every machine
// and with every standard library.
#pragma once

#include <cstdint>

namespace talvessa {

class Random {
 public:
  explicit Random(std::uint64_t seed = 0) : state_(seed) {}
  void Seed(std::uint64_t seed) { state_ = seed; }
  // A uniform fraction r in [0, 1), with 53 random bits.
  double Next();
  // The integer part of r * n plus 1: a whole number from 1 to n.
  int Roll(int n) { return Below(n) + 1; }
  // The integer part of r * n: a whole number from 0 to n - 1.
  int Below(int n) { return static_cast<int>(Next() * n); }

 private:
  std::uint64_t state_;
};

}  // namespace talvessa
