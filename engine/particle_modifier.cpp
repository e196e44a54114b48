#include "engine/particle_modifier.h"

#include <cmath>

const TClass& TParticleModifier::StaticClass() {
  static const TClass cls = TClass::Of<TParticleModifier>("TParticleModifier", TVariableSystem::StaticClass());
  return cls;
}

TParticleModifier::~TParticleModifier() = default;

Single ModifierTime(const TParticleModifier& Modifier, Single Frame) {
  if (Modifier.Period == 0) return Frame;
  const double period = Modifier.Period;
  // In double: no integer overflow for any frame, and the same truncations.
  const double loop = std::trunc(static_cast<double>(Frame) / period) + 1;
  if (Modifier.Lives > 0 && Modifier.Lives < loop) return -1;
  return static_cast<Single>(std::fmod(std::nearbyint(static_cast<double>(Frame)), period));
}

TList& ModifierList() {
  static TList list;
  return list;
}

namespace {
// Created at load with the rest of the engine's state.
const bool kModifierListCreated = [] {
  ModifierList();
  return true;
}();
}  // namespace
