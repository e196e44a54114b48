// The emitter page: the tree and its selection, the enabling rules, the commands, the
// emitter's settings and the render hooks.
#include "emitter_man_fixture.h"

#include "editor/props_form.h"
#include "editor/var_chart_form.h"
#include "chart/color_line_tool.h"
#include "controlkit/kit_labels.h"
#include "editor/editor_helpers.h"
#include "engine/var_series.h"
#include "panels/num_spin_edit.h"
#include "platform/classlib/menus.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/random.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_edit.h"
#include "platform/classlib/std_pagecontrol.h"
#include "platform/classlib/std_splitter.h"

namespace {

struct Enabling {
  bool addSystem, deleteEmitter, loadEmitter, saveEmitter, systemCommands;
};

::testing::AssertionResult HasEnabling(TEmitterManForm& f, Enabling e) {
  const bool sys = f.DeleteSystemAction->Enabled();
  if (f.DupSystemAction->Enabled() != sys || f.LoadSystemAction->Enabled() != sys ||
      f.SaveSystemAction->Enabled() != sys)
    return ::testing::AssertionFailure() << "the four system commands differ";
  if (f.AddSystemAction->Enabled() == e.addSystem && f.DeleteEmitterAction->Enabled() == e.deleteEmitter &&
      f.LoadEmitterAction->Enabled() == e.loadEmitter && f.SaveEmitterAction->Enabled() == e.saveEmitter &&
      sys == e.systemCommands && f.NewEmitterAction->Enabled())
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "add system " << f.AddSystemAction->Enabled() << ", delete emitter "
                                       << f.DeleteEmitterAction->Enabled() << ", load emitter "
                                       << f.LoadEmitterAction->Enabled() << ", save emitter "
                                       << f.SaveEmitterAction->Enabled() << ", system commands " << sys;
}

}  // namespace

TEST_F(EmitterManTest, EnablingAndPagesFollowTheSelection) {
  EXPECT_TRUE(form_->PanelBlank->Visible());
  EXPECT_TRUE(HasEnabling(*form_, {false, false, false, false, false}));
  EXPECT_EQ(EditorLinks().EmitterPropsFold, form_->PropsFold);

  TEmitterObject* e = NewEmitter();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(form_->CurrentSystem, nullptr);
  EXPECT_TRUE(form_->PanelEmitter->Visible());
  EXPECT_FALSE(form_->PanelBlank->Visible());
  EXPECT_TRUE(HasEnabling(*form_, {true, true, true, true, false}));
  EXPECT_EQ(form_->PropsForm->CurveEditor->Parent(), form_->VisibilitySheet) << "the activity curve's place";
  EXPECT_EQ(form_->PropsForm->CurveEditor->Series(), e->Activity.get());

  Select(Root(0)->Item(0));
  EXPECT_EQ(form_->CurrentSystem, e->Systems[0].get());
  EXPECT_EQ(form_->PropsForm->System(), e->Systems[0].get());
  EXPECT_TRUE(form_->PropsForm->Visible());
  EXPECT_FALSE(form_->PanelEmitter->Visible());
  EXPECT_TRUE(HasEnabling(*form_, {true, false, false, false, true}));
  EXPECT_NE(form_->PropsForm->CurveEditor->Parent(), form_->VisibilitySheet);
  EXPECT_EQ(host::Selected(), e->Node) << "the host selects the emitter's object";

  Select(Root(0));
  EXPECT_EQ(form_->CurrentSystem, nullptr);
  EXPECT_EQ(form_->PropsForm->System(), nullptr);
  EXPECT_TRUE(HasEnabling(*form_, {true, true, true, true, false}));

  // The host deletes the object: back to the blank page.
  ASSERT_TRUE(host::DeleteObject(e->Node));
  EXPECT_EQ(form_->CurrentEmitter, nullptr);
  EXPECT_TRUE(form_->Emitters.empty());
  EXPECT_TRUE(form_->PanelBlank->Visible());
  EXPECT_TRUE(HasEnabling(*form_, {false, false, false, false, false}));
  EXPECT_EQ(Tree()->Items()->Count(), 0);
}

