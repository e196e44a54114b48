#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/line_series.h"
#include "chart/tests/recording_canvas.h"
#include "platform/classlib/form_reader.h"

namespace {

using Ops = std::vector<std::string>;

// Draws a series the way the chart's pass does: visible range, then the points.
void DrawSeries(TChartSeries& s, RecordingCanvas* canvas) {
  canvas->ClearLog();
  s.CalcFirstLastVisibleIndex();
  s.DrawAllValues();
}

// Only the line and pointer primitives.
Ops Lines(const RecordingCanvas* c) { return c->Ops({"MoveTo", "LineTo", "Box"}); }

}  // namespace

// ---- segment order ---------------------------------------------------------------------

TEST(LineSeriesDraw, PointersFollowTheSegmentThatEndsAtThem) {
  RecordingRig rig;
  TLineSeries s(nullptr);
  s.SetParentChart(&rig.chart);
  s.Pointer()->SetVisible(true);
  s.AddXY(10, 10);
  s.AddXY(20, 30);
  s.AddXY(40, 20);
  DrawSeries(s, rig.canvas);
  EXPECT_EQ(Lines(rig.canvas), (Ops{"MoveTo 10,10", "LineTo 20,30", "Box 6,6,15,15",  //
                                    "MoveTo 20,30", "LineTo 40,20", "Box 16,26,25,35", "Box 36,16,45,25"}));
  // Lines in the point's colour (ColorLines), pointers filled with it.
  const auto& log = rig.canvas->Log;
  EXPECT_EQ(log[0].Pen, s.SeriesColor());
  EXPECT_TRUE(log[0].BrushClear);
}

TEST(LineSeriesDraw, ColouredPointsColourTheSegmentEndingAtThem) {
  RecordingRig rig;
  TLineSeries s(nullptr);
  s.SetParentChart(&rig.chart);
  s.SetSeriesColor(clBlack);
  s.AddXY(0, 0);
  s.AddXY(10, 10, "", clRed);
  s.AddXY(20, 0);
  DrawSeries(s, rig.canvas);
  const auto& log = rig.canvas->Log;
  ASSERT_EQ(rig.canvas->Ops({"LineTo"}).size(), 2u);
  std::vector<TColor> pens;
  for (const auto& e : log)
    if (e.Op == "LineTo") pens.push_back(e.Pen);
  EXPECT_EQ(pens, (std::vector<TColor>{clRed, clBlack}));
  s.ColorLines = false;
  DrawSeries(s, rig.canvas);
  for (const auto& e : rig.canvas->Log) {
    if (e.Op == "LineTo") {
      EXPECT_EQ(e.Pen, clBlack);
    }
  }
}

TEST(LineSeriesDraw, StairsGoAcrossThenUpOrUpThenAcross) {
  RecordingRig rig;
  TLineSeries s(nullptr);
  s.SetParentChart(&rig.chart);
  s.AddXY(0, 0);
  s.AddXY(10, 5);
  s.SetStairs(true);
  DrawSeries(s, rig.canvas);
  EXPECT_EQ(Lines(rig.canvas), (Ops{"MoveTo 0,0", "LineTo 10,0", "LineTo 10,5"}));
  s.SetInvertedStairs(true);
  DrawSeries(s, rig.canvas);
  EXPECT_EQ(Lines(rig.canvas), (Ops{"MoveTo 0,0", "LineTo 0,5", "LineTo 10,5"}));
}

TEST(LineSeriesDraw, NullPointsBreakTheLineAndHaveNoPointer) {
  RecordingRig rig;
  TLineSeries s(nullptr);
  s.SetParentChart(&rig.chart);
  s.Pointer()->SetVisible(true);
  s.AddXY(10, 10);
  s.AddNullXY(20, 20);
  s.AddXY(30, 30);
  s.AddXY(40, 40);
  DrawSeries(s, rig.canvas);
  EXPECT_EQ(Lines(rig.canvas), (Ops{"Box 6,6,15,15",  // pointer of the first point only
                                    "MoveTo 30,30", "LineTo 40,40", "Box 26,26,35,35", "Box 36,36,45,45"}));
}

