// Edit: the formatting rectangle of EM_SETRECTNP (kept, answered, used for the text and
// for clicks, reset by a resize), typing with MaxLength and ReadOnly, selection keys and
// the clipboard, OnChange.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/clipboard.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_edit.h"
#include "platform/classlib/std_label.h"
#include "platform/win/clock.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"

namespace {

class EditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(1000, 0);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 300, 200);
    form_->SetColor(clBtnFace);
    edit_ = new TEdit(form_.get());
    edit_->SetParent(form_.get());
    edit_->SetBorderStyle(bsNone);
    edit_->SetAutoSize(false);
    edit_->SetBounds(10, 10, 120, 20);
    edit_->OnChange = [this](TObject*) { ++changes_; };
    form_->Show();
    win::PumpPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
    win::UseRealClock();
  }

  void Type(const std::string& s) {
    win::InjectText(s);
    win::PumpPendingMessages();
  }
  void Key(int vk, unsigned mods = 0) {
    win::InjectKey(vk, mods);
    win::PumpPendingMessages();
  }
  // Columns of the edit's client area holding dark (text) pixels.
  std::vector<int> DarkColumns() {
    win::UpdateWindow(form_->Handle());
    win::WindowImage img;
    EXPECT_TRUE(win::CaptureWindow(form_->Handle(), &img));
    std::vector<int> cols;
    for (int x = 0; x < 120; ++x)
      for (int y = 0; y < 20; ++y)
        if (img.At(10 + x, 10 + y) == 0x000000u) {
          cols.push_back(x);
          break;
        }
    return cols;
  }

  std::unique_ptr<TForm> form_;
  TEdit* edit_ = nullptr;
  int changes_ = 0;
};

