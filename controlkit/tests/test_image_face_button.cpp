// The image-face button: the pixel hit test (transparent pixels, face placement, the state's
// own image), what the mouse does with it, and the stored face-index layouts (hostile sizes).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "controlkit/kit_application.h"
#include "controlkit/kit_image_face_button.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/streams.h"
#include "platform/win/clock.h"
#include "kit_form_test.h"

namespace {

struct ByteStream : TMemoryStream {
  explicit ByteStream(const std::vector<Byte>& bytes) {
    if (!bytes.empty()) WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    SetPosition(0);
  }
};

std::vector<Byte> Values(std::initializer_list<Integer> values) {
  std::vector<Byte> out;
  for (Integer v : values)
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<Byte>(static_cast<std::uint32_t>(v) >> (8 * i)));
  return out;
}

// Two 8 x 8 faces on white: image 0 a red disc-like cross (the middle rows and columns),
// image 1 solid blue.
std::unique_ptr<TBitmap> Faces() {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(16, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) {
      TColor c = clWhite;
      if (x < 8 && ((x >= 3 && x <= 4) || (y >= 3 && y <= 4))) c = clRed;
      if (x >= 8) c = clBlue;
      bmp->Canvas()->SetPixels(x, y, c);
    }
  return bmp;
}

class TTestMMButton : public TKitMMButton {
 public:
  using TKitMMButton::TKitMMButton;
  void Down(Integer x, Integer y) { MouseDown(mbLeft, TShiftState{ssLeft}, x, y); }
  void Up(Integer x, Integer y) { MouseUp(mbLeft, TShiftState{}, x, y); }
};

class MMButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    win::UseManualClock(0, 0);
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBounds(0, 0, 200, 100);
    list_ = new TKitImageList(form_.get());
    auto* item = list_->GetItemAt(list_->Add());
    item->SetWidth(8);
    item->SetHeight(8);
    item->Add(Faces().get(), nullptr);
    button_ = new TTestMMButton(form_.get());
    button_->SetParent(form_.get());
    button_->SetBounds(10, 10, 16, 16);
  }
  void TearDown() override {
    form_.reset();
    kit_test::ReleaseKitTimers();
    win::UseRealClock();
  }
  std::unique_ptr<TForm> form_;
  TKitImageList* list_ = nullptr;
  TTestMMButton* button_ = nullptr;
};

}  // namespace

TEST_F(MMButtonTest, OnlyTheFacesOpaquePixelsAreInside) {
  EXPECT_FALSE(button_->IsInside(4, 4)) << "no face image list: nothing is inside";
  button_->SetButtonFaceImageList(list_);
  // sbNone: the face sits at the top-left at its own size.
  EXPECT_TRUE(button_->IsInside(3, 0));
  EXPECT_TRUE(button_->IsInside(0, 4));
  EXPECT_FALSE(button_->IsInside(0, 0)) << "white is the transparent colour";
  EXPECT_FALSE(button_->IsInside(7, 7));
  EXPECT_FALSE(button_->IsInside(12, 3)) << "outside the face rectangle";

  button_->SetButtonFaceStyle(sbCenter);  // face at (4, 4) .. (12, 12)
  EXPECT_TRUE(button_->IsInside(7, 4));
  EXPECT_FALSE(button_->IsInside(3, 0));
  button_->SetButtonFaceStyle(sbStretch);  // 2 x 2 pixels per face pixel
  EXPECT_TRUE(button_->IsInside(7, 0));
  EXPECT_TRUE(button_->IsInside(9, 15));
  EXPECT_FALSE(button_->IsInside(5, 0));
  EXPECT_FALSE(button_->IsInside(15, 15));

  button_->SetFaceTransparentColor(clRed);
  EXPECT_FALSE(button_->IsInside(7, 0));
  EXPECT_TRUE(button_->IsInside(0, 0));

  // A state without a valid image is never hit.
  button_->SetFaceEntry(kKitBtnUp, 0, 5);
  EXPECT_FALSE(button_->IsInside(0, 0));
  button_->SetFaceEntry(kKitBtnUp, 0, 1);
  EXPECT_TRUE(button_->IsInside(5, 5));
}

TEST_F(MMButtonTest, PressesOnlyOnThePicture) {
  button_->SetButtonFaceImageList(list_);
  int clicks = 0;
  button_->OnClick = [&](TObject*) { ++clicks; };
  button_->Down(0, 0);
  EXPECT_EQ(button_->State(), kKitBtnUp) << "a transparent pixel does not press";
  button_->Down(3, 1);
  EXPECT_EQ(button_->State(), kKitBtnHeld);
  button_->Up(3, 1);
  EXPECT_EQ(clicks, 1);

  delete list_;
  EXPECT_EQ(button_->ButtonFaceImageList(), nullptr);
  EXPECT_FALSE(button_->IsInside(3, 1));
}

TEST(KitFaceIndices, ThreeLayoutsReadIntoTheRightStates) {
  TKitFaceEntries e{};
  ByteStream old(Values({1, 10, 2, 20, 3, 30, 4, 40, 5, 50, 6, 60, 7, 70}));
  KitReadFaceIndicesOld(old, e);
  EXPECT_EQ(e[0], (TKitFaceEntry{1, 10}));
  EXPECT_EQ(e[6], (TKitFaceEntry{7, 70}));

  ByteStream newer(Values({1, 2, 3, 4, 5, 6, 7, 10, 20, 30, 40, 50, 60, 70}));
  KitReadFaceIndicesNew(newer, e);
  EXPECT_EQ(e[0], (TKitFaceEntry{1, 10}));
  EXPECT_EQ(e[6], (TKitFaceEntry{7, 70}));

  // Images of states 0..7, then lists of states 7..0.
  ByteStream newest(Values({10, 11, 12, 13, 14, 15, 16, 17, 7, 6, 5, 4, 3, 2, 1, 0}));
  KitReadFaceIndicesNew2(newest, e);
  for (int s = 0; s < 8; ++s) EXPECT_EQ(e[s], (TKitFaceEntry{s, 10 + s})) << s;

  TMemoryStream out;
  KitWriteFaceIndicesNew2(out, e);
  EXPECT_EQ(out.Size(), 64);
  out.SetPosition(0);
  TKitFaceEntries back{};
  KitReadFaceIndicesNew2(out, back);
  EXPECT_EQ(back, e);
}