TEST_F(EmitterManTest, NewEmitterMirrorsAHostObjectAndARefusedObjectAddsNothing) {
  TEmitterObject* e = NewEmitter();
  ASSERT_NE(e, nullptr);
  ASSERT_NE(e->Node, nullptr);
  EXPECT_TRUE(host::IsInScene(e->Node));
  EXPECT_EQ(FindExtObj(e->Node), form_->EmitterExtObj);
  EXPECT_EQ(form_->EmitterExtObj->ObjectTypeName(), "ZOVK_Emitter");
  // A 2 x 2 square and a unit normal, as two polylines.
  EXPECT_EQ(form_->EmitterExtObj->Shape().Indices, (std::vector<Integer>{0, 1, 2, 3, 0, -2, 4, 5, -1}));
  ASSERT_EQ(form_->EmitterExtObj->Shape().Vertices.size(), 6u);
  EXPECT_EQ(form_->EmitterExtObj->Shape().Vertices[2].x, 1.0f);
  EXPECT_EQ(form_->EmitterExtObj->Shape().Vertices[2].y, 1.0f);
  EXPECT_EQ(form_->EmitterExtObj->Shape().Vertices[5].z, 1.0f);
  EXPECT_EQ(e->SystemCount(), 1);
  ASSERT_EQ(Tree()->Items()->RootCount(), 1);
  EXPECT_EQ(Root(0)->Text(), "Emitter");
  EXPECT_EQ(Root(0)->ImageIndex(), 0);
  EXPECT_EQ(Root(0)->StateIndex(), 2);
  ASSERT_EQ(Root(0)->Count(), 1);
  EXPECT_EQ(Root(0)->Item(0)->Text(), "Particles");
  EXPECT_EQ(Root(0)->Item(0)->ImageIndex(), 23);
  EXPECT_EQ(Tree()->Selected(), Root(0));
  ExpectEngineListInStep();

  host::SetCreateFails(true);
  form_->NewEmitterAction->Execute();
  Pump();
  EXPECT_EQ(form_->Emitters.size(), 1u) << "no emitter without a host object";
  EXPECT_EQ(form_->CurrentEmitter, e);
  EXPECT_EQ(Tree()->Items()->RootCount(), 1);
  ExpectEngineListInStep();
  for (const auto& each : form_->Emitters) EXPECT_NE(each->Node, nullptr);
}

TEST_F(EmitterManTest, SystemCommandsAddDuplicateAndDeleteButNeverTheLastSystem) {
  TEmitterObject* e = NewEmitter();
  Select(Root(0)->Item(0));
  // One system: Delete Particle System does nothing.
  form_->DeleteSystemAction->Execute();
  EXPECT_EQ(e->SystemCount(), 1);
  EXPECT_EQ(form_->CurrentSystem, e->Systems[0].get());

  e->Systems[0]->Name = "Fire";
  e->Systems[0]->System->LoopPeriod = 33;
  form_->DupSystemAction->Execute();
  ASSERT_EQ(e->SystemCount(), 2);
  EXPECT_EQ(form_->CurrentSystem, e->Systems[1].get());
  EXPECT_EQ(e->Systems[1]->Name, "Fire");
  EXPECT_EQ(e->Systems[1]->System->LoopPeriod, 33);
  EXPECT_EQ(ZksBytes(*e->Systems[1]), ZksBytes(*e->Systems[0]));
  ASSERT_EQ(Root(0)->Count(), 2);
  EXPECT_EQ(Tree()->Selected(), Root(0)->Item(1));

  form_->AddSystemAction->Execute();
  ASSERT_EQ(e->SystemCount(), 3);
  EXPECT_EQ(form_->CurrentSystem, e->Systems[2].get());
  EXPECT_EQ(form_->PropsForm->System(), e->Systems[2].get());
  EXPECT_EQ(Root(0)->Count(), 3);

  // Delete the middle one while the preview runs: it stops first.
  Select(Root(0)->Item(1));
  TEmitter* keepFirst = e->Systems[0].get();
  TEmitter* keepLast = e->Systems[2].get();
  Running = true;
  form_->DeleteSystemAction->Execute();
  EXPECT_FALSE(Running);
  ASSERT_EQ(e->SystemCount(), 2);
  EXPECT_EQ(e->Systems[0].get(), keepFirst);
  EXPECT_EQ(e->Systems[1].get(), keepLast);
  EXPECT_EQ(form_->CurrentSystem, nullptr);
  EXPECT_EQ(form_->PropsForm->System(), nullptr);
  EXPECT_EQ(Root(0)->Count(), 2);
}

