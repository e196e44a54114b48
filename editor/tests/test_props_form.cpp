#include <memory>

#include "editor/particle_maps_form.h"
#include "editor/props_form.h"
#include "editor/props_tree.h"
#include "editor/tests/props_fixture.h"
#include "editor/var_chart_form.h"
#include "engine/particle_map_options.h"
#include "engine/particle_map_source.h"
#include "engine/var_series.h"
#include "panels/num_spin_edit.h"
#include "panels/push_button.h"
#include "platform/classlib/std_label.h"
#include "platform/classlib/std_pagecontrol.h"
#include "platform/classlib/std_treeview.h"

namespace {

class PropsFormTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    form_ = std::make_unique<TPropsForm>(nullptr);
    form_->SetBounds(10, 10, 420, 360);
    form_->Show();
    Pump();
  }
  void DestroyPage() override { form_.reset(); }

  void Select(Integer Index) {
    ASSERT_NE(form_->NodeAt(Index), nullptr);
    form_->PropsTree->SetSelected(form_->NodeAt(Index));
  }
  // The jitter tab, chosen as the user would.
  void ShowJitterTab() {
    form_->PropJitterPages->SetActivePage(form_->JitterSheet);
    form_->PropJitterPages->OnChange(form_->PropJitterPages);
  }
  TTabSheet* ActivePage() const { return form_->PropPages->ActivePage(); }
  TVarSeries* Shown() const { return form_->CurveEditor->Series(); }
  TWinControl* EditorSheet() const { return form_->CurveEditor->Parent(); }

  std::unique_ptr<TPropsForm> form_;
};

TEST_F(PropsFormTest, TreeHoldsTwentyTwoNodesUnderThreeTopNodes) {
  TTreeNode* system = form_->NodeAt(1);
  TTreeNode* particles = form_->NodeAt(14);
  EXPECT_EQ(form_->NodeAt(0)->Text(), "Render");
  EXPECT_EQ(form_->NodeAt(0)->Parent(), nullptr);
  ASSERT_EQ(system->Count(), 12);
  ASSERT_EQ(particles->Count(), 7);
  for (Integer i = 2; i <= 13; ++i) EXPECT_EQ(form_->NodeAt(i)->Parent(), system) << i;
  for (Integer i = 15; i <= 21; ++i) EXPECT_EQ(form_->NodeAt(i)->Parent(), particles) << i;
  EXPECT_EQ(form_->NodeAt(21)->Text(), "Visibility");
  EXPECT_EQ(form_->NodeAt(22), nullptr);
  // The tree opens expanded on its first node.
  EXPECT_TRUE(system->Expanded());
  EXPECT_EQ(form_->SelectedIndex(), 0);
}

TEST_F(PropsFormTest, NodesShowTheirPagesOrTheirOwnCurves) {
  form_->SetSystem(system_);
  Select(0);
  EXPECT_EQ(ActivePage(), form_->RenderSheet);
  Select(1);
  EXPECT_EQ(ActivePage(), form_->SystemSheet);
  Select(14);
  EXPECT_EQ(ActivePage(), form_->ParticleSheet);
  EXPECT_EQ(form_->PropertySeries(), nullptr);

  // Flow is the system's, with the system's jitter; the "Base" nodes are the emitter's
  // curves, their namesakes under Particles the system's.
  Select(3);
  EXPECT_EQ(ActivePage(), form_->SettingSheet);
  EXPECT_EQ(Shown(), system_->System->Flow);
  EXPECT_EQ(form_->JitterSeries(), system_->System->FlowJitter);
  Select(5);
  EXPECT_EQ(Shown(), system_->Emitter->Size);
  EXPECT_EQ(form_->JitterSeries(), system_->Emitter->SizeJitter);
  Select(15);
  EXPECT_EQ(Shown(), system_->System->Size);
  EXPECT_EQ(form_->JitterSeries(), nullptr);
  Select(13);
  EXPECT_EQ(Shown(), system_->Emitter->Mass);
  EXPECT_EQ(form_->JitterSeries(), system_->Emitter->MassJitter);
  Select(21);
  EXPECT_EQ(Shown(), system_->System->Visibility);
}

