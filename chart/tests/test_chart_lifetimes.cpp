// Series outside their chart: a follower and its custom axis while the follower moves
// between charts, leaves, comes back, and its axis, its source, itself and the charts go,
// in every order. Each link holds while both ends live and is cut from both sides.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "chart/chart_control.h"
#include "chart/line_series.h"
#include "chart/tests/recording_canvas.h"

namespace {

enum Step { kMoveToB, kLeave, kFreeAxis, kFreeSource };
const char* const kStepNames[] = {"move to B", "leave", "free axis", "free source"};

enum Place { kInA, kInB, kOut };

struct World {
  World() {
    for (int k = 0; k < 2; ++k) {
      charts[k] = std::make_unique<TChart>(nullptr);
      charts[k]->SetView3D(false);
      canvases[k] = RecordWholeChart(*charts[k], targets[k]);
    }
    axis = static_cast<TChartAxis*>(charts[0]->CustomAxes()->Add());
    axis->SetHorizontal(true);
    source = new TLineSeries(nullptr);
    source->SetParentChart(charts[0].get());
    source->AddXY(0, 1);
    source->AddXY(1, 2);
    follower = new TLineSeries(nullptr);
    follower->SetParentChart(charts[0].get());
    follower->SetDataSource(source);
    follower->SetCustomHorizAxis(axis);
  }
  TChart* A() { return charts[0].get(); }
  TChart* B() { return charts[1].get(); }
  void Draw() {
    for (int k = 0; k < 2; ++k)
      if (charts[k]) charts[k]->DrawTo(targets[k].Canvas(), TRect{0, 0, 400, 250});
  }
  void Apply(Step s) {
    switch (s) {
      case kMoveToB:
        follower->SetParentChart(B());
        place = kInB;
        break;
      case kLeave:
        follower->SetParentChart(nullptr);
        place = kOut;
        break;
      case kFreeAxis:
        delete axis;
        axis = nullptr;
        break;
      case kFreeSource:
        delete source;
        source = nullptr;
        break;
    }
  }
  // What the follower must hold now, and that it follows its source only inside a chart.
  void Check() {
    EXPECT_EQ(follower->CustomHorizAxis(), axis);
    TChartAxis* expected = place == kOut  ? nullptr
                           : place == kInB ? B()->BottomAxis()
                           : axis          ? axis
                                           : A()->BottomAxis();
    EXPECT_EQ(follower->GetHorizAxis(), expected);
    if (!source) {
      EXPECT_TRUE(follower->DataSources().empty());
      return;
    }
    EXPECT_EQ(follower->DataSource(), source);
    const auto& linked = source->LinkedSeries();
    EXPECT_EQ(std::count(linked.begin(), linked.end(), follower), 1);
    const Integer before = follower->Count();
    source->AddXY(source->Count(), 3);
    EXPECT_EQ(follower->Count(), place == kOut ? before : source->Count());
  }

  std::unique_ptr<TChart> charts[2];
  TBitmap targets[2];
  RecordingCanvas* canvases[2] = {nullptr, nullptr};
  TChartAxis* axis = nullptr;
  TLineSeries* source = nullptr;
  TLineSeries* follower = nullptr;
  Place place = kInA;
};

}  // namespace

TEST(ChartLifetimes, FollowerAxisSourceAndChartsGoInEveryOrder) {
  std::vector<Step> order = {kMoveToB, kLeave, kFreeAxis, kFreeSource};
  do {
    for (bool followerFirst : {true, false}) {
      std::string trace;
      for (Step s : order) trace += std::string(kStepNames[s]) + ", ";
      SCOPED_TRACE(trace + (followerFirst ? "follower freed first" : "charts freed first"));
      World w;
      w.Draw();
      for (Step s : order) {
        w.Apply(s);
        w.Draw();
        w.Check();
      }
      // Back in its first chart: refilled from a living source, following it again.
      w.follower->SetParentChart(w.A());
      w.place = kInA;
      if (w.source) {
        EXPECT_EQ(w.follower->Count(), w.source->Count());
      }
      w.Draw();
      w.Check();
      if (followerFirst) {
        delete w.follower;
        w.charts[0].reset();
        w.charts[1].reset();
      } else {
        w.charts[0].reset();
        w.charts[1].reset();
        EXPECT_EQ(w.follower->ParentChart(), nullptr);
        delete w.follower;
      }
    }
  } while (std::next_permutation(order.begin(), order.end()));
}
