// Points outside the axes' ranges: lines to points far off the screen still cross the view,
// and the marks of points the axes do not show stay off.
#include <gtest/gtest.h>

#include <string>

#include "chart/tests/tool_rig.h"

namespace {

// The rig's plotting rectangle is (12, 10)-(388, 240); its vertical axis runs 0..100.
TEST(SeriesOffRange, LinesToFarPointsCrossTheViewAndHiddenPointsHaveNoMarks) {
  // The bottom axis' range, a pixel the series must cover ((-1, -1): just right of point 1,
  // near the top) and the points whose marks are drawn.
  const struct { const char* name; bool area, is3D; Double from, to; TPoint probe; std::string marks; } cases[] = {
      {"steep up to a far point", false, false, 0, 4, {-1, -1}, "0134"},
      {"area under a far point", true, false, 0, 4, {150, 30}, "0134"},
      {"3D ribbon", false, true, 0, 4, {-1, -1}, "0134"},
      // 500 times into the line from (0, 10) to (1, 50), both its ends off the view: y 30 at 0.501.
      {"zoomed in", false, false, 0.5, 0.502, {200, 171}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRig rig;
    TLineSeries* s = rig.AddSeries({});
    const Double ys[] = {10, 50, 1e6, 40, 60};
    for (Integer i = 0; i < 5; ++i) s->AddXY(i, ys[i], "M" + std::to_string(i));
    s->SetSeriesColor(clRed);
    s->SetDrawArea(c.area);
    s->Marks()->SetVisible(true);
    rig.chart->SetView3D(c.is3D);
    rig.chart->BottomAxis()->SetMinMax(c.from, c.to);
    rig.Draw();
    const TPoint probe = c.probe.x >= 0 ? c.probe : rig.chart->Canvas()->SpaceToScreen(
        s->CalcXPos(1) + 1, rig.chart->ChartRect().top + 10, s->StartZ);
    bool hit = false;
    for (Integer dx = -2; dx <= 2; ++dx) hit = hit || rig.At(probe.x + dx, probe.y) == clRed;
    EXPECT_TRUE(hit) << probe.x << "," << probe.y;
    std::string drawn;
    for (char i = '0'; i <= '4'; ++i)
      if (rig.canvas->FindText(std::string("M") + i)) drawn += i;
    EXPECT_EQ(drawn, c.marks);
  }
}

}  // namespace
