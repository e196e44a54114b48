// The other tools through the chart's drawing pass and mouse dispatch: cursor placing,
// snapping and dragging; the colour band's rectangle and moment; axis arrows scrolling by
// a share of the range; dragged marks and a series cleared mid-drag; rotation limits;
// the nearest point; drawn lines; mark tips; the annotation frame; the image rectangle.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "chart/annotation_tool.h"
#include "chart/chart_utils.h"
#include "chart/axis_arrow_tool.h"
#include "chart/color_band_tool.h"
#include "chart/cursor_tool.h"
#include "chart/drag_marks_tool.h"
#include "chart/draw_line_tool.h"
#include "chart/image_tool.h"
#include "chart/mark_tips_tool.h"
#include "chart/nearest_point_tool.h"
#include "chart/rotate_tool.h"
#include "chart/tests/tool_rig.h"
#include "platform/classlib/application.h"

// The rig's plotting rectangle is (12, 10)-(388, 240) and both axes run 0..100, so value
// v lies at x = 12 + 3.76 v and y = 240 - 2.3 v.

namespace {

struct Change {
  Integer x, y;
  Double xValue, yValue;
  Integer index;
  bool operator==(const Change&) const = default;
};

}  // namespace

// ---- cursor ------------------------------------------------------------------------------

TEST(CursorTool, FirstDrawingPlacesItInTheMiddleAndSnaps) {
  ToolRig rig;
  TLineSeries* s = rig.AddSeries({{0, 0}, {25, 40}, {50, 80}, {75, 20}, {100, 60}});
  auto* cursor = rig.AddTool<TCursorTool>();
  std::vector<Change> changes;
  cursor->OnChange = [&](TCursorTool*, Integer x, Integer y, Double xv, Double yv, TChartSeries* series,
                         Integer index) {
    EXPECT_EQ(series, cursor->Series());
    changes.push_back(Change{x, y, xv, yv, index});
  };
  rig.Draw();
  // Without Snap: the middle of the area, values from it, index -1; OnChange once.
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].x, 200);
  EXPECT_EQ(changes[0].y, 125);
  EXPECT_NEAR(changes[0].xValue, 50, 1e-9);
  EXPECT_NEAR(changes[0].yValue, 50, 1e-9);
  EXPECT_EQ(changes[0].index, -1);
  rig.Draw();
  EXPECT_EQ(changes.size(), 1u);
  // Drawn in an exclusive-or pen: over the background the line shows in the pen colour.
  cursor->Pen()->SetColor(clRed);
  rig.Draw();
  const auto* hline = rig.canvas->Find("HLine");
  ASSERT_NE(hline, nullptr);
  EXPECT_EQ(hline->Mode, pmXor);
  EXPECT_EQ(rig.canvas->Ops({"HLine", "VLine"}),
            (std::vector<std::string>{"HLine 12,388,125", "VLine 200,10,240"}));
  EXPECT_EQ(rig.At(300, 125), static_cast<TColor>(clRed));

  // A new cursor on the series with Snap: the nearest point in values wins (25, 40).
  auto* snapping = new TCursorTool(rig.form.get());
  snapping->SetSnap(true);
  snapping->SetSeries(s);
  snapping->SetParentChart(rig.chart);
  std::vector<Change> snapped;
  snapping->OnChange = [&](TCursorTool*, Integer x, Integer y, Double xv, Double yv, TChartSeries*, Integer i) {
    snapped.push_back(Change{x, y, xv, yv, i});
  };
  rig.Draw();
  ASSERT_EQ(snapped.size(), 1u);
  EXPECT_EQ(snapped[0], (Change{106, 148, 25, 40, 1}));
  // A horizontal cursor snaps by Y alone: 50 is nearest to 60 (index 4).
  snapping->SetStyle(cssHorizontal);
  EXPECT_EQ(snapping->YValue(), 40);
}

