// Sample values (ranges, the single-point case, reproducibility, ordering, followers) and
// data sources followed through every source: the loop refusal through a second source,
// in form files, and what form files store of several sources.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "chart/chart_control.h"
#include "chart/line_series.h"
#include "chart/series_sources.h"
#include "chart/tests/recording_canvas.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/random.h"
#include "platform/win/window.h"

namespace {

std::vector<Double> XsOf(TChartSeries& s) {
  std::vector<Double> v;
  for (Integer i = 0; i < s.Count(); ++i) v.push_back(s.GetXValue(i));
  return v;
}

std::vector<Double> YsOf(TChartSeries& s) {
  std::vector<Double> v;
  for (Integer i = 0; i < s.Count(); ++i) v.push_back(s.GetYValue(i));
  return v;
}

std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "no exception";
}

// A plain axis chart that forms can name.
class TSourcesChart : public TCustomAxisPanel {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TSourcesChart>("TSourcesChart", TCustomAxisPanel::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  explicit TSourcesChart(TComponent* AOwner) : TCustomAxisPanel(AOwner) {}
};

}  // namespace

// ---- sample values -----------------------------------------------------------------------

TEST(SampleValues, OnePointSitsAtTheStartAndBadCountsChangeNothing) {
  TLineSeries s(nullptr);
  FillSampleValues(&s, 1);
  ASSERT_EQ(s.Count(), 1);
  EXPECT_EQ(s.GetXValue(0), 0);
  EXPECT_TRUE(std::isfinite(s.GetYValue(0)));
  EXPECT_GE(s.GetYValue(0), 0);
  EXPECT_LE(s.GetYValue(0), 1000);
  const TSeriesRandomBounds one = RandomBounds(&s, 1);
  EXPECT_EQ(one.StepX, 0);
  EXPECT_EQ(one.DifY, 1000);

  s.Clear();
  s.AddXY(3, 4);
  EXPECT_EQ(MessageOf([&] { FillSampleValues(&s, 0); }), "FillSampleValues NumValues must be > 0");
  EXPECT_EQ(MessageOf([&] { FillSampleValues(&s, -5); }), "FillSampleValues NumValues must be > 0");
  EXPECT_EQ(XsOf(s), (std::vector<Double>{3}));
  EXPECT_EQ(s.UpdateCount(), 0);
}

