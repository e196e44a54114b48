#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "chart/axis_panel.h"
#include "chart/chart_axis.h"
#include "chart/chart_series.h"
#include "chart/chart_utils.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/collection.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/properties.h"

namespace {

// A chart whose drawing is whatever the test asks for.
class TestChart : public TCustomAxisPanel {
 public:
  TestChart() : TCustomAxisPanel(nullptr) {}
  std::function<void()> OnDraw;

 protected:
  void DrawContents() override {
    if (OnDraw) OnDraw();
  }
};

class AxisTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Text is measured on the chart's own canvas, which needs a window.
    form = std::make_unique<TForm>(nullptr);
    chart = std::make_unique<TestChart>();
    chart->SetParent(form.get());
    // Plotting area 100..300 both ways: axes run from pixel 100 to pixel 300.
    chart->SetChartRect(TRect{100, 100, 300, 300});
  }
  void TearDown() override {
    series.clear();
    chart.reset();
  }

  TChartSeries* AddSeries() {
    series.push_back(std::make_unique<TChartSeries>(nullptr));
    series.back()->SetParentChart(chart.get());
    return series.back().get();
  }

  // Fixed limits, extent from the plotting rectangle.
  static void Place(TChartAxis* axis, Double lo, Double hi) {
    axis->SetMinMax(lo, hi);
    axis->CalcScreenExtent();
    axis->RecalcLimits();
  }

  // The label size the axis measures for a text, as it measures it.
  Integer MeasuredWidth(TChartAxis* axis, const std::string& text) {
    chart->Canvas()->ApplyFont(axis->LabelsFont());
    return chart->Canvas()->MeasureTextWidth(text);
  }

  std::unique_ptr<TForm> form;
  std::unique_ptr<TestChart> chart;
  std::vector<std::unique_ptr<TChartSeries>> series;
};

}  // namespace

// ---- limits and property checks ---------------------------------------------------------

TEST_F(AxisTest, SetMinMaxOrdersAndWidensTheLimits) {
  TChartAxis* a = chart->BottomAxis();
  a->SetMinMax(10, 0);
  EXPECT_EQ(a->Minimum(), 0);
  EXPECT_EQ(a->Maximum(), 10);
  EXPECT_FALSE(a->Automatic());
  EXPECT_FALSE(a->AutomaticMinimum());
  EXPECT_FALSE(a->AutomaticMaximum());

  a->SetMinMax(5, 5);
  EXPECT_EQ(a->Minimum(), 5);
  EXPECT_EQ(a->Maximum(), 5 + 1e-10);

  // No range check on the way: a new pair may lie wholly above the old one.
  a->SetMinMax(100, 200);
  EXPECT_EQ(a->Minimum(), 100);
  EXPECT_EQ(a->Maximum(), 200);
}

TEST_F(AxisTest, WritersRefuseBadValuesAndKeepTheOldOnes) {
  TChartAxis* a = chart->LeftAxis();
  a->SetMinMax(0, 10);
  const struct {
    std::function<void()> write;
    std::string message;
    std::function<Double()> kept;
    Double old;
  } cases[] = {
      {[&] { a->SetMinimum(11); }, "Axis Minimum Value must be <= Maximum", [&] { return a->Minimum(); }, 0},
      {[&] { a->SetMaximum(-1); }, "Axis Maximum Value must be >= Minimum", [&] { return a->Maximum(); }, 10},
      {[&] { a->SetIncrement(-0.5); }, "Axis increment must be >= 0", [&] { return a->Increment(); }, 0},
      {[&] { a->SetLogarithmicBase(1); }, "Axis Logarithmic Base should be >= 2",
       [&] { return a->LogarithmicBase(); }, 10},
      {[&] { a->SetLabelsSeparation(-1); }, "Labels Separation % must be greater than 0",
       [&] { return Double(a->LabelsSeparation()); }, Double(a->LabelsSeparation())},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      c.write();
      ADD_FAILURE() << "no exception";
    } catch (const AxisException& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(c.kept(), c.old);
  }
  a->SetLogarithmicBase(2);
  EXPECT_EQ(a->LogarithmicBase(), 2);
  a->SetLabelsSeparation(0);
  EXPECT_EQ(a->LabelsSeparation(), 0);

  // While a form is read the limits arrive one at a time, in any order.
  chart->IncludeState(csReading);
  a->SetMinimum(50);
  a->SetMaximum(60);
  chart->ExcludeState(csReading);
  EXPECT_EQ(a->Minimum(), 50);
  EXPECT_EQ(a->Maximum(), 60);
}

TEST_F(AxisTest, AutomaticFlagsFollowEachOther) {
  TChartAxis* a = chart->BottomAxis();
  a->SetAutomaticMaximum(false);
  EXPECT_FALSE(a->Automatic());
  EXPECT_TRUE(a->AutomaticMinimum());
  a->SetAutomaticMaximum(true);
  EXPECT_TRUE(a->Automatic());

  a->SetAutomatic(false);
  EXPECT_FALSE(a->AutomaticMinimum());
  EXPECT_FALSE(a->AutomaticMaximum());
  a->SetAutomaticMinimum(true);
  EXPECT_FALSE(a->Automatic());  // the maximum is still fixed
  a->SetAutomaticMaximum(true);
  EXPECT_TRUE(a->Automatic());

  // A form being loaded sets each flag itself.
  chart->IncludeState(csLoading);
  a->SetAutomatic(false);
  EXPECT_TRUE(a->AutomaticMinimum());
  chart->ExcludeState(csLoading);
}

