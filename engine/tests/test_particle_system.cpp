// The particle system's curves, clock, kill rule, move and render parameters.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "engine/color_series.h"
#include "engine/particle_emitter.h"
#include "engine/particle_map_options.h"
#include "engine/particle_map_source.h"
#include "engine/particle_modifier.h"
#include "engine/particle_system.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/random.h"
#include "platform/host/host.h"
#include "platform/win/services.h"
#include "engine/tests/engine_test_support.h"

using engine_test::SetConstant;
using engine_test::SetSteps;

namespace {

struct CurveSpec {
  const char* name;
  Byte clamp;
  Byte xmode;
  double value;
  double min;
  double max;
  double quantum;
};

// Name, modes, bounds, quantum and both default keys of every curve, in stream order.
void ExpectCurves(const TVariableSystem& owner, const std::vector<CurveSpec>& specs) {
  ASSERT_EQ(owner.VariableCount(), static_cast<Integer>(specs.size()));
  for (std::size_t i = 0; i < specs.size(); ++i) {
    const CurveSpec& s = specs[i];
    TVarSeries* c = owner.Variable(static_cast<Integer>(i));
    SCOPED_TRACE(s.name);
    EXPECT_EQ(c->Name, s.name);
    EXPECT_EQ(c->ClampMode, s.clamp);
    EXPECT_EQ(c->XMode, s.xmode);
    EXPECT_FLOAT_EQ(c->Min, s.min);
    EXPECT_FLOAT_EQ(c->Max, s.max);
    EXPECT_DOUBLE_EQ(c->Quantum, s.quantum);
    ASSERT_EQ(c->Count(), 2);
    EXPECT_EQ(c->GetXValue(0), 0);
    EXPECT_EQ(c->GetXValue(1), 8192);
    EXPECT_FLOAT_EQ(c->GetYValue(0), s.value);
    EXPECT_FLOAT_EQ(c->GetYValue(1), s.value);
  }
}

class ParticleSystem : public engine_test::FreshHost {};

}  // namespace

// The curves in the order their records are stored, with the bounds and keys they store.
TEST_F(ParticleSystem, CurvesInStreamOrder) {
  TParticleSystem s;
  ExpectCurves(s, {{"Size", 1, 0, 1, 0, 4, 0.01},
                   {"Speed", 0, 0, 1, 0, 2, 0.01},
                   {"Orientation", 3, 0, 0, -180, 180, 0.01},
                   {"Gravity", 0, 0, 1, -2, 2, 0.01},
                   {"Alpha", 3, 0, 1, 0, 1, 0.01},
                   {"Intensity", 3, 0, 1, 0, 3, 0.01},
                   {"Visibility", 3, 0, 1, -0.5, 1.5, 1.0},
                   {"Flow", 1, 1, 5, 0, 10, 0.01},
                   {"Flow Jitter", 1, 1, 0, 0, 1, 0.01}});

  TParticleEmitter e;
  std::vector<CurveSpec> specs = {{"Focus", 3, 1, 0.8, 0, 1, 0.01},
                                  {"Lifespan", 1, 1, 60, 1, 180, 0.01},
                                  {"Base Size", 1, 1, 1, 0, 4, 0.01},
                                  {"Base Speed", 1, 1, 0.3, 0, 0.5, 0.01},
                                  {"Base Gravity", 0, 1, -0.01, -0.02, 0.02, 0.001},
                                  {"Base Orientation", 3, 1, 0, -182, 182, 0.01},
                                  {"Base Alpha", 3, 1, 1, 0, 1, 0.01},
                                  {"Base Intensity", 1, 1, 1, 0, 3, 0.01},
                                  {"Rotation", 0, 1, 0, 0, 1, 0.01},
                                  {"Vortex", 0, 1, 0, 0, 1, 0.01},
                                  {"Mass", 1, 1, 1, 0, 4, 0.01}};
  for (const char* name : {"Focus Jitter", "Lifespan Jitter", "Base Size Jitter", "Base Speed Jitter",
                           "Base Orientation Jitter", "Base Alpha Jitter", "Base Intensity Jitter", "Rotation Jitter",
                           "Vortex Jitter", "Mass Jitter"})
    specs.push_back({name, 1, 1, std::string(name) == "Base Intensity Jitter" ? 0.05 : 0.0, 0, 1, 0.01});
  ExpectCurves(e, specs);
}

