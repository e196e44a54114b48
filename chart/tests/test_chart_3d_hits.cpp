// A 3D chart answers for a point where the picture shows it: a click goes to the series
// whose colour is under the mouse, a pointer is hit where it is drawn, and the nearest
// point tool measures to the point as drawn.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "chart/chart_control.h"
#include "chart/chart_utils.h"
#include "chart/line_series.h"
#include "chart/nearest_point_tool.h"
#include "chart/tests/recording_canvas.h"

namespace {

struct Shape {
  bool Line;  // a line series with pointers, else a point series
  TSeriesPointerStyle Style;
};

const TColor kColours[] = {0x0000FF, 0xFF0000, 0x00C000};

}  // namespace

TEST(Chart3DHits, ClicksAndTheNearestPointFollowWhatIsDrawn) {
  const struct {
    const char* Name;
    bool Orthogonal;
    Integer Rotation, Elevation, Perspective, Zoom;
  } views[] = {
      {"orthogonal", true, 345, 345, 0, 100},        {"orthogonal, zoomed", true, 345, 345, 0, 130},
      {"turned", false, 345, 345, 0, 100},           {"turned, perspective", false, 320, 335, 50, 100},
      {"turned round to the back", false, 160, 345, 0, 100},
  };
  const std::vector<std::vector<Shape>> sets = {
      {{true, psRectangle}, {true, psCircle}, {false, psCross}},
      {{false, psTriangle}, {true, psRectangle}},
      {{false, psDiamond}, {false, psCircle}, {true, psDownTriangle}},
  };
  for (const auto& v : views)
    for (std::size_t k = 0; k < sets.size(); ++k) {
      SCOPED_TRACE(std::string(v.Name) + ", set " + std::to_string(k));
      TChart chart{nullptr};
      TBitmap target;
      RecordWholeChart(chart, target);
      chart.Legend()->SetVisible(false);
      chart.BottomAxis()->SetMinMax(0, 10);
      chart.LeftAxis()->SetMinMax(0, 10);
      chart.SetChart3DPercent(40);
      TView3DOptions* o = chart.View3DOptions();
      o->SetOrthogonal(v.Orthogonal);
      o->SetRotation(v.Rotation);
      o->SetElevation(v.Elevation);
      o->SetPerspective(v.Perspective);
      o->SetZoom(v.Zoom);
      std::vector<std::unique_ptr<TCustomSeries>> series;
      for (std::size_t i = 0; i < sets[k].size(); ++i) {
        const Shape& shape = sets[k][i];
        std::unique_ptr<TCustomSeries> s;
        if (shape.Line)
          s = std::make_unique<TLineSeries>(nullptr);
        else
          s = std::make_unique<TPointSeries>(nullptr);
        s->Pointer()->SetVisible(true);
        s->Pointer()->SetStyle(shape.Style);
        s->Pointer()->SetHorizSize(5);
        s->Pointer()->SetVertSize(5);
        s->SetSeriesColor(kColours[i]);
        s->SetParentChart(&chart);
        // The same points for all: series overlap wherever the depth shifts one over another.
        for (Integer x = 1; x <= 9; x += 2) s->AddXY(x, x % 4 == 1 ? 3 + i : 7 - i);
        series.push_back(std::move(s));
      }
      chart.DrawTo(target.Canvas(), TRect{0, 0, 400, 250});
      TCanvas3D* c = chart.Canvas();
      auto shownBy = [&](TPoint p) {
        const TColor pixel = target.Canvas()->Pixels(p.x, p.y) & 0xFFFFFF;
        for (std::size_t i = 0; i < series.size(); ++i)
          if (pixel == kColours[i] || pixel == DarkenColor(kColours[i], kDarkSideAmount)) return static_cast<int>(i);
        return -1;
      };

      int ownHits = 0;
      for (std::size_t i = 0; i < series.size(); ++i) {
        TCustomSeries* s = series[i].get();
        // The nearest point tool, the mouse on each point as drawn.
        TNearestTool nearest(nullptr);
        nearest.SetParentChart(&chart);
        nearest.SetSeries(s);
        for (Integer t = 0; t < s->Count(); ++t) {
          SCOPED_TRACE("series " + std::to_string(i) + ", point " + std::to_string(t));
          const Integer x = s->CalcXPos(t), y = s->CalcYPos(t);
          const TPoint middle = c->SpaceToScreen(x, y, s->MiddleZ);
          EXPECT_EQ(nearest.GetNearestPoint(middle.x, middle.y), t);
          // The middle of every shape; a cube also near its front and its back.
          std::vector<TPoint> spots{middle};
          if (s->Pointer()->IsSolid(psRectangle) && s->Pointer()->Style() == psRectangle) {
            spots.push_back(c->SpaceToScreen(x, y, s->StartZ + 1));
            spots.push_back(c->SpaceToScreen(x, y, s->EndZ - 1));
          }
          for (const TPoint& p : spots) {
            const int shown = shownBy(p);
            if (shown < 0) continue;  // an edge, a frame, or another thing in front
            const TChartClickedPart part = chart.CalcClickedPart(p, false);
            ASSERT_EQ(part.Part, cpSeries) << p.x << "," << p.y;
            EXPECT_EQ(part.ASeries, series[static_cast<std::size_t>(shown)].get()) << p.x << "," << p.y;
            if (shown == static_cast<int>(i)) {
              EXPECT_EQ(part.PointIndex, t) << p.x << "," << p.y;
              ++ownHits;
            }
          }
        }
        nearest.SetParentChart(nullptr);
      }
      EXPECT_GT(ownHits, 5);
      for (auto& s : series) s->SetParentChart(nullptr);
    }
}
