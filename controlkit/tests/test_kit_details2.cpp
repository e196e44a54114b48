// The buffered background effect of the see-through copy (kept while the area and the
// background stay, dropped on a background change, a scroll, a new setting) and a speed
// button following its action's image index after it was linked.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controlkit/kit_application.h"
#include "controlkit/kit_control_base.h"
#include "controlkit/kit_messages.h"
#include "controlkit/kit_speed_button.h"
#include "controlkit/kit_timer_pool.h"
#include "controlkit/tests/kit_form_test.h"
#include "platform/classlib/actions.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_imagelist.h"
#include "platform/win/gdi.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace {

using Pixel = unsigned;

Pixel Rgb(TColor c) { return static_cast<Pixel>(ColorToRGB(c)) & 0xFFFFFFu; }

// A background whose every pixel says where it is.
TColor BackAt(int x, int y) {
  return static_cast<TColor>(win::RGB(static_cast<win::BYTE>(x * 3 % 256), static_cast<win::BYTE>(y * 5 % 256), 77));
}

class Background : public TKitBackSource {
 public:
  Background() {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(200, 120);
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 200; ++x) bitmap.Canvas()->SetPixels(x, y, BackAt(x, y));
  }
  // Repaints the whole bitmap in one colour, telling nobody.
  void Paint(TColor c) {
    bitmap.Canvas()->Brush()->SetStyle(bsSolid);
    bitmap.Canvas()->Brush()->SetColor(c);
    bitmap.Canvas()->FillRect(Rect(0, 0, 200, 120));
  }
  TBitmap* GetBackBitmap() override { return &bitmap; }
  bool BackBitmapAvailable() override { return true; }
  TPoint BackMapPoint(const TPoint& P) override { return P; }
  bool BackDrawArea(TCanvas*, const TRect&, const TPoint&) override { return false; }
  TBitmap bitmap;
};

class KitDetails2 : public kit_test::KitFormTest {
 protected:
  static Pixel ClientPixel(TWinControl* control, int x, int y) {
    win::HDC dc = win::GetDC(control->Handle());
    const Pixel c = static_cast<Pixel>(win::GetPixel(dc, x, y)) & 0xFFFFFFu;
    win::ReleaseDC(control->Handle(), dc);
    return c;
  }
};

// ---- the buffered see-through copy ------------------------------------------------------------

class BufferedCopy : public KitDetails2 {
 protected:
  void SetUp() override {
    KitDetails2::SetUp();
    TForm* form = form_.get();
    Background* source = &back_;
    SetKitFormBackLookup([form, source](TWinControl* f) -> TKitBackSource* { return f == form ? source : nullptr; });
  }
  void TearDown() override {
    SetKitFormBackLookup(nullptr);
    KitDetails2::TearDown();
  }
  TKitSimplePanel* Panel(TWinControl* parent, int x, int y, int w, int h) {
    auto* p = new TKitSimplePanel(form_.get());
    p->SetParent(parent);
    p->SetBounds(x, y, w, h);
    p->SetColor(clGreen);
    p->SetTransparent(true);
    return p;
  }
  static void Redraw(TKitSimplePanel* p) {
    p->Invalidate();
    Settle(p);
  }
  // Whether every pixel of the panel is the inverted background at (ox + x, oy + y).
  static bool ShowsInvertedOld(TKitSimplePanel* p, int ox, int oy) {
    for (int y = 0; y < p->Height(); ++y)
      for (int x = 0; x < p->Width(); ++x)
        if (ClientPixel(p, x, y) != (~Rgb(BackAt(ox + x, oy + y)) & 0xFFFFFFu)) return false;
    return true;
  }
  // Whether every pixel of the panel is colour c.
  static bool ShowsOnly(TKitSimplePanel* p, Pixel c) {
    for (int y = 0; y < p->Height(); ++y)
      for (int x = 0; x < p->Width(); ++x)
        if (ClientPixel(p, x, y) != c) return false;
    return true;
  }
  // The inverted colour of a background painted in `c`.
  static Pixel Inverted(TColor c) { return ~Rgb(c) & 0xFFFFFFu; }

  Background back_;
};

