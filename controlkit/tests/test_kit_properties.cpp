// Property objects: change events under the update lock, gradient colours, settings
// texts, fills, the alpha and effect objects, and the 24-bit pixel procedures' results.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controlkit/kit_container.h"
#include "controlkit/kit_image_list.h"
#include "controlkit/kit_properties.h"
#include "kit_paper.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/persistent.h"

namespace {

using kit_test::Paper;

// Counts the OnChange events of a kit object.
struct Counter {
  int n = 0;
  template <class T>
  explicit Counter(T& object) {
    object.OnChange = [this](TObject*) { ++n; };
  }
};

// A 24-bit bitmap filled with one colour (0x00BBGGRR as TColor).
std::unique_ptr<TBitmap> Solid(int w, int h, TColor c) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(w, h);
  bmp->Canvas()->Brush()->SetColor(c);
  bmp->Canvas()->FillRect(Rect(0, 0, w, h));
  return bmp;
}

// The three bytes of pixel (x, y): blue, green, red.
std::vector<int> BytesAt(TBitmap& bmp, int x, int y) {
  const Byte* p = static_cast<const Byte*>(bmp.ScanLine(y)) + x * 3;
  return {p[0], p[1], p[2]};
}

void SetBytes(TBitmap& bmp, int x, int y, Byte b, Byte g, Byte r) {
  Byte* p = static_cast<Byte*>(bmp.ScanLine(y)) + x * 3;
  p[0] = b;
  p[1] = g;
  p[2] = r;
}

// ---- the change pattern -----------------------------------------------------------------------------

TEST(KitProperties, SettersReportOnlyRealChanges) {
  TKitButtonLayout layout;
  Counter c(layout);
  layout.SetSpacing(2);  // the default
  layout.SetAlignment(agCenter);
  layout.SetArrowSize(3);
  EXPECT_EQ(c.n, 0);
  layout.SetSpacing(5);
  layout.SetOffset(1, 7);
  layout.SetArrow(true);
  EXPECT_EQ(c.n, 3);
  EXPECT_EQ(layout.OffsetY(), 7);
  layout.SetArrowSize(40);  // held to 2..10
  EXPECT_EQ(layout.ArrowSize(), 10);

  TKit3DCaption caption;
  Counter cc(caption);
  caption.SetStyle(tdNone);
  caption.SetLightColor(clBtnHighlight);
  EXPECT_EQ(cc.n, 0);
  caption.SetStyle(tdShadow);
  EXPECT_EQ(cc.n, 1);
}

TEST(KitProperties, TheUpdateLockHoldsChangesBackUntilEndUpdate) {
  TKitGradient gradient;
  Counter c(gradient);
  gradient.BeginUpdate();
  gradient.SetColorCount(4);
  gradient.SetStyle(gstHorizontal);
  gradient.SetColor(0x0000FF);
  EXPECT_EQ(c.n, 0);
  gradient.EndUpdate(true);
  EXPECT_EQ(c.n, 1);
  gradient.BeginUpdate();
  gradient.SetColorCount(5);
  gradient.EndUpdate(false);
  EXPECT_EQ(c.n, 1);
  // The colours follow even while locked.
  EXPECT_EQ(gradient.Colors().size(), 5u);

  // Assign: one change; and inside a caller's lock, none until the caller ends it.
  TKitFxCaption a, b;
  a.SetAngle(90);
  a.SetStyle(tdRaised);
  a.SetPosXY(3, 4);
  Counter cb(b);
  b.Assign(&a);
  EXPECT_EQ(cb.n, 1);
  EXPECT_EQ(b.Angle(), 90);
  EXPECT_EQ(b.Style(), tdRaised);
  EXPECT_EQ(b.PosY(), 4);
  TKitFxCaption d;
  Counter cd(d);
  d.BeginUpdate();
  d.Assign(&a);
  EXPECT_EQ(cd.n, 0);
  EXPECT_TRUE(d.IsUpdating());
  d.EndUpdate(true);
  EXPECT_EQ(cd.n, 1);

  // Owned sub-objects report to their owner.
  TKitFillObject fill;
  Counter cf(fill);
  fill.Gradient()->SetColorCount(3);
  fill.Brush()->SetColor(0x123456);
  fill.Bitmap()->SetSize(2, 2);
  EXPECT_GE(cf.n, 3);
}

