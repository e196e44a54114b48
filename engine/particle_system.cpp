#include "engine/particle_system.h"

#include <cmath>

#include "engine/color_series.h"
#include "engine/particle_map_source.h"
#include "engine/particle_modifier.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/random.h"

const TClass& TParticleSystem::StaticClass() {
  static const TClass cls = TClass::Of<TParticleSystem>("TParticleSystem", TVariableSystem::StaticClass());
  return cls;
}

namespace {

TVarSeries* NamedCurve(TVarSeries* curve, const char* name) {
  curve->Name = name;
  return curve;
}

}  // namespace

TParticleSystem::TParticleSystem() {
  Size = NamedCurve(CreateVariable(cmLower, xmLifePercent, 1, 0, 4), "Size");
  Speed = NamedCurve(CreateVariable(cmNone, xmLifePercent, 1, 0, 2), "Speed");
  Orientation = NamedCurve(CreateVariable(cmBoth, xmLifePercent, 0, -180, 180), "Orientation");
  Gravity = NamedCurve(CreateVariable(cmNone, xmLifePercent, 1, -2, 2), "Gravity");
  Alpha = NamedCurve(CreateVariable(cmBoth, xmLifePercent, 1, 0, 1), "Alpha");
  Intensity = NamedCurve(CreateVariable(cmBoth, xmLifePercent, 1, 0, 3), "Intensity");
  Visibility = NamedCurve(CreateVariable(cmBoth, xmLifePercent, 1, -0.5f, 1.5f), "Visibility");
  Visibility->Quantum = 1.0;
  Flow = NamedCurve(CreateVariable(cmLower, xmFrames, 5, 0, 10), "Flow");
  FlowJitter = NamedCurve(CreateVariable(cmLower, xmFrames, 0, 0, 1), "Flow Jitter");

  BaseColor = std::make_unique<TColorSeries>();
  ParticleColor = std::make_unique<TColorSeries>();
  MapSource = std::make_unique<TParticleMapSource>();
  OnInitParticle = &DefaultInitParticle;
}

TParticleSystem::~TParticleSystem() = default;

void TParticleSystem::Reset() {
  Carry = 0;
  CurrentTime = -1;
  Particles.clear();
  AliveCount = 0;
}

const TParticle& TParticleSystem::At(Integer Index) const {
  if (Index < 0 || static_cast<std::size_t>(Index) >= Particles.size())
    throw CreateFmt<EListError>(msg::ListIndexError, Index);
  return Particles[static_cast<std::size_t>(Index)];
}

Single TParticleSystem::LifeFraction(Integer Index) const { return LifeFraction(At(Index)); }

Single TParticleSystem::Age(Integer Index) const { return CurrentTime - At(Index).Birth; }


Integer TParticleSystem::ImageIndex(Integer Index) {
  const TParticle& p = At(Index);
  if (MapMode != mmCycle) return p.ImageIndex;
  if (MapCycle < 1) MapCycle = 1;
  const Integer count = MapSource->Count();
  const double steps = std::nearbyint(static_cast<double>(CurrentTime - p.Birth) / MapCycle);
  // The map source is never empty; the sum is kept in range before it is narrowed.
  const double index = std::fmod(static_cast<double>(p.ImageIndex) + steps, static_cast<double>(count));
  return std::isfinite(index) ? static_cast<Integer>(index) : p.ImageIndex;
}

TBitmap32* TParticleSystem::ImageFor(Integer Index) { return MapSource->BitmapAt(ImageIndex(Index)); }

void TParticleSystem::GetRenderParams(Integer Index, Single& AAlpha, TColorRGBA& AColor, Single& ASize,
                                      TParticleMapOptions*& Options) {
  const TParticle& p = At(Index);
  const double life = LifePercent(p);
  if (ColorMode == cmRandomColor) {
    AColor = p.Color;
  } else {
    ParticleColor->ColorAt(life, AColor);
  }
  const Single intensity = static_cast<Single>(Intensity->ValueAt(life));
  AColor.R *= intensity;
  AColor.G *= intensity;
  AColor.B *= intensity;
  ASize = static_cast<Single>(Size->ValueAt(life)) * p.Size;
  Options = MapSource->OptionsAt(ImageIndex(Index));
  AAlpha = static_cast<Single>(Alpha->ValueAt(life)) * p.Alpha;
}

void DefaultInitParticle(TParticleSystem& System, TParticle& Particle) {
  (void)System;
  const Single vx = static_cast<Single>(Random() / 10);
  const Single vy = static_cast<Single>(Random() / 10);
  Particle.Velocity = {vx, vy, 0.1f};
  Particle.Acceleration = {0, 0, -0.001f};
}

void SphericalToVector(CtsxVec3f& Out, Single Phi, Single Theta) {
  const double st = std::sin(static_cast<double>(Theta));
  Out.x = static_cast<Single>(std::cos(static_cast<double>(Phi)) * st);
  Out.y = static_cast<Single>(std::sin(static_cast<double>(Phi)) * st);
  Out.z = static_cast<Single>(std::cos(static_cast<double>(Theta)));
}

Single RandomVariation(Single Variation, Single Base) {
  const double r = Random();
  return static_cast<Single>(Base * (1 + Variation * (2 * r - 1)));
}

Single RandomOffset(Single Variation, Single Scale) {
  const double r = Random();
  return static_cast<Single>((2 * r - 1) * Scale * Variation);
}

void BeginStepAllModifiers() {
  TList& list = ModifierList();
  for (Integer i = 0; i < list.Count(); ++i) {
    auto* modifier = static_cast<TParticleModifier*>(list.Items(i));
    if (modifier && modifier->Enabled) modifier->Prepare();
  }
}
