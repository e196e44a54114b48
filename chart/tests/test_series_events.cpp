// What a series tells its chart's listeners: colour, activity and refreshes, once per
// real change, never for a write that changes nothing, and nothing without a chart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/axis_panel.h"
#include "chart/chart_series.h"
#include "chart/series_sources.h"
#include "platform/classlib/graphics_colors.h"

namespace {

using Log = std::vector<std::string>;

// Logs "title:kind" for every series event it hears.
struct SeriesEventLog : TChartEventListener {
  Log log;
  void ChartEvent(TChartEvent& e) override {
    if (auto* s = dynamic_cast<TChartSeriesEvent*>(&e))
      log.push_back((s->Series ? s->Series->Title() : std::string("?")) + ":" + std::to_string(s->Kind));
  }
};

// A 2D chart with the log listening; the listener outlives chart and series.
struct Rig {
  SeriesEventLog events;
  TCustomAxisPanel chart{nullptr};
  Rig() {
    chart.SetView3D(false);
    chart.Listeners()->Add(&events);
  }
  ~Rig() { chart.Listeners()->Remove(&events); }
  // Joins Series under Title and forgets what joining announced.
  void Join(TChartSeries& Series, const std::string& Title) {
    Series.SetTitle(Title);
    Series.SetParentChart(&chart);
    events.log.clear();
  }
};

TEST(SeriesEvents, ColourChangesAreAnnouncedOnceAndNoOpWritesNotAtAll) {
  Rig rig;
  TChartSeries s(nullptr);
  rig.Join(s, "s");
  const TColor joined = s.SeriesColor();
  ASSERT_NE(joined, clDefault);  // the chart chose one on joining, without an event

  s.SetSeriesColor(joined);
  EXPECT_TRUE(rig.events.log.empty());
  s.SetSeriesColor(joined == clRed ? clBlue : clRed);
  s.SetSeriesColor(s.SeriesColor());
  s.SetSeriesColor(clLime);
  EXPECT_EQ(rig.events.log, (Log{"s:3", "s:3"}));
  EXPECT_EQ(s.SeriesColor(), clLime);

  // Out of the chart the colour still changes, but nobody is told.
  s.SetParentChart(nullptr);
  rig.events.log.clear();
  s.SetSeriesColor(clYellow);
  EXPECT_EQ(s.SeriesColor(), clYellow);
  EXPECT_TRUE(rig.events.log.empty());
}

TEST(SeriesEvents, ActivityChangesAreAnnouncedOnceAndNoOpWritesNotAtAll) {
  Rig rig;
  TChartSeries a(nullptr), b(nullptr);
  rig.Join(a, "a");
  rig.Join(b, "b");

  a.SetActive(true);
  EXPECT_TRUE(rig.events.log.empty());
  a.SetActive(false);
  a.SetActive(false);
  b.SetActive(false);
  a.SetActive(true);
  EXPECT_EQ(rig.events.log, (Log{"a:5", "b:5", "a:5"}));
  EXPECT_TRUE(a.Active());
  EXPECT_FALSE(b.Active());
  EXPECT_EQ(rig.chart.CountActiveSeries(), 1);

  // A series outside any chart changes quietly.
  rig.events.log.clear();
  TChartSeries loose(nullptr);
  loose.SetActive(false);
  EXPECT_FALSE(loose.Active());
  EXPECT_TRUE(rig.events.log.empty());
}

TEST(SeriesEvents, RefreshesAnnounceDataChangedOncePerRefresh) {
  Rig rig;
  TChartSeries s(nullptr);
  rig.Join(s, "s");

  // Single points and clearing are not refreshes.
  s.AddXY(1, 10);
  s.AddXY(2, 20);
  s.Delete(0);
  s.Clear();
  EXPECT_TRUE(rig.events.log.empty());

  s.RefreshSeries();
  EXPECT_EQ(rig.events.log, (Log{"s:6"}));

  // Nested updates refresh once, when the outermost one ends; an unmatched end is a
  // no-op.
  rig.events.log.clear();
  s.BeginUpdate();
  s.BeginUpdate();
  s.AddXY(1, 10);
  s.AddXY(2, 20);
  s.EndUpdate();
  EXPECT_TRUE(rig.events.log.empty());
  s.EndUpdate();
  s.EndUpdate();
  EXPECT_EQ(rig.events.log, (Log{"s:6"}));
  EXPECT_EQ(s.UpdateCount(), 0);

  // Without a chart a refresh tells nobody.
  s.SetParentChart(nullptr);
  rig.events.log.clear();
  s.RefreshSeries();
  EXPECT_TRUE(rig.events.log.empty());
}

TEST(SeriesEvents, RefillingAFollowerAnnouncesItsDataOnce) {
  Rig rig;
  TChartSeries source(nullptr), follower(nullptr);
  rig.Join(source, "source");
  rig.Join(follower, "follower");
  source.AddXY(1, 10);
  source.AddXY(2, 20);

  // Taking a source refills the follower: cleared and refilled, one refresh.
  follower.SetDataSource(&source);
  EXPECT_EQ(follower.Count(), 2);
  EXPECT_EQ(rig.events.log, (Log{"follower:6"}));

  // A refreshed source first refills its follower, then announces itself.
  rig.events.log.clear();
  source.AddXY(3, 30);  // the follower takes the single point quietly
  EXPECT_EQ(follower.Count(), 3);
  EXPECT_TRUE(rig.events.log.empty());
  source.BeginUpdate();
  source.Delete(0);
  source.EndUpdate();
  EXPECT_EQ(follower.Count(), 2);
  EXPECT_DOUBLE_EQ(follower.GetXValue(0), 2);
  EXPECT_EQ(rig.events.log, (Log{"follower:6", "source:6"}));
}

// On seAdd the series has already joined: its colour and axes are set.
struct JoinedCheck : TChartEventListener {
  std::vector<bool> joinedFirst;
  void ChartEvent(TChartEvent& e) override {
    auto* s = dynamic_cast<TChartSeriesEvent*>(&e);
    if (s && s->Kind == seAdd) joinedFirst.push_back(s->Series->SeriesColor() != clDefault && s->Series->GetVertAxis());
  }
};

TEST(SeriesEvents, TitlesJoiningAndLostSourcesAreAnnounced) {
  Rig rig;
  JoinedCheck check;
  rig.chart.Listeners()->Add(&check);
  TChartSeries source(nullptr), design(nullptr), run(nullptr);
  design.SetDesigning(true);
  rig.Join(source, "source");
  rig.Join(design, "design");
  rig.Join(run, "run");
  rig.chart.Listeners()->Remove(&check);
  EXPECT_EQ(check.joinedFirst, (std::vector<bool>{true, true, true}));
  // At design time a series joins with sample values; at run time empty.
  EXPECT_EQ(design.Count(), NumSampleValues(&design));
  EXPECT_EQ(run.Count(), 0);

  run.SetTitle("renamed");
  run.SetTitle("renamed");
  EXPECT_EQ(rig.events.log, (Log{"renamed:2"}));

  // Losing a source is told; design time shows samples again, run time nothing.
  source.AddXY(1, 1);
  design.SetDataSource(&source);
  run.SetDataSource(&source);
  ASSERT_EQ(design.Count(), 1);
  rig.events.log.clear();
  design.SetDataSource(nullptr);
  ASSERT_FALSE(rig.events.log.empty());  // the refill announces itself too
  EXPECT_EQ(rig.events.log.front(), "design:6");
  EXPECT_EQ(design.Count(), NumSampleValues(&design));
  rig.events.log.clear();
  run.SetDataSource(nullptr);
  run.SetDataSource(nullptr);  // no source left: nothing to tell
  EXPECT_EQ(rig.events.log, (Log{"renamed:6"}));
  EXPECT_EQ(run.Count(), 0);
}

}  // namespace
