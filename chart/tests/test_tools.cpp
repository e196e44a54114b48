// The tool base: joining, moving and leaving a chart's tool list, the chart freeing its
// tools, a series tool losing a freed series, an axis tool losing a deleted axis, and the
// registration of the standard tools for form loading.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/annotation_tool.h"
#include "chart/color_line_tool.h"
#include "chart/cursor_tool.h"
#include "chart/image_tool.h"
#include "chart/mark_tips_tool.h"
#include "chart/rotate_tool.h"
#include "chart/tests/tool_rig.h"
#include "platform/classlib/class_registry.h"

namespace {

// Counts the tools alive.
class CountedTool : public TChartCustomToolSeries {
 public:
  explicit CountedTool(TComponent* AOwner, int& Alive) : TChartCustomToolSeries(AOwner), alive_(Alive) { ++alive_; }
  ~CountedTool() override { --alive_; }

 private:
  int& alive_;
};

}  // namespace

TEST(ChartToolList, ToolsJoinMoveAndLeaveTheirChartsList) {
  ToolRig rig;
  TChart* other = new TChart(rig.form.get());
  auto* a = new TColorLineTool(rig.form.get());
  auto* b = new TCursorTool(rig.form.get());
  a->SetParentChart(rig.chart);
  b->SetParentChart(rig.chart);
  a->SetParentChart(rig.chart);  // again: stays where it is
  ASSERT_EQ(rig.chart->Tools()->Count(), 2);
  EXPECT_EQ(rig.chart->Tools()->Tool(0), a);
  EXPECT_EQ(rig.chart->Tools()->Tool(1), b);

  a->SetParentChart(other);
  EXPECT_EQ(rig.chart->Tools()->Count(), 1);
  EXPECT_EQ(other->Tools()->Tool(0), a);
  // Leaving for no chart repaints the old one.
  rig.canvas->WriteBuffered(true);
  rig.chart->DrawTo(rig.target.Canvas(), TRect{0, 0, 400, 250});
  ASSERT_TRUE(rig.canvas->BufferValid());
  b->SetParentChart(nullptr);
  EXPECT_FALSE(rig.canvas->BufferValid());
  EXPECT_EQ(rig.chart->Tools()->Count(), 0);

  // A freed tool takes itself out.
  delete a;
  EXPECT_EQ(other->Tools()->Count(), 0);
  delete b;
}

TEST(ChartToolList, TheChartFreesItsToolsAndTheirOwnerDoesNotAgain) {
  int alive = 0;
  {
    ToolRig rig;
    auto* chart = new TChart(rig.form.get());
    for (int i = 0; i < 3; ++i) (new CountedTool(rig.form.get(), alive))->SetParentChart(chart);
    auto* survivor = new CountedTool(rig.form.get(), alive);
    survivor->SetParentChart(rig.chart);
    EXPECT_EQ(alive, 4);
    delete chart;
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(rig.chart->Tools()->Count(), 1);
  }  // the form frees the rest
  EXPECT_EQ(alive, 0);
}

TEST(ChartToolList, SeriesAndAxesThatGoAreDropped) {
  ToolRig rig;
  auto* tool = new TCursorTool(rig.form.get());
  tool->SetParentChart(rig.chart);
  // Without a series the tool works on the chart's bottom and left axes.
  EXPECT_EQ(tool->GetHorizAxis(), rig.chart->BottomAxis());
  EXPECT_EQ(tool->GetVertAxis(), rig.chart->LeftAxis());
  auto* s = new TLineSeries(rig.form.get());
  s->SetParentChart(rig.chart);
  s->SetHorizAxis(aTopAxis);
  s->SetVertAxis(aRightAxis);
  tool->SetSeries(s);
  EXPECT_EQ(tool->GetHorizAxis(), rig.chart->TopAxis());
  EXPECT_EQ(tool->GetVertAxis(), rig.chart->RightAxis());
  delete s;
  EXPECT_EQ(tool->Series(), nullptr);
  EXPECT_EQ(tool->GetHorizAxis(), rig.chart->BottomAxis());

  // A custom axis that is deleted leaves the colour line without an axis.
  auto* custom = static_cast<TChartAxis*>(rig.chart->CustomAxes()->Add());
  auto* line = new TColorLineTool(rig.form.get());
  line->SetParentChart(rig.chart);
  line->SetAxis(custom);
  EXPECT_EQ(line->Axis(), custom);
  delete custom;
  EXPECT_EQ(line->Axis(), nullptr);
  rig.Draw();
  EXPECT_EQ(rig.canvas->Ops({"VLine3D", "HLine3D"}), std::vector<std::string>{});
  rig.Down(200, 100);
  EXPECT_FALSE(line->Dragging());
  rig.Up(200, 100);
}

TEST(ChartToolRegistration, TheElevenToolsAreKnownByNameInGalleryOrder) {
  std::vector<std::string> names;
  for (const TClass* c : ChartToolTypes()) names.push_back(c->ClassName());
  const std::vector<std::string> expected{"TCursorTool",     "TDragMarksTool", "TAxisArrowTool", "TDrawLineTool",
                                          "TNearestTool",    "TColorBandTool", "TColorLineTool", "TRotateTool",
                                          "TChartImageTool", "TMarksTipTool",  "TAnnotationTool"};
  EXPECT_EQ(names, expected);
  for (const std::string& n : expected) EXPECT_NE(GetClass(n), nullptr) << n;
  // Registering again adds nothing; unregistering takes a class off the list only.
  RegisterStandardChartTools();
  EXPECT_EQ(ChartToolTypes().size(), 11u);
  UnRegisterChartTools({&TColorLineTool::StaticClass()});
  EXPECT_EQ(ChartToolTypes().size(), 10u);
  EXPECT_NE(GetClass("TColorLineTool"), nullptr);
  RegisterChartTools({&TColorLineTool::StaticClass()});
  EXPECT_EQ(ChartToolTypes().back(), &TColorLineTool::StaticClass());
  // Back in gallery order for the other tests.
  UnRegisterChartTools({&TRotateTool::StaticClass(), &TChartImageTool::StaticClass(), &TMarksTipTool::StaticClass(),
                        &TAnnotationTool::StaticClass(), &TColorLineTool::StaticClass()});
  RegisterStandardChartTools();
  EXPECT_EQ(ChartToolTypes()[6], &TColorLineTool::StaticClass());
}