TEST(CursorTool, DraggingTheCrossingMovesBothLinesAndSnaps) {
  ToolRig rig;
  TLineSeries* s = rig.AddSeries({{0, 0}, {25, 40}, {50, 80}, {75, 20}, {100, 60}});
  auto* cursor = rig.AddTool<TCursorTool>();
  rig.Draw();  // lines at (200, 125)
  std::vector<Change> changes;
  cursor->OnChange = [&](TCursorTool*, Integer x, Integer y, Double xv, Double yv, TChartSeries*, Integer i) {
    changes.push_back(Change{x, y, xv, yv, i});
  };
  // Hovering shows which lines a button would take.
  rig.Move(202, 126, false);
  EXPECT_EQ(rig.chart->Cursor(), crSizeAll);
  rig.Move(300, 126, false);
  EXPECT_EQ(rig.chart->Cursor(), crVSplit);
  rig.Move(199, 60, false);
  EXPECT_EQ(rig.chart->Cursor(), crHSplit);
  rig.Move(300, 60, false);
  EXPECT_EQ(rig.chart->Cursor(), crDefault);

  // A button within 2 pixels of both lines drags both; the chart does not zoom.
  rig.Down(202, 127);
  EXPECT_EQ(cursor->DragState(), 3);
  EXPECT_FALSE(rig.chart->Zoom()->Active);
  rig.Move(106, 194);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].x, 106);
  EXPECT_EQ(changes[0].y, 194);
  EXPECT_NEAR(changes[0].xValue, 25, 1e-9);
  EXPECT_NEAR(changes[0].yValue, 20, 1e-9);
  EXPECT_EQ(changes[0].index, -1);  // no Snap
  rig.Up(106, 194);
  EXPECT_EQ(cursor->DragState(), 0);

  // With Snap the dragged lines jump to the nearest point, (50, 80).
  cursor->SetSnap(true);
  cursor->SetSeries(s);
  rig.Draw();
  rig.Down(cursor->LineX(), cursor->LineY());
  rig.Move(190, 70);
  EXPECT_EQ(changes.back(), (Change{200, 56, 50, 80, 2}));
  rig.Up(190, 70);
  // The vertical line alone moves only the X value.
  cursor->SetSnap(false);
  rig.Down(201, 150);
  EXPECT_EQ(cursor->DragState(), 2);
  rig.Move(294, 150);
  EXPECT_NEAR(cursor->XValue(), 75, 1e-9);
  EXPECT_EQ(cursor->YValue(), 80);
  rig.Up(294, 150);
  // Outside the area a drag does not follow.
  rig.Down(294, 150);
  rig.Move(395, 150);
  EXPECT_NEAR(cursor->XValue(), 75, 1e-9);
  rig.Up(395, 150);
}

// ---- colour band -------------------------------------------------------------------------

TEST(ColorBandTool, TheBandIsCutToTheAxisAndDrawnAtItsMoment) {
  ToolRig rig;
  rig.chart->BottomAxis()->SetMinMax(0, 10);  // x = 12 + 37.6 v
  rig.chart->LeftAxis()->SetMinMax(0, 10);    // y = 240 - 23 v
  auto* band = rig.AddTool<TColorBandTool>();
  band->SetAxis(rig.chart->BottomAxis());
  band->SetStartValue(5);
  band->SetEndValue(2);
  band->SetColor(clYellow);
  rig.Draw();
  // Reversed values fill 2 .. 5 across the plotting rectangle.
  EXPECT_EQ(rig.canvas->Ops({"BoxRect"}), (std::vector<std::string>{"BoxRect 12,10,388,240", "BoxRect 87,10,200,240"}));
  EXPECT_EQ(rig.At(150, 100), static_cast<TColor>(clYellow));
  // With a hidden pen the right edge grows by one.
  band->Pen()->SetVisible(false);
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"BoxRect"}).back(), "BoxRect 87,10,201,240");
  // A band past the axis is cut at its ends; one wholly above it draws nothing.
  band->SetStartValue(-5);
  band->SetEndValue(50);
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"BoxRect"}).back(), "BoxRect 12,10,389,240");
  band->SetStartValue(11);
  band->SetEndValue(15);
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"BoxRect"}).size(), 1u);

  // On the vertical axis the band runs across, from the larger value's top.
  band->Pen()->SetVisible(true);
  band->SetAxis(rig.chart->LeftAxis());
  band->SetStartValue(2);
  band->SetEndValue(5);
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"BoxRect"}).back(), "BoxRect 13,125,388,194");

  // Behind the series (the default) a series line crossing the band stays on top; in
  // front it is covered.
  TLineSeries* s = rig.AddSeries({{0, 3}, {10, 3}});  // y 171
  s->SetSeriesColor(clRed);
  rig.Draw();
  EXPECT_EQ(rig.At(200, 171), static_cast<TColor>(clRed));
  band->SetDrawBehind(false);
  rig.Draw();
  EXPECT_EQ(rig.At(200, 171), static_cast<TColor>(clYellow));
}

