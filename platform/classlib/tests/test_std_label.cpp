// Labels: AutoSize keeping the edge the alignment names, the accelerator focusing
// FocusControl (and forgetting it when it is freed), ampersands shown literally without
// ShowAccelChar, and opaque or transparent painting.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/classlib/forms.h"
#include "platform/classlib/std_edit.h"
#include "platform/classlib/std_label.h"
#include "platform/win/clock.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"

namespace {

class LabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 300, 200);
    form_->SetColor(clWhite);
    label_ = new TLabel(form_.get());
    label_->SetParent(form_.get());
    label_->SetBounds(10, 10, 100, 30);
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
  }
  // Columns of the form holding black pixels inside a rectangle.
  std::vector<int> DarkColumns(TRect r) {
    win::UpdateWindow(form_->Handle());
    win::WindowImage img;
    EXPECT_TRUE(win::CaptureWindow(form_->Handle(), &img));
    std::vector<int> cols;
    for (int x = r.left; x < r.right; ++x)
      for (int y = r.top; y < r.bottom; ++y)
        if (img.At(x, y) == 0x000000u) {
          cols.push_back(x);
          break;
        }
    return cols;
  }

  std::unique_ptr<TForm> form_;
  TLabel* label_ = nullptr;
};

TEST_F(LabelTest, AutoSizeFitsTheTextAndKeepsTheAlignedEdge) {
  label_->SetCaption("Hello");
  TSize size = MeasureText(label_->Font(), "Hello");
  EXPECT_EQ(label_->Width(), size.cx);
  EXPECT_EQ(label_->Height(), size.cy);
  EXPECT_EQ(label_->Left(), 10);

  // Right-justified: the right edge stays where it is.
  label_->SetAlignment(taRightJustify);
  Integer right = label_->Left() + label_->Width();
  label_->SetCaption("Hello, world");
  EXPECT_EQ(label_->Left() + label_->Width(), right);
  EXPECT_EQ(label_->Width(), MeasureText(label_->Font(), "Hello, world").cx);

  // An accelerator mark takes no room; an empty caption keeps a line's height.
  label_->SetAlignment(taLeftJustify);
  label_->SetCaption("&File");
  EXPECT_EQ(label_->Width(), MeasureText(label_->Font(), "File").cx);
  label_->SetCaption("");
  EXPECT_EQ(label_->Height(), size.cy);

  label_->SetAutoSize(false);
  label_->SetCaption("A much longer caption than before");
  EXPECT_EQ(label_->Height(), size.cy);
  EXPECT_EQ(label_->Width(), MeasureText(label_->Font(), " ").cx);
}

TEST_F(LabelTest, TheAcceleratorFocusesTheFocusControl) {
  auto* edit = new TEdit(form_.get());
  edit->SetParent(form_.get());
  edit->SetBounds(10, 50, 100, 21);
  auto* other = new TEdit(form_.get());
  other->SetParent(form_.get());
  other->SetBounds(10, 80, 100, 21);
  label_->SetCaption("&Name");
  label_->SetFocusControl(edit);
  form_->Show();
  other->SetFocus();
  win::PumpPendingMessages();
  win::InjectKey('N', win::kAlt);
  win::PumpPendingMessages();
  EXPECT_TRUE(edit->Focused());

  // Without ShowAccelChar the '&' is a character, not a mark.
  other->SetFocus();
  label_->SetShowAccelChar(false);
  win::InjectKey('N', win::kAlt);
  win::PumpPendingMessages();
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(label_->Width(), MeasureText(label_->Font(), "&Name").cx);

  delete edit;
  EXPECT_EQ(label_->FocusControl(), nullptr);
}

TEST_F(LabelTest, OpaqueLabelsFillTheirColourAndTransparentOnesLeaveTheParent) {
  label_->SetAutoSize(false);
  label_->SetCaption("Hi");
  label_->SetColor(clYellow);
  form_->Show();
  win::PumpPendingMessages();
  win::UpdateWindow(form_->Handle());
  win::WindowImage img;
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &img));
  EXPECT_EQ(img.At(105, 35), 0x00FFFFu);  // yellow as COLORREF
  label_->SetTransparent(true);
  win::UpdateWindow(form_->Handle());
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &img));
  EXPECT_EQ(img.At(105, 35), 0xFFFFFFu);
  // The text sits at the top by default, at the bottom with tlBottom.
  std::vector<int> top = DarkColumns(TRect{10, 10, 110, 25});
  EXPECT_FALSE(top.empty());
  label_->SetLayout(tlBottom);
  EXPECT_TRUE(DarkColumns(TRect{10, 10, 110, 24}).empty());
  EXPECT_FALSE(DarkColumns(TRect{10, 25, 110, 40}).empty());
  // Centred text starts further right than left-justified text.
  label_->SetAlignment(taCenter);
  std::vector<int> centred = DarkColumns(TRect{10, 10, 110, 40});
  ASSERT_FALSE(centred.empty());
  EXPECT_GT(centred.front(), top.front() + 30);
}

}  // namespace