TEST_F(AxisTest, LimitsComeFromTheActiveSeriesOnTheAxis) {
  TChartSeries* s1 = AddSeries();
  s1->AddXY(2, 30);
  s1->AddXY(8, -5);
  TChartSeries* s2 = AddSeries();
  s2->AddXY(-4, 12);
  TChartSeries* other = AddSeries();  // on the top and right axes
  other->SetHorizAxis(aTopAxis);
  other->SetVertAxis(aRightAxis);
  other->AddXY(1000, 1000);

  TChartAxis* bottom = chart->BottomAxis();
  bottom->RecalcLimits();
  EXPECT_EQ(bottom->RangeMin, -4);
  EXPECT_EQ(bottom->RangeMax, 8);
  EXPECT_EQ(bottom->RangeSpan, 12);
  TChartAxis* left = chart->LeftAxis();
  left->RecalcLimits();
  EXPECT_EQ(left->RangeMin, -5);
  EXPECT_EQ(left->RangeMax, 30);

  s2->SetActive(false);
  bottom->RecalcLimits();
  EXPECT_EQ(bottom->RangeMin, 2);

  // One fixed end, one automatic.
  bottom->SetAutomaticMinimum(false);
  bottom->SetMinimum(-100);
  bottom->RecalcLimits();
  EXPECT_EQ(bottom->RangeMin, -100);
  EXPECT_EQ(bottom->RangeMax, 8);

  // ShiftRange with the limit check only moves towards data beyond the limits.
  TChartAxis* top = chart->TopAxis();
  top->SetMinMax(0, 10);
  top->ShiftRange(-5, true);
  EXPECT_EQ(top->Minimum(), 0);
  top->ShiftRange(5, true);
  EXPECT_EQ(top->Minimum(), 5);
  EXPECT_EQ(top->Maximum(), 15);
  top->ShiftRange(-20, false);
  EXPECT_EQ(top->Minimum(), -15);
}

TEST_F(AxisTest, LogarithmicNeedsNonNegativeNumbers) {
  TChartSeries* s = AddSeries();
  s->AddXY(1, -3);
  s->AddXY(2, 5);
  try {
    chart->LeftAxis()->SetLogarithmic(true);
    FAIL() << "no exception";
  } catch (const AxisException& e) {
    EXPECT_EQ(e.Message(), "Logarithmic Axis Min and Max values should be >= 0");
  }
  EXPECT_FALSE(chart->LeftAxis()->Logarithmic());

  s->XValues()->SetDateTime(true);
  try {
    chart->BottomAxis()->SetLogarithmic(true);
    FAIL() << "no exception";
  } catch (const AxisException& e) {
    EXPECT_EQ(e.Message(), "DateTime Axis cannot be Logarithmic");
  }
  EXPECT_FALSE(chart->BottomAxis()->Logarithmic());

  s->YValues()->SetValue(0, 3);
  chart->LeftAxis()->SetLogarithmic(true);
  EXPECT_TRUE(chart->LeftAxis()->Logarithmic());
}

// ---- positions ------------------------------------------------------------------------

TEST_F(AxisTest, ScreenExtentFromThePlottingRectangle) {
  TChartAxis* a = chart->BottomAxis();
  a->CalcScreenExtent();
  EXPECT_EQ(a->StartPixel, 100);
  EXPECT_EQ(a->EndPixel, 300);
  EXPECT_EQ(a->LengthPixels, 200);
  EXPECT_EQ(a->CenterPixel, 200);

  a->SetStartPosition(25);
  a->SetEndPosition(75);
  a->CalcScreenExtent();
  EXPECT_EQ(a->StartPixel, 150);
  EXPECT_EQ(a->EndPixel, 250);

  // Halves round to even: 0.5 % of 100 pixels is 0, 1.5 % is 2.
  chart->SetChartRect(TRect{0, 0, 100, 100});
  a->SetStartPosition(0.5);
  a->SetEndPosition(1.5);
  a->CalcScreenExtent();
  EXPECT_EQ(a->StartPixel, 0);
  EXPECT_EQ(a->EndPixel, 2);

  // The centre truncates towards zero.
  chart->SetChartBounds(TRect{-10, 0, 100, 100});
  chart->SetChartRect(TRect{-3, 0, 0, 100});
  a->SetStartPosition(0);
  a->SetEndPosition(100);
  a->CalcScreenExtent();
  EXPECT_EQ(a->CenterPixel, -1);

  TChartAxis* left = chart->LeftAxis();
  chart->SetChartRect(TRect{0, 40, 100, 140});
  left->CalcScreenExtent();
  EXPECT_EQ(left->StartPixel, 40);
  EXPECT_EQ(left->EndPixel, 140);
}

