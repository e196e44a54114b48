// What a tool keeps for the particles of one step (its time, whether it acts) never goes
// stale: a system stepped with its tools as they are must match, bit for bit, the same
// system whose tools work everything out afresh for every particle, while the tools
// are moved, re-keyed, switched off and on, lose their node, change their loop, their
// curves or their falloff between the steps, and while a second system shares them.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/editor_state.h"
#include "engine/modifiers.h"
#include "engine/particle_emitter.h"
#include "engine/particle_system.h"
#include "engine/tests/engine_test_support.h"
#include "platform/classlib/random.h"
#include "platform/host/host.h"

using engine_test::SetConstant;

namespace {

// Runs its tool as a call from outside a move, after reading its node again: the tool
// then keeps nothing between particles (time, strength, axis).
class Afresh : public TParticleModifier {
 public:
  explicit Afresh(TBasicModifier& Tool) : tool(Tool) {}
  void LoadFromStream(TStream&) override {}
  void SaveToStream(TStream&) const override {}
  void BeginStep() override { tool.BeginStep(); }
  void Apply(TParticleSystem& System, TParticle& Particle) override {
    const std::uint64_t batch = System.MoveBatch;
    System.MoveBatch = 0;
    // The shared part only: the deflector's own keeps the frame before, once a step.
    tool.TBasicModifier::BeginStep();
    tool.Apply(System, Particle);
    System.MoveBatch = batch;
  }
  void Follow() {
    Node = tool.Node;
    Enabled = tool.Enabled;
  }
  TBasicModifier& tool;
};

struct Tools {
  TAttractModifier attractor;
  TPlaneFanModifier fan;
  TGravitronModifier gravitron;
  TPlaneDeflectorModifier floor;
  // A node put aside.
  tsxSOBJ* aside = nullptr;
};

// A change made to the tools before the advance to a frame.
using Change = std::function<void(int Frame, Tools& T)>;

constexpr int kFrames = 30;

// Every live particle's slot, position, drawn position and velocity of both systems.
std::vector<std::uint32_t> Simulate(const Change& change, bool afresh) {
  host::Reset();
  RandSeed = 1513;
  Tools t;
  t.attractor.Node = host::AddCube("attractor", 2);
  host::SetKey(t.attractor.Node, host::Channel::Position, 0, {0, 0, 3});
  t.attractor.Falloff = foLinear;
  t.fan.Node = host::AddCube("fan", 3);
  t.gravitron.Node = host::AddCube("gravitron", 1);
  host::SetKey(t.gravitron.Node, host::Channel::Position, 0, {0.5f, 0, 0});
  t.floor.Node = host::AddPlane("floor", 20, 20);
  host::SetKey(t.floor.Node, host::Channel::Position, 0, {0, 0, -0.5f});
  SetConstant(t.floor.Elasticity, 70);

  std::vector<TParticleModifier*> tools;
  std::vector<std::unique_ptr<Afresh>> wrappers;
  for (TBasicModifier* m : std::initializer_list<TBasicModifier*>{&t.attractor, &t.fan, &t.gravitron, &t.floor}) {
    if (afresh) {
      wrappers.push_back(std::make_unique<Afresh>(*m));
      tools.push_back(wrappers.back().get());
    } else {
      tools.push_back(m);
    }
  }
  for (TParticleModifier* m : tools) ModifierList().Add(m);

  TParticleEmitter emitter;
  SetConstant(emitter.Speed, 0.1);
  SetConstant(emitter.MassJitter, 0.5);
  TParticleSystem first, second;
  for (TParticleSystem* s : {&first, &second}) {
    s->OnInitParticle = [&emitter](TParticleSystem& system, TParticle& p) { emitter.InitParticle(system, p); };
    SetConstant(s->Flow, 12);
    s->SpatialDither = 0.1f;
  }
  for (int frame = 0; frame < kFrames; ++frame) {
    change(frame, t);
    for (auto& w : wrappers) w->Follow();
    tsxAnimSetActiveTimeScene(static_cast<float>(frame));
    CurrentSceneTime = static_cast<Single>(frame);
    first.Advance(static_cast<Single>(frame));
    second.Advance(static_cast<Single>(frame) / 2);
  }
  for (TParticleModifier* m : tools) ModifierList().Remove(m);

  std::vector<std::uint32_t> bits;
  for (const TParticleSystem* s : {&first, &second}) {
    for (const TParticle& p : s->Particles) {
      if (!p.Alive) continue;
      bits.push_back(static_cast<std::uint32_t>(p.Slot));
      for (const CtsxVec3f& v : {p.Position, p.RenderPosition, p.Velocity})
        for (float f : {v.x, v.y, v.z}) bits.push_back(std::bit_cast<std::uint32_t>(f));
    }
  }
  return bits;
}

}  // namespace

TEST(ModifierSteps, KeptStepValuesMatchWorkingOutAfreshWhateverChangesBetweenSteps) {
  const struct {
    const char* name;
    Change change;
  } cases[] = {
      {"nothing changes", [](int, Tools&) {}},
      {"attractor moved every frame",
       [](int f, Tools& t) { host::SetKey(t.attractor.Node, host::Channel::Position, 0, {0.1f * f, 0, 3}); }},
      {"fan turned at frame 10",
       [](int f, Tools& t) {
         if (f == 10) host::SetKey(t.fan.Node, host::Channel::Rotation, 0, {40, 0, 0});
       }},
      {"fan off from 8 to 15",
       [](int f, Tools& t) { t.fan.Enabled = f >= 8 && f < 15 ? 0 : 1; }},
      {"attractor without a node from 5 to 12",
       [](int f, Tools& t) {
         if (f == 5) t.aside = std::exchange(t.attractor.Node, nullptr);
         if (f == 12) t.attractor.Node = t.aside;
       }},
      {"period 7 from frame 4, lives 2 from frame 6",
       [](int f, Tools& t) {
         if (f == 4) t.attractor.Period = t.gravitron.Period = 7;
         if (f == 6) t.attractor.Lives = t.fan.Lives = 2, t.fan.Period = 5;
       }},
      {"power curves changed at frame 9",
       [](int f, Tools& t) {
         if (f != 9) return;
         SetConstant(t.attractor.Power, 15);
         SetConstant(t.fan.PowerJitter, 0.6);
         SetConstant(t.gravitron.Power, 4);
       }},
      {"falloff squared at frame 3, none at frame 20",
       [](int f, Tools& t) {
         if (f == 3) t.attractor.Falloff = t.fan.Falloff = foSquared;
         if (f == 20) t.attractor.Falloff = t.fan.Falloff = foNone;
       }},
      {"gravitron infinite from frame 11", [](int f, Tools& t) { t.gravitron.Infinite = f >= 11 ? 1 : 0; }},
  };
  for (const auto& c : cases) {
    const std::vector<std::uint32_t> kept = Simulate(c.change, false);
    const std::vector<std::uint32_t> afresh = Simulate(c.change, true);
    EXPECT_GT(kept.size(), 100u) << c.name;
    EXPECT_EQ(kept, afresh) << c.name;
  }
}
