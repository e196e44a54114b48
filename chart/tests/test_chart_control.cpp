// The chart control: which part a button goes down on, the zoom and pan state machines
// with the saved axes, the wheel, background clicks, titles and the back wall.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "chart/chart_control.h"
#include "chart/chart_tools_base.h"
#include "chart/chart_utils.h"
#include "chart/line_series.h"
#include "chart/tests/tool_rig.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/forms.h"
#include "platform/win/messages.h"
#include "platform/win/window.h"

namespace {

using Ops = std::vector<std::string>;

const TShiftState kLeft{ssLeft};
const TShiftState kCtrlLeft{ssLeft, ssCtrl};

// The tools' chart with the title back, axes 0..100 without labels (so the plotting
// rectangle is the margins' (12, 10)-(388, 240)), one line series from (0, 0) to
// (100, 100), zoomed with Ctrl and the left button as the editors do.
struct ChartRig : ToolRig {
  explicit ChartRig(bool Axes = false) {
    chart->Title()->SetVisible(true);
    for (TChartAxis* a : {chart->BottomAxis(), chart->LeftAxis(), chart->TopAxis(), chart->RightAxis()})
      a->SetVisible(true);
    chart->SetAxisVisible(Axes);
    chart->Zoom()->SetKeyShift({ssCtrl});
    series = AddSeries();
    Draw();
  }
  void Drag(Integer X0, Integer Y0, Integer X1, Integer Y1, TShiftState Shift = kCtrlLeft) {
    chart->MouseDown(mbLeft, Shift, X0, Y0);
    chart->MouseMove(Shift, X1, Y1);
    chart->MouseUp(mbLeft, {}, X1, Y1);
  }
  TLineSeries* series = nullptr;
};

// Pixels of the plotting rectangle as axis values (axes 0..100 over 12..388 and 10..240).
Double XAt(Integer X) { return (X - 12) * 100.0 / 376; }
Double YAt(Integer Y) { return 100.0 - (Y - 10) * 100.0 / 230; }

class CancelTool : public TChartCustomTool {
 public:
  CancelTool() : TChartCustomTool(nullptr) {}
  void ChartMouseEvent(TChartMouseEventKind Event, TMouseButton, TShiftState, Integer, Integer) override {
    if (Event == cmeDown) ParentChart()->SetCancelMouse(true);
  }
};

}  // namespace

// ---- zoom ----------------------------------------------------------------------------------

TEST(ChartZoom, CtrlDragTowardsBottomRightZoomsAndSavesTheAxes) {
  ChartRig rig;
  TChart* chart = rig.chart;
  int zooms = 0;
  chart->OnZoom = [&](TObject*) { ++zooms; };

  // Without Ctrl nothing starts.
  chart->MouseDown(mbLeft, kLeft, 100, 50);
  EXPECT_FALSE(chart->Zoom()->Active);
  chart->MouseUp(mbLeft, {}, 100, 50);

  chart->MouseDown(mbLeft, kCtrlLeft, 100, 50);
  ASSERT_TRUE(chart->Zoom()->Active);
  EXPECT_EQ(chart->Zoom()->X0, 100);
  EXPECT_EQ(chart->Zoom()->Y0, 50);
  chart->MouseMove(kCtrlLeft, 200, 150);
  EXPECT_EQ(chart->Zoom()->X1, 200);
  EXPECT_EQ(chart->Zoom()->Y1, 150);
  chart->MouseUp(mbLeft, {}, 200, 150);
  EXPECT_FALSE(chart->Zoom()->Active);

  EXPECT_EQ(zooms, 1);
  EXPECT_TRUE(chart->Zoomed());
  EXPECT_NEAR(chart->BottomAxis()->Minimum(), XAt(100), 1e-9);
  EXPECT_NEAR(chart->BottomAxis()->Maximum(), XAt(200), 1e-9);
  EXPECT_NEAR(chart->LeftAxis()->Minimum(), YAt(150), 1e-9);
  EXPECT_NEAR(chart->LeftAxis()->Maximum(), YAt(50), 1e-9);
  // The state before the zoom: top, bottom, left, right.
  ASSERT_TRUE(chart->HasSavedAxes());
  const auto& saved = chart->SavedAxes();
  EXPECT_TRUE(saved[0].Automatic);
  EXPECT_FALSE(saved[1].Automatic);
  EXPECT_EQ(saved[1].Minimum, 0);
  EXPECT_EQ(saved[1].Maximum, 100);
  EXPECT_FALSE(chart->TopAxis()->Automatic());

  // A second zoom keeps the first saved state.
  rig.Draw();
  rig.Drag(100, 50, 300, 200);
  EXPECT_EQ(chart->SavedAxes()[1].Maximum, 100);
}

