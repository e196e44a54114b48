// Points outside the axes' ranges: lines to points far off the screen still cross the view,
// and the marks of points the axes do not show stay off.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "chart/tests/tool_rig.h"

namespace {

// The rig's plotting rectangle is (12, 10)-(388, 240).
struct FarCase {
  const char* name;
  std::function<void(ToolRig&, TLineSeries*)> set;
  TPoint probe;  // a pixel the series must cover
};

TEST(SeriesOffRange, LinesToFarPointsCrossTheView) {
  const FarCase cases[] = {
      // 0..4 across, 0..100 up; the middle point a million up: two steep lines to the top.
      {"steep up and down",
       [](ToolRig& rig, TLineSeries* s) {
         rig.chart->BottomAxis()->SetMinMax(0, 4);
         for (auto [x, y] : {std::pair{0.0, 10.0}, {1.0, 50.0}, {2.0, 1e6}, {3.0, 40.0}, {4.0, 60.0}}) s->AddXY(x, y);
       },
       TPoint{106 + 1, 12}},
      {"steep down",
       [](ToolRig& rig, TLineSeries* s) {
         rig.chart->BottomAxis()->SetMinMax(0, 4);
         for (auto [x, y] : {std::pair{0.0, 10.0}, {1.0, 50.0}, {2.0, 1e6}, {3.0, 40.0}, {4.0, 60.0}}) s->AddXY(x, y);
       },
       TPoint{294 - 1, 12}},
      // Zoomed 500 times into a line whose both ends lie far off.
      {"zoomed in",
       [](ToolRig& rig, TLineSeries* s) {
         rig.chart->BottomAxis()->SetMinMax(49.9, 50.1);
         rig.chart->LeftAxis()->SetMinMax(49.9, 50.1);
         s->AddXY(0, 0);
         s->AddXY(100, 100);
       },
       TPoint{200, 125}},
      {"area under a far point",
       [](ToolRig& rig, TLineSeries* s) {
         rig.chart->BottomAxis()->SetMinMax(0, 4);
         s->SetDrawArea(true);
         for (auto [x, y] : {std::pair{0.0, 10.0}, {1.0, 50.0}, {2.0, 1e6}, {3.0, 40.0}}) s->AddXY(x, y);
       },
       TPoint{150, 30}},
      {"3D ribbon",
       [](ToolRig& rig, TLineSeries* s) {
         rig.chart->SetView3D(true);
         rig.chart->BottomAxis()->SetMinMax(0, 4);
         for (auto [x, y] : {std::pair{0.0, 10.0}, {1.0, 50.0}, {2.0, 1e6}, {3.0, 40.0}}) s->AddXY(x, y);
       },
       TPoint{-1, -1}},
  };
  for (const FarCase& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRig rig;
    TLineSeries* s = rig.AddSeries({});
    s->SetSeriesColor(clRed);
    c.set(rig, s);
    rig.Draw();
    TPoint probe = c.probe;
    if (probe.x < 0) {
      // In 3D: the front edge of the ribbon to the far point, near the plot's top.
      // The steep leg leaves point 1 almost straight up.
      probe = rig.chart->Canvas()->SpaceToScreen(s->CalcXPos(1) + 1, rig.chart->ChartRect().top + 10, s->StartZ);
    }
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
