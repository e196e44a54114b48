// Speed buttons: the state machine with groups and AllowAllUp, repeat clicks on the
// shared timer pool (manual clock), the drop-down part's click zones, and the glyph's
// image count.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "controlkit/kit_application.h"
#include "controlkit/kit_image_list.h"
#include "controlkit/kit_speed_button.h"
#include "controlkit/tests/kit_form_test.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/menus.h"
#include "platform/win/clock.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/window.h"

namespace {

// Opens the mouse handlers that the parent's window would call.
class TTestButton : public TKitSpeedButton {
 public:
  using TKitSpeedButton::TKitSpeedButton;
  void Down(Integer x, Integer y) { MouseDown(mbLeft, TShiftState{ssLeft}, x, y); }
  void Move(Integer x, Integer y) { MouseMove(TShiftState{ssLeft}, x, y); }
  void Up(Integer x, Integer y) { MouseUp(mbLeft, TShiftState{}, x, y); }
};

class SpeedButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(0, 0);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBounds(0, 0, 300, 200);
  }
  void TearDown() override {
    form_.reset();
    kit_test::ReleaseKitTimers();
    win::UseRealClock();
  }
  TTestButton* Add(Integer x) {
    auto* b = new TTestButton(form_.get());
    b->SetParent(form_.get());
    b->SetBounds(x, 10, 23, 22);
    return b;
  }
  static void Run(win::DWORD ms) {
    for (win::DWORD t = 0; t < ms; t += 50) {
      win::AdvanceClock(50);
      win::PumpPendingMessages();
    }
  }
  std::unique_ptr<TForm> form_;
};