TEST(ChartZoom, DraggingTheOtherWayUndoesAndSmallDragsDoNothing) {
  ChartRig rig;
  TChart* chart = rig.chart;
  int undos = 0, zooms = 0;
  chart->OnUndoZoom = [&](TObject*) { ++undos; };
  chart->OnZoom = [&](TObject*) { ++zooms; };

  // Too small in one direction: neither zoom nor undo.
  rig.Drag(100, 50, 116, 150);
  rig.Drag(100, 50, 200, 66);
  EXPECT_EQ(zooms, 0);
  EXPECT_EQ(undos, 0);
  EXPECT_EQ(chart->BottomAxis()->Maximum(), 100);

  rig.Drag(100, 50, 200, 150);
  EXPECT_EQ(zooms, 1);
  rig.Draw();
  // Up and to the left: back to the saved axes, automatic ones automatic again.
  rig.Drag(200, 150, 100, 50);
  EXPECT_EQ(undos, 1);
  EXPECT_FALSE(chart->HasSavedAxes());
  EXPECT_FALSE(chart->Zoomed());
  EXPECT_EQ(chart->BottomAxis()->Minimum(), 0);
  EXPECT_EQ(chart->BottomAxis()->Maximum(), 100);
  EXPECT_FALSE(chart->BottomAxis()->Automatic());
  EXPECT_EQ(chart->LeftAxis()->Maximum(), 100);
  EXPECT_TRUE(chart->TopAxis()->Automatic());
  EXPECT_TRUE(chart->RightAxis()->AutomaticMinimum());
  // Down-left and up-right count as "other ways" too.
  rig.Draw();
  rig.Drag(200, 50, 100, 150);
  EXPECT_EQ(undos, 2);
  EXPECT_EQ(zooms, 1);
}

TEST(ChartZoom, CtrlArrivesThroughTheWindowMessages) {
  ChartRig rig;
  TChart* chart = rig.chart;
  chart->Perform(win::WM_LBUTTONDOWN, win::MK_LBUTTON, win::MAKELPARAM(100, 50));
  EXPECT_FALSE(chart->Zoom()->Active);
  chart->Perform(win::WM_LBUTTONUP, 0, win::MAKELPARAM(100, 50));
  chart->Perform(win::WM_LBUTTONDOWN, win::MK_LBUTTON | win::MK_CONTROL, win::MAKELPARAM(100, 50));
  EXPECT_TRUE(chart->Zoom()->Active);
  chart->Perform(win::WM_MOUSEMOVE, win::MK_LBUTTON | win::MK_CONTROL, win::MAKELPARAM(200, 150));
  chart->Perform(win::WM_LBUTTONUP, 0, win::MAKELPARAM(200, 150));
  EXPECT_NEAR(chart->BottomAxis()->Maximum(), XAt(200), 1e-9);
}

TEST(ChartZoom, OneDirectionZoomsSpanTheWholeRectangleTheOtherWay) {
  ChartRig rig;
  TChart* chart = rig.chart;
  chart->Zoom()->SetDirection(tzdHorizontal);
  chart->MouseDown(mbLeft, kCtrlLeft, 100, 50);
  EXPECT_EQ(chart->Zoom()->Y0, 10);
  EXPECT_EQ(chart->Zoom()->Y1, 240);
  chart->MouseMove(kCtrlLeft, 200, 60);
  EXPECT_EQ(chart->Zoom()->Y1, 240);
  chart->MouseUp(mbLeft, {}, 200, 60);
  EXPECT_NEAR(chart->BottomAxis()->Minimum(), XAt(100), 1e-9);
  EXPECT_NEAR(chart->LeftAxis()->Minimum(), 0, 1e-9);
  EXPECT_NEAR(chart->LeftAxis()->Maximum(), 100, 1e-9);
}

