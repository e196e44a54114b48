// Details of the control kit that the other tests leave alone: a speed button taking its
// glyph from a linked action, the margin the see-through copy gives a background effect,
// the window frame of a flat panel in bmWindows, and the refresh a windowless control bound
// to a connector list gets once a form has been read.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controlkit/kit_application.h"
#include "controlkit/kit_connector.h"
#include "controlkit/kit_container.h"
#include "controlkit/kit_control_base.h"
#include "controlkit/kit_labels.h"
#include "controlkit/kit_speed_button.h"
#include "controlkit/tests/kit_form_test.h"
#include "platform/classlib/actions.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_imagelist.h"
#include "platform/win/gdi.h"
#include "platform/win/message_queue.h"
#include "platform/win/messages.h"
#include "platform/win/paint.h"
#include "platform/win/system_tables.h"
#include "platform/win/window.h"

namespace {

TColor Rgb(TColor c) { return ColorToRGB(c) & 0xFFFFFF; }

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

class KitDetails : public kit_test::KitFormTest {
 protected:
  // Pixels of a window's client area (or, with `whole`, of the whole window).
  static TColor ClientPixel(TWinControl* control, int x, int y, bool whole = false) {
    win::HDC dc = whole ? win::GetWindowDC(control->Handle()) : win::GetDC(control->Handle());
    const TColor c = win::GetPixel(dc, x, y) & 0xFFFFFF;
    win::ReleaseDC(control->Handle(), dc);
    return c;
  }
};

// ---- a speed button mirrors its action's image ------------------------------------------------

class ActionGlyph : public KitDetails {
 protected:
  void SetUp() override {
    KitDetails::SetUp();
    images_ = std::make_unique<TImageList>(nullptr);
    images_->SetSize(8, 8);
    // Image 0: a red 4 x 4 square, image 1: a blue one, both on a white that is masked out.
    images_->AddMasked(SquareOn(8, clWhite, Rect(2, 2, 6, 6), clRed).get(), clWhite);
    images_->AddMasked(SquareOn(8, clWhite, Rect(2, 2, 6, 6), clBlue).get(), clWhite);
    actions_ = std::make_unique<TActionList>(nullptr);
    actions_->SetImages(images_.get());
    button_ = new TKitSpeedButton(form_.get());
    button_->SetParent(form_.get());
    button_->SetBounds(20, 20, 23, 22);
    button_->SetColor(clSilver);
    button_->SetUseCaption(false);
    form_->Show();
    Settle(form_.get());
  }
  void TearDown() override {
    KitDetails::TearDown();
    owned_.clear();
    actions_.reset();
    images_.reset();
  }
  TAction* Act(Integer imageIndex, TActionList* list) {
    owned_.push_back(std::make_unique<TAction>(nullptr));
    TAction* a = owned_.back().get();
    if (list) a->SetActionList(list);
    a->SetImageIndex(imageIndex);
    return a;
  }
  int InButton(TColor c) {
    form_->Repaint();
    Settle(form_.get());
    return Count(form_.get(), Rect(20, 20, 43, 42), c);
  }

