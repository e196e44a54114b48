// The six modifiers on one particle, with the effect worked out by hand; the deflector
// inside a running system; the modifier record, byte by byte and malformed.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/editor_state.h"
#include "engine/modifiers.h"
#include "engine/particle_system.h"
#include "engine/random_table.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/random.h"
#include "platform/classlib/streams.h"
#include "engine/tests/curve_bytes.h"
#include "engine/tests/engine_test_support.h"
#include "platform/host/host.h"

using namespace curve_bytes;
using namespace engine_test;

namespace {

class Modifiers : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Reset();
    CurrentSceneTime = 0;
    system.CurrentTime = 0;
    system.AliveCount = 1;
  }
  // A live particle at P, half-way through nothing yet: born at 0, 100 frames to live.
  static TParticle At(CtsxVec3f p, Single mass = 1) {
    TParticle t;
    t.Alive = 1;
    t.Lifespan = 100;
    t.Mass = mass;
    t.Position = p;
    t.PreviousPosition = p;
    return t;
  }
  // Applies the modifier to a copy of the particle, after the modifier's step update.
  static TParticle Applied(TParticleModifier& m, TParticleSystem& s, TParticle p) {
    m.BeginStep();
    m.Apply(s, p);
    return p;
  }
  TParticleSystem system;
};

}  // namespace

TEST_F(Modifiers, FanPushesAlongItsAxisInsideItsBox) {
  TPlaneFanModifier fan;
  fan.Node = host::AddCube("fan", 2);  // half sizes 1, height 2
  // Strength = Power 10 x 0.005 = 0.05; velocity += axis x 0.05 / D / mass 2.
  ExpectVec(Applied(fan, system, At({0.5f, 0.5f, 1}, 2)).Velocity, 0, 0, 0.025);
  EXPECT_FLOAT_EQ(fan.Strength, 0.05f);
  ExpectVec(Applied(fan, system, At({1, -1, 0}, 2)).Velocity, 0, 0, 0.025);  // on the edge
  fan.Falloff = foLinear;  // D = 1 / 2 + 1
  ExpectVec(Applied(fan, system, At({0.5f, 0.5f, 1}, 2)).Velocity, 0, 0, 0.05 / 1.5 / 2);
  fan.Falloff = foSquared;  // D = 1.5 squared
  ExpectVec(Applied(fan, system, At({0.5f, 0.5f, 1}, 2)).Velocity, 0, 0, 0.05 / 2.25 / 2);
  ExpectVec(Applied(fan, system, At({1.5f, 0, 1}, 2)).Velocity, 0, 0, 0);   // beside the box
  ExpectVec(Applied(fan, system, At({0, 0, -0.1f}, 2)).Velocity, 0, 0, 0);  // below the plane

  // Turned a quarter about X, the fan blows along -Y.
  TPlaneFanModifier turned;
  turned.Node = host::AddCube("turned", 2);
  host::SetKey(turned.Node, host::Channel::Rotation, 0, {90, 0, 0});
  ExpectVec(Applied(turned, system, At({0, -1, 0}, 2)).Velocity, 0, -0.025, 0);
  ExpectVec(Applied(turned, system, At({0, 1, 0}, 2)).Velocity, 0, 0, 0);

  // Jitter: one table entry per frame, the same for every particle.
  SetConstant(fan.PowerJitter, 0.5);
  fan.Falloff = foNone;
  system.CurrentTime = 7;
  Applied(fan, system, At({0, 0, 1}));
  EXPECT_FLOAT_EQ(fan.Strength, 0.05f * (1 + 0.5f * (2 * RandomTableEntry(7) - 1)));
}

TEST_F(Modifiers, AttractorAndRepulsorPullAndPush) {
  TAttractModifier attractor;
  attractor.Node = host::AddCube("magnet", 2);
  // v = (-3, -4, 0), d = 5, Strength = 5 x 0.0005.
  ExpectVec(Applied(attractor, system, At({3, 4, 0})).Velocity, -0.0075, -0.01, 0);
  attractor.Falloff = foLinear;  // D = 5 / 2 + 1
  ExpectVec(Applied(attractor, system, At({3, 4, 0})).Velocity, -0.0075 / 3.5, -0.01 / 3.5, 0);
  TParticle centre = Applied(attractor, system, At({0, 0, 0}));
  ExpectVec(centre.Velocity, 0, 0, 0);
  EXPECT_TRUE(Finite(centre.Velocity)) << "distance 0 with a falloff adds nothing";

  TRepulseModifier repulsor;
  repulsor.Node = host::AddCube("push", 2);
  ExpectVec(Applied(repulsor, system, At({3, 4, 0}, 2)).Velocity, 0.00375, 0.005, 0);
}