TEST_F(ParticleSystem, AdvanceRunsRoundedStepCountsAndOnlyForward) {
  for (auto [target, steps] : {std::pair{10.0f, 11}, {10.4f, 11}, {10.6f, 12}, {-0.6f, 0}, {-0.4f, 1}}) {
    TParticleSystem s;
    SetConstant(s.Flow, 0);
    s.Advance(target);
    EXPECT_EQ(s.CurrentTime, -1.0f + steps) << "to " << target;
  }

  TParticleSystem s;
  s.Template.Lifespan = 100;
  s.Advance(5);
  const std::size_t beeps = win::RecordedBeeps().size();
  const Integer alive = s.AliveCount;
  const CtsxVec3f where = s.Particles[0].Position;
  s.Advance(3);
  ASSERT_EQ(win::RecordedBeeps().size(), beeps + 1);
  EXPECT_EQ(win::RecordedBeeps().back(), 0u);
  s.Advance(5);
  EXPECT_EQ(win::RecordedBeeps().size(), beeps + 1) << "the same time is no error";
  EXPECT_EQ(s.CurrentTime, 5);
  EXPECT_EQ(s.AliveCount, alive);
  EXPECT_EQ(s.Particles[0].Position.z, where.z);

  s.Reset();
  EXPECT_EQ(s.CurrentTime, -1);
  EXPECT_EQ(s.AliveCount, 0);
  EXPECT_EQ(s.Carry, 0);
  EXPECT_TRUE(s.Particles.empty());
}

TEST_F(ParticleSystem, ParticleWithLifespan60BornAt5DiesAt65) {
  TParticleSystem s;
  s.Template.Lifespan = 60;
  // A step curve with one particle in the step that reaches frame 5 only.
  s.Flow->Quantum = 1.0;
  s.Flow->Clear();
  s.Flow->AddXY(0, 0);
  s.Flow->AddXY(4, 1);
  s.Flow->AddXY(5, 0);
  s.Advance(4);
  EXPECT_EQ(s.AliveCount, 0);
  s.Advance(5);
  ASSERT_EQ(s.AliveCount, 1);
  EXPECT_EQ(s.Particles[0].Birth, 5);
  EXPECT_EQ(s.Particles[0].Slot, 0);
  s.Advance(64);
  EXPECT_EQ(s.AliveCount, 1);
  EXPECT_FLOAT_EQ(s.LifeFraction(0), 59.0f / 60);
  EXPECT_EQ(s.Age(0), 59);
  s.Advance(65);
  EXPECT_EQ(s.AliveCount, 0);
  EXPECT_EQ(s.Particles[0].Alive, 0);
  EXPECT_THROW(s.Age(100), EListError);
}

TEST_F(ParticleSystem, LoopPeriod50TwiceEmitsDuringFrames0To99Only) {
  TParticleSystem s;
  s.Template.Lifespan = 1000;
  SetSteps(s.Flow, 1);
  s.LoopPeriod = 50;
  s.LoopCount = 2;
  s.Advance(60);
  EXPECT_EQ(s.LoopTime, 10);
  s.Advance(99);
  EXPECT_EQ(s.AliveCount, 100);
  EXPECT_EQ(s.LoopTime, 49);
  s.Advance(100);
  EXPECT_EQ(s.LoopTime, -1);
  s.Advance(180);
  EXPECT_EQ(s.AliveCount, 100);
  for (const TParticle& p : s.Particles) {
    if (!p.Alive) continue;
    EXPECT_LE(p.Birth, 99);
  }

  s.Reset();
  s.LoopCount = 0;  // endless
  s.Advance(230);
  EXPECT_EQ(s.LoopTime, 30);
  EXPECT_EQ(s.AliveCount, 231);
}