  std::unique_ptr<TImageList> images_;
  std::unique_ptr<TActionList> actions_;
  std::vector<std::unique_ptr<TAction>> owned_;
  TKitSpeedButton* button_ = nullptr;
};

TEST_F(ActionGlyph, TheImageIsCopiedOnFuchsiaAndDrawnThrough) {
  button_->SetAction(Act(0, actions_.get()));
  TBitmap* g = button_->Glyph();
  ASSERT_EQ(g->Width(), 8);
  ASSERT_EQ(g->Height(), 8);
  EXPECT_EQ(button_->NumGlyphs(), 1);
  // The list's masked part leaves the fuchsia background; the image lies on top of it.
  EXPECT_EQ(Rgb(g->Canvas()->Pixels(0, 0)), Rgb(clFuchsia));
  EXPECT_EQ(Rgb(g->Canvas()->Pixels(7, 7)), Rgb(clFuchsia));
  EXPECT_EQ(Rgb(g->Canvas()->Pixels(2, 2)), Rgb(clRed));
  EXPECT_EQ(Rgb(g->Canvas()->Pixels(5, 5)), Rgb(clRed));
  EXPECT_EQ(Rgb(g->Canvas()->Pixels(6, 5)), Rgb(clFuchsia));
  // On screen the fuchsia is the glyph's transparent colour: the square shows, the
  // background does not.
  EXPECT_EQ(InButton(clRed), 16);
  EXPECT_EQ(InButton(clFuchsia), 0);
}

TEST_F(ActionGlyph, AnotherActionReplacesTheShownImage) {
  button_->SetAction(Act(0, actions_.get()));
  ASSERT_EQ(InButton(clRed), 16);  // the state image is made and kept
  button_->SetAction(Act(1, actions_.get()));
  EXPECT_EQ(Rgb(button_->Glyph()->Canvas()->Pixels(3, 3)), Rgb(clBlue));
  EXPECT_EQ(InButton(clBlue), 16);
  EXPECT_EQ(InButton(clRed), 0);
}

TEST_F(ActionGlyph, AnActionWithoutAnImageClearsTheGlyph) {
  // A wide glyph first, so that a stale image count would show.
  TBitmap strip;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(24, 8);
  button_->SetGlyph(&strip);
  ASSERT_EQ(button_->NumGlyphs(), 3);
  button_->SetAction(Act(0, actions_.get()));
  EXPECT_EQ(button_->NumGlyphs(), 1) << "an 8 x 8 image is one glyph";
  ASSERT_EQ(InButton(clRed), 16);

  for (TAction* a : {Act(2, actions_.get()), Act(-1, actions_.get()), Act(0, nullptr)}) {
    button_->SetAction(Act(0, actions_.get()));
    ASSERT_EQ(InButton(clRed), 16);
    button_->SetAction(a);
    EXPECT_TRUE(button_->Glyph()->Empty());
    EXPECT_EQ(InButton(clRed), 0) << "a cleared glyph draws nothing";
  }
}

// ---- the see-through copy and its effect margin -----------------------------------------------

// A background whose every pixel says where it is.
TColor BackAt(int x, int y) { return static_cast<TColor>(win::RGB(static_cast<win::BYTE>(x * 3 % 256), static_cast<win::BYTE>(y * 5 % 256), 77)); }

class TestBackSource : public TKitBackSource {
 public:
  TestBackSource() {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(200, 120);
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 200; ++x) bitmap.Canvas()->SetPixels(x, y, BackAt(x, y));
  }
  TBitmap* GetBackBitmap() override { return &bitmap; }
  bool BackBitmapAvailable() override { return true; }
  TPoint BackMapPoint(const TPoint& P) override { return P; }
  bool BackDrawArea(TCanvas*, const TRect&, const TPoint&) override { return false; }
  TBitmap bitmap;
};

// A 4 x 4 tile of sixteen different colours.
TColor TileAt(int x, int y) { return static_cast<TColor>(win::RGB(static_cast<win::BYTE>(16 * (x % 4) + 1), static_cast<win::BYTE>(16 * (y % 4) + 2), 200)); }

class SeeThrough : public KitDetails {
 protected:
  void SetUp() override {
    KitDetails::SetUp();
    TForm* form = form_.get();
    TestBackSource* source = &source_;
    SetKitFormBackLookup([form, source](TWinControl* f) -> TKitBackSource* { return f == form ? source : nullptr; });
  }
  void TearDown() override {
    SetKitFormBackLookup(nullptr);
    KitDetails::TearDown();
  }
  TKitSimplePanel* Panel(int x, int y, int w, int h) {
    auto* p = new TKitSimplePanel(form_.get());
    p->SetParent(form_.get());
    p->SetBounds(x, y, w, h);
    p->SetColor(clGreen);
    p->SetTransparent(true);
    return p;
  }
  // Blends a tiled 4 x 4 pattern at full strength: the result shows the tile's phase.
  static void TileEffect(TKitBitmapEffectObject* fx) {
    TBitmap tile;
    tile.SetPixelFormat(pf24bit);
    tile.SetSize(4, 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) tile.Canvas()->SetPixels(x, y, TileAt(x, y));
    TKitAlphaObject* alpha = fx->AlphaBlend();
    alpha->FillObject()->SetBitmap(&tile);
    alpha->FillObject()->SetTileMode(tmTile);
    alpha->FillObject()->SetStyle(sfBitmap);
    alpha->SetStrength(1.0f);
    alpha->SetEnabled(true);
  }
  TestBackSource source_;
};

TEST_F(SeeThrough, APlainCopyShowsTheBackgroundUnderThePanel) {
  TKitSimplePanel* p = Panel(30, 40, 20, 10);
  form_->Show();
  Settle(p);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(ClientPixel(p, x, y), Rgb(BackAt(30 + x, 40 + y))) << x << "," << y;
}

TEST_F(SeeThrough, TheEffectWorksOnTheAreaWidenedByTwoPixels) {
  TKitSimplePanel* p = Panel(30, 40, 13, 9);
  TileEffect(p->BackgroundEffect());
  form_->Show();
  Settle(p);
  // The tile starts 2 pixels above and left of the panel's first pixel.
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(ClientPixel(p, x, y), Rgb(TileAt(x + 2, y + 2))) << x << "," << y;
}

