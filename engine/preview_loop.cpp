#include "engine/preview_loop.h"

#include <cmath>
#include <string>

#include "engine/editor_state.h"
#include "engine/emitter_object.h"
#include "engine/preview_draw.h"
#include "hostbridge/fpu_state.h"
#include "hostbridge/host_clock.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/format_args.h"
#include "platform/classlib/random.h"
#include "platform/host/tsxapi.h"
#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/system_tables.h"
#include "platform/win/window.h"

Double PreviewTime = 0;
Integer FrameCount = 0;
Cardinal StartTicks = 0;
Integer ParticleCount = 0;
win::HWND ViewWindow = nullptr;
std::unique_ptr<TCanvas> ViewCanvas;

namespace {

// The same seed as a render, so that the preview shows what will be rendered.
constexpr Cardinal kPreviewSeed = 1513;

double FrameRate() {
  const Cardinal elapsed = win::GetTickCount() - StartTicks;
  return elapsed != 0 ? FrameCount * 1000.0 / elapsed : 0.0;
}

}  // namespace

std::string PreviewStatusText(Integer Particles, double Rate, Integer Frame) {
  return Format(" %d p - %.1f fps - frame %03d", Particles, Rate, Frame);
}

bool ShouldStopAnimation() {
  if (Rewind) return true;
  if (win::GetAsyncKeyState(win::VK_ESCAPE) & 0x8000) return true;
  ClearFpuState();
  const int abort = tsxCheckAbort();
  ClearFpuState();
  return abort == 1;
}

void BindAnimationView() {
  // A view switched during the preview: the old window's context goes back first.
  ReleaseAnimationView();
  tsxAllViewsRefresh();
  ViewWindow = static_cast<win::HWND>(tsxAViewGetHwnd());
  CaptionOffset = 0;
  if (!ViewWindow || !win::IsWindow(ViewWindow)) return;
  const auto style = static_cast<win::DWORD>(win::GetWindowLong(ViewWindow, win::GWL_STYLE));
  if ((style & win::WS_CAPTION) == win::WS_CAPTION && !(style & win::WS_SYSMENU))
    CaptionOffset = win::GetSystemMetrics(win::SM_CYCAPTION);
  ViewCanvas = std::make_unique<TCanvas>();
  ViewCanvas->SetHandle(win::GetDC(ViewWindow));
  ViewCanvas->SetCopyMode(cmSrcPaint);
}

void ReleaseAnimationView() {
  if (!ViewCanvas) return;
  const win::HDC dc = ViewCanvas->Handle();
  ViewCanvas->SetHandle(nullptr);
  // The context belongs to the window it came from, whichever view is active now, and is
  // given back even when that window has gone: the window system keeps it until then.
  if (dc) win::ReleaseDC(ViewWindow, dc);
  ViewCanvas.reset();
}

namespace {

// Set while a pre-roll runs under a preview the editor has started. The host is polled
// between steps, and a Stop that comes with it may come with the editor freeing objects:
// once Running drops, no list is walked any further.
bool preRollWatched = false;

bool PreRollStopped() { return preRollWatched && !Running; }

}  // namespace

void PrepareAnimation() {
  RandSeed = kPreviewSeed;
  ShowEngineStatus("Preparing animation...", true);
  preRollWatched = Running;
  for (std::size_t i = 0; i < EmitterObjects.size() && !PreRollStopped(); ++i) {
    TEmitterObject* object = EmitterObjects[i];
    for (std::size_t j = 0; j < object->Systems.size(); ++j) {
      PreRollSystem(*object->Systems[j]);
      if (PreRollStopped()) break;
    }
  }
  const bool stopped = PreRollStopped();
  preRollWatched = false;
  ShowEngineStatus("", false);
  if (stopped) return;
  FrameCount = 0;
  StartTicks = win::GetTickCount();
  Running = true;
}