// ---- axis arrows -------------------------------------------------------------------------

TEST(AxisArrowTool, ArrowsScrollByTheRangeOverScrollPercent) {
  ToolRig rig;
  rig.AddSeries();
  TChartAxis* axis = rig.chart->BottomAxis();
  axis->SetVisible(true);
  auto* arrows = rig.AddTool<TAxisArrowTool>();
  arrows->SetAxis(axis);
  int scrolls = 0;
  rig.chart->OnScroll = [&](TObject* sender) {
    EXPECT_EQ(sender, rig.chart);
    ++scrolls;
  };
  rig.Draw();
  const Integer line = axis->LinePixel;
  const Integer start = axis->StartPixel;
  const Integer end = axis->EndPixel;
  EXPECT_EQ(rig.canvas->Ops({"Arrow"}),
            (std::vector<std::string>{
                "Arrow " + std::to_string(start + 16) + "," + std::to_string(line) + "," + std::to_string(start) +
                    "," + std::to_string(line) + ",8,8,0",
                "Arrow " + std::to_string(end - 16) + "," + std::to_string(line) + "," + std::to_string(end) + "," +
                    std::to_string(line) + ",8,8,0"}));

  rig.Down(start + 5, line + 2);  // the start arrow
  rig.Up(start + 5, line + 2);
  EXPECT_EQ(axis->Minimum(), 10);
  EXPECT_EQ(axis->Maximum(), 110);
  rig.Down(end - 5, line);  // the end arrow, twice
  rig.Up(end - 5, line);
  rig.Down(end - 5, line);
  rig.Up(end - 5, line);
  EXPECT_EQ(axis->Minimum(), -10);
  EXPECT_EQ(axis->Maximum(), 90);
  EXPECT_EQ(scrolls, 3);
  EXPECT_FALSE(rig.chart->Zoom()->Active);
  // Off the arrows, across by 3 or beyond the length, nothing scrolls.
  for (auto [x, y] : {std::pair{start + 5, line + 3}, std::pair{start + 16, line}, std::pair{start, line}}) {
    rig.Down(x, y);
    rig.Up(x, y);
  }
  EXPECT_EQ(axis->Minimum(), -10);
  EXPECT_EQ(scrolls, 3);

  // The step is the range divided by ScrollPercent: 0..200 over 25 is 8.
  axis->SetMinMax(0, 200);
  arrows->SetScrollPercent(25);
  rig.Down(start + 5, line);
  EXPECT_EQ(axis->Minimum(), 8);
  EXPECT_EQ(axis->Maximum(), 208);
  rig.Up(start + 5, line);

  // Hovering an arrow shows the hand; the saved cursor follows.
  rig.Move(end - 5, line, false);
  EXPECT_EQ(rig.chart->Cursor(), crHandPoint);
  EXPECT_EQ(rig.chart->SavedCursor(), crHandPoint);

  // At 0 percent nothing scrolls and the click reaches the chart (its zoom starts).
  arrows->SetScrollPercent(0);
  rig.Down(start + 5, line);
  EXPECT_EQ(axis->Minimum(), 8);
  EXPECT_TRUE(rig.chart->Zoom()->Active);
  rig.Up(start + 5, line);
  // An axis that is not visible has no arrows and takes no clicks.
  arrows->SetScrollPercent(10);
  axis->SetVisible(false);
  EXPECT_EQ(arrows->ArrowAt(start + 5, line), -1);
  rig.Down(start + 5, line);
  rig.Up(start + 5, line);
  EXPECT_EQ(axis->Minimum(), 8);
}

