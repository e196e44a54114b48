#pragma once
// The process-wide random generator: a linear congruential generator whose seed is
// visible to everyone. Every draw first advances seed := seed * 134775813 + 1 (mod 2^32).
// Identical seeds give identical sequences, which the preview and the renderer rely on.
#include "platform/classlib/types.h"

// 0 at load; the system sets it before every simulation.
extern Cardinal RandSeed;

// new seed * 2^-32: a float in [0, 1).
double Random();
// Upper 32 bits of n * new seed (n taken as unsigned 32-bit): a value in [0, n) for n > 0.
Integer Random(Integer n);
// Seeds from the clock. The system itself never calls it; its runs stay reproducible.
void Randomize();