TEST_F(AxisTest, LinearConversionsBothWays) {
  TChartAxis* h = chart->BottomAxis();
  TChartAxis* v = chart->LeftAxis();
  Place(h, 0, 10);
  Place(v, 0, 10);
  EXPECT_EQ(h->CalcXPosValue(5), 200);
  EXPECT_EQ(v->CalcYPosValue(5), 200);
  EXPECT_EQ(h->CalcXPosValue(2.5), 150);
  EXPECT_EQ(v->CalcYPosValue(2.5), 250);
  EXPECT_EQ(h->ValueToPos(0), 100);
  EXPECT_EQ(v->ValueToPos(0), 300);
  EXPECT_DOUBLE_EQ(h->CalcPosPoint(150), 2.5);
  EXPECT_DOUBLE_EQ(v->CalcPosPoint(150), 7.5);

  for (Integer p = 100; p <= 300; p += 7) {
    EXPECT_EQ(h->CalcXPosValue(h->CalcPosPoint(p)), p);
    EXPECT_EQ(v->CalcYPosValue(v->CalcPosPoint(p)), p);
  }

  // One value per pixel: halves of a pixel round to even.
  Place(h, 0, 200);
  EXPECT_EQ(h->CalcXPosValue(0.5), 100);
  EXPECT_EQ(h->CalcXPosValue(1.5), 102);
  EXPECT_EQ(h->CalcXPosValue(2.5), 102);
}

TEST_F(AxisTest, InvertedConversionsBothWays) {
  TChartAxis* h = chart->BottomAxis();
  TChartAxis* v = chart->LeftAxis();
  h->SetInverted(true);
  v->SetInverted(true);
  Place(h, 0, 10);
  Place(v, 0, 10);
  EXPECT_EQ(h->CalcXPosValue(0), 300);  // the minimum at the end
  EXPECT_EQ(h->CalcXPosValue(10), 100);
  EXPECT_EQ(h->CalcXPosValue(2.5), 250);
  EXPECT_EQ(v->CalcYPosValue(0), 100);
  EXPECT_EQ(v->CalcYPosValue(2.5), 150);
  EXPECT_DOUBLE_EQ(h->CalcPosPoint(250), 2.5);
  EXPECT_DOUBLE_EQ(v->CalcPosPoint(150), 2.5);
  for (Integer p = 100; p <= 300; p += 9) {
    EXPECT_EQ(h->CalcXPosValue(h->CalcPosPoint(p)), p);
    EXPECT_EQ(v->CalcYPosValue(v->CalcPosPoint(p)), p);
  }
}

TEST_F(AxisTest, LogarithmicConversionsBothWays) {
  TChartAxis* h = chart->BottomAxis();
  TChartAxis* v = chart->LeftAxis();
  chart->SetChartRect(TRect{0, 0, 300, 300});
  Place(h, 1, 1000);
  Place(v, 1, 1000);
  h->SetLogarithmic(true);
  v->SetLogarithmic(true);
  EXPECT_EQ(h->CalcXPosValue(1), 0);
  EXPECT_EQ(h->CalcXPosValue(10), 100);
  EXPECT_EQ(h->CalcXPosValue(100), 200);
  EXPECT_EQ(h->CalcXPosValue(1000), 300);
  EXPECT_EQ(v->CalcYPosValue(10), 200);
  EXPECT_EQ(v->CalcYPosValue(100), 100);
  // Values at or below zero go to the low end.
  EXPECT_EQ(h->CalcXPosValue(0), 0);
  EXPECT_EQ(v->CalcYPosValue(-5), 300);

  EXPECT_NEAR(h->CalcPosPoint(100), 10, 1e-9);
  EXPECT_NEAR(v->CalcPosPoint(100), 100, 1e-9);
  // The ends give the limits exactly.
  EXPECT_EQ(h->CalcPosPoint(0), 1);
  EXPECT_EQ(h->CalcPosPoint(300), 1000);
  EXPECT_EQ(v->CalcPosPoint(0), 1000);
  EXPECT_EQ(v->CalcPosPoint(300), 1);
  for (Integer p = 0; p <= 300; p += 11) {
    EXPECT_EQ(h->CalcXPosValue(h->CalcPosPoint(p)), p);
    EXPECT_EQ(v->CalcYPosValue(v->CalcPosPoint(p)), p);
  }

  h->SetInverted(true);
  EXPECT_EQ(h->CalcXPosValue(10), 200);
  EXPECT_EQ(h->CalcXPosValue(0), 300);
  EXPECT_EQ(h->CalcPosPoint(0), 1000);
  EXPECT_NEAR(h->CalcPosPoint(200), 10, 1e-9);
}

TEST_F(AxisTest, DegenerateRangesAndLengths) {
  TChartAxis* h = chart->BottomAxis();
  h->CalcScreenExtent();
  h->RangeMin = h->RangeMax = 4;
  h->RangeSpan = 0;
  EXPECT_EQ(h->CalcXPosValue(-1e300), h->CenterPixel);
  EXPECT_EQ(h->CalcXPosValue(4), 200);

  h->SetLogarithmic(true);
  h->RangeMin = h->RangeMax = 0;
  EXPECT_EQ(h->CalcXPosValue(3), 200);
  h->SetLogarithmic(false);

  // A zero-length axis maps every position to 0.
  chart->SetChartRect(TRect{50, 50, 50, 50});
  h->StartPixel = h->EndPixel = 50;
  h->LengthPixels = 0;
  h->RangeMin = 0;
  h->RangeMax = 10;
  h->RangeSpan = 10;
  EXPECT_EQ(h->CalcPosPoint(50), 0);
  EXPECT_EQ(h->CalcPosPoint(77), 0);
}

