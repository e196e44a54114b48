// Combo box: choosing from the dropped list fires OnChange once (after the list
// closed), keys that choose, the edit part's typing, items keeping the selection,
// CB_SETDROPPEDWIDTH, and owner drawing with measured rows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/forms.h"
#include "platform/classlib/std_combobox.h"
#include "platform/classlib/std_edit.h"
#include "platform/win/clock.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/system_tables.h"

namespace {

using Log = std::vector<std::string>;

class ComboBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(1000, 0);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 300, 200);
    combo_ = new TComboBox(form_.get());
    combo_->SetParent(form_.get());
    combo_->SetBounds(10, 10, 120, 21);
    combo_->SetStyle(csDropDownList);
    combo_->Items()->AddObject("Alpha", &a_);
    combo_->Items()->AddObject("Beta", &b_);
    combo_->Items()->AddObject("Gamma", &c_);
    combo_->OnChange = [this](TObject*) { log_.push_back("change " + std::to_string(combo_->ItemIndex())); };
    combo_->OnSelect = [this](TObject*) { log_.push_back("select"); };
    combo_->OnClick = [this](TObject*) { log_.push_back("click"); };
    combo_->OnDropDown = [this](TObject*) { log_.push_back("dropdown"); };
    combo_->OnCloseUp = [this](TObject*) { log_.push_back("closeup"); };
    form_->Show();
    win::PumpPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
    win::UseRealClock();
  }

  void ClickAt(win::HWND h, Integer x, Integer y) {
    win::AdvanceClock(2000);
    win::POINT p = win::ScreenPointOf(h, x, y);
    win::InjectClick(win::MouseButton::Left, p.x, p.y);
    win::PumpPendingMessages();
  }
  void Key(int vk, unsigned mods = 0) {
    win::InjectKey(vk, mods);
    win::PumpPendingMessages();
  }

  std::unique_ptr<TForm> form_;
  TComboBox* combo_ = nullptr;
  TObject a_, b_, c_;
  Log log_;
};

TEST_F(ComboBoxTest, ChoosingFromTheDroppedListFiresOnChangeOnceAfterTheListClosed) {
  ClickAt(combo_->Handle(), 20, 8);
  ASSERT_TRUE(combo_->DroppedDown());
  win::HWND list = combo_->ListHandle();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(win::IsWindowVisible(list));
  EXPECT_EQ(log_, (Log{"dropdown"}));

  // The list lies under the box, as wide as the box, three rows high.
  win::RECT box, lr;
  win::GetWindowRect(combo_->Handle(), &box);
  win::GetWindowRect(list, &lr);
  EXPECT_EQ(lr.left, box.left);
  EXPECT_EQ(lr.top, box.bottom);
  EXPECT_EQ(lr.right - lr.left, 120);
  EXPECT_EQ(lr.bottom - lr.top, 3 * combo_->ItemHeight() + 2);

  log_.clear();
  TRect row = combo_->ListItemRect(1);
  // The mouse moves over the rows (highlighting) and the release picks "Beta".
  win::POINT p = win::ScreenPointOf(list, 10, row.top + 2);
  win::InjectClick(win::MouseButton::Left, p.x, p.y);
  win::PumpPendingMessages();
  EXPECT_FALSE(combo_->DroppedDown());
  EXPECT_EQ(combo_->ItemIndex(), 1);
  EXPECT_EQ(combo_->Text(), "Beta");
  EXPECT_EQ(log_, (Log{"closeup", "click", "select", "change 1"}));

  // The same item again changes nothing.
  log_.clear();
  ClickAt(combo_->Handle(), 20, 8);
  row = combo_->ListItemRect(1);
  p = win::ScreenPointOf(combo_->ListHandle(), 10, row.top + 2);
  win::InjectClick(win::MouseButton::Left, p.x, p.y);
  win::PumpPendingMessages();
  EXPECT_EQ(log_, (Log{"dropdown", "closeup"}));

  // A press outside the list closes it and chooses nothing.
  log_.clear();
  ClickAt(combo_->Handle(), 20, 8);
  ASSERT_TRUE(combo_->DroppedDown());
  ClickAt(form_->Handle(), 250, 150);
  EXPECT_FALSE(combo_->DroppedDown());
  EXPECT_EQ(combo_->ItemIndex(), 1);
  EXPECT_EQ(log_, (Log{"dropdown", "closeup"}));
}

