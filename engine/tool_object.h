#pragma once
// TToolObject: the engine's mirror of one host tool, wrapping the modifier that acts on
// the particles. The tool owns its modifier and keeps it in the global modifier list
// while it holds it.
//
// Tool record: name (short string 32), the modifier's kind name (short string 32), the
// modifier record, the modifier's Enabled byte, then a 128-byte reserved area whose
// first bytes carry the modifier's Period (i32), Lives (i32) and the gravitron's
// Infinite flag (u8); zeros there are the defaults, so records without them read as
// before.
#include <memory>
#include <string>

#include "engine/particle_modifier.h"
#include "platform/classlib/object.h"
#include "platform/classlib/types.h"

class TStream;

class TToolObject : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  static constexpr Int64 kReservedBytes = 128;

  TToolObject() = default;
  // Takes the modifier out of the global list and frees it.
  ~TToolObject() override;

  // Replaces the modifier (the old one leaves the list and is freed); the new one
  // joins the global modifier list.
  void SetModifier(std::unique_ptr<TParticleModifier> AModifier);
  TParticleModifier* Modifier() const { return modifier_.get(); }

  void SaveToStream(TStream& Stream) const;
  // The version is not consulted. The whole record is read into a new modifier first:
  // a bad record raises EReadError and the tool keeps its name and modifier.
  void LoadFromStream(Integer Version, TStream& Stream);

  std::string Name = "Tool";

 private:
  std::unique_ptr<TParticleModifier> modifier_;
};

// The modifier of a kind name: "Fan", "Deflector", "Attractor", "Repulsor", "Gravitron";
// any other name (also "Leader") gives the pathing modifier.
std::unique_ptr<TParticleModifier> CreateModifierOfKind(const std::string& KindName);