TEST_F(ParticleSystem, MoveKeepsRenderPositionAndBirthStep) {
  TParticleSystem s;
  s.Template.Lifespan = 8;
  for (int frame = 0; frame <= 20; ++frame) {
    s.Advance(static_cast<Single>(frame));
    for (const TParticle& p : s.Particles) {
      if (!p.Alive) continue;
      EXPECT_EQ(p.RenderPosition.x, p.Position.x);
      EXPECT_EQ(p.RenderPosition.y, p.Position.y);
      EXPECT_EQ(p.RenderPosition.z, p.Position.z);
      if (p.Birth == s.CurrentTime) {
        EXPECT_EQ(p.PreviousPosition.z, p.Position.z) << "birth step";
      } else {
        EXPECT_NE(p.PreviousPosition.z, p.Position.z);
      }
    }
  }

  // With dither the drawn point lies on the last move, short of its end.
  TParticleSystem d;
  d.Template.Lifespan = 8;
  d.SpatialDither = 1;
  d.Advance(10);
  int shortened = 0;
  for (const TParticle& p : d.Particles) {
    if (!p.Alive || p.Birth == d.CurrentTime) continue;
    const double k = (p.NewPosition.z - p.PreviousPosition.z) / (p.Position.z - p.PreviousPosition.z);
    EXPECT_GT(k, 0);
    EXPECT_LE(k, 1);
    EXPECT_NEAR(p.NewPosition.x - p.PreviousPosition.x, (p.Position.x - p.PreviousPosition.x) * k, 1e-5);
    shortened += k < 0.99;
  }
  EXPECT_GT(shortened, 0);
}

TEST_F(ParticleSystem, OneStepOfRotationDriveGravityAndTwist) {
  TParticleSystem s;
  SetConstant(s.Speed, 2);
  SetConstant(s.Gravity, 0.5);
  s.Flow->Quantum = 1.0;
  s.Flow->Clear();
  s.Flow->AddXY(0, 2);
  s.Flow->AddXY(1, 0);
  int born = 0;
  s.OnInitParticle = [&born](TParticleSystem&, TParticle& p) {
    p.Lifespan = 100;
    p.Position = {0.9f, 0, -0.2f};
    p.Velocity = {0.1f, 0, 0};
    p.Drive = {0, 0, 0.1f};
    p.Acceleration = {0, 0, -1};
    p.Rotation = born == 0 ? 350.0f : -350.0f;
    p.Spin = born == 0 ? 20.0f : -20.0f;
    // A quarter turn in the first step about the Z axis through the origin.
    p.TwistRate = static_cast<Single>(5 * std::numbers::pi);
    p.TwistAxis = {0, 0, 1};
    ++born;
  };
  s.Advance(0);
  ASSERT_EQ(born, 2);
  const TParticle& p = s.Particles[0];
  EXPECT_FLOAT_EQ(p.Rotation, 10) << "370 degrees wrap to 10";
  EXPECT_FLOAT_EQ(s.Particles[1].Rotation, -10) << "the wrap keeps the sign";
  // Position = (0.9, 0, -0.2) + drive x 2 + velocity.
  EXPECT_FLOAT_EQ(p.Position.x, 1.0f);
  EXPECT_FLOAT_EQ(p.Position.z, 0.0f);
  EXPECT_FLOAT_EQ(p.Velocity.z, -0.5f);
  EXPECT_FLOAT_EQ(p.TwistAngle, static_cast<Single>(std::numbers::pi / 2));
  // The twisted point: (1, 0, 0) a quarter turn about Z.
  EXPECT_NEAR(p.RenderPosition.x, 0, 1e-6);
  EXPECT_NEAR(p.RenderPosition.y, 1, 1e-6);
  EXPECT_NEAR(p.RenderPosition.z, 0, 1e-6);
}

