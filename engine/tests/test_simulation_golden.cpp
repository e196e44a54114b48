// A whole simulation, fixed from seed to last frame: a moving, turning emitter with
// jittered births, spatial dither and twist, an attractor, a fan and a deflecting floor,
// stepped through 100 frames. The checksum covers every live particle's slot, position,
// drawn position and velocity, bit for bit.
//
// The checksum changes only when the simulation changes. When a change to the
// simulation is meant (a new rule, a different order of random draws), run this test,
// check that the other engine tests still pass, and copy the checksum it prints into
// kGoldenChecksum below, saying in the change why the simulation moved. (An absorbed
// particle finishing its move left it as it was: this floor bounces, it absorbs none.)
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "engine/editor_state.h"
#include "engine/modifiers.h"
#include "engine/particle_emitter.h"
#include "engine/particle_system.h"
#include "engine/random_table.h"
#include "platform/classlib/random.h"
#include "platform/host/host.h"
#include "engine/tests/engine_test_support.h"

using engine_test::SetConstant;

namespace {

constexpr std::uint64_t kGoldenChecksum = 0x1e89a5eb79bfc1a8;

// The emitter entry's part: the emitter follows its host node.
class NodeOwner : public TParticleSystemOwner {
 public:
  NodeOwner(tsxGNODE* node, TParticleEmitter& emitter) : node_(node), emitter_(emitter) {}
  void UpdateTransform() override {
    emitter_.PreviousMatrix = emitter_.CurrentMatrix;
    tsxGNodeGetTransform(node_, &emitter_.CurrentMatrix);
    if (first_) emitter_.PreviousMatrix = emitter_.CurrentMatrix;
    first_ = false;
  }
  tsxGNODE* OwnerNode() const override { return node_; }
  bool RandomSurfacePoint(CtsxVec3f&, CtsxVec3f&) override { return false; }

 private:
  tsxGNODE* node_;
  TParticleEmitter& emitter_;
  bool first_ = true;
};

struct Fnv {
  std::uint64_t hash = 14695981039346656037ull;
  void Add(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
  }
  void Add(const CtsxVec3f& v) {
    for (float f : {v.x, v.y, v.z}) {
      const std::uint32_t bits = std::bit_cast<std::uint32_t>(f);
      Add(&bits, 4);
    }
  }
};

struct Outcome {
  std::uint64_t checksum;
  Integer alive;
  bool finite;
};

Outcome Simulate() {
  host::Reset();
  RandSeed = 0;
  BuildRandomTable();
  RandSeed = 1513;

  tsxGNODE* node = host::AddCube("emitter", 1);
  host::SetKey(node, host::Channel::Position, 0, {0, 0, 0});
  host::SetKey(node, host::Channel::Position, 99, {5, 0, 0});
  host::SetKey(node, host::Channel::Rotation, 0, {0, 0, 0});
  host::SetKey(node, host::Channel::Rotation, 99, {30, 0, 90});

  TParticleEmitter emitter;
  SetConstant(emitter.Focus, 0.6);
  SetConstant(emitter.LifespanJitter, 0.3);
  SetConstant(emitter.SpeedJitter, 0.2);
  SetConstant(emitter.OrientationJitter, 0.5);
  SetConstant(emitter.Vortex, 0.3);
  SetConstant(emitter.MassJitter, 0.4);
  emitter.Radius = 0.5f;

  TParticleSystem system;
  NodeOwner owner(node, emitter);
  system.Owner = &owner;
  system.OnInitParticle = [&emitter](TParticleSystem& s, TParticle& p) { emitter.InitParticle(s, p); };
  SetConstant(system.Flow, 8.5);
  system.SpatialDither = 0.2f;

  TAttractModifier attractor;
  attractor.Node = host::AddCube("attractor", 2);
  host::SetKey(attractor.Node, host::Channel::Position, 0, {0, 0, 4});
  attractor.Falloff = foLinear;
  SetConstant(attractor.Power, 8);
  SetConstant(attractor.PowerJitter, 0.3);
  TPlaneFanModifier fan;
  fan.Node = host::AddCube("fan", 2);
  host::SetKey(fan.Node, host::Channel::Position, 0, {3, 0, 0});
  TPlaneDeflectorModifier floor;
  floor.Node = host::AddPlane("floor", 20, 20);
  host::SetKey(floor.Node, host::Channel::Position, 0, {0, 0, -1});
  SetConstant(floor.Elasticity, 60);
  SetConstant(floor.ElasticityJitter, 0.2);
  TParticleModifier* tools[] = {&attractor, &fan, &floor};
  for (TParticleModifier* m : tools) ModifierList().Add(m);

  for (int frame = 0; frame < 100; ++frame) {
    tsxAnimSetActiveTimeScene(static_cast<float>(frame));
    CurrentSceneTime = static_cast<Single>(frame);
    system.Advance(static_cast<Single>(frame));
  }
  for (TParticleModifier* m : tools) ModifierList().Remove(m);

  Fnv fnv;
  bool finite = true;
  Integer alive = 0;
  for (const TParticle& p : system.Particles) {
    if (!p.Alive) continue;
    ++alive;
    fnv.Add(&p.Slot, sizeof p.Slot);
    fnv.Add(p.Position);
    fnv.Add(p.RenderPosition);
    fnv.Add(p.Velocity);
    for (float f : {p.Position.x, p.Position.y, p.Position.z, p.RenderPosition.x, p.RenderPosition.y,
                    p.RenderPosition.z})
      finite = finite && std::isfinite(f);
  }
  EXPECT_EQ(alive, system.AliveCount);
  return {fnv.hash, alive, finite};
}

}  // namespace

TEST(SimulationGolden, HundredFramesFromSeed1513) {
  const Outcome first = Simulate();
  EXPECT_TRUE(first.finite);
  // About 8.5 births a frame living about 60 frames, less what the floor keeps.
  EXPECT_GT(first.alive, 300);
  EXPECT_LT(first.alive, 600);

  const Outcome again = Simulate();
  EXPECT_EQ(again.checksum, first.checksum) << "the same seed gives the same simulation";
  EXPECT_EQ(again.alive, first.alive);

  std::printf("simulation checksum: 0x%016llx (%d particles)\n", static_cast<unsigned long long>(first.checksum),
              first.alive);
  EXPECT_EQ(first.checksum, kGoldenChecksum)
      << "The simulation changed. If that is meant, put 0x" << std::hex << first.checksum
      << " into kGoldenChecksum (see the note at the top of this file).";
}
