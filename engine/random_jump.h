#pragma once
// The process generator's draws (classlib's Random: seed := seed * 134775813 + 1 mod 2^32,
// the draw seed * 2^-32) on a seed of the caller's own, and its jump ahead: a range of
// particles moved on another thread draws from where the draws before it leave the seed.
#include <cstdint>

#include "platform/classlib/types.h"

inline constexpr Cardinal kRandomMultiplier = 134775813u;
inline constexpr Cardinal kRandomIncrement = 1u;

// Random() drawn from Seed (which it advances).
inline double DrawFrom(Cardinal& Seed) {
  Seed = Seed * kRandomMultiplier + kRandomIncrement;
  return static_cast<double>(Seed) * (1.0 / 4294967296.0);
}

// The seed Draws draws after Seed, in O(log Draws) steps.
Cardinal SeedAfter(Cardinal Seed, std::uint64_t Draws);