TEST_F(ComboBoxTest, CodeChangesSendNothingAndKeysChooseOneStepAtATime) {
  combo_->SetItemIndex(2);
  combo_->SetText("Alpha");
  EXPECT_EQ(combo_->ItemIndex(), 0);
  EXPECT_TRUE(log_.empty());

  combo_->SetFocus();
  win::PumpPendingMessages();
  Key(win::VK_DOWN);
  Key(win::VK_DOWN);
  Key(win::VK_DOWN);  // already at the end: nothing
  EXPECT_EQ(combo_->ItemIndex(), 2);
  EXPECT_EQ(log_, (Log{"click", "select", "change 1", "click", "select", "change 2"}));

  // A typed letter picks the next item starting with it.
  log_.clear();
  win::InjectText("b");
  win::PumpPendingMessages();
  EXPECT_EQ(combo_->ItemIndex(), 1);
  EXPECT_EQ(log_, (Log{"click", "select", "change 1"}));

  // F4 drops, Up chooses while dropped, Enter closes.
  log_.clear();
  Key(win::VK_F1 + 3);
  EXPECT_TRUE(combo_->DroppedDown());
  Key(win::VK_UP);
  Key(win::VK_RETURN);
  EXPECT_FALSE(combo_->DroppedDown());
  EXPECT_EQ(combo_->ItemIndex(), 0);
  EXPECT_EQ(log_, (Log{"dropdown", "click", "select", "change 0", "closeup"}));
}

TEST_F(ComboBoxTest, TheEditPartTypesWithOneChangePerEditAndTakesTheChosenText) {
  combo_->SetStyle(csDropDown);
  ASSERT_NE(combo_->EditControl(), nullptr);
  combo_->SetFocus();

  win::PumpPendingMessages();
  EXPECT_TRUE(combo_->EditControl()->Focused());
  EXPECT_EQ(form_->ActiveControl(), combo_);  // the form knows the box, not its part

  win::InjectText("Ga");
  win::PumpPendingMessages();
  EXPECT_EQ(combo_->Text(), "Ga");
  EXPECT_EQ(log_, (Log{"change -1", "change -1"}));

  log_.clear();
  Key(win::VK_DOWN);
  EXPECT_EQ(combo_->Text(), "Alpha");
  EXPECT_EQ(combo_->SelLength(), 5);
  EXPECT_EQ(log_, (Log{"click", "select", "change 0"}));

  // The button drops the list; the rest of the box is the edit part.
  log_.clear();
  TRect button = combo_->ButtonRect();
  ClickAt(combo_->Handle(), button.left + 3, 5);
  EXPECT_TRUE(combo_->DroppedDown());
  Key(win::VK_ESCAPE);
  EXPECT_FALSE(combo_->DroppedDown());
}

TEST_F(ComboBoxTest, ItemsKeepTheSelectionOnTheSameItemAndTheirObjects) {
  combo_->SetItemIndex(1);
  combo_->Items()->Insert(0, "First");
  EXPECT_EQ(combo_->ItemIndex(), 2);
  EXPECT_EQ(combo_->Items()->Objects(2), &b_);
  combo_->Items()->Delete(0);
  EXPECT_EQ(combo_->ItemIndex(), 1);
  combo_->Items()->Delete(1);
  EXPECT_EQ(combo_->ItemIndex(), -1);
  EXPECT_EQ(combo_->Text(), "");
  EXPECT_EQ(combo_->Items()->Objects(1), &c_);

  // Sorted: new items find their place and the selection follows its item.
  combo_->SetItemIndex(1);  // Gamma
  combo_->SetSorted(true);
  combo_->Items()->Add("Beta");
  EXPECT_EQ(combo_->Items()->Strings(1), "Beta");
  EXPECT_EQ(combo_->ItemIndex(), 2);
  EXPECT_THROW(combo_->Items()->Delete(7), EListError);
  EXPECT_TRUE(log_.empty());
}

TEST_F(ComboBoxTest, DroppedWidthComesFromCbSetDroppedWidth) {
  win::PostMessage(combo_->Handle(), CB_SETDROPPEDWIDTH, 200, 0);
  win::PumpPendingMessages();
  EXPECT_EQ(combo_->DroppedWidth(), 200);
  EXPECT_EQ(combo_->Perform(CB_GETDROPPEDWIDTH), 200);
  combo_->Perform(CB_SHOWDROPDOWN, 1);
  ASSERT_TRUE(combo_->DroppedDown());
  win::RECT lr;
  win::GetWindowRect(combo_->ListHandle(), &lr);
  EXPECT_EQ(lr.right - lr.left, 200);
  EXPECT_EQ(combo_->Perform(CB_GETDROPPEDSTATE), 1);
  combo_->Perform(CB_SHOWDROPDOWN, 0);
  // Narrower than the box: the box's width.
  combo_->Perform(CB_SETDROPPEDWIDTH, 50);
  EXPECT_EQ(combo_->Perform(CB_GETDROPPEDWIDTH), 120);
  EXPECT_EQ(combo_->Perform(CB_GETCOUNT), 3);
  combo_->Perform(CB_SETCURSEL, 2);
  EXPECT_EQ(combo_->Perform(CB_GETCURSEL), 2);
  EXPECT_TRUE(log_.size() == 2 && log_[0] == "dropdown" && log_[1] == "closeup");
}