// ---- drag marks --------------------------------------------------------------------------

TEST(DragMarksTool, MarksMoveAndAClearedSeriesEndsTheDrag) {
  ToolRig rig;
  TLineSeries* s = rig.AddSeries({{25, 50}, {75, 50}});
  s->Marks()->Show();
  auto* tool = rig.AddTool<TDragMarksTool>();
  rig.Draw();
  TSeriesMarkPosition* p = s->Marks()->Positions()->Position(1);
  ASSERT_NE(p, nullptr);
  const TRect box = p->Bounds();
  const TPoint arrowEnd = p->ArrowEnd;
  const Integer cx = (box.left + box.right) / 2;
  const Integer cy = (box.top + box.bottom) / 2;

  rig.Move(cx, cy, false);
  EXPECT_EQ(rig.chart->Cursor(), crHandPoint);
  rig.Down(cx, cy);
  EXPECT_EQ(tool->PickedSeries(), s);
  EXPECT_FALSE(rig.chart->Zoom()->Active);
  rig.Move(cx + 5, cy + 3);
  EXPECT_TRUE(p->UserPlaced);
  EXPECT_EQ(p->BoxTopLeft.x, box.left + 5);
  EXPECT_EQ(p->BoxTopLeft.y, box.top + 3);
  EXPECT_EQ(p->ArrowEnd.x, arrowEnd.x + 5);
  rig.Up(cx + 5, cy + 3);
  EXPECT_EQ(tool->PickedPosition(), nullptr);
  // The mark keeps its place when drawn again.
  rig.Draw();
  EXPECT_EQ(s->Marks()->Positions()->Position(1)->BoxTopLeft.x, box.left + 5);

  // The series is cleared while a mark is held: the next move touches nothing.
  const TRect moved = s->Marks()->Positions()->Position(1)->Bounds();
  rig.Down((moved.left + moved.right) / 2, (moved.top + moved.bottom) / 2);
  ASSERT_NE(tool->PickedPosition(), nullptr);
  s->Clear();
  rig.Move(300, 200);
  EXPECT_EQ(tool->PickedPosition(), nullptr);
  EXPECT_EQ(tool->PickedSeries(), nullptr);
  rig.Up(300, 200);
  // And a freed series likewise.
  s->AddXY(25, 50);
  rig.Draw();
  const TRect again = s->Marks()->Positions()->Position(0)->Bounds();
  rig.Down((again.left + again.right) / 2, (again.top + again.bottom) / 2);
  ASSERT_NE(tool->PickedPosition(), nullptr);
  delete s;
  rig.Move(300, 200);
  EXPECT_EQ(tool->PickedPosition(), nullptr);
  rig.Up(300, 200);
}

// ---- rotate ------------------------------------------------------------------------------

