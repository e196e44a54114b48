#include "engine/particle_emitter.h"

#include "hostbridge/vector_utils.h"

const TClass& TParticleEmitter::StaticClass() {
  static const TClass cls = TClass::Of<TParticleEmitter>("TParticleEmitter", TVariableSystem::StaticClass());
  return cls;
}

namespace {

TVarSeries* Named(TVarSeries* curve, const std::string& name) {
  curve->Name = name;
  return curve;
}

}  // namespace

TParticleEmitter::TParticleEmitter() {
  Focus = Named(CreateVariable(cmBoth, xmFrames, 0.8f, 0, 1), "Focus");
  Lifespan = Named(CreateVariable(cmLower, xmFrames, 60, 1, 180), "Lifespan");
  Size = Named(CreateVariable(cmLower, xmFrames, 1, 0, 4), "Base Size");
  Speed = Named(CreateVariable(cmLower, xmFrames, 0.3f, 0, 0.5f), "Base Speed");
  Gravity = Named(CreateVariable(cmNone, xmFrames, -0.01f, -0.02f, 0.02f), "Base Gravity");
  Gravity->Quantum = 0.001;
  Orientation = Named(CreateVariable(cmBoth, xmFrames, 0, -182, 182), "Base Orientation");
  Alpha = Named(CreateVariable(cmBoth, xmFrames, 1, 0, 1), "Base Alpha");
  Intensity = Named(CreateVariable(cmLower, xmFrames, 1, 0, 3), "Base Intensity");
  Rotation = Named(CreateVariable(cmNone, xmFrames, 0, 0, 1), "Rotation");
  Vortex = Named(CreateVariable(cmNone, xmFrames, 0, 0, 1), "Vortex");
  Mass = Named(CreateVariable(cmLower, xmFrames, 1, 0, 4), "Mass");

  // One jitter curve per curve above but gravity, in the same order.
  auto jitter = [this](const TVarSeries* of, Single value) {
    return Named(CreateVariable(cmLower, xmFrames, value, 0, 1), of->Name + " Jitter");
  };
  FocusJitter = jitter(Focus, 0);
  LifespanJitter = jitter(Lifespan, 0);
  SizeJitter = jitter(Size, 0);
  SpeedJitter = jitter(Speed, 0);
  OrientationJitter = jitter(Orientation, 0);
  AlphaJitter = jitter(Alpha, 0);
  IntensityJitter = jitter(Intensity, 0.05f);
  RotationJitter = jitter(Rotation, 0);
  VortexJitter = jitter(Vortex, 0);
  MassJitter = jitter(Mass, 0);

  PreviousMatrix = IdentityTxmx();
  CurrentMatrix = IdentityTxmx();
}
