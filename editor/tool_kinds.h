#pragma once
// The six tool kinds: which modifier class stands for each, the host object type that
// carries it, its wire pen, its image in the main window's list and the nodes of its
// property tree.
#include <array>
#include <memory>
#include <string>

#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

class TParticleModifier;

inline constexpr Integer tkNone = 0;
inline constexpr Integer tkDeflector = 1;
inline constexpr Integer tkFan = 2;
inline constexpr Integer tkAttractor = 3;
inline constexpr Integer tkRepulsor = 4;
inline constexpr Integer tkLeader = 5;
inline constexpr Integer tkGravitron = 6;
inline constexpr Integer kToolKindCount = 7;

struct TToolKindInfo {
  // The host object type ("" for none).
  const char* TypeName;
  tsxPEN Pen;
  Integer ListImage;
  // The modifier's kind name.
  const char* KindName;
  // The property tree: the kind's page, the strength curve, its jitter, the lifespan.
  std::array<const char*, 4> Nodes;
};

// The kind of a modifier, from its most derived class; 0 for none.
Integer ToolKindOf(const TParticleModifier* Modifier);
// The table row of a kind; out-of-range kinds give the row of kind 0.
const TToolKindInfo& ToolKindInfo(Integer Kind);
// A fresh modifier of a kind (1 to 6); null for any other.
std::unique_ptr<TParticleModifier> CreateToolModifier(Integer Kind);
