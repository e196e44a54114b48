// The colour line: where and when it is drawn in the chart's pass, how the mouse drags it
// through the chart's own dispatch (tolerance, cursors, the chart's zoom kept out, the
// first of two lines), and its axis stored in forms by index.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "chart/color_line_tool.h"
#include "chart/tests/tool_rig.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"

// The rig's plotting rectangle is (12, 10)-(388, 240) and both axes run 0..100, so value
// v lies at x = 12 + 3.76 v and y = 240 - 2.3 v.

namespace {

TColorLineTool* AddLine(ToolRig& rig, TChartAxis* Axis, Double Value) {
  auto* tool = new TColorLineTool(rig.form.get());
  tool->SetAxis(Axis);
  tool->SetValue(Value);
  tool->SetParentChart(rig.chart);
  return tool;
}

}  // namespace

TEST(ColorLineDrawing, BeforeTheSeriesAcrossThePlottingRectangle) {
  ToolRig rig;
  auto* s = new TLineSeries(rig.form.get());
  s->SetParentChart(rig.chart);
  s->SetSeriesColor(clRed);
  s->AddXY(0, 50);
  s->AddXY(100, 50);
  TColorLineTool* v = AddLine(rig, rig.chart->BottomAxis(), 25);
  v->Pen()->SetColor(clBlue);
  TColorLineTool* h = AddLine(rig, rig.chart->LeftAxis(), 20);
  h->Pen()->SetColor(clLime);
  rig.Draw();
  // In 2D, once each, before the series: a depth line of no length and the line itself.
  EXPECT_EQ(rig.canvas->Ops({"ZLine", "VLine3D", "HLine3D"}),
            (std::vector<std::string>{"ZLine 106,240,0,0", "VLine3D 106,10,240,0", "ZLine 12,194,0,0",
                                      "HLine3D 12,388,194,0"}));
  EXPECT_EQ(rig.canvas->Find("VLine3D")->Pen, clBlue);
  // The series' line lies on top of the colour line where they cross.
  EXPECT_EQ(rig.At(106, 125), static_cast<TColor>(clRed));
  EXPECT_EQ(rig.At(106, 60), static_cast<TColor>(clBlue));
  EXPECT_EQ(rig.At(300, 194), static_cast<TColor>(clLime));

  // Outside the axis range the line lies outside the rectangle; a hidden pen draws
  // nothing; an inactive line is not drawn at all.
  v->SetValue(150);
  h->Pen()->SetVisible(false);
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"VLine3D"}), (std::vector<std::string>{"VLine3D 576,10,240,0"}));
  EXPECT_NE(rig.At(300, 194), static_cast<TColor>(clLime));
  v->SetActive(false);
  h->SetActive(false);
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"ZLine", "VLine3D", "HLine3D"}), std::vector<std::string>{});
}

TEST(ColorLineDrawing, ThreeDChartsDrawTheFrontPartAfterTheSeries) {
  ToolRig rig;
  rig.chart->SetView3D(true);
  TColorLineTool* v = AddLine(rig, rig.chart->BottomAxis(), 50);
  rig.Draw();
  const TRect r = rig.chart->ChartRect();
  const Integer d = rig.chart->Width3D();
  ASSERT_GT(d, 0);
  const Integer p = rig.chart->BottomAxis()->CalcXPosValue(50);
  const auto n = [](std::initializer_list<Integer> a) {
    std::string s;
    for (Integer x : a) s += (s.empty() ? "" : ",") + std::to_string(x);
    return s;
  };
  EXPECT_EQ(rig.canvas->Ops({"ZLine", "VLine3D"}),
            (std::vector<std::string>{"ZLine " + n({p, r.bottom, 0, d}), "VLine3D " + n({p, r.top, r.bottom, d}),
                                      "ZLine " + n({p, r.top, 0, d}), "VLine3D " + n({p, r.top, r.bottom, 0})}));
  // Without an axis nothing is drawn.
  v->SetAxis(nullptr);
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"ZLine", "VLine3D"}), std::vector<std::string>{});
}

TEST(ColorLineMouse, DragsWithinTwoPixelsAndKeepsTheChartFromZooming) {
  ToolRig rig;
  rig.AddSeries();
  TColorLineTool* line = AddLine(rig, rig.chart->BottomAxis(), 25);  // x 106
  int drags = 0, ends = 0;
  line->OnDragLine = [&](TColorLineTool* sender) {
    EXPECT_EQ(sender, line);
    ++drags;
  };
  line->OnEndDragLine = [&](TColorLineTool*) { ++ends; };
  rig.Draw();

  // 3 pixels away: no drag, the chart starts its zoom.
  rig.Down(109, 100);
  EXPECT_FALSE(line->Dragging());
  EXPECT_TRUE(rig.chart->Zoom()->Active);
  rig.Up(109, 100);
  EXPECT_FALSE(rig.chart->Zoom()->Active);
  EXPECT_EQ(ends, 1);  // any button up ends, dragging or not

  // 2 pixels away: the line takes the button, the chart never sees it.
  rig.Down(108, 100);
  EXPECT_TRUE(line->Dragging());
  EXPECT_FALSE(rig.chart->Zoom()->Active);
  rig.Move(150, 100);
  EXPECT_NEAR(line->Value(), (150 - 12) / 3.76, 1e-9);
  // Past the axis end the value leaves the range.
  rig.Move(500, 30);
  EXPECT_NEAR(line->Value(), (500 - 12) / 3.76, 1e-9);
  EXPECT_GT(line->Value(), 100);
  EXPECT_EQ(drags, 2);
  EXPECT_FALSE(rig.chart->Zoom()->Active);
  rig.Up(500, 30);
  EXPECT_FALSE(line->Dragging());
  EXPECT_EQ(ends, 2);
  rig.Move(200, 30, false);
  EXPECT_EQ(drags, 2);

  // Any button drags; a line on the vertical axis follows Y.
  TColorLineTool* across = AddLine(rig, rig.chart->LeftAxis(), 40);  // y 148
  rig.Down(300, 150, mbRight);
  EXPECT_TRUE(across->Dragging());
  rig.Move(300, 125, false);
  EXPECT_NEAR(across->Value(), 50, 1e-9);
  rig.Up(300, 125, mbRight);
}