TEST(LineSeriesDraw, SamePixelDrawsNoSegmentAndFarPointsAreSkipped) {
  RecordingRig rig;
  TLineSeries s(nullptr);
  s.SetParentChart(&rig.chart);
  s.AddXY(10, 10);
  s.AddXY(10.2, 10.2);  // the same pixel
  s.AddXY(20, 10);
  s.AddXY(30, 1e7);  // far below the chart
  s.AddXY(40, 10);
  s.AddXY(50, 20);
  DrawSeries(s, rig.canvas);
  EXPECT_EQ(Lines(rig.canvas), (Ops{"MoveTo 10,10", "LineTo 20,10", "MoveTo 40,10", "LineTo 50,20"}));
}

TEST(LineSeriesDraw, AFirstVisiblePointAfterOthersGetsASegmentFromTheEdge) {
  RecordingRig rig;
  rig.Place(10, 110, 0, 100);  // pixel = X - 10
  TLineSeries s(nullptr);
  s.SetParentChart(&rig.chart);
  s.AddXY(0, 0);
  s.AddXY(20, 20);
  s.AddXY(40, 30);
  DrawSeries(s, rig.canvas);
  EXPECT_EQ(s.FirstValueIndex(), 1);
  // The line from (-10, 0) to (10, 20) crosses the left edge at y 10.
  EXPECT_EQ(Lines(rig.canvas), (Ops{"MoveTo 0,10", "LineTo 10,20", "MoveTo 10,20", "LineTo 30,30"}));
  s.SetStairs(true);
  DrawSeries(s, rig.canvas);
  EXPECT_EQ(Lines(rig.canvas)[0], "MoveTo 0,20");
}

// ---- hit testing -----------------------------------------------------------------------

TEST(LineSeriesClick, PointerHitsWithinItsHalfSize) {
  RecordingRig rig;
  TPointSeries s(nullptr);
  s.SetParentChart(&rig.chart);
  s.AddXY(10, 10);
  s.AddXY(50, 50);
  s.CalcFirstLastVisibleIndex();
  EXPECT_EQ(s.Clicked(53, 50), 1);
  EXPECT_EQ(s.Clicked(50, 47), 1);
  EXPECT_EQ(s.Clicked(54, 50), -1);
  EXPECT_EQ(s.Clicked(50, 54), -1);
  // A point series has no clickable line.
  EXPECT_EQ(s.Clicked(30, 30), -1);
  std::vector<Integer> clicked;
  s.OnClickPointer = [&](TCustomSeries*, Integer i, Integer, Integer) { clicked.push_back(i); };
  EXPECT_EQ(s.Clicked(12, 8), 0);
  EXPECT_EQ(clicked, (std::vector<Integer>{0}));
  // Overlapping pointers: the lowest index wins.
  s.AddXY(52, 50);
  s.CalcFirstLastVisibleIndex();
  EXPECT_EQ(s.Clicked(51, 50), 1);
}

TEST(LineSeriesClick, LineHitsAnswerTheSegmentsStart) {
  RecordingRig rig;
  TLineSeries s(nullptr);
  s.SetParentChart(&rig.chart);
  s.AddXY(0, 0);
  s.AddXY(40, 40);
  s.AddXY(80, 40);
  s.CalcFirstLastVisibleIndex();
  EXPECT_EQ(s.Clicked(20, 20), 0);
  EXPECT_EQ(s.Clicked(60, 40), 1);
  EXPECT_EQ(s.Clicked(40, 40), 1);  // the point itself
  EXPECT_EQ(s.Clicked(20, 25), -1);
  s.SetClickableLine(false);
  EXPECT_EQ(s.Clicked(20, 20), -1);
  // Stairs are hit on their legs.
  s.SetClickableLine(true);
  s.SetStairs(true);
  EXPECT_EQ(s.Clicked(20, 0), 0);
  EXPECT_EQ(s.Clicked(40, 20), 0);
  EXPECT_EQ(s.Clicked(20, 20), -1);
}

