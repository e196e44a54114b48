// Zoom, offsets and depth of 3D views: a turned view fitted to the chart grows and shrinks
// about its centre with the zoom, an offset moves all of it alike, and however deep the
// chart is made its plot keeps room.
#include <gtest/gtest.h>

#include <string>

#include "chart/chart_control.h"
#include "chart/line_series.h"
#include "chart/tests/recording_canvas.h"

namespace {

struct View {
  const char* name;
  bool orthogonal;
  Integer rotation, elevation;
};

struct Ends {
  TPoint first, last;
  TRect plot;
};

Ends DrawView(const View& v, Integer Zoom, Integer HorizOffset, Integer VertOffset) {
  TChart chart{nullptr};
  TBitmap target;
  RecordWholeChart(chart, target);
  chart.View3DOptions()->SetOrthogonal(v.orthogonal);
  chart.View3DOptions()->SetRotation(v.rotation);
  chart.View3DOptions()->SetElevation(v.elevation);
  chart.View3DOptions()->SetZoom(Zoom);
  chart.View3DOptions()->SetHorizOffset(HorizOffset);
  chart.View3DOptions()->SetVertOffset(VertOffset);
  TLineSeries line{nullptr};
  line.SetParentChart(&chart);
  for (Integer i = 0; i < 6; ++i) line.AddXY(i, (i * 7) % 5);
  chart.DrawTo(target.Canvas(), TRect{0, 0, 400, 250});
  TCanvas3D* c = chart.Canvas();
  const Integer last = line.Count() - 1;
  return Ends{c->SpaceToScreen(line.CalcXPos(0), line.CalcYPos(0), line.MiddleZ),
              c->SpaceToScreen(line.CalcXPos(last), line.CalcYPos(last), line.MiddleZ), chart.ChartRect()};
}

TEST(Chart3DZoom, ZoomEnlargesAboutTheCentreAndOffsetsMoveEverythingAlike) {
  const View views[] = {{"turned 320/330", false, 320, 330},
                        {"turned default", false, 345, 345},
                        {"orthogonal", true, 345, 345}};
  for (const View& v : views) {
    SCOPED_TRACE(v.name);
    const Ends plain = DrawView(v, 100, 0, 0);
    const Double span = plain.last.x - plain.first.x;
    ASSERT_GT(span, 150);
    const Double middle = (plain.first.x + plain.last.x) / 2.0;
    for (Integer zoom : {50, 150}) {
      SCOPED_TRACE("zoom " + std::to_string(zoom));
      const Ends z = DrawView(v, zoom, 0, 0);
      // Turned views keep the fitted plotting rectangle; the zoom scales what it shows.
      const Double zoomed = z.last.x - z.first.x;
      EXPECT_TRUE(zoom > 100 ? zoomed > span : zoomed < span) << zoomed;
      if (v.orthogonal) continue;  // its walls take room by the zoom: no exact scale
      EXPECT_EQ(z.plot, plain.plot);
      EXPECT_NEAR(zoomed, span * zoom / 100, 3);
      EXPECT_NEAR((z.first.x + z.last.x) / 2.0, middle, 2);
    }
    for (Integer offset : {-40, 40}) {
      SCOPED_TRACE("offset " + std::to_string(offset));
      const Ends h = DrawView(v, 100, offset, 0);
      EXPECT_EQ(h.first.x - plain.first.x, offset);
      EXPECT_EQ(h.last.x - plain.last.x, offset);
      EXPECT_EQ(h.first.y, plain.first.y);
      EXPECT_EQ(h.last.y, plain.last.y);
      const Ends w = DrawView(v, 100, 0, offset);
      EXPECT_EQ(w.first.y - plain.first.y, offset);
      EXPECT_EQ(w.last.y - plain.last.y, offset);
      EXPECT_EQ(w.first.x, plain.first.x);
    }
  }
}

TEST(Chart3DDepth, ADeepChartKeepsItsPlot) {
  for (bool orthogonal : {true, false}) {
    SCOPED_TRACE(orthogonal ? "orthogonal" : "turned");
    Integer lastDepth = 0;
    for (Integer percent : {15, 40, 100}) {
      SCOPED_TRACE(percent);
      TChart chart{nullptr};
      TBitmap target;
      RecordWholeChart(chart, target);
      chart.View3DOptions()->SetOrthogonal(orthogonal);
      chart.SetChart3DPercent(percent);
      TLineSeries line{nullptr};
      line.SetParentChart(&chart);
      for (Integer i = 0; i < 6; ++i) line.AddXY(i, (i * 7) % 5);
      chart.DrawTo(target.Canvas(), TRect{0, 0, 400, 250});
      // Deeper with the percentage, and the plot at least a third of the chart each way.
      EXPECT_GT(chart.Width3D(), lastDepth);
      lastDepth = chart.Width3D();
      EXPECT_GE(chart.ChartWidth(), 400 / 3);
      EXPECT_GE(chart.ChartHeight(), 250 / 3);
    }
  }
}

}  // namespace
