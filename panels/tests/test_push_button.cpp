// Styled push button: the raised and sunk looks pixel by pixel, where the caption goes,
// what presses and releases with either button draw and fire, the caption taken from the
// name, and the restyling the editor's Play button goes through.
#include <string>
#include <vector>

#include "panels/push_button.h"
#include "panels_fixture.h"
#include "platform/classlib/std_label.h"

namespace {

using Log = std::vector<std::string>;

constexpr win::COLORREF kFace = 0xA56934;   // red 52, green 105, blue 165
constexpr win::COLORREF kRaise = 0xD7A28A;  // red 138, green 162, blue 215
constexpr win::COLORREF kBlack = 0x000000;
constexpr win::COLORREF kWhite = 0xFFFFFF;
constexpr int kX = 20, kY = 30, kW = 89, kH = 23;

class PushButtonTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    button_ = new TFpPushButton(form_.get());
    button_->SetName("PreviewButton");
    button_->SetParent(form_.get());
    button_->SetLeft(kX);
    button_->SetTop(kY);
    button_->SetCaption("Play");
    button_->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, Integer x, Integer y) {
      log_.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    };
    button_->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, Integer, Integer) { log_.push_back("up"); };
    button_->OnClick = [this](TObject*) { log_.push_back("click"); };
    ShowForm();
  }

  win::COLORREF Px(const win::WindowImage& img, int x, int y) { return img.At(kX + x, kY + y); }

  // Every pixel of the button's face except the caption's box is `face`, and the box
  // holds only `face` and the white of the text.
  void ExpectFace(const win::WindowImage& img, const TRect& face, const TRect& caption, win::COLORREF color) {
    int textPixels = 0;
    for (int y = face.top; y < face.bottom; ++y)
      for (int x = face.left; x < face.right; ++x) {
        const win::COLORREF c = Px(img, x, y);
        const bool inCaption = x >= caption.left && x < caption.right && y >= caption.top && y < caption.bottom;
        if (c == kWhite && inCaption) {
          ++textPixels;
          continue;
        }
        ASSERT_EQ(c, color) << x << "," << y;
      }
    EXPECT_GT(textPixels, 10);
  }

  TRect CaptionBox(int dx = 0) {
    const TSize size = MeasureText(button_->Font(), "Play");
    const int x = kW / 2 - size.cx / 2 + dx, y = kH / 2 - size.cy / 2 + dx;
    return TRect{x, y, x + size.cx, y + size.cy};
  }

  TFpPushButton* button_ = nullptr;
  Log log_;
};

TEST_F(PushButtonTest, RaisedLookHasTheRaiseEdgeTopLeftBlackEdgeBottomRightAndAnOutline) {
  EXPECT_EQ(button_->Width(), kW);
  EXPECT_EQ(button_->Height(), kH);
  win::WindowImage img = Capture();
  // Outline.
  for (int x : {0, 40, kW - 1}) {
    EXPECT_EQ(Px(img, x, 0), kBlack);
    EXPECT_EQ(Px(img, x, kH - 1), kBlack);
  }
  EXPECT_EQ(Px(img, 0, 11), kBlack);
  EXPECT_EQ(Px(img, kW - 1, 11), kBlack);
  EXPECT_NE(Px(img, -1, 11), kBlack);
  // Raise strips two pixels wide, then the black ones over them at the far ends.
  EXPECT_EQ(Px(img, 1, 1), kRaise);
  EXPECT_EQ(Px(img, 2, 11), kRaise);
  EXPECT_EQ(Px(img, 40, 2), kRaise);
  EXPECT_EQ(Px(img, kW - 3, 1), kBlack);
  EXPECT_EQ(Px(img, kW - 3, 11), kBlack);
  EXPECT_EQ(Px(img, kW - 2, 11), kBlack);
  EXPECT_EQ(Px(img, 1, kH - 2), kBlack);
  EXPECT_EQ(Px(img, 40, kH - 3), kBlack);
  // The face and the caption centred on it.
  ExpectFace(img, TRect{3, 3, kW - 3, kH - 3}, CaptionBox(), kFace);
}

