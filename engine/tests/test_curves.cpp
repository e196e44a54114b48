#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "chart/tests/recording_canvas.h"
#include "engine/spline_series.h"
#include "engine/var_series.h"
#include "engine/tests/curve_bytes.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

using namespace curve_bytes;

namespace {

// Two keys as the owner of a curve adds them.
void AddDefaultKeys(TSplineSeries& s, Double value) {
  s.AddXY(0, value);
  s.AddXY(8192, value);
}

struct CurveState {
  std::string name;
  Byte xMode, clampMode;
  Double min, max, tension, quantum;
  std::vector<Double> xs, ys;
  bool operator==(const CurveState&) const = default;
};

CurveState StateOf(TVarSeries& s) {
  CurveState c{s.Name, s.XMode, s.ClampMode, s.Min, s.Max, s.Tension, s.Quantum, {}, {}};
  for (Integer i = 0; i < s.Count(); ++i) {
    c.xs.push_back(s.GetXValue(i));
    c.ys.push_back(s.GetYValue(i));
  }
  return c;
}

// The record of a curve named "Size": life percent, lower bound 0, upper 4, tension 0.3,
// keys (0, 1) and (8192, 1.5), laid out field by field.
std::vector<Byte> SizeCurveRecord() {
  std::vector<Byte> b;
  PutShortString(b, "Size", 64);
  Put8(b, 0);
  PutF64(b, 0.0);
  PutF64(b, 4.0);
  Put8(b, 1);
  PutF64(b, 0.3);
  Put32(b, 2);
  PutF64(b, 0.0);
  PutF64(b, 1.0);
  PutF64(b, 8192.0);
  PutF64(b, 1.5);
  return b;
}

}  // namespace

// ---- sampling ----------------------------------------------------------------------------

TEST(CurveValue, ConstantCurveIsConstantEverywhere) {
  TVarSeries c(xmFrames, cmNone, 0, 10);
  AddDefaultKeys(c, 5);
  for (Double x : {-1000.0, -1.0, 0.0, 0.5, 17.0, 4096.0, 8191.9, 8192.0, 9000.0, 1e9}) {
    EXPECT_NEAR(c.ValueAt(x), 5.0, 1e-12) << "x = " << x;
  }
}

TEST(CurveValue, StepCurveHoldsEachKeyUpToTheNextAndIsNotClamped) {
  TVarSeries c(xmFrames, cmBoth, -0.5, 0.5);
  c.Quantum = 1.0;
  c.AddXY(0, 1);
  c.AddXY(10, 0);
  for (Double x : {-5.0, 0.0, 3.0, 9.99, 10.0}) EXPECT_EQ(c.ValueAt(x), 1.0) << "x = " << x;
  for (Double x : {10.001, 11.0, 500.0}) EXPECT_EQ(c.ValueAt(x), 0.0) << "x = " << x;
}

TEST(CurveValue, SplineFollowsTheCardinalFormula) {
  // Tension 0: the smooth ease 3t^2 - 2t^3 between the two keys.
  TSplineSeries ease(nullptr);
  ease.Tension = 0;
  ease.AddXY(0, 0);
  ease.AddXY(10, 10);
  EXPECT_DOUBLE_EQ(ease.ValueAt(2.5), 1.5625);  // 10 * (3/16 - 2/64)
  EXPECT_DOUBLE_EQ(ease.ValueAt(5), 5.0);
  EXPECT_DOUBLE_EQ(ease.ValueAt(-3), 0.0);
  EXPECT_DOUBLE_EQ(ease.ValueAt(13), 10.0);

  // Keys 0, 1, 1 with tension 0.3: on the second segment the first key pulls the
  // curve over 1 by s t (1 - t)^2.
  TSplineSeries over(nullptr);
  over.AddXY(0, 0);
  over.AddXY(10, 1);
  over.AddXY(20, 1);
  const Double t = 1.0 / 3.0;
  EXPECT_NEAR(over.ValueAt(10 + 10 * t), 1 + 0.3 * t * (1 - t) * (1 - t), 1e-12);
  // First segment at t = 0.5: Y1 (0.5 s + 0.25 - ...) worked out from the four weights.
  const Double s = 0.3, u = 0.5;
  const Double expected = 1 * ((s - 2) * u * u * u + (3 - 2 * s) * u * u + s * u) + 1 * (s * u * u * u - s * u * u);
  EXPECT_NEAR(over.ValueAt(5), expected, 1e-12);
}