TEST_F(SeeThrough, AMarginOutsideTheBackgroundLeavesTheAreaInPlace) {
  // At the corner the widened area starts outside the bitmap; the pixels under the panel
  // must still be the ones under it, not a shifted or stretched copy.
  TKitSimplePanel* p = Panel(0, 0, 11, 7);
  p->BackgroundEffect()->SetInvert(true);
  TKitSimplePanel* q = Panel(200 - 9, 120 - 5, 9, 5);
  q->BackgroundEffect()->SetFlipHorizontal(true);
  form_->Show();
  Settle(p);
  Settle(q);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 11; ++x) {
      const TColor b = Rgb(BackAt(x, y));
      ASSERT_EQ(ClientPixel(p, x, y), (~b) & 0xFFFFFF) << x << "," << y;
    }
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 9; ++x)
      ASSERT_EQ(ClientPixel(q, x, y), Rgb(BackAt(191 + 8 - x, 115 + y))) << x << "," << y;
}

TEST_F(SeeThrough, AWindowlessControlGetsTheSameMarginThroughItsParent) {
  auto* c = new TKitGraphicControl(form_.get());
  c->SetParent(form_.get());
  c->SetBounds(50, 60, 10, 6);
  form_->Show();
  Settle(form_.get());
  TKitBitmapEffectObject fx;
  TileEffect(&fx);
  TBitmap paper;
  paper.SetPixelFormat(pf24bit);
  paper.SetSize(20, 10);
  ASSERT_TRUE(KitDrawParentBackground(c, paper.Canvas(), Rect(1, 1, 9, 5), TPoint{3, 2}, &fx));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x)
      ASSERT_EQ(Rgb(paper.Canvas()->Pixels(3 + x, 2 + y)), Rgb(TileAt(x + 2, y + 2))) << x << "," << y;
  // Without an effect the same call copies the background under the area.
  ASSERT_TRUE(KitDrawParentBackground(c, paper.Canvas(), Rect(1, 1, 9, 5), TPoint{3, 2}, nullptr));
  EXPECT_EQ(Rgb(paper.Canvas()->Pixels(3, 2)), Rgb(BackAt(51, 61)));
  EXPECT_EQ(Rgb(paper.Canvas()->Pixels(10, 5)), Rgb(BackAt(58, 64)));
}

// ---- the window frame of a flat panel in bmWindows --------------------------------------------

class WindowsFrame : public KitDetails {
 protected:
  void SetUp() override {
    KitDetails::SetUp();
    panel_ = new TKitSimplePanel(form_.get());
    panel_->SetParent(form_.get());
    panel_->SetBounds(10, 10, 40, 30);
    panel_->SetColor(clWhite);
  }
  void Start(bool ctl3D) {
    panel_->SetCtl3D(ctl3D);
    panel_->Bevel()->SetMode(bmWindows);
    form_->Show();
    Settle(panel_);
  }
  TColor At(int x, int y) { return ClientPixel(panel_, x, y, true); }
  static TColor Sys(int index) { return static_cast<TColor>(win::GetSysColor(index)) & 0xFFFFFF; }
  void Enter() {
    panel_->Perform(CM_MOUSEENTER, 0, 0);
    Settle(panel_);
  }
  void Leave() {
    panel_->Perform(CM_MOUSELEAVE, 0, 0);
    Settle(panel_);
  }
  // The two outer rings are the flat look's face colour.
  void ExpectFlat(const char* when) {
    const TColor face = Sys(win::COLOR_BTNFACE);
    for (int ring = 0; ring < 2; ++ring) {
      EXPECT_EQ(At(20, ring), face) << when << " top " << ring;
      EXPECT_EQ(At(ring, 15), face) << when << " left " << ring;
      EXPECT_EQ(At(20, 29 - ring), face) << when << " bottom " << ring;
      EXPECT_EQ(At(39 - ring, 15), face) << when << " right " << ring;
    }
  }
  TKitSimplePanel* panel_ = nullptr;
};

TEST_F(WindowsFrame, TheBorderIsTheWindowsOwnAndTheClientShrinks) {
  Start(true);
  EXPECT_EQ(panel_->ClientWidth(), 36);
  EXPECT_EQ(panel_->ClientHeight(), 26);
  EXPECT_EQ(panel_->Bevel()->BevelExtent(), 0);
  EXPECT_EQ(At(20, 15), Rgb(clWhite));
}