// ---- the pointer -----------------------------------------------------------------------

TEST(SeriesPointerShapes, RectanglePixelsAndTheOtherShapesGeometry) {
  RecordingRig rig;
  TPointSeries s(nullptr);
  s.SetParentChart(&rig.chart);
  TSeriesPointer* p = s.Pointer();
  p->Pen()->SetColor(clBlack);
  p->PrepareCanvas(rig.canvas, clRed);
  p->Draw(20, 20, clRed, psRectangle);
  // Outline through 16..24 both ways, red inside, nothing outside.
  EXPECT_EQ(rig.At(16, 16), clBlack);
  EXPECT_EQ(rig.At(24, 24), clBlack);
  EXPECT_EQ(rig.At(24, 16), clBlack);
  EXPECT_EQ(rig.At(17, 17), clRed);
  EXPECT_EQ(rig.At(20, 20), clRed);
  EXPECT_EQ(rig.At(23, 23), clRed);
  EXPECT_EQ(rig.At(25, 20), clWhite);
  EXPECT_EQ(rig.At(20, 25), clWhite);
  EXPECT_EQ(rig.At(15, 15), clWhite);

  rig.canvas->ClearLog();
  for (TSeriesPointerStyle st : {psCircle, psTriangle, psDownTriangle, psCross, psDiagCross, psDiamond, psSmallDot,
                                 psNothing})
    p->Draw(50, 50, clBlue, st);
  EXPECT_EQ(rig.canvas->Ops(), (Ops{"Ellipse 46,46,54,54", "Polygon 46,54,54,54,50,46", "Polygon 46,46,54,46,50,54",
                                    "Line 50,46,50,55", "Line 46,50,55,50", "Line 46,46,55,55", "Line 54,46,45,55",
                                    "Polygon 46,50,50,46,54,50,50,54", "Pixel 50,50,16711680"}));
  // Cross lines are drawn in the point's colour.
  EXPECT_EQ(rig.canvas->Log[3].Pen, clBlue);
}

TEST(SeriesPointerShapes, SizesBelowOneAreRefusedAndMarginsFollowTheSize) {
  TPointSeries s(nullptr);
  TSeriesPointer* p = s.Pointer();
  try {
    p->SetHorizSize(0);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_EQ(e.Message(), "Pointer size must be greater than zero");
  }
  EXPECT_THROW(p->SetVertSize(-1), ChartException);
  EXPECT_EQ(p->HorizSize(), 4);
  EXPECT_EQ(p->VertSize(), 4);

  Integer l = 0, r = 9;
  s.HorizPixelMargins(l, r);
  EXPECT_EQ(l, 5);
  EXPECT_EQ(r, 9);
  Integer t = 0, b = 0;
  s.Marks()->SetVisible(true);
  s.Marks()->SetArrowLength(12);
  s.VertPixelMargins(t, b);
  EXPECT_EQ(t, 12);
  EXPECT_EQ(b, 5);

  // A line with stairs keeps room for its pen; a hidden pointer adds nothing.
  TLineSeries line(nullptr);
  line.SetStairs(true);
  line.LinePen()->SetWidth(3);
  l = r = t = b = 0;
  line.HorizPixelMargins(l, r);
  line.VertPixelMargins(t, b);
  EXPECT_EQ(l, 3);
  EXPECT_EQ(r, 3);
  EXPECT_EQ(t, 3);
  EXPECT_EQ(b, 4);
}

