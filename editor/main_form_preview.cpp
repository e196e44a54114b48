// Play, Stop and Rewind: the preview loop runs inside the Play click; Stop, Rewind and a
// second Play reach it through the message pump while it runs.
#include "editor/main_form.h"

#include "editor/shuttle_form.h"
#include "editor/toolbox_form.h"
#include "engine/editor_state.h"
#include "engine/particle_modifier.h"
#include "engine/particle_system.h"
#include "engine/preview_loop.h"
#include "engine/tool_object.h"
#include "hostbridge/fpu_state.h"
#include "hostbridge/host_clock.h"
#include "panels/push_button.h"
#include "platform/classlib/actions.h"
#include "platform/host/tsxapi.h"
#include "platform/win/timers.h"

namespace {

// Button looks: caption, colour, raised colour.
constexpr TColor kStopColor = 128;
constexpr TColor kStopRaiseColor = 223;
constexpr TColor kPlayColor = 32768;
constexpr TColor kPlayRaiseColor = 38656;

// A form whose window went while its preview loop ran is freed from the message queue,
// once every handler on the way back from the loop has returned.
TMainForm* g_formToFree = nullptr;
win::ULONG_PTR g_freeTimer = 0;

void FreeFormAfterPreview(win::HWND, win::UINT, win::ULONG_PTR, win::DWORD) { FreeMainFormAfterPreview(); }

}  // namespace

void FreeMainFormAfterPreview() {
  if (g_freeTimer) win::KillTimer(nullptr, g_freeTimer);
  g_freeTimer = 0;
  TMainForm* form = g_formToFree;
  g_formToFree = nullptr;
  delete form;
}

void TMainForm::ShowTransport(const char* Caption, TColor Color, TColor RaiseColor) {
  for (TFpPushButton* b : {PreviewButton, ShuttleForm ? ShuttleForm->PreviewButton : nullptr}) {
    if (!b) continue;
    b->SetCaption(Caption);
    b->SetColor(Color);
    b->SetRaiseColor(RaiseColor);
  }
}

void TMainForm::PreviewButtonClick(TObject*) {
  // A click while the loop runs only stops it: a second loop inside the first would run
  // on the same objects.
  if (inPreview_ > 0) {
    Running = false;
    return;
  }
  Running = !Running;
  if (!Running) return;
  ++inPreview_;
  StartAnimateAction->Execute();
  Rewind = false;
  RunPreview();
  while (Rewind && !freeAfterPreview_) {
    StartAnimateAction->Execute();
    Rewind = false;
    RunPreview();
  }
  --inPreview_;
  if (freeAfterPreview_ && !g_formToFree) {
    g_formToFree = this;
    g_freeTimer = win::SetTimer(nullptr, 0, 0, &FreeFormAfterPreview);
  }
}

void TMainForm::PrepareTools() {
  BeginStepAllModifiers();
  if (!ToolboxForm) return;
  for (const auto& tool : ToolboxForm->Tools) {
    TParticleModifier* m = tool ? tool->Modifier() : nullptr;
    if (m && m->Enabled) m->BeginStep();
  }
}

void TMainForm::RunPreview() {
  PrepareTools();
  StartAnimation();
  StopAnimateAction->Execute();
}

void TMainForm::StartAnimateActionExecute(TObject*) {
  savedTime_ = HostTime();
  timeSaved_ = true;
  Running = true;
  ShowTransport("Stop", kStopColor, kStopRaiseColor);
}

void TMainForm::StopAnimateActionExecute(TObject*) {
  Running = false;
  ShowTransport("Play", kPlayColor, kPlayRaiseColor);
  // Only a time a preview saved goes back (closing the window before any Play moves nothing).
  if (AnimateObjects && timeSaved_ && !released_) {
    ClearFpuState();
    tsxAnimSetActiveTime(savedTime_);
    ClearFpuState();
  }
  timeSaved_ = false;
}

void TMainForm::RewindButtonClick(TObject*) { Rewind = true; }

void TMainForm::WMDestroy(TMessage& Message) {
  if (inPreview_ > 0 && !Freeing() && !ControlState().Contains(csDestroyingHandle)) {
    // The host's view went while the preview runs inside one of this form's handlers:
    // stop the loop and cut the form off now, free it once the loop has returned.
    ReleaseHostAndEngine();
    freeAfterPreview_ = true;
    TForm::Dispatch(Message);
    return;
  }
  TTsOwnedForm::WMDestroy(Message);
}