TEST(RotateTool, TheChartCanvasKeepsTheAnglesWithin270And360) {
  ToolRig rig;
  auto* tool = rig.AddTool<TRotateTool>();
  TView3DOptions* view = rig.chart->View3DOptions();
  ASSERT_EQ(view->Rotation(), 345);
  rig.Down(0, 100);
  EXPECT_TRUE(tool->Dragging());
  EXPECT_FALSE(rig.chart->Zoom()->Active);
  rig.Move(400, 100);  // the chart's whole width: +90, held at 360
  EXPECT_TRUE(rig.chart->View3D());
  EXPECT_FALSE(view->Orthogonal());
  EXPECT_EQ(view->Rotation(), 360);
  rig.Up(400, 100);
  view->SetRotation(345);
  rig.Down(300, 100);
  rig.Move(100, 100);  // half the width to the left: -45
  EXPECT_EQ(view->Rotation(), 300);
  rig.Move(-100, 100);  // further: held at 270
  EXPECT_EQ(view->Rotation(), 270);
  // Upwards raises the elevation: 62 of 250 pixels is round(22.32) = 22 degrees.
  view->SetElevation(300);
  rig.Move(-100, 38);
  EXPECT_EQ(view->Elevation(), 322);
  rig.Up(-100, 38);
  EXPECT_FALSE(tool->Dragging());
  // Another button does not start it.
  rig.Down(100, 100, mbRight);
  EXPECT_FALSE(tool->Dragging());
  rig.Up(100, 100, mbRight);
}

// ---- nearest point -----------------------------------------------------------------------

TEST(NearestTool, PicksVisiblePointsOnlyAndTheLowerIndexOfATie) {
  ToolRig rig;
  // x 106, 294 and (outside the rectangle) 576, all at y 125.
  TLineSeries* s = rig.AddSeries({{25, 50}, {75, 50}, {150, 50}});
  auto* tool = rig.AddTool<TNearestTool>();
  tool->SetSeries(s);
  int changes = 0;
  tool->OnChange = [&](TObject*) { ++changes; };
  rig.Draw();
  EXPECT_EQ(tool->GetNearestPoint(200, 125), 0);  // 94 pixels from both
  EXPECT_EQ(tool->GetNearestPoint(201, 125), 1);
  EXPECT_EQ(tool->GetNearestPoint(390, 125), 1);  // the nearer point is outside
  rig.Move(120, 130, false);
  EXPECT_EQ(tool->Point(), 0);
  EXPECT_EQ(changes, 1);
  // The marker: a circle of Size around the point and a line from the mouse.
  tool->SetFullRepaint(false);
  rig.canvas->Log.clear();
  rig.Move(290, 120, false);
  EXPECT_EQ(tool->Point(), 1);
  EXPECT_EQ(rig.canvas->Ops({"Ellipse", "Line"}),
            (std::vector<std::string>{"Ellipse 86,105,126,145", "Line 120,130,106,125", "Ellipse 274,105,314,145",
                                      "Line 290,120,294,125"}));
  EXPECT_EQ(rig.canvas->Find("Ellipse")->Mode, pmNotXor);
  tool->SetStyle(hsDiamond);
  tool->SetSize(5);
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"PolygonZ"}), (std::vector<std::string>{"PolygonZ 294,120,299,125,294,130,289,125,0"}));
}

// ---- draw line ---------------------------------------------------------------------------

