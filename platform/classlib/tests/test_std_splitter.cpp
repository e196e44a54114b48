// Splitter: dragging resizes the neighbour on release (the inverted bar meanwhile),
// OnCanResize refuses or changes sizes, MinSize with AutoSnap, the room the parent
// leaves, bottom-aligned bars and live resizing.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/classlib/forms.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/std_splitter.h"
#include "platform/win/clock.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"

namespace {

class SplitterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(1000, 0);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 300, 200);
    form_->SetColor(clWhite);
    left_ = new TPanel(form_.get());
    left_->SetParent(form_.get());
    left_->SetAlign(alLeft);
    left_->SetWidth(100);
    splitter_ = new TSplitter(form_.get());
    splitter_->SetParent(form_.get());
    splitter_->SetLeft(110);  // aligns right of the panel
    client_ = new TPanel(form_.get());
    client_->SetParent(form_.get());
    client_->SetAlign(alClient);
    splitter_->OnMoved = [this](TObject*) { moved_.push_back(left_->Width()); };
    form_->Show();
    win::PumpPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
    win::UseRealClock();
  }

  win::POINT At(Integer x, Integer y) { return win::ScreenPointOf(form_->Handle(), x, y); }
  void Drag(Integer fromX, Integer fromY, std::initializer_list<TPoint> path) {
    win::AdvanceClock(2000);
    win::POINT p = At(fromX, fromY);
    win::InjectMouseDown(win::MouseButton::Left, p.x, p.y);
    win::PumpPendingMessages();
    TPoint last{fromX, fromY};
    for (TPoint q : path) {
      win::POINT s = At(q.x, q.y);
      win::InjectMouseMove(s.x, s.y);
      win::PumpPendingMessages();
      last = q;
    }
    win::POINT e = At(last.x, last.y);
    win::InjectMouseUp(win::MouseButton::Left, e.x, e.y);
    win::PumpPendingMessages();
  }

  std::unique_ptr<TForm> form_;
  TPanel* left_ = nullptr;
  TSplitter* splitter_ = nullptr;
  TPanel* client_ = nullptr;
  std::vector<Integer> moved_;
};

TEST_F(SplitterTest, DraggingResizesTheNeighbourOnReleaseWithTheBarInvertedMeanwhile) {
  ASSERT_EQ(splitter_->Left(), 100);
  ASSERT_EQ(splitter_->Cursor(), crHSplit);
  EXPECT_EQ(splitter_->FindResizeControl(), left_);

  win::UpdateWindow(form_->Handle());
  win::WindowImage before;
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &before));
  win::POINT p = At(101, 50);
  win::InjectMouseDown(win::MouseButton::Left, p.x, p.y);
  win::POINT q = At(151, 50);
  win::InjectMouseMove(q.x, q.y);
  win::PumpPendingMessages();
  EXPECT_EQ(left_->Width(), 100);  // not yet
  win::WindowImage during;
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &during));
  // The bar at 150..152 shows inverted over the client panel.
  EXPECT_EQ(during.At(151, 60), (~before.At(151, 60)) & 0xFFFFFFu);
  EXPECT_EQ(during.At(153, 60), before.At(153, 60));
  win::InjectMouseUp(win::MouseButton::Left, q.x, q.y);
  win::PumpPendingMessages();
  EXPECT_EQ(left_->Width(), 150);
  EXPECT_EQ(splitter_->Left(), 150);
  EXPECT_EQ(client_->Left(), 153);
  EXPECT_EQ(moved_, (std::vector<Integer>{150}));
  EXPECT_FALSE(splitter_->Sizing());
  // The inverted bar is gone: the splitter's own pixels are back to its colour.
  win::UpdateWindow(form_->Handle());
  win::WindowImage after;
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &after));
  EXPECT_EQ(after.At(151, 60), before.At(101, 60));
}

TEST_F(SplitterTest, OnCanResizeRefusingKeepsTheLastAcceptedSize) {
  std::vector<Integer> asked;
  splitter_->OnCanResize = [&](TObject*, Integer& size, bool& accept) {
    asked.push_back(size);
    accept = size <= 140;
  };
  Drag(101, 50, {{121, 50}, {171, 50}});
  EXPECT_EQ(asked, (std::vector<Integer>{120, 170}));
  EXPECT_EQ(left_->Width(), 120);
  EXPECT_EQ(moved_, (std::vector<Integer>{120}));

  // Refusing everything: nothing moves, OnMoved stays quiet.
  moved_.clear();
  splitter_->OnCanResize = [](TObject*, Integer&, bool& accept) { accept = false; };
  Drag(121, 50, {{60, 50}});
  EXPECT_EQ(left_->Width(), 120);
  EXPECT_TRUE(moved_.empty());

  // The handler may change the size: snapped to tens.
  splitter_->OnCanResize = [](TObject*, Integer& size, bool&) { size = size / 10 * 10; };
  Drag(121, 50, {{78, 50}});
  EXPECT_EQ(left_->Width(), 70);
}

TEST_F(SplitterTest, MinSizeSnapsToNothingAndTheParentLimitsTheMaximum) {
  Drag(101, 50, {{40, 50}});  // 39 wide: still above MinSize 30
  EXPECT_EQ(left_->Width(), 39);
  Drag(40, 50, {{10, 50}});  // below MinSize: clamped to 30, and AutoSnap closes it
  EXPECT_EQ(left_->Width(), 0);
  EXPECT_EQ(splitter_->Left(), 0);

  // Open again and to the far right: the room is 300 - 30 - 3 = 267.
  splitter_->SetAutoSnap(false);
  Drag(1, 50, {{299, 50}});
  EXPECT_EQ(left_->Width(), 267);
  Drag(268, 50, {{5, 50}});
  EXPECT_EQ(left_->Width(), 30);
}

TEST_F(SplitterTest, ABottomBarMovesTheTopEdgeAndRsUpdateResizesWhileDragging) {
  form_->DisableAlign();
  left_->SetAlign(alBottom);
  left_->SetHeight(50);
  splitter_->SetAlign(alBottom);
  splitter_->SetTop(0);
  form_->EnableAlign();
  ASSERT_EQ(left_->Top(), 150);
  ASSERT_EQ(splitter_->Top(), 147);
  EXPECT_EQ(splitter_->Cursor(), crVSplit);
  splitter_->SetResizeStyle(rsUpdate);
  std::vector<Integer> heights;
  splitter_->OnMoved = [&](TObject*) { heights.push_back(left_->Height()); };
  Drag(150, 148, {{150, 138}, {150, 128}});
  EXPECT_EQ(heights, (std::vector<Integer>{60, 70}));
  EXPECT_EQ(left_->Top(), 130);
  EXPECT_EQ(splitter_->Top(), 127);
}

}  // namespace