TEST_F(BufferedCopy, TheRenderingIsReusedUntilTheBackgroundChangedNotice) {
  TKitSimplePanel* p = Panel(form_.get(), 30, 40, 12, 8);
  p->BackgroundEffect()->SetInvert(true);
  p->BackgroundEffect()->SetBuffered(true);
  form_->Show();
  Settle(p);
  ASSERT_TRUE(ShowsInvertedOld(p, 30, 40));
  ASSERT_NE(p->BackgroundEffect()->CachedBitmap(), nullptr);

  // The background changes behind the panel's back: the kept rendering still shows.
  back_.Paint(clNavy);
  Redraw(p);
  EXPECT_TRUE(ShowsInvertedOld(p, 30, 40));

  // The notice drops it; the next paint renders the new background.
  p->Perform(KM_BACKGROUNDCHANGED);
  EXPECT_EQ(p->BackgroundEffect()->CachedBitmap(), nullptr);
  Settle(p);
  EXPECT_TRUE(ShowsOnly(p, Inverted(clNavy)));
}

TEST_F(BufferedCopy, WithoutBufferingEveryPaintRendersAnew) {
  TKitSimplePanel* p = Panel(form_.get(), 30, 40, 12, 8);
  p->BackgroundEffect()->SetInvert(true);
  form_->Show();
  Settle(p);
  ASSERT_TRUE(ShowsInvertedOld(p, 30, 40));
  EXPECT_EQ(p->BackgroundEffect()->CachedBitmap(), nullptr);
  back_.Paint(clNavy);
  Redraw(p);
  EXPECT_TRUE(ShowsOnly(p, Inverted(clNavy)));
}

TEST_F(BufferedCopy, ANewSettingDropsTheRendering) {
  TKitSimplePanel* p = Panel(form_.get(), 30, 40, 12, 8);
  TKitBitmapEffectObject* fx = p->BackgroundEffect();
  fx->SetInvert(true);
  fx->SetBuffered(true);
  form_->Show();
  Settle(p);
  back_.Paint(clNavy);
  fx->SetBrightness(10);
  Settle(p);
  // Inverted navy, 10 brighter: blue 255 - 128 + 10 = 137, red and green 255 clamped.
  EXPECT_TRUE(ShowsOnly(p, Rgb(static_cast<TColor>(win::RGB(255, 255, 137)))));

  // Assigning settings drops it too, even inside an update lock that fires nothing.
  back_.Paint(clMaroon);
  TKitBitmapEffectObject plain;
  plain.SetInvert(true);
  plain.SetBuffered(true);
  fx->BeginUpdate();
  fx->Assign(&plain);
  fx->EndUpdate(false);
  Redraw(p);
  EXPECT_TRUE(ShowsOnly(p, Inverted(clMaroon)));

  // Switching buffering off frees the rendering.
  ASSERT_NE(fx->CachedBitmap(), nullptr);
  fx->SetBuffered(false);
  EXPECT_EQ(fx->CachedBitmap(), nullptr);
  back_.Paint(clOlive);
  Redraw(p);
  EXPECT_TRUE(ShowsOnly(p, Inverted(clOlive)));
}

TEST_F(BufferedCopy, AMovedOrResizedPanelRendersItsNewArea) {
  TKitSimplePanel* p = Panel(form_.get(), 30, 40, 12, 8);
  p->BackgroundEffect()->SetInvert(true);
  p->BackgroundEffect()->SetBuffered(true);
  form_->Show();
  Settle(p);
  ASSERT_TRUE(ShowsInvertedOld(p, 30, 40));
  p->SetBounds(60, 50, 12, 8);
  Redraw(p);
  EXPECT_TRUE(ShowsInvertedOld(p, 60, 50));
  p->SetBounds(60, 50, 15, 9);
  Redraw(p);
  EXPECT_TRUE(ShowsInvertedOld(p, 60, 50));
}

TEST_F(BufferedCopy, AScrollNoticeDropsTheRenderingOfASeeThroughPanel) {
  TKitSimplePanel* p = Panel(form_.get(), 30, 40, 12, 8);
  p->BackgroundEffect()->SetInvert(true);
  p->BackgroundEffect()->SetBuffered(true);
  form_->Show();
  Settle(p);
  back_.Paint(clNavy);
  p->Perform(KM_SCROLLED);
  Settle(p);
  EXPECT_TRUE(ShowsOnly(p, Inverted(clNavy)));
}