TEST(DrawLineTool, DrawingSelectingAndDraggingLines) {
  ToolRig rig;
  rig.AddSeries();
  auto* tool = rig.AddTool<TDrawLineTool>();
  int newLines = 0, selects = 0, dragged = 0;
  tool->OnNewLine = [&](TObject*) { ++newLines; };
  tool->OnSelect = [&](TObject*) { ++selects; };
  tool->OnDraggedLine = [&](TObject*) { ++dragged; };
  rig.Draw();

  // A click without moving adds nothing.
  rig.Down(106, 194);
  EXPECT_TRUE(tool->Drawing());
  EXPECT_FALSE(rig.chart->Zoom()->Active);
  rig.Up(106, 194);
  EXPECT_EQ(tool->Lines()->Count(), 0);
  EXPECT_EQ(newLines, 0);
  EXPECT_FALSE(tool->Drawing());

  // Two lines, kept in axis values: (25, 20)-(75, 20) and (25, 60)-(75, 60).
  for (Integer y : {194, 102}) {
    rig.Down(106, y);
    rig.Move(200, y);
    rig.Move(294, y);
    rig.Up(294, y);
  }
  ASSERT_EQ(tool->Lines()->Count(), 2);
  EXPECT_EQ(newLines, 2);
  TDrawLine* a = tool->Lines()->Line(0);
  TDrawLine* b = tool->Lines()->Line(1);
  EXPECT_NEAR(a->StartPos.X, 25, 1e-9);
  EXPECT_NEAR(a->StartPos.Y, 20, 1e-9);
  EXPECT_NEAR(b->EndPos.X, 75, 1e-9);
  EXPECT_NEAR(b->EndPos.Y, 60, 1e-9);
  EXPECT_EQ(a->Parent, tool);

  // A click on A's body (or up to 4 pixels past its end) selects it; then a press on
  // B's start handle moves all of B.
  rig.Down(297, 194);
  rig.Up(297, 194);
  EXPECT_EQ(tool->Selected(), a);
  EXPECT_EQ(selects, 1);
  rig.Down(108, 103);
  EXPECT_EQ(tool->Selected(), b);
  EXPECT_EQ(tool->DragMode(), 3);
  rig.Move(108 + 37, 103);  // right by 37.6 pixels' worth of 10 units, rounded
  rig.Up(108 + 37, 103);
  EXPECT_EQ(dragged, 2);  // the selecting click was a drag of no distance
  EXPECT_NEAR(b->StartPos.X, (106 + 37 - 12) / 3.76, 1e-9);
  EXPECT_NEAR(b->EndPos.X, (294 + 37 - 12) / 3.76, 1e-9);
  // Now B is selected: its start handle moves only the start.
  const TPoint start = tool->AxisPoint(b->StartPos);
  const TFloatPoint end = b->EndPos;
  rig.Down(start.x + 2, start.y - 2);
  EXPECT_EQ(tool->DragMode(), 1);
  rig.Move(12, 240);
  rig.Up(12, 240);
  EXPECT_NEAR(b->StartPos.X, 0, 1e-9);
  EXPECT_NEAR(b->StartPos.Y, 0, 1e-9);
  EXPECT_EQ(b->EndPos, end);

  // Hovering a handle of the selected line shows the cross, another line the hand.
  rig.Move(12, 240, false);
  EXPECT_EQ(rig.chart->Cursor(), crCross);
  rig.Move(200, 194, false);
  EXPECT_EQ(rig.chart->Cursor(), crHandPoint);

  // A click away from every line clears the selection; so does clearing the lines.
  rig.Down(300, 30);
  EXPECT_EQ(tool->Selected(), nullptr);
  rig.Up(300, 30);
  rig.Down(200, 194);
  rig.Up(200, 194);
  ASSERT_NE(tool->Selected(), nullptr);
  tool->Lines()->Clear();
  EXPECT_EQ(tool->Selected(), nullptr);
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"Line"}), std::vector<std::string>{});
}

// ---- mark tips ---------------------------------------------------------------------------

