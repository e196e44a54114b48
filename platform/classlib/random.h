#pragma once
// The process-wide random generator: a linear congruential generator whose seed is
// visible to everyone. Every draw first advances seed := seed * 134775813 + 1 (mod 2^32).
// Identical seeds give identical sequences, which the preview and the renderer rely on.
#include <cstdint>

#include "platform/classlib/types.h"

// 0 at load; the system sets it before every simulation.
extern Cardinal RandSeed;

inline constexpr Cardinal kRandomMultiplier = 134775813u;
inline constexpr Cardinal kRandomIncrement = 1u;

// Random() drawn from a seed of the caller's own (which it advances): work shared out
// over threads draws, on each, what the process generator would have drawn there.
inline double DrawFrom(Cardinal& Seed) {
  Seed = Seed * kRandomMultiplier + kRandomIncrement;  // unsigned arithmetic wraps modulo 2^32
  return static_cast<double>(Seed) * (1.0 / 4294967296.0);
}

// The seed Draws draws after Seed, in O(log Draws) steps.
Cardinal SeedAfter(Cardinal Seed, std::uint64_t Draws);

// new seed * 2^-32: a float in [0, 1).
double Random();
// Upper 32 bits of n * new seed (n taken as unsigned 32-bit): a value in [0, n) for n > 0.
Integer Random(Integer n);
// Seeds from the clock. The system itself never calls it; its runs stay reproducible.
void Randomize();