TEST_F(BufferedCopy, TheNoticeReachesTheRenderingOfANestedPanel) {
  TKitSimplePanel* outer = Panel(form_.get(), 20, 20, 60, 40);
  TKitSimplePanel* inner = Panel(outer, 5, 6, 12, 8);
  inner->BackgroundEffect()->SetInvert(true);
  inner->BackgroundEffect()->SetBuffered(true);
  form_->Show();
  Settle(inner);
  ASSERT_TRUE(ShowsInvertedOld(inner, 25, 26));
  back_.Paint(clNavy);
  Redraw(inner);
  ASSERT_TRUE(ShowsInvertedOld(inner, 25, 26));
  outer->Perform(KM_BACKGROUNDCHANGED);
  Settle(inner);
  EXPECT_TRUE(ShowsOnly(inner, Inverted(clNavy)));
}

TEST_F(BufferedCopy, TheFlatLookStripsAreEachTheirOwnArea) {
  // The cold flat look copies four strips one after another; each must show the
  // background under it, never a part of another area's rendering.
  TKitSimplePanel* p = Panel(form_.get(), 30, 40, 20, 14);
  p->Bevel()->SetMode(bmEdge);
  p->SetFlatBorder(true);
  TKitBitmapEffectObject* fx = p->BackgroundEffect();
  fx->SetFlipHorizontal(true);
  fx->SetBuffered(true);
  form_->Show();
  Settle(p);
  std::vector<Pixel> buffered;
  for (int y = 0; y < 14; ++y)
    for (int x = 0; x < 20; ++x) buffered.push_back(ClientPixel(p, x, y));
  fx->SetBuffered(false);
  Redraw(p);
  int i = 0;
  for (int y = 0; y < 14; ++y)
    for (int x = 0; x < 20; ++x, ++i) ASSERT_EQ(buffered[i], ClientPixel(p, x, y)) << x << "," << y;
  // The right strip (2 wide) flips on its own: its left column shows what lies under its
  // right one.
  EXPECT_EQ(ClientPixel(p, 18, 5), Rgb(BackAt(30 + 19, 40 + 5)));
}

TEST_F(BufferedCopy, TheDirectCopyKeepsOneRenderingPerArea) {
  auto* c = new TKitGraphicControl(form_.get());
  c->SetParent(form_.get());
  c->SetBounds(50, 60, 10, 6);
  form_->Show();
  Settle(form_.get());
  TKitBitmapEffectObject fx;
  fx.SetInvert(true);
  fx.SetBuffered(true);
  TBitmap paper;
  paper.SetPixelFormat(pf24bit);
  paper.SetSize(20, 10);
  auto at = [&](int x, int y) { return Rgb(paper.Canvas()->Pixels(x, y)); };
  ASSERT_TRUE(KitDrawParentBackground(c, paper.Canvas(), Rect(1, 1, 9, 5), TPoint{3, 2}, &fx));
  ASSERT_EQ(at(3, 2), ~Rgb(BackAt(51, 61)) & 0xFFFFFFu);

  back_.Paint(clNavy);
  // Same area, elsewhere on the paper: the kept rendering.
  ASSERT_TRUE(KitDrawParentBackground(c, paper.Canvas(), Rect(1, 1, 9, 5), TPoint{0, 0}, &fx));
  EXPECT_EQ(at(0, 0), ~Rgb(BackAt(51, 61)) & 0xFFFFFFu);
  EXPECT_EQ(at(7, 3), ~Rgb(BackAt(58, 64)) & 0xFFFFFFu);
  // Another area: rendered from the background as it is now, and kept in its place.
  ASSERT_TRUE(KitDrawParentBackground(c, paper.Canvas(), Rect(0, 0, 4, 4), TPoint{12, 0}, &fx));
  EXPECT_EQ(at(12, 0), Inverted(clNavy));
  back_.Paint(clMaroon);
  ASSERT_TRUE(KitDrawParentBackground(c, paper.Canvas(), Rect(0, 0, 4, 4), TPoint{12, 4}, &fx));
  EXPECT_EQ(at(12, 4), Inverted(clNavy));
  // A copy without the effect never touches the rendering.
  ASSERT_TRUE(KitDrawParentBackground(c, paper.Canvas(), Rect(0, 0, 4, 4), TPoint{16, 0}, nullptr));
  EXPECT_EQ(at(16, 0), Rgb(clMaroon));
  ASSERT_TRUE(KitDrawParentBackground(c, paper.Canvas(), Rect(0, 0, 4, 4), TPoint{12, 4}, &fx));
  EXPECT_EQ(at(12, 4), Inverted(clNavy));
  fx.ResetCache();
  ASSERT_TRUE(KitDrawParentBackground(c, paper.Canvas(), Rect(0, 0, 4, 4), TPoint{12, 4}, &fx));
  EXPECT_EQ(at(12, 4), Inverted(clMaroon));
}

