// Particles stepped per second: one system kept at 10,000 or 100,000 live particles
// (births and deaths balanced, so that a step allocates nothing), with and without two
// tools acting on every particle.
//
// Reference: the arithmetic of one particle's move without the system around it, over
// plain arrays (structure of arrays): the speed and gravity curves looked up at the
// life percentage (a cardinal spline over the same keys), the rotation, the position
// and velocity steps and one draw of the generator for the dither. "of_reference" is
// each benchmark's particles a second over the reference's.
//
// With tools a second reference, "of_reference_with_tools", adds the two tools' force
// arithmetic written plainly: the attractor's pull with linear falloff (difference,
// length, falloff divisor, mass) and the fan's push (the point in the fan's axes, the
// box test, strength over mass along its axis). It steps copies of the live particles
// of the real step just taken (copied while the clock is stopped), one step further on, so
// that about as many lie in the fan's box as in the real step.
//
// With tools the move is shared with worker threads: every case is timed in wall seconds
// (the references too, still one thread), and "of_reference_cpu" gives the ratio by the
// CPU time of every thread. The environment variable QM_MOVE_WORKERS sets the workers
// (0: all on one thread).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/reference_rate.h"
#include "bench/step_curve.h"

#include "engine/modifiers.h"
#include "engine/particle_emitter.h"
#include "engine/particle_system.h"
#include "platform/classlib/random.h"
#include "platform/host/host.h"

