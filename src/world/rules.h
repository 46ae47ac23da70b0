// The rules of play: the spawning of hostages, one world step of everything that moves by itself,
// the hits of money on units, and what the player's commands do to the world. They take the world and
// the narrow services they use, never the platform.
#pragma once

#include <cstdint>

#include "world/random.h"
#include "world/world.h"

namespace talvessa {

// Phase 1: a hostage may appear below a waiting figure (one chance in 100 per waiting column), as long
// as fewer are in play than the number of people rescued allows.
void SpawnPhase1(World& world, RandomSource& random);
// Phases 2 and 3: a pair of hostages may appear below a waiting vehicle.
void SpawnPhase23(World& world, RandomSource& random);
// The most hostages that may be in play in phase 1, and in phases 2 and 3, for `rescued` so far.
int SpawnCapPhase1(int rescued);
int SpawnCapPhase23(int rescued);

// One world step of the shots, the van, the bursts, the popups and the units. Always runs to its end,
// even when it ends the game (GameState becomes GameOver or TerroristsLeft).
void StepActors(World& world, RandomSource& random, EffectPlayer& effects);

// Money meeting units: rescues, damage to vehicles, and the ends of phases 1 and 2.
void ResolveHits(World& world, EffectPlayer& effects);

// The commands of play. A banknote costs 10 and needs one of the first eight shot records free; the
// van with a bundle costs 100, needs the van idle and one of the first six records. Both do nothing
// without the money or while a pause is asked for.
void ThrowBanknote(World& world, EffectPlayer& effects);
void SendVanWithBundle(World& world, EffectPlayer& effects);
// One column left or right, at most once per world step, within the field.
void StepFlag(World& world, bool left);

}  // namespace talvessa
