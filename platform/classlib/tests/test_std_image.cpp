// Image: the picture at its size, centred or stretched; a transparent bitmap letting the
// parent through; AutoSize; a canvas made on demand and refused for another kind.
#include <gtest/gtest.h>

#include <memory>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_image.h"
#include "platform/win/compositor.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"

namespace {

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 300, 200);
    form_->SetColor(clWhite);
    image_ = new TImage(form_.get());
    image_->SetParent(form_.get());
    image_->SetBounds(10, 10, 40, 40);
    // 10 x 10 red with a green top-left pixel and a lime bottom-left one.
    TBitmap b;
    b.SetSize(10, 10);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(0, 0, 10, 10));
    b.Canvas()->SetPixels(0, 0, clGreen);
    b.Canvas()->SetPixels(0, 9, clLime);
    image_->Picture()->SetBitmap(&b);
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
  TImage* image_ = nullptr;
};

TEST_F(ImageTest, ThePictureIsPlacedAtItsSizeCentredOrStretched) {
  win::WindowImage img = Capture();
  EXPECT_EQ(img.At(10, 10), 0x008000u);
  EXPECT_EQ(img.At(19, 19), 0x0000FFu);
  EXPECT_EQ(img.At(20, 20), 0xFFFFFFu);

  image_->SetCenter(true);
  EXPECT_EQ(image_->DestRect(), (TRect{15, 15, 25, 25}));
  img = Capture();
  EXPECT_EQ(img.At(25, 25), 0x008000u);
  EXPECT_EQ(img.At(10, 10), 0xFFFFFFu);

  image_->SetStretch(true);
  img = Capture();
  EXPECT_EQ(img.At(13, 13), 0x008000u);  // the first pixel covers 4 x 4
  EXPECT_EQ(img.At(14, 14), 0x0000FFu);
  EXPECT_EQ(img.At(49, 40), 0x0000FFu);
}

TEST_F(ImageTest, TransparentLetsTheParentThroughTheBitmapsTransparentColour) {
  image_->SetTransparent(true);
  win::WindowImage img = Capture();
  EXPECT_EQ(img.At(10, 19), 0xFFFFFFu);  // lime (the bottom-left colour) shows the form
  EXPECT_EQ(img.At(10, 10), 0x008000u);
  EXPECT_EQ(img.At(15, 15), 0x0000FFu);
}

TEST_F(ImageTest, AutoSizeAndTheCanvas) {
  image_->SetAutoSize(true);
  EXPECT_EQ(image_->Width(), 10);
  EXPECT_EQ(image_->Height(), 10);
  image_->Canvas()->SetPixels(5, 5, clBlue);
  EXPECT_EQ(image_->Picture()->Bitmap()->Canvas()->Pixels(5, 5), clBlue);

  TImage empty(nullptr);
  empty.SetBounds(0, 0, 7, 3);
  TCanvas* c = empty.Canvas();  // a bitmap of the control's size appears
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(empty.Picture()->Width(), 7);
  EXPECT_EQ(empty.Picture()->Height(), 3);
}

}  // namespace