TEST(CurveValue, ClampBothCutsASplineOvershoot) {
  TVarSeries c(xmLifePercent, cmBoth, 0, 1);
  c.AddXY(0, 0);
  c.AddXY(10, 1);
  c.AddXY(20, 1);
  // The unclamped spline overshoots to about 1.044 here.
  EXPECT_EQ(c.ValueAt(10 + 10.0 / 3), 1.0);
}

TEST(CurveValue, CurveWithoutKeysSamplesAsZero) {
  TVarSeries c(xmFrames, cmBoth, 3, 4);
  EXPECT_EQ(c.ValueAt(0), 0.0);
  c.Quantum = 1.0;
  EXPECT_EQ(c.ValueAt(12), 0.0);
}

// ---- key editing -------------------------------------------------------------------------

// Rounded to the quantum (halves to the even neighbour), capped at 65000, then clamped
// to the curve's bounds.
TEST(CurveKeys, QuantizeRoundsToTheQuantumClampsAndCaps) {
  struct Case {
    Double quantum;
    Byte clamp;
    Double in, out;
  };
  const Case cases[] = {{0.01, cmNone, 0.014, 0.01}, {0.01, cmNone, 70000, 65000}, {1.0, cmNone, 2.5, 2.0},
                        {1.0, cmNone, 3.5, 4.0},     {0.01, cmBoth, 1.234, 1.0}};
  for (const Case& c : cases) {
    TVarSeries curve(xmFrames, c.clamp, 0, 1);
    curve.Quantum = c.quantum;
    Double y = c.in;
    curve.QuantizeValue(y);
    EXPECT_NEAR(y, c.out, 1e-15) << c.in << " by " << c.quantum;
  }
}

TEST(CurveKeys, ClampKeyXKeepsKeysInOrderAndPercentCurvesWithin100) {
  TVarSeries c(xmLifePercent, cmNone, 0, 1);
  c.AddXY(0, 0);
  c.AddXY(50, 0);
  c.AddXY(90, 0);
  Double x = 0;  // key 1 dropped onto key 0
  c.ClampKeyX(1, x);
  EXPECT_EQ(x, 1.0);
  x = 95;  // past key 2
  c.ClampKeyX(1, x);
  EXPECT_EQ(x, 89.0);
  x = 60;  // a free place stays
  c.ClampKeyX(1, x);
  EXPECT_EQ(x, 60.0);
  x = 140;  // the last key stops at 100
  c.ClampKeyX(2, x);
  EXPECT_EQ(x, 100.0);

  TVarSeries frames(xmFrames, cmNone, 0, 1);
  frames.AddXY(0, 0);
  frames.AddXY(90, 0);
  x = 140;
  frames.ClampKeyX(1, x);
  EXPECT_EQ(x, 140.0);
}

TEST(CurveKeys, ClampKeyXNeverLandsOnANeighbour) {
  // Neighbours one unit apart: "one after the first" is the second; the key goes
  // between them.
  TVarSeries c(xmFrames, cmNone, 0, 1);
  c.AddXY(10, 0);
  c.AddXY(10.5, 0);
  c.AddXY(11, 0);
  for (Double start : {0.0, 10.0, 10.7, 11.0, 50.0}) {
    Double x = start;
    c.ClampKeyX(1, x);
    EXPECT_GT(x, 10.0) << "from " << start;
    EXPECT_LT(x, 11.0) << "from " << start;
  }
  // A NaN position does not survive.
  Double x = std::numeric_limits<Double>::quiet_NaN();
  c.ClampKeyX(1, x);
  EXPECT_TRUE(x > 10.0 && x < 11.0);
}

// ---- curve record ------------------------------------------------------------------------

