// A 3D chart drawn whole (orthogonal, 45 degrees): line ribbons with darker undersides,
// point series as solids only, series drawn from the back, the depth axis, and marks;
// the default chart in zoomed and turned views: its layout, clip and hit tests; the lines
// under areas.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "chart/chart_control.h"
#include "chart/chart_tools.h"
#include "chart/chart_utils.h"
#include "chart/drag_marks_tool.h"
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

// ---- views: orthogonal, zoomed, turned, with perspective -----------------------------------

namespace {

bool Inside(const TPoint& P, const TRect& R) {
  return P.x >= R.left && P.x < R.right && P.y >= R.top && P.y < R.bottom;
}

}  // namespace

TEST(Chart3DViews, TheDefaultChartStaysInItsPlacesAndIsHitWhereDrawn) {
  const struct {
    const char* Name;
    bool Orthogonal;
    Integer Zoom, Perspective, Percent;
  } views[] = {
      {"orthogonal", true, 100, 0, 15}, {"zoom 50", true, 50, 0, 15},      {"deep", true, 100, 0, 40},
      {"turned", false, 100, 0, 15},    {"turned, zoom 50", false, 50, 0, 15}, {"turned, deep", false, 100, 0, 60},
      {"turned, perspective", false, 100, 60, 40},
  };
  const std::vector<std::string> screenOps = {"Line", "MoveTo",  "LineTo",  "Polygon",
                                              "Box",  "BoxRect", "Ellipse", "Text"};
  for (const auto& v : views) {
    SCOPED_TRACE(v.Name);
    // The chart made in code (3D, legend on the right) with a title, a line and small
    // crosses reaching the top and the right end of their range, marks on every 4th.
    TChart chart{nullptr};
    TBitmap target;
    RecordingCanvas* log = RecordWholeChart(chart, target);
    chart.Title()->Text()->Add("Title");
    chart.View3DOptions()->SetOrthogonal(v.Orthogonal);
    chart.View3DOptions()->SetZoom(v.Zoom);
    chart.View3DOptions()->SetPerspective(v.Perspective);
    chart.SetChart3DPercent(v.Percent);
    TLineSeries line{nullptr};
    TPointSeries points{nullptr};
    line.SetParentChart(&chart);
    points.SetParentChart(&chart);
    points.Pointer()->SetStyle(psCross);
    points.Pointer()->SetHorizSize(2);
    points.Pointer()->SetVertSize(2);
    points.Marks()->SetVisible(true);
    points.Marks()->SetDrawEvery(4);
    for (Integer i = 0; i <= 10; ++i) {
      line.AddXY(i, (i * 37) % 11);
      points.AddXY(i, (i * 53) % 11, "M" + std::to_string(i));
    }
    chart.DrawTo(target.Canvas(), TRect{0, 0, 400, 250});
    TCanvas3D* c = chart.Canvas();

    // Titles and legend took their room first: the walls stay clear of both.
    TRect block = chart.ChartRect();
    block.left -= chart.LeftWall()->Size();
    block.bottom += chart.BottomWall()->Size();
    const TRect walls = c->ProjectedBounds(block, 0, chart.Width3D() + chart.BackWall()->Size());
    EXPECT_LE(chart.Title()->ShapeBounds.bottom, walls.top);
    EXPECT_GE(chart.Legend()->ShapeBounds.left, walls.right);
    // Nothing runs over the chart's bounds.
    for (const auto& e : log->Log) {
      if (std::find(screenOps.begin(), screenOps.end(), e.Op) == screenOps.end()) continue;
      for (std::size_t k = 0; k + 1 < e.Args.size(); k += 2)
        EXPECT_TRUE(Inside(TPoint{e.Args[k], e.Args[k + 1]}, TRect{0, 0, 401, 251})) << e.Str();
    }
    // Each series' clip holds every point (with its cross) at the front and the back.
    std::vector<TRect> clips;
    for (std::size_t i = 0; i + 1 < log->Log.size(); ++i)
      if (log->Log[i].Op == "ClipCube" && log->Log[i + 1].Op == "Clip") {
        const auto& a = log->Log[i + 1].Args;
        clips.push_back(TRect{a[0], a[1], a[2], a[3]});
      }
    ASSERT_EQ(clips.size(), 2u);
    for (TCustomSeries* s : {static_cast<TCustomSeries*>(&line), static_cast<TCustomSeries*>(&points)}) {
      const Integer reach = s == &points ? 2 : 0;
      for (Integer i = 0; i < s->Count(); ++i)
        for (Integer d : {-reach, reach})
          for (Integer z : {s->StartZ, s->EndZ}) {
            const TPoint p = c->SpaceToScreen(s->CalcXPos(i) + d, s->CalcYPos(i) - d, z);
            for (const TRect& clip : clips) EXPECT_TRUE(Inside(p, clip)) << i;
          }
    }

    // Hit tests answer where things are drawn: an axis line, a point, a mark's text.
    const TPoint centre = RectCenter(chart.ChartRect());
    for (TChartAxis* axis : {chart.BottomAxis(), chart.LeftAxis()}) {
      const TPoint on = axis->Horizontal() ? c->SpaceToScreen(axis->CenterPixel, axis->LinePixel, 0)
                                           : c->SpaceToScreen(axis->LinePixel, axis->CenterPixel, 0);
      EXPECT_TRUE(axis->HitTest(on.x, on.y));
      const TPoint off = c->SpaceToScreen(centre.x, centre.y, 0);
      EXPECT_FALSE(axis->HitTest(off.x, off.y));
    }
    for (Integer i : {0, 4, 8}) {
      const TPoint p = c->SpaceToScreen(points.CalcXPos(i), points.CalcYPos(i), points.StartZ);
      EXPECT_EQ(points.Clicked(p.x, p.y), i);
      const auto* text = log->FindText("M" + std::to_string(i));
      ASSERT_NE(text, nullptr);
      EXPECT_EQ(points.Marks()->HitTest(text->Args[0] + 2, text->Args[1] + 2), i);
    }
    EXPECT_EQ(points.Marks()->HitTest(1, 1), -1);

    // A mark dragged by the tool follows the mouse on the screen.
    TDragMarksTool drag(nullptr);
    drag.SetParentChart(&chart);
    const TPoint grab{log->FindText("M4")->Args[0] + 2, log->FindText("M4")->Args[1] + 2};
    drag.ChartMouseEvent(cmeDown, mbLeft, TShiftState{}, grab.x, grab.y);
    drag.ChartMouseEvent(cmeMove, mbLeft, TShiftState{}, grab.x + 12, grab.y + 8);
    drag.ChartMouseEvent(cmeUp, mbLeft, TShiftState{}, grab.x + 12, grab.y + 8);
    log->ClearLog();
    chart.DrawTo(target.Canvas(), TRect{0, 0, 400, 250});
    EXPECT_NEAR(log->FindText("M4")->Args[0], grab.x - 2 + 12, 1);
    EXPECT_NEAR(log->FindText("M4")->Args[1], grab.y - 2 + 8, 1);
    drag.SetParentChart(nullptr);
  }
}

