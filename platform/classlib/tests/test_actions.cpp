// Actions: the order of update and execute, the list's say, exclusive groups, and links
// that keep menu items and check-box-like controls in step — also when read from a form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classlib/actions.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/dialogs.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/menus.h"
#include "platform/win/window.h"

namespace {

// A windowless control with a check, which, like a check box, clicks when its check
// changes.
class TProbeCheck : public TGraphicControl {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TProbeCheck>("TProbeCheck", TGraphicControl::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    published.For<TProbeCheck>().Boolean("Checked", &TProbeCheck::Checked, &TProbeCheck::SetChecked).Default(false);
  }
  using TGraphicControl::TGraphicControl;

  bool Checked() const { return checked_; }
  void SetChecked(bool value) {
    if (checked_ == value) return;
    checked_ = value;
    Click();
  }
  // What a user's click does to a check box.
  void UserClick() { SetChecked(!checked_); }

 private:
  bool checked_ = false;
};

struct Fixture {
  // Other tests put control hooks of their own in place.
  Fixture() { InstallActionHooks(); }

  TComponent root{nullptr};
  TActionList* list = new TActionList(&root);

  TAction* NewAction(const std::string& caption, TActionList* in) {
    auto* a = new TAction(&root);
    a->SetCaption(caption);
    if (in) a->SetActionList(in);
    return a;
  }
};

}  // namespace

TEST(Actions, ExecuteUpdatesFirstAndTheListMayTakeOver) {
  Fixture f;
  TAction* a = f.NewAction("Play", f.list);
  std::vector<std::string> log;
  bool disableOnUpdate = false;
  bool listHandles = false;
  a->OnUpdate = [&](TObject*) {
    log.push_back("update");
    if (disableOnUpdate) a->SetEnabled(false);
  };
  a->OnExecute = [&](TObject* sender) {
    log.push_back("execute");
    EXPECT_EQ(sender, a);
  };
  f.list->OnExecute = [&](TBasicAction* action, bool& handled) {
    log.push_back(std::string("list ") + action->Name());
    handled = listHandles;
  };
  a->SetName("PlayAction");

  EXPECT_TRUE(a->Execute());
  EXPECT_EQ(log, (std::vector<std::string>{"update", "list PlayAction", "execute"}));

  log.clear();
  listHandles = true;
  EXPECT_TRUE(a->Execute());
  EXPECT_EQ(log, (std::vector<std::string>{"update", "list PlayAction"})) << "a handled execution stops there";

  log.clear();
  listHandles = false;
  disableOnUpdate = true;
  EXPECT_FALSE(a->Execute());
  EXPECT_EQ(log, (std::vector<std::string>{"update"})) << "an action its update disabled does not run";

  // Without any handler nobody executes it.
  TAction* bare = f.NewAction("Bare", nullptr);
  EXPECT_FALSE(bare->Execute());
}

TEST(Actions, CheckingAnActionOfAGroupUnchecksTheOthersOfItsListOnly) {
  Fixture f;
  TAction* dots = f.NewAction("Dots", f.list);
  TAction* boxes = f.NewAction("Boxes", f.list);
  TAction* circles = f.NewAction("Circles", f.list);
  TAction* other = f.NewAction("Other group", f.list);
  TActionList* secondList = new TActionList(&f.root);
  TAction* elsewhere = f.NewAction("Same group, other list", secondList);
  for (TAction* a : {dots, boxes, circles, elsewhere}) a->SetGroupIndex(1);
  other->SetGroupIndex(2);
  other->SetChecked(true);
  elsewhere->SetChecked(true);

  dots->SetChecked(true);
  boxes->SetChecked(true);
  EXPECT_FALSE(dots->Checked());
  EXPECT_TRUE(boxes->Checked());
  EXPECT_FALSE(circles->Checked());
  EXPECT_TRUE(other->Checked());
  EXPECT_TRUE(elsewhere->Checked());

  // Joining the group while checked turns the others off.
  circles->SetGroupIndex(0);
  circles->SetChecked(true);
  circles->SetGroupIndex(1);
  EXPECT_FALSE(boxes->Checked());
  EXPECT_TRUE(circles->Checked());
}