TEST(ColorLineMouse, HoverSetsTheSplitCursorAndItsSavedCopy) {
  ToolRig rig;
  rig.AddSeries();
  TColorLineTool* v = AddLine(rig, rig.chart->BottomAxis(), 25);  // x 106
  TColorLineTool* h = AddLine(rig, rig.chart->LeftAxis(), 40);   // y 148
  rig.Draw();
  rig.Move(104, 60, false);
  EXPECT_EQ(rig.chart->Cursor(), crHSplit);
  EXPECT_EQ(rig.chart->SavedCursor(), crHSplit);
  // The first line took the move: the second, away from it anyway, was not asked.
  rig.Move(300, 147, false);
  EXPECT_EQ(rig.chart->Cursor(), crVSplit);
  EXPECT_EQ(rig.chart->SavedCursor(), crVSplit);
  rig.Move(300, 60, false);
  EXPECT_EQ(rig.chart->Cursor(), crDefault);

  // With AllowDrag false the line is drawn but leaves cursor and button alone (the
  // other line, away from the mouse, would set the default cursor: it rests).
  h->SetActive(false);
  v->SetAllowDrag(false);
  rig.chart->SetCursor(crCross);
  rig.chart->SetSavedCursor(crCross);
  rig.Move(106, 60, false);
  EXPECT_EQ(rig.chart->Cursor(), crCross);
  EXPECT_EQ(rig.chart->SavedCursor(), crCross);
  rig.Down(106, 60);
  EXPECT_FALSE(v->Dragging());
  EXPECT_TRUE(rig.chart->Zoom()->Active);
  rig.Up(106, 60);
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"VLine3D"}).size(), 1u);
}

TEST(ColorLineMouse, OfTwoLinesAtOnePlaceTheFirstTakesTheDrag) {
  ToolRig rig;
  TColorLineTool* first = AddLine(rig, rig.chart->BottomAxis(), 25);
  TColorLineTool* second = AddLine(rig, rig.chart->BottomAxis(), 25);
  int secondDrags = 0;
  second->OnDragLine = [&](TColorLineTool*) { ++secondDrags; };
  rig.Draw();
  rig.Down(106, 100);
  rig.Move(200, 100);
  rig.Up(200, 100);
  EXPECT_NEAR(first->Value(), 50, 1e-9);
  EXPECT_EQ(second->Value(), 25);
  EXPECT_EQ(secondDrags, 0);
  // An inactive line is not offered the mouse: the second one now takes it.
  first->SetActive(false);
  rig.Down(106, 100);
  EXPECT_TRUE(second->Dragging());
  rig.Up(106, 100);
  // Without an axis a line ignores the mouse.
  second->SetAxis(nullptr);
  rig.Down(106, 100);
  EXPECT_FALSE(second->Dragging());
  rig.Up(106, 100);
}

TEST(ColorLineForms, TheAxisIsStoredByItsIndexInTheChart) {
  win::ResetWindowSystem();
  std::string text;
  {
    std::unique_ptr<TComponent> root = ReadComponentText(R"(object Holder: TForm
  object Chart1: TChart
    object Frame: TColorLineTool
      AllowDrag = False
      AxisID = 0
      Value = 12.5
    end
    object Key: TColorLineTool
      AxisID = 2
    end
    object Loose: TColorLineTool
    end
    object Stray: TColorLineTool
      AxisID = 99
    end
  end
end
)");
    auto* chart = static_cast<TChart*>(root->FindComponent("Chart1"));
    auto* frame = static_cast<TColorLineTool*>(root->FindComponent("Frame"));
    auto* key = static_cast<TColorLineTool*>(root->FindComponent("Key"));
    auto* stray = static_cast<TColorLineTool*>(root->FindComponent("Stray"));
    ASSERT_EQ(chart->Tools()->Count(), 4);
    EXPECT_EQ(chart->Tools()->Tool(0), frame);
    EXPECT_EQ(frame->Axis(), chart->BottomAxis());
    EXPECT_FALSE(frame->AllowDrag());
    EXPECT_EQ(frame->Value(), 12.5);
    EXPECT_EQ(key->Axis(), chart->LeftAxis());
    // An index the chart does not have leaves the line without an axis.
    EXPECT_EQ(stray->Axis(), nullptr);
    text = WriteComponentText(root.get());
  }
  const auto loose = text.find("object Loose");
  ASSERT_NE(loose, std::string::npos) << text;
  EXPECT_NE(text.find("AxisID = 0"), std::string::npos) << text;
  EXPECT_NE(text.find("AxisID = 2"), std::string::npos) << text;
  EXPECT_EQ(text.find("AxisID", loose), std::string::npos) << text;
  win::ResetWindowSystem();
}
