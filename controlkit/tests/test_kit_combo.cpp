// The kit combo box: the recently used block (sequences, no duplicates, limits), the
// incremental search after a typing pause on the manual clock, and the focus hand-over.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controlkit/kit_application.h"
#include "controlkit/kit_combo_box.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_edit.h"
#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "kit_form_test.h"

namespace {

using Items = std::vector<std::string>;

class KitComboTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(1000, 0);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 300, 200);
    combo_ = new TKitComboBox(form_.get());
    combo_->SetParent(form_.get());
    combo_->SetBounds(10, 10, 120, 20);
    combo_->SetStyle(csDropDownList);
    for (const char* s : {"Alpha", "Beta", "Gamma", "Delta", "Epsilon"}) combo_->Items()->Add(s);
    form_->Show();
    win::PumpPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    kit_test::ReleaseKitTimers();
    win::ResetWindowSystem();
    win::UseRealClock();
  }
  // Chooses the last item with that text, as the user does from the list.
  void Choose(const std::string& text) {
    Integer index = -1;
    for (Integer i = 0; i < combo_->Items()->Count(); ++i)
      if (combo_->Items()->Strings(i) == text) index = i;
    ASSERT_GE(index, 0) << text;
    combo_->SetItemIndex(index);
    combo_->Notify(CBN_SELCHANGE);
  }
  Items Contents() const {
    Items out;
    for (Integer i = 0; i < combo_->Items()->Count(); ++i) out.push_back(combo_->Items()->Strings(i));
    return out;
  }
  static void Run(win::DWORD ms) {
    for (win::DWORD t = 0; t < ms; t += 50) {
      win::AdvanceClock(50);
      win::PumpPendingMessages();
    }
  }
  void Key(int vk, unsigned mods = 0) {
    win::InjectKey(vk, mods);
    win::PumpPendingMessages();
  }

  std::unique_ptr<TForm> form_;
  TKitComboBox* combo_ = nullptr;
};

}  // namespace

TEST_F(KitComboTest, RecentlyUsedBlockKeepsTheNewestUpToMRUMax) {
  combo_->SetMRUList(true);
  EXPECT_EQ(combo_->Style(), csOwnerDrawFixed);
  combo_->SetMRUMax(2);
  int selects = 0;
  combo_->OnSelect = [&](TObject*) { ++selects; };

  Choose("Gamma");
  EXPECT_EQ(Contents(), (Items{"Gamma", "Alpha", "Beta", "Gamma", "Delta", "Epsilon"}));
  EXPECT_EQ(combo_->ItemIndex(), 0);
  Choose("Delta");
  Choose("Epsilon");
  EXPECT_EQ(Contents(), (Items{"Epsilon", "Delta", "Alpha", "Beta", "Gamma", "Delta", "Epsilon"}));
  EXPECT_EQ(combo_->MRUCount(), 2);
  EXPECT_EQ(selects, 3);

  // The oldest entry of the block, chosen again from the list below: selected, not copied.
  Choose("Delta");
  EXPECT_EQ(Contents(), (Items{"Epsilon", "Delta", "Alpha", "Beta", "Gamma", "Delta", "Epsilon"}));
  EXPECT_EQ(combo_->ItemIndex(), 1);
  // The newest, chosen from the block itself.
  combo_->SetItemIndex(0);
  combo_->Notify(CBN_SELCHANGE);
  EXPECT_EQ(combo_->Items()->Count(), 7);
  EXPECT_EQ(combo_->ItemIndex(), 0);

  combo_->SetMRUList(false);
  EXPECT_EQ(Contents(), (Items{"Alpha", "Beta", "Gamma", "Delta", "Epsilon"}));
  EXPECT_EQ(combo_->MRUCount(), 0);
}

