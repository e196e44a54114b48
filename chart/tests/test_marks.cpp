#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "chart/line_series.h"
#include "chart/series_marks.h"
#include "chart/tests/recording_canvas.h"

namespace {

std::unique_ptr<TSeriesMarkPosition> Box(Integer x, Integer y, Integer w, Integer h, bool user = false) {
  auto p = std::make_unique<TSeriesMarkPosition>();
  p->BoxTopLeft = TPoint{x, y};
  p->BoxWidth = w;
  p->BoxHeight = h;
  p->UserPlaced = user;
  return p;
}

}  // namespace

TEST(SeriesMarks, Assignment) {
  TChartSeries s(nullptr);
  TSeriesMarks* m = s.Marks();
  TChartSeries t(nullptr);
  m->SetAngle(90);
  m->SetArrowLength(3);
  m->SetDrawEvery(2);
  m->SetStyle(smsXY);
  m->SetMultiLine(true);
  m->SetVisible(true);
  t.SetMarks(m);
  EXPECT_EQ(t.Marks()->Angle(), 90);
  EXPECT_EQ(t.Marks()->ArrowLength(), 3);
  EXPECT_EQ(t.Marks()->DrawEvery(), 2);
  EXPECT_EQ(t.Marks()->Style(), smsXY);
  EXPECT_TRUE(t.Marks()->MultiLine());
  EXPECT_TRUE(t.Marks()->Visible());
  // Every mark, never a division by zero.
  m->SetDrawEvery(0);
  EXPECT_EQ(m->DrawEvery(), 1);
}

TEST(SeriesMarks, PositionCacheAndHitTest) {
  TChartSeries s(nullptr);
  TSeriesMarks* m = s.Marks();
  TSeriesMarksPositions* cache = m->Positions();
  EXPECT_EQ(cache->Position(0), nullptr);
  cache->SetPosition(3, Box(10, 10, 20, 10));
  EXPECT_EQ(cache->Count(), 4);
  EXPECT_EQ(cache->Position(1), nullptr);
  EXPECT_EQ(cache->Position(4), nullptr);
  cache->SetPosition(2, Box(40, 10, 20, 10));
  cache->SetPosition(0, Box(10, 10, 20, 10));

  EXPECT_EQ(m->HitTest(15, 15), 0);
  EXPECT_EQ(m->HitTest(29, 19), 0);
  EXPECT_EQ(m->HitTest(30, 15), -1);  // right edge is outside
  EXPECT_EQ(m->HitTest(45, 12), 2);
  m->SetDrawEvery(2);
  cache->SetPosition(0, nullptr);
  EXPECT_EQ(m->HitTest(15, 15), -1);  // index 3 is an odd one
  m->SetDrawEvery(3);
  EXPECT_EQ(m->HitTest(15, 15), 3);
}

TEST(SeriesMarks, RememberedUserPlacementWins) {
  TChartSeries s(nullptr);
  TSeriesMarks* m = s.Marks();
  TSeriesMarkPosition p;
  p.BoxTopLeft = TPoint{5, 5};
  p.ArrowStart = TPoint{1, 1};
  m->RememberPosition(2, p);
  ASSERT_NE(m->Positions()->Position(2), nullptr);
  EXPECT_EQ(m->Positions()->Position(2)->BoxTopLeft.x, 5);
  EXPECT_EQ(m->Positions()->Position(0), nullptr);

  // The user moved it: later placements take the stored box.
  m->Positions()->Position(2)->UserPlaced = true;
  m->Positions()->Position(2)->BoxTopLeft = TPoint{70, 80};
  m->Positions()->Position(2)->ArrowStart = TPoint{9, 9};
  TSeriesMarkPosition q;
  q.BoxTopLeft = TPoint{6, 6};
  q.ArrowStart = TPoint{2, 2};
  m->RememberPosition(2, q);
  EXPECT_EQ(q.BoxTopLeft.x, 70);
  EXPECT_EQ(q.ArrowStart.x, 9);
  m->Positions()->Position(2)->KeepArrowStart = true;
  TSeriesMarkPosition r;
  r.ArrowStart = TPoint{3, 3};
  m->RememberPosition(2, r);
  EXPECT_EQ(r.BoxTopLeft.y, 80);
  EXPECT_EQ(r.ArrowStart.x, 3);

  // Deleting a point drops its entry; clearing drops them all.
  s.AddXY(0, 0);
  s.AddXY(1, 0);
  s.AddXY(2, 0);
  s.Delete(0);
  EXPECT_EQ(m->Positions()->Position(1)->BoxTopLeft.x, 70);
  s.Clear();
  EXPECT_EQ(m->Positions()->Count(), 0);
}

