// The fan: pushes particles inside the box above its plane along its axis, weaker with
// height when it has a falloff.
#include <cmath>

#include "engine/host_vectors.h"
#include "engine/modifiers.h"
#include "engine/particle_system.h"

const TClass& TPlaneFanModifier::StaticClass() {
  static const TClass cls = TClass::Of<TPlaneFanModifier>("TPlaneFanModifier", TBasicModifier::StaticClass());
  return cls;
}

TPlaneFanModifier::TPlaneFanModifier() {
  KindName = "Fan";
  Power = CreateVariable(cmLower, xmFrames, 10, 0, 20);
  Power->Name = "Power";
  PowerJitter = CreateVariable(cmLower, xmFrames, 0, 0, 1);
  PowerJitter->Name = "Power Jitter";
}

void TPlaneFanModifier::LoadFromStream(TStream& Stream) { LoadWithByte(Stream, Falloff, "fan falloff"); }

void TPlaneFanModifier::SaveToStream(TStream& Stream) const { SaveWithByte(Stream, Falloff); }

Single TPlaneFanModifier::PowerAt(Single T) const {
  return ModifierJitter(static_cast<Single>(PowerJitter->ValueAt(T)), static_cast<Single>(Power->ValueAt(T) * 0.005), T);
}

bool TPlaneFanModifier::BeginSharedApply(TParticleSystem& System) {
  return BeginShared(System, [this](Single T) { return PowerAt(T); });
}

void TPlaneFanModifier::Apply(TParticleSystem& System, TParticle& Particle) {
  Single t;
  if (!ActiveTime(System, t)) return;
  const CtsxVec3f q = LocalPoint(Particle.Position);
  if (!InsideFootprint(q) || !(q.z >= Position.z)) return;

  const Single strength = StrengthAt(t, [&] { return PowerAt(t); });
  Single divisor;
  if (!FalloffDivisor(Falloff, q.z - Position.z, SizeZ, divisor)) return;
  const Single k = strength / divisor / Particle.Mass;
  // A massless particle takes no force.
  if (!std::isfinite(k)) return;
  const CtsxVec3f push = VecScaled(Axis(), k);
  VecAddTo(&Particle.Velocity, &push, &Particle.Velocity);
}