TEST_F(Modifiers, GravitronPullsAlongItsAxisByItsHeight) {
  TGravitronModifier gravitron;
  gravitron.Node = host::AddCube("well", 2);
  // Strength = Power 1 x 0.005 x height 2; mass 2.
  ExpectVec(Applied(gravitron, system, At({0.5f, 0, 5}, 2)).Velocity, 0, 0, 0.005);
  ExpectVec(Applied(gravitron, system, At({3, 0, 0}, 2)).Velocity, 0, 0, 0);
  gravitron.Infinite = 1;
  ExpectVec(Applied(gravitron, system, At({3, 0, 0}, 2)).Velocity, 0, 0, 0.005);
}

TEST_F(Modifiers, LeaderPullsTowardsThePathPointOfTheParticlesAge) {
  TPathingModifier leader;
  leader.Node = host::AddCube("lead", 2);
  host::SetKey(leader.Node, host::Channel::Position, 0, {0, 0, 0});
  host::SetKey(leader.Node, host::Channel::Position, 10, {10, 0, 0});
  system.CurrentTime = 5;
  // Half its life: path point round(0.5 x 11) = 6, at (6, 0, 0); the particle itself
  // moves by (0, -4, 0) x 0.0025.
  TParticle young = At({6, 4, 0});
  young.Lifespan = 10;
  const TParticle p = Applied(leader, system, young);
  EXPECT_EQ(leader.PathLength, 11);
  ASSERT_EQ(leader.Path.size(), 11u);
  ExpectVec(leader.Path[3], 3, 0, 0);
  ExpectVec(leader.Position, 6, 0, 0);
  ExpectVec(p.Position, 6, 3.99, 0);
  ExpectVec(p.Velocity, 0, 0, 0);
  CtsxTxmx3f m;
  tsxGNodeGetTransform(leader.Node, &m);
  EXPECT_EQ(m.trans[0], 10) << "the object is left at the last frame";
  EXPECT_EQ(leader.Power->Name, "Tension");
  EXPECT_EQ(leader.Power->Max, 100);
}

TEST_F(Modifiers, NoForceForMasslessParticlesOrFlatTools) {
  TPlaneFanModifier fan;
  TAttractModifier attractor;
  TGravitronModifier gravitron;
  TPathingModifier leader;
  TBasicModifier* all[] = {&fan, &attractor, &gravitron, &leader};
  for (TBasicModifier* m : all) {
    m->Node = host::AddCube("tool", 2);
    TParticle p = At({0.5f, 0, 1}, 0);
    p.Velocity = {1, 2, 3};
    p = Applied(*m, system, p);
    SCOPED_TRACE(m->KindName);
    ExpectVec(p.Velocity, 1, 2, 3);
    ExpectVec(p.Position, 0.5, 0, 1);
  }
  // A tool without height: the falloff has no scale and the gravitron no strength.
  fan.Falloff = foLinear;
  attractor.Falloff = foLinear;
  for (TBasicModifier* m : all) {
    m->Node = host::AddPlane("flat", 2, 2);
    const TParticle p = Applied(*m, system, At({0, 0, 0}, 1));
    SCOPED_TRACE(m->KindName);
    EXPECT_EQ(m->SizeZ, 0);
    EXPECT_TRUE(Finite(p.Velocity) && Finite(p.Position));
    ExpectVec(p.Velocity, 0, 0, 0);
  }
}

TEST_F(Modifiers, InertWithoutNodeAndOutsideTheirLives) {
  TPlaneFanModifier fan;
  ExpectVec(Applied(fan, system, At({0, 0, 1})).Velocity, 0, 0, 0);

  fan.Node = host::AddCube("fan", 2);
  fan.Period = 30;
  fan.Lives = 2;
  system.CurrentTime = 59;
  EXPECT_GT(Applied(fan, system, At({0, 0, 1})).Velocity.z, 0);
  system.CurrentTime = 60;
  ExpectVec(Applied(fan, system, At({0, 0, 1})).Velocity, 0, 0, 0);
}

