// Series of a 3D chart, in orthogonal and turned views, from the front and from behind:
// every primitive of a series (ribbons, areas, pointers, marks with their arrows and
// shadows) is painted before every primitive of a series nearer to the viewer, and the
// chart answers for a point where the picture shows it: a click goes to the series whose
// colour is under the mouse, and the nearest point tool measures to the point as drawn.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "chart/chart_control.h"
#include "chart/chart_utils.h"
#include "chart/drag_marks_tool.h"
#include "chart/line_series.h"
#include "chart/nearest_point_tool.h"
#include "chart/tests/recording_canvas.h"

namespace {

struct View {
  const char* Name;
  bool Orthogonal;
  Integer OrthoAngle, Rotation, Elevation, Perspective, Zoom;
  bool FromBehind;  // the last series is the nearest
};
const View kViews[] = {
    {"orthogonal", true, 45, 345, 345, 0, 100, false},
    {"orthogonal, steep, zoomed", true, 60, 345, 345, 0, 120, false},
    {"turned", false, 45, 345, 345, 0, 100, false},
    {"turned, perspective", false, 45, 320, 335, 50, 100, false},
    {"turned round to the back", false, 45, 160, 345, 0, 100, true},
    {"seen from behind and below", false, 45, 200, 20, 30, 100, true},
};

enum class Kind { Line, Points, Area };
struct Spec {
  Kind Of;
  TSeriesPointerStyle Style;
};

// What tells one series' primitives from another's: its colour (and the darker shade of
// 3D sides), its marks' box, shadow and arrow colours, and its mark texts "s<i>...".
struct Palette {
  TColor Series, Marks, Shadow, Arrow;
};
const Palette kPalettes[] = {
    {0x0000FF, 0xC0FFC0, 0x404000, 0x008080},
    {0xFF0000, 0xFFC0C0, 0x004040, 0x800080},
    {0x00C000, 0xC0C0FF, 0x400040, 0x808000},
};

// A 3D chart of 400 x 250 with axes 0..10, no legend and no bottom labels (the point
// labels are the marks' texts), the series of Specs over crossing lines, drawn once.
struct SeriesRig {
  SeriesRig(const View& V, const std::vector<Spec>& Specs, bool Marks) {
    canvas = RecordWholeChart(chart, target);
    chart.Legend()->SetVisible(false);
    chart.BottomAxis()->SetMinMax(0, 10);
    chart.LeftAxis()->SetMinMax(0, 10);
    chart.BottomAxis()->SetLabels(false);
    chart.SetChart3DPercent(25);
    TView3DOptions* o = chart.View3DOptions();
    o->SetOrthogonal(V.Orthogonal);
    o->SetOrthoAngle(V.OrthoAngle);
    o->SetRotation(V.Rotation);
    o->SetElevation(V.Elevation);
    o->SetPerspective(V.Perspective);
    o->SetZoom(V.Zoom);
    for (std::size_t i = 0; i < Specs.size(); ++i) {
      std::unique_ptr<TCustomSeries> s;
      if (Specs[i].Of == Kind::Points)
        s = std::make_unique<TPointSeries>(nullptr);
      else
        s = std::make_unique<TLineSeries>(nullptr);
      s->Pointer()->SetVisible(Specs[i].Of != Kind::Area);
      s->Pointer()->SetStyle(Specs[i].Style);
      s->Pointer()->SetHorizSize(5);
      s->Pointer()->SetVertSize(5);
      s->SetDrawArea(Specs[i].Of == Kind::Area);
      const Palette& p = kPalettes[i];
      s->SetSeriesColor(p.Series);
      s->Marks()->SetVisible(Marks);
      s->Marks()->SetColor(p.Marks);
      s->Marks()->SetShadowColor(p.Shadow);
      s->Marks()->Arrow()->SetColor(p.Arrow);
      s->SetParentChart(&chart);
      for (Integer x = 1; x <= 9; x += 2)
        s->AddXY(x, x % 4 == 1 ? 3 + i : 7 - i, "s" + std::to_string(i) + "p" + std::to_string(x));
      series.push_back(std::move(s));
    }
    chart.DrawTo(target.Canvas(), TRect{0, 0, 400, 250});
  }
  ~SeriesRig() {
    for (auto& s : series) s->SetParentChart(nullptr);
  }

