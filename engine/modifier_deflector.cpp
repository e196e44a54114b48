// The deflecting plane: a particle whose last move crossed the plane from its normal
// side is put back onto the plane and bounced (or absorbed).
#include <limits>

#include "engine/editor_state.h"
#include "engine/host_vectors.h"
#include "engine/modifiers.h"
#include "engine/particle_system.h"
#include "platform/classlib/streams.h"

const TClass& TPlaneDeflectorModifier::StaticClass() {
  static const TClass cls =
      TClass::Of<TPlaneDeflectorModifier>("TPlaneDeflectorModifier", TBasicModifier::StaticClass());
  return cls;
}

TPlaneDeflectorModifier::TPlaneDeflectorModifier()
    // No frame yet: the first BeginStep takes the plane's place of the frame before.
    : LastFrame(std::numeric_limits<Single>::lowest()) {
  KindName = "Deflector";
  Elasticity = CreateVariable(cmLower, xmFrames, 30, 0, 100);
  Elasticity->Name = "Elasticity";
  ElasticityJitter = CreateVariable(cmLower, xmFrames, 0, 0, 1);
  ElasticityJitter->Name = "Elasticity Jitter";
  PreviousInverse = Inverse;
}

void TPlaneDeflectorModifier::LoadFromStream(TStream& Stream) {
  Byte absorb = 0;
  LoadWithByte(Stream, absorb, "deflector absorb");
  Absorb = absorb ? 1 : 0;
}

void TPlaneDeflectorModifier::SaveToStream(TStream& Stream) const { SaveWithByte(Stream, Absorb); }

void TPlaneDeflectorModifier::BeginStep() {
  if (!Node) return;
  const Single frame = CurrentSceneTime;
  if (LastFrame + 1 != frame) {
    tsxAnimSetActiveTimeObject(Node, frame - 1);
    TBasicModifier::BeginStep();
    tsxAnimSetActiveTimeObject(Node, frame);
  }
  LastFrame = frame;
  PreviousPosition = Position;
  PreviousInverse = Inverse;
  TBasicModifier::BeginStep();
}

Single TPlaneDeflectorModifier::ElasticityAt(Single T) const {
  return ModifierJitter(static_cast<Single>(ElasticityJitter->ValueAt(T)),
                        static_cast<Single>(Elasticity->ValueAt(T) * 0.01), T);
}

bool TPlaneDeflectorModifier::BeginSharedApply(TParticleSystem& System) {
  return Absorb == 0 && BeginShared(System, [this](Single T) { return ElasticityAt(T); });
}

void TPlaneDeflectorModifier::Apply(TParticleSystem& System, TParticle& Particle) {
  Single t;
  if (!ActiveTime(System, t) || !Particle.Alive) return;

  // The particle's last move in the plane's axes: where it was against the plane of the
  // frame before, where it is against the plane now.
  const CtsxVec3f old = LocalPoint(Particle.PreviousPosition, PreviousPosition, PreviousInverse);
  const CtsxVec3f q = LocalPoint(Particle.Position);

  const Single radius =
      static_cast<Single>(System.Size->ValueAt(System.LifePercent(Particle))) * Particle.Size / 2;
  const Single h = Position.z + radius;
  const bool crossed = old.z + 0.001f >= h && q.z - 0.001f <= h && InsideFootprint(q);
  if (!crossed) return;

  const CtsxVec3f axis = Axis();
  const CtsxVec3f motion = VecSum(Particle.Velocity, Particle.Drive);
  if (tsxDProdVec3f(&motion, &axis) > 0) return;
  // A move level with the plane gives no crossing point.
  if (q.z == old.z) return;

  const Single f = (h - old.z) / (q.z - old.z);
  CtsxVec3f step;
  VecSubTo(&Particle.PreviousPosition, &Particle.Position, &step);
  VecMulScalar(&step, f);
  VecAddTo(&Particle.PreviousPosition, &step, &Particle.Position);

  if (Absorb == 0) {
    const Single strength = StrengthAt(t, [&] { return ElasticityAt(t); });
    CtsxVec3f mirrored;
    tssReflect(&mirrored, &Particle.Velocity, &axis);
    VecMulScalar(&mirrored, strength);
    Particle.Velocity = mirrored;
    tssReflect(&mirrored, &Particle.Drive, &axis);
    VecMulScalar(&mirrored, strength);
    Particle.Drive = mirrored;
  } else {
    Particle.Alive = 0;
    --System.AliveCount;
  }
}
