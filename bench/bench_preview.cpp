// One preview frame as the preview loop makes it: the system advanced one frame, then
// every visible particle drawn onto the view window's context, at 10,000 and 100,000
// live particles in each of the five draw modes. The loop's cap is 30.25 frames a
// second (33 ms a frame): "of_cap" is the frames a second over the cap (1 = just keeps
// up), measured in the same run as the frame itself.
#include <benchmark/benchmark.h>

#include "bench/reference_rate.h"
#include "bench/step_curve.h"
#include "engine/editor_state.h"
#include "engine/emitter_object.h"
#include "engine/preview_loop.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/random.h"
#include "platform/host/host.h"
#include "platform/win/window.h"

namespace {


win::HWND MakeViewWindow() {
  win::WNDCLASS existing;
  if (!win::GetClassInfo(nullptr, "QmBenchView", &existing)) {
    win::WNDCLASS wc;
    wc.lpfnWndProc = &win::DefWindowProc;
    wc.lpszClassName = "QmBenchView";
    win::RegisterClass(&wc);
  }
  return win::CreateWindow("QmBenchView", "view", win::WS_OVERLAPPED, 0, 0, 640, 480, nullptr, nullptr, nullptr,
                           nullptr);
}

void BM_PreviewFrame(benchmark::State& state) {
  const auto live = static_cast<double>(state.range(0));
  PreviewDrawMode = static_cast<Byte>(state.range(1));
  host::Reset();
  RandSeed = 1513;
  AnimateObjects = false;
  const win::HWND window = MakeViewWindow();
  host::SetDrawportSize(640, 480);
  host::SetViewWindow(window);
  BindAnimationView();
  if (!ViewCanvas) {
    state.SkipWithError("no view to draw on");
    return;
  }

  TEmitterObject object;
  object.SetNode(host::AddGroup("Emitter"));
  TEmitter& entry = *object.AddSystem();
  // Lifespan 60 without jitter: births per frame x 60 particles live at once; slow
  // enough that most stay in the view.
  SetSteps(entry.System->Flow, live / kLifespan);
  SetSteps(entry.Emitter->Speed, 0.05);
  EmitterObjects = {&object};
  for (PreviewTime = 0; PreviewTime <= kLifespan; PreviewTime += 1) AdvanceObjectPreview(object);

  const double start = bench_ref::ThreadSeconds();
  for (auto _ : state) {
    AdvanceObjectPreview(object);
    ParticleCount = 0;
    DrawObjectPreview(object);
    PreviewTime += 1;
  }
  state.counters["live"] = entry.System->AliveCount;
  state.counters["drawn"] = ParticleCount;
  state.counters["of_cap"] = static_cast<double>(state.iterations()) / (bench_ref::ThreadSeconds() - start) / kPreviewMaxRate;
  EmitterObjects.clear();
  ReleaseAnimationView();
  win::DestroyWindow(window);
}

// Draw modes: 0 Dots, 1 Wire Boxes, 2 Wire Circles, 3 Solid Boxes, 4 Solid Circles.
BENCHMARK(BM_PreviewFrame)
    ->ArgsProduct({{10000, 100000}, {0, 1, 2, 3, 4}})
    ->ArgNames({"live", "mode"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