TEST_F(ParticleSystem, ImageIndexCyclesAndRenderParams) {
  TParticleSystem s;
  s.MapSource->AddMap("a.png");
  s.MapSource->AddMap("b.png");
  ASSERT_EQ(s.MapSource->Count(), 3);
  s.Template.Lifespan = 100;
  s.Template.ImageIndex = 1;
  s.Template.Size = 2;
  s.Template.Alpha = 0.8f;
  s.OnInitParticle = nullptr;
  SetConstant(s.Flow, 1);
  s.Advance(0);
  SetConstant(s.Flow, 0);
  s.MapMode = mmCycle;

  s.Advance(4);
  EXPECT_EQ(s.ImageIndex(0), 2) << "MapCycle 0 counts as 1: (1 + 4) mod 3";
  EXPECT_EQ(s.MapCycle, 1);
  s.MapCycle = 4;
  s.Advance(6);
  EXPECT_EQ(s.ImageIndex(0), 0) << "(1 + round(1.5)) mod 3";
  s.Advance(10);
  EXPECT_EQ(s.ImageIndex(0), 0) << "round(2.5) is 2";
  s.MapMode = mmRandom;
  EXPECT_EQ(s.ImageIndex(0), 1);

  // Life 50%: the gradient white at 1 to black at 101 gives mid grey.
  s.Advance(50);
  s.ParticleColor->Clear();
  s.ParticleColor->AddXY(1, 1, "", clWhite);
  s.ParticleColor->AddXY(101, 1, "", clBlack);
  SetConstant(s.Intensity, 2);
  SetConstant(s.Size, 3);
  SetConstant(s.Alpha, 0.5);
  Single alpha = 0, size = 0;
  TColorRGBA colour;
  TParticleMapOptions* options = nullptr;
  s.GetRenderParams(0, alpha, colour, size, options);
  EXPECT_FLOAT_EQ(colour.R, 1.0f);
  EXPECT_FLOAT_EQ(colour.B, 1.0f);
  EXPECT_FLOAT_EQ(size, 6.0f);
  EXPECT_FLOAT_EQ(alpha, 0.4f);
  EXPECT_EQ(options, s.MapSource->OptionsAt(1));

  s.ColorMode = cmRandomColor;
  s.Particles[0].Color = {0.25f, 0.5f, 0.125f, 1};
  s.GetRenderParams(0, alpha, colour, size, options);
  EXPECT_FLOAT_EQ(colour.R, 0.5f);
  EXPECT_FLOAT_EQ(colour.G, 1.0f);
  EXPECT_FLOAT_EQ(colour.B, 0.25f);
}

namespace {

// Counts what the systems ask of it.
class CountingModifier : public TParticleModifier {
 public:
  void LoadFromStream(TStream&) override {}
  void SaveToStream(TStream&) const override {}
  void Prepare() override { ++prepared; }
  void BeginStep() override { ++begun; }
  void Apply(TParticleSystem&, TParticle&) override { ++applied; }
  int prepared = 0, begun = 0, applied = 0;
};

class NodeOwner : public TParticleSystemOwner {
 public:
  explicit NodeOwner(tsxGNODE* node) : node_(node) {}
  void UpdateTransform() override { ++updates; }
  tsxGNODE* OwnerNode() const override { return node_; }
  bool RandomSurfacePoint(CtsxVec3f&, CtsxVec3f&) override { return false; }
  int updates = 0;

 private:
  tsxGNODE* node_;
};

}  // namespace

TEST_F(ParticleSystem, GathersEnabledModifiersOfTheOwnersSceneTree) {
  host::NodeHandle group = host::AddGroup("scene");
  host::NodeHandle other = host::AddGroup("elsewhere");
  host::NodeHandle emitter = host::AddCube("emitter", 1, group);
  CountingModifier sameTree, otherTree, topLevel, noNode, disabled;
  sameTree.Node = host::AddCube("near", 1, group);
  otherTree.Node = host::AddCube("far", 1, other);
  topLevel.Node = host::AddCube("top", 1);
  disabled.Node = host::AddCube("off", 1, group);
  CountingModifier* all[] = {&sameTree, &otherTree, &topLevel, &noNode, &disabled};
  for (CountingModifier* m : all) {
    m->Enabled = m != &disabled;
    ModifierList().Add(m);
  }

  TParticleSystem s;
  NodeOwner owner(emitter);
  s.Owner = &owner;
  s.Template.Lifespan = 100;
  SetSteps(s.Flow, 1);
  s.Advance(2);  // three steps, one advance
  s.Advance(3);
  // The same and an earlier time step nothing but still update and gather.
  s.Advance(3);
  s.Advance(1);
  BeginStepAllModifiers();
  for (CountingModifier* m : all) ModifierList().Remove(m);

  EXPECT_EQ(owner.updates, 4);
  EXPECT_EQ(s.CurrentTime, 3);
  EXPECT_TRUE(s.ActiveModifiers.empty());
  for (CountingModifier* m : {&sameTree, &topLevel, &noNode}) {
    EXPECT_EQ(m->begun, 4);
    EXPECT_EQ(m->applied, 1 + 2 + 3 + 4) << "every live particle of every step";
    EXPECT_EQ(m->prepared, 1);
  }
  for (CountingModifier* m : {&otherTree, &disabled}) {
    EXPECT_EQ(m->begun, 0);
    EXPECT_EQ(m->applied, 0);
  }
  EXPECT_EQ(otherTree.prepared, 1);
  EXPECT_EQ(disabled.prepared, 0);
}
