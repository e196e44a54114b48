// Particles stepped per second: one system kept at 10,000 or 100,000 live particles
// (births and deaths balanced, so that a step allocates nothing), with and without two
// tools acting on every particle.
#include <benchmark/benchmark.h>

#include <vector>

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

  std::int64_t stepped = 0;
  for (auto _ : state) {
    system.Advance(system.CurrentTime + 1);
    stepped += system.AliveCount;
  }
  state.SetItemsProcessed(stepped);
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