TEST(CurveRecord, WritesEveryFieldInOrder) {
  TVarSeries c(xmLifePercent, cmLower, 0, 4);
  c.Name = "Size";
  c.AddXY(0, 1);
  c.AddXY(8192, 1.5);
  TMemoryStream out;
  c.SaveToStream(out);
  EXPECT_EQ(out.Size(), 65 + 1 + 8 + 8 + 1 + 8 + 4 + 16 * 2);
  EXPECT_EQ(BytesOf(out), SizeCurveRecord());
}

TEST(CurveRecord, ReadsBackFieldsAndKeysButKeepsItsQuantum) {
  TVarSeries source(xmPercent, cmBoth, -0.5, 1.5);
  source.Name = "Visibility";
  source.Tension = 0;
  source.AddXY(0, 1);
  source.AddXY(30, 0);
  source.AddXY(8192, 1);
  TMemoryStream s;
  source.SaveToStream(s);
  s.SetPosition(0);

  TVarSeries target(xmFrames, cmNone, 7, 8);
  target.Quantum = 1.0;
  target.AddXY(5, 5);
  target.LoadFromStream(s);
  CurveState expected = StateOf(source);
  expected.quantum = 1.0;
  EXPECT_EQ(StateOf(target), expected);
  EXPECT_EQ(s.Position(), s.Size());
}

TEST(CurveRecord, MalformedRecordsLeaveTheCurveAsItWas) {
  TVarSeries target(xmFrames, cmUpper, 2, 3);
  target.Name = "Keep";
  target.AddXY(1, 2);
  target.AddXY(3, 4);
  const CurveState before = StateOf(target);

  const std::vector<Byte> good = SizeCurveRecord();
  TMemoryStream s;
  // Every truncation, down to nothing.
  for (std::size_t len = 0; len < good.size(); ++len) {
    Fill(s, std::vector<Byte>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(len)));
    EXPECT_THROW(target.LoadFromStream(s), EReadError) << "length " << len;
    EXPECT_EQ(StateOf(target), before) << "length " << len;
  }

  // No keys.
  std::vector<Byte> empty(good.begin(), good.begin() + 91);
  Put32(empty, 0);
  Fill(s, empty);
  EXPECT_THROW(target.LoadFromStream(s), EReadError);
  EXPECT_EQ(StateOf(target), before);

  // A negative count and one far beyond the bytes present (nothing is allocated for it).
  for (Cardinal count : {0xFFFFFFFFu, 0x7FFFFFFFu, 3u}) {
    std::vector<Byte> b(good.begin(), good.begin() + 91);
    Put32(b, count);
    b.insert(b.end(), good.begin() + 95, good.end());
    Fill(s, b);
    EXPECT_THROW(target.LoadFromStream(s), EReadError) << count;
    EXPECT_EQ(StateOf(target), before);
  }
}

TEST(CurveRecord, OverlongNameLengthIsTakenAsTheCapacity) {
  std::vector<Byte> b = SizeCurveRecord();
  b[0] = 200;
  for (std::size_t i = 1; i <= 64; ++i) b[i] = 'a';
  TMemoryStream s;
  Fill(s, b);
  TVarSeries c(xmFrames, cmNone, 0, 1);
  c.LoadFromStream(s);
  EXPECT_EQ(c.Name, std::string(64, 'a'));
  EXPECT_EQ(c.Count(), 2);
}

TEST(CurveRecord, KeysOutOfOrderAreReadInXOrderEqualXInRecordOrder) {
  const std::vector<Byte> good = SizeCurveRecord();
  std::vector<Byte> b(good.begin(), good.begin() + 91);
  Put32(b, 4);
  for (auto [x, y] : {std::pair{50.0, 1.0}, {10.0, 2.0}, {50.0, 3.0}, {0.0, 4.0}}) {
    PutF64(b, x);
    PutF64(b, y);
  }
  TMemoryStream s;
  Fill(s, b);
  TVarSeries c(xmFrames, cmNone, 0, 1);
  c.LoadFromStream(s);
  const CurveState state = StateOf(c);
  EXPECT_EQ(state.xs, (std::vector<Double>{0, 10, 50, 50}));
  EXPECT_EQ(state.ys, (std::vector<Double>{4, 2, 1, 3}));
}