TEST(SeriesPointerShapes, PointerColoursFollowThePointUnlessSet) {
  RecordingRig rig;
  TPointSeries s(nullptr);
  s.SetParentChart(&rig.chart);
  s.SetSeriesColor(clGreen);
  s.AddXY(10, 10);
  s.AddXY(30, 30, "", clRed);
  s.Pointer()->Pen()->SetColor(clDefault);
  DrawSeries(s, rig.canvas);
  ASSERT_EQ(rig.canvas->Log.size(), 2u);
  EXPECT_EQ(rig.canvas->Log[0].Brush, clGreen);
  EXPECT_EQ(rig.canvas->Log[1].Brush, clRed);
  EXPECT_EQ(rig.canvas->Log[1].Pen, clRed);
  // A per-point style from the event.
  s.OnGetPointerStyle = [](TChartSeries*, Integer i) { return i == 0 ? psCircle : psNothing; };
  DrawSeries(s, rig.canvas);
  EXPECT_EQ(rig.canvas->Ops(), (Ops{"Ellipse 6,6,14,14"}));
}

// ---- the two series kinds ----------------------------------------------------------------

TEST(LineAndPointSeries, AssignmentKeepsTheKind) {
  TLineSeries line(nullptr);
  TPointSeries points(nullptr);
  // A line takes a point series' settings but stays a line with hidden pointers.
  points.AddXY(1, 2);
  points.Pointer()->SetStyle(psDiamond);
  line.Assign(&points);
  EXPECT_TRUE(line.DrawLine());
  EXPECT_FALSE(line.Pointer()->Visible());
  EXPECT_EQ(line.Pointer()->Style(), psDiamond);
  EXPECT_EQ(line.Count(), 1);

  // ColorEachPoint hands the pointer brush back to the points.
  points.Pointer()->Brush()->SetColor(clYellow);
  points.SetColorEachPoint(true);
  EXPECT_EQ(points.Pointer()->Brush()->Color(), clDefault);
}

TEST(LineAndPointSeries, FormFilesSetThePublishedSettings) {
  std::unique_ptr<TComponent> root = ReadComponentText(R"(object Holder: TComponent
  object Curve: TLineSeries
    Title = 'Curve'
    SeriesColor = clRed
    Stairs = True
    LinePen.Width = 2
    Pointer.Style = psDiamond
    Pointer.HorizSize = 6
    Marks.Style = smsXValue
    Marks.ArrowLength = 3
    Marks.Visible = True
    XValues.Order = loNone
  end
  object Keys: TPointSeries
    ColorEachPoint = True
    Marks.BackColor = clBtnFace
    DataSource = Curve
  end
end
)");
  auto* curve = dynamic_cast<TLineSeries*>(root->FindComponent("Curve"));
  auto* keys = dynamic_cast<TPointSeries*>(root->FindComponent("Keys"));
  ASSERT_NE(curve, nullptr);
  ASSERT_NE(keys, nullptr);
  EXPECT_EQ(curve->Title(), "Curve");
  EXPECT_EQ(curve->SeriesColor(), clRed);
  EXPECT_TRUE(curve->Stairs());
  EXPECT_EQ(curve->LinePen()->Width(), 2);
  EXPECT_EQ(curve->Pointer()->Style(), psDiamond);
  EXPECT_EQ(curve->Pointer()->HorizSize(), 6);
  EXPECT_EQ(curve->Marks()->Style(), smsXValue);
  EXPECT_EQ(curve->Marks()->ArrowLength(), 3);
  EXPECT_TRUE(curve->Marks()->Visible());
  EXPECT_EQ(curve->XValues()->Order(), loNone);
  EXPECT_TRUE(keys->ColorEachPoint());
  EXPECT_EQ(keys->Marks()->BackColor(), clBtnFace);
  // A source read from a form is linked without a chart to check it; the follower
  // takes over later points.
  EXPECT_EQ(keys->DataSource(), curve);
  curve->AddXY(1, 2);
  EXPECT_EQ(keys->Count(), 1);
}