TEST(Actions, LinkedMenuItemFollowsTheActionUntilItsValueIsChangedByHand) {
  Fixture f;
  TAction* a = f.NewAction("Enable Rendering", f.list);
  a->SetHint("Render the particles");
  a->SetShortCut(ShortCut('R', TShiftState{ssCtrl}));
  auto* item = new TMenuItem(&f.root);
  TComponent* executedFor = nullptr;
  int executes = 0;
  a->OnExecute = [&](TObject*) {
    ++executes;
    executedFor = a->ActionComponent();
  };

  item->SetAction(a);
  EXPECT_EQ(item->Action(), a);
  EXPECT_EQ(item->Caption(), "Enable Rendering");
  EXPECT_EQ(item->Hint(), "Render the particles");
  EXPECT_EQ(item->ShortCut(), ShortCut('R', TShiftState{ssCtrl}));

  a->SetChecked(true);
  EXPECT_TRUE(item->Checked());
  a->SetEnabled(false);
  EXPECT_FALSE(item->Enabled());
  item->Click();
  EXPECT_EQ(executes, 0) << "a disabled item does not click";
  a->SetEnabled(true);
  EXPECT_TRUE(item->Enabled());

  item->Click();
  EXPECT_EQ(executes, 1);
  EXPECT_EQ(executedFor, item) << "the action knows which client executed it";
  EXPECT_EQ(a->ActionComponent(), nullptr) << "only while it runs";

  // A caption set by hand is the item's own; the check still follows.
  item->SetCaption("My caption");
  a->SetCaption("Rendering");
  EXPECT_EQ(item->Caption(), "My caption");
  a->SetChecked(false);
  EXPECT_FALSE(item->Checked());

  // An item's own OnClick wins over the action.
  int ownClicks = 0;
  item->OnClick = [&](TObject*) { ++ownClicks; };
  item->Click();
  EXPECT_EQ(ownClicks, 1);
  EXPECT_EQ(executes, 1);
}

TEST(Actions, CheckBoxLinkFollowsTheCheckWithoutExecutingTwice) {
  Fixture f;
  // The editor's Enable Rendering: the handler toggles the check, then sets it from what
  // the renderer really did.
  TAction* render = f.NewAction("Enable Rendering", f.list);
  bool rendererAccepts = false;
  int executes = 0;
  render->OnExecute = [&](TObject*) {
    ++executes;
    render->SetChecked(!render->Checked());
    render->SetChecked(render->Checked() && rendererAccepts);
  };
  auto* box = new TProbeCheck(&f.root);
  box->SetAction(render);
  EXPECT_EQ(box->Caption(), "Enable Rendering");
  EXPECT_EQ(box->Action<TAction>(), render);

  box->UserClick();
  EXPECT_EQ(executes, 1) << "setting the box's check from the action must not execute it again";
  EXPECT_FALSE(render->Checked());
  EXPECT_FALSE(box->Checked()) << "the box shows what the renderer did";

  rendererAccepts = true;
  box->UserClick();
  EXPECT_EQ(executes, 2);
  EXPECT_TRUE(render->Checked());
  EXPECT_TRUE(box->Checked());

  // Executing the action elsewhere (a menu item, the first icon click) moves the box.
  render->Execute();
  EXPECT_EQ(executes, 3);
  EXPECT_FALSE(box->Checked());

  render->SetEnabled(false);
  EXPECT_FALSE(box->Enabled());
  render->SetVisible(false);
  EXPECT_FALSE(box->Visible());
  box->SetAction<TBasicAction>(nullptr);
  render->SetEnabled(true);
  EXPECT_FALSE(box->Enabled()) << "an unlinked control keeps its values";
}

TEST(Actions, FreeingActionsLeavesClientsSafeAndTheListFreesItsActions) {
  Fixture f;
  TAction* a = f.NewAction("Gone", f.list);
  int executes = 0;
  a->OnExecute = [&](TObject*) { ++executes; };
  auto* item = new TMenuItem(&f.root);
  auto* box = new TProbeCheck(&f.root);
  item->SetAction(a);
  box->SetAction(a);
  delete a;
  EXPECT_EQ(item->Action(), nullptr);
  EXPECT_EQ(box->ActionComponent(), nullptr);
  EXPECT_EQ(item->Caption(), "Gone");
  item->Click();
  box->UserClick();
  EXPECT_EQ(executes, 0);
  EXPECT_EQ(f.list->ActionCount(), 0);

  f.NewAction("B", f.list);
  f.NewAction("C", f.list);
  const int before = f.root.ComponentCount();
  delete f.list;
  EXPECT_EQ(f.root.ComponentCount(), before - 3) << "the list and its two actions";
}

// ---- form files -------------------------------------------------------------------------------------

namespace {

class TActionsForm : public TForm {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TActionsForm>("TActionsForm", TForm::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TActionsForm>();
    p.Method("RenderActionExecute", &TActionsForm::RenderActionExecute);
    p.Method("DepthDithering1Click", &TActionsForm::DepthDithering1Click);
  }
  using TForm::TForm;

