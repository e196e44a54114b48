// The gravitron: accelerates particles along its axis, inside its footprint unless it is
// infinite; the taller the tool, the stronger.
#include <cmath>

#include "engine/host_vectors.h"
#include "engine/modifiers.h"
#include "engine/particle_system.h"

const TClass& TGravitronModifier::StaticClass() {
  static const TClass cls = TClass::Of<TGravitronModifier>("TGravitronModifier", TBasicModifier::StaticClass());
  return cls;
}

TGravitronModifier::TGravitronModifier() {
  KindName = "Gravitron";
  Power = CreateVariable(cmLower, xmFrames, 1, 0, 10);
  Power->Name = "Power";
  PowerJitter = CreateVariable(cmLower, xmFrames, 0, 0, 1);
  PowerJitter->Name = "Power Jitter";
}

Single TGravitronModifier::PowerAt(Single T) const {
  return ModifierJitter(static_cast<Single>(PowerJitter->ValueAt(T)),
                        static_cast<Single>(Power->ValueAt(T) * 0.005 * SizeZ), T);
}

bool TGravitronModifier::BeginSharedApply(TParticleSystem& System) {
  return BeginShared(System, [this](Single T) { return PowerAt(T); });
}

void TGravitronModifier::Apply(TParticleSystem& System, TParticle& Particle) {
  Single t;
  if (!ActiveTime(System, t)) return;
  if (!Infinite && !InsideFootprint(LocalPoint(Particle.Position))) return;

  const Single k = StrengthAt(t, [&] { return PowerAt(t); }) / Particle.Mass;
  // A massless particle takes no force.
  if (!std::isfinite(k)) return;
  const CtsxVec3f push = VecScaled(Axis(), k);
  VecAddTo(&Particle.Velocity, &push, &Particle.Velocity);
}