TEST_F(WindowsFrame, FlatAndColdIsFaceColouredHotIsTheSunkenFrame) {
  Start(true);
  panel_->SetFlatBorder(true);
  Settle(panel_);
  ExpectFlat("cold");

  Enter();
  const TColor frame = Sys(win::COLOR_WINDOWFRAME), face = Sys(win::COLOR_BTNFACE);
  const TColor shadow = Sys(win::COLOR_BTNSHADOW), light = Sys(win::COLOR_BTNHIGHLIGHT);
  ASSERT_NE(frame, face);
  ASSERT_NE(shadow, light);
  // Outermost ring: the sunken edge, dark top-left, light bottom-right.
  EXPECT_EQ(At(20, 0), shadow);
  EXPECT_EQ(At(0, 15), shadow);
  EXPECT_EQ(At(20, 29), light);
  EXPECT_EQ(At(39, 15), light);
  // Second ring: the window frame on the top and left, the face on the bottom and right.
  EXPECT_EQ(At(20, 1), frame);
  EXPECT_EQ(At(1, 15), frame);
  EXPECT_EQ(At(20, 28), face);
  EXPECT_EQ(At(38, 15), face);
  EXPECT_EQ(At(20, 15), Rgb(clWhite)) << "the client is not touched";

  Leave();
  ExpectFlat("after leaving");

  // Focus gives the same hot frame while the mouse is away.
  panel_->Perform(win::WM_SETFOCUS, 0, 0);
  Settle(panel_);
  EXPECT_EQ(At(20, 0), shadow);
  EXPECT_EQ(At(20, 1), frame);
  panel_->Perform(win::WM_KILLFOCUS, 0, 0);
  Settle(panel_);
  ExpectFlat("after losing focus");
}

TEST_F(WindowsFrame, WithoutCtl3DTheFramesAreSingle) {
  Start(false);
  EXPECT_EQ(panel_->ClientWidth(), 38) << "a one-pixel window border";
  panel_->SetFlatBorder(true);
  Settle(panel_);
  const TColor frame = Sys(win::COLOR_WINDOWFRAME), face = Sys(win::COLOR_BTNFACE);
  EXPECT_EQ(At(20, 0), face);
  EXPECT_EQ(At(39, 15), face);
  Enter();
  EXPECT_EQ(At(20, 0), frame);
  EXPECT_EQ(At(0, 15), frame);
  EXPECT_EQ(At(20, 29), frame);
  EXPECT_EQ(At(39, 15), frame);
  EXPECT_EQ(At(20, 1), Rgb(clWhite));
  Leave();
  EXPECT_EQ(At(20, 0), face);
  EXPECT_EQ(At(39, 15), face);
}

// ---- a flat speed button under the mouse -------------------------------------------------------

class HoverButton : public TKitSpeedButton {
 public:
  using TKitSpeedButton::TKitSpeedButton;
  void Hover(Integer x, Integer y) { MouseMove(TShiftState{}, x, y); }
};

TEST_F(KitDetails, AFlatSpeedButtonShowsItsRaisedFrameOnlyUnderTheMouse) {
  auto* b = new HoverButton(form_.get());
  b->SetParent(form_.get());
  b->SetBounds(100, 20, 23, 22);
  b->SetStyle(ubsFlat);
  b->SetColor(clSilver);
  form_->Show();
  Settle(form_.get());
  auto at = [&](int x, int y) {
    win::UpdateWindow(form_->Handle());
    return ClientPixel(form_.get(), 100 + x, 20 + y);
  };
  const TColor light = static_cast<TColor>(win::GetSysColor(win::COLOR_BTNHIGHLIGHT)) & 0xFFFFFF;
  const TColor shadow = static_cast<TColor>(win::GetSysColor(win::COLOR_BTNSHADOW)) & 0xFFFFFF;
  ASSERT_NE(light, Rgb(clSilver));
  ASSERT_NE(shadow, Rgb(clSilver));
  EXPECT_EQ(at(0, 0), Rgb(clSilver));
  EXPECT_EQ(at(22, 21), Rgb(clSilver));

  b->Hover(5, 5);
  EXPECT_EQ(b->State(), kKitBtnHot);
  EXPECT_EQ(at(0, 0), light);
  EXPECT_EQ(at(10, 0), light);
  EXPECT_EQ(at(0, 10), light);
  EXPECT_EQ(at(22, 10), shadow);
  EXPECT_EQ(at(10, 21), shadow);

  b->Hover(40, 5);  // off the button: back to the flat face
  EXPECT_EQ(b->State(), kKitBtnUp);
  EXPECT_EQ(at(0, 0), Rgb(clSilver));
  EXPECT_EQ(at(22, 10), Rgb(clSilver));
}

