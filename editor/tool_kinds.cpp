#include "editor/tool_kinds.h"

#include "engine/modifiers.h"

namespace {

const TToolKindInfo kKinds[kToolKindCount] = {
    {"", e_tsxPEN_BLUE, 0, "", {nullptr, nullptr, nullptr, nullptr}},
    {"ZOVK_Deflector", e_tsxPEN_BLUE, 11, "Deflector", {"Deflector", "Elasticity", "Elasticity Jitter", "Lifespan"}},
    {"ZOVK_Fan", e_tsxPEN_BLUE, 12, "Fan", {"Fan", "Power", "Power Jitter", "Lifespan"}},
    {"ZOVK_Attractor", e_tsxPEN_GREEN, 14, "Attractor", {"Attractor", "Power", "Power Jitter", "Lifespan"}},
    {"ZOVK_Repulsor", e_tsxPEN_RED, 15, "Repulsor", {"Repulsor", "Power", "Power Jitter", "Lifespan"}},
    {"ZOVK_Leader", e_tsxPEN_BLUE, 13, "Leader", {"Leader", "Tension", "Tension Jitter", "Lifespan"}},
    {"ZOVK_Gravitron", e_tsxPEN_BLUE, 22, "Gravitron", {"Gravitron", "Power", "Power Jitter", "Lifespan"}},
};

}  // namespace

Integer ToolKindOf(const TParticleModifier* Modifier) {
  if (!Modifier) return tkNone;
  // The leader and the repulsor are attractors too: test them first.
  if (dynamic_cast<const TPathingModifier*>(Modifier)) return tkLeader;
  if (dynamic_cast<const TRepulseModifier*>(Modifier)) return tkRepulsor;
  if (dynamic_cast<const TAttractModifier*>(Modifier)) return tkAttractor;
  if (dynamic_cast<const TPlaneDeflectorModifier*>(Modifier)) return tkDeflector;
  if (dynamic_cast<const TPlaneFanModifier*>(Modifier)) return tkFan;
  if (dynamic_cast<const TGravitronModifier*>(Modifier)) return tkGravitron;
  return tkNone;
}

const TToolKindInfo& ToolKindInfo(Integer Kind) {
  if (Kind < 0 || Kind >= kToolKindCount) Kind = tkNone;
  return kKinds[Kind];
}

std::unique_ptr<TParticleModifier> CreateToolModifier(Integer Kind) {
  switch (Kind) {
    case tkDeflector: return std::make_unique<TPlaneDeflectorModifier>();
    case tkFan: return std::make_unique<TPlaneFanModifier>();
    case tkAttractor: return std::make_unique<TAttractModifier>();
    case tkRepulsor: return std::make_unique<TRepulseModifier>();
    case tkLeader: return std::make_unique<TPathingModifier>();
    case tkGravitron: return std::make_unique<TGravitronModifier>();
    default: return nullptr;
  }
}
