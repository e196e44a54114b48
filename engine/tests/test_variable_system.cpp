#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/particle_modifier.h"
#include "engine/tests/curve_bytes.h"
#include "engine/variable_system.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

using namespace curve_bytes;

namespace {

// The first curves of a particle system.
void AddSystemCurves(TVariableSystem& v) {
  v.CreateVariable(cmLower, xmLifePercent, 1, 0, 4)->Name = "Size";
  v.CreateVariable(cmNone, xmLifePercent, 1, 0, 2)->Name = "Speed";
  v.CreateVariable(cmBoth, xmFrames, 0.3f, -0.02f, 0.02f)->Name = "Gravity";
}

std::vector<Byte> RecordOf(const TVarSeries& c) {
  TMemoryStream s;
  c.SaveToStream(s);
  return BytesOf(s);
}

// Every curve's record, as the comparison of whole variable lists.
std::vector<std::vector<Byte>> Records(const TVariableSystem& v) {
  std::vector<std::vector<Byte>> out;
  for (const auto& c : v.Variables()) out.push_back(RecordOf(*c));
  return out;
}

class TestModifier : public TParticleModifier {
 public:
  void LoadFromStream(TStream& Stream) override { LoadVariables(Stream); }
  void SaveToStream(TStream& Stream) const override { SaveVariables(Stream); }
  void Apply(TParticleSystem&, TParticle&) override {}
};

}  // namespace

// ---- variable systems --------------------------------------------------------------------

TEST(VariableSystem, CreateVariableTakesSinglesAndAddsTwoKeys) {
  TVariableSystem v;
  TVarSeries* c = v.CreateVariable(cmBoth, xmFrames, 0.3f, -0.02f, 0.02f);
  ASSERT_EQ(v.VariableCount(), 1);
  EXPECT_EQ(v.Variable(0), c);
  EXPECT_EQ(c->ClampMode, cmBoth);
  EXPECT_EQ(c->XMode, xmFrames);
  // The bounds and the default are Singles widened to Double, as the record shows them.
  EXPECT_EQ(c->Min, static_cast<Double>(-0.02f));
  EXPECT_EQ(c->Max, static_cast<Double>(0.02f));
  ASSERT_EQ(c->Count(), 2);
  EXPECT_EQ(c->GetXValue(0), 0.0);
  EXPECT_EQ(c->GetXValue(1), 8192.0);
  EXPECT_EQ(c->GetYValue(0), static_cast<Double>(0.3f));
  EXPECT_EQ(c->GetYValue(1), static_cast<Double>(0.3f));
  EXPECT_EQ(c->Quantum, 0.01);
  EXPECT_EQ(c->Tension, 0.3);
  EXPECT_FALSE(c->ClickableLine());
  EXPECT_TRUE(c->Pointer()->Visible());
  EXPECT_EQ(c->Owner(), nullptr);
}

TEST(VariableSystem, VariableListIsTheCurveRecordsInCreationOrder) {
  TVariableSystem v;
  AddSystemCurves(v);
  TMemoryStream s;
  v.SaveVariables(s);
  std::vector<Byte> expected;
  for (const auto& r : Records(v)) expected.insert(expected.end(), r.begin(), r.end());
  EXPECT_EQ(BytesOf(s), expected);
  EXPECT_EQ(s.Size(), 3 * (95 + 2 * 16));
}

TEST(VariableSystem, LoadVariablesRestoresEveryCurve) {
  TVariableSystem source;
  AddSystemCurves(source);
  source.Variable(0)->AddXY(50, 2.5);
  source.Variable(2)->Tension = 0;
  source.Variable(1)->Min = -1;
  TMemoryStream s;
  source.SaveVariables(s);
  s.WriteBuffer("tail", 4);
  s.SetPosition(0);

  TVariableSystem target;
  AddSystemCurves(target);
  target.LoadVariables(s);
  EXPECT_EQ(Records(target), Records(source));
  // Reading stops at the last curve.
  EXPECT_EQ(s.Position(), s.Size() - 4);
}

TEST(VariableSystem, ABadRecordLeavesEveryCurveAsItWas) {
  TVariableSystem source;
  AddSystemCurves(source);
  for (const auto& c : source.Variables()) c->AddXY(40, 3);
  TMemoryStream good;
  source.SaveVariables(good);
  const std::vector<Byte> bytes = BytesOf(good);

  TVariableSystem target;
  AddSystemCurves(target);
  const auto before = Records(target);
  TMemoryStream s;
  // Cut inside the last curve, inside the second, and at its key count.
  for (std::size_t len : {bytes.size() - 1, std::size_t{143 + 60}, std::size_t{143 + 91}}) {
    Fill(s, std::vector<Byte>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(len)));
    EXPECT_THROW(target.LoadVariables(s), EReadError) << len;
    EXPECT_EQ(Records(target), before) << len;
  }
  // A second curve without keys.
  std::vector<Byte> noKeys = bytes;
  const std::size_t count = 143 + 91;
  for (std::size_t i = 0; i < 4; ++i) noKeys[count + i] = 0;
  Fill(s, noKeys);
  EXPECT_THROW(target.LoadVariables(s), EReadError);
  EXPECT_EQ(Records(target), before);
}

// ---- modifiers ---------------------------------------------------------------------------

// Frames loop over the period for the tool's lives (none or negative: endlessly), rounded
// halves to even; after the last life the time is -1; without a period it is the frame.
TEST(ModifierTime, LoopsOverThePeriodForItsLives) {
  struct Case {
    Integer period, lives;
    Single frame, time;
  };
  const Case cases[] = {
      {30, 2, 0, 0},       {30, 2, 29, 29},     {30, 2, 30, 0},       {30, 2, 59, 29},
      {30, 2, 60, -1},     {30, 2, 61, -1},     {30, 2, 89, -1},      {30, 2, 1000, -1},
      {30, 2, 31.5f, 2},   {30, 2, 32.5f, 2},   {30, 0, 1000, 10},    {30, -3, 95, 5},
      {0, 1, -12.25f, -12.25f}, {0, 1, 0, 0},   {0, 1, 3.5f, 3.5f},   {0, 1, 100000, 100000},
      {30, 0, 3e12f, 28},  // 3e12f is 3000000053248: no overflow on the way
  };
  for (const Case& c : cases) {
    TestModifier m;
    m.Period = c.period;
    m.Lives = c.lives;
    EXPECT_EQ(ModifierTime(m, c.frame), c.time) << c.period << " " << c.lives << " " << c.frame;
  }
  TestModifier m;
  m.Period = 30;
  EXPECT_LT(ModifierTime(m, -5), 0.0f) << "negative frames stay negative";
}