TEST_F(BufferedCopy, AWindowlessControlDropsItsRenderingOnTheNotices) {
  auto* c = new TKitGraphicControl(form_.get());
  c->SetParent(form_.get());
  c->SetBounds(50, 60, 10, 6);
  c->BackgroundEffect()->SetInvert(true);
  c->BackgroundEffect()->SetBuffered(true);
  form_->Show();
  Settle(form_.get());
  for (win::UINT notice : {KM_BACKGROUNDCHANGED, KM_SCROLLED}) {
    ASSERT_TRUE(c->DrawParentBackground(Rect(0, 0, 10, 6)));
    ASSERT_NE(c->BackgroundEffect()->CachedBitmap(), nullptr);
    c->Perform(notice);
    EXPECT_EQ(c->BackgroundEffect()->CachedBitmap(), nullptr) << notice;
  }
}

// ---- a linked speed button follows its action's image ----------------------------------------

// A 24-bit bitmap of one colour with a square of another.
std::unique_ptr<TBitmap> SquareOn(Integer size, TColor back, const TRect& square, TColor colour) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(size, size);
  bmp->Canvas()->Brush()->SetStyle(bsSolid);
  bmp->Canvas()->Brush()->SetColor(back);
  bmp->Canvas()->FillRect(Rect(0, 0, size, size));
  bmp->Canvas()->Brush()->SetColor(colour);
  bmp->Canvas()->FillRect(square);
  return bmp;
}

class ActionImage : public KitDetails2 {
 protected:
  void SetUp() override {
    KitDetails2::SetUp();
    images_ = std::make_unique<TImageList>(nullptr);
    images_->SetSize(8, 8);
    images_->AddMasked(SquareOn(8, clWhite, Rect(2, 2, 6, 6), clRed).get(), clWhite);
    images_->AddMasked(SquareOn(8, clWhite, Rect(2, 2, 6, 6), clBlue).get(), clWhite);
    actions_ = std::make_unique<TActionList>(nullptr);
    actions_->SetImages(images_.get());
    action_ = std::make_unique<TAction>(nullptr);
    action_->SetActionList(actions_.get());
    action_->SetImageIndex(0);
    button_ = new TKitSpeedButton(form_.get());
    button_->SetParent(form_.get());
    button_->SetBounds(20, 20, 23, 22);
    button_->SetColor(clSilver);
    button_->SetUseCaption(false);
    form_->Show();
    Settle(form_.get());
  }
  void TearDown() override {
    KitDetails2::TearDown();
    action_.reset();
    actions_.reset();
    images_.reset();
  }
  int InButton(TColor c) {
    form_->Repaint();
    Settle(form_.get());
    return Count(form_.get(), Rect(20, 20, 43, 42), c);
  }

  std::unique_ptr<TImageList> images_;
  std::unique_ptr<TActionList> actions_;
  std::unique_ptr<TAction> action_;
  TKitSpeedButton* button_ = nullptr;
};

