// The leader: records the path its host object follows over the animation and pulls
// each particle towards the point of the path that matches its age, moving the particle
// itself rather than its velocity.
#include <cmath>

#include "engine/host_vectors.h"
#include "engine/modifiers.h"
#include "engine/particle_system.h"

const TClass& TPathingModifier::StaticClass() {
  static const TClass cls = TClass::Of<TPathingModifier>("TPathingModifier", TAttractModifier::StaticClass());
  return cls;
}

TPathingModifier::TPathingModifier() {
  KindName = "Leader";
  // The editor calls the leader's power its tension, and lets it go further.
  Power->Name = "Tension";
  Power->Max = 100;
  PowerJitter->Name = "Tension Jitter";
}

void TPathingModifier::Prepare() {
  if (!Node) return;
  float first = 0, last = 0;
  tsxSobjGetMinMaxTime(Node, &first, &last);
  const double frames = std::nearbyint(static_cast<double>(last) - first + 1);
  const Integer length = frames >= 1 && frames <= 0x7FFFFFFF ? static_cast<Integer>(frames) : 0;
  std::vector<CtsxVec3f> path(static_cast<std::size_t>(length));
  for (Integer i = 0; i < length; ++i) {
    tsxAnimSetActiveTimeObject(Node, first + static_cast<float>(i));
    CtsxTxmx3f transform;
    tsxGNodeGetTransform(Node, &transform);
    tsxGetMxTranslation3f(&path[static_cast<std::size_t>(i)], &transform);
  }
  Path.swap(path);
  PathLength = length;
}

void TPathingModifier::Apply(TParticleSystem& System, TParticle& Particle) {
  if (!Node) return;
  if (Path.empty()) Prepare();
  const double index = std::nearbyint(static_cast<double>(System.LifeFraction(Particle)) * PathLength);
  if (index >= 0 && index < static_cast<double>(Path.size())) Position = Path[static_cast<std::size_t>(index)];

  Single t;
  if (!ActiveTime(System, t)) return;
  CtsxVec3f pull;
  if (PullTowards(Particle, t, pull)) VecAddTo(&Particle.Position, &pull, &Particle.Position);
}