TEST_F(EditTest, SetRectNpMovesTheTextWithoutRepaintingUntilAsked) {
  edit_->SetText("Hello");
  EXPECT_EQ(changes_, 1);
  TRect r{};
  edit_->Perform(EM_GETRECT, 0, reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(r, (TRect{1, 1, 119, 19}));  // the default: one pixel in
  std::vector<int> before = DarkColumns();
  ASSERT_FALSE(before.empty());
  EXPECT_GE(before.front(), 1);
  EXPECT_LT(before.front(), 6);

  TRect wanted{40, 2, 110, 21};
  win::SendMessage(edit_->Handle(), EM_SETRECTNP, 0, reinterpret_cast<win::LPARAM>(&wanted));
  edit_->Perform(EM_GETRECT, 0, reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(r, wanted);
  // Nothing was invalidated: the old picture stays until a repaint.
  win::RECT update;
  EXPECT_FALSE(win::GetUpdateRect(edit_->Handle(), &update, 0));
  EXPECT_EQ(DarkColumns(), before);

  edit_->Invalidate();
  std::vector<int> after = DarkColumns();
  ASSERT_FALSE(after.empty());
  EXPECT_GE(after.front(), 40);
  EXPECT_LT(after.back(), 110);

  // Clicks map through the rectangle: between the 2nd and 3rd character is caret 2.
  Integer x2 = edit_->CharPosX(2);
  EXPECT_EQ(x2, 40 + MeasureText(edit_->Font(), "He").cx);
  win::POINT p = win::ScreenPointOf(edit_->Handle(), x2 - 1, 8);  // the right half of the "e"
  win::InjectClick(win::MouseButton::Left, p.x, p.y);
  win::PumpPendingMessages();
  EXPECT_EQ(edit_->SelStart(), 2);
  EXPECT_EQ(edit_->SelLength(), 0);
  EXPECT_EQ(edit_->CharIndexAt(39), 0);
  EXPECT_EQ(edit_->CharIndexAt(500), 5);

  // A resize brings the default rectangle back.
  edit_->SetBounds(10, 10, 100, 20);
  edit_->Perform(EM_GETRECT, 0, reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(r, (TRect{1, 1, 99, 19}));
  // EM_SETRECT with null is the default as well.
  win::SendMessage(edit_->Handle(), EM_SETRECTNP, 0, reinterpret_cast<win::LPARAM>(&wanted));
  win::SendMessage(edit_->Handle(), EM_SETRECT, 0, 0);
  edit_->Perform(EM_GETRECT, 0, reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(r, (TRect{1, 1, 99, 19}));
}

TEST_F(EditTest, TypingKeepsToMaxLengthAndReadOnlyWithOneChangePerEdit) {
  edit_->SetFocus();
  win::PumpPendingMessages();
  Type("abc");
  EXPECT_EQ(edit_->Text(), "abc");
  EXPECT_EQ(changes_, 3);
  EXPECT_TRUE(edit_->Modified());

  edit_->SetMaxLength(4);
  Type("de");
  EXPECT_EQ(edit_->Text(), "abcd");
  EXPECT_EQ(changes_, 4);

  // Backspace, then Shift+Left selects and typing replaces the selection.
  Key(win::VK_BACK);
  EXPECT_EQ(edit_->Text(), "abc");
  Key(win::VK_LEFT, win::kShift);
  Key(win::VK_LEFT, win::kShift);
  EXPECT_EQ(edit_->SelStart(), 1);
  EXPECT_EQ(edit_->SelText(), "bc");
  Type("X");
  EXPECT_EQ(edit_->Text(), "aX");
  EXPECT_EQ(edit_->CaretPos(), 2);

  // The clipboard: Home, Shift+End, Ctrl+C, End, Ctrl+V.
  Key(win::VK_HOME);
  Key(win::VK_END, win::kShift);
  Key('C', win::kCtrl);
  EXPECT_EQ(Clipboard()->AsText(), "aX");
  Key(win::VK_END);
  Key('V', win::kCtrl);
  EXPECT_EQ(edit_->Text(), "aXaX");  // within MaxLength 4

  int before = changes_;
  edit_->SetReadOnly(true);
  Type("z");
  Key(win::VK_BACK);
  Key(win::VK_DELETE);
  EXPECT_EQ(edit_->Text(), "aXaX");
  EXPECT_EQ(changes_, before);

  // Text from code: OnChange once, caret home, not modified; the limit does not cut it.
  edit_->SetText("longer than four");
  EXPECT_EQ(changes_, before + 1);
  EXPECT_EQ(edit_->CaretPos(), 0);
  EXPECT_FALSE(edit_->Modified());
}

TEST_F(EditTest, ClipboardKeysGoThroughMessagesThatAWindowProcCanRefuse) {
  edit_->SetFocus();
  win::PumpPendingMessages();
  Clipboard()->SetAsText("pasted\r\nsecond line");
  std::vector<win::UINT> refused;
  edit_->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_PASTE || m.Msg == WM_CUT) {
      refused.push_back(m.Msg);
      return;
    }
    edit_->WndProc(m);
  };
  Key('V', win::kCtrl);
  Key(win::VK_INSERT, win::kShift);
  EXPECT_EQ(edit_->Text(), "");
  Type("abc");
  edit_->SelectAll();
  Key('X', win::kCtrl);
  EXPECT_EQ(edit_->Text(), "abc");
  EXPECT_EQ(refused, (std::vector<win::UINT>{WM_PASTE, WM_PASTE, WM_CUT}));
  // Let through: one line of the clipboard replaces the selection.
  edit_->WindowProc = nullptr;
  Key('V', win::kCtrl);
  EXPECT_EQ(edit_->Text(), "pasted");
  edit_->SelectAll();
  Key(win::VK_DELETE);
  EXPECT_EQ(edit_->Text(), "");
}

TEST_F(EditTest, TabbingInSelectsAllAndCharCaseAppliesToTyping) {
  auto* other = new TEdit(form_.get());
  other->SetParent(form_.get());
  other->SetBounds(10, 40, 100, 20);
  other->SetText("second");
  edit_->SetCharCase(ecUpperCase);
  edit_->SetFocus();
  win::PumpPendingMessages();
  Type("ab");
  EXPECT_EQ(edit_->Text(), "AB");
  Key(win::VK_TAB);
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(other->SelLength(), 6);
  // A password shows its character and gives nothing to the clipboard.
  other->SetPasswordChar('*');
  Clipboard()->SetAsText("kept");
  Key('C', win::kCtrl);
  EXPECT_EQ(Clipboard()->AsText(), "kept");
}

TEST_F(EditTest, AutoSizeFitsTheHeightToTheFont) {
  auto* e = new TEdit(form_.get());
  e->SetParent(form_.get());
  EXPECT_EQ(e->Height(), FontLineHeight(e->Font()) + 8);
  e->Font()->SetHeight(-20);
  EXPECT_EQ(e->Height(), FontLineHeight(e->Font()) + 8);
  e->SetBorderStyle(bsNone);
  EXPECT_EQ(e->Height(), FontLineHeight(e->Font()));
}

}  // namespace
