// The tool properties: the tree and pages per kind, and handlers that write only into a
// modifier of their own class.
#include <string>
#include <vector>

#include "chart/color_line_tool.h"
#include "editor/tool_kinds.h"
#include "editor/var_chart_form.h"
#include "engine/modifiers.h"
#include "panels/num_spin_edit.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_combobox.h"
#include "platform/classlib/std_pagecontrol.h"
#include "platform/classlib/std_treeview.h"
#include "toolbox_fixture.h"

namespace {

std::vector<std::string> NodeTexts(TTreeView* tree) {
  std::vector<std::string> out;
  for (TTreeNode* n = tree->Items()->GetFirstNode(); n; n = n->GetNextSibling()) out.push_back(n->Text());
  return out;
}

}  // namespace

class ToolPropsTest : public ToolboxTest {
 protected:
  TTreeNode* NodeAt(Integer i) {
    TTreeNode* n = Props()->ToolPropsTree->Items()->GetFirstNode();
    while (n && i-- > 0) n = n->GetNextSibling();
    return n;
  }
  void Pick(Integer i) { Props()->ToolPropsTree->SetSelected(NodeAt(i)); }
};

TEST_F(ToolPropsTest, EachKindHasItsTreeAndFirstPage) {
  EXPECT_TRUE(NodeTexts(Props()->ToolPropsTree).empty());
  EXPECT_EQ(Props()->ActivePage(), Props()->NoToolSheet);

  form_->NewRepulsorAction->Execute();
  EXPECT_EQ(NodeTexts(Props()->ToolPropsTree),
            (std::vector<std::string>{"Repulsor", "Power", "Power Jitter", "Lifespan"}));
  EXPECT_EQ(Props()->ActivePage(), Props()->RepulsorSheet) << "a repulsor is not shown as an attractor";

  form_->NewLeaderAction->Execute();
  EXPECT_EQ(NodeTexts(Props()->ToolPropsTree),
            (std::vector<std::string>{"Leader", "Tension", "Tension Jitter", "Lifespan"}));
  EXPECT_EQ(Props()->ActivePage(), Props()->LeaderSheet);

  form_->NewDeflectorAction->Execute();
  EXPECT_EQ(NodeTexts(Props()->ToolPropsTree),
            (std::vector<std::string>{"Deflector", "Elasticity", "Elasticity Jitter", "Lifespan"}));
  EXPECT_EQ(Props()->ActivePage(), Props()->DeflectorSheet);

  form_->NewAttractorAction->Execute();
  EXPECT_EQ(Props()->ActivePage(), Props()->AttractorSheet);
  form_->NewFanAction->Execute();
  EXPECT_EQ(Props()->ActivePage(), Props()->FanSheet);
  form_->NewGravitronAction->Execute();
  EXPECT_EQ(Props()->ActivePage(), Props()->GravitronSheet);

  Props()->SetTool(nullptr);
  EXPECT_TRUE(NodeTexts(Props()->ToolPropsTree).empty());
  EXPECT_EQ(Props()->ActivePage(), Props()->NoToolSheet);
}

TEST_F(ToolPropsTest, CurveAndLifespanNodesShowTheToolsOwnCurvesAndCounts) {
  form_->NewDeflectorAction->Execute();
  auto* d = dynamic_cast<TPlaneDeflectorModifier*>(Tool(0)->Modifier());
  d->Period = 120;
  d->Lives = 4;
  Pick(1);
  EXPECT_EQ(Props()->ActivePage(), Props()->ChartSheet);
  EXPECT_EQ(Props()->CurveEditor->Series(), d->Elasticity);
  Pick(2);
  EXPECT_EQ(Props()->CurveEditor->Series(), d->ElasticityJitter);
  Pick(3);
  EXPECT_EQ(Props()->ActivePage(), Props()->LifespanSheet);
  EXPECT_EQ(Props()->CurveEditor->Series(), nullptr);
  EXPECT_EQ(Props()->LifespanSpin->Value(), 120);
  EXPECT_EQ(Props()->LivesSpin->Value(), 4);
  EXPECT_EQ(d->Period, 120) << "filling the page writes nothing back";

  form_->NewLeaderAction->Execute();
  auto* l = dynamic_cast<TPathingModifier*>(Tool(1)->Modifier());
  Pick(1);
  EXPECT_EQ(Props()->CurveEditor->Series(), l->Power);
  EXPECT_EQ(l->Power->Name, "Tension");
  // The preview's frame reaches the tool's curve editor.
  Props()->ShowFrame(30);
  if (l->Power->XMode == xmFrames) {
    EXPECT_EQ(Props()->CurveEditor->CurrentFrameLineTool->Value(), 30);
  }
  Pick(2);
  EXPECT_EQ(Props()->CurveEditor->Series(), l->PowerJitter);

  // Deleting the tool whose curve shows lets go of the curve first.
  EXPECT_TRUE(host::DeleteObject(Node(1)));
  EXPECT_EQ(Props()->CurveEditor->Series(), nullptr);
}