// ---- a windowless control bound to a connector after reading a form ---------------------------

// A glyph label that form files can hold, and that notes what it saw at each refresh.
class TTestGlyphLabel : public TKitCustomGlyphLabel {
 public:
  static const TClass& StaticClass() {
    static const TClass cls =
        TClass::Of<TTestGlyphLabel>("TTestGlyphLabel", TKitCustomGlyphLabel::StaticClass(), &TTestGlyphLabel::Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    using L = TTestGlyphLabel;
    TControl::PublishProperties(published, {"Caption", "Color"});
    auto p = published.For<L>();
    p.Boolean("Transparent", &L::Transparent, &L::SetTransparent).Default(true);
    p.Component("ImageList", &L::ImageList, &L::SetImageList);
    p.Integer("ImageIndex", &L::ImageIndex, &L::SetImageIndex).Default(0);
    p.Integer("ListIndex", &L::ListIndex, &L::SetListIndex).Default(0);
  }
  using TKitCustomGlyphLabel::TKitCustomGlyphLabel;

  void GetIMLChange(TObject* Sender) override {
    if (!ComponentState().Contains(csLoading)) {
      TKitCustomImageList* list = ImageList();
      seen.push_back(list && list->IsValidImage(ListIndex(), ImageIndex())
                         ? list->GetPixel(TPoint{3, 3}, ListIndex(), ImageIndex())
                         : static_cast<TColor>(-1));
    }
    TKitCustomGlyphLabel::GetIMLChange(Sender);
  }
  // The image's centre pixel at each refresh made outside loading (-1: no image).
  std::vector<TColor> seen;
};

TEST_F(KitDetails, AFormReadBackGivesAConnectorBoundControlItsImages) {
  RegisterClass(TForm::StaticClass());
  RegisterKitContainerClasses();
  RegisterClass(TTestGlyphLabel::StaticClass());

  auto* standard = new TImageList(form_.get());
  standard->SetName("Std");
  standard->SetSize(8, 8);
  standard->AddMasked(SquareOn(8, clWhite, Rect(2, 2, 6, 6), clRed).get(), clWhite);
  auto* conn = new TKitImageListConnector(form_.get());
  conn->SetName("Conn");
  auto* entry = static_cast<TKitBorImageListItem*>(conn->ImageLists()->Add());
  entry->SetImageList(standard);
  auto* label = new TTestGlyphLabel(form_.get());
  label->SetName("G");
  label->SetParent(form_.get());
  label->SetBounds(10, 10, 60, 20);
  label->SetTransparent(false);
  label->SetColor(clWhite);
  label->SetImageList(conn);
  form_->SetName("F");
  const std::string text = WriteComponentText(form_.get());
  ASSERT_NE(text.find("ImageList = Conn"), std::string::npos) << text;

  std::unique_ptr<TComponent> root = ReadComponentText(text);
  auto* read = dynamic_cast<TTestGlyphLabel*>(root->FindComponent("G"));
  ASSERT_NE(read, nullptr);
  auto* readConn = dynamic_cast<TKitImageListConnector*>(root->FindComponent("Conn"));
  ASSERT_NE(readConn, nullptr);
  EXPECT_EQ(read->ImageList(), readConn);
  // One refresh after loading, made when the connector already reaches the read list.
  ASSERT_EQ(read->seen.size(), 1u);
  EXPECT_EQ(Rgb(read->seen[0]), Rgb(clRed));

  // And the read form shows the glyph.
  auto* form = dynamic_cast<TForm*>(root.get());
  ASSERT_NE(form, nullptr);
  form->Show();
  Settle(form);
  EXPECT_EQ(Count(form, Rect(10, 10, 70, 30), clRed), 16);
}

TEST_F(KitDetails, AControlOnAnOwnListIsNotRefreshedAfterReading) {
  RegisterClass(TForm::StaticClass());
  RegisterKitContainerClasses();
  RegisterClass(TTestGlyphLabel::StaticClass());
  auto* list = new TKitImageList(form_.get());
  list->SetName("Own");
  auto* label = new TTestGlyphLabel(form_.get());
  label->SetName("G");
  label->SetParent(form_.get());
  label->SetImageList(list);
  form_->SetName("F");
  std::unique_ptr<TComponent> root = ReadComponentText(WriteComponentText(form_.get()));
  auto* read = dynamic_cast<TTestGlyphLabel*>(root->FindComponent("G"));
  ASSERT_NE(read, nullptr);
  EXPECT_NE(read->ImageList(), nullptr);
  EXPECT_TRUE(read->seen.empty());
}

}  // namespace