TEST(ChartZoom, AToolThatTakesTheButtonKeepsTheChartFromZooming) {
  ChartRig rig;
  CancelTool tool;
  tool.SetParentChart(rig.chart);
  int background = 0;
  rig.chart->OnClickBackground = [&](TCustomChart*, TMouseButton, TShiftState, Integer, Integer) { ++background; };
  rig.chart->MouseDown(mbLeft, kCtrlLeft, 100, 50);
  EXPECT_FALSE(rig.chart->Zoom()->Active);
  EXPECT_EQ(background, 0);
  tool.SetParentChart(nullptr);
}

// ---- pan and wheel -------------------------------------------------------------------------

TEST(ChartPan, RightButtonDragMovesTheAxesWithTheMouse) {
  ChartRig rig;
  TChart* chart = rig.chart;
  int scrolls = 0;
  chart->OnScroll = [&](TObject*) { ++scrolls; };
  chart->MouseDown(mbRight, {ssRight}, 200, 100);
  EXPECT_TRUE(chart->Panning()->Active);
  chart->MouseMove({ssRight}, 210, 100);
  EXPECT_NEAR(chart->BottomAxis()->Minimum(), -10 * 100.0 / 376, 1e-9);
  EXPECT_NEAR(chart->BottomAxis()->Maximum(), 100 - 10 * 100.0 / 376, 1e-9);
  EXPECT_EQ(chart->LeftAxis()->Minimum(), 0);
  // A second move before any repaint continues from there.
  chart->MouseMove({ssRight}, 220, 100);
  EXPECT_NEAR(chart->BottomAxis()->Minimum(), -20 * 100.0 / 376, 1e-9);
  EXPECT_EQ(scrolls, 2);
  chart->MouseUp(mbRight, {}, 220, 100);
  EXPECT_FALSE(chart->Panning()->Active);
  // The pan can be undone like a zoom.
  chart->UndoZoom();
  EXPECT_EQ(chart->BottomAxis()->Minimum(), 0);

  // A refused scroll changes nothing; leaving the rectangle ends the pan.
  chart->OnAllowScroll = [](TChartAxis*, Double&, Double&, bool& Allow) { Allow = false; };
  chart->MouseDown(mbRight, {ssRight}, 200, 100);
  chart->MouseMove({ssRight}, 230, 120);
  EXPECT_EQ(chart->BottomAxis()->Minimum(), 0);
  chart->MouseMove({ssRight}, 395, 120);
  EXPECT_FALSE(chart->Panning()->Active);
}

TEST(ChartWheel, EachStepScrollsTheVerticalAxesByThreePercent) {
  ChartRig rig;
  TChart* chart = rig.chart;
  chart->RightAxis()->SetMinMax(-50, 50);
  EXPECT_TRUE(chart->DoMouseWheel({}, -120, TPoint{100, 100}));
  EXPECT_DOUBLE_EQ(chart->LeftAxis()->Minimum(), 3);
  EXPECT_DOUBLE_EQ(chart->LeftAxis()->Maximum(), 103);
  EXPECT_DOUBLE_EQ(chart->RightAxis()->Minimum(), -47);
  EXPECT_EQ(chart->BottomAxis()->Minimum(), 0);
  chart->DoMouseWheel({}, 240, TPoint{100, 100});
  EXPECT_DOUBLE_EQ(chart->LeftAxis()->Minimum(), -3);
  EXPECT_DOUBLE_EQ(chart->LeftAxis()->Maximum(), 97);

  // The control's own wheel handler comes first; the library switch turns it off.
  chart->OnMouseWheel = [](TObject*, TShiftState, Integer, TPoint, bool& Handled) { Handled = true; };
  chart->DoMouseWheel({}, -120, TPoint{100, 100});
  EXPECT_DOUBLE_EQ(chart->LeftAxis()->Minimum(), -3);
  chart->OnMouseWheel = nullptr;
  ChartUseMouseWheel = false;
  EXPECT_FALSE(chart->DoMouseWheel({}, -120, TPoint{100, 100}));
  ChartUseMouseWheel = true;
  EXPECT_DOUBLE_EQ(chart->LeftAxis()->Minimum(), -3);
}

