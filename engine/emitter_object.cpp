#include "engine/emitter_object.h"

#include "engine/editor_state.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/screen.h"

void ShowEngineStatus(const std::string& Text, bool Busy) {
  if (Screen) Screen->SetCursor(Busy ? crHourGlass : crDefault);
  if (OnMainStatusText) OnMainStatusText(Text);
}

// ---- TEmitter ----

const TClass& TEmitter::StaticClass() {
  static const TClass cls = TClass::Of<TEmitter>("TEmitter", TObject::StaticClass());
  return cls;
}

TEmitter::TEmitter(TEmitterObject* AOwner)
    : Owner(AOwner), Emitter(std::make_unique<TParticleEmitter>()), System(std::make_unique<TParticleSystem>()) {
  TParticleEmitter* emitter = Emitter.get();
  System->OnInitParticle = [emitter](TParticleSystem& S, TParticle& P) { emitter->InitParticle(S, P); };
  System->Owner = this;
}

TEmitter::~TEmitter() {
  System.reset();
  Emitter.reset();
}

tsxGNODE* TEmitter::OwnerNode() const { return Owner ? Owner->Node : nullptr; }

bool TEmitter::RandomSurfacePoint(CtsxVec3f& Point, CtsxVec3f& Normal) {
  return Owner ? Owner->RandomSurfacePoint(Point, Normal) : false;
}

// ---- TEmitterObject ----

const TClass& TEmitterObject::StaticClass() {
  static const TClass cls = TClass::Of<TEmitterObject>("TEmitterObject", TObject::StaticClass());
  return cls;
}

std::unique_ptr<TVarSeries> CreateActivityCurve() {
  auto curve = std::make_unique<TVarSeries>(xmFrames, cmBoth, -0.5, 1.5);
  curve->Quantum = 1.0;
  curve->AddXY(0, 1.0);
  curve->AddXY(8192, 1.0);
  return curve;
}

TEmitterObject::TEmitterObject() : Activity(CreateActivityCurve()) {}

TEmitterObject::~TEmitterObject() {
  Activity.reset();
  Systems.clear();
}

TEmitter* TEmitterObject::AddSystem() {
  Systems.push_back(std::make_unique<TEmitter>(this));
  return Systems.back().get();
}