TEST_F(EmitterManTest, RenamingInTheTreeCutsTo32Characters) {
  TEmitterObject* e = NewEmitter();
  const std::string longName(40, 'x');
  ASSERT_TRUE(Root(0)->EditText());
  ASSERT_NE(Tree()->EditControl(), nullptr);
  Tree()->EditControl()->SetText("Comet tail with a very long name indeed");
  Root(0)->EndEdit(false);
  EXPECT_EQ(e->Name, "Comet tail with a very long name");
  EXPECT_EQ(e->Name.size(), 32u);
  EXPECT_EQ(Root(0)->Text(), e->Name);

  Select(Root(0)->Item(0));
  ASSERT_TRUE(Root(0)->Item(0)->EditText());
  Tree()->EditControl()->SetText(longName);
  Root(0)->Item(0)->EndEdit(false);
  EXPECT_EQ(e->Systems[0]->Name, std::string(32, 'x'));
  EXPECT_EQ(e->Name, "Comet tail with a very long name") << "the emitter keeps its name";
}

TEST_F(EmitterManTest, RenamingTheShownSystemOrItsEmitterRenamesThePropertiesLabel) {
  TEmitterObject* a = NewEmitter();
  a->Name = "Fire";
  a->Systems[0]->Name = "Smoke";
  form_->AddSystemAction->Execute();
  a->Systems[1]->Name = "Flames";
  TEmitterObject* b = NewEmitter();
  b->Name = "Rain";
  form_->RebuildTree();
  Select(Root(0)->Item(1));
  ASSERT_EQ(form_->PropsForm->System(), a->Systems[1].get());
  TKitSimpleLabel* label = form_->PropsForm->SystemLabel;
  ASSERT_EQ(label->Caption(), "Fire - Flames");

  // Each row renames one node while the first emitter's second system stays shown.
  struct Rename {
    Integer emitter, system;  // system -1: the emitter's own node
    const char* text;
    const char* label;
  };
  const Rename rows[] = {
      {0, 1, "Sparks", "Fire - Sparks"},
      {0, -1, "Comet", "Comet - Sparks"},
      {0, 0, "Dust", "Comet - Sparks"},
      {1, -1, "Snow", "Comet - Sparks"},
      {1, 0, "Drops", "Comet - Sparks"},
      {0, 1, "A spark with a name far too long to keep", "Comet - A spark with a name far too long"},
  };
  for (const Rename& r : rows) {
    SCOPED_TRACE(r.text);
    TTreeNode* node = r.system < 0 ? Root(r.emitter) : Root(r.emitter)->Item(r.system);
    ASSERT_TRUE(node->EditText());
    Tree()->EditControl()->SetText(r.text);
    node->EndEdit(false);
    Pump();
    EXPECT_EQ(label->Caption(), r.label);
  }
  EXPECT_EQ(b->Name, "Snow");
}

