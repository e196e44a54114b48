// Track bar and up-down: the channel and thumb rectangles at min, mid and max in both
// orientations, through the messages too; dragging, paging and keys; OnChange from code;
// the up-down's steps, wrapping, OnChanging and auto-repeat on the manual clock.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/form_reader.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_trackbar.h"
#include "platform/classlib/std_updown.h"
#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"

namespace {

class TrackBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(1000, 0);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 300, 200);
    bar_ = new TTrackBar(form_.get());
    bar_->SetParent(form_.get());
    bar_->SetBounds(10, 10, 150, 45);
    bar_->OnChange = [this](TObject*) { changes_.push_back(bar_->Position()); };
    form_->Show();
    win::PumpPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
    win::UseRealClock();
  }

  std::unique_ptr<TForm> form_;
  TTrackBar* bar_ = nullptr;
  std::vector<Integer> changes_;
};

TEST_F(TrackBarTest, ThumbAndChannelRectanglesAtMinMidAndMax) {
  // Span 11 for a thumb 20 long; the channel from 8 to 142, across at the thumb's middle.
  EXPECT_EQ(bar_->ChannelRect(), (TRect{8, 16, 142, 20}));
  EXPECT_EQ(bar_->ThumbRect(), (TRect{3, 8, 14, 28}));
  bar_->SetPosition(5);
  EXPECT_EQ(bar_->ThumbRect(), (TRect{70, 8, 81, 28}));
  bar_->SetPosition(10);
  EXPECT_EQ(bar_->ThumbRect(), (TRect{137, 8, 148, 28}));
  EXPECT_EQ(changes_, (std::vector<Integer>{5, 10}));

  // The same through the messages.
  TRect r{};
  win::SendMessage(bar_->Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(r, (TRect{137, 8, 148, 28}));
  win::SendMessage(bar_->Handle(), TBM_GETCHANNELRECT, 0, reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(r, (TRect{8, 16, 142, 20}));

  // A range of 0 .. 1000 with a shorter thumb, ticks on both sides: centred across.
  bar_->SetRange(0, 1000);
  bar_->SetThumbLength(15);
  bar_->SetTickMarks(tmBoth);
  bar_->SetPosition(500);
  // Span 8, margin 7: channel 7 .. 143, centre 7 + 500 x 136 / 1000 = 75.
  EXPECT_EQ(bar_->ChannelRect(), (TRect{7, 20, 143, 24}));
  EXPECT_EQ(bar_->ThumbRect(), (TRect{71, 15, 79, 30}));
  EXPECT_EQ(bar_->PositionAt(75, 0), 500);
  EXPECT_EQ(bar_->PositionAt(0, 0), 0);
  EXPECT_EQ(bar_->PositionAt(400, 0), 1000);

  // Vertical: the axes swap, Min at the top; turning swaps width and height.
  bar_->SetOrientation(trVertical);
  EXPECT_EQ(bar_->Width(), 45);
  EXPECT_EQ(bar_->Height(), 150);
  bar_->SetThumbLength(20);
  bar_->SetTickMarks(tmBottomRight);
  bar_->SetRange(0, 10);
  bar_->SetPosition(0);
  EXPECT_EQ(bar_->ChannelRect(), (TRect{16, 8, 20, 142}));
  EXPECT_EQ(bar_->ThumbRect(), (TRect{8, 3, 28, 14}));
  bar_->SetPosition(10);
  EXPECT_EQ(bar_->ThumbRect(), (TRect{8, 137, 28, 148}));
}

TEST_F(TrackBarTest, DraggingPagingAndKeysMoveThePosition) {
  bar_->SetPosition(2);
  changes_.clear();
  // Take the thumb 2 pixels right of its centre (8 + 2 x 13 = 34) and drag to x 77.
  win::POINT down = win::ScreenPointOf(bar_->Handle(), 36, 18);
  win::InjectMouseDown(win::MouseButton::Left, down.x, down.y);
  win::POINT move = win::ScreenPointOf(bar_->Handle(), 77, 18);
  win::InjectMouseMove(move.x, move.y);
  win::InjectMouseUp(win::MouseButton::Left, move.x, move.y);
  win::PumpPendingMessages();
  EXPECT_EQ(bar_->Position(), 5);  // the grip's offset kept: 75 is the centre of 5
  EXPECT_EQ(changes_, (std::vector<Integer>{5}));

  // A press right of the thumb pages by PageSize (2).
  changes_.clear();
  win::AdvanceClock(2000);
  win::POINT beside = win::ScreenPointOf(bar_->Handle(), 130, 18);
  win::InjectClick(win::MouseButton::Left, beside.x, beside.y);
  win::PumpPendingMessages();
  EXPECT_EQ(bar_->Position(), 7);

  win::InjectKey(win::VK_RIGHT);
  win::InjectKey(win::VK_NEXT);
  win::InjectKey(win::VK_NEXT);
  win::PumpPendingMessages();
  EXPECT_EQ(bar_->Position(), 10);
  win::InjectKey(win::VK_HOME);
  win::PumpPendingMessages();
  EXPECT_EQ(changes_, (std::vector<Integer>{7, 8, 10, 0}));

  // Setting the same position fires nothing; a narrower range clamps it and fires.
  changes_.clear();
  bar_->SetPosition(0);
  bar_->SetPosition(9);
  bar_->SetMax(4);
  EXPECT_EQ(changes_, (std::vector<Integer>{9, 4}));
}

TEST_F(TrackBarTest, AFormMayGiveThePositionBeforeTheRange) {
  auto root = ReadComponentText(
      "object F: TForm\n"
      "  object B: TTrackBar\n"
      "    Position = 500\n"
      "    Max = 1000\n"
      "    Frequency = 50\n"
      "  end\n"
      "end\n");
  auto* b = dynamic_cast<TTrackBar*>(root->FindComponent("B"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Max(), 1000);
  EXPECT_EQ(b->Position(), 500);
  EXPECT_EQ(b->Frequency(), 50);
}

// ---- up-down ----------------------------------------------------------------------------------

class UpDownTest : public TrackBarTest {
 protected:
  void SetUp() override {
    TrackBarTest::SetUp();
    ud_ = new TUpDown(form_.get());
    ud_->SetParent(form_.get());
    ud_->SetBounds(200, 10, 13, 20);
    ud_->OnClick = [this](TObject*, TUDBtnType b) {
      log_.push_back(std::string(b == btNext ? "next " : "prev ") + std::to_string(ud_->Position()));
    };
    win::PumpPendingMessages();
  }
  void Press(Integer x, Integer y) {
    win::AdvanceClock(2000);
    win::POINT p = win::ScreenPointOf(ud_->Handle(), x, y);
    win::InjectMouseDown(win::MouseButton::Left, p.x, p.y);
    win::PumpPendingMessages();
  }
  void Release(Integer x, Integer y) {
    win::POINT p = win::ScreenPointOf(ud_->Handle(), x, y);
    win::InjectMouseUp(win::MouseButton::Left, p.x, p.y);
    win::PumpPendingMessages();
  }

  TUpDown* ud_ = nullptr;
  std::vector<std::string> log_;
};

TEST_F(UpDownTest, TheHalvesStepAndWrapAndOnChangingMayRefuse) {
  ud_->SetMax(2);
  ud_->SetPosition(1);
  Press(6, 3);  // upper half: next
  Release(6, 3);
  Press(6, 3);  // at Max without Wrap: stays
  Release(6, 3);
  Press(6, 16);  // lower half: previous
  Release(6, 16);
  EXPECT_EQ(log_, (std::vector<std::string>{"next 2", "next 2", "prev 1"}));

  log_.clear();
  ud_->SetWrap(true);
  ud_->SetPosition(2);
  ud_->Step(btNext);
  EXPECT_EQ(ud_->Position(), 0);
  ud_->Step(btPrev);
  EXPECT_EQ(ud_->Position(), 2);

  bool allow = false;
  ud_->OnChanging = [&](TObject*, bool& a) { a = allow; };
  log_.clear();
  ud_->Step(btPrev);
  EXPECT_EQ(ud_->Position(), 2);
  EXPECT_TRUE(log_.empty());

  // Horizontal: the right half is next.
  ud_->OnChanging = nullptr;
  ud_->SetOrientation(udHorizontal);
  EXPECT_EQ(ud_->ButtonAt(10, 5), btNext);
  EXPECT_EQ(ud_->ButtonAt(2, 5), btPrev);
}

TEST_F(UpDownTest, HoldingAButtonRepeatsUntilTheRelease) {
  ud_->SetMax(100);
  Press(6, 3);
  EXPECT_EQ(ud_->Position(), 1);
  win::AdvanceClock(399);
  win::PumpPendingMessages();
  EXPECT_EQ(ud_->Position(), 1);
  win::AdvanceClock(2);
  win::PumpPendingMessages();
  EXPECT_EQ(ud_->Position(), 2);
  for (int i = 0; i < 3; ++i) {
    win::AdvanceClock(100);
    win::PumpPendingMessages();
  }
  EXPECT_EQ(ud_->Position(), 5);
  Release(6, 3);
  win::AdvanceClock(1000);
  win::PumpPendingMessages();
  EXPECT_EQ(ud_->Position(), 5);
}

}  // namespace