TEST(KitProperties, FillPlacementChangesOnlyWhenTheyMatter) {
  TKitFillObject fill;
  Counter c(fill);
  fill.SetOffsetX(5);  // sfNone: no change reported, but the value is kept
  fill.SetAlignment(agCenter);
  EXPECT_EQ(c.n, 0);
  EXPECT_EQ(fill.OffsetX(), 5);
  fill.SetStyle(sfBitmap);
  fill.SetTileMode(tmNone);
  EXPECT_EQ(c.n, 2);
  fill.SetOffsetY(1);
  fill.SetAlignment(agTopLeft);
  EXPECT_EQ(c.n, 4);
}

// ---- gradient -------------------------------------------------------------------------------------------

TEST(KitProperties, GradientColours) {
  TKitGradient g;
  g.SetColor(clBlack);
  g.SetEndColor(0xFFFFFF);
  g.SetColorCount(3);
  EXPECT_EQ(g.Colors(), (std::vector<TColor>{0x000000, 0x808080, 0xFFFFFF}));

  g.SetTwoColors(false);
  g.SetColorCount(16);
  g.SetColorList({0x0000FF, 0x00FF00, 0xFF0000});
  EXPECT_EQ(g.Colors().size(), 9u);  // 5 + 4
  EXPECT_EQ(g.Colors().front(), 0x0000FF);
  EXPECT_EQ(g.Colors()[4], 0x00FF00);  // the joint colour once
  EXPECT_EQ(g.Colors().back(), 0xFF0000);
  g.SetColorList({0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF});
  EXPECT_EQ(g.Colors().size(), 10u);  // 4 + 3 + 3
  g.SetColorList({0x0000FF});
  EXPECT_TRUE(g.Colors().empty());

  g.SetColorCount(500);
  EXPECT_EQ(g.ColorCount(), 236);
  g.SetColorCount(1);
  EXPECT_EQ(g.ColorCount(), 2);

  g.SetPaletteRealize(true);
  g.SetTwoColors(true);
  EXPECT_NE(g.Palette(), nullptr);
  g.SetPaletteRealize(false);
  EXPECT_EQ(g.Palette(), nullptr);
}

TEST(KitProperties, GradientKeyColoursAreStoredAsColorList) {
  TKitGradient g;
  g.SetTwoColors(false);
  g.SetColorList({0x010203, 0x0A0B0C});
  TMemoryWriter writer;
  writer.WriteProperties(&g);
  ASSERT_EQ(writer.Data().size(), 1u);
  EXPECT_EQ(writer.Data()[0].name, "ColorList");

  TKitGradient back;
  back.SetTwoColors(false);
  Counter c(back);
  TMemoryReader reader(writer.Data());
  reader.ReadProperties(&back);
  EXPECT_EQ(back.ColorList(), (std::vector<TColor>{0x010203, 0x0A0B0C}));
  EXPECT_EQ(c.n, 1);

  TKitGradient none;
  TMemoryWriter nothing;
  nothing.WriteProperties(&none);
  EXPECT_TRUE(nothing.Data().empty());
}

// ---- settings texts ---------------------------------------------------------------------------------------

TEST(KitProperties, SettingsTexts) {
  TKitGradient g;
  EXPECT_EQ(g.SettingsText(), "vertical, Col: 16, 2 col mode");
  g.SetStyle(gstTopRightDiagonal);
  g.SetTwoColors(false);
  g.SetColorCount(7);
  EXPECT_EQ(g.SettingsText(), "top right diag, Col: 7, mult. col mode");

  TKit3DCaption c3;
  EXPECT_EQ(c3.SettingsText(), "{Disabled}");
  c3.SetStyle(tdSunkenShadow);
  EXPECT_EQ(c3.SettingsText(), "{sunken shadow}");
  c3.SetStyle(tdPColorRaised);
  EXPECT_EQ(c3.SettingsText(), "{}");

  TKitFxCaption fx;
  fx.SetAngle(45);
  EXPECT_EQ(fx.SettingsText(), "{ rot: 45}");
  fx.SetStyle(tdOutline);
  EXPECT_EQ(fx.SettingsText(), "{outline, rot: 45}");
  fx.SetAngle(0);
  EXPECT_EQ(fx.SettingsText(), "{outline}");

  TKitShapeFill shape;
  EXPECT_EQ(shape.SettingsText(), "{Brush}");
  shape.SetStyle(sfNone);
  EXPECT_EQ(shape.SettingsText(), "{Disabled}");
  shape.SetStyle(sfBrushBitmap);
  EXPECT_EQ(shape.SettingsText(), "{}");

  TKitAlphaObject alpha;
  EXPECT_EQ(alpha.SettingsText(), "{Disabled}");
  alpha.SetEnabled(true);
  alpha.SetStrength(0.5f);
  alpha.FillObject()->SetStyle(sfGradient);
  EXPECT_EQ(alpha.SettingsText(), "{Enabled (grad), strength: 0.5}");
  alpha.FillObject()->SetStyle(sfBitmap);
  EXPECT_EQ(alpha.SettingsText(), "{Enabled (bmp), strength: 0.5}");

  TKitBitmapEffectObject effects;
  EXPECT_EQ(effects.SettingsText(), "{None}");
  effects.SetGrayScale(true);
  effects.SetFlipVertical(true);
  effects.AlphaBlend()->SetEnabled(true);
  EXPECT_EQ(effects.SettingsText(), "{alpha, FV, GS}");
}