TEST_F(EmitterManTest, ClickingAStateIconTogglesThatSystemOrEmitter) {
  TEmitterObject* e = NewEmitter();
  form_->AddSystemAction->Execute();
  Select(Root(0));
  TTreeNode* second = Root(0)->Item(1);
  ClickTree(StateIconOf(second));
  EXPECT_EQ(e->Systems[1]->Enabled, 0);
  EXPECT_EQ(e->Systems[0]->Enabled, 1);
  EXPECT_EQ(e->Enabled, 1);
  EXPECT_EQ(second->StateIndex(), 1);
  ClickTree(StateIconOf(second));
  EXPECT_EQ(e->Systems[1]->Enabled, 1);
  EXPECT_EQ(second->StateIndex(), 2);

  ClickTree(StateIconOf(Root(0)));
  EXPECT_EQ(e->Enabled, 0);
  EXPECT_EQ(Root(0)->StateIndex(), 1);
  // A click on the label does not toggle.
  const TRect label = Root(0)->DisplayRect(true);
  ClickTree(TPoint{(label.left + label.right) / 2, (label.top + label.bottom) / 2});
  EXPECT_EQ(e->Enabled, 0);

  // The tree, rebuilt, shows the states.
  form_->RebuildTree();
  EXPECT_EQ(Root(0)->StateIndex(), 1);
  EXPECT_EQ(Root(0)->Item(0)->StateIndex(), 2);
}

TEST_F(EmitterManTest, AutoScaleBoxesWriteTheBitsButFillingThemWritesNothing) {
  TEmitterObject* e = NewEmitter();
  form_->MoreBox->SetCheckedValue(true);
  form_->StrongerBox->SetCheckedValue(true);
  form_->ScalarBoxClick(form_->StrongerBox);
  EXPECT_EQ(e->RateSizeScale, ssRate);
  EXPECT_EQ(e->SpeedLifeGravityScale, ssGravity);
  form_->BiggerBox->SetCheckedValue(true);
  form_->OlderBox->SetCheckedValue(true);
  form_->FasterBox->SetCheckedValue(true);
  form_->MoreBox->SetCheckedValue(false);
  form_->ScalarBoxClick(form_->MoreBox);
  EXPECT_EQ(e->RateSizeScale, ssSize);
  EXPECT_EQ(e->SpeedLifeGravityScale, ssSpeed | ssLifespan | ssGravity);

  // A second emitter with other bits: showing it must not write the boxes' old state
  // into it, nor its state into the first.
  TEmitterObject* other = NewEmitter();
  other->RateSizeScale = ssRate;
  other->SpeedLifeGravityScale = ssLifespan;
  other->StartOffset = -12;
  other->FreezeFrame = 48;
  Select(Root(0));
  Select(Root(1));
  EXPECT_EQ(other->RateSizeScale, ssRate);
  EXPECT_EQ(other->SpeedLifeGravityScale, ssLifespan);
  EXPECT_EQ(other->StartOffset, -12);
  EXPECT_EQ(other->FreezeFrame, 48);
  EXPECT_TRUE(form_->MoreBox->Checked());
  EXPECT_FALSE(form_->BiggerBox->Checked());
  EXPECT_TRUE(form_->OlderBox->Checked());
  EXPECT_FALSE(form_->StrongerBox->Checked());
  EXPECT_EQ(form_->OffsetSpin->Value(), -12);
  EXPECT_EQ(form_->FreezeSpin->Value(), 48);
  EXPECT_EQ(e->RateSizeScale, ssSize);

  form_->OffsetSpin->SetValue(-7);
  EXPECT_EQ(other->StartOffset, -7);
  form_->FreezeSpin->SetValue(9000);
  EXPECT_EQ(other->FreezeFrame, 8192) << "the spin's range";
}

