// Points outside the axes' ranges: lines to points far off the screen still cross the view,
// and the marks of points the axes do not show stay off.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/tests/tool_rig.h"

namespace {

// The rig's plotting rectangle is (12, 10)-(388, 240); its axes run 0..100.
TEST(SeriesOffRange, LinesToFarPointsCrossTheView) {
  const struct {
    const char* name;
    bool area, is3D;
    Double from, to;     // the bottom axis' range
    TPoint probe;        // a pixel the series must cover ((-1, -1): beside point 1 near the top)
  } cases[] = {
      // Points 1 and 3 at x 106 and 294, point 2 a million up: two steep lines to the top.
      {"steep up", false, false, 0, 4, {107, 12}},
      {"steep down", false, false, 0, 4, {293, 12}},
      {"area under a far point", true, false, 0, 4, {150, 30}},
      {"3D ribbon", false, true, 0, 4, {-1, -1}},
      // 500 times into the line from (0, 10) to (1, 50), both its ends far off: y 30 at 0.501.
      {"zoomed in", false, false, 0.5, 0.502, {200, 171}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRig rig;
    TLineSeries* s = rig.AddSeries({{0, 10}, {1, 50}, {2, 1e6}, {3, 40}, {4, 60}});
    s->SetSeriesColor(clRed);
    s->SetDrawArea(c.area);
    rig.chart->SetView3D(c.is3D);
    rig.chart->BottomAxis()->SetMinMax(c.from, c.to);
    rig.Draw();
    // In 3D the steep leg leaves point 1 almost straight up, at the series' front.
    const TPoint probe = c.probe.x >= 0 ? c.probe
                                        : rig.chart->Canvas()->SpaceToScreen(s->CalcXPos(1) + 1,
                                                                             rig.chart->ChartRect().top + 10, s->StartZ);
    bool hit = false;
    for (Integer dx = -2; dx <= 2; ++dx) hit = hit || rig.At(probe.x + dx, probe.y) == clRed;
    EXPECT_TRUE(hit) << probe.x << "," << probe.y;
  }
}

TEST(SeriesOffRange, MarksOfPointsOutsideTheAxesStayOff) {
  struct Case {
    const char* name;
    Double minX, maxX, minY, maxY;
    std::vector<std::string> shown;
  };
  // Points (i, 10 i) labelled "Mi", i = 0..5.
  const Case cases[] = {
      {"inside both", -1, 6, -10, 60, {"M0", "M1", "M2", "M3", "M4", "M5"}},
      {"past both ends across", 0.5, 4.5, -10, 60, {"M1", "M2", "M3", "M4"}},
      {"above and below", -1, 6, 15, 45, {"M2", "M3", "M4"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRig rig;
    TLineSeries* s = rig.AddSeries({});
    for (Integer i = 0; i <= 5; ++i) s->AddXY(i, 10 * i, "M" + std::to_string(i));
    s->Marks()->SetVisible(true);
    rig.chart->BottomAxis()->SetMinMax(c.minX, c.maxX);
    rig.chart->LeftAxis()->SetMinMax(c.minY, c.maxY);
    rig.Draw();
    std::vector<std::string> drawn;
    for (Integer i = 0; i <= 5; ++i)
      if (rig.canvas->FindText("M" + std::to_string(i))) drawn.push_back("M" + std::to_string(i));
    EXPECT_EQ(drawn, c.shown);
  }
}

}  // namespace