// ---- fills --------------------------------------------------------------------------------------------------

TEST(KitProperties, FillObjectDrawsByStyle) {
  TKitFillObject fill;
  Paper paper(8, 6, clWhite);
  EXPECT_FALSE(fill.Fill(paper.C(), Rect(0, 0, 8, 6), clWhite));  // sfNone

  fill.SetStyle(sfBrush);
  fill.Brush()->SetColor(0x00FF00);
  EXPECT_TRUE(fill.Fill(paper.C(), Rect(1, 1, 4, 3), clWhite));
  EXPECT_EQ(paper.Map(Rect(0, 0, 5, 4), {{clWhite, '.'}, {0x00FF00, 'g'}}),
            (std::vector<std::string>{".....", ".ggg.", ".ggg.", "....."}));

  // A bitmap placed bottom-right and moved by the offsets, the rest filled.
  paper.Fill(clWhite);
  fill.SetStyle(sfBitmap);
  fill.SetTileMode(tmNone);
  fill.SetAlignment(agBottomRight);
  fill.SetOffsetX(-1);
  fill.Bitmap()->Assign(Solid(2, 2, 0x0000FF).get());
  EXPECT_TRUE(fill.Fill(paper.C(), Rect(0, 0, 6, 4), 0xFF0000));
  EXPECT_EQ(paper.Map(Rect(0, 0, 7, 5), {{clWhite, '.'}, {0xFF0000, 'b'}, {0x0000FF, 'R'}}),
            (std::vector<std::string>{"bbbbbb.", "bbbbbb.", "bbbRRb.", "bbbRRb.", "......."}));

  // Tiled: the whole rectangle.
  paper.Fill(clWhite);
  fill.SetTileMode(tmTile);
  EXPECT_TRUE(fill.Fill(paper.C(), Rect(0, 0, 3, 3), clWhite));
  EXPECT_EQ(paper.At(2, 2), 0x0000FF);
  EXPECT_EQ(paper.At(3, 3), clWhite);

  // The list bitmap is empty: the background is filled and nothing else drawn.
  paper.Fill(clWhite);
  fill.SetStyle(sfBitmapList);
  EXPECT_FALSE(fill.Fill(paper.C(), Rect(0, 0, 2, 2), 0xFF0000));
  EXPECT_EQ(paper.At(1, 1), 0xFF0000);

  // A gradient in horizontal bands of its colours.
  paper.Fill(clWhite);
  fill.SetStyle(sfGradient);
  fill.Gradient()->SetStyle(gstHorizontal);
  fill.Gradient()->SetColor(clBlack);
  fill.Gradient()->SetEndColor(0xFFFFFF);
  fill.Gradient()->SetColorCount(2);
  EXPECT_TRUE(fill.Fill(paper.C(), Rect(0, 0, 4, 2), clWhite));
  EXPECT_EQ(paper.Map(Rect(0, 0, 4, 2), {{clWhite, 'w'}, {clBlack, 'k'}}),
            (std::vector<std::string>{"kkww", "kkww"}));
}

