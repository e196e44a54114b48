// 3D views: a turned view fitted to the chart grows and shrinks about its centre with the
// zoom, an offset moves all of it alike, and however deep the chart is made its plot keeps room.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "chart/chart_control.h"
#include "chart/line_series.h"
#include "chart/tests/recording_canvas.h"

namespace {

struct Shot { TPoint first, last; TRect plot; Integer depth; };  // the line's ends on the screen

Shot DrawView(bool Orthogonal, Integer Rotation, Integer Elevation, Integer Zoom, TPoint Offset = {0, 0},
              Integer DepthPercent = 15) {
  TChart chart{nullptr};
  TBitmap target;
  RecordWholeChart(chart, target);
  TView3DOptions* o = chart.View3DOptions();
  o->SetOrthogonal(Orthogonal);
  o->SetRotation(Rotation);
  o->SetElevation(Elevation);
  o->SetZoom(Zoom);
  o->SetHorizOffset(Offset.x);
  o->SetVertOffset(Offset.y);
  chart.SetChart3DPercent(DepthPercent);
  TLineSeries line{nullptr};
  line.SetParentChart(&chart);
  for (Integer i = 0; i < 6; ++i) line.AddXY(i, (i * 7) % 5);
  chart.DrawTo(target.Canvas(), TRect{0, 0, 400, 250});
  const auto at = [&](Integer i) {
    return chart.Canvas()->SpaceToScreen(line.CalcXPos(i), line.CalcYPos(i), line.MiddleZ);
  };
  return Shot{at(0), at(5), chart.ChartRect(), chart.Width3D()};
}

TEST(Chart3DZoom, ZoomEnlargesAboutTheCentreAndOffsetsMoveEverythingAlike) {
  for (auto [orthogonal, rotation, elevation] : {std::tuple{false, 320, 330}, {false, 345, 345}, {true, 345, 345}}) {
    SCOPED_TRACE(std::to_string(rotation) + (orthogonal ? " orthogonal" : " turned"));
    const Shot plain = DrawView(orthogonal, rotation, elevation, 100);
    const Double span = plain.last.x - plain.first.x, middle = (plain.first.x + plain.last.x) / 2.0;
    ASSERT_GT(span, 150);
    for (Integer zoom : {50, 150}) {
      SCOPED_TRACE("zoom " + std::to_string(zoom));
      const Shot z = DrawView(orthogonal, rotation, elevation, zoom);
      const Double zoomed = z.last.x - z.first.x;
      EXPECT_TRUE(zoom > 100 ? zoomed > span : zoomed < span) << zoomed;
      if (orthogonal) continue;  // its walls take room by the zoom: no exact scale
      EXPECT_EQ(z.plot, plain.plot);
      EXPECT_NEAR(zoomed, span * zoom / 100, 3);
      EXPECT_NEAR((z.first.x + z.last.x) / 2.0, middle, 2);
    }
    for (TPoint d : {TPoint{-40, 0}, TPoint{40, 0}, TPoint{0, -40}, TPoint{0, 40}}) {
      SCOPED_TRACE("offset " + std::to_string(d.x) + "," + std::to_string(d.y));
      const Shot o = DrawView(orthogonal, rotation, elevation, 100, d);
      EXPECT_EQ(o.first, (TPoint{plain.first.x + d.x, plain.first.y + d.y}));
      EXPECT_EQ(o.last, (TPoint{plain.last.x + d.x, plain.last.y + d.y}));
    }
  }
}

TEST(Chart3DDepth, ADeepChartKeepsAThirdOfItsPlotEachWay) {
  for (bool orthogonal : {true, false}) {
    SCOPED_TRACE(orthogonal ? "orthogonal" : "turned");
    const Shot deep = DrawView(orthogonal, 345, 345, 100, {0, 0}, 100);
    EXPECT_GT(deep.depth, DrawView(orthogonal, 345, 345, 100).depth);
    EXPECT_GE(deep.plot.right - deep.plot.left, 400 / 3);
    EXPECT_GE(deep.plot.bottom - deep.plot.top, 250 / 3);
  }
}

}  // namespace