TEST_F(AxisTest, DeepZoomSaturatesInsteadOfWrapping) {
  TChartAxis* h = chart->BottomAxis();
  TChartAxis* v = chart->LeftAxis();
  Place(h, 0, 1e-9);
  Place(v, 0, 1e-9);
  // 2e17 pixels to the right: held at the limit, on the right side, never wrapped or
  // moved to the centre.
  EXPECT_EQ(h->CalcXPosValue(1e6), AxisPixelLimit);
  EXPECT_EQ(h->CalcXPosValue(-1e6), -AxisPixelLimit);
  EXPECT_EQ(v->CalcYPosValue(1e6), -AxisPixelLimit);
  EXPECT_EQ(v->CalcYPosValue(-1e6), AxisPixelLimit);
  EXPECT_EQ(h->CalcXPosValue(std::numeric_limits<Double>::infinity()), AxisPixelLimit);
  // Just beyond the range is exact.
  EXPECT_EQ(h->CalcXPosValue(2e-9), 500);
  EXPECT_EQ(h->CalcXPosValue(-1e-9), -100);
  // Values that fit 32 bits only just still keep their side and order.
  const Integer a = h->CalcXPosValue(1e-9 * 1e6);
  const Integer b = h->CalcXPosValue(1e-9 * 2e6);
  EXPECT_GT(a, 300);
  EXPECT_GT(b, a);

  EXPECT_EQ(AxisPixel(std::nan("")), 0);
  EXPECT_EQ(AxisPixel(2.5), 2);
  EXPECT_EQ(AxisPixel(-3.5), -4);
}

TEST_F(AxisTest, DepthAxisPositions) {
  chart->SetWidth3D(100);
  TChartAxis* d = chart->DepthAxis();
  EXPECT_TRUE(d->IsDepthAxis());
  d->SetMinMax(0, 10);
  d->RecalcLimits();
  d->CalcScreenExtent();
  EXPECT_EQ(d->StartPixel, 0);
  EXPECT_EQ(d->EndPixel, 100);
  EXPECT_EQ(d->CalcXPosValue(5), 50);
  EXPECT_EQ(d->CalcYPosValue(2), 20);
  d->SetInverted(true);
  EXPECT_EQ(d->CalcXPosValue(2), 80);
  d->RangeSpan = 0;
  EXPECT_EQ(d->CalcXPosValue(2), 50);
}

TEST_F(AxisTest, WidenForMarginsKeepsPixelRoomAroundTheData) {
  TChartAxis* h = chart->BottomAxis();
  Place(h, 0, 10);
  h->WidenForMargins(TRect{20, 0, 20, 0});
  EXPECT_DOUBLE_EQ(h->RangeMin, -1.25);
  EXPECT_DOUBLE_EQ(h->RangeMax, 11.25);
  EXPECT_DOUBLE_EQ(h->RangeSpan, 12.5);
  EXPECT_EQ(h->StartPixel, 100);
  EXPECT_EQ(h->EndPixel, 300);
  // The data now sits 20 pixels inside each end.
  EXPECT_EQ(h->CalcXPosValue(0), 120);
  EXPECT_EQ(h->CalcXPosValue(10), 280);

  TChartAxis* v = chart->LeftAxis();
  Place(v, 0, 10);
  v->WidenForMargins(TRect{0, 40, 0, 0});
  EXPECT_DOUBLE_EQ(v->RangeMin, 0);
  EXPECT_DOUBLE_EQ(v->RangeMax, 12.5);
  EXPECT_EQ(v->CalcYPosValue(10), 140);

  // Margins that leave no length keep the range.
  Place(h, 0, 10);
  h->WidenForMargins(TRect{150, 0, 150, 0});
  EXPECT_EQ(h->RangeMin, 0);
  EXPECT_EQ(h->RangeMax, 10);
}

// ---- steps -----------------------------------------------------------------------------

TEST(AxisSteps, OneTwoFiveSeries) {
  const std::vector<std::pair<Double, Double>> cases{
      {1, 2}, {1.5, 2}, {2, 5}, {3, 5}, {5, 10}, {7, 10}, {10, 20}, {25, 50}, {50, 100}, {0.5, 1}, {0.2, 0.5}};
  for (auto [from, to] : cases) EXPECT_DOUBLE_EQ(NextStep125(from), to) << from;
}

TEST(AxisSteps, NumberStepsGrowUntilTheLabelsFit) {
  EXPECT_EQ(AxisNumberStep(120, 0, 12), 10);
  // A fixed increment is the smallest step: it grows along the series too.
  EXPECT_EQ(AxisNumberStep(120, 1, 12), 10);
  EXPECT_EQ(AxisNumberStep(120, 1, 11), 20);
  EXPECT_EQ(AxisNumberStep(120, 25, 12), 25);
  EXPECT_NEAR(AxisNumberStep(0.5, 0, 5), 0.1, 1e-15);
  EXPECT_EQ(AxisNumberStep(120, 0, 0), 1e-12);  // no room
  EXPECT_EQ(AxisNumberStep(1e15, 0, 10), 1e14);
  // Ranges that are not numbers end with some finite step.
  EXPECT_TRUE(std::isfinite(AxisNumberStep(std::numeric_limits<Double>::infinity(), 0, 10)));
  EXPECT_TRUE(std::isfinite(AxisNumberStep(std::nan(""), 0, 10)));
}

