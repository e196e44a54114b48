#include "editor/props_tree.h"

#include "engine/emitter_object.h"
#include "engine/particle_emitter.h"
#include "engine/particle_system.h"

namespace {

#define EMITTER(field) [](TEmitter& s) -> TVarSeries* { return s.Emitter->field; }
#define SYSTEM(field) [](TEmitter& s) -> TVarSeries* { return s.System->field; }

const TPropsNode kNodes[kPropsNodeCount] = {
    {"Render", -1, nullptr, nullptr},
    {"System", -1, nullptr, nullptr},
    {"Focus", kSystemNode, EMITTER(Focus), EMITTER(FocusJitter)},
    {"Flow", kSystemNode, SYSTEM(Flow), SYSTEM(FlowJitter)},
    {"Lifespan", kSystemNode, EMITTER(Lifespan), EMITTER(LifespanJitter)},
    {"Base Size", kSystemNode, EMITTER(Size), EMITTER(SizeJitter)},
    {"Base Speed", kSystemNode, EMITTER(Speed), EMITTER(SpeedJitter)},
    {"Base Orientation", kSystemNode, EMITTER(Orientation), EMITTER(OrientationJitter)},
    {"Base Gravity", kSystemNode, EMITTER(Gravity), nullptr},
    {"Base Alpha", kSystemNode, EMITTER(Alpha), EMITTER(AlphaJitter)},
    {"Base Intensity", kSystemNode, EMITTER(Intensity), EMITTER(IntensityJitter)},
    {"Rotation", kSystemNode, EMITTER(Rotation), EMITTER(RotationJitter)},
    {"Vortex", kSystemNode, EMITTER(Vortex), EMITTER(VortexJitter)},
    {"Mass", kSystemNode, EMITTER(Mass), EMITTER(MassJitter)},
    {"Particles", -1, nullptr, nullptr},
    {"Size", kParticlesNode, SYSTEM(Size), nullptr},
    {"Speed", kParticlesNode, SYSTEM(Speed), nullptr},
    {"Orientation", kParticlesNode, SYSTEM(Orientation), nullptr},
    {"Gravity", kParticlesNode, SYSTEM(Gravity), nullptr},
    {"Alpha", kParticlesNode, SYSTEM(Alpha), nullptr},
    {"Intensity", kParticlesNode, SYSTEM(Intensity), nullptr},
    {"Visibility", kParticlesNode, SYSTEM(Visibility), nullptr},
};

#undef EMITTER
#undef SYSTEM

}  // namespace

const TPropsNode* PropsNode(Integer Index) {
  if (Index < 0 || Index >= kPropsNodeCount) return nullptr;
  return &kNodes[Index];
}