// ---- clicks --------------------------------------------------------------------------------

TEST(ChartClicks, AClickOnThePlottingAreaTellsTheBackgroundOnce) {
  ChartRig rig;
  TChart* chart = rig.chart;
  int background = 0;
  chart->OnClickBackground = [&](TCustomChart*, TMouseButton, TShiftState, Integer, Integer) { ++background; };
  chart->MouseDown(mbLeft, kLeft, 100, 50);
  chart->MouseUp(mbLeft, {}, 100, 50);
  EXPECT_EQ(background, 1);
  // Outside every part: once as well.
  chart->MouseDown(mbLeft, kLeft, 3, 3);
  chart->MouseUp(mbLeft, {}, 3, 3);
  EXPECT_EQ(background, 2);
  // A handler that takes the click stops the zoom.
  chart->OnClickBackground = [&](TCustomChart* Sender, TMouseButton, TShiftState, Integer, Integer) {
    ++background;
    Sender->SetCancelMouse(true);
  };
  chart->MouseDown(mbLeft, kCtrlLeft, 100, 50);
  EXPECT_EQ(background, 3);
  EXPECT_FALSE(chart->Zoom()->Active);
  EXPECT_FALSE(chart->CancelMouse());
}

TEST(ChartClicks, ClickedPartPrecedence) {
  ChartRig rig(true);
  TChart* chart = rig.chart;
  TLineSeries* s = rig.series;
  s->AddXY(50, 0);
  int clicks = 0;
  s->OnClick = [&](TChartSeries*, Integer, TMouseButton, TShiftState, Integer, Integer) { ++clicks; };
  chart->Title()->Text()->Add("Hello");
  rig.Draw();

  // Point 1, (50, 0), lies on the bottom axis line: the series wins.
  const TPoint onAxis{s->CalcXPos(1), s->CalcYPos(1)};
  EXPECT_EQ(onAxis.y, chart->BottomAxis()->LinePixel);
  TChartClickedPart part = chart->CalcClickedPart(onAxis, true);
  EXPECT_EQ(part.Part, cpSeries);
  EXPECT_EQ(part.ASeries, s);
  EXPECT_EQ(part.PointIndex, 1);
  // Only series somebody listens to count when asked so.
  s->OnClick = nullptr;
  part = chart->CalcClickedPart(onAxis, true);
  EXPECT_EQ(part.Part, cpAxis);
  EXPECT_EQ(part.AAxis, chart->BottomAxis());
  EXPECT_EQ(chart->CalcClickedPart(onAxis, false).Part, cpSeries);

  // The title, the plotting area, and nothing.
  const TRect t = chart->Title()->ShapeBounds;
  EXPECT_EQ(chart->CalcClickedPart(TPoint{(t.left + t.right) / 2, (t.top + t.bottom) / 2}, true).Part, cpTitle);
  const TRect r = chart->ChartRect();
  const TPoint empty{r.left + 10, r.top + 10};
  EXPECT_EQ(chart->CalcClickedPart(empty, true).Part, cpChartRect);
  EXPECT_EQ(chart->CalcClickedPart(TPoint{2, 2}, true).Part, cpNone);
  s->SetActive(false);
  EXPECT_EQ(chart->CalcClickedPart(empty, true).Part, cpNone);
  s->SetActive(true);

  // A legend placed over a point comes first.
  const TPoint point{s->CalcXPos(2), s->CalcYPos(2)};
  ASSERT_EQ(chart->CalcClickedPart(point, false).Part, cpSeries);
  chart->Legend()->SetVisible(true);
  chart->Legend()->SetLeft(point.x - 5);
  chart->Legend()->SetTop(point.y - 5);
  rig.Draw();
  part = chart->CalcClickedPart(point, false);
  EXPECT_EQ(part.Part, cpLegend);
  EXPECT_EQ(part.PointIndex, 0);
  EXPECT_EQ(clicks, 0);
}