TEST_F(KitComboTest, LoweringMRUMaxDropsTheOldestAndZeroMeansNoBlock) {
  combo_->SetMRUList(true);
  for (const char* s : {"Alpha", "Beta", "Gamma", "Delta", "Epsilon"}) Choose(s);
  EXPECT_EQ(Contents(), (Items{"Epsilon", "Delta", "Gamma", "Beta", "Alpha", "Alpha", "Beta", "Gamma", "Delta",
                               "Epsilon"}));
  combo_->SetMRUMax(3);
  EXPECT_EQ(Contents(), (Items{"Epsilon", "Delta", "Gamma", "Alpha", "Beta", "Gamma", "Delta", "Epsilon"}));
  EXPECT_EQ(combo_->MRUCount(), 3);

  combo_->SetMRUMax(0);
  EXPECT_EQ(combo_->MRUCount(), 0);
  EXPECT_EQ(Contents(), (Items{"Alpha", "Beta", "Gamma", "Delta", "Epsilon"}));
  Choose("Beta");
  combo_->SetMRUMax(-4);
  Choose("Gamma");
  EXPECT_EQ(Contents(), (Items{"Alpha", "Beta", "Gamma", "Delta", "Epsilon"})) << "no block without a positive maximum";
  EXPECT_EQ(combo_->ItemIndex(), 2);
}

TEST_F(KitComboTest, RowsGrowByFourWhileTheBlockIsOn) {
  struct Open : TKitComboBox {
    using TKitComboBox::TKitComboBox;
    using TKitComboBox::MeasureItem;
  };
  auto* box = new Open(form_.get());
  box->SetParent(form_.get());
  box->Items()->Add("x");
  box->SetItemHeight(12);
  Integer h = 0;
  box->SetMRUList(true);
  box->MeasureItem(0, h);
  EXPECT_EQ(h, 16);
}

TEST_F(KitComboTest, IncrementalSearchRunsAfterThePause) {
  combo_->SetStyle(csDropDown);
  combo_->SetSearch(true);
  EXPECT_TRUE(combo_->Sorted());
  combo_->SetFocus();
  win::PumpPendingMessages();
  Key('G', 0);
  Run(700);
  Key('A', 0);
  EXPECT_TRUE(combo_->SearchPending());
  Run(1450);
  EXPECT_EQ(combo_->ItemIndex(), -1) << "the pause restarts with every key";
  Run(50);
  EXPECT_FALSE(combo_->SearchPending());
  ASSERT_EQ(combo_->ItemIndex(), 4) << "sorted: Alpha Beta Delta Epsilon Gamma";
  EXPECT_EQ(combo_->Text(), "Gamma");
  EXPECT_EQ(combo_->SelStart(), 2);
  EXPECT_EQ(combo_->SelLength(), 3);

  // Backspace waits a second longer.
  Key(win::VK_BACK);
  Run(1500);
  EXPECT_TRUE(combo_->SearchPending());
  Run(1000);
  EXPECT_FALSE(combo_->SearchPending());
}

TEST_F(KitComboTest, SearchWithoutAMatchChangesNothing) {
  combo_->SetStyle(csDropDown);
  combo_->SetSearch(true);
  combo_->SetFocus();
  win::PumpPendingMessages();
  Key('Q');
  Run(1500);
  EXPECT_EQ(combo_->ItemIndex(), -1);
}

TEST_F(KitComboTest, ArrowKeysKeepTheFocusEnterHandsItOver) {
  auto* edit = new TEdit(form_.get());
  edit->SetParent(form_.get());
  edit->SetBounds(10, 60, 100, 20);
  combo_->SetFocusControl(edit);
  combo_->SetFocus();
  win::PumpPendingMessages();
  Key(win::VK_DOWN);
  EXPECT_EQ(combo_->ItemIndex(), 0);
  EXPECT_TRUE(combo_->Focused()) << "moving through the items keeps the focus";
  Key(win::VK_RETURN);
  EXPECT_TRUE(edit->Focused());

  // A choice with the mouse hands the focus over too.
  combo_->SetFocus();
  win::PumpPendingMessages();
  Choose("Beta");
  EXPECT_TRUE(edit->Focused());

  delete edit;
  EXPECT_EQ(combo_->FocusControl(), nullptr);
}