// Every gradient style stays inside its rectangle, through a buffer or straight onto the canvas.
TEST(KitProperties, GradientFillsPaintNothingOutsideTheirRectangle) {
  for (const bool buffered : {true, false})
    for (int style = gstHorizontal; style <= gstTopRightDiagonal; ++style) {
      TKitFillObject fill;
      fill.SetStyle(sfGradient);
      fill.SetOptions(buffered ? TKitFillOptions{foFillInner, foGrUseBitmap} : TKitFillOptions{foFillInner});
      fill.Gradient()->SetStyle(static_cast<TKitGradientStyle>(style));
      Paper paper(160, 160, clWhite);
      ASSERT_TRUE(fill.Fill(paper.C(), Rect(30, 30, 130, 130), clWhite));
      int outside = 0;
      for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 160; ++x)
          outside += (x < 30 || x >= 130 || y < 30 || y >= 130) && paper.At(x, y) != clWhite;
      EXPECT_EQ(outside, 0) << "style " << style << " buffered " << buffered;
      EXPECT_NE(paper.At(80, 80), clWhite) << "style " << style;
    }
}

// ---- alpha and effects ---------------------------------------------------------------------------------------

TEST(KitProperties, AlphaObjectTakesItsImageFromAnImageList) {
  TKitAlphaObject alpha;
  Counter c(alpha);
  auto list = std::make_unique<TKitImageList>(nullptr);
  TKitImageListItem* item = list->GetItemAt(list->Add());
  item->SetWidth(2);
  item->SetHeight(2);
  auto strip = Solid(4, 2, 0x0000FF);
  strip->Canvas()->SetPixels(2, 0, 0x00FF00);
  item->Add(strip.get(), nullptr);

  alpha.SetImageList(list.get());  // image (0, 0): red
  ASSERT_FALSE(alpha.FillObject()->ListBitmap()->Empty());
  EXPECT_EQ(alpha.FillObject()->ListBitmap()->Canvas()->Pixels(0, 0), 0x0000FF);
  alpha.SetImageIndex(1);
  ASSERT_FALSE(alpha.FillObject()->ListBitmap()->Empty());
  EXPECT_EQ(alpha.FillObject()->ListBitmap()->Canvas()->Pixels(0, 0), 0x00FF00);
  alpha.SetImageIndex(5);  // no such image: emptied
  EXPECT_TRUE(alpha.FillObject()->ListBitmap()->Empty());
  EXPECT_EQ(c.n, 3);
  const int before = c.n;
  item->Add(Solid(2, 2, 0).get(), nullptr);  // the list's change reaches the object
  EXPECT_GT(c.n, before);

  // A freed list is forgotten, not left dangling.
  list.reset();
  EXPECT_EQ(alpha.ImageList(), nullptr);
  alpha.SetImageIndex(0);
  EXPECT_TRUE(alpha.FillObject()->ListBitmap()->Empty());
}

TEST(KitProperties, AlphaObjectStoresOnlyTheSharedListsBySignature) {
  TKitAlphaObject alpha;
  TKitImageList mine(nullptr);
  alpha.SetImageList(&mine);
  TMemoryWriter privateList;
  privateList.WriteProperties(&alpha);
  EXPECT_TRUE(privateList.Data().empty());

  alpha.SetImageList(KitContainer()->BitmapList());
  TMemoryWriter shared;
  shared.WriteProperties(&alpha);
  ASSERT_EQ(shared.Data().size(), 1u);
  EXPECT_EQ(shared.Data()[0].name, "Internal");
  ASSERT_EQ(shared.Data()[0].values.size(), 1u);
  EXPECT_EQ(shared.Data()[0].values[0].text, "KITBML30");

  TKitAlphaObject back;
  TMemoryReader reader(shared.Data());
  reader.ReadProperties(&back);
  EXPECT_EQ(back.ImageList(), KitContainer()->BitmapList());
}

