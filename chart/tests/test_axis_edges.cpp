// Axes at the chart's edges and on pixel halves: every label of a whole chart lies inside
// the chart, however narrow; values a few units in the last place apart land on one pixel;
// minor ticks cost no more than the axis has pixels; limits must be finite.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "chart/chart_control.h"
#include "chart/line_series.h"
#include "chart/tests/recording_canvas.h"
#include "chart/tests/tool_rig.h"

namespace {

struct LayoutCase {
  Integer Width, Height;
  std::string Format;
  Double XLo, XHi, YLo, YHi;
  std::string LastX, LastY;  // the labels at the far ends, which must be drawn whole
};

// `Value` moved by `Ulps` units in the last place.
Double Ulps(Double Value, int Ulps) {
  for (; Ulps > 0; --Ulps) Value = std::nextafter(Value, INFINITY);
  for (; Ulps < 0; ++Ulps) Value = std::nextafter(Value, -INFINITY);
  return Value;
}

}  // namespace

TEST(AxisEdges, EveryLabelLiesInsideTheChart) {
  const LayoutCase cases[] = {
      {200, 160, "#,##0.###", 0, 120, 0, 100, "120", "100"},  // the curve editor's frames
      {150, 120, "#,##0.###", 0, 120, 0, 100, "120", "100"},
      {140, 110, "0.00", 0, 1, -1, 1, "1.00", "1.00"},
      {180, 300, "#,##0", 0, 100000, 0, 5000, "100,000", "5,000"},
      {120, 90, "0.0", -50, 50, 0, 2.5, "50.0", "2.0"},
      {400, 250, "#,##0.###", 0, 100, 0, 100, "100", "100"},  // wide: the margins hold them
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Width) + "x" + std::to_string(c.Height) + " " + c.Format);
    TChart chart(nullptr);
    chart.SetView3D(false);
    chart.Legend()->SetVisible(false);
    TBitmap target;
    RecordingCanvas* canvas = RecordWholeChart(chart, target);
    TLineSeries line(nullptr);
    line.SetParentChart(&chart);
    line.AddXY(c.XLo, c.YLo);
    line.AddXY(c.XHi, c.YHi);
    for (TChartAxis* a : {chart.BottomAxis(), chart.LeftAxis()}) a->SetAxisValuesFormat(c.Format);
    chart.BottomAxis()->SetMinMax(c.XLo, c.XHi);
    chart.LeftAxis()->SetMinMax(c.YLo, c.YHi);
    chart.DrawTo(target.Canvas(), TRect{0, 0, c.Width, c.Height});

    ASSERT_NE(canvas->FindText(c.LastX), nullptr);
    ASSERT_NE(canvas->FindText(c.LastY), nullptr) << ::testing::PrintToString(canvas->Ops({"Text"}));
    canvas->SetReferenceCanvas(target.Canvas());  // measured as drawn
    canvas->ApplyFont(chart.BottomAxis()->LabelsFont());
    int labels = 0;
    for (const RecordingCanvas::Entry& e : canvas->Log) {
      if (e.Op != "Text") continue;
      ++labels;
      const Integer x = e.Args[0], y = e.Args[1];
      const Integer w = canvas->MeasureTextWidth(e.Text), h = canvas->LineHeight();
      EXPECT_TRUE(x >= 0 && y >= 0 && x + w <= c.Width && y + h <= c.Height)
          << "'" << e.Text << "' at " << x << "," << y << " size " << w << "x" << h;
    }
    EXPECT_GE(labels, 4);
  }
}

TEST(AxisEdges, ValuesOnAPixelHalfDrawStraight) {
  // The rig's axes run 0..100 over 100 pixels; Place stretches them. Each row: the Y
  // limits, the curve's value and the one pixel every point of it must take, however
  // the last bits of each point's value fall.
  struct FlatCase {
    Double YLo, YHi, Value;
    Integer Pixel;
  };
  const FlatCase cases[] = {
      {0, 200, 61, 30},       // 30.5: halves go to the even pixel
      {0, 200, 63, 32},       // 31.5
      {0, 40, 30.125, 75},    // 75.3125: no half, noise or not
      {-0.1, 99.9, 30.4, 30}, // 30.5 reached through inexact sums
      {0, 1, 0.305, 30},      // the nearest double to 0.305 is no exact half either
      {0, 200, 61.004, 31},   // a real step past the half still counts
  };
  const int noise[] = {0, 1, -1, 2, -2, 3, -3, 4, -4, 0};
  for (const FlatCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.YLo) + ".." + std::to_string(c.YHi) + " at " + std::to_string(c.Value));
    RecordingRig rig;
    rig.Place(0, 100, c.YLo, c.YHi);
    TLineSeries s(nullptr);
    s.SetParentChart(&rig.chart);
    for (std::size_t i = 0; i < std::size(noise); ++i) s.AddXY(static_cast<Double>(10 * i), Ulps(c.Value, noise[i]));
    rig.canvas->ClearLog();
    s.CalcFirstLastVisibleIndex();
    s.DrawAllValues();
    int points = 0;
    for (const RecordingCanvas::Entry& e : rig.canvas->Log) {
      if (e.Op != "MoveTo" && e.Op != "LineTo") continue;
      ++points;
      EXPECT_EQ(e.Args[1], c.Pixel) << e.Str();
    }
    EXPECT_GT(points, 1);
  }
}

