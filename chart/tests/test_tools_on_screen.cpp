// Tools as the screen shows them: the nearest-point marker drawn and erased between paints
// leaves the window as a fresh paint would; axis arrows are drawn and clicked on the axes as drawn.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "chart/axis_arrow_tool.h"
#include "chart/nearest_point_tool.h"
#include "chart/tests/tool_rig.h"

namespace {

TEST(NearestToolOnScreen, ErasingLeavesWhatAFreshPaintShows) {
  for (auto [style, is3D, buffered] :
       {std::tuple{hsCircle, false, false}, {hsCircle, false, true}, {hsRectangle, true, true}}) {
    SCOPED_TRACE(std::to_string(style) + (is3D ? " 3D" : "") + (buffered ? " buffered" : ""));
    ToolRig rig;
    rig.chart->SetView3D(is3D);
    auto* tool = new TNearestTool(rig.form.get());
    tool->SetParentChart(rig.chart);
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
      auto* arrows = new TAxisArrowTool(rig.form.get());
      arrows->SetParentChart(rig.chart);
      arrows->SetAxis(axis);
      arrows->Brush()->SetColor(clLime);
      arrows->Pen()->SetColor(clLime);
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

}  // namespace
