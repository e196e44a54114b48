// A step whose kill and move are shared with worker threads leaves every particle, the
// count and the generator bit for bit as one thread does, after every step, with each
// kind of tool, with and without dither, while particles are born, die and bounce;
// tools that cannot share (the leader, an absorbing floor) keep the step on the calling
// thread. A failure in a tool on a worker reaches the caller.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/editor_state.h"
#include "engine/modifiers.h"
#include "engine/move_team.h"
#include "engine/particle_system.h"
#include "engine/random_table.h"
#include "engine/tests/engine_test_support.h"
#include "platform/classlib/random.h"
#include "platform/host/host.h"

using engine_test::SetConstant;

namespace {

// Changes no particle; notes the threads its Apply ran on. Throws at FailAt (a slot).
class ThreadWitness : public TParticleModifier {
 public:
  ThreadWitness() { Enabled = 1; }
  void LoadFromStream(TStream&) override {}
  void SaveToStream(TStream&) const override {}
  bool BeginSharedApply(TParticleSystem&) override { return true; }
  void Apply(TParticleSystem&, TParticle& Particle) override {
    if (Particle.Slot == FailAt) throw std::runtime_error("tool failed");
    const std::lock_guard<std::mutex> lock(mutex);
    threads.insert(std::this_thread::get_id());
  }
  Integer FailAt = -1;
  std::mutex mutex;
  std::set<std::thread::id> threads;
};

// The tools of one case, made in a fresh scene.
struct Rig {
  TAttractModifier attractor;
  TRepulseModifier repulsor;
  TPlaneFanModifier fan;
  TGravitronModifier gravitron;
  TPlaneDeflectorModifier floor;
  TPathingModifier leader;
};
using RigSetup = std::function<std::vector<TParticleModifier*>(Rig&)>;

void Append(std::vector<unsigned char>& Out, const void* Data, std::size_t Size) {
  const auto* p = static_cast<const unsigned char*>(Data);
  Out.insert(Out.end(), p, p + Size);
}

// Every field of every slot (the owner only as set or not), the count, the generator
// and the tools' last strengths.
std::vector<unsigned char> Snapshot(const TParticleSystem& System, const Rig& R) {
  std::vector<unsigned char> out;
  for (const TParticle& p : System.Particles) {
    // Up to Slot the record has no gap; after Alive the fields from Birth on.
    Append(out, &p, offsetof(TParticle, Owner));
    const bool owned = p.Owner != nullptr;
    Append(out, &owned, 1);
    Append(out, &p.Slot, sizeof p.Slot);
    Append(out, &p.Alive, 1);
    Append(out, &p.Birth, sizeof(TParticle) - offsetof(TParticle, Birth));
  }
  Append(out, &RandSeed, sizeof RandSeed);
  Append(out, &System.AliveCount, sizeof System.AliveCount);
  for (const TBasicModifier* m : std::initializer_list<const TBasicModifier*>{
           &R.attractor, &R.repulsor, &R.fan, &R.gravitron, &R.floor, &R.leader})
    Append(out, &m->Strength, sizeof m->Strength);
  return out;
}

struct Outcome {
  std::vector<std::vector<unsigned char>> steps;
  std::size_t threads = 0;
  Integer mostAlive = 0;
};

constexpr int kFrames = 12;

Outcome Simulate(const RigSetup& Setup, Single Dither, Integer Workers) {
  host::Reset();
  RandSeed = 0;
  BuildRandomTable();
  RandSeed = 2024;
  Rig rig;
  rig.attractor.Node = host::AddCube("attractor", 2);
  host::SetKey(rig.attractor.Node, host::Channel::Position, 0, {0, 0, 3});
  rig.attractor.Falloff = foLinear;
  SetConstant(rig.attractor.PowerJitter, 0.4);
  rig.repulsor.Node = host::AddCube("repulsor", 2);
  host::SetKey(rig.repulsor.Node, host::Channel::Position, 0, {1, 0, 0});
  rig.repulsor.Falloff = foSquared;
  rig.fan.Node = host::AddCube("fan", 3);
  host::SetKey(rig.fan.Node, host::Channel::Rotation, 0, {20, 0, 0});
  rig.gravitron.Node = host::AddCube("gravitron", 1);
  host::SetKey(rig.gravitron.Node, host::Channel::Position, 0, {0.5f, 0, 0});
  rig.floor.Node = host::AddPlane("floor", 20, 20);
  host::SetKey(rig.floor.Node, host::Channel::Position, 0, {0, 0, -0.3f});
  SetConstant(rig.floor.Elasticity, 70);
  SetConstant(rig.floor.ElasticityJitter, 0.3);
  rig.leader.Node = host::AddCube("leader", 1);
  host::SetKey(rig.leader.Node, host::Channel::Position, 0, {0, 0, 0});
  host::SetKey(rig.leader.Node, host::Channel::Position, 20, {4, 2, 1});

  ThreadWitness witness;
  std::vector<TParticleModifier*> tools = Setup(rig);
  tools.push_back(&witness);
  for (TParticleModifier* m : tools) ModifierList().Add(m);

  TParticleSystem system;
  system.MoveWorkers = Workers;
  system.SpatialDither = Dither;
  SetConstant(system.Flow, 900);
  // Scattered lifespans free scattered slots; some particles massless, some twisting.
  system.OnInitParticle = [](TParticleSystem&, TParticle& p) {
    p.Lifespan = static_cast<Single>(1 + Random(6));
    p.Mass = Random(9) == 0 ? 0.0f : static_cast<Single>(0.5 + Random());
    p.Position = {static_cast<Single>(Random() * 4 - 2), static_cast<Single>(Random() * 4 - 2),
                  static_cast<Single>(Random() * 2)};
    p.Velocity = {static_cast<Single>(Random() * 0.2 - 0.1), 0, static_cast<Single>(-Random() * 0.4)};
    p.Drive = {0, 0, 0.05f};
    p.Acceleration = {0, 0, -0.01f};
    p.Spin = static_cast<Single>(Random() * 10);
    if (Random(3) == 0) {
      p.TwistRate = 2;
      p.TwistAxis = {0, 0, 1};
    }
  };

  Outcome run;
  for (int frame = 0; frame < kFrames; ++frame) {
    tsxAnimSetActiveTimeScene(static_cast<float>(frame));
    CurrentSceneTime = static_cast<Single>(frame);
    system.Advance(static_cast<Single>(frame));
    run.steps.push_back(Snapshot(system, rig));
    run.mostAlive = std::max(run.mostAlive, system.AliveCount);
  }
  for (TParticleModifier* m : tools) ModifierList().Remove(m);
  run.threads = witness.threads.size();
  return run;
}

}  // namespace