  void RenderActionExecute(TObject*) { ++renders; }
  void DepthDithering1Click(TObject* sender) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    item->SetChecked(!item->Checked());
  }
  int renders = 0;
};

constexpr const char* kActionsForm = R"(object ActionsForm: TActionsForm
  object ActionList1: TActionList
    object RenderAction: TAction
      Caption = 'Enable Rendering'
      Checked = True
      OnExecute = RenderActionExecute
    end
    object CuesAction: TAction
      Caption = 'Toggle Cue Cards'
      Enabled = False
    end
  end
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      object EnableRendering1: TMenuItem
        Action = RenderAction
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object DepthDithering1: TMenuItem
        Caption = 'Depth Dithering'
        OnClick = DepthDithering1Click
      end
    end
    object Help1: TMenuItem
      Caption = '&Help'
      object TopicsContents1: TMenuItem
        Caption = 'Topics && Contents'
      end
      object ToggleCues1: TMenuItem
        Action = CuesAction
      end
    end
  end
  object SaveDialog1: TSaveDialog
    DefaultExt = 'zke'
    Filter = 'Quillmoth Emitters (*.zke)|*.zke'
    Options = [ofOverwritePrompt, ofHideReadOnly, ofEnableSizing]
  end
end
)";

}  // namespace

TEST(Actions, FormFilesNestActionsInListsAndItemsInMenusAndRoundTrip) {
  RegisterClass(TActionsForm::StaticClass());
  win::ResetWindowSystem();
  TActionsForm form(nullptr);
  ReadComponentTextInto(kActionsForm, &form);

  auto* list = dynamic_cast<TActionList*>(form.FindComponent("ActionList1"));
  auto* render = dynamic_cast<TAction*>(form.FindComponent("RenderAction"));
  auto* menu = dynamic_cast<TMainMenu*>(form.FindComponent("MainMenu1"));
  ASSERT_TRUE(list && render && menu);
  EXPECT_EQ(list->ActionCount(), 2);
  EXPECT_EQ(render->ActionList(), list);
  ASSERT_EQ(menu->Items()->Count(), 2);
  TMenuItem* file = menu->Items()->Items(0);
  EXPECT_EQ(file->Name(), "File1");
  EXPECT_EQ(file->GetParentMenu(), menu);
  EXPECT_EQ(file->GetParentComponent(), menu);
  ASSERT_EQ(file->Count(), 3);
  EXPECT_TRUE(file->Items(1)->IsLine());

  auto* enable = dynamic_cast<TMenuItem*>(form.FindComponent("EnableRendering1"));
  auto* cues = dynamic_cast<TMenuItem*>(form.FindComponent("ToggleCues1"));
  auto* dither = dynamic_cast<TMenuItem*>(form.FindComponent("DepthDithering1"));
  EXPECT_EQ(enable->Caption(), "Enable Rendering") << "an item without a caption takes the action's";
  EXPECT_TRUE(enable->Checked());
  EXPECT_FALSE(cues->Enabled());
  auto* topics = dynamic_cast<TMenuItem*>(form.FindComponent("TopicsContents1"));
  ASSERT_NE(topics, nullptr);
  EXPECT_EQ(StripHotkey(topics->Caption()), "Topics & Contents");

  enable->Click();
  EXPECT_EQ(form.renders, 1) << "the item runs the action bound to the form's method";
  menu->DispatchCommand(dither->Command());
  EXPECT_TRUE(dither->Checked());
  render->SetChecked(false);
  EXPECT_FALSE(enable->Checked());

  auto* save = dynamic_cast<TSaveDialog*>(form.FindComponent("SaveDialog1"));
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->Options(), (TOpenOptions{ofOverwritePrompt, ofHideReadOnly, ofEnableSizing}));
  EXPECT_EQ(save->DefaultExt(), "zke");

  // What the action supplies is the action's to store.
  const std::string text = WriteComponentText(&form);
  const std::size_t at = text.find("object EnableRendering1: TMenuItem");
  ASSERT_NE(at, std::string::npos);
  const std::string enableBlock = text.substr(at, text.find("  end", at) - at);
  EXPECT_NE(enableBlock.find("Action = RenderAction"), std::string::npos) << enableBlock;
  EXPECT_EQ(enableBlock.find("Caption"), std::string::npos) << enableBlock;

  TActionsForm again(nullptr);
  ReadComponentTextInto(text, &again);
  EXPECT_EQ(WriteComponentText(&again), text);
  auto* enableAgain = dynamic_cast<TMenuItem*>(again.FindComponent("EnableRendering1"));
  EXPECT_EQ(enableAgain->Caption(), "Enable Rendering");
  EXPECT_EQ(enableAgain->Parent()->Name(), "File1");
}