namespace {

// A particle falling through the plane z = 0 in its last step.
TParticle Falling(CtsxVec3f from, CtsxVec3f to, CtsxVec3f velocity, Single size = 0) {
  TParticle p;
  p.Alive = 1;
  p.Lifespan = 100;
  p.Mass = 1;
  p.Size = size;
  p.PreviousPosition = from;
  p.Position = to;
  p.Velocity = velocity;
  return p;
}

}  // namespace

TEST_F(Modifiers, DeflectorPutsTheParticleOnThePlaneAndBouncesIt) {
  TPlaneDeflectorModifier deflector;
  deflector.Node = host::AddCube("floor", 2);
  CurrentSceneTime = 1;
  // Crossing point half-way; elasticity 30 keeps 0.3 of the mirrored velocity.
  TParticle p = Applied(deflector, system, Falling({0, 0, 1}, {0, 0, -1}, {1, 0, -2}));
  ExpectVec(p.Position, 0, 0, 0);
  ExpectVec(p.Velocity, 0.3, 0, 0.6);
  EXPECT_FLOAT_EQ(deflector.Strength, 0.3f);

  SetConstant(deflector.Elasticity, 100);
  TParticle q = Falling({0, 0, 1}, {0, 0, -1}, {1, 0, -2});
  q.Drive = {0.5f, 0, -0.25f};
  q = Applied(deflector, system, q);
  ExpectVec(q.Velocity, 1, 0, 2);
  ExpectVec(q.Drive, 0.5, 0, 0.25);

  // A particle of size 1 meets the plane half its size early: level 0.5.
  p = Applied(deflector, system, Falling({0.2f, 0, 1.5f}, {0.6f, 0, -0.5f}, {0, 0, -1}, 1));
  ExpectVec(p.Position, 0.4, 0, 0.5);

  // Moving away from the normal side, beside the plane, or level with it: untouched.
  p = Applied(deflector, system, Falling({0, 0, 1}, {0, 0, -1}, {0, 0, 1}));
  ExpectVec(p.Position, 0, 0, -1);
  ExpectVec(p.Velocity, 0, 0, 1);
  p = Applied(deflector, system, Falling({1.5f, 0, 1}, {1.5f, 0, -1}, {0, 0, -1}));
  ExpectVec(p.Position, 1.5, 0, -1);
  p = Applied(deflector, system, Falling({0, 0, 0.0005f}, {0.5f, 0, 0.0005f}, {0.5f, 0, 0}));
  EXPECT_TRUE(Finite(p.Position) && Finite(p.Velocity));
  ExpectVec(p.Position, 0.5, 0, 0.0005);
  ExpectVec(p.Velocity, 0.5, 0, 0);

  deflector.Absorb = 1;
  p = Applied(deflector, system, Falling({0, 0, 1}, {0, 0, -1}, {0, 0, -1}));
  EXPECT_EQ(p.Alive, 0);
  EXPECT_EQ(system.AliveCount, 0);
}

TEST_F(Modifiers, DeflectorComparesWithItsPlaceOfTheFrameBefore) {
  TPlaneDeflectorModifier deflector;
  deflector.Node = host::AddCube("lift", 2);
  host::SetKey(deflector.Node, host::Channel::Position, 0, {0, 0, 0});
  host::SetKey(deflector.Node, host::Channel::Position, 10, {0, 0, 10});
  tsxAnimSetActiveTimeScene(5);
  CurrentSceneTime = 5;
  deflector.BeginStep();
  EXPECT_FLOAT_EQ(deflector.PreviousPosition.z, 4);
  EXPECT_FLOAT_EQ(deflector.Position.z, 5);
  EXPECT_EQ(deflector.LastFrame, 5);
  tsxAnimSetActiveTimeScene(6);
  CurrentSceneTime = 6;
  deflector.BeginStep();
  EXPECT_FLOAT_EQ(deflector.PreviousPosition.z, 5);
  EXPECT_FLOAT_EQ(deflector.Position.z, 6);
  deflector.BeginStep();  // a second system in the same frame sees the same move
  EXPECT_FLOAT_EQ(deflector.PreviousPosition.z, 5);
  EXPECT_FLOAT_EQ(deflector.Position.z, 6);
}

