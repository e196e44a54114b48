// Particles stepped per second: one system kept at 10,000 or 100,000 live particles
// (births and deaths balanced, so that a step allocates nothing), with and without two
// tools acting on every particle.
//
// Reference: the arithmetic of one particle's move without the system around it, over
// plain arrays (structure of arrays): the speed and gravity curves looked up at the
// life percentage (a cardinal spline over the same keys), the rotation, the position
// and velocity steps and one draw of the generator for the dither. "of_reference" is
// each benchmark's particles a second over the reference's.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "bench/reference_rate.h"

#include "engine/modifiers.h"
#include "engine/particle_emitter.h"
#include "engine/particle_system.h"
#include "platform/classlib/random.h"
#include "platform/host/host.h"

namespace {

constexpr int kLifespan = 60;

void SetSteps(TVarSeries* curve, double value) {
  curve->Quantum = 1.0;
  curve->Clear();
  curve->AddXY(0, value);
  curve->AddXY(8192, value);
}

// A curve's keys, evaluated as the engine's splines are: the segment whose end key lies
// at or beyond x, the cardinal spline at the clamped fraction.
struct PlainSpline {
  std::vector<double> xs, ys;
  double tension = 0.3;
  explicit PlainSpline(const TVarSeries& c) : tension(c.Tension) {
    xs.assign(c.XValues()->Values(), c.XValues()->Values() + c.Count());
    ys.assign(c.YValues()->Values(), c.YValues()->Values() + c.Count());
  }
  double At(double x) const {
    const std::size_t n = xs.size();
    const std::size_t i = std::min<std::size_t>(
        static_cast<std::size_t>(std::lower_bound(xs.begin() + 1, xs.end(), x) - xs.begin()) - 1, n - 1);
    const std::size_t p2 = std::min(i + 1, n - 1), p0 = i > 0 ? i - 1 : 0, p3 = std::min(p2 + 1, n - 1);
    const double span = xs[p2] - xs[i];
    const double t = std::clamp(span == 0 ? 0 : (x - xs[i]) / span, 0.0, 1.0), t2 = t * t, t3 = t2 * t, s = tension;
    return ys[p0] * (-s * t3 + 2 * s * t2 - s * t) + ys[i] * ((2 - s) * t3 + (s - 3) * t2 + 1) +
           ys[p2] * ((s - 2) * t3 + (3 - 2 * s) * t2 + s * t) + ys[p3] * (s * t3 - s * t2);
  }
};

// Particles a second of the reference step for Count particles with the system's curves.
double ReferenceStepRate(std::size_t count, const TParticleSystem& system) {
  struct Arrays {
    std::vector<float> px, py, pz, vx, vy, vz, dx, dy, dz, az, rot, spin, birth, life, nx, ny, nz;
  };
  return bench_ref::RateOf("step" + std::to_string(count), [count, speed = PlainSpline(*system.Speed),
                                                           gravity = PlainSpline(*system.Gravity),
                                                           a = Arrays(), now = 0.0f]() mutable {
    if (a.px.empty()) {
      for (auto* v : {&a.px, &a.py, &a.pz, &a.vx, &a.vy, &a.vz, &a.dx, &a.dy, &a.dz, &a.az, &a.rot, &a.spin, &a.birth,
                      &a.life, &a.nx, &a.ny, &a.nz})
        v->assign(count, 0.0f);
      for (std::size_t i = 0; i < count; ++i) {
        a.birth[i] = -static_cast<float>(i % kLifespan);
        a.life[i] = kLifespan;
        a.dx[i] = 0.01f;
        a.dz[i] = 0.02f;
        a.az[i] = -0.01f;
        a.spin[i] = 1;
      }
    }
    now += 1;
    const float dither = 0.1f;
    for (std::size_t i = 0; i < count; ++i) {
      const double l = 100.0 * ((now - a.birth[i]) / a.life[i] - std::floor((now - a.birth[i]) / a.life[i]));
      const double turn = (a.rot[i] + a.spin[i]) / 360.0;
      a.rot[i] = static_cast<float>((turn - std::trunc(turn)) * 360);
      const auto sp = static_cast<float>(speed.At(l));
      const float sx = a.dx[i] * sp + a.vx[i], sy = a.dy[i] * sp + a.vy[i], sz = a.dz[i] * sp + a.vz[i];
      const float ox = a.px[i], oy = a.py[i], oz = a.pz[i];
      a.px[i] += sx;
      a.py[i] += sy;
      a.pz[i] += sz;
      const auto keep = static_cast<float>(1 - Random() * dither);
      a.nx[i] = ox + (a.px[i] - ox) * keep;
      a.ny[i] = oy + (a.py[i] - oy) * keep;
      a.nz[i] = oz + (a.pz[i] - oz) * keep;
      a.vz[i] += a.az[i] * static_cast<float>(gravity.At(l));
    }
    benchmark::DoNotOptimize(a.nx.data());
    return static_cast<long long>(count);
  });
}

void BM_ParticleStep(benchmark::State& state) {
  const auto live = static_cast<double>(state.range(0));
  const bool withTools = state.range(1) != 0;
  host::Reset();
  RandSeed = 1513;

  TParticleEmitter emitter;
  TParticleSystem system;
  system.OnInitParticle = [&emitter](TParticleSystem& s, TParticle& p) { emitter.InitParticle(s, p); };
  // Lifespan 60 without jitter: births per frame x 60 particles live at once.
  SetSteps(system.Flow, live / kLifespan);

  TAttractModifier attractor;
  attractor.Node = host::AddCube("attractor", 2);
  host::SetKey(attractor.Node, host::Channel::Position, 0, {0, 0, 3});
  attractor.Falloff = foLinear;
  TPlaneFanModifier fan;
  fan.Node = host::AddCube("fan", 4);
  std::vector<TParticleModifier*> tools;
  if (withTools) tools = {&attractor, &fan};
  for (TParticleModifier* m : tools) ModifierList().Add(m);

  // Fill the system to its steady state first.
  for (int frame = 0; frame <= kLifespan; ++frame) system.Advance(static_cast<Single>(frame));

  const double reference = ReferenceStepRate(static_cast<std::size_t>(live), system);
  std::int64_t stepped = 0;
  const bench_ref::LoopClock clock;
  for (auto _ : state) {
    system.Advance(system.CurrentTime + 1);
    stepped += system.AliveCount;
  }
  state.SetItemsProcessed(stepped);
  bench_ref::ReportOfReference(state, stepped, clock, reference);
  state.counters["live"] = system.AliveCount;
  for (TParticleModifier* m : tools) ModifierList().Remove(m);
}

BENCHMARK(BM_ParticleStep)
    ->ArgNames({"live", "tools"})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
