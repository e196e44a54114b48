// Sprites blended per second into a 1280 x 720 float render for 10,000 particles of 8,
// 32 and 128 pixels in each blend mode, one sprite at a time and as a whole render
// (queue, sort, draw through the row copy, hand the rows back), and the far-to-near sort
// of 100,000 and 1,000,000 queued particles.
//
// Reference: a plain loop that alpha-blends a ready sprite (the same image, already
// scaled to the drawn size) into float R, G, B, depth rows with a depth test, for the
// same particles at the same places. "of_reference" is each benchmark's sprites a
// second over the reference's. The whole render transforms its sprites on worker
// threads: it is timed in wall seconds (the reference too, still one thread), and
// "of_reference_cpu" gives the ratio by the CPU time of every thread. The environment
// variable QM_RENDER_WORKERS sets the workers (0: all on one thread).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/reference_rate.h"
#include "bitmaps/affine_transformation.h"
#include "bitmaps/bitmap32.h"
#include "engine/default_image.h"
#include "engine/editor_state.h"
#include "engine/particle.h"
#include "engine/particle_map_options.h"
#include "engine/particle_renderer.h"
#include "engine/particle_system.h"
#include "engine/projection.h"
#include "engine/render_queue.h"
#include "platform/host/host.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kParticles = 10000;

// Everything below runs inside the host's post-process stage, the only place a screen
// buffer exists.
std::function<void(tssPostProcessData&)> postBody;
void PostProcess(tssPostProcessData* data) {
  if (postBody && data) postBody(*data);
}

// The drawn sprite of the reference: Image scaled to Pixels wide, not turned.
std::vector<TColor32> ReadySprite(TBitmap32* image, int pixels) {
  TBitmap32 work;
  work.SetSize(pixels, pixels);
  work.Clear(0);
  TAffineTransformation t;
  t.SetSrcRect(TFloatRect{0, 0, static_cast<Single>(image->Width() - 1), static_cast<Single>(image->Height() - 1)});
  t.Scale(static_cast<Single>(pixels) / image->Width(), static_cast<Single>(pixels) / image->Width());
  image->SetStretchFilter(sfLinear);
  TransformBitmap(&work, image, &t);
  return {work.Bits(), work.Bits() + static_cast<std::size_t>(pixels) * pixels};
}

// The reference blend of every particle at its screen place; returns the sprites.
struct ReferenceBlend {
  ReferenceBlend(int size, const std::vector<TParticle>& drawn)
      : pixels(size), particles(drawn), sprite(ReadySprite(DefaultParticleImage(), size)),
        rows(static_cast<std::size_t>(kWidth) * kHeight * 4) {
    for (std::size_t i = 0; i < rows.size(); i += 4) rows[i + 3] = 1e6f;
  }
  int pixels;
  const std::vector<TParticle>& particles;
  std::vector<TColor32> sprite;
  std::vector<float> rows;

  long long operator()() {
    const float alpha = 1.0f / 255, red = 1, green = 0.8f, blue = 0.6f;
    for (const TParticle& p : particles) {
      const int x0 = static_cast<int>(p.Screen.x - pixels / 2.0f);
      const int y0 = static_cast<int>(p.Screen.y - pixels / 2.0f);
      const float depth = p.Screen.z * p.Screen.z;
      const int xs = std::max(x0, 0), xe = std::min(x0 + pixels, kWidth);
      for (int y = std::max(y0, 0); y < std::min(y0 + pixels, kHeight); ++y) {
        const TColor32* texel = sprite.data() + static_cast<std::size_t>(y - y0) * pixels + (xs - x0);
        float* px = rows.data() + (static_cast<std::size_t>(y) * kWidth + xs) * 4;
        for (int x = xs; x < xe; ++x, ++texel, px += 4) {
          if (!(depth < px[3])) continue;
          const float a = static_cast<float>(*texel >> 24) * alpha;
          if (a == 0) continue;
          px[0] = (1 - a) * px[0] + a * red;
          px[1] = (1 - a) * px[1] + a * green;
          px[2] = (1 - a) * px[2] + a * blue;
        }
      }
    }
    benchmark::DoNotOptimize(rows.data());
    return static_cast<long long>(particles.size());
  }
};

