// Emission: the carried fraction, the growth of the particle array, reuse of free slots,
// and the one failure the simulation swallows.
#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "engine/particle_modifier.h"
#include "engine/particle_system.h"
#include "platform/classlib/random.h"
#include "platform/host/host.h"
#include "engine/tests/engine_test_support.h"

namespace {

// The flow as a step curve: exactly the value at every frame.
void SetFlow(TParticleSystem& s, double value) { engine_test::SetSteps(s.Flow, value); }

class Emission : public engine_test::FreshHost {
 protected:
  void SetUp() override {
    FreshHost::SetUp();
    s.Template.Lifespan = 1000;
  }
  TParticleSystem s;
};

}  // namespace

TEST_F(Emission, FlowBelowOneCarriesTheFraction) {
  SetFlow(s, 0.4);
  s.Advance(0);
  EXPECT_NEAR(s.Carry, 0.4, 1e-6);
  EXPECT_EQ(s.AliveCount, 0);
  ASSERT_EQ(s.Particles.size(), 100u) << "the first emission grows the array to 100 slots";
  s.Advance(1);
  EXPECT_NEAR(s.Carry, 0.8, 1e-6);
  EXPECT_EQ(s.AliveCount, 0);
  s.Advance(2);
  EXPECT_EQ(s.AliveCount, 1) << "1.2 emits one";
  EXPECT_NEAR(s.Carry, 0.2, 1e-6);
  EXPECT_EQ(s.Particles[0].Birth, 2);
  s.Advance(10);
  EXPECT_EQ(s.AliveCount, 4);  // 11 frames x 0.4 = 4.4

  // The rate scale multiplies the flow, not the carry.
  TParticleSystem t;
  t.Template.Lifespan = 1000;
  SetFlow(t, 0.4);
  t.RateScale = 2.5f;
  t.Advance(0);
  EXPECT_EQ(t.AliveCount, 1);
  EXPECT_NEAR(t.Carry, 0, 1e-6);
}

TEST_F(Emission, ArrayGrowsByWhatIsMissingButAtLeast100) {
  SetFlow(s, 250);
  s.Advance(0);
  EXPECT_EQ(s.Particles.size(), 250u);
  EXPECT_EQ(s.AliveCount, 250);
  s.Advance(1);
  EXPECT_EQ(s.Particles.size(), 500u);
  SetFlow(s, 30);
  s.Advance(2);
  EXPECT_EQ(s.Particles.size(), 600u) << "30 missing slots still grow by 100";
  EXPECT_EQ(s.AliveCount, 530);
  EXPECT_EQ(s.Carry, 0);
  for (std::size_t i = 0; i < s.Particles.size(); ++i) {
    if (!s.Particles[i].Alive) continue;
    EXPECT_EQ(s.Particles[i].Slot, static_cast<Integer>(i));
  }

  // Dead particles' slots are reused from slot 0 before the array grows again.
  TParticleSystem r;
  r.Template.Lifespan = 2;
  SetFlow(r, 60);
  r.Advance(0);
  r.Advance(1);
  EXPECT_EQ(r.Particles.size(), 200u);
  r.Advance(2);  // the first 60 die and their slots take the new ones
  EXPECT_EQ(r.Particles.size(), 200u);
  EXPECT_EQ(r.AliveCount, 120);
  EXPECT_EQ(r.Particles[0].Birth, 2);
  EXPECT_EQ(r.Particles[60].Birth, 1);
}

TEST_F(Emission, InitHandlerDecidesWhoLives) {
  SetFlow(s, 5);
  int calls = 0;
  s.OnInitParticle = [&calls](TParticleSystem&, TParticle& p) {
    ++calls;
    if (calls % 2 == 0) p.Alive = 0;
  };
  s.Advance(0);
  EXPECT_EQ(calls, 5);
  EXPECT_EQ(s.AliveCount, 3) << "a particle its handler killed is not counted";
  EXPECT_EQ(s.Carry, 0) << "but it used up its share of the flow";

  s.OnInitParticle = nullptr;
  s.Template.Position = {1, 2, 3};
  s.Advance(1);
  EXPECT_EQ(s.AliveCount, 8);
  EXPECT_EQ(s.Particles[1].Position.x, 1) << "without a handler the template is the particle";
}

TEST_F(Emission, ItsFailureIsSwallowedAndOwesNothing) {
  SetFlow(s, 4.5);
  s.Carry = 0.25f;
  int calls = 0;
  s.OnInitParticle = [&calls](TParticleSystem&, TParticle&) {
    if (++calls == 3) throw std::runtime_error("no more");
  };
  EXPECT_NO_THROW(s.Advance(0));
  EXPECT_EQ(s.AliveCount, 2) << "the two born before the failure stay";
  EXPECT_EQ(s.Carry, 0.25f) << "the carry keeps its old value";
  EXPECT_EQ(s.Particles[2].Alive, 0) << "the failed birth leaves its slot free";
  EXPECT_EQ(s.Particles[3].Alive, 0);
  EXPECT_EQ(s.CurrentTime, 0);

  // A flow that is not a number is refused the same way, before the array grows.
  TParticleSystem n;
  n.Template.Lifespan = 1000;
  SetFlow(n, std::numeric_limits<double>::infinity());
  n.Carry = 0.5f;
  n.Advance(3);
  EXPECT_TRUE(n.Particles.empty());
  EXPECT_EQ(n.Carry, 0.5f);
  EXPECT_EQ(n.CurrentTime, 3);
}

namespace {

class ThrowingModifier : public TParticleModifier {
 public:
  ThrowingModifier() { Enabled = 1; }
  void LoadFromStream(TStream&) override {}
  void SaveToStream(TStream&) const override {}
  void Apply(TParticleSystem&, TParticle&) override { throw std::runtime_error("tool failed"); }
};

}  // namespace

TEST_F(Emission, OtherFailuresOfTheStepReachTheCaller) {
  ThrowingModifier m;
  ModifierList().Add(&m);
  SetFlow(s, 1);
  EXPECT_THROW(s.Advance(0), std::runtime_error);
  ModifierList().Remove(&m);
  EXPECT_TRUE(s.ActiveModifiers.empty()) << "the gathered list is released all the same";
}