TEST_F(ToolPropsTest, PageControlsWriteTheirOwnModifiersFields) {
  form_->NewDeflectorAction->Execute();
  auto* d = dynamic_cast<TPlaneDeflectorModifier*>(Tool(0)->Modifier());
  Props()->DeflectorScaleSpin->SetValue(42);
  EXPECT_EQ(d->Scale, 42.0f);
  Props()->AbsorbsCheck->SetCheckedValue(true);
  EXPECT_EQ(d->Absorb, 1);
  Pick(3);
  Props()->LifespanSpin->SetValue(250);
  Props()->LivesSpin->SetValue(6);
  EXPECT_EQ(d->Period, 250);
  EXPECT_EQ(d->Lives, 6);

  form_->NewFanAction->Execute();
  auto* f = dynamic_cast<TPlaneFanModifier*>(Tool(1)->Modifier());
  Props()->FanFalloffCombo->SetItemIndex(2);
  Props()->FanFalloffComboChange(Props()->FanFalloffCombo);
  EXPECT_EQ(f->Falloff, foSquared);
  Props()->FanScaleSpin->SetValue(9);
  EXPECT_EQ(f->Scale, 9.0f);

  form_->NewGravitronAction->Execute();
  auto* g = dynamic_cast<TGravitronModifier*>(Tool(2)->Modifier());
  Props()->GravitronInfiniteCheck->SetCheckedValue(true);
  EXPECT_EQ(g->Infinite, 1);
  Props()->GravitronScaleSpin->SetValue(77);
  EXPECT_EQ(g->Scale, 77.0f);

  form_->NewRepulsorAction->Execute();
  auto* r = dynamic_cast<TRepulseModifier*>(Tool(3)->Modifier());
  Props()->RepulsorFalloffCombo->SetItemIndex(1);
  Props()->AttractFalloffComboChange(Props()->RepulsorFalloffCombo);
  EXPECT_EQ(r->Falloff, foLinear);

  // The others' controls leave the repulsor alone.
  Props()->DeflectorScaleSpin->SetValue(3);
  Props()->FanScaleSpin->SetValue(50);
  Props()->GravitronScaleSpin->SetValue(20);
  Props()->AbsorbsCheck->SetCheckedValue(false);
  Props()->FanFalloffCombo->SetItemIndex(0);
  Props()->FanFalloffComboChange(Props()->FanFalloffCombo);
  Props()->AttractorFalloffCombo->SetItemIndex(2);
  Props()->AttractFalloffComboChange(Props()->AttractorFalloffCombo);
  EXPECT_EQ(r->Scale, 1.0f);
  EXPECT_EQ(r->Falloff, foLinear);
  // ... and the earlier tools kept what they were given.
  EXPECT_EQ(d->Scale, 42.0f);
  EXPECT_EQ(d->Absorb, 1);
  EXPECT_EQ(f->Scale, 9.0f);
  EXPECT_EQ(f->Falloff, foSquared);
  EXPECT_EQ(g->Scale, 77.0f);
}

TEST_F(ToolPropsTest, ShowingAToolChangesNothingInIt) {
  // A fan scale outside the spin's range must not be clamped into the modifier.
  form_->NewFanAction->Execute();
  auto* f = dynamic_cast<TPlaneFanModifier*>(Tool(0)->Modifier());
  f->Scale = 0;
  f->Falloff = foLinear;
  form_->NewDeflectorAction->Execute();
  auto* d = dynamic_cast<TPlaneDeflectorModifier*>(Tool(1)->Modifier());
  d->Absorb = 1;
  d->Scale = 5;
  form_->SelectTool(0);
  EXPECT_EQ(Props()->ActivePage(), Props()->FanSheet);
  EXPECT_EQ(Props()->FanScaleSpin->Value(), 1);
  EXPECT_EQ(Props()->FanFalloffCombo->ItemIndex(), 1);
  EXPECT_EQ(f->Scale, 0.0f);
  form_->SelectTool(1);
  EXPECT_TRUE(Props()->AbsorbsCheck->Checked());
  EXPECT_EQ(Props()->DeflectorScaleSpin->Value(), 5);
  EXPECT_EQ(d->Absorb, 1);
  EXPECT_EQ(d->Scale, 5.0f);
  // Without a tool the handlers do nothing.
  Props()->SetTool(nullptr);
  Props()->LifespanSpin->SetValue(99);
  Props()->DeflectorScaleSpin->SetValue(60);
  EXPECT_EQ(d->Period, 0);
  EXPECT_EQ(d->Scale, 5.0f);
}