TEST_F(SpeedButtonTest, UngroupedPressReleaseAndPressedNeedsAGroup) {
  TTestButton* b = Add(10);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->SetPressed(true);
  EXPECT_FALSE(b->Pressed());
  b->Down(5, 5);
  EXPECT_EQ(b->State(), kKitBtnHeld);
  b->Move(50, 5);  // dragged off: up again
  EXPECT_EQ(b->State(), kKitBtnUp);
  b->Move(5, 5);
  EXPECT_EQ(b->State(), kKitBtnHeld);
  b->Up(5, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(b->State(), kKitBtnHot);  // released inside with hot tracking
  b->Down(5, 5);
  b->Up(60, 5);  // released outside: no click
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(b->State(), kKitBtnUp);
}

TEST_F(SpeedButtonTest, GroupIsExclusiveAndAllowAllUpDecidesRelease) {
  TTestButton* a = Add(10);
  TTestButton* b = Add(40);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  a->Down(5, 5);
  a->Up(5, 5);
  EXPECT_TRUE(a->Pressed());
  EXPECT_EQ(a->State(), kKitBtnDown);
  b->Down(5, 5);
  b->Up(5, 5);
  EXPECT_TRUE(b->Pressed());
  EXPECT_FALSE(a->Pressed());
  EXPECT_EQ(a->State(), kKitBtnUp);
  // Without AllowAllUp clicking the pressed button keeps it down.
  b->Down(5, 5);
  b->Up(5, 5);
  EXPECT_TRUE(b->Pressed());
  EXPECT_EQ(b->State(), kKitBtnDown);
  // AllowAllUp is shared through the group message.
  b->SetAllowAllUp(true);
  EXPECT_TRUE(a->AllowAllUp());
  b->Down(5, 5);
  b->Up(5, 5);
  EXPECT_FALSE(b->Pressed());
  EXPECT_EQ(b->State(), kKitBtnUp);
}

TEST_F(SpeedButtonTest, RepeatClicksFollowDelayThenInterval) {
  TTestButton* b = Add(10);
  b->SetRepeatedClick(true);
  std::vector<win::DWORD> at;
  b->OnClick = [&](TObject*) { at.push_back(win::ClockMillis()); };
  b->Down(5, 5);
  Run(950);
  b->Up(5, 5);
  EXPECT_EQ(at, (std::vector<win::DWORD>{0, 500, 600, 700, 800, 900}));
  Run(500);  // the timer stopped with the release
  EXPECT_EQ(at.size(), 6u);

  at.clear();
  b->Down(5, 5);
  b->Move(80, 5);  // outside: the ticks click nothing
  Run(950);
  b->Up(80, 5);
  EXPECT_EQ(at, (std::vector<win::DWORD>{950 + 500}));
}

TEST_F(SpeedButtonTest, RepeatTimingsOffThePoolGridStillCount) {
  TTestButton* b = Add(10);
  b->SetRepeatedClick(true);
  b->SetRepeatingDelay(120);
  b->SetRepeatingInterval(30);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->Down(5, 5);
  EXPECT_EQ(b->State(), kKitBtnHeld);
  Run(300);
  // Due at 0, 120, 150, 180, 210, 240, 270 and 300 ms.
  EXPECT_EQ(clicks, 8);
  b->Up(5, 5);
  EXPECT_EQ(b->State(), kKitBtnHot);
  Run(200);
  EXPECT_EQ(clicks, 8);
}

TEST_F(SpeedButtonTest, GroupedReleaseUnderTheCursorGoesHotThenBackDown) {
  form_->Show();
  TTestButton* b = Add(10);
  b->SetGroupIndex(1);
  const TPoint over = b->ClientToScreen(TPoint{5, 5});
  win::SetCursorPos(over.x, over.y);
  b->Down(5, 5);
  b->Up(5, 5);
  EXPECT_TRUE(b->Pressed());
  EXPECT_EQ(b->State(), kKitBtnHot);
  EXPECT_EQ(b->PreviousState(), kKitBtnDown);
  b->Move(80, 5);
  EXPECT_EQ(b->State(), kKitBtnDown);
}

TEST_F(SpeedButtonTest, ImageListImageIsDrawnWithoutAGlyph) {
  form_->SetColor(clWhite);
  form_->Show();
  TKitImageList list(form_.get());
  TKitImageListItem* item = list.GetItemAt(list.Add());
  item->SetWidth(8);
  item->SetHeight(8);
  TBitmap red;
  red.SetPixelFormat(pf24bit);
  red.SetSize(8, 8);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(Rect(0, 0, 8, 8));
  item->Add(&red, nullptr);
  TTestButton* b = Add(10);
  const auto reds = [&] {
    win::PumpPendingMessages();
    win::UpdateWindow(form_->Handle());
    win::HDC dc = win::GetDC(form_->Handle());
    int n = 0;
    for (int y = 10; y < 32; ++y)
      for (int x = 10; x < 33; ++x) n += (win::GetPixel(dc, x, y) & 0xFFFFFF) == 0x0000FF;
    win::ReleaseDC(form_->Handle(), dc);
    return n;
  };
  EXPECT_EQ(reds(), 0);
  b->SetImageList(&list);
  EXPECT_EQ(reds(), 64);
  b->SetImageIndex(1);  // no such image: nothing drawn
  EXPECT_EQ(reds(), 0);
}

TEST_F(SpeedButtonTest, DropDownComboWidensAndSplitsTheClickZones) {
  TTestButton* b = Add(10);
  TPopupMenu menu(form_.get());
  b->SetDropDownMenu(&menu);
  b->SetDropDownCombo(true);
  EXPECT_EQ(b->Width(), 23 + 12);
  int clicks = 0, drops = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->OnDropDown = [&](TObject*) { ++drops; };
  win::AnswerPopupMenu(0);  // the popup menu closes without a choice
  b->Down(30, 5);
  EXPECT_EQ(drops, 1);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(b->State(), kKitBtnHot);
  b->Down(10, 5);
  b->Up(10, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(drops, 1);
  b->SetDropDownCombo(false);
  EXPECT_EQ(b->Width(), 23);
}

// Grey until hot: Up greyed whatever the strip holds; hot coloured (the strip's hot image where it has one).
using GreyUntilHotTest = kit_test::KitFormTest;
TEST_F(GreyUntilHotTest, UpShowsTheGreyedGlyphAndHotTheColouredOne) {
  form_->Show();
  const TColor colours[] = {clRed, clLime, clBlue};
  for (const auto& [style, images] : {std::pair{ubsFlatUnColored, 1}, {ubsNavigator, 3}, {ubsExplorer, 3}}) {
    auto* b = new TTestButton(form_.get());
    b->SetParent(form_.get());
    b->SetStyle(style);
    TBitmap strip;
    strip.SetPixelFormat(pf24bit);
    strip.SetSize(10 * images, 10);
    for (int i = 0; i < images; ++i) {
      strip.Canvas()->Brush()->SetColor(colours[i]);
      strip.Canvas()->FillRect(Rect(10 * i + 1, 1, 10 * i + 9, 9));
    }
    b->SetGlyph(&strip);
    Settle(form_.get());
    for (const TColor c : colours) EXPECT_EQ(Count(form_.get(), Rect(0, 0, 30, 30), c), 0) << style << " up " << c;
    b->Move(5, 5);
    Settle(form_.get());
    EXPECT_EQ(Count(form_.get(), Rect(0, 0, 30, 30), colours[images - 1]), 64) << style << " hot";
    delete b;
  }
}

TEST(KitGlyph, NumGlyphsFromTheBitmapShape) {
  TKitGlyph g;
  TBitmap bmp;
  bmp.SetSize(96, 24);
  g.SetGlyph(&bmp);
  EXPECT_EQ(g.NumGlyphs(), 4);
  bmp.SetSize(144, 24);
  g.SetGlyph(&bmp);
  EXPECT_EQ(g.NumGlyphs(), 1);
  // State images share one strip per size in the cache.
  TKitGlyph h;
  bmp.SetSize(48, 24);
  h.SetGlyph(&bmp);
  TBitmap* s1 = nullptr;
  TBitmap* s2 = nullptr;
  TRect r1, r2;
  ASSERT_TRUE(h.StateImage(kKitBtnUp, s1, r1));
  ASSERT_TRUE(h.StateImage(kKitBtnHot, s2, r2));
  EXPECT_EQ(s1, s2);
  EXPECT_NE(r1, r2);
  EXPECT_EQ(r1.right - r1.left, 24);
}

}  // namespace