TEST_F(EmitterManTest, HostCloneCopiesEverySystemAndHostDeleteStopsThePreview) {
  TEmitterObject* e = NewEmitter();
  e->Name = "Source";
  form_->AddSystemAction->Execute();
  e->Systems[0]->Name = "One";
  e->Systems[1]->Name = "Two";
  e->Systems[1]->Enabled = 0;

  void* clone = host::CloneObject(e->Node);
  ASSERT_NE(clone, nullptr);
  ASSERT_EQ(form_->Emitters.size(), 2u);
  TEmitterObject* copy = form_->Emitters[1].get();
  EXPECT_EQ(copy->Node, clone);
  EXPECT_EQ(form_->CurrentEmitter, copy);
  ASSERT_EQ(copy->SystemCount(), 2);
  EXPECT_NE(copy->Systems[0].get(), e->Systems[0].get());
  EXPECT_EQ(ZkeBytes(*copy), ZkeBytes(*e));
  EXPECT_EQ(Tree()->Items()->RootCount(), 2);
  ExpectEngineListInStep();

  Running = true;
  ASSERT_TRUE(host::DeleteObject(e->Node));
  EXPECT_FALSE(Running) << "the preview stops before an object goes";
  ASSERT_EQ(form_->Emitters.size(), 1u);
  EXPECT_EQ(form_->Emitters[0].get(), copy);
  EXPECT_EQ(form_->CurrentEmitter, copy);
  ExpectEngineListInStep();

  // The delete command goes through the host.
  Select(Root(0));
  form_->DeleteEmitterAction->Execute();
  EXPECT_TRUE(form_->Emitters.empty());
  EXPECT_FALSE(host::IsLive(clone));
  ExpectEngineListInStep();
}

