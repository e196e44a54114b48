// Series of a 3D chart painted from the back to the front: every primitive of a series
// (ribbons, areas, pointers, marks with their arrows and shadows) comes before every
// primitive of a series in front of it, in orthogonal and turned views, from the front
// and from behind.
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

enum class Kind { LineWithPointers, Points, Area };

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

struct View {
  const char* Name;
  bool Orthogonal;
  Integer OrthoAngle, Rotation, Elevation, Perspective;
  bool FromBehind;  // the last series is the nearest
};

struct OrderRig {
  OrderRig(const std::vector<Kind>& Kinds, bool Marks, const View& V) {
    canvas = RecordWholeChart(chart, target);
    chart.Legend()->SetVisible(false);
    chart.BottomAxis()->SetMinMax(0, 10);
    chart.LeftAxis()->SetMinMax(0, 10);
    // The point labels are the marks' texts; the axis keeps them to itself.
    chart.BottomAxis()->SetLabels(false);
    chart.SetChart3DPercent(40);
    TView3DOptions* o = chart.View3DOptions();
    o->SetOrthogonal(V.Orthogonal);
    o->SetOrthoAngle(V.OrthoAngle);
    o->SetRotation(V.Rotation);
    o->SetElevation(V.Elevation);
    o->SetPerspective(V.Perspective);
    for (std::size_t i = 0; i < Kinds.size(); ++i) {
      std::unique_ptr<TCustomSeries> s;
      if (Kinds[i] == Kind::Points) {
        s = std::make_unique<TPointSeries>(nullptr);
      } else {
        auto line = std::make_unique<TLineSeries>(nullptr);
        line->Pointer()->SetVisible(Kinds[i] == Kind::LineWithPointers);
        line->SetDrawArea(Kinds[i] == Kind::Area);
        s = std::move(line);
      }
      const Palette& p = kPalettes[i];
      s->SetSeriesColor(p.Series);
      s->Marks()->SetVisible(Marks);
      s->Marks()->SetColor(p.Marks);
      s->Marks()->SetShadowColor(p.Shadow);
      s->Marks()->Arrow()->SetColor(p.Arrow);
      s->SetParentChart(&chart);
      // Crossing lines, so that series overlap on the screen.
      for (Integer x = 1; x <= 9; x += 2)
        s->AddXY(x, i % 2 == 0 ? x : 10 - x, "s" + std::to_string(i) + "p" + std::to_string(x));
      series.push_back(std::move(s));
    }
  }
  ~OrderRig() {
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

  TChart chart{nullptr};
  TBitmap target;
  RecordingCanvas* canvas = nullptr;
  std::vector<std::unique_ptr<TCustomSeries>> series;
};

}  // namespace

TEST(Chart3DOrder, NoPrimitiveOfASeriesBehindComesAfterOneOfASeriesInFront) {
  const View views[] = {
      {"orthogonal", true, 45, 345, 345, 0, false},
      {"orthogonal, steep", true, 70, 345, 345, 0, false},
      {"turned", false, 45, 345, 345, 0, false},
      {"turned, perspective", false, 45, 330, 340, 50, false},
      {"turned round to the back", false, 45, 160, 345, 0, true},
      {"seen from behind and below", false, 45, 200, 20, 30, true},
  };
  const std::vector<std::vector<Kind>> kinds = {
      {Kind::LineWithPointers, Kind::LineWithPointers},
      {Kind::Points, Kind::LineWithPointers},
      {Kind::Area, Kind::Points, Kind::LineWithPointers},
      {Kind::LineWithPointers, Kind::Area, Kind::Points},
  };
  for (const View& v : views)
    for (std::size_t k = 0; k < kinds.size(); ++k)
      for (bool marks : {false, true}) {
        SCOPED_TRACE(std::string(v.Name) + ", kinds " + std::to_string(k) + (marks ? ", marks" : ""));
        OrderRig rig(kinds[k], marks, v);
        rig.chart.DrawTo(rig.target.Canvas(), TRect{0, 0, 400, 250});
        const int n = static_cast<int>(rig.series.size());
        std::vector<int> first(static_cast<std::size_t>(n), -1), last(static_cast<std::size_t>(n), -1);
        for (std::size_t i = 0; i < rig.canvas->Log.size(); ++i) {
          const int s = rig.Owner(rig.canvas->Log[i]);
          if (s < 0) continue;
          if (first[static_cast<std::size_t>(s)] < 0) first[static_cast<std::size_t>(s)] = static_cast<int>(i);
          last[static_cast<std::size_t>(s)] = static_cast<int>(i);
        }
        for (int s = 0; s < n; ++s) ASSERT_GE(first[static_cast<std::size_t>(s)], 0) << "series " << s << " drawn";
        // Series 0 is the nearest from the front, the last one from behind.
        for (int back = 0; back < n; ++back)
          for (int front = 0; front < n; ++front) {
            const bool behind = v.FromBehind ? back < front : back > front;
            if (!behind) continue;
            EXPECT_LT(last[static_cast<std::size_t>(back)], first[static_cast<std::size_t>(front)])
                << "series " << back << " (behind) after series " << front << ": "
                << rig.canvas->Log[static_cast<std::size_t>(last[static_cast<std::size_t>(back)])].Str();
          }
      }
}