TEST(AxisSteps, DateStepsFollowTheTable) {
  EXPECT_DOUBLE_EQ(AxisDateTimeStep(10, 0, 10), 1.0);     // one day
  EXPECT_DOUBLE_EQ(AxisDateTimeStep(10, 0, 4), 3.0);      // 2 days would give 5 labels
  EXPECT_DOUBLE_EQ(AxisDateTimeStep(1.0 / 24, 0, 4), 15.0 / 1440);  // quarter hours
  EXPECT_DOUBLE_EQ(AxisDateTimeStep(3650, 0, 5), 730);    // years double
  EXPECT_DOUBLE_EQ(AxisDateTimeStep(10, 0, 0), DateTimeStep[0]);
  EXPECT_DOUBLE_EQ(AxisDateTimeStep(10, 2, 10), 2);       // a fixed increment that fits
  EXPECT_TRUE(std::isfinite(AxisDateTimeStep(std::numeric_limits<Double>::infinity(), 0, 10)));
}

TEST_F(AxisTest, LabelStepMeasuresTheRoomForLabels) {
  TChartAxis* h = chart->BottomAxis();
  h->SetMinMax(0, 120);
  h->RecalcLimits();
  const Integer w = std::max(MeasuredWidth(h, "120"), MeasuredWidth(h, "0"));
  ASSERT_GT(w, 0);
  const Integer size = w + static_cast<Integer>(std::nearbyint(0.1 * w));
  h->StartPixel = 0;
  h->EndPixel = h->LengthPixels = 12 * size;  // room for 12 labels
  EXPECT_EQ(h->LabelStep(), 10);
  h->EndPixel = h->LengthPixels = 11 * size;
  EXPECT_EQ(h->LabelStep(), 20);
  h->SetIncrement(1);
  h->EndPixel = h->LengthPixels = 12 * size;
  EXPECT_EQ(h->LabelStep(), 10);

  // On a vertical axis a label takes its line height.
  TChartAxis* v = chart->LeftAxis();
  v->SetMinMax(0, 120);
  v->RecalcLimits();
  chart->Canvas()->ApplyFont(v->LabelsFont());
  const Integer lh = chart->Canvas()->LineHeight();
  const Integer vsize = lh + static_cast<Integer>(std::nearbyint(0.1 * lh));
  v->StartPixel = 0;
  v->EndPixel = v->LengthPixels = 24 * vsize;
  EXPECT_EQ(v->LabelStep(), 5);
}

// ---- label values ----------------------------------------------------------------------

TEST_F(AxisTest, ValueLabelsStepDownFromTheFirstLabel) {
  TChartAxis* h = chart->BottomAxis();
  Place(h, 0, 100);
  h->SetIncrement(25);
  EXPECT_EQ(h->LabelValues(), (std::vector<Double>{100, 75, 50, 25, 0}));

  // The first label is a multiple of the step below the maximum.
  Place(h, 3, 97);
  h->SetIncrement(10);
  EXPECT_EQ(h->LabelValues(), (std::vector<Double>{90, 80, 70, 60, 50, 40, 30, 20, 10}));
  h->SetRoundFirstLabel(false);
  EXPECT_EQ(h->LabelValues(), (std::vector<Double>{97, 87, 77, 67, 57, 47, 37, 27, 17, 7}));
  h->SetRoundFirstLabel(true);

  Place(h, -25, -3);
  EXPECT_EQ(h->LabelValues(), (std::vector<Double>{-10, -20}));

  // A range that prints as one value gets one label.
  Place(h, 5, 5);
  EXPECT_EQ(h->LabelValues().size(), 1u);
}

TEST_F(AxisTest, ALabelOnTheMinimumIsDrawnWhateverItsSign) {
  struct Case {
    Double min, max, increment;
    std::vector<Double> labels;
  };
  const Case cases[] = {
      {-50, 50, 25, {50, 25, 0, -25, -50}},
      {-50, -10, 10, {-10, -20, -30, -40, -50}},
      {-0.75, 0.75, 0.25, {0.75, 0.5, 0.25, 0, -0.25, -0.5, -0.75}},
      {-1e6, 0, 5e5, {0, -5e5, -1e6}},
      {20, 60, 20, {60, 40, 20}},
      // Just below a label the label is still off the axis.
      {-50.001, 0, 25, {0, -25, -50}},
      {-49.999, 0, 25, {0, -25}},
  };
  TChartAxis* h = chart->BottomAxis();
  for (const Case& c : cases) {
    Place(h, c.min, c.max);
    h->SetIncrement(c.increment);
    const std::vector<Double> got = h->LabelValues();
    ASSERT_EQ(got.size(), c.labels.size()) << c.min << ".." << c.max;
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.labels[i], 1e-9) << c.min << ".." << c.max;
  }
}

TEST_F(AxisTest, TenThousandLabelsOrMoreDrawNone) {
  TChartAxis* h = chart->BottomAxis();
  chart->SetChartRect(TRect{0, 0, 2000000, 100});
  h->CalcScreenExtent();
  h->SetIncrement(1);
  h->SetMinMax(0, 10000);
  h->RecalcLimits();
  EXPECT_TRUE(h->LabelValues().empty());
  h->SetMinMax(0, 9999);
  h->RecalcLimits();
  EXPECT_EQ(h->LabelValues().size(), 10000u);

  // Without room the step is tiny and nothing is labelled.
  chart->SetChartRect(TRect{0, 0, 1, 100});
  h->CalcScreenExtent();
  h->SetIncrement(0);
  EXPECT_TRUE(h->LabelValues().empty());
}