TEST_F(EmitterManTest, RenderProgressShowsOnlyMultiplesOfFive) {
  std::vector<std::tuple<Integer, std::string, std::string>> shown;
  EditorLinks().ShowRenderProgress = [&](Integer pos, const std::string& main, const std::string& control) {
    shown.emplace_back(pos, main, control);
  };
  form_->RenderBegin();
  EXPECT_EQ(RandSeed, 1513u);
  ASSERT_TRUE(OnRenderProgress);
  for (Integer p = 0; p <= 100; ++p) OnRenderProgress(p);
  form_.reset();
  EXPECT_FALSE(OnRenderProgress) << "no handler into a freed page";
  ASSERT_EQ(shown.size(), 21u);
  for (std::size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(std::get<0>(shown[i]), static_cast<Integer>(5 * i));
  EXPECT_EQ(std::get<1>(shown[0]), "Rendering 0% Complete");
  EXPECT_EQ(std::get<2>(shown[0]), "0%");
  EXPECT_EQ(std::get<1>(shown[7]), "Rendering 35% Complete");
  EXPECT_EQ(std::get<2>(shown[20]), "100%");
}

TEST_F(EmitterManTest, RenderBeginPreRollsEveryEmitterFromTheFixedSeed) {
  TEmitterObject* e = NewEmitter();
  tsxAnimSetActiveTime(20);
  RandSeed = 99;
  form_->RenderBegin();
  const Cardinal afterFirst = RandSeed;
  const auto& particles = e->Systems[0]->System->Particles;
  const auto alive = std::count_if(particles.begin(), particles.end(), [](const auto& p) { return p.Alive; });
  EXPECT_GT(alive, 0) << "twenty frames of pre-roll";
  EXPECT_NE(afterFirst, 1513u);
  RandSeed = 12345;
  form_->RenderBegin();
  EXPECT_EQ(RandSeed, afterFirst) << "the render starts from the same seed every time";
}

TEST_F(EmitterManTest, ShowFrameMovesTheMarkerToTheEmittersLocalFrame) {
  TEmitterObject* e = NewEmitter();
  e->StartOffset = 10;
  TVarChartForm* editor = form_->PropsForm->CurveEditor;
  ASSERT_EQ(editor->Series(), e->Activity.get());
  form_->ShowFrame(35);
  EXPECT_DOUBLE_EQ(editor->CurrentFrameLineTool->Value(), 25.0);
  form_->ShowFrame(4);
  EXPECT_DOUBLE_EQ(editor->CurrentFrameLineTool->Value(), -6.0);
}

TEST_F(EmitterManTest, SplitterAndFoldRules) {
  bool accept = true;
  Integer size = 299;
  form_->Splitter1CanResize(form_->Splitter1, size, accept);
  EXPECT_FALSE(accept);
  size = 300;
  form_->Splitter1CanResize(form_->Splitter1, size, accept);
  EXPECT_TRUE(accept);

  // A stand-in for the toolbox's fold, and the main window's resize links.
  TFpFoldPanel tools(imagesOwner_.get());
  tools.SetParent(form_.get());
  tools.SetHeight(200);
  EditorLinks().ToolPropsFold = &tools;
  std::vector<std::string> calls;
  EditorLinks().FoldBeforeCollapse = [&](TObject* s) { calls.push_back(s == form_->PropsFold ? "before collapse" : "?"); };
  EditorLinks().FoldAfterCollapse = [&](TObject* s) { calls.push_back(s == form_->PropsFold ? "after collapse" : "?"); };
  EditorLinks().FoldBeforeExpand = [&](TObject* s) { calls.push_back(s == form_->PropsFold ? "before expand" : "?"); };

  form_->PropsFold->Collapse();
  EXPECT_TRUE(tools.IsCollapsed());
  size = 400;
  form_->Splitter1CanResize(form_->Splitter1, size, accept);
  EXPECT_FALSE(accept) << "no resizing while folded";
  form_->PropsFold->Expand();
  EXPECT_TRUE(tools.IsExpanded());
  EXPECT_EQ(calls, (std::vector<std::string>{"before collapse", "after collapse", "before expand"}));

  form_->Splitter1Moved(form_->Splitter1);
  EXPECT_EQ(tools.Height(), form_->PropsFold->Height());
  EditorLinks().ToolPropsFold = nullptr;
}

TEST_F(EmitterManTest, TheTreeMenuAndTheCommandsWords) {
  struct Command {
    TAction* action;
    const char* caption;
    const char* hint;
  };
  const std::vector<Command> menu = {
      {form_->NewEmitterAction, "New Emitter", "Add a new emitter to the scene"},
      {form_->DeleteEmitterAction, "Delete Emitter", ""},
      {nullptr, "-", ""},
      {form_->LoadEmitterAction, "Load Emitter Settings", ""},
      {form_->SaveEmitterAction, "Save Emitter Settings", ""},
      {nullptr, "-", ""},
      {form_->AddSystemAction, "Add Particle System", "Add a new particle system to the selected emitter"},
      {form_->DeleteSystemAction, "Delete Particle System", "Delete the selected system"},
      {form_->DupSystemAction, "Duplicate Particle System", "Duplicate the selected particle system"},
      {nullptr, "-", ""},
      {form_->LoadSystemAction, "Load System Settings", "Load settings from a file into the selected particle system"},
      {form_->SaveSystemAction, "Save System Settings", "Save settings from the selected particle system to a file "},
  };
  TMenuItem* items = form_->TreeMenu->Items();
  ASSERT_EQ(items->Count(), static_cast<Integer>(menu.size()));
  for (std::size_t i = 0; i < menu.size(); ++i) {
    SCOPED_TRACE(menu[i].caption);
    TMenuItem* item = items->Items(static_cast<Integer>(i));
    EXPECT_EQ(item->Caption(), menu[i].caption);
    EXPECT_EQ(item->Action(), menu[i].action);
    if (menu[i].action) {
      EXPECT_EQ(menu[i].action->Hint(), menu[i].hint);
    }
  }
  EXPECT_EQ(form_->EmittersTreeView->PopupMenu(), form_->TreeMenu);
  EXPECT_EQ(form_->TreeMenu->Images(), EditorLinks().Images);
  EXPECT_EQ(form_->EmittersTreeView->StateImages(), EditorLinks().Images);
  EXPECT_EQ(form_->PropsFold->Caption(), "Properties");
  EXPECT_EQ(FindFormPart<TKitSimpleLabel>(form_.get(), "BlankLabel")->Caption(),
            "Load an emitter object, or use the File menu to create an emitter.");
}