TEST(ChartClicks, SeriesClicksReachTheSeriesAndTheChart) {
  ChartRig rig;
  TChart* chart = rig.chart;
  TLineSeries* s = rig.series;
  Ops log;
  s->OnClick = [&](TChartSeries*, Integer i, TMouseButton, TShiftState, Integer, Integer) {
    log.push_back("click " + std::to_string(i));
  };
  s->OnDblClick = [&](TChartSeries*, Integer i, TMouseButton, TShiftState, Integer, Integer) {
    log.push_back("dbl " + std::to_string(i));
  };
  const TPoint p{s->CalcXPos(1), s->CalcYPos(1)};
  chart->MouseDown(mbLeft, kCtrlLeft, p.x, p.y);
  // Not taken: the zoom may start from a point.
  EXPECT_TRUE(chart->Zoom()->Active);
  chart->MouseUp(mbLeft, {}, p.x, p.y);
  chart->MouseDown(mbLeft, {ssLeft, ssDouble}, p.x, p.y);
  chart->MouseUp(mbLeft, {}, p.x, p.y);
  chart->OnClickSeries = [&](TCustomChart*, TChartSeries*, Integer i, TMouseButton, TShiftState, Integer, Integer) {
    log.push_back("chart " + std::to_string(i));
  };
  chart->MouseDown(mbLeft, kCtrlLeft, p.x, p.y);
  // The chart's handler took it (CancelMouse stayed set): no zoom.
  EXPECT_FALSE(chart->Zoom()->Active);
  EXPECT_EQ(log, (Ops{"click 1", "dbl 1", "click 1", "chart 1"}));
}

TEST(ChartClicks, LegendCheckBoxesSwitchTheSeriesDrawnInThatRow) {
  ChartRig rig;
  TChart* chart = rig.chart;
  std::vector<TLineSeries*> more;
  for (int i = 0; i < 3; ++i) {
    more.push_back(new TLineSeries(rig.form.get()));
    more.back()->SetParentChart(chart);
  }
  TChartLegend* legend = chart->Legend();
  legend->SetVisible(true);
  legend->SetCheckBoxes(true);
  legend->SetFirstValue(2);
  rig.Draw();
  const TRect r = legend->ShapeBounds;
  chart->MouseDown(mbLeft, kLeft, r.left + 6, r.top + 5);
  chart->MouseUp(mbLeft, {}, r.left + 6, r.top + 5);
  // The first row shows the third series (index 2).
  EXPECT_FALSE(more[1]->Active());
  EXPECT_TRUE(rig.series->Active());
  EXPECT_TRUE(more[0]->Active());

  // The legend's own handler is told, and keeps the click.
  int legendClicks = 0;
  chart->OnClickLegend = [&](TCustomChart*, TMouseButton, TShiftState, Integer, Integer) { ++legendClicks; };
  chart->MouseDown(mbLeft, kCtrlLeft, r.left + 6, r.top + 5);
  EXPECT_EQ(legendClicks, 1);
  EXPECT_TRUE(more[1]->Active());
  EXPECT_FALSE(chart->Zoom()->Active);
}

TEST(ChartCursor, TheSeriesCursorShowsOverItsPointsOnly) {
  ChartRig rig;
  TChart* chart = rig.chart;
  rig.series->SetCursor(crHandPoint);
  const TPoint p{rig.series->CalcXPos(1), rig.series->CalcYPos(1)};
  chart->MouseMove({}, p.x, p.y);
  EXPECT_EQ(chart->Cursor(), crHandPoint);
  chart->MouseMove({}, 100, 50);
  EXPECT_EQ(chart->Cursor(), crDefault);
  // A cursor the form's own handler sets stays.
  chart->OnMouseMove = [&](TObject*, TShiftState, Integer, Integer) { chart->SetCursor(crCross); };
  chart->MouseMove({}, 110, 50);
  EXPECT_EQ(chart->Cursor(), crCross);
  // A series leaving while the chart shows its cursor hands the chart's own back.
  chart->OnMouseMove = nullptr;
  chart->MouseMove({}, p.x, p.y);
  ASSERT_EQ(chart->Cursor(), crHandPoint);
  rig.series->SetParentChart(nullptr);
  EXPECT_EQ(chart->Cursor(), crDefault);
}

