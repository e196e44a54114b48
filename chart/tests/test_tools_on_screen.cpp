// Tools as the screen shows them: the nearest-point marker drawn and erased between paints
// leaves the window as a fresh paint would; axis arrows are drawn and clicked on the axes as
// drawn; in every view the mouse places things under it and hits them where they are drawn.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "chart/axis_arrow_tool.h"
#include "chart/chart_utils.h"
#include "chart/color_line_tool.h"
#include "chart/cursor_tool.h"
#include "chart/drag_marks_tool.h"
#include "chart/draw_line_tool.h"
#include "chart/nearest_point_tool.h"
#include "chart/series_marks.h"
#include "chart/tests/tool_rig.h"

namespace {

// Where the canvas draws the chart point P at depth Z.
TPoint Drawn(ToolRig& Rig, TPoint P, Integer Z) { return Rig.chart->Canvas()->SpaceToScreen(P.x, P.y, Z); }
bool Near(TPoint A, TPoint B) { return std::abs(A.x - B.x) <= 2 && std::abs(A.y - B.y) <= 2; }
void Drag(ToolRig& Rig, TPoint From, TPoint To, TMouseButton Button = mbLeft) {
  Rig.Down(From.x, From.y, Button), Rig.Move(To.x, To.y), Rig.Up(To.x, To.y, Button), Rig.Draw();
}
// A tool drawn in lime, to be told apart from the chart.
template <class T>
T* AddTool(ToolRig& Rig) {
  auto* t = Rig.AddTool<T>();
  t->Pen()->SetColor(clLime), t->Brush()->SetColor(clLime);
  return t;
}

TEST(NearestToolOnScreen, ErasingLeavesWhatAFreshPaintShows) {
  for (auto [style, is3D, buffered] :
       {std::tuple{hsCircle, false, false}, {hsCircle, false, true}, {hsRectangle, true, true}}) {
    SCOPED_TRACE(std::to_string(style) + (is3D ? " 3D" : "") + (buffered ? " buffered" : ""));
    ToolRig rig;
    rig.chart->SetView3D(is3D);
    auto* tool = rig.AddTool<TNearestTool>();
    tool->SetSeries(rig.AddSeries({{10, 20}, {30, 70}, {50, 40}, {70, 90}, {90, 30}}));
    tool->SetStyle(style);
    tool->SetFullRepaint(false);  // its default pen: dotted white
    TCanvas* window = rig.chart->ControlCanvas();
    const auto grab = [&] {
      std::vector<TColor> pixels;
      for (Integer i = 0; i < 400 * 250; ++i) pixels.push_back(window->Pixels(i % 400, i / 400) & 0xFFFFFF);
      return pixels;
    };
    rig.canvas->WriteBuffered(buffered);
    rig.chart->DrawTo(window, TRect{0, 0, 400, 250});
    for (auto [x, y] : {std::pair{50, 180}, {120, 60}, {200, 140}, {280, 40}, {330, 170}}) rig.Move(x, y, false);
    const std::vector<TColor> moved = grab();
    rig.chart->DrawTo(window, TRect{0, 0, 400, 250});
    EXPECT_TRUE(moved == grab()) << "the marker left pixels behind";
  }
}

TEST(AxisArrowToolOnScreen, ArrowsLieOnEveryAxisAsDrawnAndScrollIt) {
  const std::array axes{&TCustomAxisPanel::LeftAxis, &TCustomAxisPanel::RightAxis, &TCustomAxisPanel::TopAxis,
                        &TCustomAxisPanel::BottomAxis, &TCustomAxisPanel::DepthAxis};
  for (bool is3D : {false, true})
    for (std::size_t k = 0; k < (is3D ? 5 : 4); ++k) {
      SCOPED_TRACE("axis " + std::to_string(k) + (is3D ? " in 3D" : ""));
      ToolRig rig;
      TChartAxis* axis = (rig.chart->*axes[k])();
      rig.chart->SetView3D(is3D);
      TLineSeries* s = rig.AddSeries();
      s->SetHorizAxis(aTopAxis);
      s->SetVertAxis(aRightAxis);
      rig.AddSeries();  // and one on the left and bottom axes
      axis->SetVisible(true);
      axis->SetMinMax(0, 100);
      auto* arrows = AddTool<TAxisArrowTool>(rig);
      arrows->SetAxis(axis);
      rig.Draw();
      // 5 pixels inside each end, on the axis line as the view projects it (the depth axis
      // runs along the floor's right edge).
      auto onAxis = [&](Integer along) {
        if (axis->IsDepthAxis())
          return rig.chart->Canvas()->SpaceToScreen(axis->LinePixel, rig.chart->ChartRect().bottom, along);
        return axis->Horizontal() ? rig.chart->Canvas()->SpaceToScreen(along, axis->LinePixel, 0)
                                  : rig.chart->Canvas()->SpaceToScreen(axis->LinePixel, along, 0);
      };
      const TPoint start = onAxis(axis->StartPixel + 5), end = onAxis(axis->EndPixel - 5);
      // Drawn there, and a click there scrolls by a tenth of the range: once forward, twice back.
      for (TPoint p : {start, end, end}) {
        EXPECT_EQ(rig.At(p.x, p.y), static_cast<TColor>(clLime));
        rig.Down(p.x, p.y);
        rig.Up(p.x, p.y);
      }
      EXPECT_EQ(axis->Minimum(), -10);
    }
}

TEST(ToolsInEveryView, TheMousePlacesUnderItAndHitsWhatIsDrawn) {
  // Each row: whether what the mouse at m placed is drawn under it, and whether a click
  // where it is drawn hits it.
  using Row = std::function<std::pair<bool, bool>(ToolRig&, TLineSeries*, TPoint)>;
  const std::vector<std::pair<const char*, Row>> rows = {
      {"draw line", [](ToolRig& rig, TLineSeries*, TPoint m) {
         auto* t = AddTool<TDrawLineTool>(rig);
         Drag(rig, m, {m.x + 60, m.y + 40});
         const TDrawLine* line = t->Lines()->Count() == 1 ? t->Lines()->Line(0) : nullptr;
         const TPoint d = line ? Drawn(rig, t->AxisPoint(line->StartPos), 0) : TPoint{-9, -9};
         return std::pair{line && Near(d, m) && Near(Drawn(rig, t->AxisPoint(line->EndPos), 0), {m.x + 60, m.y + 40}),
                          t->AnyLineUnder(d.x, d.y) != nullptr};
       }},
      {"cursor", [](ToolRig& rig, TLineSeries*, TPoint m) {
         auto* t = AddTool<TCursorTool>(rig);
         rig.Draw();  // placed in the middle
         Drag(rig, Drawn(rig, {t->LineX(), t->LineY()}, 0), m);
         const TPoint d = Drawn(rig, {t->LineX(), t->LineY()}, 0);
         return std::pair{Near(d, m), t->HitTest(d.x, d.y) == 3};
       }},
      {"colour line", [](ToolRig& rig, TLineSeries*, TPoint m) {
         auto* t = AddTool<TColorLineTool>(rig);
         t->SetAxis(rig.chart->BottomAxis()), t->SetValue(50), rig.Draw();
         const TRect& r = rig.chart->ChartRect();
         auto part = [&](Integer y, Integer z) { return Drawn(rig, {t->Axis()->ValueToPos(t->Value()), y}, z); };
         const TPoint c = part((r.top + r.bottom) / 2, 0);
         Drag(rig, c, {m.x, c.y});
         // The mouse's distance to the front part; then its front and back hit.
         const TPoint top = part(r.top, 0), bottom = part(r.bottom, 0), front = part(c.y, 0);
         const TPoint back = part(c.y, rig.chart->Width3D());
         const Double dx = bottom.x - top.x, dy = bottom.y - top.y;
         const Double miss = std::fabs(dy * (m.x - top.x) - dx * (c.y - top.y)) / std::hypot(dx, dy);
         return std::pair{miss <= 2, t->Clicked(front.x, front.y) && t->Clicked(back.x, back.y)};
       }},
      {"drag marks", [](ToolRig& rig, TLineSeries* s, TPoint m) {
         s->Marks()->SetVisible(true);
         AddTool<TDragMarksTool>(rig);
         rig.Draw();
         auto box = [&] {  // the mark's box is drawn flat, moved with its projected anchor
           const TSeriesMarkPosition* p = s->Marks()->Positions()->Position(2);
           const TPoint a = Drawn(rig, p->ArrowEnd, s->Marks()->Depth), c = RectCenter(p->Bounds());
           return TPoint{c.x + a.x - p->ArrowEnd.x, c.y + a.y - p->ArrowEnd.y};
         };
         const TPoint c = box();
         const bool hit = s->Marks()->HitTest(c.x, c.y) == 2;
         Drag(rig, c, m);
         return std::pair{Near(box(), m), hit};
       }},
      {"nearest point", [](ToolRig& rig, TLineSeries* s, TPoint) {
         auto* t = AddTool<TNearestTool>(rig);
         t->SetSeries(s);
         const TPoint d = Drawn(rig, {s->CalcXPos(3), s->CalcYPos(3)}, s->MiddleZ);
         rig.Move(d.x, d.y, false);
         return std::pair{t->Point() == 3, t->GetNearestPoint(d.x, d.y) == 3};
       }},
      {"axis arrows", [](ToolRig& rig, TLineSeries*, TPoint) {
         TChartAxis* a = rig.chart->BottomAxis();
         // Its ends in sight when zoomed.
         a->SetVisible(true), a->SetStartPosition(20), a->SetEndPosition(80), a->SetPositionPercent(30);
         AddTool<TAxisArrowTool>(rig)->SetAxis(a);
         rig.Draw();
         const TPoint d = Drawn(rig, {a->StartPixel + 5, a->LinePixel}, 0);
         const bool drawn = rig.At(d.x, d.y) == static_cast<TColor>(clLime);
         rig.Down(d.x, d.y), rig.Up(d.x, d.y);
         return std::pair{drawn, a->Minimum() == 10};
       }},
      {"mouse zoom and pan", [](ToolRig& rig, TLineSeries* s, TPoint) {
         // A zoom from the point (30, 70) to (70, 30) as drawn, then a pan of (50, 40).
         auto at = [&](Integer i) { return Drawn(rig, {s->CalcXPos(i), s->CalcYPos(i)}, s->MiddleZ); };
         Drag(rig, at(1), at(3));
         auto on = [](TChartAxis* x) { return std::fabs(x->Minimum() - 30) < 1 && std::fabs(x->Maximum() - 70) < 1; };
         const bool zoomed = on(rig.chart->BottomAxis()) && on(rig.chart->LeftAxis());
         const TPoint a = at(2), b{a.x + 40, a.y + 20};
         Drag(rig, a, b, mbRight);
         return std::pair{zoomed, Near(at(2), b)};
       }},
  };
  struct View { const char* Name; bool Is3D, Orthogonal; Integer Zoom; };
  for (const View& v :
       {View{"2D", false, true, 100}, View{"zoom 140", true, true, 140}, View{"turned", true, false, 100}})
    for (const auto& [name, row] : rows) {
      SCOPED_TRACE(std::string(name) + " in " + v.Name);
      ToolRig rig;
      rig.chart->SetView3D(v.Is3D);
      TView3DOptions* o = rig.chart->View3DOptions();
      o->SetOrthogonal(v.Orthogonal), o->SetZoom(v.Zoom), o->SetRotation(330), o->SetElevation(340);
      TLineSeries* s = rig.AddSeries({{10, 20}, {30, 70}, {50, 40}, {70, 30}, {90, 80}});
      rig.Draw();
      const auto [under, hit] = row(rig, s, TPoint{150, 90});
      EXPECT_TRUE(under) << "placed away from the mouse";
      EXPECT_TRUE(hit) << "missed where drawn";
    }
}

TEST(AxisArrowToolOnScreen, AnAxisTheChartDoesNotDrawGetsNoArrows) {
  ToolRig rig;
  rig.AddSeries();  // on the left and bottom axes: the top axis is not drawn
  TChartAxis* top = rig.chart->TopAxis();
  top->SetVisible(true), top->SetMinMax(0, 100);
  auto* arrows = AddTool<TAxisArrowTool>(rig);
  arrows->SetAxis(top);
  rig.Draw();
  const TPoint p = arrows->OnAxisLine(top->StartPixel + 5);
  EXPECT_EQ(arrows->ArrowAt(p.x, p.y), -1);
  rig.Down(p.x, p.y), rig.Up(p.x, p.y);
  EXPECT_TRUE(rig.canvas->Find("Arrow") == nullptr && top->Minimum() == 0);
}

}  // namespace
