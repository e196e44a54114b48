#pragma once
// The properties tree's node table: each node's text, its parent, and the curve and
// jitter curve it shows for a system.
#include "platform/classlib/types.h"

class TEmitter;
class TVarSeries;

inline constexpr Integer kPropsNodeCount = 22;
// Nodes that show a page instead of a curve.
inline constexpr Integer kRenderNode = 0;
inline constexpr Integer kSystemNode = 1;
inline constexpr Integer kParticlesNode = 14;

struct TPropsNode {
  const char* Text;
  // The parent node's index, -1 for a top-level node.
  Integer Parent;
  TVarSeries* (*Curve)(TEmitter& System);
  TVarSeries* (*Jitter)(TEmitter& System);
};

// Raises nothing: an index outside the table yields nullptr.
const TPropsNode* PropsNode(Integer Index);
