// Series outside their chart: a follower and its custom axis while the follower moves
// between charts, leaves, comes back, and its axis, its source, itself and the charts go,
// in every order. Each link holds while both ends live and is cut from both sides.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "chart/chart_control.h"
#include "chart/line_series.h"
#include "chart/tests/recording_canvas.h"

namespace {

enum Step { kMoveToB, kLeave, kFreeAxis, kFreeSource };
const char* const kStepNames[] = {"move to B, ", "leave, ", "free axis, ", "free source, "};

// Chart A with a custom axis, a source and a follower on that axis; an empty chart B.
struct World {
  World() {
    for (int k = 0; k < 2; ++k) {
      charts[k] = std::make_unique<TChart>(nullptr);
      charts[k]->SetView3D(false);
      RecordWholeChart(*charts[k], targets[k]);
    }
    axis = static_cast<TChartAxis*>(A()->CustomAxes()->Add());
    axis->SetHorizontal(true);
    source->SetParentChart(A());
    source->AddXY(0, 1);
    follower->SetParentChart(A());
    follower->SetDataSource(source);
    follower->SetCustomHorizAxis(axis);
  }
  TChart* A() { return charts[0].get(); }
  void Draw() {
    for (int k = 0; k < 2; ++k)
      if (charts[k]) charts[k]->DrawTo(targets[k].Canvas(), TRect{0, 0, 400, 250});
  }
  void Apply(Step s) {
    if (s == kMoveToB) follower->SetParentChart(charts[1].get());
    if (s == kLeave) follower->SetParentChart(nullptr);
    if (s == kFreeAxis) delete std::exchange(axis, nullptr);
    if (s == kFreeSource) delete std::exchange(source, nullptr);
  }
  // The follower's links, and that it follows its source only inside a chart.
  void Check() {
    TCustomAxisPanel* in = follower->ParentChart();
    EXPECT_EQ(follower->CustomHorizAxis(), axis);
    EXPECT_EQ(follower->GetHorizAxis(), !in ? nullptr : in == A() && axis ? axis : in->BottomAxis());
    if (!source) {
      EXPECT_TRUE(follower->DataSources().empty());
      return;
    }
    EXPECT_EQ(follower->DataSource(), source);
    EXPECT_EQ(std::count(source->LinkedSeries().begin(), source->LinkedSeries().end(), follower), 1);
    const Integer before = follower->Count();
    source->AddXY(source->Count(), 3);
    EXPECT_EQ(follower->Count(), in ? source->Count() : before);
  }

  std::unique_ptr<TChart> charts[2];
  TBitmap targets[2];
  TChartAxis* axis = nullptr;
  TLineSeries* source = new TLineSeries(nullptr);
  TLineSeries* follower = new TLineSeries(nullptr);
};

}  // namespace

TEST(ChartLifetimes, FollowerAxisSourceAndChartsGoInEveryOrder) {
  std::vector<Step> order = {kMoveToB, kLeave, kFreeAxis, kFreeSource};
  do {
    for (bool followerFirst : {true, false}) {
      std::string trace;
      for (Step s : order) trace += kStepNames[s];
      SCOPED_TRACE(trace + (followerFirst ? "follower freed first" : "charts freed first"));
      World w;
      for (Step s : order) {
        w.Apply(s);
        w.Draw();
        w.Check();
      }
      // Back in its first chart: refilled from a living source and following it again.
      w.follower->SetParentChart(w.A());
      w.Draw();
      w.Check();
      if (followerFirst) delete w.follower;
      w.charts[0].reset();
      w.charts[1].reset();
      if (!followerFirst) delete w.follower;
    }
  } while (std::next_permutation(order.begin(), order.end()));
}