TEST(SharedMove, EveryStepMatchesTheStepOnOneThread) {
  const struct {
    const char* name;
    RigSetup setup;
    bool shares;
  } cases[] = {
      {"no tool but the witness", [](Rig&) { return std::vector<TParticleModifier*>{}; }, true},
      {"attractor", [](Rig& r) { return std::vector<TParticleModifier*>{&r.attractor}; }, true},
      {"repulsor", [](Rig& r) { return std::vector<TParticleModifier*>{&r.repulsor}; }, true},
      {"fan", [](Rig& r) { return std::vector<TParticleModifier*>{&r.fan}; }, true},
      {"gravitron", [](Rig& r) { return std::vector<TParticleModifier*>{&r.gravitron}; }, true},
      {"bouncing floor", [](Rig& r) { return std::vector<TParticleModifier*>{&r.floor}; }, true},
      {"attractor, fan, gravitron and floor",
       [](Rig& r) { return std::vector<TParticleModifier*>{&r.attractor, &r.fan, &r.gravitron, &r.floor}; }, true},
      {"absorbing floor",
       [](Rig& r) {
         r.floor.Absorb = 1;
         return std::vector<TParticleModifier*>{&r.attractor, &r.floor};
       },
       false},
      {"leader", [](Rig& r) { return std::vector<TParticleModifier*>{&r.fan, &r.leader}; }, false},
  };
  const unsigned team = MoveTeam().Workers();
  std::size_t mostThreads = 0;
  for (const auto& c : cases) {
    for (const Single dither : {0.0f, 0.3f}) {
      SCOPED_TRACE(std::string(c.name) + (dither != 0 ? ", dither" : ", no dither"));
      const Outcome alone = Simulate(c.setup, dither, 0);
      EXPECT_EQ(alone.threads, 1u);
      EXPECT_GT(alone.mostAlive, 1500) << "enough particles for several blocks";
      for (const Integer workers : {1, 3}) {
        SCOPED_TRACE(std::to_string(workers) + " workers");
        const Outcome shared = Simulate(c.setup, dither, workers);
        // Workers join as they come: any number up to those asked for.
        if (c.shares)
          EXPECT_LE(shared.threads, std::min<std::size_t>(static_cast<std::size_t>(workers), team) + 1);
        else
          EXPECT_EQ(shared.threads, 1u);
        mostThreads = std::max(mostThreads, shared.threads);
        ASSERT_EQ(shared.steps.size(), alone.steps.size());
        for (std::size_t step = 0; step < alone.steps.size(); ++step) {
          const auto& a = alone.steps[step];
          const auto& b = shared.steps[step];
          const auto first = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
          ASSERT_TRUE(a == b) << "step " << step << ", first difference at byte " << (first.first - a.begin());
        }
      }
    }
  }
  if (team > 0) {
    EXPECT_GT(mostThreads, 1u) << "some step was shared";
  }
}