TEST(ChartSeriesList, RemoveAllSeriesKeepsThemAlive) {
  ChartRig rig;
  auto* second = new TLineSeries(rig.form.get());
  second->SetParentChart(rig.chart);
  rig.chart->RemoveAllSeries();
  EXPECT_EQ(rig.chart->SeriesCount(), 0);
  EXPECT_EQ(rig.series->ParentChart(), nullptr);
  EXPECT_EQ(second->ParentChart(), nullptr);
  EXPECT_EQ(rig.series->Count(), 2);
  // They can join again.
  rig.series->SetParentChart(rig.chart);
  EXPECT_EQ(rig.chart->SeriesCount(), 1);
}

TEST(ChartColours, FreeColoursAlsoAvoidTheBackWall) {
  ChartRig rig;
  rig.series->SetSeriesColor(PaletteColor(0));
  rig.chart->BackWall()->SetColor(PaletteColor(1));
  rig.chart->SetColor(PaletteColor(2));
  EXPECT_EQ(rig.chart->GetFreeSeriesColor(true), PaletteColor(3));
  EXPECT_EQ(rig.chart->GetFreeSeriesColor(false), PaletteColor(1));
  // The background is the chart's colour behind a transparent back wall.
  EXPECT_EQ(rig.chart->GetBackColor(), PaletteColor(2));
  rig.chart->BackWall()->SetTransparent(false);
  EXPECT_EQ(rig.chart->GetBackColor(), PaletteColor(1));
}

// ---- titles and walls ----------------------------------------------------------------------

TEST(ChartTitles, TitlesTakeTheirRoomAndFootLinesRunUpwards) {
  ChartRig rig;
  TChart* chart = rig.chart;
  chart->Title()->Text()->Add("Hello");
  chart->Foot()->Text()->Add("L1");
  chart->Foot()->Text()->Add("L2");
  rig.Draw();
  // "Hello" is 23 wide, "W" 10, the frame 1: a 34 wide box centred on 200.
  EXPECT_EQ(chart->Title()->ShapeBounds, (TRect{183, 10, 217, 25}));
  const Ops texts = rig.canvas->Ops({"Text"});
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "Text 189,11 'Hello'");
  // The foot's first line is its lowest.
  EXPECT_EQ(texts[1].substr(texts[1].find(',') + 1), "227 'L1'");
  EXPECT_EQ(texts[2].substr(texts[2].find(',') + 1), "214 'L2'");
  // The plotting area lies between them.
  EXPECT_EQ(chart->ChartRect().top, 25 + 5 + 1);
  EXPECT_EQ(chart->ChartRect().bottom, 241 - 5 - 1 - 26);
}

TEST(ChartTitles, AVerticalLegendIsPlacedBeforeTheTitles) {
  ChartRig rig;
  TChart* chart = rig.chart;
  auto* second = new TLineSeries(rig.form.get());
  second->SetParentChart(chart);
  rig.series->SetTitle("A");
  second->SetTitle("BB");
  chart->Legend()->SetVisible(true);
  chart->Title()->Text()->Add("Hello");
  rig.Draw();
  // The legend as without a title; the title centred on what it left: (11 + 338) / 2.
  EXPECT_EQ(chart->Legend()->ShapeBounds, (TRect{348, 25, 383, 53}));
  EXPECT_EQ(chart->Title()->ShapeBounds.left, 174 - 17);

  // At the bottom, the titles go first and the legend stands above the foot.
  chart->Legend()->SetAlignment(laBottom);
  chart->Foot()->Text()->Add("F");
  rig.Draw();
  const Integer footTop = chart->Foot()->ShapeBounds.top;
  EXPECT_LT(chart->Legend()->ShapeBounds.bottom, footTop);
}

TEST(ChartWalls, A2DBackWallFramesThePlottingRectangleWithoutFilling) {
  ChartRig rig;
  TChart* chart = rig.chart;
  rig.series->SetActive(false);
  chart->SetColor(clWhite);
  rig.Draw();
  EXPECT_EQ(rig.At(12, 10), clBlack);
  EXPECT_EQ(rig.At(388, 240), clBlack);
  EXPECT_EQ(rig.At(200, 10), clBlack);
  EXPECT_EQ(rig.At(388, 100), clBlack);
  EXPECT_EQ(rig.At(200, 100), clWhite);
  chart->BackWall()->SetTransparent(false);
  rig.Draw();
  EXPECT_EQ(rig.At(200, 100), clSilver);
  chart->BackWall()->SetVisible(false);
  rig.Draw();
  EXPECT_EQ(rig.At(12, 10), clWhite);
  EXPECT_EQ(rig.At(200, 100), clWhite);
}