  // The series a logged primitive belongs to, or -1 (axes, walls, clips).
  int Owner(const RecordingCanvas::Entry& e) const {
    if (e.Op == "Clip" || e.Op == "ClipCube" || e.Op == "Unclip") return -1;
    if (e.Op == "Text") return e.Text.size() > 1 && e.Text[0] == 's' ? e.Text[1] - '0' : -1;
    for (std::size_t i = 0; i < series.size(); ++i) {
      const Palette& p = kPalettes[i];
      const TColor dark = DarkenColor(p.Series, kDarkSideAmount);
      if (!e.PenClear && (e.Pen == p.Series || e.Pen == p.Arrow)) return static_cast<int>(i);
      if (!e.BrushClear && (e.Brush == p.Series || e.Brush == dark || e.Brush == p.Marks || e.Brush == p.Shadow))
        return static_cast<int>(i);
    }
    return -1;
  }
  // The series whose colour the picture shows at P, or -1.
  int ShownAt(const TPoint& P) {
    const TColor pixel = target.Canvas()->Pixels(P.x, P.y) & 0xFFFFFF;
    for (std::size_t i = 0; i < series.size(); ++i)
      if (pixel == kPalettes[i].Series || pixel == DarkenColor(kPalettes[i].Series, kDarkSideAmount))
        return static_cast<int>(i);
    return -1;
  }

  TChart chart{nullptr};
  TBitmap target;
  RecordingCanvas* canvas = nullptr;
  std::vector<std::unique_ptr<TCustomSeries>> series;
};

}  // namespace

TEST(Chart3DOrder, NoPrimitiveOfASeriesBehindComesAfterOneOfASeriesInFront) {
  const std::vector<std::vector<Spec>> sets = {
      {{Kind::Line, psRectangle}, {Kind::Line, psRectangle}},
      {{Kind::Points, psTriangle}, {Kind::Line, psCircle}},
      {{Kind::Area, psRectangle}, {Kind::Points, psRectangle}, {Kind::Line, psCross}},
      {{Kind::Line, psRectangle}, {Kind::Area, psRectangle}, {Kind::Points, psCircle}},
  };
  for (const View& v : kViews)
    for (std::size_t k = 0; k < sets.size(); ++k)
      for (bool marks : {false, true}) {
        SCOPED_TRACE(std::string(v.Name) + ", set " + std::to_string(k) + (marks ? ", marks" : ""));
        SeriesRig rig(v, sets[k], marks);
        const std::size_t n = rig.series.size();
        std::vector<int> first(n, -1), last(n, -1);
        for (std::size_t i = 0; i < rig.canvas->Log.size(); ++i) {
          const int s = rig.Owner(rig.canvas->Log[i]);
          if (s < 0) continue;
          if (first[static_cast<std::size_t>(s)] < 0) first[static_cast<std::size_t>(s)] = static_cast<int>(i);
          last[static_cast<std::size_t>(s)] = static_cast<int>(i);
        }
        for (std::size_t back = 0; back < n; ++back) {
          ASSERT_GE(first[back], 0) << "series " << back << " drawn";
          // Series 0 is the nearest from the front, the last one from behind.
          for (std::size_t front = 0; front < n; ++front) {
            if (v.FromBehind ? back < front : back > front) {
              EXPECT_LT(last[back], first[front])
                  << "series " << back << " (behind) after series " << front << ": "
                  << rig.canvas->Log[static_cast<std::size_t>(last[back])].Str();
            }
          }
        }
      }
}

TEST(Chart3DOrder, ClicksAndTheNearestPointFollowWhatIsDrawn) {
  const std::vector<std::vector<Spec>> sets = {
      {{Kind::Line, psRectangle}, {Kind::Line, psCircle}, {Kind::Points, psCross}},
      {{Kind::Points, psTriangle}, {Kind::Line, psRectangle}},
      {{Kind::Points, psDiamond}, {Kind::Points, psCircle}, {Kind::Line, psDownTriangle}},
  };
  for (const View& v : kViews)
    for (std::size_t k = 0; k < sets.size(); ++k) {
      SCOPED_TRACE(std::string(v.Name) + ", set " + std::to_string(k));
      SeriesRig rig(v, sets[k], false);
      TCanvas3D* c = rig.chart.Canvas();
      int ownHits = 0;
      for (std::size_t i = 0; i < rig.series.size(); ++i) {
        TCustomSeries* s = rig.series[i].get();
        TNearestTool nearest(nullptr);
        nearest.SetParentChart(&rig.chart);
        nearest.SetSeries(s);
        for (Integer t = 0; t < s->Count(); ++t) {
          SCOPED_TRACE("series " + std::to_string(i) + ", point " + std::to_string(t));
          const Integer x = s->CalcXPos(t), y = s->CalcYPos(t);
          const TPoint middle = c->SpaceToScreen(x, y, s->MiddleZ);
          EXPECT_EQ(nearest.GetNearestPoint(middle.x, middle.y), t);
          // The middle of every shape; a cube also towards its front and its back.
          std::vector<TPoint> spots{middle};
          if (s->Pointer()->IsSolid(s->Pointer()->Style()) && s->Pointer()->Style() == psRectangle) {
            const Integer quarter = (s->EndZ - s->StartZ) / 4;
            spots.push_back(c->SpaceToScreen(x, y, s->StartZ + quarter));
            spots.push_back(c->SpaceToScreen(x, y, s->EndZ - quarter));
          }
          for (const TPoint& p : spots) {
            const int shown = rig.ShownAt(p);
            if (shown < 0) continue;  // an edge, a frame, or a wall in front
            const TChartClickedPart part = rig.chart.CalcClickedPart(p, false);
            ASSERT_EQ(part.Part, cpSeries) << p.x << "," << p.y;
            EXPECT_EQ(part.ASeries, rig.series[static_cast<std::size_t>(shown)].get()) << p.x << "," << p.y;
            if (shown == static_cast<int>(i)) {
              EXPECT_EQ(part.PointIndex, t) << p.x << "," << p.y;
              ++ownHits;
            }
          }
        }
        nearest.SetParentChart(nullptr);
      }
      EXPECT_GE(ownHits, 5);
    }
}

