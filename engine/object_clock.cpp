// The emitter object's clock: host time, the auto-scale of each advance, the freeze
// frame, and the render's pre-roll and preparation.
#include <cmath>

#include "engine/editor_state.h"
#include "engine/emitter_object.h"
#include "engine/render_queue.h"
#include "hostbridge/host_clock.h"

namespace {

CtsxTxmx3f Identity() {
  CtsxTxmx3f m{};
  m.rot[0][0] = m.rot[1][1] = m.rot[2][2] = 1.0f;
  return m;
}

// The node's world transform; the identity without a node.
CtsxTxmx3f NodeTransform(tsxGNODE* Node) {
  CtsxTxmx3f m = Identity();
  if (Node && !tsxGNodeGetTransform(Node, &m)) m = Identity();
  return m;
}

}  // namespace

void TEmitter::UpdateTransform() {
  Emitter->PreviousMatrix = Emitter->CurrentMatrix;
  Emitter->CurrentMatrix = NodeTransform(OwnerNode());
  CtsxTxmx3f rotation;
  CtsxVec3f scale;
  tsxUnMatrix3f(&Emitter->CurrentMatrix, &rotation, &scale);
  if (NeedsReset) {
    Emitter->PreviousMatrix = Emitter->CurrentMatrix;
    NeedsReset = 0;
  }
  // A mirrored node has a negative scale factor; its size still counts.
  const Single area = std::sqrt(std::sqrt(std::fabs(scale.x * scale.y)));
  const Single length = std::sqrt(std::fabs(scale.z));
  const Byte rs = Owner ? Owner->RateSizeScale : 0;
  const Byte slg = Owner ? Owner->SpeedLifeGravityScale : 0;
  System->RateScale = (rs & ssRate) ? area : 1.0f;
  System->SizeScale = (rs & ssSize) ? area : 1.0f;
  System->SpeedScale = (slg & ssSpeed) ? length : 1.0f;
  System->LifespanScale = (slg & ssLifespan) ? length : 1.0f;
  System->GravityScale = (slg & ssGravity) ? length : 1.0f;
}

void TEmitter::AdvanceTo(bool MoveWithObject, Double Local) {
  if (!Owner || !Owner->IsFrozenAt(Owner->LocalToFrame(static_cast<Single>(Local)))) {
    System->Advance(static_cast<Single>(Local));
    return;
  }
  if (!MoveWithObject) return;
  CtsxTxmx3f motion;
  Owner->RelativeMotion(motion, Local);
  for (TParticle& p : System->Particles) {
    if (p.Alive) tsxTransformVect3f(&p.NewPosition, &p.RenderPosition, &motion);
  }
}

bool TEmitterObject::IsFrozenAt(Single HostFrame) const {
  return FreezeFrame >= 1 && static_cast<Single>(FreezeFrame) <= HostFrame;
}

void TEmitterObject::SetHostTime(Single Local) {
  if (!Node) return;
  try {
    Single frame = LocalToFrame(Local);
    if (frame < 0) frame = 0;
    SetHostSceneTime(frame);
    CurrentSceneTime = frame;
  } catch (...) {
    // The host's failure to move its clock must not end a preview or a render.
  }
}

void TEmitterObject::RelativeMotion(CtsxTxmx3f& Out, Double Local) {
  // The freeze frame is a host frame, as in the freeze test.
  SetHostTime(FrameToLocal(static_cast<Single>(FreezeFrame)));
  const CtsxTxmx3f atFreeze = NodeTransform(Node);
  CtsxTxmx3f inverse;
  tsxInvertMx3f(&inverse, &atFreeze);
  SetHostTime(static_cast<Single>(Local));
  const CtsxTxmx3f now = NodeTransform(Node);
  tsxXProdMx3f(&Out, &now, &inverse);
}

void TEmitterObject::PreRoll() {
  for (auto& entry : Systems) {
    entry->System->Reset();
    entry->NeedsReset = 1;
  }
  RefreshSurfaces();
  const double n = std::nearbyint(static_cast<double>(FrameToLocal(HostTime())));
  for (double i = 0; i < n; ++i) {
    SetHostTime(static_cast<Single>(i));
    for (auto& entry : Systems) {
      if (entry->Enabled) entry->AdvanceTo(true, i);
    }
  }
}

void TEmitterObject::PrepareRender(TParticleRenderer& Renderer) {
  if (!Enabled) return;
  const Single hostFrame = std::nearbyint(HostTime());
  const Single local = std::nearbyint(FrameToLocal(hostFrame));
  if (!(local >= 0) || Activity->ValueAt(local) == 0) return;
  ShowEngineStatus("Preparing animation...", true);
  struct ClearStatus {
    ~ClearStatus() { ShowEngineStatus("", false); }
  } clearStatus;
  RefreshSurfaces();
  for (auto& entry : Systems) {
    if (!entry->Enabled) continue;
    entry->AdvanceTo(true, local);
    QueueForRender(*entry->System, Renderer);
  }
}