TEST(KitProperties, EffectsApplyInOrderToATwentyFourBitCopy) {
  TKitBitmapEffectObject effects;
  EXPECT_FALSE(effects.Active());
  effects.SetBuffered(true);
  EXPECT_FALSE(effects.Active());
  effects.SetFlipHorizontal(true);
  effects.SetInvert(true);
  EXPECT_TRUE(effects.Active());

  TBitmap bmp;
  bmp.SetPixelFormat(pf32bit);
  bmp.SetSize(2, 1);
  bmp.Canvas()->SetPixels(0, 0, 0x000010);
  bmp.Canvas()->SetPixels(1, 0, 0x200000);
  effects.Apply(&bmp);
  EXPECT_EQ(bmp.PixelFormat(), pf24bit);
  // Flipped, then inverted.
  EXPECT_EQ(BytesAt(bmp, 0, 0), (std::vector<int>{255 - 0x20, 255, 255}));
  EXPECT_EQ(BytesAt(bmp, 1, 0), (std::vector<int>{255, 255, 255 - 0x10}));

  // An enabled alpha blend goes first: half of a blue brush over black.
  TKitBitmapEffectObject alpha;
  alpha.AlphaBlend()->SetEnabled(true);
  alpha.AlphaBlend()->SetStrength(0.5f);
  alpha.AlphaBlend()->FillObject()->SetStyle(sfBrush);
  alpha.AlphaBlend()->FillObject()->Brush()->SetColor(0xC80000);
  alpha.SetBrightness(10);
  auto black = Solid(2, 2, 0);
  alpha.Apply(black.get());
  EXPECT_EQ(BytesAt(*black, 1, 1), (std::vector<int>{100 + 10, 10, 10}));
}

// ---- 24-bit pixel procedures -------------------------------------------------------------------------------

TEST(KitPixels, GrayScaleRoundsEachProduct) {
  auto src = Solid(3, 1, 0);
  SetBytes(*src, 0, 0, 0, 0, 5);        // red 5: 0.3 x 5 = 1.5 -> 2
  SetBytes(*src, 1, 0, 255, 255, 255);  // 76 + 150 + 28
  SetBytes(*src, 2, 0, 50, 100, 10);    // 3 + 59 + 6 (5.5 -> 6)
  auto dst = Solid(3, 1, 0x123456);
  GrayScaleBitmap(src.get(), Rect(0, 0, 3, 1), dst.get(), Point(0, 0));
  EXPECT_EQ(BytesAt(*dst, 0, 0), (std::vector<int>{2, 2, 2}));
  EXPECT_EQ(BytesAt(*dst, 1, 0), (std::vector<int>{254, 254, 254}));
  EXPECT_EQ(BytesAt(*dst, 2, 0), (std::vector<int>{68, 68, 68}));
}