TEST_F(AxisTest, LabelLoopsOverNonFiniteRangesEnd) {
  TChartAxis* h = chart->BottomAxis();
  h->CalcScreenExtent();
  const Double inf = std::numeric_limits<Double>::infinity();
  h->RangeMin = 0;
  h->RangeMax = inf;
  h->RangeSpan = inf;
  EXPECT_TRUE(h->LabelValues().empty());
  h->RangeMin = std::nan("");
  h->RangeSpan = std::nan("");
  EXPECT_TRUE(h->LabelValues().empty());
  // A step lost in the precision of huge values.
  h->SetIncrement(1);
  h->RangeMin = 1e20;
  h->RangeMax = 1e20 + 65536;
  h->RangeSpan = 65536;
  EXPECT_LE(h->LabelValues().size(), 10001u);

  h->SetLogarithmic(true);
  h->SetIncrement(0);
  h->RangeMin = 1;
  h->RangeMax = inf;
  EXPECT_TRUE(h->LabelValues().empty());
}

TEST_F(AxisTest, LogarithmicLabelsArePowersOfTheBase) {
  TChartAxis* v = chart->LeftAxis();
  Place(v, 1, 1000);
  v->SetLogarithmic(true);
  EXPECT_EQ(v->LabelValues(), (std::vector<Double>{1, 10, 100, 1000}));
  Place(v, 3, 1000);
  EXPECT_EQ(v->LabelValues(), (std::vector<Double>{10, 100, 1000}));
  Place(v, 0, 1);
  const std::vector<Double> fromZero = v->LabelValues();
  ASSERT_EQ(fromZero.size(), 2u);
  EXPECT_DOUBLE_EQ(fromZero[0], 0.1);
  EXPECT_DOUBLE_EQ(fromZero[1], 1);
  v->SetLogarithmicBase(2);
  Place(v, 1, 16);
  EXPECT_EQ(v->LabelValues(), (std::vector<Double>{1, 2, 4, 8, 16}));
}

TEST_F(AxisTest, ChartSuppliesLabelValues) {
  TChartAxis* h = chart->BottomAxis();
  Place(h, 0, 10);
  h->SetIncrement(5);
  std::vector<Integer> indices;
  chart->OnGetNextAxisLabel = [&](TChartAxis*, Integer index, Double& value, bool& stop) {
    indices.push_back(index);
    if (index == 4) {
      stop = true;
      return;
    }
    value = index * 4.0;  // 0, 4, 8, 12: the last is out of range
  };
  EXPECT_EQ(h->LabelValues(), (std::vector<Double>{0, 4, 8}));
  EXPECT_EQ(indices, (std::vector<Integer>{0, 1, 2, 3, 4}));

  // Stopping at once leaves the labels to the axis.
  chart->OnGetNextAxisLabel = [](TChartAxis*, Integer, Double&, bool& stop) { stop = true; };
  EXPECT_EQ(h->LabelValues(), (std::vector<Double>{10, 5, 0}));

  // A hook that never stops is cut off.
  Integer calls = 0;
  chart->OnGetNextAxisLabel = [&](TChartAxis*, Integer, Double& value, bool&) {
    ++calls;
    value = 1;
  };
  EXPECT_EQ(h->LabelValues().size(), 2000u);
  EXPECT_EQ(calls, 2000);
}

// ---- label texts -----------------------------------------------------------------------

TEST_F(AxisTest, LabelTexts) {
  TChartAxis* h = chart->BottomAxis();
  EXPECT_EQ(h->LabelText(1234.5), "1,234.5");
  EXPECT_EQ(h->LabelText(0.12345), "0.123");
  h->SetAxisValuesFormat("0.00");
  EXPECT_EQ(h->LabelText(2), "2.00");

  h->SetAxisValuesFormat("0 'kg'");
  h->SetLabelsMultiLine(true);
  EXPECT_EQ(h->LabelText(3), "3\rkg");
  h->SetLabelsMultiLine(false);

  chart->OnGetAxisLabel = [](TChartAxis*, TChartSeries* s, Integer index, std::string& text) {
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(index, -1);
    text = "<" + text + ">";
  };
  EXPECT_EQ(h->LabelText(3), "<3 kg>");
}

TEST_F(AxisTest, DateLabels) {
  TChartSeries* s = AddSeries();
  s->XValues()->SetDateTime(true);
  s->AddXY(36526, 1);  // 1 January 2000
  TChartAxis* h = chart->BottomAxis();
  EXPECT_TRUE(h->IsDateTime());
  EXPECT_FALSE(chart->LeftAxis()->IsDateTime());
  h->SetDateTimeFormat("yyyy-mm-dd hh:nn");
  EXPECT_EQ(h->LabelText(36526.75), "2000-01-01 18:00");
  EXPECT_EQ(h->LabelText(-1), "");

  EXPECT_EQ(FormatAxisDateTime("m/d/yyyy", 0), "12/30/1899");
  EXPECT_EQ(FormatAxisDateTime("dddd d mmmm yy", 36526), "Saturday 1 January 00");
  EXPECT_EQ(FormatAxisDateTime("ddd mmm dd", 36527), "Sun Jan 02");
  EXPECT_EQ(FormatAxisDateTime("h:nn:ss.zzz am/pm", 36526 + 13.5 / 24 + 0.25 / 86400), "1:30:00.250 PM");
  EXPECT_EQ(FormatAxisDateTime("hh:mm 'h'", 36526.5), "12:00 h");
  // 999.6 ms before midnight rounds into the next day.
  EXPECT_EQ(FormatAxisDateTime("d hh:nn:ss", 36526 + (86400 - 0.0004) / 86400), "2 00:00:00");
}