TEST(ChartAreaLines, EveryPointKeepsItsLineUnderTheAreaIn2DAnd3D) {
  for (bool is3D : {false, true}) {
    SCOPED_TRACE(is3D ? "3D" : "2D");
    TChart chart{nullptr};
    TBitmap target;
    RecordWholeChart(chart, target);
    chart.SetView3D(is3D);
    chart.Legend()->SetVisible(false);
    chart.BottomAxis()->SetMinMax(0, 100);
    chart.LeftAxis()->SetMinMax(0, 100);
    TLineSeries s{nullptr};
    s.SetParentChart(&chart);
    s.SetSeriesColor(clBlue);
    s.SetDrawArea(true);
    s.SetAreaColor(clLime);
    s.AreaLinesPen()->SetColor(clRed);
    for (const auto& [x, y] : {std::pair{10, 60}, {30, 80}, {50, 70}, {70, 50}, {90, 60}}) s.AddXY(x, y);
    chart.DrawTo(target.Canvas(), TRect{0, 0, 400, 250});
    for (Integer i = 1; i < s.Count(); ++i) {
      const Integer x = s.CalcXPos(i);
      const Integer mid = (s.CalcYPos(i) + s.GetOriginPos(i)) / 2;
      const TPoint p = chart.Canvas()->SpaceToScreen(x, mid, s.StartZ);
      EXPECT_EQ(target.Canvas()->Pixels(p.x, p.y) & 0xFFFFFF, clRed) << "point " << i;
      // Beside it the area itself.
      EXPECT_EQ(target.Canvas()->Pixels(p.x - 3, p.y) & 0xFFFFFF, clLime) << "point " << i;
    }
  }
}