TEST(KitFaceIndices, WrongSizesAreRefusedAndTheEntriesKept) {
  TKitFaceEntries e{};
  e[2] = {9, 9};
  const TKitFaceEntries before = e;
  std::vector<Byte> full = Values({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  for (std::size_t size : {std::size_t{0}, std::size_t{3}, std::size_t{60}, std::size_t{63}}) {
    ByteStream s(std::vector<Byte>(full.begin(), full.begin() + static_cast<long>(size)));
    EXPECT_THROW(KitReadFaceIndicesNew2(s, e), EReadError) << size;
    EXPECT_EQ(e, before);
  }
  std::vector<Byte> longer = full;
  longer.push_back(0);
  ByteStream tooLong(longer);
  EXPECT_THROW(KitReadFaceIndicesNew2(tooLong, e), EReadError);
  ByteStream shortOld(Values({1, 2, 3}));
  EXPECT_THROW(KitReadFaceIndicesOld(shortOld, e), EReadError);
  ByteStream shortNew(std::vector<Byte>(55, 0));
  EXPECT_THROW(KitReadFaceIndicesNew(shortNew, e), EReadError);
  EXPECT_EQ(e, before);
  ByteStream colour(Values({0x123456}));
  EXPECT_EQ(KitReadFaceColor(colour), static_cast<TColor>(0x123456));
  ByteStream badColour(std::vector<Byte>{1, 2});
  EXPECT_THROW(KitReadFaceColor(badColour), EReadError);
}

namespace {

class MMButtonCaption : public kit_test::KitFormTest {
 protected:
  // Rows of the button with a pixel of `c` in them: first and last (-1 when none).
  std::pair<int, int> InkRows(TKitMMButton* b, TColor c) {
    Settle(form_.get());
    int first = -1, last = -1;
    for (int y = b->Top(); y < b->Top() + b->Height(); ++y) {
      if (Count(form_.get(), TRect{b->Left(), y, b->Left() + b->Width(), y + 1}, c) == 0) continue;
      if (first < 0) first = y;
      last = y;
    }
    return {first, last};
  }
};

}  // namespace

// The caption goes through the button family's caption routine, so MultiLine wraps it as on
// a speed button.
TEST_F(MMButtonCaption, MultiLineWrapsTheCaption) {
  auto* b = new TKitMMButton(form_.get());
  b->SetParent(form_.get());
  b->SetBounds(10, 10, 40, 60);
  b->SetColor(clWhite);
  b->SetCaption("Wide Words");
  b->Font()->SetColor(clBlack);
  form_->Show();
  const auto one = InkRows(b, clBlack);
  ASSERT_GE(one.first, 0) << "the caption is drawn";
  b->SetMultiLine(true);
  const auto two = InkRows(b, clBlack);
  ASSERT_GE(two.first, 0);
  // Two lines stand about twice as tall as one.
  EXPECT_GT(two.second - two.first, 2 * (one.second - one.first) - 2);
}

// Each state shows its own face, its transparent colour showing the button's colour, and the
// family's caption routine draws the glyph (here the list's yellow picture) beside it.
TEST_F(MMButtonCaption, EachStateShowsItsOwnFaceAndTheGlyph) {
  const TColor colours[] = {clRed, clBlue, clLime, clYellow};
  TBitmap strip;  // four 8 x 8 pictures under a white (transparent) top row
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(32, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 32; ++x) strip.Canvas()->SetPixels(x, y, y == 0 ? clWhite : colours[x / 8]);
  auto* list = new TKitImageList(form_.get());
  auto* item = list->GetItemAt(list->Add());
  item->SetWidth(8);
  item->SetHeight(8);
  item->Add(&strip, nullptr);
  auto* b = new TKitMMButton(form_.get());
  b->SetParent(form_.get());
  b->SetBounds(10, 10, 40, 40);
  b->SetColor(clSilver);
  b->SetButtonFaceImageList(list);
  b->SetImageList(list);
  b->SetImageIndex(3);
  const std::pair<Byte, int> rows[] = {
      {kKitBtnUp, 0}, {kKitBtnDisabled, 1}, {kKitBtnHot, 2}, {kKitBtnHeld, 0}, {kKitBtnDown, 1}};
  for (const auto& [state, image] : rows) b->SetFaceEntry(state, 0, image);
  form_->Show();
  for (const auto& [state, image] : rows) {
    b->SetState(state);
    Settle(form_.get());
    // The face at (4, 4), the button's colour on the face's top row and beside it.
    EXPECT_EQ(std::vector({Count(form_.get(), TRect{14, 14, 15, 15}, colours[image]),
                           Count(form_.get(), TRect{14, 10, 15, 11}, clSilver),
                           Count(form_.get(), TRect{40, 14, 41, 15}, clSilver)}),
              std::vector({1, 1, 1}))
        << int{state};
    EXPECT_GE(Count(form_.get(), TRect{10, 10, 50, 50}, clYellow), 49) << int{state} << ": the glyph";
  }
}