TEST(SampleValues, SameRunTimeSeedSameSamplesOneDrawTaken) {
  TLineSeries a(nullptr), b(nullptr);
  RandSeed = 1513;
  FillSampleValues(&a, 12);
  Cardinal after = RandSeed;
  RandSeed = 1513;
  Random(7774444);
  EXPECT_EQ(after, RandSeed);  // exactly one draw of the run-time generator
  RandSeed = 1513;
  FillSampleValues(&b, 12);
  EXPECT_EQ(YsOf(a), YsOf(b));
  // X runs 0 .. NumValues - 1 in steps of 1; Y stays within 0 .. 1000.
  EXPECT_EQ(XsOf(a), (std::vector<Double>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  for (Double y : YsOf(a)) {
    EXPECT_GE(y, 0);
    EXPECT_LE(y, 1000);
  }
  RandSeed = 99;
  TLineSeries c(nullptr);
  FillSampleValues(&c, 12);
  EXPECT_NE(YsOf(a), YsOf(c));
}

TEST(SampleValues, RangesComeFromAChartThatShowsValues) {
  SeriesTestChart chart;
  TLineSeries shown(nullptr), sample(nullptr);
  shown.SetParentChart(&chart);
  sample.SetParentChart(&chart);
  chart.BottomAxis()->SetMinMax(10, 20);
  chart.LeftAxis()->SetMinMax(-50, 50);
  // No other series has points yet: the chart shows nothing to take ranges from.
  TSeriesRandomBounds b = RandomBounds(&sample, 5);
  EXPECT_EQ(b.StartX, 0);
  EXPECT_EQ(b.StepX, 1);
  shown.AddXY(12, 0);
  b = RandomBounds(&sample, 5);
  EXPECT_EQ(b.StartX, 10);
  EXPECT_EQ(b.StepX, 2.5);
  EXPECT_EQ(b.MinY, -50);
  EXPECT_EQ(b.DifY, 100);
  FillSampleValues(&sample, 5);
  EXPECT_EQ(XsOf(sample), (std::vector<Double>{10, 12.5, 15, 17.5, 20}));
  for (Double y : YsOf(sample)) {
    EXPECT_GE(y, -50);
    EXPECT_LE(y, 50);
  }
  // An empty Y range is taken as 0 .. 1000; a huge one is held to the integer spread.
  chart.LeftAxis()->SetMinMax(7, 7);
  chart.LeftAxis()->SetMaximum(7);
  chart.LeftAxis()->SetMinimum(7);
  b = RandomBounds(&sample, 5);
  EXPECT_EQ(b.MinY, 0);
  EXPECT_EQ(b.DifY, 1000);
  chart.LeftAxis()->SetMinMax(-1e12, 1e12);
  b = RandomBounds(&sample, 5);
  EXPECT_EQ(b.DifY, 2147483647.0);
}

// Automatic axes have a range only once the chart has worked it out, when it draws: a chart
// never drawn shows no values to take ranges from, whatever its series hold.
TEST(SampleValues, AnAutomaticAxisNeverDrawnGivesTheDefaultRange) {
  const struct {
    bool drawn;
    bool firstHasPoints;
    std::vector<Double> xs;
  } cases[] = {
      {false, false, {0, 1, 2, 3, 4}},
      {false, true, {0, 1, 2, 3, 4}},
      {true, false, {0, 1, 2, 3, 4}},
      {true, true, {10, 15, 20, 25, 30}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "drawn " << c.drawn << ", first series with points " << c.firstHasPoints);
    TForm form(nullptr);
    auto* chart = new TChart(&form);
    chart->SetParent(&form);
    chart->SetBounds(0, 0, 400, 250);
    auto* first = new TLineSeries(&form);
    first->SetParentChart(chart);
    if (c.firstHasPoints) {
      first->AddXY(10, 5);
      first->AddXY(30, 20);
      first->AddXY(20, 50);
    }
    if (c.drawn) {
      TBitmap target;
      target.SetSize(400, 250);
      chart->DrawTo(target.Canvas(), TRect{0, 0, 400, 250});
    }
    auto* second = new TLineSeries(&form);
    second->SetParentChart(chart);
    FillSampleValues(second, 5);
    EXPECT_EQ(XsOf(*second), c.xs);
  }
}

TEST(SampleValues, DateTimeXStartsTodayAndAnOrderedListIsSorted) {
  TLineSeries s(nullptr);
  s.XValues()->SetDateTime(true);
  const TSeriesRandomBounds b = RandomBounds(&s, 3);
  // Days since 30 December 1899: some day after 2020-01-01 (43831).
  EXPECT_GT(b.StartX, 43831);
  EXPECT_EQ(b.StartX, std::floor(b.StartX));

  TLineSeries d(nullptr);
  d.XValues()->SetOrder(loDescending);
  FillSampleValues(&d, 6);
  EXPECT_EQ(XsOf(d), (std::vector<Double>{5, 4, 3, 2, 1, 0}));
}

TEST(SampleValues, FollowersAreRefilledOnceAtTheEnd) {
  SeriesTestChart chart;
  TLineSeries a(nullptr), b(nullptr);
  a.SetParentChart(&chart);
  b.SetParentChart(&chart);
  b.SetDataSource(&a);
  int clears = 0;
  b.OnClearValues = [&](TChartSeries*) { ++clears; };
  FillSampleValues(&a, 8);
  EXPECT_EQ(YsOf(b), YsOf(a));
  EXPECT_EQ(XsOf(b), XsOf(a));
  // One clear for the source's own clear, one for the refill.
  EXPECT_EQ(clears, 2);
}

TEST(SampleValues, HooksAreFoundAlongTheClassChain) {
  // A class of its own fills differently; its descendants inherit that.
  RegisterSampleValues(TPointSeries::StaticClass(),
                       {[](TChartSeries* s, Integer n) {
                          for (Integer i = 0; i < n; ++i) s->AddXY(i, 42);
                        },
                        7});
  TPointSeries p(nullptr);
  TLineSeries l(nullptr);
  EXPECT_EQ(NumSampleValues(&p), 7);
  EXPECT_EQ(NumSampleValues(&l), 25);
  FillSampleValues(&p, 3);
  EXPECT_EQ(YsOf(p), (std::vector<Double>{42, 42, 42}));
  UnRegisterSampleValues(TPointSeries::StaticClass());
  FillSampleValues(&p, 3);
  EXPECT_NE(YsOf(p), (std::vector<Double>{42, 42, 42}));
}

TEST(SampleValues, LinePointsAreLabelledAndASecondPointSampleHasTriangles) {
  TCustomAxisPanel chart(nullptr);
  chart.SetView3D(false);
  TPointSeries first(nullptr), second(nullptr);
  first.SetParentChart(&chart);
  second.SetParentChart(&chart);
  FillSampleValues(&first, 10);
  // Eight different labels, then again from the first.
  std::set<std::string> labels;
  for (Integer i = 0; i < 8; ++i) labels.insert(first.GetValueLabel(i));
  EXPECT_EQ(labels.size(), 8u);
  EXPECT_EQ(labels.count(""), 0u);
  EXPECT_EQ(first.GetValueLabel(8), first.GetValueLabel(0));
  EXPECT_EQ(first.GetValueLabel(9), first.GetValueLabel(1));
  first.PrepareForGallery(true);
  second.PrepareForGallery(false);
  EXPECT_EQ(first.Count(), 4);
  EXPECT_EQ(first.Pointer()->Style(), psRectangle);
  EXPECT_EQ(second.Pointer()->Style(), psTriangle);
  EXPECT_EQ(second.Pointer()->HorizSize(), 6);
  EXPECT_EQ(second.SeriesColor(), clSilver);
  first.SetParentChart(nullptr);
  second.SetParentChart(nullptr);
}

// ---- data sources ------------------------------------------------------------------------

TEST(DataSources, LoopsThroughASecondSourceAreRefused) {
  // S3 takes two sources; S2, its second one, may not then take S3.
  std::unique_ptr<TComponent> root = ReadComponentText(R"(object Holder: TComponent
  object S1: TLineSeries
  end
  object S2: TLineSeries
  end
  object S3: TLineSeries
    DataSources = (
      'S1'
      'S2')
  end
end
)");
  auto* s2 = static_cast<TChartSeries*>(root->FindComponent("S2"));
  auto* s3 = static_cast<TChartSeries*>(root->FindComponent("S3"));
  ASSERT_EQ(s3->DataSources().size(), 2u);
  SeriesTestChart chart;
  for (const char* n : {"S1", "S2", "S3"}) static_cast<TChartSeries*>(root->FindComponent(n))->SetParentChart(&chart);
  EXPECT_EQ(MessageOf([&] { s2->SetDataSource(s3); }), "Circular Series dependences are not allowed");
  EXPECT_EQ(s2->DataSource(), nullptr);
  EXPECT_EQ(s3->LinkedSeries().size(), 0u);
  // The loop is also found from further away: S4 follows S3, and S2 may not follow S4.
  TLineSeries s4(nullptr);
  s4.SetParentChart(&chart);
  s4.SetDataSource(s3);
  EXPECT_EQ(MessageOf([&] { s2->SetDataSource(&s4); }), "Circular Series dependences are not allowed");
  // A chain that merges again (S5 follows S4 and, through it, S3 twice) is no loop.
  TLineSeries s5(nullptr);
  s5.SetParentChart(&chart);
  s5.SetDataSource(&s4);
  EXPECT_EQ(s5.DataSource(), &s4);
  for (const char* n : {"S1", "S2", "S3"}) static_cast<TChartSeries*>(root->FindComponent(n))->SetParentChart(nullptr);
  s4.SetParentChart(nullptr);
  s5.SetParentChart(nullptr);
}

TEST(DataSources, AFormWithALoopIsRefusedWhole) {
  // Two series, a longer loop written forwards, a loop closed through a name list.
  const char* const forms[] = {
      "object A: TLineSeries\n DataSource = B\nend\nobject B: TLineSeries\n DataSource = A\nend\n",
      "object A: TLineSeries\n DataSource = C\nend\nobject B: TLineSeries\n DataSource = A\nend\n"
      "object C: TLineSeries\n DataSource = B\nend\n",
      "object A: TLineSeries\n DataSources = (\n 'B'\n 'C')\nend\n"
      "object B: TLineSeries\n DataSource = A\nend\nobject C: TLineSeries\nend\n",
  };
  for (const char* series : forms) {
    SCOPED_TRACE(series);
    const std::string message =
        MessageOf([&] { ReadComponentText(std::string("object Holder: TComponent\n") + series + "end\n"); });
    EXPECT_NE(message.find("Circular Series dependences are not allowed"), std::string::npos) << message;
  }
}

TEST(DataSources, FormsStoreSeveralSourcesByName) {
  win::ResetWindowSystem();
  RegisterClass(TSourcesChart::StaticClass());
  const char* form = R"(object Holder: TForm
  object Chart1: TSourcesChart
    object S1: TLineSeries
    end
    object S2: TLineSeries
    end
    object One: TLineSeries
      DataSource = S1
    end
    object Two: TLineSeries
      DataSources = (
        'S1'
        'S2')
    end
  end
end
)";
  std::string text;
  {
    std::unique_ptr<TComponent> root = ReadComponentText(form);
    text = WriteComponentText(root.get());
  }
  // One source is the published DataSource; two are the name list.
  const auto one = text.find("object One");
  const auto two = text.find("object Two");
  ASSERT_NE(one, std::string::npos) << text;
  ASSERT_NE(two, std::string::npos) << text;
  const std::string oneText = text.substr(one, two - one);
  const std::string twoText = text.substr(two);
  EXPECT_NE(oneText.find("DataSource = S1"), std::string::npos) << oneText;
  EXPECT_EQ(oneText.find("DataSources"), std::string::npos) << oneText;
  EXPECT_NE(twoText.find("DataSources"), std::string::npos) << twoText;
  EXPECT_NE(twoText.find("'S2'"), std::string::npos) << twoText;

  {
    std::unique_ptr<TComponent> again = ReadComponentText(text);
    auto* t = static_cast<TChartSeries*>(again->FindComponent("Two"));
    ASSERT_EQ(t->DataSources().size(), 2u);
    EXPECT_EQ(t->DataSources()[1], again->FindComponent("S2"));
    // In a chart the follower is refilled from its first source and follows it.
    static_cast<TChartSeries*>(again->FindComponent("S1"))->AddXY(5, 6);
    EXPECT_EQ(XsOf(*t), (std::vector<Double>{5}));
  }
  UnRegisterClass(TSourcesChart::StaticClass());
  win::ResetWindowSystem();
}

// A chart that notes when it is asked to refill a follower.
struct CountingSourcesChart : SeriesTestChart {
  int checks = 0;
  void CheckDatasource(TChartSeries* Series) override { ++checks; SeriesTestChart::CheckDatasource(Series); }
};

TEST(DataSources, AFollowerLeftWithoutSourcesIsEmptiedAndTheChartIsAsked) {
  CountingSourcesChart chart;
  auto* source = new TLineSeries(nullptr);
  TLineSeries follower(nullptr);
  source->SetParentChart(&chart);
  follower.SetParentChart(&chart);
  source->AddXY(0, 1);
  source->AddXY(1, 2);
  follower.SetDataSource(source);
  EXPECT_GE(chart.checks, 1);
  EXPECT_EQ(follower.Count(), 2);
  delete source;
  EXPECT_EQ(follower.Count(), 0);
  EXPECT_EQ(follower.DataSource(), nullptr);
}
