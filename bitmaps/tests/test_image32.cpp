// The image control: where each scale mode and alignment puts the bitmap, how control
// and bitmap coordinates map through the cache, update pairing, the order of the paint
// stages, and the pixels left in the buffer and on the window, tiles included.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "bitmaps/image32.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/forms.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace {

constexpr TColor kControlColor = 0x00336699;        // 0x00BBGGRR
constexpr TColor32 kControlColor32 = 0xFF996633u;  // the same as a pixel

// Opaque, with red x and green y.
TColor32 CoordinatePixel(Integer x, Integer y) { return Color32(static_cast<Byte>(x), static_cast<Byte>(y), 0x40); }

void FillCoordinates(TBitmap32& b, Integer w, Integer h) {
  b.SetSize(w, h);
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) b.SetPixel(x, y, CoordinatePixel(x, y));
}

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(100, 50, 500, 400);
    image_ = new TImage32(form_.get());
    image_->SetParent(form_.get());
    image_->SetColor(kControlColor);
  }
  void TearDown() override {
    form_.reset();
    win::ResetWindowSystem();
  }

  // The first time by showing the form, then by repainting the image.
  void Paint() {
    if (form_->Visible()) {
      image_->Repaint();
      return;
    }
    form_->Show();
    win::PumpPendingMessages();
    win::UpdateWindow(image_->Handle());
  }
  TColor32 At(Integer x, Integer y) { return image_->Buffer()->Pixel(x, y); }
  void Place(Integer bw, Integer bh, Integer cw, Integer ch, TScaleMode mode, TBitmapAlign align, Single scale = 1) {
    image_->SetBounds(0, 0, cw, ch);
    image_->SetScaleMode(mode);
    image_->SetBitmapAlign(align);
    image_->SetScale(scale);
    image_->Bitmap()->SetSize(bw, bh);
  }

  std::unique_ptr<TForm> form_;
  TImage32* image_ = nullptr;
};

// ---- placement and mapping ------------------------------------------------------------------------