TEST_F(PropsFormTest, JitterSheetFollowsTheSelectedNode) {
  form_->SetSystem(system_);
  Select(2);
  EXPECT_EQ(form_->PropertySheet->Caption(), "Focus");
  EXPECT_EQ(form_->JitterSheet->Caption(), "Focus Jitter");
  EXPECT_TRUE(form_->JitterSheet->TabVisible());
  EXPECT_EQ(Shown(), system_->Emitter->Focus);
  EXPECT_EQ(EditorSheet(), form_->PropertySheet);

  // On the jitter tab the shared editor moves there and shows the jitter curve.
  ShowJitterTab();
  EXPECT_EQ(EditorSheet(), form_->JitterSheet);
  EXPECT_EQ(Shown(), system_->Emitter->FocusJitter);

  // Another node with a jitter curve keeps the jitter tab.
  Select(4);
  EXPECT_EQ(form_->JitterSheet->Caption(), "Lifespan Jitter");
  EXPECT_EQ(Shown(), system_->Emitter->LifespanJitter);

  // Base Gravity has none: the tab goes and the editor falls back to the property.
  Select(8);
  EXPECT_FALSE(form_->JitterSheet->TabVisible());
  EXPECT_EQ(form_->PropJitterPages->ActivePage(), form_->PropertySheet);
  EXPECT_EQ(EditorSheet(), form_->PropertySheet);
  EXPECT_EQ(Shown(), system_->Emitter->Gravity);
  EXPECT_EQ(form_->PropertySheet->Caption(), "Base Gravity");

  Select(2);
  EXPECT_TRUE(form_->JitterSheet->TabVisible());
  EXPECT_EQ(Shown(), system_->Emitter->Focus);
}

TEST_F(PropsFormTest, GraphReturnsToThePropertySheet) {
  form_->SetSystem(system_);
  Select(6);
  ShowJitterTab();
  // Another page borrowed the editor for a curve of its own.
  auto other = std::make_unique<TPanel>(nullptr);
  form_->CurveEditor->SetParent(other.get());
  form_->CurveEditor->SetSeries(emitter_->Activity.get());

  form_->ParentGraphToPropertyPage();
  EXPECT_EQ(EditorSheet(), form_->PropertySheet);
  EXPECT_EQ(form_->PropJitterPages->ActivePage(), form_->PropertySheet);
  EXPECT_EQ(Shown(), system_->Emitter->Speed);
}

TEST_F(PropsFormTest, LabelNamesTheEmitterAndTheSystem) {
  EXPECT_EQ(form_->SystemLabel->Caption(), "(no system)");
  form_->SetSystem(system_);
  EXPECT_EQ(form_->SystemLabel->Caption(), "Comet - Sparks");
  form_->SetSystem(nullptr);
  EXPECT_EQ(form_->SystemLabel->Caption(), "(no system)");
}

TEST_F(PropsFormTest, SetSystemFillsTheControlsWithoutWritingBack) {
  system_->System->LoopPeriod = 120;
  system_->System->LoopCount = 3;
  system_->System->RenderMode = 2;
  system_->Emitter->Radius = 2.5f;
  system_->Emitter->Shape = esDisc;
  system_->Emitter->FocusShape = fsDisc;
  system_->System->MaxPixelSize = 4096;
  form_->SetSystem(system_);
  EXPECT_EQ(form_->SysLifeSpanSpin->Value(), 120);
  EXPECT_EQ(form_->SysLivesSpin->Value(), 3);
  EXPECT_EQ(form_->RenderCombo->ItemIndex(), 2);
  EXPECT_DOUBLE_EQ(form_->RadiusSpin->Value(), 2.5);
  EXPECT_EQ(form_->EmitterShapeCombo->ItemIndex(), esDisc);
  EXPECT_EQ(form_->FocusShapeCombo->ItemIndex(), fsDisc);
  // The maps page is filled from the same system.
  EXPECT_EQ(form_->MapsForm->System(), system_);
  EXPECT_EQ(form_->MapsForm->MapSource(), system_->System->MapSource.get());

  // A second system shows its own values and the selected node's curve of its own.
  TEmitter* second = emitter_->AddSystem();
  second->Name = "Smoke";
  second->System->LoopPeriod = 7;
  second->Emitter->Radius = 0.3f;
  Select(9);
  form_->SetSystem(second);
  EXPECT_EQ(form_->SysLifeSpanSpin->Value(), 7);
  EXPECT_EQ(Shown(), second->Emitter->Alpha);
  EXPECT_EQ(form_->SystemLabel->Caption(), "Comet - Smoke");
  // Filling wrote nothing into the first one.
  EXPECT_EQ(system_->System->LoopPeriod, 120);
  EXPECT_FLOAT_EQ(system_->Emitter->Radius, 2.5f);
  EXPECT_FLOAT_EQ(second->Emitter->Radius, 0.3f);
}