void PreRollSystem(TEmitter& System) {
  PreviewTime = HostTime();
  System.System->Reset();
  System.NeedsReset = 1;
  TEmitterObject* object = System.Owner;
  if (!object) return;
  object->RefreshSurfaces();
  const double n = std::nearbyint(PreviewTime - object->StartOffset);
  for (double i = 0; i < n; ++i) {
    if (object->Node && AnimateObjects) object->SetHostTime(static_cast<Single>(i));
    if (ShouldStopAnimation() || PreRollStopped()) return;
    System.AdvanceTo(AnimateObjects, i);
  }
}

void AdvanceObjectPreview(TEmitterObject& Object) {
  if (!Object.Enabled) return;
  const double local = std::trunc(Object.FrameToLocal(static_cast<Single>(std::trunc(PreviewTime))));
  if (!(local >= 0)) return;
  Object.RefreshSurfaces();
  if (AnimateObjects) Object.SetHostTime(static_cast<Single>(local));
  for (auto& entry : Object.Systems) {
    if (entry->Enabled) entry->AdvanceTo(AnimateObjects, local);
  }
}

void DrawObjectPreview(TEmitterObject& Object) {
  if (!Object.Enabled) return;
  const Single local = Object.FrameToLocal(static_cast<Single>(PreviewTime));
  // Not started yet: nothing of it shows.
  if (!(local >= 0)) return;
  if (Object.Activity->ValueAt(local) == 0) return;
  Object.RefreshSurfaces();
  for (auto& entry : Object.Systems) DrawSystemPreview(*entry);
}

void DrawSystemPreview(TEmitter& System) {
  if (!System.Enabled) return;
  TParticleSystem& s = *System.System;
  const Integer count = static_cast<Integer>(s.Particles.size());
  TPreviewPainter painter(ViewCanvas.get());
  // The view is read from the host once a system's frame: nothing moves it while the
  // particles are drawn.
  bool refreshView = true;
  for (Integer i = 0; i < count; ++i) {
    const TParticle& p = s.Particles[static_cast<std::size_t>(i)];
    if (!p.Alive || s.Visibility->ValueAt(s.LifePercent(p)) == 0) continue;
    TParticleRenderParams params;
    s.GetRenderParams(i, params.Alpha, params.Color, params.Size, params.Options);
    if (ViewCanvas) {
      painter.PreviewDrawParticle(p, params, refreshView);
      refreshView = false;
    }
    ++ParticleCount;
  }
}

void AnimationFrameTick() {
  if (OnPreviewFrame) OnPreviewFrame(static_cast<Integer>(std::nearbyint(PreviewTime)));
  PreviewTime += 1.0;
  ++FrameCount;
  // Busy-waits: the host's thread has nothing else to do between frames.
  while (FrameRate() >= kPreviewMaxRate) {
  }
  if (FrameCount > kStatusFrames) {
    const std::string text =
        PreviewStatusText(ParticleCount, FrameRate(), static_cast<Integer>(std::nearbyint(PreviewTime)));
    if (OnMainStatusText) OnMainStatusText(text);
    if (OnControlStatusText) OnControlStatusText(text);
    FrameCount = 0;
    StartTicks = win::GetTickCount();
  }
}

void StartAnimation() {
  struct EndPreview {
    ~EndPreview() {
      Running = false;
      ReleaseAnimationView();
    }
  } endPreview;
  BindAnimationView();
  try {
    PrepareAnimation();
  } catch (...) {
    // Swallowed like a failed advance: the loop shows what there is.
    ShowEngineStatus("", false);
    FrameCount = 0;
    StartTicks = win::GetTickCount();
  }
  CurrentSceneTime = HostTime();
  while (Running) {
    if (static_cast<win::HWND>(tsxAViewGetHwnd()) != ViewWindow) BindAnimationView();
    try {
      for (TEmitterObject* object : EmitterObjects) AdvanceObjectPreview(*object);
    } catch (...) {
    }
    if (ShouldStopAnimation() || !Running) break;
    tsxAViewRefresh();
    ParticleCount = 0;
    try {
      for (TEmitterObject* object : EmitterObjects) DrawObjectPreview(*object);
    } catch (...) {
    }
    if (ShouldStopAnimation() || !Running) break;
    AnimationFrameTick();
  }
}