// ---- forms -------------------------------------------------------------------------------

TEST(ChartForms, OldBackColourSeriesThenToolsAndTheChartsOwnSettings) {
  win::ResetWindowSystem();
  std::string text;
  {
    std::unique_ptr<TComponent> root = ReadComponentText(R"(object Holder: TForm
  object Chart1: TChart
    BackColor = clRed
    AxisBehind = False
    MaxPointsPerPage = 5
    ScrollMouseButton = mbMiddle
    Legend.Alignment = laBottom
    Legend.CheckBoxes = True
    Title.Text.Strings = (
      'Curve')
    object Line: TColorLineTool
      AxisID = 0
    end
    object Series1: TLineSeries
    end
  end
end
)");
    auto* chart = static_cast<TChart*>(root->FindComponent("Chart1"));
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->BackWall()->Color(), clRed);
    EXPECT_FALSE(chart->AxisBehind());
    EXPECT_EQ(chart->MaxPointsPerPage(), 5);
    EXPECT_EQ(chart->ScrollMouseButton(), mbMiddle);
    EXPECT_EQ(chart->Legend()->Alignment(), laBottom);
    EXPECT_TRUE(chart->Legend()->CheckBoxes());
    ASSERT_EQ(chart->Title()->Text()->Count(), 1);
    EXPECT_EQ(chart->Title()->Text()->Strings(0), "Curve");
    ASSERT_EQ(chart->SeriesCount(), 1);
    EXPECT_EQ(chart->Tools()->Count(), 1);
    text = WriteComponentText(root.get());
  }
  // The old colour is not written back; the series come before the tools.
  EXPECT_EQ(text.find("BackColor"), std::string::npos) << text;
  const auto series = text.find("object Series1");
  const auto tool = text.find("object Line");
  ASSERT_NE(series, std::string::npos) << text;
  ASSERT_NE(tool, std::string::npos) << text;
  EXPECT_LT(series, tool);
  EXPECT_NE(text.find("MaxPointsPerPage = 5"), std::string::npos) << text;
  {
    // What was written reads back.
    std::unique_ptr<TComponent> again = ReadComponentText(text);
    auto* chart = static_cast<TChart*>(again->FindComponent("Chart1"));
    EXPECT_EQ(chart->BackWall()->Color(), clRed);
    EXPECT_EQ(chart->Legend()->Alignment(), laBottom);
    EXPECT_EQ(chart->SeriesCount(), 1);
  }
  // A number works as the old colour as well; a bad value is an error.
  std::unique_ptr<TComponent> numbered = ReadComponentText(R"(object Chart2: TChart
  BackColor = 255
end
)");
  EXPECT_EQ(static_cast<TChart*>(numbered.get())->BackWall()->Color(), 0xFF);
  EXPECT_THROW(ReadComponentText(R"(object Chart3: TChart
  BackColor = clNoSuchColour
end
)"),
               EReadError);
  win::ResetWindowSystem();
}

