// Menus: captions and shortcuts, radio groups, the item tree, and popup menus answered
// by the window system's answer queue.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classlib/actions.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/menus.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/window.h"

namespace {

class MenusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Other tests put hooks of their own in place.
    InstallMenuHooks();
    InstallActionHooks();
    win::ResetWindowSystem();
    win::SetModalFailureHandler([this](const std::string& why) { failures_.push_back(why); });
  }
  void TearDown() override {
    win::SetModalFailureHandler(nullptr);
    win::ResetWindowSystem();
  }

  TMenuItem* AddItem(TMenuItem* parent, const std::string& caption) {
    auto* item = new TMenuItem(&root_);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
  }

  TComponent root_{nullptr};
  std::vector<std::string> failures_;
};

std::vector<std::string> Captions(const win::ModalPrompt& p) {
  std::vector<std::string> out;
  for (const win::PopupMenuItem& i : p.items)
    out.push_back(std::string(i.depth, '>') + (i.separator ? "---" : i.caption) + (i.enabled ? "" : " (off)") +
                  (i.checked ? " [x]" : ""));
  return out;
}

}  // namespace

TEST(MenuText, HotkeysAndShortcutTexts) {
  EXPECT_EQ(StripHotkey("&File"), "File");
  EXPECT_EQ(GetHotkey("&File"), 'F');
  EXPECT_EQ(StripHotkey("Topics && Contents"), "Topics & Contents");
  EXPECT_EQ(GetHotkey("Topics && Contents"), '\0') << "&& is an ampersand, not a mark";
  EXPECT_EQ(StripHotkey("a&&b&c"), "a&bc");
  EXPECT_EQ(GetHotkey("a&&b&c"), 'C');
  EXPECT_EQ(StripHotkey("Trailing&"), "Trailing");

  EXPECT_EQ(ShortCutToText(ShortCut('S', TShiftState{ssCtrl})), "Ctrl+S");
  EXPECT_EQ(ShortCutToText(ShortCut(win::VK_F1, TShiftState{ssShift})), "Shift+F1");
  EXPECT_EQ(ShortCutToText(ShortCut(win::VK_DELETE, {})), "Del");
  EXPECT_EQ(ShortCutToText(ShortCut(win::VK_RETURN, TShiftState{ssAlt, ssCtrl})), "Ctrl+Alt+Enter");
  EXPECT_EQ(ShortCutToText(ShortCut(0xE5, {})), "") << "a key without a name";
  EXPECT_EQ(ShortCut(0x1FF, {}), scNone);
  for (TShortCut s : {ShortCut('S', TShiftState{ssCtrl}), ShortCut(win::VK_F12, TShiftState{ssShift, ssAlt}),
                      ShortCut(win::VK_PRIOR, {}), ShortCut('7', TShiftState{ssCtrl, ssShift})})
    EXPECT_EQ(TextToShortCut(ShortCutToText(s)), s) << ShortCutToText(s);
  EXPECT_EQ(TextToShortCut("ctrl+shift+x"), ShortCut('X', TShiftState{ssCtrl, ssShift}));
  EXPECT_EQ(TextToShortCut("Ctrl+"), scNone);
  EXPECT_EQ(TextToShortCut("Hyper+X"), scNone);
}

TEST_F(MenusTest, RadioItemsOfAGroupUncheckEachOtherAmongSiblingsOnly) {
  TPopupMenu menu(nullptr);
  TMenuItem* top = menu.Items();
  TMenuItem* dots = AddItem(top, "Dots");
  TMenuItem* boxes = AddItem(top, "Boxes");
  TMenuItem* plain = AddItem(top, "Not a radio item");
  TMenuItem* otherGroup = AddItem(top, "Other group");
  TMenuItem* sub = AddItem(top, "Sub");
  TMenuItem* nested = AddItem(sub, "Nested, same group");
  for (TMenuItem* i : {dots, boxes, otherGroup, nested}) i->SetRadioItem(true);
  for (TMenuItem* i : {dots, boxes, plain, nested}) i->SetGroupIndex(1);
  otherGroup->SetGroupIndex(2);
  for (TMenuItem* i : {plain, otherGroup, nested}) i->SetChecked(true);

  dots->SetChecked(true);
  boxes->SetChecked(true);
  EXPECT_FALSE(dots->Checked());
  EXPECT_TRUE(boxes->Checked());
  EXPECT_TRUE(plain->Checked()) << "only radio items take part";
  EXPECT_TRUE(otherGroup->Checked());
  EXPECT_TRUE(nested->Checked()) << "the group is among siblings";

  // A checked item that becomes a radio item of the group turns the others off.
  dots->SetRadioItem(false);
  dots->SetChecked(true);
  dots->SetRadioItem(true);
  EXPECT_FALSE(boxes->Checked());
  // Unchecking does not check anything else.
  dots->SetChecked(false);
  EXPECT_FALSE(boxes->Checked());
}