TEST_F(PushButtonTest, LeftPressSinksTheButtonAndAReleaseInsideRaisesIt) {
  Press(button_, 30, 10);
  EXPECT_EQ(log_, (Log{"down 30,10"}));
  win::WindowImage img = CaptureAsIs();
  EXPECT_EQ(Px(img, 1, 1), kBlack);
  EXPECT_EQ(Px(img, 40, 2), kBlack);
  EXPECT_EQ(Px(img, 0, 11), kBlack);
  EXPECT_EQ(Px(img, kW - 1, 11), kBlack);
  // No raise edge, no black right or bottom strip: the face reaches the outline.
  ExpectFace(img, TRect{1, 3, kW - 1, kH - 1}, CaptionBox(2), kFace);

  Release(button_, 30, 10);
  EXPECT_EQ(log_, (Log{"down 30,10", "click", "up"}));
  img = CaptureAsIs();
  EXPECT_EQ(Px(img, 1, 1), kRaise);
  EXPECT_EQ(Px(img, kW - 2, 11), kBlack);
}

TEST_F(PushButtonTest, ReleaseOffTheFaceStaysSunkUntilTheMouseLeaves) {
  int left = 0;
  button_->OnMouseLeave = [&left](TObject*) { ++left; };
  Press(button_, 30, 10);
  // Released below the button (still captured): no click, no repaint.
  win::POINT below = At(button_, 30, 40);
  win::InjectMouseUp(win::MouseButton::Left, below.x, below.y);
  win::PumpPendingMessages();
  EXPECT_EQ(log_, (Log{"down 30,10", "up"}));
  EXPECT_EQ(Px(CaptureAsIs(), 1, 1), kBlack);
  EXPECT_EQ(left, 0);
  MoveTo(form_.get(), 300, 300);
  EXPECT_EQ(left, 1);
  EXPECT_EQ(Px(CaptureAsIs(), 1, 1), kRaise);
}

TEST_F(PushButtonTest, RightButtonAndDisabledButtonDrawAndFireNothing) {
  Click(button_, 30, 10, win::MouseButton::Right);
  EXPECT_TRUE(log_.empty());
  Press(button_, 30, 10, win::MouseButton::Right);
  EXPECT_EQ(Px(CaptureAsIs(), 1, 1), kRaise);
  Release(button_, 30, 10, win::MouseButton::Right);

  button_->SetEnabled(false);
  EXPECT_FALSE(button_->Enabled());
  Press(button_, 30, 10);
  EXPECT_EQ(Px(CaptureAsIs(), 1, 1), kRaise);
  Release(button_, 30, 10);
  button_->Click();
  EXPECT_TRUE(log_.empty());
  button_->SetEnabled(true);
  button_->Click();
  EXPECT_EQ(log_, (Log{"click"}));
}

TEST_F(PushButtonTest, CaptionIsTheNameWhenParentedAndKeptWhenSetAfterwards) {
  auto* named = new TFpPushButton(form_.get());
  named->SetName("RewindButton");
  named->SetCaption("Something");
  named->SetParent(form_.get());
  EXPECT_EQ(named->Caption(), "RewindButton");
  named->SetCaption("Rewind");
  EXPECT_EQ(named->Caption(), "Rewind");
  EXPECT_EQ(button_->Caption(), "Play");
}

TEST_F(PushButtonTest, PlayTurnsIntoADarkRedStopAtOnce) {
  Capture();
  button_->SetCaption("Stop");
  button_->SetColor(128);
  button_->SetRaiseColor(223);
  // Drawn at once, without waiting for the queue.
  win::WindowImage img = CaptureAsIs();
  EXPECT_EQ(Px(img, 1, 1), 0x0000DFu);
  EXPECT_EQ(Px(img, 5, 5), 0x000080u);
  EXPECT_EQ(button_->Font()->Color(), clWhite);
  EXPECT_TRUE(button_->Font()->Style().Contains(fsBold));
  EXPECT_EQ(button_->Font()->Name(), "Arial");
}

}  // namespace