TEST_F(AxisTest, DateIncrementOutsideTheTableUsesTheComputedStep) {
  TChartSeries* s = AddSeries();
  s->XValues()->SetDateTime(true);
  s->AddXY(36526, 1);
  s->AddXY(36536, 2);
  TChartAxis* h = chart->BottomAxis();
  chart->SetChartRect(TRect{0, 0, 100000, 100});
  h->CalcScreenExtent();
  h->RecalcLimits();
  h->SetIncrement(0.3);  // no entry of the table
  const std::vector<Double> values = h->LabelValues();
  ASSERT_GE(values.size(), 30u);
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_GE(values[i], 36526 - 1e-9);
    EXPECT_LE(values[i], 36536 + 1e-9);
    if (i > 0) {
      EXPECT_NEAR(values[i - 1] - values[i], 0.3, 1e-6);
    }
  }

  // One day: labels on whole days, down from the last one.
  h->SetIncrement(1);
  h->SetMinMax(36526.5, 36536.5);
  h->RecalcLimits();
  const std::vector<Double> days = h->LabelValues();
  ASSERT_EQ(days.size(), 10u);
  for (std::size_t i = 0; i < days.size(); ++i) EXPECT_EQ(days[i], 36536 - static_cast<Double>(i));
}

// ---- label style ---------------------------------------------------------------------------

TEST_F(AxisTest, LabelStyleFollowsTheSeries) {
  TChartAxis* h = chart->BottomAxis();
  EXPECT_EQ(h->CalcLabelStyle(), talNone);
  TChartSeries* s = AddSeries();
  s->AddXY(1, 10);
  EXPECT_EQ(h->CalcLabelStyle(), talValue);
  s->AddXY(2, 20, "two");
  EXPECT_EQ(h->CalcLabelStyle(), talText);
  // The vertical axis carries the mandatory values: still numbers.
  EXPECT_EQ(chart->LeftAxis()->CalcLabelStyle(), talValue);
  h->SetLabelStyle(talValue);
  EXPECT_EQ(h->CalcLabelStyle(), talValue);
  s->SetActive(false);
  h->SetLabelStyle(talAuto);
  EXPECT_EQ(h->CalcLabelStyle(), talNone);
  s->SetActive(true);

  // One label per point, at the point's position, with its text.
  Place(h, 0, 4);
  const auto labels = h->PointLabels(talText);
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0].Pos, 150);
  EXPECT_EQ(labels[0].Text, "");
  EXPECT_EQ(labels[1].Pos, 200);
  EXPECT_EQ(labels[1].Text, "two");

  // The depth axis shows series titles unless a series spans depths.
  EXPECT_EQ(chart->DepthAxis()->CalcLabelStyle(), talText);
}

// ---- room, hit test, drawing ---------------------------------------------------------------

TEST_F(AxisTest, ReserveSpaceTakesTitleLabelsAndTicks) {
  TChartAxis* b = chart->BottomAxis();
  b->SetLabelsSize(20);
  b->SetTitleSize(15);
  b->Title()->SetCaption("Time");
  TRect r{0, 0, 400, 250};
  b->ReserveSpace(r, true);
  EXPECT_EQ(r.bottom, 250 - 15 - 20 - 4);
  EXPECT_EQ(b->TitlePixel, 235);
  EXPECT_EQ(b->LabelsPixel, 215);
  TRect placed = r;
  b->ReserveSpace(placed, false);
  EXPECT_EQ(b->LinePixel, 211);
  EXPECT_EQ(b->LabelsPixel, 215);
  EXPECT_EQ(b->TitlePixel, 235);

  TChartAxis* l = chart->LeftAxis();
  l->SetLabelsSize(30);
  TRect r2{0, 0, 400, 250};
  l->ReserveSpace(r2, true);
  EXPECT_EQ(r2.left, 34);  // no title caption: labels and ticks only
  l->ReserveSpace(r2, false);
  EXPECT_EQ(l->LinePixel, 34);
  EXPECT_EQ(l->LabelsPixel, 30);

  // PositionPercent moves the line into the chart.
  b->SetPositionPercent(10);
  TRect r4{0, 0, 400, 200};
  b->ReserveSpace(r4, false);
  EXPECT_EQ(b->LinePixel, 180);
  TChartAxis* right = chart->RightAxis();
  right->SetPositionPercent(10);
  right->SetLabelsSize(10);
  right->ReserveSpace(r4, false);
  EXPECT_EQ(right->LinePixel, 360);
  EXPECT_EQ(right->LabelsPixel, 364);
}

TEST_F(AxisTest, HitTestCoversTheLineAndItsLabels) {
  TChartAxis* b = chart->BottomAxis();
  b->SetLabelsSize(20);
  b->CalcScreenExtent();
  TRect r{100, 100, 300, 300};
  b->ReserveSpace(r, false);  // line at 300, labels 304..324
  EXPECT_TRUE(b->HitTest(200, 300));
  EXPECT_TRUE(b->HitTest(200, 297));   // 3 pixels inside
  EXPECT_FALSE(b->HitTest(200, 296));
  EXPECT_TRUE(b->HitTest(200, 324));
  EXPECT_FALSE(b->HitTest(200, 325));
  EXPECT_TRUE(b->HitTest(100, 310));
  EXPECT_FALSE(b->HitTest(99, 310));
  EXPECT_FALSE(b->HitTest(301, 310));
  b->SetVisible(false);
  EXPECT_FALSE(b->HitTest(200, 300));
}

