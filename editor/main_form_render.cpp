// A host render: the pre-roll at render begin, the particles drawn into the host's image
// in the post-process stage, and the scene time put back afterwards.
#include "editor/main_form.h"

#include "controlkit/kit_meter.h"
#include "controlkit/kit_status_bar.h"
#include "editor/emitter_man_form.h"
#include "editor/shuttle_form.h"
#include "engine/editor_state.h"
#include "engine/particle_renderer.h"
#include "hostbridge/global_shader.h"
#include "hostbridge/host_clock.h"
#include "platform/classlib/format_args.h"
#include "platform/host/tsxapi.h"
#include "platform/win/clock.h"

std::string RenderStatusText(Integer Particles, Cardinal ElapsedMs) {
  return Format(" Rendered %d particles in %.2d:%.2d", Particles, static_cast<Integer>(ElapsedMs / 60000),
                static_cast<Integer>((ElapsedMs / 1000) % 60));
}

std::string ControlRenderStatusText(Integer Particles, Cardinal ElapsedMs) {
  return Format(" %d parts in %.2d:%.2d", Particles, static_cast<Integer>(ElapsedMs / 60000),
                static_cast<Integer>((ElapsedMs / 1000) % 60));
}

void TMainForm::TsEventsRenderBegin(tsxEventRenderData*) {
  // Remembered whether or not the plug-in renders: the end of the render puts it back.
  renderStartTime_ = HostTime();
  renderTimePending_ = true;
  if (!TsxGlobalShader->PostProcessActive() || !EmitterManForm) return;
  PrepareTools();
  EmitterManForm->RenderBegin();
}

void TMainForm::TsEventsRenderEnd(tsxEventRenderData*) { RestoreRenderTime(); }

void TMainForm::RestoreRenderTime() {
  if (!renderTimePending_) return;
  renderTimePending_ = false;
  SetHostSceneTime(renderStartTime_);
}

void TMainForm::TsxGlobalShaderPostProcess(tssPostProcessData* Data) {
  if (!Data) return;
  Running = false;
  const Single time = HostTime();
  const Cardinal start = win::GetTickCount();
  // Whatever stops the drawing, the count so far is shown and the time goes back.
  auto finish = [&] {
    const Cardinal elapsed = win::GetTickCount() - start;
    const Integer count = renderer_->LastCount;
    StatusBar->SetSimpleText(RenderStatusText(count, elapsed));
    RenderProgress->SetCaption("");
    RenderProgress->SetPosition(0);
    if (ShuttleForm) {
      ShuttleForm->StatusBar->SetSimpleText(ControlRenderStatusText(count, elapsed));
      ShuttleForm->RenderProgress->SetCaption("");
      ShuttleForm->RenderProgress->SetPosition(0);
    }
    SetHostSceneTime(time);
  };
  try {
    renderer_->BeginRender(*Data);
    if (EmitterManForm) EmitterManForm->RenderAll(*renderer_);
    renderer_->RenderAll();
    renderer_->DisplayRegion();
  } catch (...) {
    finish();
    throw;
  }
  finish();
}
