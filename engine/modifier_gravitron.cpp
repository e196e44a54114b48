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

void TGravitronModifier::Apply(TParticleSystem& System, TParticle& Particle) {
  Single t;
  if (!ActiveTime(System, t)) return;
  if (!Infinite && !InsideFootprint(LocalPoint(Particle.Position))) return;

  StrengthAt(t, [&] {
    return ModifierJitter(static_cast<Single>(PowerJitter->ValueAt(t)),
                          static_cast<Single>(Power->ValueAt(t) * 0.005 * SizeZ), t);
  });
  const Single k = Strength / Particle.Mass;
  // A massless particle takes no force.
  if (!std::isfinite(k)) return;
  const CtsxVec3f push = VecScaled(Axis(), k);
  VecAddTo(&Particle.Velocity, &push, &Particle.Velocity);
}