TEST(KitPixels, FlipsInvertAndBrightness) {
  auto bmp = Solid(3, 3, 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) SetBytes(*bmp, x, y, static_cast<Byte>(x), static_cast<Byte>(y), 0);
  FlipVertical(bmp.get(), Rect(0, 0, 3, 3));
  EXPECT_EQ(BytesAt(*bmp, 1, 0), (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(BytesAt(*bmp, 1, 2), (std::vector<int>{1, 0, 0}));
  FlipHorizontal(bmp.get(), Rect(0, 0, 2, 3));  // only the first two columns
  EXPECT_EQ(BytesAt(*bmp, 0, 0), (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(BytesAt(*bmp, 2, 0), (std::vector<int>{2, 2, 0}));

  auto inv = Solid(2, 1, 0);
  InvertBitmap(bmp.get(), Rect(0, 0, 2, 1), inv.get(), Point(0, 0));
  EXPECT_EQ(BytesAt(*inv, 0, 0), (std::vector<int>{254, 253, 255}));

  auto bright = Solid(2, 2, 0x0A64C8);  // red 200, green 100, blue 10
  BrightnessBitmap(bright.get(), Rect(0, 0, 2, 2), bright.get(), Point(0, 0), 100);
  EXPECT_EQ(BytesAt(*bright, 1, 1), (std::vector<int>{110, 200, 255}));
  BrightnessBitmap(bright.get(), Rect(0, 0, 2, 2), bright.get(), Point(0, 0), -255);
  EXPECT_EQ(BytesAt(*bright, 0, 0), (std::vector<int>{0, 0, 0}));
}

TEST(KitPixels, AlphaBlendResultsAndClamping) {
  auto one = Solid(2, 1, 0xC8C8C8);  // every byte 200
  auto two = Solid(2, 1, 0x646464);  // every byte 100
  auto target = Solid(2, 1, 0);
  AlphaBlendBitmaps(one.get(), two.get(), Rect(0, 0, 2, 1), Point(0, 0), 0.6f, target.get(), Point(0, 0));
  EXPECT_EQ(BytesAt(*target, 1, 0), (std::vector<int>{160, 160, 160}));
  AlphaBlendBitmaps(one.get(), two.get(), Rect(0, 0, 2, 1), Point(0, 0), 1.0f, target.get(), Point(0, 0));
  EXPECT_EQ(BytesAt(*target, 0, 0), (std::vector<int>{200, 200, 200}));
  AlphaBlendBitmaps(one.get(), two.get(), Rect(0, 0, 2, 1), Point(0, 0), 0.0f, target.get(), Point(0, 0));
  EXPECT_EQ(BytesAt(*target, 0, 0), (std::vector<int>{100, 100, 100}));
  // Strengths outside 0..1 would leave the byte range: clamped.
  AlphaBlendBitmaps(one.get(), two.get(), Rect(0, 0, 2, 1), Point(0, 0), 2.0f, target.get(), Point(0, 0));
  EXPECT_EQ(BytesAt(*target, 0, 0), (std::vector<int>{255, 255, 255}));
  AlphaBlendBitmaps(one.get(), two.get(), Rect(0, 0, 2, 1), Point(0, 0), -1.5f, target.get(), Point(0, 0));
  EXPECT_EQ(BytesAt(*target, 0, 0), (std::vector<int>{0, 0, 0}));
  // Halves go to even: 0.5 x 1 = 0.5 -> 0, 0.5 x 3 = 1.5 -> 2.
  auto odd = Solid(1, 1, 0x030101);
  auto zero = Solid(1, 1, 0);
  AlphaBlendBitmaps(odd.get(), zero.get(), Rect(0, 0, 1, 1), Point(0, 0), 0.5f, target.get(), Point(0, 0));
  EXPECT_EQ(BytesAt(*target, 0, 0), (std::vector<int>{2, 0, 0}));
}

TEST(KitPixels, AreasAreCutToEveryBitmap) {
  auto src = Solid(4, 4, 0x010101);
  auto dst = Solid(3, 3, 0);
  // Reaching past every edge: only the overlap is written, nothing outside.
  // Source (-2, -2) lands on target (0, 0), so only target (2, 2) has a source pixel.
  InvertBitmap(src.get(), Rect(-2, -2, 10, 10), dst.get(), Point(0, 0));
  EXPECT_EQ(BytesAt(*dst, 0, 0), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(BytesAt(*dst, 1, 1), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(BytesAt(*dst, 2, 1), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(BytesAt(*dst, 2, 2), (std::vector<int>{254, 254, 254}));
  FlipVertical(src.get(), Rect(2, -5, 9, 9));
  FlipHorizontal(src.get(), Rect(-3, 0, 2, 1));
  AlphaBlendBitmaps(src.get(), dst.get(), Rect(0, 0, 100, 100), Point(2, 2), 0.5f, dst.get(), Point(-1, 0));
  GrayScaleBitmap(src.get(), Rect(3, 3, 3, 9), dst.get(), Point(0, 0));  // empty
  SUCCEED();
}

TEST(KitPixels, OnlyTwentyFourBitBitmapsAreTouched) {
  auto good = Solid(2, 2, 0x102030);
  TBitmap other;
  other.SetPixelFormat(pf32bit);
  other.SetSize(2, 2);
  auto message = [](auto f) {
    try {
      f();
    } catch (const EKitWrongPixelFormat& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_EQ(message([&] {
              AlphaBlendBitmaps(good.get(), &other, Rect(0, 0, 2, 2), Point(0, 0), 0.5f, good.get(), Point(0, 0));
            }),
            "Wrong PixelFormat in Source 2 bitmap!");
  EXPECT_EQ(message([&] {
              AlphaBlendBitmaps(&other, good.get(), Rect(0, 0, 2, 2), Point(0, 0), 0.5f, good.get(), Point(0, 0));
            }),
            "Wrong PixelFormat in Source 1 bitmap!");
  EXPECT_EQ(message([&] {
              AlphaBlendBitmaps(good.get(), good.get(), Rect(0, 0, 2, 2), Point(0, 0), 0.5f, &other, Point(0, 0));
            }),
            "Wrong PixelFormat in Target bitmap!");
  EXPECT_EQ(message([&] { InvertBitmap(good.get(), Rect(0, 0, 2, 2), &other, Point(0, 0)); }),
            "Wrong PixelFormat in Target bitmap!");
  EXPECT_EQ(BytesAt(*good, 0, 0), (std::vector<int>{0x10, 0x20, 0x30}));
}

}  // namespace