namespace {

class Witness : public TParticleModifier {
 public:
  Witness() { Enabled = 1; }
  void LoadFromStream(TStream&) override {}
  void SaveToStream(TStream&) const override {}
  void Apply(TParticleSystem&, TParticle&) override { ++applied; }
  int applied = 0;
};

}  // namespace

TEST_F(Modifiers, AbsorbedParticleLeavesTheSystemOnce) {
  TPlaneDeflectorModifier deflector;
  deflector.Node = host::AddCube("floor", 4);
  deflector.Absorb = 1;
  Witness later;
  ModifierList().Add(&deflector);
  ModifierList().Add(&later);

  TParticleSystem s;
  s.Flow->Quantum = 1.0;
  s.Flow->Clear();
  s.Flow->AddXY(0, 1);
  s.Flow->AddXY(0.5, 0);
  s.OnInitParticle = [](TParticleSystem&, TParticle& p) {
    p.Position = {0, 0, 1.5f};
    p.Velocity = {0, 0, -1};
    p.Lifespan = 100;
    p.Mass = 1;
  };
  // Births draw nothing here: the generator moves on only by each move's dither draw.
  RandSeed = 99;
  Random();
  Random();
  const Cardinal afterTwoDraws = RandSeed;
  RandSeed = 99;
  s.Advance(0);  // born at 0.5, above the floor
  EXPECT_EQ(s.AliveCount, 1);
  EXPECT_EQ(later.applied, 1);
  s.Advance(1);  // through the floor
  EXPECT_EQ(s.AliveCount, 0);
  EXPECT_EQ(s.Particles[0].Alive, 0);
  EXPECT_EQ(later.applied, 1) << "no tool after the deflector sees the absorbed particle";
  EXPECT_EQ(RandSeed, afterTwoDraws) << "the absorbed particle still makes its dither draw";
  EXPECT_FLOAT_EQ(s.Particles[0].RenderPosition.z, s.Particles[0].Position.z) << "and finishes its move";
  s.Advance(5);
  EXPECT_EQ(s.AliveCount, 0);
  ModifierList().Remove(&deflector);
  ModifierList().Remove(&later);
}

TEST(ModifierJitter, OneTableEntryPerRoundedFrame) {
  const Single e3 = RandomTableEntry(3);
  EXPECT_FLOAT_EQ(ModifierJitter(1, 2, 3), 4 * e3);
  EXPECT_FLOAT_EQ(ModifierJitter(1, 2, 515), 4 * e3);
  EXPECT_FLOAT_EQ(ModifierJitter(0.5f, 2, 2.5f), 2 * (1 + 0.5f * (2 * RandomTableEntry(2) - 1)));
  EXPECT_EQ(ModifierJitter(0, 2, 9), 2);
}

// ---- the record ----------------------------------------------------------------------------

namespace {

// A curve record with the two default keys.
void PutCurve(std::vector<Byte>& out, const std::string& name, Byte xmode, double min, double max, Byte clamp,
              double value) {
  PutShortString(out, name, 64);
  Put8(out, xmode);
  PutF64(out, min);
  PutF64(out, max);
  Put8(out, clamp);
  PutF64(out, 0.3);
  Put32(out, 2);
  PutF64(out, 0);
  PutF64(out, value);
  PutF64(out, 8192);
  PutF64(out, value);
}

std::vector<Byte> Written(const TParticleModifier& m) {
  return curve_bytes::Written([&](TStream& s) { m.SaveToStream(s); });
}

void Read(TParticleModifier& m, const std::vector<Byte>& bytes) {
  TMemoryStream s;
  Fill(s, bytes);
  m.LoadFromStream(s);
}

constexpr std::size_t kCurveBytes = 65 + 1 + 8 + 8 + 1 + 8 + 4 + 2 * 16;
constexpr std::size_t kKeyCountAt = 65 + 1 + 8 + 8 + 1 + 8;

}  // namespace