// Turned views show the chart from above and right of its front, as the orthogonal view
// does: the back lies up and right of the front, and the axes' labels stand outside the
// left wall and below the floor.
TEST(Chart3DViews, TurnedViewsLookFromAboveAndRightWithLabelsOutsideTheWalls) {
  const struct {
    const char* Name;
    Integer Rotation, Elevation, Perspective, Zoom;
  } views[] = {
      {"default", 345, 345, 0, 100},     {"turned far", 310, 320, 0, 100}, {"nearly frontal", 355, 358, 0, 100},
      {"perspective", 330, 340, 60, 100}, {"zoomed", 340, 340, 20, 80},
  };
  for (const auto& v : views) {
    SCOPED_TRACE(v.Name);
    TChart chart{nullptr};
    TBitmap target;
    RecordingCanvas* log = RecordWholeChart(chart, target);
    chart.Legend()->SetVisible(false);
    chart.View3DOptions()->SetOrthogonal(false);
    chart.View3DOptions()->SetRotation(v.Rotation);
    chart.View3DOptions()->SetElevation(v.Elevation);
    chart.View3DOptions()->SetPerspective(v.Perspective);
    chart.View3DOptions()->SetZoom(v.Zoom);
    chart.LeftWall()->SetSize(4);
    chart.BottomWall()->SetSize(4);
    TLineSeries line{nullptr};
    line.SetParentChart(&chart);
    for (Integer i = 0; i < 5; ++i) line.AddXY(i, 10 * i, "x" + std::to_string(i));
    std::size_t axesFrom = 0, axesTo = 0;
    chart.OnBeforeDrawAxes = [&](TObject*) { axesFrom = log->Log.size(); };
    chart.OnBeforeDrawSeries = [&](TObject*) { axesTo = log->Log.size(); };
    chart.DrawTo(target.Canvas(), TRect{0, 0, 400, 250});
    TCanvas3D* c = chart.Canvas();

    const TRect r = chart.ChartRect();
    const TPoint centre = RectCenter(r);
    const TPoint front = c->SpaceToScreen(centre.x, centre.y, 0);
    const TPoint back = c->SpaceToScreen(centre.x, centre.y, chart.Width3D());
    EXPECT_GT(back.x, front.x);
    EXPECT_LT(back.y, front.y);

    const Integer floorBottom = r.bottom + chart.BottomWall()->Size();
    // The left wall's outer front edge, from its top to the floor.
    const TPoint top = c->SpaceToScreen(r.left - chart.LeftWall()->Size(), r.top, 0);
    const TPoint foot = c->SpaceToScreen(r.left - chart.LeftWall()->Size(), floorBottom, 0);
    // The floor's front edge, from its left corner to its right one.
    const TPoint a = c->SpaceToScreen(r.left, floorBottom, 0), b = c->SpaceToScreen(r.right, floorBottom, 0);
    c->SetReferenceCanvas(target.Canvas());
    c->ApplyFont(chart.LeftAxis()->LabelsFont());
    // Labels are drawn in the font scaled with the view.
    TFont* font = target.Canvas()->Font();
    font->SetHeight(RoundToPixel(font->Height() * chart.Canvas()->TextZoom()));
    int numbers = 0, names = 0;
    ASSERT_LT(axesFrom, axesTo);
    for (std::size_t i = axesFrom; i < axesTo; ++i) {
      const auto& e = log->Log[i];
      if (e.Op != "Text") continue;
      if (e.Text[0] == 'x') {
        ++names;  // bottom axis: its top-left corner below the floor's front edge
        const Double edge = a.y + static_cast<Double>(b.y - a.y) * (e.Args[0] - a.x) / (b.x - a.x);
        EXPECT_GE(e.Args[1], edge - 1) << e.Str();
      } else {
        ++numbers;  // left axis: left of the wall
        const Double y = e.Args[1] + c->LineHeight() / 2;
        const Double edge = top.x + static_cast<Double>(foot.x - top.x) * (y - top.y) / (foot.y - top.y);
        EXPECT_LE(e.Args[0] + c->MeasureTextWidth(e.Text), edge + 1) << e.Str();
      }
    }
    EXPECT_EQ(names, 5);
    EXPECT_GE(numbers, 3);
  }
}
