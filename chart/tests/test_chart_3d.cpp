// A 3D chart drawn whole (orthogonal, 45 degrees): line ribbons with darker undersides,
// point series as solids only, series drawn from the back, the depth axis, and marks.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "chart/chart_control.h"
#include "chart/chart_utils.h"
#include "chart/line_series.h"
#include "chart/tests/recording_canvas.h"

namespace {

// 400 x 250, fixed axes 0..100, no legend; a red line (in front) and a blue point series
// (behind it), the drawing logged.
struct Chart3DRig {
  Chart3DRig() {
    chart.Legend()->SetVisible(false);
    chart.BottomAxis()->SetMinMax(0, 100);
    chart.LeftAxis()->SetMinMax(0, 100);
    canvas = RecordWholeChart(chart, target);
    line.SetTitle("Line");
    line.SetSeriesColor(clRed);
    line.SetParentChart(&chart);
    points.SetTitle("Points");
    points.SetSeriesColor(clBlue);
    points.SetParentChart(&chart);
  }
  void Draw() {
    canvas->ClearLog();
    chart.DrawTo(target.Canvas(), TRect{0, 0, 400, 250});
  }
  // Indices in the log of the polygons filled in one of the colours.
  std::vector<std::size_t> Polygons(std::initializer_list<TColor> Colours) const {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < canvas->Log.size(); ++i) {
      const auto& e = canvas->Log[i];
      if (e.Op == "Polygon" && !e.BrushClear && std::find(Colours.begin(), Colours.end(), e.Brush) != Colours.end())
        out.push_back(i);
    }
    return out;
  }

  TChart chart{nullptr};
  TLineSeries line{nullptr};
  TPointSeries points{nullptr};
  RecordingCanvas* canvas = nullptr;
  TBitmap target;
};

}  // namespace

TEST(Chart3D, RibbonsForLinesOnlyUndersidesDarkerBackSeriesFirstAndTheDepthAxis) {
  Chart3DRig rig;
  // A leg steeper than the 45 degree depth shows its underside; a flat one its top.
  rig.line.AddXY(0, 0);
  rig.line.AddXY(10, 100);
  rig.line.AddXY(100, 100);
  rig.points.AddXY(10, 10);
  rig.points.AddXY(50, 50);
  rig.Draw();
  ASSERT_GT(rig.points.StartZ, rig.line.StartZ);

  const TColor darkRed = DarkenColor(clRed, 48);
  const auto ribbons = rig.Polygons({clRed, darkRed});
  ASSERT_EQ(ribbons.size(), 2u);
  EXPECT_EQ(rig.canvas->Log[ribbons[0]].Brush, darkRed);
  EXPECT_EQ(rig.canvas->Log[ribbons[1]].Brush, clRed);

  // The points stand as cubes: no face reaches from one point to the other.
  const auto cubes = rig.Polygons({clBlue, DarkenColor(clBlue, 48)});
  ASSERT_FALSE(cubes.empty());
  for (std::size_t i : cubes) {
    const auto& a = rig.canvas->Log[i].Args;
    Integer lo = a[0], hi = a[0];
    for (std::size_t k = 0; k < a.size(); k += 2) {
      lo = std::min(lo, a[k]);
      hi = std::max(hi, a[k]);
    }
    EXPECT_LT(hi - lo, 2 * rig.points.Pointer()->HorizSize() + 1 + (rig.points.EndZ - rig.points.StartZ) + 2)
        << rig.canvas->Log[i].Str();
  }
  // The series behind is drawn first.
  EXPECT_LT(cubes.front(), ribbons.front());

  // A click inside the flat ribbon, above its front edge, finds that leg.
  const auto& flat = rig.canvas->Log[ribbons[1]].Args;  // front a, front b, back b, back a
  const Integer cx = (flat[0] + flat[2] + flat[4] + flat[6]) / 4;
  const Integer cy = (flat[1] + flat[3] + flat[5] + flat[7]) / 4;
  EXPECT_EQ(rig.line.Clicked(cx, cy), 1);
  EXPECT_EQ(rig.line.Clicked(cx, cy + 30), -1);

  // The depth axis labels each series along the depth.
  rig.chart.DepthAxis()->SetVisible(true);
  rig.Draw();
  const auto* front = rig.canvas->FindText("Line");
  const auto* back = rig.canvas->FindText("Points");
  ASSERT_NE(front, nullptr);
  ASSERT_NE(back, nullptr);
  // Further back is further right and further up, by the depth between the two.
  const Integer dz = rig.points.MiddleZ - rig.line.MiddleZ;
  ASSERT_GT(dz, 0);
  EXPECT_EQ(back->Args[0] - front->Args[0], dz);
  EXPECT_EQ(front->Args[1] - back->Args[1], dz);
  // A tick at each series' depth, outward from the floor's right edge.
  std::vector<Integer> tickDepths;
  const TChartAxis* depth = rig.chart.DepthAxis();
  for (const auto& e : rig.canvas->Log)
    if (e.Op == "LineZ" && e.Args[0] == depth->LinePixel && e.Args[2] == depth->LinePixel + depth->TickLength())
      tickDepths.push_back(e.Args[4]);
  EXPECT_EQ(tickDepths, (std::vector<Integer>{rig.line.MiddleZ, rig.points.MiddleZ}));
  // The labels stand right of the wall's room.
  EXPECT_GT(front->Args[0], rig.chart.ChartRect().right);
}

TEST(Chart3D, AMarkTextStaysInsideItsFrame) {
  Chart3DRig rig;
  rig.points.AddXY(50, 50, "Mk");
  rig.points.Marks()->SetVisible(true);
  rig.Draw();
  const auto* text = rig.canvas->FindText("Mk");
  ASSERT_NE(text, nullptr);
  // The frame is the last box before the text.
  const RecordingCanvas::Entry* frame = nullptr;
  for (const auto& e : rig.canvas->Log) {
    if (&e == text) break;
    if (e.Op == "Box") frame = &e;
  }
  ASSERT_NE(frame, nullptr);
  rig.chart.Canvas()->SetReferenceCanvas(rig.target.Canvas());
  rig.chart.Canvas()->ApplyFont(rig.points.Marks()->Font());
  const Integer w = rig.chart.Canvas()->MeasureTextWidth("Mk");
  const Integer h = rig.chart.Canvas()->LineHeight();
  EXPECT_GE(text->Args[0], frame->Args[0]);
  EXPECT_LE(text->Args[0] + w, frame->Args[2]);
  EXPECT_GE(text->Args[1], frame->Args[1]);
  EXPECT_LE(text->Args[1] + h, frame->Args[3] + 1);
}
