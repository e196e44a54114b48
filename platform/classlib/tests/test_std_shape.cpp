// Shapes and bevels at exact pixels: the figure inside the pen, squares and circles
// centred on the shorter side; bevel boxes, frames and lines in the lowered and raised
// colours.
#include <gtest/gtest.h>

#include <memory>

#include "platform/classlib/forms.h"
#include "platform/classlib/std_bevel.h"
#include "platform/classlib/std_shape.h"
#include "platform/win/compositor.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"

namespace {

constexpr win::COLORREF kWhite = 0xFFFFFF, kShadow = 0x808080, kLight = 0xFFFFFF, kFace = 0xC0C0C0;

class ShapeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 300, 200);
    form_->SetColor(clBtnFace);
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
  }
  win::WindowImage Capture() {
    form_->Show();
    win::PumpPendingMessages();
    win::UpdateWindow(form_->Handle());
    win::WindowImage img;
    EXPECT_TRUE(win::CaptureWindow(form_->Handle(), &img));
    return img;
  }
  std::unique_ptr<TForm> form_;
};

TEST_F(ShapeTest, ASquareTakesTheShorterSideCentredWithinThePen) {
  auto* s = new TShape(form_.get());
  s->SetParent(form_.get());
  s->SetBounds(10, 10, 40, 20);
  s->SetShape(stSquare);
  s->Brush()->SetColor(clRed);
  s->Pen()->SetColor(clBlue);
  EXPECT_EQ(s->FigureRect(), (TRect{10, 0, 30, 20}));
  s->Pen()->SetWidth(3);
  // Half a pen in: w = 40 - 3 + 1 = 38, h = 18, the square 18 wide at x 1 + 10.
  EXPECT_EQ(s->FigureRect(), (TRect{11, 1, 29, 19}));
  s->Pen()->SetWidth(1);
  win::WindowImage img = Capture();
  EXPECT_EQ(img.At(10 + 9, 10 + 10), kFace);      // left of the square
  EXPECT_EQ(img.At(10 + 10, 10 + 10), 0xFF0000u);  // the blue outline
  EXPECT_EQ(img.At(10 + 15, 10 + 10), 0x0000FFu);  // red inside
  EXPECT_EQ(img.At(10 + 29, 10 + 10), 0xFF0000u);
  EXPECT_EQ(img.At(10 + 30, 10 + 10), kFace);
}

TEST_F(ShapeTest, BevelsDrawLoweredAndRaisedBoxesFramesAndLines) {
  auto* box = new TBevel(form_.get());
  box->SetParent(form_.get());
  box->SetBounds(10, 10, 20, 20);
  auto* raised = new TBevel(form_.get());
  raised->SetParent(form_.get());
  raised->SetBounds(40, 10, 20, 20);
  raised->SetStyle(bsRaised);
  auto* line = new TBevel(form_.get());
  line->SetParent(form_.get());
  line->SetBounds(70, 10, 50, 20);
  line->SetShape(bsTopLine);
  auto* frame = new TBevel(form_.get());
  frame->SetParent(form_.get());
  frame->SetBounds(130, 10, 20, 20);
  frame->SetShape(bsFrame);
  win::WindowImage img = Capture();
  // Lowered box: shadow top and left, light bottom and right (corners to the last).
  EXPECT_EQ(img.At(10, 15), kShadow);
  EXPECT_EQ(img.At(15, 10), kShadow);
  EXPECT_EQ(img.At(29, 15), kLight);
  EXPECT_EQ(img.At(15, 29), kLight);
  EXPECT_EQ(img.At(15, 15), kFace);  // see-through inside
  // Raised: the other way round.
  EXPECT_EQ(img.At(40, 15), kLight);
  EXPECT_EQ(img.At(59, 15), kShadow);
  // Top line: shadow row, then light row.
  EXPECT_EQ(img.At(90, 10), kShadow);
  EXPECT_EQ(img.At(90, 11), kWhite);
  EXPECT_EQ(img.At(90, 12), kFace);
  // Frame (lowered): an outer shadow box and an inner light one a pixel in.
  EXPECT_EQ(img.At(130, 15), kShadow);
  EXPECT_EQ(img.At(131, 15), kLight);
  EXPECT_EQ(img.At(148, 15), kShadow);
  EXPECT_EQ(img.At(149, 15), kLight);
}

}  // namespace
