// Tools as the screen shows them: the nearest-point marker drawn and erased between paints
// leaves the window as a fresh paint would; axis arrows drawn and clicked on every axis,
// flat and in 3D.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/axis_arrow_tool.h"
#include "chart/nearest_point_tool.h"
#include "chart/tests/tool_rig.h"

namespace {

std::vector<TColor> Grab(TCanvas* Canvas) {
  std::vector<TColor> pixels;
  for (Integer y = 0; y < 250; ++y)
    for (Integer x = 0; x < 400; ++x) pixels.push_back(Canvas->Pixels(x, y) & 0xFFFFFF);
  return pixels;
}

TEST(NearestToolOnScreen, ErasingLeavesWhatAFreshPaintShows) {
  const struct {
    const char* name;
    TNearestToolStyle style;
    bool is3D, buffered;
  } cases[] = {
      {"circle", hsCircle, false, false},        {"circle, buffered", hsCircle, false, true},
      {"rectangle", hsRectangle, false, true},  {"diamond", hsDiamond, false, true},
      {"circle in 3D", hsCircle, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRig rig;
    rig.chart->SetView3D(c.is3D);
    TLineSeries* s = rig.AddSeries({{10, 20}, {30, 70}, {50, 40}, {70, 90}, {90, 30}});
    auto* tool = new TNearestTool(rig.form.get());
    tool->SetParentChart(rig.chart);
    tool->SetSeries(s);
    tool->SetStyle(c.style);
    tool->SetFullRepaint(false);  // its default pen: dotted white
    TCanvas* window = rig.chart->ControlCanvas();
    rig.canvas->WriteBuffered(c.buffered);
    rig.chart->DrawTo(window, TRect{0, 0, 400, 250});
    for (auto [x, y] : {std::pair{50, 180}, {120, 60}, {200, 140}, {280, 40}, {330, 170}}) rig.Move(x, y, false);
    const std::vector<TColor> moved = Grab(window);
    rig.chart->DrawTo(window, TRect{0, 0, 400, 250});
    const std::vector<TColor> fresh = Grab(window);
    Integer differ = 0;
    for (std::size_t i = 0; i < moved.size(); ++i) differ += moved[i] != fresh[i];
    EXPECT_EQ(differ, 0);
  }
}

TEST(AxisArrowToolOnScreen, ArrowsLieOnEveryAxisAsDrawnAndScrollIt) {
  struct Case {
    const char* name;
    TChartAxis* (TCustomAxisPanel::*axis)() const;
    bool is3D;
  };
  const Case cases[] = {
      {"left", &TCustomAxisPanel::LeftAxis, false},       {"right", &TCustomAxisPanel::RightAxis, false},
      {"top", &TCustomAxisPanel::TopAxis, false},         {"bottom", &TCustomAxisPanel::BottomAxis, false},
      {"left, 3D", &TCustomAxisPanel::LeftAxis, true},    {"right, 3D", &TCustomAxisPanel::RightAxis, true},
      {"top, 3D", &TCustomAxisPanel::TopAxis, true},      {"bottom, 3D", &TCustomAxisPanel::BottomAxis, true},
      {"depth, 3D", &TCustomAxisPanel::DepthAxis, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRig rig;
    rig.chart->SetView3D(c.is3D);
    rig.chart->SetAxisVisible(true);
    TLineSeries* s = rig.AddSeries();
    s->SetHorizAxis(aTopAxis);
    s->SetVertAxis(aRightAxis);
    rig.AddSeries();  // and one on the left and bottom axes
    TChartAxis* axis = (rig.chart->*c.axis)();
    axis->SetVisible(true);
    axis->SetMinMax(0, 100);
    auto* arrows = new TAxisArrowTool(rig.form.get());
    arrows->SetParentChart(rig.chart);
    arrows->SetAxis(axis);
    arrows->Brush()->SetColor(clLime);
    arrows->Pen()->SetColor(clLime);
    rig.Draw();
    // 5 pixels inside each end, on the axis line as the view projects it (the depth axis
    // runs along the floor's right edge).
    auto onAxis = [&](Integer along) {
      TPoint p = axis->Horizontal() ? TPoint{along, axis->LinePixel} : TPoint{axis->LinePixel, along};
      Integer z = 0;
      if (axis->IsDepthAxis()) {
        p = TPoint{axis->LinePixel, rig.chart->ChartRect().bottom};
        z = along;
      }
      return rig.chart->Canvas()->SpaceToScreen(p.x, p.y, z);
    };
    const TPoint start = onAxis(axis->StartPixel + 5), end = onAxis(axis->EndPixel - 5);
    EXPECT_EQ(rig.At(start.x, start.y), static_cast<TColor>(clLime));
    EXPECT_EQ(rig.At(end.x, end.y), static_cast<TColor>(clLime));
    // A click there scrolls by a tenth of the range.
    rig.Down(start.x, start.y);
    rig.Up(start.x, start.y);
    EXPECT_EQ(axis->Minimum(), 10);
    for (int i = 0; i < 2; ++i) {
      rig.Down(end.x, end.y);
      rig.Up(end.x, end.y);
    }
    EXPECT_EQ(axis->Minimum(), -10);
    EXPECT_EQ(axis->Maximum(), 90);
  }
}

}  // namespace