TEST(SeriesMarks, DrawMarksPlacesBoxesAboveTheVisiblePointsThatHaveText) {
  RecordingRig rig;
  TLineSeries s(nullptr);
  s.SetParentChart(&rig.chart);
  TSeriesMarks* m = s.Marks();
  m->SetVisible(true);
  m->SetArrowLength(8);
  s.AddXY(20, 60, "ab");
  s.AddNullXY(40, 60, "null");
  s.AddXY(60, 60, "");
  s.AddXY(80, 60, "c\rde");
  m->SetStyle(smsLabel);
  s.OnGetMarkText = [](TChartSeries*, Integer i, std::string& t) {
    if (i == 2) t.clear();
  };
  s.CalcFirstLastVisibleIndex();
  rig.canvas->ClearLog();
  s.DrawMarks();

  // Marks of points 0 and 3 only: no mark for the null point nor the empty text.
  EXPECT_EQ(m->Positions()->Position(1), nullptr);
  EXPECT_EQ(m->Positions()->Position(2), nullptr);
  const TSeriesMarkPosition* p0 = m->Positions()->Position(0);
  const TSeriesMarkPosition* p3 = m->Positions()->Position(3);
  ASSERT_NE(p0, nullptr);
  ASSERT_NE(p3, nullptr);

  TCanvas3D* c = rig.canvas;
  c->ApplyFont(m->Font());
  const Integer lh = c->LineHeight();
  const Integer frame = 2 * m->Frame()->Width();
  EXPECT_EQ(p0->BoxWidth, c->MeasureTextWidth("ab") + c->MeasureTextWidth("W") + frame);
  EXPECT_EQ(p0->BoxHeight, lh + frame);
  EXPECT_EQ(p3->BoxWidth, c->MeasureTextWidth("de") + c->MeasureTextWidth("W") + frame);
  EXPECT_EQ(p3->BoxHeight, 2 * lh + frame);
  // Centred over the point, lifted by the arrow.
  EXPECT_EQ(p0->ArrowStart.x, 20);
  EXPECT_EQ(p0->ArrowStart.y, 60);
  EXPECT_EQ(p0->ArrowEnd.y, 52);
  EXPECT_EQ(p0->BoxTopLeft.x, 20 - p0->BoxWidth / 2);
  EXPECT_EQ(p0->BoxTopLeft.y, 60 - p0->BoxHeight + 1 - 8);

  // Arrow first, then the frame, then the text lines from the top down.
  const auto ops = rig.canvas->Ops({"LineZ", "Text"});
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_EQ(ops[0], "LineZ 20,60,20,52,0");
  EXPECT_NE(ops[1].find("'ab'"), std::string::npos);
  EXPECT_EQ(ops[2], "LineZ 80,60,80,52,0");
  EXPECT_NE(ops[3].find("'c'"), std::string::npos);
  EXPECT_NE(ops[4].find("'de'"), std::string::npos);
  auto textY = [&](const std::string& text) {
    for (const auto& e : rig.canvas->Log)
      if (e.Op == "Text" && e.Text == text) return e.Args[1];
    return -1;
  };
  EXPECT_EQ(textY("de"), textY("c") + lh);
  EXPECT_EQ(textY("c"), p3->BoxTopLeft.y + 2);
  EXPECT_EQ(textY("ab"), p0->BoxTopLeft.y + 2);

  // Clipped marks stay inside the plotting rectangle.
  m->SetClip(true);
  rig.canvas->ClearLog();
  s.DrawMarks();
  const auto clipOps = rig.canvas->Ops({"Clip", "Unclip", "Text"});
  ASSERT_GE(clipOps.size(), 2u);
  EXPECT_EQ(clipOps.front(), "Clip 0,0,100,100");
  EXPECT_EQ(clipOps.back(), "Unclip");
}

TEST(SeriesMarks, ATransparentMarkIsBlendedOnce) {
  RecordingRig rig;
  TLineSeries s(nullptr);
  s.SetParentChart(&rig.chart);
  TSeriesMarks* m = s.Marks();
  m->SetVisible(true);
  m->SetColor(clBlack);
  m->SetShadowSize(0);
  m->Frame()->SetVisible(false);
  m->Arrow()->SetVisible(false);
  s.AddXY(50, 60, "x");
  const std::vector<std::pair<TChartTransparency, TColor>> cases = {{50, 0x808080}, {0, 0x000000}, {100, 0xFFFFFF}};
  for (const auto& [transparency, expected] : cases) {
    SCOPED_TRACE(transparency);
    rig.bmp.Canvas()->Brush()->SetColor(clWhite);
    rig.bmp.Canvas()->FillRect(TRect{0, 0, 120, 120});
    m->SetTransparency(transparency);
    s.CalcFirstLastVisibleIndex();
    s.DrawMarks();
    const TSeriesMarkPosition* p = m->Positions()->Position(0);
    ASSERT_NE(p, nullptr);
    // A corner of the box, clear of the text.
    EXPECT_EQ(rig.At(p->BoxTopLeft.x + 1, p->BoxTopLeft.y + 1), expected);
  }
}