// However many minor ticks are asked for, each pixel along the axis gets at most one.
TEST(AxisEdges, MinorTicksTakeAtMostOnePixelEach) {
  for (auto [logarithmic, count] : {std::pair{false, 3}, {false, 100000000}, {true, 100000000}}) {
    SCOPED_TRACE(std::to_string(count) + (logarithmic ? " logarithmic" : ""));
    ToolRig rig;
    rig.AddSeries();
    TChartAxis* axis = rig.chart->LeftAxis();
    axis->SetVisible(true);
    axis->SetLogarithmic(logarithmic);
    axis->SetMinMax(1, 1000);
    axis->SetMinorTickCount(count);
    axis->MinorTicks()->SetColor(clFuchsia);
    rig.Draw();
    std::vector<Integer> at;
    for (const auto& e : rig.canvas->Log)
      if (e.Op == "LineZ" && e.Pen == clFuchsia) at.push_back(e.Args[1]);
    const std::size_t pixels = axis->EndPixel - axis->StartPixel;
    EXPECT_EQ(std::set<Integer>(at.begin(), at.end()).size(), at.size()) << "two minor ticks on one pixel";
    EXPECT_LT(at.size(), pixels);
    EXPECT_GT(at.size(), count == 3 ? 9 : pixels / 2);  // three between each pair of labels; else a pixel apart
  }
}

// However narrow the logarithmic range and however many minor ticks are asked for, at most
// about one a pixel of the axis is worked out.
TEST(AxisEdges, MinorTicksWorkedOutAreBoundedByTheAxisLength) {
  for (auto [hi, count] : {std::pair{1.000000001, 100000000}, {1.000000001, 2147483647}, {1000.0, 2147483647}}) {
    SCOPED_TRACE(std::to_string(hi) + " " + std::to_string(count));
    ToolRig rig;
    rig.AddSeries();
    TChartAxis* axis = rig.chart->LeftAxis();
    axis->SetVisible(true), axis->SetLogarithmic(true), axis->SetMinMax(1, hi), axis->SetMinorTickCount(count);
    rig.Draw();
    const std::vector<Double> values = axis->LabelValues();
    std::vector<Integer> at;
    for (Double v : values) at.push_back(axis->ValueToPos(v));
    EXPECT_LE(axis->MinorTickPositions(at, values).size(), axis->LengthPixels + values.size() + 1);
  }
}

TEST(AxisEdges, LimitsAndIncrementsThatAreNotFiniteAreRefused) {
  const Double inf = INFINITY, nan = NAN;
  const std::function<void(TChartAxis*)> sets[] = {
      [&](TChartAxis* a) { a->SetMinMax(nan, 100); }, [&](TChartAxis* a) { a->SetMinMax(-inf, inf); },
      [&](TChartAxis* a) { a->SetMinMax(0, inf); },   [&](TChartAxis* a) { a->SetMinimum(-inf); },
      [&](TChartAxis* a) { a->SetMaximum(nan); },     [&](TChartAxis* a) { a->SetIncrement(inf); }};
  TChart chart(nullptr);
  TChartAxis* axis = chart.LeftAxis();
  axis->SetMaximum(50), axis->SetIncrement(5);
  for (const auto& set : sets) {
    EXPECT_THROW(set(axis), AxisException);
    EXPECT_TRUE(axis->Automatic() && axis->Minimum() == 0 && axis->Maximum() == 50 && axis->Increment() == 5);
  }
  // A scroll that would run past the largest double leaves the limits as they were.
  axis->SetMinMax(-DBL_MAX, DBL_MAX);
  axis->ShiftRange(DBL_MAX, false);
  EXPECT_TRUE(axis->Minimum() == -DBL_MAX && axis->Maximum() == DBL_MAX);
}