TEST(SharedMove, AToolsFailureOnAWorkerReachesTheCaller) {
  host::Reset();
  ThreadWitness witness;
  ModifierList().Add(&witness);
  TParticleSystem system;
  system.MoveWorkers = 3;
  SetConstant(system.Flow, 3000);
  system.Advance(0);
  // The last slot's block goes to whichever thread takes it.
  witness.FailAt = system.AliveCount - 2;
  EXPECT_THROW(system.Advance(1), std::runtime_error);
  // The team is free again: the next step runs.
  witness.FailAt = -1;
  EXPECT_NO_THROW(system.Advance(2));
  ModifierList().Remove(&witness);
}

TEST(SharedMove, DrawsAndJumpsFollowTheProcessGenerator) {
  // Draw counts around the powers of two and past the generator's period of 2^32.
  const std::uint64_t counts[] = {0, 1, 2, 3, 7, 8, 255, 256, 1000, 65537};
  for (const Cardinal start : {0u, 77u, 0xFFFFFFFFu}) {
    for (const std::uint64_t n : counts) {
      RandSeed = start;
      Cardinal own = start;
      for (std::uint64_t i = 0; i < n; ++i) ASSERT_EQ(DrawFrom(own), Random()) << start << " draw " << i;
      EXPECT_EQ(own, RandSeed);
      EXPECT_EQ(SeedAfter(start, n), RandSeed) << start << " after " << n;
    }
    EXPECT_EQ(SeedAfter(start, std::uint64_t{1} << 32), start);
    EXPECT_EQ(SeedAfter(start, (std::uint64_t{1} << 32) + 5), SeedAfter(start, 5));
  }
}

TEST(SharedMove, EveryRunsFailuresEndWithIt) {
  TMoveTeam team(3);
  if (team.Workers() == 0) GTEST_SKIP() << "no worker threads";
  // Every worker's run of the job fails; the calling thread's run lasts until the workers
  // have joined, so that a failure is caught on each of them at once.
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<unsigned> entered{0};
  const std::function<void()> failing = [&] {
    entered.fetch_add(1);
    if (std::this_thread::get_id() != caller) throw std::runtime_error("job failed");
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (entered.load() < team.Workers() + 1 && std::chrono::steady_clock::now() < until)
      std::this_thread::yield();
  };
  team.Rouse(team.Workers());
  EXPECT_THROW(team.Run(team.Workers(), failing), std::runtime_error);
  EXPECT_EQ(entered.load(), team.Workers() + 1) << "every worker joined";
  // The next job, which fails nowhere, ends without a failure left from the last one.
  std::atomic<unsigned> ran{0};
  bool run = false;
  EXPECT_NO_THROW(run = team.Run(team.Workers(), [&] { ran.fetch_add(1); }));
  EXPECT_TRUE(run);
  EXPECT_GE(ran.load(), 1u);
  team.Rest();
}

TEST(SharedMove, AStepWhileTheTeamIsBusyRunsWholeOnItsThread) {
  const RigSetup setup = [](Rig& r) { return std::vector<TParticleModifier*>{&r.attractor, &r.floor}; };
  const Outcome alone = Simulate(setup, 0.3f, 0);
  // Another thread holds the team for the whole simulation: every kill and move of it
  // finds the team taken.
  std::atomic<bool> holding{false}, release{false};
  std::thread other([&] {
    MoveTeam().Run(0, [&] {
      holding.store(true);
      while (!release.load()) std::this_thread::yield();
    });
  });
  while (!holding.load()) std::this_thread::yield();
  const Outcome shared = Simulate(setup, 0.3f, 3);
  release.store(true);
  other.join();
  EXPECT_EQ(shared.threads, 1u);
  ASSERT_EQ(shared.steps.size(), alone.steps.size());
  for (std::size_t step = 0; step < alone.steps.size(); ++step)
    ASSERT_TRUE(shared.steps[step] == alone.steps[step]) << "step " << step;
}
