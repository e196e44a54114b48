// The repulsor: the attractor with its pull turned round.
#include "engine/modifiers.h"

const TClass& TRepulseModifier::StaticClass() {
  static const TClass cls = TClass::Of<TRepulseModifier>("TRepulseModifier", TAttractModifier::StaticClass());
  return cls;
}

TRepulseModifier::TRepulseModifier() {
  KindName = "Repulsor";
  Sign = -1;
}