void BM_RenderSprites(benchmark::State& state) {
  const double pixels = static_cast<double>(state.range(0));
  const auto mode = static_cast<Integer>(state.range(1));
  host::Reset();
  host::SetRenderSize(kWidth, kHeight);
  InvalidateProjections();
  TParticleMapOptions options;
  postBody = [&](tssPostProcessData& data) {
    TParticleRenderer renderer;
    renderer.BeginRender(data);
    renderer.Image = DefaultParticleImage();
    renderer.Mode = mode;
    renderer.MaxPixelSize = 2048;
    // World size of a sprite of the wanted width at the origin's depth.
    Single x0, y0, d0, x1, y1, d1;
    ProjectToRender({0, 0, 0}, x0, y0, d0, true);
    ProjectToRender({1, 0, 0}, x1, y1, d1, false);
    TParticleRenderParams params;
    params.Alpha = 1;
    params.Color = {1, 0.8f, 0.6f, 1};
    params.Size = static_cast<Single>(pixels / (x1 - x0));
    params.Options = &options;

    std::mt19937 gen(1513);
    std::uniform_real_distribution<float> across(-3.5f, 3.5f), down(-2.0f, 2.0f), rotation(0, 360);
    std::vector<TParticle> particles(kParticles);
    for (TParticle& p : particles) {
      p.Alive = 1;
      p.Color = {1, 1, 1, 1};
      p.Rotation = rotation(gen);
      p.RenderPosition = {across(gen), down(gen), 0};
      ProjectToRender(p.RenderPosition, p.Screen.x, p.Screen.y, p.Screen.z, false);
    }
    ReferenceBlend reference(static_cast<int>(pixels), particles);
    bench_ref::RatioMeter meter;
    for (auto _ : state) {
      meter.Real([&] {
        for (TParticle& p : particles) renderer.DrawParticle(p, params);
        benchmark::ClobberMemory();
        return kParticles;
      });
      meter.Reference(state, reference);
    }
    state.SetItemsProcessed(state.iterations() * kParticles);
    meter.Report(state);
  };
  tsxRegisterExternalShader(e_tssSHADER_POSTPROCESS, reinterpret_cast<tssSHADER_CALLBACK>(&PostProcess), 1);
  host::Render(0);
  postBody = nullptr;
}

// Modes: 0 Pure Alpha, 1 Illuminate, 2 Paint, 3 Color Alpha.
BENCHMARK(BM_RenderSprites)
    ->ArgsProduct({{8, 32, 128}, {0, 1, 2, 3}})
    ->ArgNames({"px", "mode"})
    ->Unit(benchmark::kMillisecond);