TEST(ChartForms, ASeriesOnCustomAxesIsOnThemAgainAfterARoundTrip) {
  win::ResetWindowSystem();
  std::string text;
  {
    TForm form(nullptr);
    form.SetName("Holder");
    auto* chart = new TChart(&form);
    chart->SetName("Chart1");
    chart->SetParent(&form);
    chart->CustomAxes()->Add();  // a spare, so that the indices are not 0
    auto* vert = static_cast<TChartAxis*>(chart->CustomAxes()->Add());
    auto* horiz = static_cast<TChartAxis*>(chart->CustomAxes()->Add());
    horiz->SetHorizontal(true);
    auto* plain = new TLineSeries(&form);
    plain->SetName("Plain");
    plain->SetParentChart(chart);
    auto* series = new TLineSeries(&form);
    series->SetName("Series1");
    series->SetParentChart(chart);
    series->SetCustomVertAxis(vert);
    series->SetCustomHorizAxis(horiz);
    text = WriteComponentText(&form);
  }
  EXPECT_NE(text.find("CustomVertAxis = 1"), std::string::npos) << text;
  EXPECT_NE(text.find("CustomHorizAxis = 2"), std::string::npos) << text;
  std::unique_ptr<TComponent> again = ReadComponentText(text);
  auto* chart = static_cast<TChart*>(again->FindComponent("Chart1"));
  auto* series = static_cast<TChartSeries*>(again->FindComponent("Series1"));
  auto* plain = static_cast<TChartSeries*>(again->FindComponent("Plain"));
  ASSERT_NE(series, nullptr);
  ASSERT_EQ(chart->CustomAxes()->Count(), 3);
  EXPECT_EQ(series->GetVertAxis(), chart->CustomAxes()->Axis(1));
  EXPECT_EQ(series->GetHorizAxis(), chart->CustomAxes()->Axis(2));
  EXPECT_EQ(series->VertAxis(), aCustomVertAxis);
  EXPECT_EQ(plain->GetVertAxis(), chart->LeftAxis());
  // An index the chart does not have leaves the series on its standard axis.
  std::string bad = text;
  bad.replace(bad.find("CustomVertAxis = 1"), 18, "CustomVertAxis = 7");
  again = ReadComponentText(bad);
  chart = static_cast<TChart*>(again->FindComponent("Chart1"));
  series = static_cast<TChartSeries*>(again->FindComponent("Series1"));
  EXPECT_EQ(series->GetVertAxis(), chart->LeftAxis());
  EXPECT_EQ(series->GetHorizAxis(), chart->CustomAxes()->Axis(2));
  again.reset();
  win::ResetWindowSystem();
}

TEST(ChartRegistries, SeriesTypesHoldTheSeriesClassesOnce) {
  std::vector<const TClass*> classes;
  for (Integer i = 0; i < ChartSeriesTypes().Count(); ++i) classes.push_back(ChartSeriesTypes().Get(i).SeriesClass);
  for (const TClass* c : {&TLineSeries::StaticClass(), &TPointSeries::StaticClass()})
    EXPECT_EQ(std::count(classes.begin(), classes.end(), c), 1) << c->ClassName();
}

TEST(ChartWalls, A3DChartMakesRoomForItsDepth) {
  ChartRig rig;
  TChart* chart = rig.chart;
  chart->SetView3D(true);
  rig.Draw();
  // One series: 15 % of the smaller side (230) deep, at 45 degrees as far up as across.
  EXPECT_EQ(chart->Width3D(), 34);
  EXPECT_EQ(chart->ChartRect(), (TRect{12, 10 + 34, 388 - 34, 240}));
  // A back wall of some thickness takes that much more.
  chart->BackWall()->SetSize(5);
  chart->LeftWall()->SetSize(4);
  chart->BottomWall()->SetSize(4);
  rig.Draw();
  EXPECT_EQ(chart->ChartRect(), (TRect{12, 10 + 39, 388 - 39, 240}));
  EXPECT_EQ(chart->Width3D(), 34);
}

// A title's font differs from a fresh font in colour and style; a form keeps a font set back
// to black and plain, which the title would otherwise make blue or italic again.
TEST(ChartForms, TitleFontsSetBackToBlackAndPlainReadBack) {
  win::ResetWindowSystem();
  TForm form(nullptr);
  form.SetName("Holder");
  auto* chart = new TChart(&form);
  chart->SetName("Chart1");
  chart->SetParent(&form);
  struct Row {
    const char* name;
    TChartTitle* (TCustomChart::*title)() const;
  };
  const Row rows[] = {{"Title", &TCustomChart::Title},
                      {"SubTitle", &TCustomChart::SubTitle},
                      {"Foot", &TCustomChart::Foot},
                      {"SubFoot", &TCustomChart::SubFoot}};
  for (const Row& r : rows) {
    (chart->*r.title)()->Font()->SetColor(clBlack);
    (chart->*r.title)()->Font()->SetStyle(TFontStyles{});
  }
  std::unique_ptr<TComponent> back = ReadComponentText(WriteComponentText(&form));
  auto* again = static_cast<TChart*>(back->FindComponent("Chart1"));
  ASSERT_NE(again, nullptr);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ((again->*r.title)()->Font()->Color(), clBlack);
    EXPECT_TRUE((again->*r.title)()->Font()->Style().Empty());
  }
}
