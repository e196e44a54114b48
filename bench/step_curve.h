#pragma once
// The curves the benchmarks hold steady: a step curve with one value everywhere, and
// the particles' lifespan, so that a flow of N / kLifespan a frame keeps N alive.
#include "engine/var_series.h"

inline constexpr int kLifespan = 60;

inline void SetSteps(TVarSeries* curve, double value) {
  curve->Quantum = 1.0;
  curve->Clear();
  curve->AddXY(0, value);
  curve->AddXY(8192, value);
}
