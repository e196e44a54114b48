// The birth of one particle from an emitter. Every r below is a new draw of the
// process-wide generator, made in the order written: the same seed gives the same
// particles, which the preview and the render rely on.
#include <cmath>
#include <numbers>

#include "engine/color_series.h"
#include "engine/host_vectors.h"
#include "engine/particle.h"
#include "engine/particle_emitter.h"
#include "engine/particle_map_source.h"
#include "engine/particle_system.h"
#include "hostbridge/vector_utils.h"
#include "platform/classlib/random.h"

namespace {

Single At(TVarSeries* curve, Single t) { return static_cast<Single>(curve->ValueAt(t)); }

Single Draw() { return static_cast<Single>(Random()); }

}  // namespace

void TParticleEmitter::SampleBirthValues(Single T, TBirthValues& V) const {
  V.Focus = At(Focus, T);
  V.Lifespan = At(Lifespan, T);
  V.Size = At(Size, T);
  V.Speed = At(Speed, T);
  V.Gravity = At(Gravity, T);
  V.Orientation = At(Orientation, T);
  V.Alpha = At(Alpha, T);
  V.Intensity = At(Intensity, T);
  V.Rotation = At(Rotation, T);
  V.Vortex = At(Vortex, T);
  V.Mass = At(Mass, T);
  V.LifespanJitter = At(LifespanJitter, T);
  V.SizeJitter = At(SizeJitter, T);
  V.SpeedJitter = At(SpeedJitter, T);
  V.OrientationJitter = At(OrientationJitter, T);
  V.AlphaJitter = At(AlphaJitter, T);
  V.IntensityJitter = At(IntensityJitter, T);
  V.RotationJitter = At(RotationJitter, T);
  V.VortexJitter = At(VortexJitter, T);
  V.MassJitter = At(MassJitter, T);
  tsxGetMxTranslation3f(&V.Previous, &PreviousMatrix);
  tsxGetMxTranslation3f(&V.Current, &CurrentMatrix);
  tsxUnMatrix3f(&CurrentMatrix, &V.Turn, &V.Scale);
}

const TParticleEmitter::TBirthValues& TParticleEmitter::BirthValues(const TParticleSystem& System) {
  // Outside an emission (a direct call) nothing is kept: the curves may change between
  // two calls.
  if (System.BirthBatch == 0 || System.BirthBatch != birthBatch_) {
    SampleBirthValues(System.LoopTime, birthValues_);
    birthBatch_ = System.BirthBatch;
  }
  return birthValues_;
}

void TParticleEmitter::InitParticle(TParticleSystem& System, TParticle& Particle) {
  const Single t = System.LoopTime;
  const TBirthValues& v = BirthValues(System);

  Particle.Lifespan = RandomVariation(v.LifespanJitter, v.Lifespan) * System.LifespanScale;
  Particle.Rotation = v.Orientation + RandomOffset(v.OrientationJitter, 180);
  Particle.Spin = v.Rotation + RandomOffset(v.RotationJitter, 4);
  Particle.Size = RandomVariation(v.SizeJitter, v.Size * SizeScale) * System.SizeScale;
  Particle.Mass = RandomVariation(v.MassJitter, v.Mass);

  // Colour: the particle gradient at a random place, or white; tinted by the base
  // gradient; scaled by the intensity.
  if (System.ColorMode == cmRandomColor) {
    System.ParticleColor->ColorAt(Draw() * 100.0, Particle.Color);
  } else {
    SetRGBA(Particle.Color, 1, 1, 1, 1);
  }
  TColorRGBA base = Particle.Color;
  if (System.BaseColorMode == cmRandomColor) {
    const double last = System.BaseColor->Count() > 0 ? System.BaseColor->MaxXValue() : 0;
    System.BaseColor->ColorAt(Draw() * last, base);
  } else {
    System.BaseColor->ColorAt(t, base);
  }
  MulRGB(Particle.Color, base);
  ScaleRGB(Particle.Color, RandomVariation(v.IntensityJitter, v.Intensity));

  Particle.Alpha = RandomVariation(v.AlphaJitter, v.Alpha);
  Particle.ImageIndex = System.MapMode == mmRandom ? ::Random(System.MapSource->Count()) : System.FixedMapIndex;
  Particle.Spare = {0, 0, 0};
  Particle.TwistRate = RandomVariation(v.VortexJitter, v.Vortex);

  // The birth point on the emitter's path is taken between its previous and its current
  // place (current + r x (previous - current)), so that a moving emitter leaves no gaps
  // between frames. The other reading, previous + (previous - current) x r x the move's
  // length, would put births behind the previous place and ever further back the faster
  // the emitter moves; only Origin being on the path is relied on elsewhere.
  CtsxVec3f back;
  VecSubTo(&v.Current, &v.Previous, &back);
  VecMulScalar(&back, Draw());
  VecAddTo(&v.Current, &back, &Particle.Origin);

  const CtsxTxmx3f& rotation = v.Turn;
  const CtsxVec3f& scale = v.Scale;
  const CtsxVec3f localZ{0, 0, 1};
  tsxRotateVect3f(&localZ, &Particle.TwistAxis, &rotation);

  CtsxVec3f& pos = Particle.Position;
  switch (Shape) {
    case esPlane:
    case esSurface: {
      Particle.Direction = Particle.TwistAxis;
      pos.x += (Draw() - 0.5f) * 2 * Radius * scale.x;
      pos.y += (Draw() - 0.5f) * 2 * Radius * scale.y;
      break;
    }
    case esPoint:
    case esSphere:
    case esDisc: {
      const Single f = SnapToZero(1 - v.Focus);
      constexpr double pi = std::numbers::pi;
      const Single theta = FocusShape == fsDisc ? static_cast<Single>(pi * ((2 * Random() - 1) * f + 1) / 2)
                                                : static_cast<Single>(pi * Random() * f);
      const Single phi = static_cast<Single>(2 * pi * Random());
      SphericalToVector(Particle.Direction, phi, theta);
      CtsxVec3f offset = Particle.Direction;
      if (Shape == esPoint) offset = {0, 0, 0};
      if (Shape == esDisc) offset.z = 0;
      const CtsxVec3f unrotated = Particle.Direction;
      tsxRotateVect3f(&unrotated, &Particle.Direction, &rotation);
      pos.x += RandomVariation(RadiusVariation, Radius * scale.x) * offset.x;
      pos.y += RandomVariation(RadiusVariation, Radius * scale.y) * offset.y;
      pos.z += RandomVariation(RadiusVariation, Radius * scale.z) * offset.z;
      break;
    }
    default:
      break;
  }

  const CtsxVec3f local = pos;
  tsxRotateVect3f(&local, &pos, &rotation);
  VecAddTo(&pos, &Particle.Origin, &pos);
  Particle.Drive = Particle.Direction;

  if (Shape == esSurface && System.Owner) {
    CtsxVec3f point, normal;
    // Without a surface the plane offset stays.
    if (System.Owner->RandomSurfacePoint(point, normal)) {
      pos = point;
      Particle.Drive = normal;
    }
  }

  VecMulScalar(&Particle.Drive, RandomVariation(v.SpeedJitter, v.Speed * System.SpeedScale));
  Particle.Velocity = {0, 0, 0};
  Particle.Acceleration.z = v.Gravity * System.GravityScale;

  CtsxVec3f launch = Particle.Drive;
  VecMulScalar(&launch, Draw());
  VecAddTo(&pos, &launch, &pos);
}