TEST_F(MenusTest, ItemTreeRefusesReinsertionAndCyclesAndFreesSubItems) {
  TMainMenu menu(nullptr);
  TMenuItem* file = AddItem(menu.Items(), "&File");
  TMenuItem* open = AddItem(file, "Open");
  TMenuItem* save = AddItem(file, "Save");
  TMenuItem* recent = AddItem(file, "Recent");
  TMenuItem* one = AddItem(recent, "one.zke");

  EXPECT_THROW(menu.Items()->Add(open), EMenuError) << "an item in a tree already";
  EXPECT_THROW(one->Add(file), EMenuError) << "an item inside itself";
  EXPECT_THROW(recent->Add(recent), EMenuError);
  EXPECT_THROW(file->Items(3), EMenuError);
  EXPECT_THROW(file->Insert(5, new TMenuItem(&root_)), EMenuError);

  save->SetMenuIndex(0);
  EXPECT_EQ(file->Items(0), save);
  EXPECT_EQ(open->MenuIndex(), 1);
  EXPECT_EQ(one->GetParentMenu(), &menu);
  EXPECT_EQ(menu.FindItem(one->Command()), one);
  EXPECT_NE(one->Command(), save->Command());

  const int owned = root_.ComponentCount();
  const Word oneCommand = one->Command();
  delete recent;
  EXPECT_EQ(file->Count(), 2);
  EXPECT_EQ(root_.ComponentCount(), owned - 2) << "an item frees its sub-items";
  EXPECT_EQ(menu.FindItem(oneCommand), nullptr);

  file->Remove(open);
  EXPECT_EQ(open->Parent(), nullptr);
  EXPECT_THROW(file->Remove(open), EMenuError);
  menu.Items()->Add(open);
  EXPECT_EQ(open->GetParentComponent(), &menu);
}

TEST_F(MenusTest, PopupShowsVisibleItemsAndClicksTheAnsweredOneWhenTheQueueDeliversIt) {
  TPopupMenu menu(nullptr);
  TMenuItem* add = AddItem(menu.Items(), "&Add Color");
  TMenuItem* del = AddItem(menu.Items(), "Delete Color");
  AddItem(menu.Items(), "Hidden")->SetVisible(false);
  AddItem(menu.Items(), "-");
  TMenuItem* gradient = AddItem(menu.Items(), "Gradient");
  TMenuItem* open = AddItem(gradient, "Open Gradient...");
  open->SetShortCut(ShortCut('O', TShiftState{ssCtrl}));
  del->SetEnabled(false);
  add->SetChecked(true);

  std::vector<std::string> log;
  std::size_t promptsAtPopup = 99;
  menu.OnPopup = [&](TObject*) {
    log.push_back("popup");
    promptsAtPopup = win::ModalPrompts().size();
  };
  for (TMenuItem* i : {add, del, open})
    i->OnClick = [&log](TObject* s) { log.push_back(static_cast<TMenuItem*>(s)->Caption()); };

  win::AnswerPopupMenu(open->Command());
  menu.Popup(100, 200);
  EXPECT_EQ(promptsAtPopup, 0u) << "OnPopup runs before the menu is shown";
  ASSERT_EQ(win::ModalPrompts().size(), 1u);
  const win::ModalPrompt& p = win::ModalPrompts()[0];
  EXPECT_EQ(p.kind, win::ModalKind::PopupMenu);
  EXPECT_EQ(p.pt.x, 100);
  EXPECT_EQ(p.pt.y, 200);
  EXPECT_EQ(p.type, win::TPM_LEFTALIGN | win::TPM_RIGHTBUTTON);
  EXPECT_EQ(Captions(p), (std::vector<std::string>{"&Add Color [x]", "Delete Color (off)", "---", "Gradient",
                                                   ">Open Gradient...\tCtrl+O"}));
  EXPECT_EQ(p.items[3].id, 0u) << "a sub-menu's own entry cannot be chosen";
  EXPECT_EQ(menu.PopupPoint().x, 100);
  EXPECT_EQ(log, (std::vector<std::string>{"popup"})) << "the choice arrives through the message queue";
  win::PumpPendingMessages();
  EXPECT_EQ(log, (std::vector<std::string>{"popup", "Open Gradient..."}));

  // Dismissed: nothing clicks.
  win::AnswerPopupMenu(0);
  menu.Popup(0, 0);
  win::PumpPendingMessages();
  EXPECT_EQ(log.size(), 3u);

  // A disabled item cannot be the answer; no answer at all fails the test too.
  win::AnswerPopupMenu(del->Command());
  EXPECT_THROW(menu.Popup(0, 0), win::NoModalAnswer);
  win::ClearModalAnswers();
  EXPECT_THROW(menu.Popup(0, 0), win::NoModalAnswer);
  EXPECT_EQ(failures_.size(), 2u);
}

