// The emitter page's selection as a state machine: what is current, what the tree
// highlights and what the fold shows must agree after every command, click and host
// callback.
#include "emitter_man_fixture.h"

#include "editor/props_form.h"
#include "editor/var_chart_form.h"
#include "platform/classlib/std_pagecontrol.h"

namespace {

// The page agrees with itself: the tree highlights the current system, else the current
// emitter; the fold shows the page that goes with it.
::testing::AssertionResult Agrees(TEmitterManForm& f) {
  TTreeNode* sel = f.EmittersTreeView->Selected();
  if (!f.CurrentEmitter) {
    if (!f.PanelBlank->Visible()) return ::testing::AssertionFailure() << "no emitter, no blank page";
    return ::testing::AssertionSuccess();
  }
  if (!sel) return ::testing::AssertionFailure() << "nothing highlighted";
  if (f.CurrentSystem) {
    if (!sel->Parent() || sel->Data() != f.CurrentSystem || sel->Parent()->Data() != f.CurrentEmitter)
      return ::testing::AssertionFailure() << "the tree highlights another node than the system";
    if (f.CurrentSystem->Owner != f.CurrentEmitter) return ::testing::AssertionFailure() << "a stranger's system";
    if (!f.PropsForm->Visible() || f.PropsForm->System() != f.CurrentSystem)
      return ::testing::AssertionFailure() << "the properties page does not show the system";
    if (!f.DeleteSystemAction->Enabled() || f.DeleteEmitterAction->Enabled())
      return ::testing::AssertionFailure() << "the commands are those of another selection";
  } else {
    if (sel->Parent() || sel->Data() != f.CurrentEmitter)
      return ::testing::AssertionFailure() << "the tree highlights another node than the emitter";
    if (!f.PanelEmitter->Visible() || f.PropsForm->System() != nullptr)
      return ::testing::AssertionFailure() << "the emitter page is not shown";
    if (f.DeleteSystemAction->Enabled() || !f.DeleteEmitterAction->Enabled())
      return ::testing::AssertionFailure() << "the commands are those of another selection";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(EmitterManTest, SelectionStaysInStepThroughCommandsClicksAndTheHost) {
  TEmitterObject* a = NewEmitter();
  EXPECT_TRUE(Agrees(*form_));
  form_->AddSystemAction->Execute();
  EXPECT_EQ(form_->CurrentSystem, a->Systems[1].get());
  EXPECT_TRUE(Agrees(*form_));

  // A refused host object leaves the selection as it was.
  host::SetCreateFails(true);
  form_->NewEmitterAction->Execute();
  Pump();
  host::SetCreateFails(false);
  EXPECT_EQ(form_->CurrentEmitter, a);
  EXPECT_EQ(form_->CurrentSystem, a->Systems[1].get());
  EXPECT_TRUE(Agrees(*form_));

  // The host clones the emitter while one of its systems is selected: the copy is current,
  // with no system of the source still selected.
  void* clone = host::CloneObject(a->Node);
  ASSERT_EQ(form_->Emitters.size(), 2u);
  TEmitterObject* b = form_->Emitters[1].get();
  EXPECT_EQ(b->Node, clone);
  EXPECT_EQ(form_->CurrentEmitter, b);
  EXPECT_EQ(form_->CurrentSystem, nullptr);
  EXPECT_TRUE(Agrees(*form_));

  // A right click on another emitter's system selects it, then the menu opens.
  const TRect r = Root(0)->Item(0)->DisplayRect(true);
  win::AnswerPopupMenu(0);
  ClickTree(TPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, win::MouseButton::Right);
  EXPECT_EQ(win::PendingModalAnswers(), 0u) << "the tree's menu opened";
  EXPECT_EQ(form_->CurrentEmitter, a);
  EXPECT_EQ(form_->CurrentSystem, a->Systems[0].get());
  EXPECT_EQ(host::Selected(), a->Node);
  EXPECT_TRUE(Agrees(*form_));

  // Deleting the system falls back on its emitter.
  form_->DeleteSystemAction->Execute();
  EXPECT_EQ(a->SystemCount(), 1);
  EXPECT_EQ(form_->CurrentEmitter, a);
  EXPECT_EQ(form_->CurrentSystem, nullptr);
  EXPECT_TRUE(Agrees(*form_));

  // The host deletes the current emitter: nothing is current.
  ASSERT_TRUE(host::DeleteObject(a->Node));
  EXPECT_EQ(form_->CurrentEmitter, nullptr);
  EXPECT_TRUE(Agrees(*form_));
  Select(Root(0)->Item(0));
  EXPECT_EQ(form_->CurrentSystem, b->Systems[0].get());
  EXPECT_TRUE(Agrees(*form_));
}

TEST_F(EmitterManTest, TheCurveEditorGoesWhereTheSelectionAndTheSheetSay) {
  TEmitterObject* e = NewEmitter();
  TVarChartForm* editor = form_->PropsForm->CurveEditor;
  EXPECT_EQ(editor->Parent(), form_->VisibilitySheet);
  EXPECT_EQ(editor->Series(), e->Activity.get());
  form_->EmitterPageControl->SetActivePage(form_->VisibilitySheet);
  Pump();
  EXPECT_EQ(editor->Parent(), form_->VisibilitySheet);
  // Leaving the sheet gives the editor back to the properties page.
  form_->EmitterPageControl->SetActivePage(form_->SettingsSheet);
  Pump();
  EXPECT_NE(editor->Parent(), form_->VisibilitySheet);
  EXPECT_NE(editor->Series(), e->Activity.get());
  form_->EmitterPageControl->SetActivePage(form_->VisibilitySheet);
  Pump();
  EXPECT_EQ(editor->Parent(), form_->VisibilitySheet);
  EXPECT_EQ(editor->Series(), e->Activity.get());

  Select(Root(0)->Item(0));
  EXPECT_NE(editor->Parent(), form_->VisibilitySheet);
  EXPECT_NE(editor->Series(), e->Activity.get());
  Select(Root(0));
  EXPECT_EQ(editor->Parent(), form_->VisibilitySheet);
  EXPECT_EQ(editor->Series(), e->Activity.get());

  // With the emitter gone the editor shows none of its curves.
  ASSERT_TRUE(host::DeleteObject(e->Node));
  EXPECT_NE(editor->Parent(), form_->VisibilitySheet);
  EXPECT_EQ(editor->Series(), nullptr);
}
