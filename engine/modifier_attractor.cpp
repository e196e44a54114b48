// The attractor: pulls every particle towards the tool's position, weaker with distance
// when it has a falloff. The repulsor and the leader build on it.
#include "engine/host_vectors.h"
#include "engine/modifiers.h"
#include "engine/particle_system.h"

const TClass& TAttractModifier::StaticClass() {
  static const TClass cls = TClass::Of<TAttractModifier>("TAttractModifier", TBasicModifier::StaticClass());
  return cls;
}

TAttractModifier::TAttractModifier() {
  KindName = "Attractor";
  Power = CreateVariable(cmLower, xmFrames, 5, 0, 20);
  Power->Name = "Power";
  PowerJitter = CreateVariable(cmLower, xmPercent, 0, 0, 1);
  PowerJitter->Name = "Power Jitter";
}

void TAttractModifier::LoadFromStream(TStream& Stream) { LoadWithByte(Stream, Falloff, "attractor falloff"); }

void TAttractModifier::SaveToStream(TStream& Stream) const { SaveWithByte(Stream, Falloff); }

Single TAttractModifier::PowerAt(Single T) const {
  return ModifierJitter(static_cast<Single>(PowerJitter->ValueAt(T)), static_cast<Single>(Power->ValueAt(T) * 0.0005), T);
}

bool TAttractModifier::BeginSharedApply(TParticleSystem& System) {
  return BeginShared(System, [this](Single T) { return PowerAt(T); });
}

void TAttractModifier::Apply(TParticleSystem& System, TParticle& Particle) {
  Single t;
  if (!ActiveTime(System, t)) return;
  CtsxVec3f pull;
  if (PullTowards(Particle, t, pull)) VecAddTo(&Particle.Velocity, &pull, &Particle.Velocity);
}