TEST(MarksTipTool, ShowsTheMarkTextAndASecondToolKeepsTheHint) {
  ASSERT_NE(Application, nullptr);
  ToolRig rig;
  TLineSeries* s = rig.AddSeries({{25, 50}, {75, 50}});
  s->SetValueLabel(0, "first");
  s->Pointer()->SetVisible(true);
  auto* tip = rig.AddTool<TMarksTipTool>();
  tip->SetSeries(s);
  EXPECT_TRUE(rig.chart->ShowHint());
  tip->OnGetText = [](TMarksTipTool*, std::string& text) { text += "!"; };
  rig.Draw();
  rig.Move(106, 125, false);
  EXPECT_EQ(rig.chart->Hint(), "first!");
  // The value style gives the value; the marks keep their own style.
  tip->SetStyle(smsValue);
  rig.Move(294, 125, false);
  EXPECT_EQ(rig.chart->Hint(), "50!");
  EXPECT_EQ(s->Marks()->Style(), smsLabel);
  // Changing the action clears the hint; a click tool ignores moves.
  tip->SetMouseAction(mtmClick);
  EXPECT_EQ(rig.chart->Hint(), "");
  rig.Move(294, 125, false);
  EXPECT_EQ(rig.chart->Hint(), "");
  rig.Down(294, 125);
  rig.Up(294, 125);
  EXPECT_EQ(rig.chart->Hint(), "50!");
  tip->SetActive(false);
  EXPECT_EQ(rig.chart->Hint(), "");

  // Off the points one tool cancels the application's hint; with a second tip tool on
  // the chart the hint is left to it.
  tip->SetActive(true);
  tip->SetMouseAction(mtmMove);
  rig.form->Show();
  rig.Move(294, 125, false);
  ASSERT_TRUE(Application->HintActive());
  auto* other = rig.AddTool<TMarksTipTool>();
  rig.Move(200, 30, false);
  EXPECT_TRUE(Application->HintActive());
  other->SetParentChart(nullptr);
  rig.Move(200, 31, false);
  EXPECT_FALSE(Application->HintActive());
}

// ---- annotation --------------------------------------------------------------------------

TEST(AnnotationTool, AnEmptyTextIsFramedAroundOneBlank) {
  ToolRig rig;
  auto* note = rig.AddTool<TAnnotationTool>();
  rig.Draw();
  TCanvas3D* canvas = rig.chart->Canvas();
  canvas->ApplyFont(note->Shape()->Font());
  const Integer w = canvas->MeasureTextWidth(" ");
  const Integer h = canvas->LineHeight();
  const TRect frame = note->Shape()->ShapeBounds;
  EXPECT_EQ(frame.left, 6);
  EXPECT_EQ(frame.top, 8);
  EXPECT_EQ(frame.right, 10 + w + 2);
  EXPECT_EQ(frame.bottom, 10 + h + 2);
  EXPECT_EQ(rig.canvas->Ops({"Text"}), (std::vector<std::string>{"Text 10,10 ' '"}));

  // Two lines in the bottom-right corner.
  note->SetText(std::string("ab") + ChartLineSeparator + "c");
  note->SetPosition(ppRightBottom);
  rig.Draw();
  const Integer wide = canvas->MeasureTextWidth("ab");
  const Integer x = 400 - wide - 8;
  const Integer y = 250 - 2 * h - 8;
  EXPECT_EQ(rig.canvas->Ops({"Text"}),
            (std::vector<std::string>{"Text " + std::to_string(x) + "," + std::to_string(y) + " 'ab'",
                                      "Text " + std::to_string(x) + "," + std::to_string(y + h) + " 'c'"}));
  // A custom position puts the text inside the shape's own place.
  note->Shape()->SetLeft(50);
  note->Shape()->SetTop(60);
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"Text"}).front(), "Text 54,62 'ab'");
  EXPECT_EQ(note->Shape()->ShapeBounds.left, 50);
}

// ---- image -------------------------------------------------------------------------------

TEST(ChartImageTool, ThePictureCoversTheSeriesOrTheAxesRange) {
  ToolRig rig;
  auto* tool = rig.AddTool<TChartImageTool>();
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"Stretch"}), std::vector<std::string>{});  // no picture
  TBitmap picture;
  picture.SetSize(4, 4);
  tool->Picture()->Assign(&picture);
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"ClipCube", "Stretch"}),
            (std::vector<std::string>{"ClipCube 12,10,388,240,0,0", "Stretch 12,10,388,240"}));
  TLineSeries* s = rig.AddSeries({{25, 20}, {75, 80}});
  tool->SetSeries(s);
  rig.chart->SetClipPoints(false);
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"ClipCube", "Stretch"}), (std::vector<std::string>{"Stretch 106,56,294,194"}));
}