TEST_F(MenusTest, PopupUpdatesItemActionsAndSurvivesTheMenuGoingBeforeDelivery) {
  TActionList list(nullptr);
  auto* action = new TAction(&list);
  action->SetCaption("Delete Keyframe");
  action->SetActionList(&list);
  bool deletable = false;
  int executes = 0;
  action->OnUpdate = [&](TObject*) { action->SetEnabled(deletable); };
  action->OnExecute = [&](TObject*) { ++executes; };

  auto* menu = new TPopupMenu(nullptr);
  auto* item = new TMenuItem(menu);
  item->SetAction(action);
  menu->Items()->Add(item);

  win::AnswerPopupMenu(0);
  menu->Popup(5, 5);
  EXPECT_FALSE(win::ModalPrompts().back().items[0].enabled) << "the action updated before the menu showed";

  deletable = true;
  win::AnswerPopupMenu(item->Command());
  menu->Popup(5, 5);
  EXPECT_TRUE(win::ModalPrompts().back().items[0].enabled);
  win::PumpPendingMessages();
  EXPECT_EQ(executes, 1);

  // The command is on its way when the menu goes: nothing happens.
  win::AnswerPopupMenu(item->Command());
  menu->Popup(5, 5);
  delete menu;
  win::PumpPendingMessages();
  EXPECT_EQ(executes, 1);
}

TEST_F(MenusTest, RightClickOnAControlOpensItsPopupMenuThere) {
  TForm form(nullptr);
  form.SetBounds(40, 30, 240, 160);
  auto* menu = new TPopupMenu(&form);
  TMenuItem* choose = AddItem(menu->Items(), "Choose Image...");
  int chosen = 0;
  choose->OnClick = [&](TObject*) { ++chosen; };
  form.SetPopupMenu(menu);
  form.Show();
  win::PumpPendingMessages();

  const win::POINT at = win::ScreenPointOf(form.Handle(), 25, 35);
  win::AnswerPopupMenu(choose->Command());
  win::InjectClick(win::MouseButton::Right, at.x, at.y);
  win::PumpPendingMessages();
  ASSERT_EQ(win::ModalPrompts().size(), 1u);
  EXPECT_EQ(win::ModalPrompts()[0].pt.x, at.x);
  EXPECT_EQ(win::ModalPrompts()[0].pt.y, at.y);
  EXPECT_EQ(menu->PopupComponent(), &form);
  EXPECT_EQ(chosen, 1);

  menu->SetAutoPopup(false);
  win::InjectClick(win::MouseButton::Right, at.x, at.y);
  win::PumpPendingMessages();
  EXPECT_EQ(win::ModalPrompts().size(), 1u) << "without AutoPopup the click opens nothing";

  delete menu;
  EXPECT_EQ(form.PopupMenu(), nullptr);
  EXPECT_TRUE(failures_.empty());
}