TEST_F(PropsFormTest, EveryControlWritesItsFieldOnlyWithASystem) {
  form_->SetSystem(system_);
  form_->SysLifeSpanSpin->SetValue(64);
  EXPECT_EQ(system_->System->LoopPeriod, 64);
  form_->SysLivesSpin->SetValue(5);
  EXPECT_EQ(system_->System->LoopCount, 5);
  form_->RadiusSpin->SetValue(12.3);
  EXPECT_FLOAT_EQ(system_->Emitter->Radius, 12.3f);
  Pick(form_->RenderCombo, 3);
  EXPECT_EQ(system_->System->RenderMode, 3);
  Pick(form_->EmitterShapeCombo, esSurface);
  EXPECT_EQ(system_->Emitter->Shape, esSurface);
  Pick(form_->FocusShapeCombo, fsDisc);
  EXPECT_EQ(system_->Emitter->FocusShape, fsDisc);

  // The limits of the spins.
  form_->SysLifeSpanSpin->SetValue(10000);
  EXPECT_EQ(system_->System->LoopPeriod, 8192);
  form_->RadiusSpin->SetValue(-4);
  EXPECT_FLOAT_EQ(system_->Emitter->Radius, 0.0f);

  // Without a system nothing is written anywhere, and no page changes.
  form_->SetSystem(nullptr);
  TTabSheet* page = ActivePage();
  form_->SysLifeSpanSpin->SetValue(3);
  form_->SysLivesSpin->SetValue(9);
  form_->RadiusSpin->SetValue(1);
  Pick(form_->RenderCombo, 0);
  Pick(form_->EmitterShapeCombo, esPoint);
  Pick(form_->FocusShapeCombo, fsSphere);
  Select(1);
  EXPECT_EQ(ActivePage(), page);
  EXPECT_EQ(system_->System->LoopPeriod, 8192);
  EXPECT_EQ(system_->System->LoopCount, 5);
  EXPECT_FLOAT_EQ(system_->Emitter->Radius, 0.0f);
  EXPECT_EQ(system_->System->RenderMode, 3);
  EXPECT_EQ(system_->Emitter->Shape, esSurface);
  EXPECT_EQ(system_->Emitter->FocusShape, fsDisc);
}

TEST_F(PropsFormTest, NoSystemLetsGoOfTheOldSystemsCurves) {
  form_->SetSystem(system_);
  Select(10);
  ASSERT_EQ(Shown(), system_->Emitter->Intensity);
  form_->SetSystem(nullptr);
  EXPECT_EQ(Shown(), nullptr);
  EXPECT_EQ(form_->PropertySeries(), nullptr);
  EXPECT_EQ(form_->MapsForm->MapSource(), nullptr);
  // The system goes; the page and its editors must not touch it again.
  emitter_.reset();
  form_->Invalidate();
  Pump();
  form_->MapsForm->ShowMap(0);
  form_->MapsForm->SetAlpha(10);
}

TEST_F(PropsFormTest, APageNodeLetsGoOfTheCurveOfASystemThatGoes) {
  // A curve shown, then a page node, then another system: the hidden editor must not
  // keep the first system's curve, which the preview's frame line would reach after
  // that system is freed.
  for (Integer page : {kRenderNode, kSystemNode, kParticlesNode}) {
    SCOPED_TRACE(page);
    TEmitter* first = emitter_->AddSystem();
    form_->SetSystem(first);
    Select(2);
    ASSERT_EQ(Shown(), first->Emitter->Focus);
    Select(page);
    EXPECT_EQ(Shown(), nullptr);
    form_->SetSystem(system_);
    EXPECT_EQ(Shown(), nullptr);
    emitter_->Systems.pop_back();
    form_->CurveEditor->ShowFrame(12);
    form_->Invalidate();
    Pump();
    // Back on a curve node: this system's own curve, on the jitter tab too.
    Select(5);
    EXPECT_EQ(Shown(), system_->Emitter->Size);
    ShowJitterTab();
    EXPECT_EQ(Shown(), system_->Emitter->SizeJitter);
    form_->ParentGraphToPropertyPage();
  }
}

TEST_F(PropsFormTest, PlayAndRewindRunTheMainWindowsCommands) {
  int plays = 0, rewinds = 0;
  EditorLinks().PlayClick = [&](TObject*) { ++plays; };
  EditorLinks().RewindClick = [&](TObject*) { ++rewinds; };
  ClickMiddle(form_->PreviewButton);
  EXPECT_EQ(plays, 1);
  EXPECT_EQ(rewinds, 0);
  ClickMiddle(form_->RewindButton);
  EXPECT_EQ(rewinds, 1);
  ASSERT_EQ(form_->CuePanels.size(), 3u);
}

}  // namespace