TEST(ModifierRecord, BytesOfEachKind) {
  TPlaneFanModifier fan;
  fan.Scale = 2.5f;
  fan.Falloff = foSquared;
  std::vector<Byte> expected;
  PutCurve(expected, "Power", 1, 0, 20, 1, 10);
  PutCurve(expected, "Power Jitter", 1, 0, 1, 1, 0);
  PutF32(expected, 2.5f);
  PutF32(expected, 2.5f);
  Put8(expected, 2);
  EXPECT_EQ(Written(fan), expected);

  TGravitronModifier gravitron;
  expected.clear();
  PutCurve(expected, "Power", 1, 0, 10, 1, 1);
  PutCurve(expected, "Power Jitter", 1, 0, 1, 1, 0);
  PutF32(expected, 1);
  PutF32(expected, 1);
  EXPECT_EQ(Written(gravitron), expected) << "no byte after the scale";

  TPlaneDeflectorModifier deflector;
  deflector.Absorb = 1;
  expected.clear();
  PutCurve(expected, "Elasticity", 1, 0, 100, 1, 30);
  PutCurve(expected, "Elasticity Jitter", 1, 0, 1, 1, 0);
  PutF32(expected, 1);
  PutF32(expected, 1);
  Put8(expected, 1);
  EXPECT_EQ(Written(deflector), expected);

  TAttractModifier attractor;
  const std::vector<Byte> a = Written(attractor);
  ASSERT_EQ(a.size(), 2 * kCurveBytes + 9);
  EXPECT_EQ(a[kCurveBytes + 65], 2) << "the attractor's jitter is over percent";
  TPathingModifier leader;
  EXPECT_EQ(Written(leader).size(), 2 * kCurveBytes + 9);
}

TEST(ModifierRecord, RoundTripKeepsScaleAndIgnoresTheFirstSingle) {
  TPlaneFanModifier fan;
  fan.Scale = 2.5f;
  fan.Falloff = foLinear;
  fan.Power->Clear();
  fan.Power->AddXY(0, 3);
  fan.Power->AddXY(50, 7);
  fan.Power->AddXY(8192, 1);
  std::vector<Byte> bytes = Written(fan);

  TPlaneFanModifier back;
  Read(back, bytes);
  EXPECT_EQ(back.Scale, 2.5f);
  EXPECT_EQ(back.Falloff, foLinear);
  ASSERT_EQ(back.Power->Count(), 3);
  EXPECT_EQ(back.Power->GetYValue(1), 7);
  EXPECT_EQ(Written(back), bytes);

  const std::size_t first = bytes.size() - 9;
  const float junk = 99.0f;
  std::memcpy(&bytes[first], &junk, 4);
  Read(back, bytes);
  EXPECT_EQ(back.Scale, 2.5f);

  TPlaneDeflectorModifier deflector;
  std::vector<Byte> d = Written(deflector);
  d.back() = 2;
  Read(deflector, d);
  EXPECT_EQ(deflector.Absorb, 1);
}

TEST(ModifierRecord, MalformedRecordLeavesTheModifierAsItWas) {
  TPlaneFanModifier source;
  source.Scale = 4;
  source.Falloff = foSquared;
  SetConstant(source.Power, 12);
  const std::vector<Byte> good = Written(source);

  TPlaneFanModifier fan;
  fan.Scale = 1.5f;
  fan.Falloff = foLinear;
  auto expectUnchanged = [&fan](const char* what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(fan.Scale, 1.5f);
    EXPECT_EQ(fan.Falloff, foLinear);
    ASSERT_EQ(fan.Power->Count(), 2);
    EXPECT_EQ(fan.Power->GetYValue(0), 10);
  };
  for (std::size_t length : {std::size_t{0}, std::size_t{40}, kCurveBytes - 1, kCurveBytes, 2 * kCurveBytes,
                             2 * kCurveBytes + 4, 2 * kCurveBytes + 8}) {
    const std::vector<Byte> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_THROW(Read(fan, cut), EReadError) << length << " bytes";
    expectUnchanged("truncated");
  }
  for (Cardinal count : {0x7FFFFFFFu, 0xFFFFFFFFu, 3u, 0u}) {
    std::vector<Byte> bad = good;
    for (int i = 0; i < 4; ++i) bad[kCurveBytes + kKeyCountAt + i] = static_cast<Byte>(count >> (8 * i));
    EXPECT_THROW(Read(fan, bad), EReadError) << "key count " << count;
    expectUnchanged("bad key count");
  }

  TGravitronModifier gravitron;
  const std::vector<Byte> g = Written(gravitron);
  EXPECT_THROW(Read(gravitron, std::vector<Byte>(g.begin(), g.end() - 1)), EReadError);
  EXPECT_NO_THROW(Read(gravitron, g));
}