TEST_F(ComboBoxTest, OwnerDrawingDrawsTheFieldAndMeasuredRows) {
  combo_->SetStyle(csOwnerDrawFixed);
  combo_->SetItemHeight(12);
  combo_->SetItemIndex(0);
  Log draws;
  combo_->OnDrawItem = [&](TWinControl*, Integer index, TRect r, TOwnerDrawState state) {
    std::string s = std::to_string(index) + (state.Contains(odComboBoxEdit) ? " edit" : "") +
                    (state.Contains(odSelected) ? " selected" : "") + " h" + std::to_string(r.bottom - r.top);
    draws.push_back(s);
  };
  combo_->OnMeasureItem = [](TWinControl*, Integer, Integer& h) { h += 4; };
  win::UpdateWindow(form_->Handle());
  draws.clear();
  combo_->Invalidate();
  win::UpdateWindow(combo_->Handle());
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].substr(0, 6), "0 edit");

  draws.clear();
  combo_->SetDroppedDown(true);
  win::UpdateWindow(combo_->ListHandle());
  EXPECT_EQ(draws, (Log{"0 selected h16", "1 h16", "2 h16"}));
  win::RECT lr;
  win::GetWindowRect(combo_->ListHandle(), &lr);
  EXPECT_EQ(lr.bottom - lr.top, 3 * 16 + 2);
}

// A text wider than the field stops at the drop-down button: the button's pixels are the
// same whether the chosen item is long or empty, for plain and owner-drawn rows.
TEST_F(ComboBoxTest, AChosenTextWiderThanTheFieldLeavesTheButtonAlone) {
  combo_->SetBounds(10, 10, 60, 21);
  combo_->Items()->Add("");
  combo_->Items()->Add("WWWWWWWWWWWWWWWWWWWW");
  for (TComboBoxStyle style : {csDropDownList, csOwnerDrawFixed}) {
    SCOPED_TRACE(style == csDropDownList ? "plain rows" : "owner-drawn rows");
    combo_->SetStyle(style);
    const auto buttonPixels = [&](Integer item) {
      combo_->SetItemIndex(item);
      combo_->Invalidate();
      win::UpdateWindow(form_->Handle());
      win::WindowImage img;
      EXPECT_TRUE(win::CaptureWindow(combo_->Handle(), &img));
      // The button and the frame right of it.
      const int border = (img.width - combo_->ClientWidth()) / 2;
      const int left = img.width - border - win::GetSystemMetrics(win::SM_CXVSCROLL);
      std::vector<win::COLORREF> out;
      for (int y = 0; y < img.height; ++y)
        for (int x = left; x < img.width; ++x) out.push_back(img.At(x, y));
      return out;
    };
    const auto empty = buttonPixels(3);
    const auto wide = buttonPixels(4);
    EXPECT_EQ(wide, empty);
  }
}

TEST_F(ComboBoxTest, AFormGoingWhileTheListIsDroppedTakesTheListWithIt) {
  combo_->SetDroppedDown(true);
  win::HWND list = combo_->ListHandle();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(win::GetCapture(), list);
  form_.reset();
  EXPECT_FALSE(win::IsWindow(list));
  EXPECT_EQ(win::GetCapture(), nullptr);
  EXPECT_EQ(log_, (Log{"dropdown"}));
}

TEST_F(ComboBoxTest, ALongListScrollsByItsBar) {
  for (int i = 3; i < 20; ++i) combo_->Items()->Add("Item " + std::to_string(i));
  ClickAt(combo_->Handle(), 20, 8);
  ASSERT_TRUE(combo_->DroppedDown());
  const win::HWND list = combo_->ListHandle();
  win::RECT lr;
  win::GetWindowRect(list, &lr);
  EXPECT_EQ(lr.bottom - lr.top, 8 * combo_->ItemHeight() + 2);
  // The bar's down arrow, at the list's bottom right inside the border, scrolls a row and
  // leaves the list open; the top row is then item 1.
  win::InjectClick(win::MouseButton::Left, lr.right - 9, lr.bottom - 9);
  win::PumpPendingMessages();
  ASSERT_TRUE(combo_->DroppedDown());
  EXPECT_EQ(win::GetCapture(), list);
  EXPECT_EQ(combo_->ListItemRect(1).top, 0);
  // The rows give the bar its width.
  EXPECT_EQ(combo_->ListItemRect(1).right, 120 - 2 - win::GetSystemMetrics(win::SM_CXVSCROLL));
  const win::POINT p = win::ScreenPointOf(list, 10, 2);
  win::InjectClick(win::MouseButton::Left, p.x, p.y);
  win::PumpPendingMessages();
  EXPECT_FALSE(combo_->DroppedDown());
  EXPECT_EQ(combo_->ItemIndex(), 1);
}

}  // namespace