// A whole render as the host drives it: each iteration queues the system's particles,
// then RenderAll sorts them and blends them through its copy of the region's rows.
void BM_RenderAll(benchmark::State& state) {
  const double pixels = static_cast<double>(state.range(0));
  host::Reset();
  host::SetRenderSize(kWidth, kHeight);
  InvalidateProjections();
  OnRenderProgress = nullptr;
  TParticleSystem system;
  system.RenderMode = static_cast<Integer>(state.range(1));
  system.MaxPixelSize = 2048;
  std::mt19937 gen(1513);
  std::uniform_real_distribution<float> across(-3.5f, 3.5f), down(-2.0f, 2.0f), rotation(0, 360);
  system.Particles.resize(kParticles);
  for (TParticle& p : system.Particles) {
    p.Alive = 1;
    // The image options' alpha is 0.2: the sprites blend at full alpha.
    p.Alpha = 5;
    p.Size = 1;
    p.Lifespan = 10;
    p.Birth = system.CurrentTime;
    p.Color = {1, 1, 1, 1};
    p.Rotation = rotation(gen);
    p.RenderPosition = {across(gen), down(gen), 0};
  }
  bool ran = false;
  postBody = [&](tssPostProcessData& data) {
    ran = true;
    TParticleRenderer renderer;
    renderer.BeginRender(data);
    // World size of a sprite of the wanted width at the particles' depth, measured the
    // way the renderer measures it.
    QueueForRender(system, renderer);
    TParticleRenderParams params;
    ReadRenderParams(system, 0, params);
    const Single unitPixels = ProjectedRenderSize(system.Particles[0], params);
    if (!(unitPixels > 0) || !system.ImageFor(0)) {
      state.SkipWithError("no sprite to draw");
      return;
    }
    for (TParticle& p : system.Particles) p.Size = static_cast<Single>(pixels / unitPixels);
    ReferenceBlend reference(static_cast<int>(pixels), system.Particles);
    if (const char* workers = std::getenv("QM_RENDER_WORKERS")) renderer.RenderWorkers = std::atoi(workers);
    bench_ref::RatioMeter meter(bench_ref::Meter::kWall);
    for (auto _ : state) {
      meter.Real([&] {
        renderer.BeginRender(data);
        QueueForRender(system, renderer);
        renderer.RenderAll();
        benchmark::ClobberMemory();
        return kParticles;
      });
      if (renderer.LastCount != kParticles) {
        state.SkipWithError("not every particle was queued");
        break;
      }
      meter.Reference(state, reference);
    }
    state.SetItemsProcessed(state.iterations() * kParticles);
    state.counters["workers"] = renderer.LastWorkers;
    meter.Report(state);
  };
  tsxRegisterExternalShader(e_tssSHADER_POSTPROCESS, reinterpret_cast<tssSHADER_CALLBACK>(&PostProcess), 1);
  host::Render(0);
  postBody = nullptr;
  if (!ran) state.SkipWithError("the host did not reach its post-process stage");
}

BENCHMARK(BM_RenderAll)
    ->ArgsProduct({{8, 32, 128}, {0, 1, 2, 3}})
    ->ArgNames({"px", "mode"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Each iteration restores the unsorted queue (a copy of the pointers, not timed) and
// sorts it. The reference is std::sort of the same queue by depth. With keys, the sort
// takes the depth keys the renderer keeps from queueing time instead of reading each
// particle's depth.
void BM_SortQueue(benchmark::State& state) {
  const bool withKeys = state.range(1) != 0;
  std::mt19937 gen(7);
  std::uniform_real_distribution<float> depth(0.1f, 1000.0f);
  std::vector<TParticle> particles(static_cast<size_t>(state.range(0)));
  for (TParticle& p : particles) p.Screen.z = depth(gen);
  std::vector<TParticle*> unsorted;
  std::vector<std::uint32_t> keys;
  for (TParticle& p : particles) {
    unsorted.push_back(&p);
    keys.push_back(FarFirstKey(p.Screen.z));
  }
  std::vector<TParticle*> queue;
  TDepthSortScratch scratch;
  bench_ref::RatioMeter meter;
  const auto restore = [&] {
    state.PauseTiming();
    queue = unsorted;
    state.ResumeTiming();
  };
  for (auto _ : state) {
    restore();
    meter.Real([&] {
      if (withKeys)
        SortFarToNear(queue, keys, scratch);
      else
        SortFarToNear(queue, scratch);
      benchmark::DoNotOptimize(queue.data());
      return static_cast<long long>(queue.size());
    });
    restore();
    meter.Reference(state, [&] {
      std::sort(queue.begin(), queue.end(),
                [](const TParticle* a, const TParticle* b) { return a->Screen.z > b->Screen.z; });
      benchmark::DoNotOptimize(queue.data());
      return static_cast<long long>(queue.size());
    });
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  meter.Report(state);
}
BENCHMARK(BM_SortQueue)
    ->ArgsProduct({{100000, 1000000}, {0, 1}})
    ->ArgNames({"queued", "keys"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