TEST(Chart3DOrder, TheDragMarksToolPicksTheMarkThePictureShows) {
  const std::vector<std::vector<Spec>> sets = {
      {{Kind::Line, psRectangle}, {Kind::Line, psRectangle}, {Kind::Points, psCircle}},
      {{Kind::Points, psTriangle}, {Kind::Area, psRectangle}},
  };
  int contested = 0;  // pixels where a mark of another series lies under the one shown
  for (const View& v : kViews)
    for (std::size_t k = 0; k < sets.size(); ++k) {
      SCOPED_TRACE(std::string(v.Name) + ", set " + std::to_string(k));
      SeriesRig rig(v, sets[k], true);
      TDragMarksTool drag(nullptr);
      drag.SetParentChart(&rig.chart);
      // The series whose mark box colour the picture shows at (X, Y) and around it.
      auto markShownAt = [&](Integer X, Integer Y) {
        int owner = -1;
        for (const TPoint d : {TPoint{0, 0}, TPoint{-2, 0}, TPoint{2, 0}, TPoint{0, -2}, TPoint{0, 2}}) {
          const TColor pixel = rig.target.Canvas()->Pixels(X + d.x, Y + d.y) & 0xFFFFFF;
          int here = -1;
          for (std::size_t i = 0; i < rig.series.size(); ++i)
            if (pixel == kPalettes[i].Marks) here = static_cast<int>(i);
          if (here < 0 || (owner >= 0 && here != owner)) return -1;
          owner = here;
        }
        return owner;
      };
      int picked = 0;
      for (Integer y = 2; y < 248; y += 2)
        for (Integer x = 2; x < 398; x += 2) {
          const int shown = markShownAt(x, y);
          if (shown < 0) continue;
          for (std::size_t i = 0; i < rig.series.size(); ++i)
            if (static_cast<int>(i) != shown && rig.series[i]->Marks()->HitTest(x, y) != -1) ++contested;
          drag.ChartMouseEvent(cmeDown, mbLeft, TShiftState{}, x, y);
          EXPECT_EQ(drag.PickedSeries(), rig.series[static_cast<std::size_t>(shown)].get()) << x << "," << y;
          drag.ChartMouseEvent(cmeUp, mbLeft, TShiftState{}, x, y);
          ++picked;
        }
      EXPECT_GT(picked, 0);
      drag.SetParentChart(nullptr);
    }
  EXPECT_GT(contested, 0);
}

TEST(Chart3DOrder, TheNearestPointToolsLineEndsAtTheMarkerAsDrawn) {
  for (const View& v : kViews) {
    SCOPED_TRACE(v.Name);
    SeriesRig rig(v, {{Kind::Line, psRectangle}, {Kind::Points, psCircle}}, false);
    TCustomSeries* s = rig.series[1].get();
    TNearestTool nearest(nullptr);
    nearest.SetFullRepaint(false);  // drawn at once, on every move
    nearest.SetParentChart(&rig.chart);
    nearest.SetSeries(s);
    rig.canvas->SetReferenceCanvas(rig.target.Canvas());  // the marker goes onto the picture
    for (Integer t = 0; t < s->Count(); ++t) {
      SCOPED_TRACE("point " + std::to_string(t));
      const TPoint at = rig.chart.Canvas()->SpaceToScreen(s->CalcXPos(t), s->CalcYPos(t), s->MiddleZ);
      const TPoint mouse{at.x + 9, at.y - 6};
      rig.canvas->ClearLog();
      nearest.ChartMouseEvent(cmeMove, mbLeft, TShiftState{}, mouse.x, mouse.y);
      ASSERT_EQ(nearest.Point(), t);
      const std::vector<std::string> lines = rig.canvas->Ops({"Line"});
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines.back(), "Line " + std::to_string(mouse.x) + "," + std::to_string(mouse.y) + "," +
                                  std::to_string(at.x) + "," + std::to_string(at.y));
    }
    nearest.SetParentChart(nullptr);
  }
}