namespace {


// A curve's keys, evaluated as the engine's splines are: the segment whose end key lies
// at or beyond x, the cardinal spline at the clamped fraction.
struct PlainSpline {
  std::vector<double> xs, ys;
  double tension = 0.3;
  explicit PlainSpline(const TVarSeries& c) : tension(c.Tension) {
    xs.assign(c.XValues()->Values(), c.XValues()->Values() + c.Count());
    ys.assign(c.YValues()->Values(), c.YValues()->Values() + c.Count());
  }
  // Inlined into both references, as into the one reference before there were two.
  [[gnu::always_inline]] double At(double x) const {
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

// Particles as plain arrays (structure of arrays), with the parts of a move that both
// references make.
struct PlainParticles {
  std::vector<float> px, py, pz, vx, vy, vz, dx, dy, dz, ax, ay, az, rot, spin, birth, life, mass, nx, ny, nz;

  // The rotation moved on by the spin.
  void Turn(std::size_t i) {
    const double turn = (rot[i] + spin[i]) / 360.0;
    rot[i] = static_cast<float>((turn - std::trunc(turn)) * 360);
  }
  // The position moved by the drive at speed Speed plus the velocity; returns where it was.
  CtsxVec3f Step(std::size_t i, float Speed) {
    const float sx = dx[i] * Speed + vx[i], sy = dy[i] * Speed + vy[i], sz = dz[i] * Speed + vz[i];
    const CtsxVec3f before{px[i], py[i], pz[i]};
    px[i] += sx;
    py[i] += sy;
    pz[i] += sz;
    return before;
  }
  // The drawn position: Keep of the way from Before to the position.
  void Dither(std::size_t i, const CtsxVec3f& Before, float Keep) {
    nx[i] = Before.x + (px[i] - Before.x) * Keep;
    ny[i] = Before.y + (py[i] - Before.y) * Keep;
    nz[i] = Before.z + (pz[i] - Before.z) * Keep;
  }
};

// The reference step of Count particles with the system's speed and gravity curves;
// returns the particles stepped.
struct ReferenceStep : PlainParticles {
  ReferenceStep(std::size_t n, const TParticleSystem& system)
      : count(n), speed(*system.Speed), gravity(*system.Gravity) {
    for (auto* v : {&px, &py, &pz, &vx, &vy, &vz, &dx, &dy, &dz, &az, &rot, &spin, &birth, &life, &nx, &ny, &nz})
      v->assign(count, 0.0f);
    for (std::size_t i = 0; i < count; ++i) {
      birth[i] = -static_cast<float>(i % kLifespan);
      life[i] = kLifespan;
      dx[i] = 0.01f;
      dz[i] = 0.02f;
      az[i] = -0.01f;
      spin[i] = 1;
    }
  }
  std::size_t count;
  PlainSpline speed, gravity;
  float now = 0;

  long long operator()() {
    now += 1;
    const float dither = 0.1f;
    for (std::size_t i = 0; i < count; ++i) {
      const double age = (now - birth[i]) / life[i];
      const double l = 100.0 * (age - std::floor(age));
      Turn(i);
      const CtsxVec3f before = Step(i, static_cast<float>(speed.At(l)));
      Dither(i, before, static_cast<float>(1 - Random() * dither));
      vz[i] += az[i] * static_cast<float>(gravity.At(l));
    }
    benchmark::DoNotOptimize(nx.data());
    return static_cast<long long>(count);
  }
};

// The tools' per-step values, as the engine's modifiers hold them after their step update.
struct PlainTools {
  CtsxVec3f attractor{}, fan{}, axis{};
  CtsxTxmx3f inverse{};
  float pull = 0, sizeZ = 0, push = 0, halfX = 0, halfY = 0;
};

// The reference step with the two tools over copies of a system's live particles.
struct ReferenceToolStep : PlainParticles {
  explicit ReferenceToolStep(const TParticleSystem& system) : speed(*system.Speed), gravity(*system.Gravity) {}
  PlainSpline speed, gravity;
  PlainTools tools;
  float now = 0;

  void Load(const TParticleSystem& system, const TAttractModifier& attractor, TPlaneFanModifier& fan) {
    for (auto* v : {&px, &py, &pz, &vx, &vy, &vz, &dx, &dy, &dz, &ax, &ay, &az, &rot, &spin, &birth, &life, &mass})
      v->clear();
    for (const TParticle& p : system.Particles) {
      if (!p.Alive) continue;
      px.push_back(p.Position.x), py.push_back(p.Position.y), pz.push_back(p.Position.z);
      vx.push_back(p.Velocity.x), vy.push_back(p.Velocity.y), vz.push_back(p.Velocity.z);
      dx.push_back(p.Drive.x), dy.push_back(p.Drive.y), dz.push_back(p.Drive.z);
      ax.push_back(p.Acceleration.x), ay.push_back(p.Acceleration.y), az.push_back(p.Acceleration.z);
      rot.push_back(p.Rotation), spin.push_back(p.Spin), birth.push_back(p.Birth), life.push_back(p.Lifespan);
      mass.push_back(p.Mass);
    }
    nx.assign(px.size(), 0), ny.assign(px.size(), 0), nz.assign(px.size(), 0);
    now = system.CurrentTime;
    tools = {attractor.Position, fan.Position, fan.Axis(), fan.Inverse,      attractor.Strength,
             attractor.SizeZ,    fan.Strength, fan.HalfSizeX, fan.HalfSizeY};
  }

  long long operator()() {
    const float spatialDither = 0.1f;
    const PlainTools& t = tools;
    const auto& m = t.inverse;
    for (std::size_t i = 0; i < px.size(); ++i) {
      const double l = 100.0f * ((now - birth[i]) / life[i]);
      Turn(i);
      const CtsxVec3f before = Step(i, static_cast<float>(speed.At(l)));
      // Attractor: towards its position, weaker with distance over its height.
      const float tx = t.attractor.x - px[i], ty = t.attractor.y - py[i], tz = t.attractor.z - pz[i];
      const auto d = static_cast<float>(std::sqrt(double(tx) * tx + double(ty) * ty + double(tz) * tz));
      const float k = t.pull / (d / t.sizeZ + 1) / mass[i];
      vx[i] += tx * k;
      vy[i] += ty * k;
      vz[i] += tz * k;
      // Fan: the particle in the fan's axes; inside its box above its plane, pushed along its axis.
      const float fx = px[i] - t.fan.x, fy = py[i] - t.fan.y, fz = pz[i] - t.fan.z;
      const auto qx = static_cast<float>(double(m.rot[0][0]) * fx + double(m.rot[0][1]) * fy +
                                         double(m.rot[0][2]) * fz + m.trans[0]) + t.fan.x;
      const auto qy = static_cast<float>(double(m.rot[1][0]) * fx + double(m.rot[1][1]) * fy +
                                         double(m.rot[1][2]) * fz + m.trans[1]) + t.fan.y;
      const auto qz = static_cast<float>(double(m.rot[2][0]) * fx + double(m.rot[2][1]) * fy +
                                         double(m.rot[2][2]) * fz + m.trans[2]) + t.fan.z;
      if (std::fabs(qx - t.fan.x) <= t.halfX && std::fabs(qy - t.fan.y) <= t.halfY && qz >= t.fan.z) {
        const float f = t.push / mass[i];
        vx[i] += t.axis.x * f;
        vy[i] += t.axis.y * f;
        vz[i] += t.axis.z * f;
      }
      Dither(i, before, static_cast<float>(1 - Random() * spatialDither));
      const auto g = static_cast<float>(gravity.At(l));
      vx[i] += ax[i] * g;
      vy[i] += ay[i] * g;
      vz[i] += az[i] * g;
    }
    benchmark::DoNotOptimize(nx.data());
    return static_cast<long long>(px.size());
  }
};

void BM_ParticleStep(benchmark::State& state) {
  const auto live = static_cast<double>(state.range(0));
  const bool withTools = state.range(1) != 0;
  host::Reset();
  RandSeed = 1513;

  TParticleEmitter emitter;
  TParticleSystem system;
  if (const char* workers = std::getenv("QM_MOVE_WORKERS")) system.MoveWorkers = std::atoi(workers);
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

  ReferenceStep reference(static_cast<std::size_t>(live), system);
  ReferenceToolStep toolReference(system);
  bench_ref::RatioMeter meter(bench_ref::Meter::kWall), toolMeter(bench_ref::Meter::kWall);
  std::int64_t stepped = 0;
  const auto step = [&] {
    system.Advance(system.CurrentTime + 1);
    return system.AliveCount;
  };
  for (auto _ : state) {
    if (withTools) {
      // The same real timings, tallied against the second reference too.
      meter.Real([&] {
        Integer alive = 0;
        toolMeter.Real([&] { return alive = step(); });
        return alive;
      });
    } else {
      meter.Real(step);
    }
    stepped += system.AliveCount;
    meter.Reference(state, reference);
    if (withTools) {
      state.PauseTiming();
      toolReference.Load(system, attractor, fan);
      state.ResumeTiming();
      toolMeter.Reference(state, toolReference);
    }
  }
  state.SetItemsProcessed(stepped);
  if (withTools) toolMeter.Report(state, "of_reference_with_tools");
  meter.Report(state);
  state.counters["live"] = system.AliveCount;
  for (TParticleModifier* m : tools) ModifierList().Remove(m);
}

BENCHMARK(BM_ParticleStep)
    ->ArgNames({"live", "tools"})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