// ---- drawing -----------------------------------------------------------------------------

namespace {

std::vector<std::string> Lines(const RecordingCanvas* c) { return c->Ops({"MoveTo", "LineTo"}); }

void Draw(TChartSeries& s, RecordingCanvas* canvas) {
  canvas->ClearLog();
  s.CalcFirstLastVisibleIndex();
  s.DrawAllValues();
}

}  // namespace

TEST(CurveDraw, StraightSegmentsAtTensionZeroWithRedLinesAndRedPointers) {
  RecordingRig rig;
  TVarSeries c(xmFrames, cmNone, 0, 100);
  c.SetParentChart(&rig.chart);
  c.Tension = 0;
  c.AddXY(10, 10);
  c.AddXY(50, 30);
  Draw(c, rig.canvas);
  EXPECT_EQ(Lines(rig.canvas), (std::vector<std::string>{"MoveTo 10,10", "LineTo 50,30"}));
  bool sawPointer = false;
  for (const auto& e : rig.canvas->Log) {
    if (e.Op == "LineTo") {
      EXPECT_EQ(e.Pen, clRed);
    }
    if (e.Op == "Box") {
      sawPointer = true;
      EXPECT_EQ(e.Pen, clBlack);
      EXPECT_EQ(e.Brush, clRed);
      EXPECT_FALSE(e.BrushClear);
    }
  }
  EXPECT_TRUE(sawPointer);
}

TEST(CurveDraw, SplineIsAPolylineOfFourPixelPiecesThatStopsPastTheClip) {
  RecordingRig rig;  // bitmap 120 wide: the clip's right edge is 120
  TVarSeries c(xmFrames, cmNone, 0, 100);
  c.SetParentChart(&rig.chart);
  c.AddXY(0, 20);
  c.AddXY(40, 20);
  Draw(c, rig.canvas);
  // dx 40: (40 + 3) div 4 = 10 pieces, every point on the (constant) curve.
  std::vector<std::string> expected{"MoveTo 0,20"};
  for (int k = 1; k <= 10; ++k) expected.push_back("LineTo " + std::to_string(4 * k) + ",20");
  EXPECT_EQ(Lines(rig.canvas), expected);

  TVarSeries wide(xmFrames, cmNone, 0, 100);
  wide.SetParentChart(&rig.chart);
  wide.AddXY(0, 20);
  wide.AddXY(400, 20);
  rig.canvas->ClearLog();
  wide.CalcVisiblePoints = false;
  Draw(wide, rig.canvas);
  const auto lines = Lines(rig.canvas);
  // 100 pieces of 4 pixels; the one that passes x 120 is the last drawn.
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_EQ(lines.back(), "LineTo 124,20");
}

TEST(CurveDraw, StepCurveGoesAcrossAtThePreviousValueThenUpOrDown) {
  RecordingRig rig;
  TVarSeries c(xmFrames, cmNone, 0, 100);
  c.SetParentChart(&rig.chart);
  c.Quantum = 1.0;
  c.AddXY(10, 10);
  c.AddXY(30, 40);
  Draw(c, rig.canvas);
  EXPECT_EQ(Lines(rig.canvas), (std::vector<std::string>{"MoveTo 10,10", "LineTo 10,10", "LineTo 10,10",
                                                         "MoveTo 10,10", "LineTo 30,10", "LineTo 30,40"}));
}

TEST(CurveDraw, FirstVisibleKeyDrawsTheSegmentFromTheKeyBeforeIt) {
  RecordingRig rig;
  rig.Place(20, 120, 0, 100);  // pixel = X - 20
  TVarSeries c(xmFrames, cmNone, 0, 100);
  c.SetParentChart(&rig.chart);
  c.Tension = 0;
  c.AddXY(0, 10);
  c.AddXY(50, 10);
  c.AddXY(100, 30);
  Draw(c, rig.canvas);
  ASSERT_EQ(c.FirstValueIndex(), 1);
  EXPECT_EQ(Lines(rig.canvas), (std::vector<std::string>{"MoveTo -20,10", "LineTo 30,10", "MoveTo 30,10",
                                                         "LineTo 80,30"}));
}
