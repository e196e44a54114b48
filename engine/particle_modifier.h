#pragma once
// TParticleModifier: the engine's side of a tool. It changes particles during the
// simulation; the particle systems reach it only through these operations. Every
// modifier is entered in the global modifier list, which does not own it.
#include <string>

#include "engine/variable_system.h"
#include "platform/classlib/lists.h"
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

class TStream;
class TParticleSystem;
struct TParticle;

class TParticleModifier : public TVariableSystem {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  static constexpr std::size_t kKindNameCapacity = 32;

  TParticleModifier() = default;
  ~TParticleModifier() override;

  virtual void LoadFromStream(TStream& Stream) = 0;
  virtual void SaveToStream(TStream& Stream) const = 0;
  // Once for every enabled modifier before a preview.
  virtual void Prepare() {}
  // Once per advance of each particle system that gathers the modifier.
  virtual void BeginStep() {}
  // Once per particle per simulation step.
  virtual void Apply(TParticleSystem& System, TParticle& Particle) = 0;
  // Around a step whose particles move on several threads at once: Begin works out what
  // Apply would work out on first use and answers whether Apply then changes nothing but
  // the particle it is handed (no draw, nothing of the system or the tool); End leaves
  // the tool as a move on one thread would. No by default.
  virtual bool BeginSharedApply(TParticleSystem& /*System*/) { return false; }
  virtual void EndSharedApply() {}

  // The tool's host object; none makes the modifier inert.
  tsxSOBJ* Node = nullptr;
  // "Deflector", "Fan", "Attractor", "Repulsor", "Gravitron" or "Leader".
  std::string KindName;
  // 1 = the modifier acts.
  Byte Enabled = 0;
  // Frames of the modifier's own loop; 0 = no loop.
  Integer Period = 0;
  // Number of loops; 0 or less = endless.
  Integer Lives = 0;
};

// The modifier's local time at a frame: the frame itself without a Period; -1 once the
// modifier has used up its Lives; else round(frame) mod Period (sign of the frame).
Single ModifierTime(const TParticleModifier& Modifier, Single Frame);

// Every modifier of every tool, created at load. Holds references only.
TList& ModifierList();