TEST_F(AxisTest, StoredPropertiesAnglesAndAssign) {
  TChartAxis* a = chart->LeftAxis();
  // Angles are kept within one turn.
  a->SetLabelsAngle(-90);
  EXPECT_EQ(a->LabelsAngle(), 270);
  a->SetLabelsAngle(450);
  EXPECT_EQ(a->LabelsAngle(), 90);
  EXPECT_EQ(a->Title()->Angle(), 90);
  EXPECT_FALSE(IsStoredProp(a->Title(), FindPropInfo(a->Title(), "Angle")));
  a->Title()->SetAngle(-45);
  EXPECT_EQ(a->Title()->Angle(), 315);
  EXPECT_TRUE(IsStoredProp(a->Title(), FindPropInfo(a->Title(), "Angle")));

  EXPECT_FALSE(IsStoredProp(a, FindPropInfo(a, "Maximum")));
  EXPECT_FALSE(IsStoredProp(a, FindPropInfo(a, "Horizontal")));
  a->SetMinMax(-1, 1);
  EXPECT_TRUE(IsStoredProp(a, FindPropInfo(a, "Maximum")));
  EXPECT_TRUE(IsStoredProp(a, FindPropInfo(a, "Minimum")));

  TChartAxis* b = chart->RightAxis();
  a->SetIncrement(0.5);
  a->SetInverted(true);
  a->Grid()->SetColor(0x0000FF);
  a->Title()->SetCaption("Y");
  b->Assign(a);
  EXPECT_EQ(b->Minimum(), -1);
  EXPECT_EQ(b->Maximum(), 1);
  EXPECT_FALSE(b->Automatic());
  EXPECT_EQ(b->Increment(), 0.5);
  EXPECT_TRUE(b->Inverted());
  EXPECT_EQ(b->Grid()->Color(), 0x0000FF);
  EXPECT_EQ(b->Title()->Caption(), "Y");
  EXPECT_NE(b->Grid(), a->Grid());
}

TEST_F(AxisTest, CustomAxesJoinAndLeaveTheChart) {
  TOwnedCollection axes(chart.get(), TChartAxis::StaticClass());
  auto* custom = static_cast<TChartAxis*>(axes.Add());
  EXPECT_EQ(custom->ParentChart(), chart.get());
  ASSERT_EQ(chart->Axes()->Count(), 6);
  EXPECT_EQ(chart->Axes()->Axis(0), chart->BottomAxis());
  EXPECT_EQ(chart->Axes()->Axis(4), chart->DepthAxis());
  EXPECT_EQ(chart->Axes()->Axis(5), custom);
  EXPECT_TRUE(IsStoredProp(custom, FindPropInfo(custom, "Horizontal")));

  TChartSeries* s = AddSeries();
  custom->SetHorizontal(true);
  s->SetCustomHorizAxis(custom);
  EXPECT_EQ(s->HorizAxis(), aCustomHorizAxis);
  axes.Delete(0);
  EXPECT_EQ(s->HorizAxis(), aBottomAxis);
  EXPECT_EQ(s->CustomHorizAxis(), nullptr);
  EXPECT_EQ(chart->Axes()->Count(), 5);

  // A custom axis that outlives its chart stays usable without it.
  auto* late = static_cast<TChartAxis*>(axes.Add());
  series.clear();
  chart.reset();
  EXPECT_EQ(late->ParentChart(), nullptr);
  late->SetMinMax(0, 1);
  EXPECT_EQ(late->Maximum(), 1);
}

TEST_F(AxisTest, DrawnTicksAndLine) {
  TChartAxis* b = chart->BottomAxis();
  b->SetMinMax(0, 100);
  b->SetIncrement(25);
  b->Grid()->SetVisible(false);
  // Ticks without label texts: no glyphs in the picture.
  b->SetLabels(false);
  b->SetTickOnLabelsOnly(false);
  TChartSeries* s = AddSeries();
  s->AddXY(0, 0);
  s->SetActive(true);
  chart->OnDraw = [&] {
    b->CalcScreenExtent();
    b->RecalcLimits();
    b->DrawAxis(true);
  };
  std::unique_ptr<TBitmap> bmp = chart->RenderToBitmap(clWhite, TRect{0, 0, 400, 250});
  // Margins put the plotting rectangle at (12, 10)-(388, 240).
  EXPECT_EQ(b->StartPixel, 12);
  EXPECT_EQ(b->EndPixel, 388);
  EXPECT_EQ(b->LinePixel, 240);
  ASSERT_EQ(b->TickPositions().size(), 5u);
  EXPECT_EQ(b->TickPositions()[0], 388);
  EXPECT_EQ(b->TickPositions()[2], 200);
  TCanvas* c = bmp->Canvas();
  // Ticks: 4 pixels down from the line in dark grey.
  EXPECT_EQ(c->Pixels(200, 243), clGray);
  EXPECT_EQ(c->Pixels(106, 243), clGray);  // 25 -> 12 + 94
  EXPECT_EQ(c->Pixels(200, 245), clWhite);
  EXPECT_EQ(c->Pixels(150, 243), clWhite);
  // The axis line is black along the bottom edge of the plotting rectangle.
  EXPECT_EQ(c->Pixels(150, 240), clBlack);
}