TEST_F(ImageTest, EachScaleModeAndAlignmentPlacesTheBitmapAndCachesItsMapping) {
  struct Case {
    const char* name;
    Integer bw, bh, cw, ch;
    TScaleMode mode;
    TBitmapAlign align;
    Single scale;
    TRect rect;
    TCoordXForm xform;
  };
  const Case cases[] = {
      {"normal", 100, 50, 300, 200, smNormal, baTopLeft, 1, {0, 0, 100, 50}, {65536, 65536, 0, 0, 65536, 65536}},
      {"centred", 100, 50, 300, 200, smNormal, baCenter, 1, {100, 75, 200, 125}, {65536, 65536, 100, 75, 65536, 65536}},
      // The free room is halved truncating toward zero, also when it is negative.
      {"odd centred", 101, 51, 300, 200, smNormal, baCenter, 1, {99, 74, 200, 125},
       {65536, 65536, 99, 74, 65536, 65536}},
      {"larger centred", 401, 301, 300, 200, smNormal, baCenter, 1, {-50, -50, 351, 251},
       {65536, 65536, -50, -50, 65536, 65536}},
      {"stretch", 100, 50, 300, 200, smStretch, baTopLeft, 1, {0, 0, 300, 200}, {196608, 262144, 0, 0, 21845, 16384}},
      {"scale 2.5", 100, 50, 300, 200, smScale, baTopLeft, 2.5f, {0, 0, 250, 125},
       {163840, 163840, 0, 0, 26214, 26214}},
      // 50.5 rounds to the even 50, 25.5 to 26.
      {"scale half", 101, 51, 300, 200, smScale, baTopLeft, 0.5f, {0, 0, 50, 26}, {32444, 33411, 0, 0, 132383, 128551}},
      {"resize wide", 100, 50, 300, 300, smResize, baCenter, 1, {0, 75, 300, 225},
       {196608, 196608, 0, 75, 21845, 21845}},
      {"resize tall", 50, 100, 300, 300, smResize, baCenter, 1, {75, 0, 225, 300},
       {196608, 196608, 75, 0, 21845, 21845}},
      {"tile", 128, 128, 300, 200, smNormal, baTile, 1, {0, 0, 128, 128}, {65536, 65536, 0, 0, 65536, 65536}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Place(c.bw, c.bh, c.cw, c.ch, c.mode, c.align, c.scale);
    const TRect r = image_->GetBitmapRect();
    EXPECT_EQ((std::vector<Integer>{r.left, r.top, r.right, r.bottom}),
              (std::vector<Integer>{c.rect.left, c.rect.top, c.rect.right, c.rect.bottom}));
    EXPECT_FALSE(image_->CacheValid());
    image_->UpdateCache();
    EXPECT_EQ(image_->CachedXForm(), c.xform);
  }
  // Custom offsets round halves to even.
  image_->SetBitmapAlign(baCustom);
  image_->SetOffsetHorz(10.5f);
  image_->SetOffsetVert(-3.5f);
  EXPECT_EQ(image_->GetBitmapRect().left, 10);
  EXPECT_EQ(image_->GetBitmapRect().top, -4);
  EXPECT_EQ(image_->BitmapToControl(TPoint{0, 0}).y, -4);
  // The layers read the same mapping.
  EXPECT_EQ(image_->Layers()->CoordXForm(), &image_->CachedXForm());
}

TEST_F(ImageTest, ControlAndBitmapPointsMapBothWaysUntilTheControlResizes) {
  struct Setting {
    const char* name;
    TScaleMode mode;
    TBitmapAlign align;
    Single scale;
    Integer factor;  // control pixels per bitmap pixel
    TPoint origin;   // where bitmap (0, 0) lands
  };
  const Setting settings[] = {
      {"normal", smNormal, baCenter, 1, 1, {150, 175}}, {"scale 2", smScale, baCenter, 2, 2, {100, 150}},
      {"resize", smResize, baCenter, 1, 4, {0, 100}},   {"custom", smScale, baCustom, 2, 2, {-7, 33}},
  };
  image_->SetOffsetHorz(-7);
  image_->SetOffsetVert(33);
  for (const Setting& s : settings) {
    SCOPED_TRACE(s.name);
    Place(100, 50, 400, 400, s.mode, s.align, s.scale);
    for (Integer by = 0; by < 50; by += 7)
      for (Integer bx = 0; bx < 100; bx += 9) {
        const TPoint c = image_->BitmapToControl(TPoint{bx, by});
        ASSERT_EQ(c.x, s.origin.x + bx * s.factor);
        ASSERT_EQ(c.y, s.origin.y + by * s.factor);
        // Every control pixel of the bitmap pixel maps back to it.
        for (Integer d = 0; d < s.factor; ++d) {
          const TPoint b = image_->ControlToBitmap(TPoint{c.x + d, c.y + d});
          ASSERT_EQ(b.x, bx);
          ASSERT_EQ(b.y, by);
        }
      }
    EXPECT_EQ(image_->ControlToBitmap(TPoint{s.origin.x - 1, s.origin.y - 1}).x, -1);
  }

  // Resized to 300 x 300 the stretch is by three; the reverse scale keeps its rounding.
  EXPECT_TRUE(image_->CacheValid());
  Place(100, 50, 300, 300, smResize, baTopLeft);
  EXPECT_FALSE(image_->CacheValid());
  EXPECT_EQ(image_->BitmapToControl(TPoint{99, 49}).x, 297);
  EXPECT_EQ(image_->BitmapToControl(TPoint{99, 49}).y, 147);
  EXPECT_EQ(image_->ControlToBitmap(TPoint{2, 2}).x, 0);
  EXPECT_EQ(image_->ControlToBitmap(TPoint{299, 149}).x, 99);
  EXPECT_EQ(image_->ControlToBitmap(TPoint{299, 149}).y, 49);
  // A move leaves the mapping as it is: it is in the control's own coordinates.
  image_->SetBounds(30, 30, 300, 300);
  EXPECT_TRUE(image_->CacheValid());
}

TEST_F(ImageTest, OnePixelBitmapsAndOnePixelControlsMap) {
  Place(1, 1, 200, 100, smStretch, baTopLeft);
  image_->UpdateCache();
  EXPECT_EQ(image_->CachedXForm(), (TCoordXForm{200 * 65536, 100 * 65536, 0, 0, 328, 655}));
  EXPECT_EQ(image_->ControlToBitmap(TPoint{199, 99}).x, 0);
  EXPECT_EQ(image_->BitmapToControl(TPoint{1, 1}).x, 200);

  Place(100, 50, 1, 1, smStretch, baTopLeft);
  image_->UpdateCache();
  EXPECT_EQ(image_->CachedXForm(), (TCoordXForm{655, 1311, 0, 0, 100 * 65536, 50 * 65536}));
  EXPECT_EQ(image_->BitmapToControl(TPoint{99, 49}).x, 0);

  // Fitted into one pixel the height rounds to 0: nothing shows, the mapping is the
  // identity and painting draws no bitmap.
  image_->SetScaleMode(smResize);
  EXPECT_EQ(image_->GetBitmapRect().bottom, 0);
  image_->UpdateCache();
  EXPECT_EQ(image_->CachedXForm(), TCoordXForm{});
  image_->Bitmap()->Clear(0xFF123456u);
  Paint();
  EXPECT_EQ(At(0, 0), kControlColor32);
  image_->SetScaleMode(smStretch);
  Paint();
  EXPECT_EQ(At(0, 0), 0xFF123456u);
}

// ---- updates ----------------------------------------------------------------------------------

TEST_F(ImageTest, UpdatesHoldChangesBackAndAnUnpairedEndIsRefused) {
  int changes = 0;
  int resizes = 0;
  image_->OnChange = [&](TObject*) { ++changes; };
  image_->OnBitmapResize = [&](TObject*) { ++resizes; };
  image_->BeginUpdate();
  image_->BeginUpdate();
  image_->Bitmap()->SetSize(10, 10);
  image_->EndUpdate();
  image_->SetBitmapAlign(baCenter);
  image_->EndUpdate();
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(resizes, 0);

  try {
    image_->EndUpdate();
    ADD_FAILURE() << "no exception";
  } catch (const EAssertionFailed& e) {
    EXPECT_STREQ(e.what(), "Unpaired EndUpdate call");
  }
  // The count did not go below zero: changes are reported again at once.
  EXPECT_EQ(image_->UpdateCount(), 0);
  image_->Bitmap()->SetSize(20, 10);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(resizes, 1);

  // A scale below a thousandth (or no number) is a thousandth; the same value is no change.
  image_->SetScale(0);
  image_->SetScale(-3);
  image_->SetScale(std::numeric_limits<Single>::quiet_NaN());
  EXPECT_FLOAT_EQ(image_->Scale(), 0.001f);
  EXPECT_EQ(changes, 2);
}

TEST_F(ImageTest, AutoSizeTakesTheScaledBitmapSizeAtTheSamePlace) {
  image_->SetBounds(5, 6, 100, 100);
  image_->SetAutoSize(true);
  image_->SetScaleMode(smScale);
  image_->SetScale(1.5f);
  image_->Bitmap()->SetSize(31, 20);
  EXPECT_EQ((std::vector<Integer>{image_->Left(), image_->Top(), image_->Width(), image_->Height()}),
            (std::vector<Integer>{5, 6, 46, 30}));  // 46.5 to even
  // Aligned to the top, only the height follows the bitmap.
  image_->SetAlign(alTop);
  image_->Bitmap()->SetSize(10, 10);
  EXPECT_EQ(image_->Width(), form_->ClientWidth());
  EXPECT_EQ(image_->Height(), 15);
}

// ---- paint stages and pixels ------------------------------------------------------------------------

TEST_F(ImageTest, StagesRunInOrderAndOnlyInTheirMode) {
  TPaintStages* stages = image_->PaintStages();
  stages->Clear();
  std::vector<std::string> log;
  image_->OnPaintStage = [&](TObject*, TBitmap32* buffer, Cardinal stage) {
    EXPECT_EQ(buffer, image_->Buffer());
    // The clearing stage ran between the first two custom stages.
    log.push_back(std::to_string(stage) + (buffer->Pixel(0, 0) == kControlColor32 ? " cleared" : ""));
  };
  stages->Add().Stage = kStageCustom;       // 0
  stages->Add().Stage = kStageClearBuffer;  // 1
  TPaintStage& designOnly = stages->Add();  // 2
  designOnly.Stage = kStageCustom;
  designOnly.DsgnTime = true;
  designOnly.RunTime = false;
  TPaintStage& both = stages->Add();        // 3
  both.Stage = kStageCustom;
  both.DsgnTime = true;
  image_->Buffer()->Clear(0);
  Paint();
  EXPECT_EQ(log, (std::vector<std::string>{"0", "3 cleared"}));

  // A valid buffer is copied to the window again, not drawn.
  log.clear();
  win::InvalidateRect(image_->Handle(), nullptr, 0);
  win::UpdateWindow(image_->Handle());
  EXPECT_TRUE(log.empty());

  image_->SetDesigning(true);
  image_->Repaint();
  EXPECT_EQ(log, (std::vector<std::string>{"2 cleared", "3 cleared"}));
}

TEST_F(ImageTest, TheBitmapIsDrawnWhereItIsPlacedWithTheControlColourAround) {
  image_->SetBounds(10, 20, 40, 30);
  image_->SetBitmapAlign(baCenter);
  FillCoordinates(*image_->Bitmap(), 8, 6);
  Paint();
  // Centred at (16, 12).
  EXPECT_EQ(At(16, 12), CoordinatePixel(0, 0));
  EXPECT_EQ(At(23, 17), CoordinatePixel(7, 5));
  for (TPoint p : {TPoint{15, 12}, TPoint{24, 17}, TPoint{16, 11}, TPoint{16, 18}, TPoint{0, 0}, TPoint{39, 29}})
    EXPECT_EQ(At(p.x, p.y), kControlColor32) << p.x << "," << p.y;

  // The window shows the buffer at the control's place (COLORREF is 0x00BBGGRR), with
  // the GDI overlay drawn over the copy but not into the buffer.
  image_->OnGDIOverlay = [this](TObject*) {
    image_->Canvas()->Brush()->SetColor(0x000000FF);
    image_->Canvas()->FillRect(TRect{0, 0, 2, 2});
  };
  win::InvalidateRect(image_->Handle(), nullptr, 0);
  win::UpdateWindow(image_->Handle());
  win::WindowImage shot;
  ASSERT_TRUE(win::CaptureWindow(form_->Handle(), &shot));
  EXPECT_EQ(shot.At(10 + 23, 20 + 17), 0x400507u);
  EXPECT_EQ(shot.At(10 + 39, 20 + 29), 0x336699u);
  EXPECT_EQ(shot.At(10 + 1, 20 + 1), 0x0000FFu);
  EXPECT_EQ(At(1, 1), kControlColor32);
  image_->OnGDIOverlay = nullptr;

  // Stretched 2 x 2 to 4 x 4 with the bitmap's own (nearest) filter.
  Place(2, 2, 4, 4, smStretch, baTopLeft);
  const TColor32 corners[] = {0xFF000000u, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
  for (Integer i = 0; i < 4; ++i) image_->Bitmap()->SetPixel(i % 2, i / 2, corners[i]);
  Paint();
  for (Integer y = 0; y < 4; ++y)
    for (Integer x = 0; x < 4; ++x) EXPECT_EQ(At(x, y), corners[(y / 2) * 2 + x / 2]) << x << "," << y;
}

TEST_F(ImageTest, TilesRepeatAcrossTheWholeBufferAndAreCutAtItsEdge) {
  image_->SetBounds(0, 0, 300, 200);
  image_->SetBitmapAlign(baTile);
  FillCoordinates(*image_->Bitmap(), 128, 128);
  Paint();
  // The buffer (made at 232 x 232) grew to 340 wide and kept its height.
  ASSERT_EQ(image_->Buffer()->Width(), 340);
  ASSERT_EQ(image_->Buffer()->Height(), 232);
  for (Integer row = 0; row <= 1; ++row)
    for (Integer col = 0; col <= 2; ++col) {
      EXPECT_EQ(At(col * 128, row * 128), CoordinatePixel(0, 0)) << col << "," << row;
      EXPECT_EQ(At(col * 128 + 5, row * 128 + 7), CoordinatePixel(5, 7)) << col << "," << row;
    }
  EXPECT_EQ(At(339, 231), CoordinatePixel(339 - 256, 231 - 128));

  image_->Bitmap()->SetSize(1, 1);
  image_->Bitmap()->Clear(0xFF0A0B0Cu);
  Paint();
  EXPECT_EQ(At(339, 231), 0xFF0A0B0Cu);
}

}  // namespace

namespace {

class TImageDragHost : public TForm {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TImageDragHost>("TImageDragHost", TForm::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TImageDragHost>();
    p.Method("ImgStartDrag", &TImageDragHost::ImgStartDrag);
    p.Method("ImgDragOver", &TImageDragHost::ImgDragOver);
    p.Method("ImgDragDrop", &TImageDragHost::ImgDragDrop);
    p.Method("ImgEndDrag", &TImageDragHost::ImgEndDrag);
  }
  explicit TImageDragHost(TComponent* owner) : TForm(owner) {}

  void ImgStartDrag(TObject*, TDragObject*&) { log.push_back("start"); }
  void ImgDragOver(TObject*, TObject*, Integer x, Integer y, TDragState state, bool&) {
    log.push_back("over " + std::to_string(state) + " " + std::to_string(x) + "," + std::to_string(y));
  }
  void ImgDragDrop(TObject*, TObject* source, Integer x, Integer y) {
    log.push_back("drop " + dynamic_cast<TComponent*>(source)->Name() + " " + std::to_string(x) + "," +
                  std::to_string(y));
  }
  void ImgEndDrag(TObject*, TObject* target, Integer, Integer) {
    log.push_back(std::string("end ") + (target ? dynamic_cast<TComponent*>(target)->Name() : "nil"));
  }
  std::vector<std::string> log;
};

TEST(Image32Form, TheDragEventsAreReadFromAFormFileAndFire) {
  win::ResetWindowSystem();
  RegisterClass(TImageDragHost::StaticClass());
  TImageDragHost host(nullptr);
  ReadComponentTextInto(R"(object Host: TImageDragHost
  BorderStyle = bsNone
  Left = 100
  Top = 50
  object Img: TImage32
    Left = 10
    Top = 20
    Width = 64
    Height = 64
    DragCursor = crHandPoint
    OnStartDrag = ImgStartDrag
    OnDragOver = ImgDragOver
    OnDragDrop = ImgDragDrop
    OnEndDrag = ImgEndDrag
  end
end
)",
                        &host);
  auto* img = dynamic_cast<TImage32*>(host.FindComponent("Img"));
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->DragCursor(), crHandPoint);
  host.Show();
  win::PumpPendingMessages();
  // Dragged onto itself from (5, 6) of its client area.
  const TPoint at = img->ClientToScreen(TPoint{5, 6});
  win::SetCursorPos(at.x, at.y);
  win::PumpPendingMessages();
  img->BeginDrag(true);
  img->EndDrag(true);
  EXPECT_EQ(host.log, (std::vector<std::string>{"start", "over 0 5,6", "drop Img 5,6", "end Img"}));
  win::ResetWindowSystem();
}

}  // namespace