TEST_F(ActionImage, ANewImageIndexReplacesTheShownImage) {
  button_->SetAction(action_.get());
  ASSERT_EQ(InButton(clRed), 16);
  action_->SetImageIndex(1);
  EXPECT_EQ(Rgb(button_->Glyph()->Canvas()->Pixels(3, 3)), Rgb(clBlue));
  EXPECT_EQ(InButton(clBlue), 16);
  EXPECT_EQ(InButton(clRed), 0);
  // An index the list does not hold clears the glyph; a valid one brings it back.
  action_->SetImageIndex(5);
  EXPECT_TRUE(button_->Glyph()->Empty());
  EXPECT_EQ(InButton(clBlue), 0);
  action_->SetImageIndex(0);
  EXPECT_EQ(InButton(clRed), 16);
}

TEST_F(ActionImage, OtherChangesOfTheActionLeaveTheButtonsOwnValues) {
  button_->SetAction(action_.get());
  // A glyph and a caption given by hand after linking.
  button_->SetGlyph(SquareOn(8, clFuchsia, Rect(1, 1, 7, 7), clLime).get());
  button_->SetCaption("Mine");
  ASSERT_EQ(InButton(clLime), 36);
  action_->SetCaption("Theirs");
  action_->SetHint("hint");
  EXPECT_EQ(button_->Caption(), "Mine");
  EXPECT_EQ(InButton(clLime), 36);
  // The image index is the action's to set.
  action_->SetImageIndex(1);
  EXPECT_EQ(InButton(clLime), 0);
  EXPECT_EQ(InButton(clBlue), 16);
  EXPECT_EQ(button_->Caption(), "Mine");
}

TEST_F(ActionImage, OnlyTheLinkedActionIsFollowed) {
  TAction other(nullptr);
  other.SetActionList(actions_.get());
  other.SetImageIndex(0);
  button_->SetAction(action_.get());
  button_->SetAction(&other);
  ASSERT_EQ(InButton(clRed), 16);
  action_->SetImageIndex(1);  // the former action
  EXPECT_EQ(InButton(clRed), 16);
  other.SetImageIndex(1);
  EXPECT_EQ(InButton(clBlue), 16);
  button_->SetAction(static_cast<TAction*>(nullptr));
  other.SetImageIndex(0);
  EXPECT_EQ(InButton(clBlue), 16) << "an unlinked button keeps its last image";
}

TEST_F(ActionImage, AFreedButtonOrActionLeavesTheOtherSafe) {
  button_->SetAction(action_.get());
  delete button_;
  button_ = nullptr;
  action_->SetImageIndex(1);
  EXPECT_EQ(action_->ClientCount(), 0);

  auto* second = new TKitSpeedButton(form_.get());
  second->SetParent(form_.get());
  second->SetAction(action_.get());
  ASSERT_EQ(Rgb(second->Glyph()->Canvas()->Pixels(3, 3)), Rgb(clBlue));
  action_.reset();
  EXPECT_EQ(second->ActionComponent(), nullptr);
  EXPECT_EQ(Rgb(second->Glyph()->Canvas()->Pixels(3, 3)), Rgb(clBlue));
}

TEST(ActionLinkChange, EveryLinkHearsOfTheChangeAfterTheValueIsStored) {
  TAction action(nullptr);
  TBasicActionLink first(nullptr), second(nullptr);
  first.SetAction(&action);
  second.SetAction(&action);
  std::vector<std::string> heard;
  bool detach = false;
  first.OnChange = [&](TObject*) {
    if (!first.Action()) return;
    heard.push_back("first " + action.Caption());
    // A link that leaves during the round is not told any more.
    if (detach) second.SetAction(nullptr);
  };
  second.OnChange = [&](TObject*) {
    if (second.Action()) heard.push_back("second " + action.Caption());
  };
  action.OnChange = [&](TObject*) { heard.push_back("action " + action.Caption()); };
  action.SetCaption("A");
  EXPECT_EQ(heard, (std::vector<std::string>{"first A", "second A", "action A"}));
  heard.clear();
  action.SetCaption("A");
  EXPECT_TRUE(heard.empty()) << "an equal value is no change";
  detach = true;
  action.SetCaption("B");
  EXPECT_EQ(heard, (std::vector<std::string>{"first B", "action B"}));
  EXPECT_EQ(action.ClientCount(), 1);
}

}  // namespace
