#pragma once
// TParticleEmitter: how each new particle starts. Its curves are over frames and are
// sampled at the system's loop time; the shape decides where particles leave and in
// which direction.
//
// Curves, in creation (and stream) order: Focus, Lifespan, Base Size, Base Speed,
// Base Gravity, Base Orientation, Base Alpha, Base Intensity, Rotation, Vortex, Mass,
// then a jitter curve for each of them but Base Gravity, in the same order.
#include <cstdint>

#include "engine/variable_system.h"
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

class TParticleSystem;
struct TParticle;

// Shape.
inline constexpr Integer esPoint = 0;
inline constexpr Integer esPlane = 1;
inline constexpr Integer esSphere = 2;
inline constexpr Integer esDisc = 3;
inline constexpr Integer esSurface = 4;
// FocusShape.
inline constexpr Integer fsSphere = 0;
inline constexpr Integer fsDisc = 1;

class TParticleEmitter : public TVariableSystem {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TParticleEmitter();

  // Gives a newly born particle of System its lifespan, spin, size, mass, colour,
  // opacity, image, twist, place and launch. The random draws are made in a fixed
  // order, so one seed gives one particle.
  virtual void InitParticle(TParticleSystem& System, TParticle& Particle);

  // ---- curves (owned by the variable list) ----
  TVarSeries* Focus = nullptr;
  TVarSeries* Lifespan = nullptr;
  TVarSeries* Size = nullptr;
  TVarSeries* Speed = nullptr;
  TVarSeries* Gravity = nullptr;
  TVarSeries* Orientation = nullptr;
  TVarSeries* Alpha = nullptr;
  TVarSeries* Intensity = nullptr;
  TVarSeries* Rotation = nullptr;
  TVarSeries* Vortex = nullptr;
  TVarSeries* Mass = nullptr;
  // Streamed and edited; the simulation does not read it.
  TVarSeries* FocusJitter = nullptr;
  TVarSeries* LifespanJitter = nullptr;
  TVarSeries* SizeJitter = nullptr;
  TVarSeries* SpeedJitter = nullptr;
  TVarSeries* OrientationJitter = nullptr;
  TVarSeries* AlphaJitter = nullptr;
  TVarSeries* IntensityJitter = nullptr;
  TVarSeries* RotationJitter = nullptr;
  TVarSeries* VortexJitter = nullptr;
  TVarSeries* MassJitter = nullptr;

  // ---- settings ----
  Integer Shape = esSphere;
  Integer FocusShape = fsSphere;
  // The host node's transform at the previous and the current step (set by the owner).
  CtsxTxmx3f PreviousMatrix{};
  CtsxTxmx3f CurrentMatrix{};
  Single SizeScale = 1.0f;
  Single Radius = 0.1f;
  Single RadiusVariation = 1.0f;

 private:
  // What every birth of one emission reads alike: the curves at the loop time, the
  // path's two ends and the current transform split into rotation and scale.
  struct TBirthValues {
    Single Focus, Lifespan, Size, Speed, Gravity, Orientation, Alpha, Intensity, Rotation, Vortex, Mass;
    Single LifespanJitter, SizeJitter, SpeedJitter, OrientationJitter, AlphaJitter, IntensityJitter,
        RotationJitter, VortexJitter, MassJitter;
    CtsxVec3f Previous, Current;
    CtsxTxmx3f Turn;
    CtsxVec3f Scale;
  };
  void SampleBirthValues(Single T, TBirthValues& Values) const;
  // The values for System's emission, kept for the rest of it.
  const TBirthValues& BirthValues(const TParticleSystem& System);
  TBirthValues birthValues_{};
  std::uint64_t birthBatch_ = 0;
};
