// The kit's drawing procedures: bevels, borders, arrows, colour ramps, alignment, disabled
// and embossed bitmaps, masks, DrawBitmapExt and gradient fills, pixel for pixel.
#include <gtest/gtest.h>

#include <vector>

#include "controlkit/kit_application.h"
#include "controlkit/kit_draw.h"
#include "controlkit/tests/kit_paper.h"
#include "platform/win/gdi.h"
#include "platform/win/region_api.h"
#include "platform/win/system_tables.h"

namespace {

using kit_test::Paper;
using kit_test::Rgb;
using Rows = std::vector<std::string>;

constexpr TColor kLight = clRed;
constexpr TColor kShadow = clBlue;

// ---- bevels ----------------------------------------------------------------------------------

TEST(KitDrawBevel, RaisedWidthOneDrawsLightTopLeftAndShadowBottomRight) {
  Paper p(12, 12);
  TRect r = Rect(0, 0, 10, 10);
  EXPECT_TRUE(DrawBevel(p.C(), r, TKitBevelStyle::bvRaised, 1, kShadow, kLight));
  EXPECT_EQ(r, Rect(1, 1, 9, 9));
  EXPECT_EQ(p.Map(Rect(0, 0, 11, 11), {{clWhite, '.'}, {kLight, 'L'}, {kShadow, 'S'}}),
            (Rows{"LLLLLLLLLS.", "L........S.", "L........S.", "L........S.", "L........S.", "L........S.",
                  "L........S.", "L........S.", "L........S.", "LSSSSSSSSS.", "..........."}));
}

TEST(KitDrawBevel, LoweredAndNormalSwapTheColours) {
  Paper p(10, 10);
  TRect r = Rect(0, 0, 10, 10);
  EXPECT_TRUE(DrawBevel(p.C(), r, TKitBevelStyle::bvLowered, 1, kShadow, kLight));
  EXPECT_EQ(p.At(0, 5), kShadow);
  EXPECT_EQ(p.At(5, 0), kShadow);
  EXPECT_EQ(p.At(9, 5), kLight);
  EXPECT_EQ(p.At(5, 9), kLight);

  p.Fill(clWhite);
  r = Rect(0, 0, 10, 10);
  EXPECT_TRUE(DrawBevel(p.C(), r, TKitBevelStyle::bvNormal, 1, kShadow, kLight));
  EXPECT_EQ(p.At(0, 5), clBlack);
  EXPECT_EQ(p.At(9, 5), clBlack);
  EXPECT_EQ(r, Rect(1, 1, 9, 9));
}

TEST(KitDrawBevel, FrameLoweredIsTwoFramesOffsetByOnePixel) {
  Paper p(10, 10);
  TRect r = Rect(0, 0, 10, 10);
  EXPECT_TRUE(DrawBevel(p.C(), r, TKitBevelStyle::bvFrameLowered, 1, kShadow, kLight));
  EXPECT_EQ(r, Rect(2, 2, 8, 8));
  // Light frame (1, 1, 10, 10) first, then the shadow frame (0, 0, 9, 9) over it.
  EXPECT_EQ(p.Map(Rect(0, 0, 10, 10), {{clWhite, '.'}, {kLight, 'L'}, {kShadow, 'S'}}),
            (Rows{"SSSSSSSSS.", "SLLLLLLLSL", "SL......SL", "SL......SL", "SL......SL", "SL......SL", "SL......SL",
                  "SL......SL", "SSSSSSSSSL", ".LLLLLLLLL"}));
}

TEST(KitDrawBevel, WideBevelFillsTwoBands) {
  Paper p(10, 10);
  TRect r = Rect(0, 0, 10, 10);
  EXPECT_TRUE(DrawBevel(p.C(), r, TKitBevelStyle::bvRaised, 2, kShadow, kLight));
  EXPECT_EQ(r, Rect(2, 2, 8, 8));
  EXPECT_EQ(p.At(0, 0), kLight);
  EXPECT_EQ(p.At(0, 5), kLight);
  EXPECT_EQ(p.At(1, 5), kLight);
  EXPECT_EQ(p.At(5, 1), kLight);
  EXPECT_EQ(p.At(9, 5), kShadow);
  EXPECT_EQ(p.At(8, 5), kShadow);
  EXPECT_EQ(p.At(5, 9), kShadow);
  EXPECT_EQ(p.At(5, 8), kShadow);
  EXPECT_EQ(p.At(5, 5), clWhite);
}

TEST(KitDrawBevel, NothingForNoneShadowOrWidthZero) {
  Paper p(10, 10);
  for (auto [style, width] : {std::pair{TKitBevelStyle::bvNone, 1}, std::pair{TKitBevelStyle::bvShadow, 1},
                              std::pair{TKitBevelStyle::bvRaised, 0}}) {
    TRect r = Rect(0, 0, 10, 10);
    EXPECT_FALSE(DrawBevel(p.C(), r, style, width, kShadow, kLight));
    EXPECT_EQ(r, Rect(0, 0, 10, 10));
  }
  EXPECT_EQ(p.At(0, 0), clWhite);
  EXPECT_EQ(p.At(9, 9), clWhite);
}

TEST(KitDrawBevel, ShadowBevelFillsShadowNotchesAndFrame) {
  Paper p(10, 10);
  TRect r = Rect(0, 0, 10, 10);
  EXPECT_TRUE(DrawShadowBevel(p.C(), r, kLight, false, 1, 2, clGreen, kShadow));
  EXPECT_EQ(r, Rect(1, 1, 7, 7));
  EXPECT_EQ(p.Map(Rect(0, 0, 10, 10), {{clWhite, '.'}, {kLight, 'L'}, {kShadow, 'S'}, {clGreen, 'g'}}),
            (Rows{"LLLLLLLLgg", "L......Lgg", "L......LSS", "L......LSS", "L......LSS", "L......LSS", "L......LSS",
                  "LLLLLLLLSS", "ggSSSSSSSS", "ggSSSSSSSS"}));

  p.Fill(clWhite);
  r = Rect(0, 0, 10, 10);
  EXPECT_TRUE(DrawShadowBevel(p.C(), r, kLight, true, 2, 2, clGreen, kShadow));
  EXPECT_EQ(r, Rect(2, 2, 6, 6));
  EXPECT_EQ(p.At(9, 0), clWhite);  // notches left alone
  EXPECT_EQ(p.At(0, 9), clWhite);
  EXPECT_EQ(p.At(1, 1), kLight);   // second ring
}

// ---- borders ---------------------------------------------------------------------------------

TEST(KitDrawBorder, WidthsAndResultRectangles) {
  const std::vector<std::pair<TKitBorderStyle, TRect>> cases = {
      {lsNone, Rect(0, 0, 10, 10)},          {lsSingle, Rect(1, 1, 10, 10)},       {lsLowered, Rect(2, 2, 8, 8)},
      {lsRaised, Rect(2, 2, 8, 8)},          {lsRaisedspb, Rect(1, 1, 8, 8)},      {lsLoweredspb, Rect(2, 2, 9, 9)},
      {lsRaisedExt, Rect(2, 2, 8, 8)},       {lsLoweredExt, Rect(2, 2, 8, 8)},     {lsFrameInset, Rect(2, 2, 8, 8)},
      {lsFrameOffset, Rect(2, 2, 8, 8)},     {lsWindowBorder, Rect(2, 2, 8, 8)},   {lsSingleRaised, Rect(1, 1, 9, 9)},
      {lsSingleLowered, Rect(1, 1, 9, 9)},   {lsDoubleRaised, Rect(2, 2, 8, 8)},   {lsDoubleLowered, Rect(2, 2, 8, 8)}};
  for (const auto& [style, expected] : cases) {
    Paper p(10, 10);
    TRect r = Rect(0, 0, 10, 10);
    DrawBorder(p.C(), r, style, 0);
    EXPECT_EQ(r, expected) << "style " << int(style);
  }
  EXPECT_EQ(BorderWidth(lsNone), 0);
  EXPECT_EQ(BorderWidth(lsSingle), 1);
  EXPECT_EQ(BorderWidth(lsSingleRaised), 1);
  EXPECT_EQ(BorderWidth(lsSingleLowered), 1);
  EXPECT_EQ(BorderWidth(lsLowered), 2);
  EXPECT_EQ(BorderWidth(lsWindowBorder), 2);
  EXPECT_EQ(BorderWidth(lsDoubleLowered), 2);
}

TEST(KitDrawBorder, ExtraFlagsSkipTheSecondEdgeOfTheSpbStyles) {
  const TColor mono = Rgb(clWindow);
  // lsRaisedspb: the inner right edge is drawn without the extra (mono) flag.
  Paper p(10, 10, clGreen);
  TRect r = Rect(0, 0, 10, 10);
  DrawBorder(p.C(), r, lsRaisedspb, win::BF_MONO);
  EXPECT_EQ(p.At(9, 5), Rgb(clWindowFrame));
  EXPECT_EQ(p.At(8, 5), Rgb(clBtnShadow));
  // lsLoweredspb: both calls take it.
  p.Fill(clGreen);
  r = Rect(0, 0, 10, 10);
  DrawBorder(p.C(), r, lsLoweredspb, win::BF_MONO);
  EXPECT_EQ(p.At(0, 5), Rgb(clWindowFrame));
  EXPECT_EQ(p.At(1, 5), mono);
}

// ---- arrows ----------------------------------------------------------------------------------

TEST(KitDrawArrow, DownAndUpTriangles) {
  Paper p(8, 8);
  DrawArrow(p.C(), 1, 1, 3, clRed, true, true);
  EXPECT_EQ(p.Map(Rect(0, 0, 8, 5), {{clWhite, '.'}, {clRed, 'R'}}),
            (Rows{"........", ".RRRRR..", "..RRR...", "...R....", "........"}));
  p.Fill(clWhite);
  DrawArrow(p.C(), 2, 1, 3, clRed, false, true);
  EXPECT_EQ(p.Map(Rect(0, 0, 8, 5), {{clWhite, '.'}, {clRed, 'R'}}),
            (Rows{"........", "...R....", "..RRR...", ".RRRRR..", "........"}));
}

TEST(KitDrawArrow, DisabledIsEmbossedAndOddSizesDrawNothing) {
  Paper p(8, 8, clYellow);
  DrawArrow(p.C(), 0, 0, 3, clRed, true, false);
  const TColor hi = Rgb(clHighlightText), grey = Rgb(clGrayText);
  ASSERT_NE(hi, grey);
  EXPECT_EQ(p.Map(Rect(0, 0, 7, 4), {{clYellow, '.'}, {hi, 'h'}, {grey, 'g'}}),
            (Rows{"ggggg..", ".ggghh.", "..ghh..", "...h..."}));
  p.Fill(clYellow);
  DrawArrow(p.C(), 0, 0, 1, clRed, true, true);
  DrawArrow(p.C(), 0, 0, 16, clRed, false, true);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(p.At(x, y), clYellow);
}

// ---- colours ---------------------------------------------------------------------------------

TEST(KitDrawColors, ColorBetweenRoundsHalvesToEven) {
  EXPECT_EQ(ColorBetween(clBlack, clRed, 1, 2), 0x000080);     // 127.5 -> 128
  EXPECT_EQ(ColorBetween(0x000005, 0x000000, 1, 2), 0x000002);  // 2.5 -> 2
  EXPECT_EQ(ColorBetween(0x000000, 0x000007, 1, 2), 0x000004);  // 3.5 -> 4
  EXPECT_EQ(ColorBetween(clBlack, clBlue, 1, 4), 0x400000);     // 63.75 -> 64
  EXPECT_EQ(ColorBetween(clRed, clBlue, 0, 3), clRed);
  EXPECT_EQ(ColorBetween(clRed, clBlue, 3, 3), clBlue);
  EXPECT_EQ(ColorBetween(clBtnFace, clBtnFace, 1, 2), Rgb(clBtnFace));
  // No steps: the first colour instead of a division by zero.
  EXPECT_EQ(ColorBetween(clRed, clBlue, 1, 0), clRed);
}

TEST(KitDrawColors, BuildColorListRampsAndJoins) {
  std::vector<TColor> list{0x123456};
  BuildColorList(clBlack, clWhite, 3, true, list);
  EXPECT_EQ(list, (std::vector<TColor>{0x000000, 0x808080, 0xFFFFFF}));
  // Appending leaves out the shared joint colour; halves round away from zero.
  BuildColorList(clWhite, clBlack, 3, false, list);
  EXPECT_EQ(list, (std::vector<TColor>{0x000000, 0x808080, 0xFFFFFF, 0x7F7F7F, 0x000000}));
  BuildColorList(clBtnFace, clBlack, 2, true, list);
  EXPECT_EQ(list, (std::vector<TColor>{Rgb(clBtnFace), 0x000000}));
  // One colour: the first one, with no division by zero; nothing to append.
  BuildColorList(clRed, clBlue, 1, true, list);
  EXPECT_EQ(list, (std::vector<TColor>{clRed}));
  BuildColorList(clRed, clBlue, 1, false, list);
  EXPECT_EQ(list.size(), 1u);
  BuildColorList(clRed, clBlue, 0, true, list);
  EXPECT_TRUE(list.empty());
}

TEST(KitDrawColors, ColorPaletteHasNoCollapseEntries) {
  EXPECT_EQ(CreateColorPalette({}), nullptr);
  const win::HPALETTE pal = CreateColorPalette({clRed, clBtnFace, 0x123456});
  ASSERT_NE(pal, nullptr);
  win::PALETTEENTRY e[3];
  ASSERT_EQ(win::GetPaletteEntries(pal, 0, 3, e), 3u);
  EXPECT_EQ(e[0], (win::PALETTEENTRY{255, 0, 0, win::PC_NOCOLLAPSE}));
  const TColor face = Rgb(clBtnFace);
  EXPECT_EQ(e[1], (win::PALETTEENTRY{win::GetRValue(face), win::GetGValue(face), win::GetBValue(face), 4}));
  EXPECT_EQ(e[2], (win::PALETTEENTRY{0x56, 0x34, 0x12, 4}));
  win::DeleteObject(pal);
}

TEST(KitDrawAlign, AlignRectInEveryPosition) {
  const TRect inner = Rect(100, 100, 104, 102);
  const TRect outer = Rect(10, 20, 21, 31);  // 11 x 11: centre offset 3, far offset 7 and 9
  const std::vector<std::pair<TKitAlignment, TPoint>> cases = {
      {agTopLeft, Point(10, 20)},    {agTopCenter, Point(13, 20)},    {agTopRight, Point(17, 20)},
      {agCenterLeft, Point(10, 24)}, {agCenter, Point(13, 24)},       {agCenterRight, Point(17, 24)},
      {agBottomLeft, Point(10, 29)}, {agBottomCenter, Point(13, 29)}, {agBottomRight, Point(17, 29)}};
  for (const auto& [a, at] : cases) {
    TRect r;
    AlignRectIn(a, inner, outer, r);
    EXPECT_EQ(r, Bounds(at.x, at.y, 4, 2)) << int(a);
  }
}

// ---- bitmaps ---------------------------------------------------------------------------------

TEST(KitDrawBitmaps, DisabledBitmapFourTones) {
  Paper src(3, 2, clGreen);
  // Brightness 765, 576, 384, 0 and one more background pixel: average 431.25, offset 231.
  src.C()->SetPixels(1, 0, clWhite);
  src.C()->SetPixels(2, 0, 0xC0C0C0);
  src.C()->SetPixels(0, 1, 0x808080);
  src.C()->SetPixels(1, 1, clBlack);
  TBitmap target;
  MakeDisabledBitmap(&target, src.Bitmap());
  ASSERT_EQ(target.Width(), 3);
  ASSERT_EQ(target.Height(), 2);
  TCanvas* c = target.Canvas();
  EXPECT_EQ(c->Pixels(0, 0), clGreen);
  EXPECT_EQ(c->Pixels(2, 1), clGreen);
  EXPECT_EQ(c->Pixels(1, 0), Rgb(clBtnHighlight));  // 765 <= 781
  EXPECT_EQ(c->Pixels(2, 0), Rgb(clBtnHighlight));  // 481 < 576
  EXPECT_EQ(c->Pixels(0, 1), Rgb(clBtnShadow));     // 281 < 384 <= 481
  EXPECT_EQ(c->Pixels(1, 1), clBlack);

  // A bright background-free picture turns its brightest pixels white.
  Paper bright(2, 1, clBlack);
  bright.C()->SetPixels(1, 0, clWhite);
  MakeDisabledBitmap(&target, bright.Bitmap());
  // Average 765, offset 565: 615 < 765 <= 815 is button shadow.
  EXPECT_EQ(target.Canvas()->Pixels(1, 0), Rgb(clBtnShadow));
}

TEST(KitDrawBitmaps, DisabledBitmapOfOnlyBackgroundIsACopy) {
  Paper src(4, 3, clNavy);
  TBitmap target;
  MakeDisabledBitmap(&target, src.Bitmap());
  ASSERT_EQ(target.Width(), 4);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(target.Canvas()->Pixels(x, y), clNavy);
}

TEST(KitDrawBitmaps, EmbossedBitmapPaintsHighlightThenShadow) {
  Paper src(3, 3, clFuchsia);  // bottom-left pixel: the transparent colour
  src.C()->SetPixels(1, 1, clBlack);
  src.C()->SetPixels(2, 1, clRed);
  Paper target(5, 5, clWhite);
  DrawEmbossedBitmap(target.Bitmap(), src.Bitmap(), 0, 0);
  const TColor hi = Rgb(clBtnHighlight), sh = Rgb(clBtnShadow);
  EXPECT_EQ(target.Map(Rect(0, 0, 5, 4), {{clFuchsia, '.'}, {hi, 'h'}, {sh, 's'}}),
            (Rows{".....", ".ss..", "..hh.", "....."}));
}

TEST(KitDrawBitmaps, MaskAndImageDrawBackTheShape) {
  Paper src(4, 2, clLime);
  src.C()->SetPixels(1, 0, clRed);
  src.C()->SetPixels(2, 1, clBlue);
  TBitmap image, mask;
  MakeMask(src.C(), Rect(1, 0, 3, 2), &image, clLime, &mask);
  ASSERT_EQ(image.Width(), 2);
  ASSERT_EQ(mask.Height(), 2);
  EXPECT_TRUE(mask.Monochrome());
  EXPECT_EQ(mask.Canvas()->Pixels(0, 0), clBlack);  // opaque
  EXPECT_EQ(mask.Canvas()->Pixels(1, 0), clWhite);  // transparent
  EXPECT_EQ(image.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(image.Canvas()->Pixels(1, 0), clBlack);  // transparent turned black
  EXPECT_EQ(image.Canvas()->Pixels(1, 1), clBlue);

  TBitmap image2, mask2;
  MakeMaskFromColor(src.Bitmap(), &image2, &mask2, clLime);
  ASSERT_EQ(image2.Width(), 4);
  EXPECT_EQ(mask2.Canvas()->Pixels(1, 0), clBlack);
  EXPECT_EQ(mask2.Canvas()->Pixels(0, 0), clWhite);
}

// ---- DrawBitmapExt ---------------------------------------------------------------------------

// A 20 x 10 picture: red left half, blue right half.
struct TwoHalves : Paper {
  TwoHalves() : Paper(20, 10, clRed) {
    C()->Brush()->SetColor(clBlue);
    C()->FillRect(Rect(10, 0, 20, 10));
  }
};

TEST(KitDrawBitmapExt, StretchKeepingWidthHeightOrAspect) {
  TwoHalves src;
  Paper dst(100, 60);
  TRect covered;
  DrawBitmapExt(dst.C(), Rect(0, 0, 50, 40), src.C(), Rect(0, 0, 20, 10), kKitDbStretch | kKitDbKeepWidth, clNone,
                nullptr, nullptr, covered);
  EXPECT_EQ(covered, Rect(0, 0, 50, 25));
  EXPECT_EQ(dst.At(24, 24), clRed);
  EXPECT_EQ(dst.At(25, 0), clBlue);
  EXPECT_EQ(dst.At(49, 24), clBlue);
  EXPECT_EQ(dst.At(10, 25), clWhite);

  dst.Fill(clWhite);
  DrawBitmapExt(dst.C(), Rect(0, 0, 100, 30), src.C(), Rect(0, 0, 20, 10), kKitDbStretch | kKitDbKeepHeight, clNone,
                nullptr, nullptr, covered);
  EXPECT_EQ(covered, Rect(0, 0, 60, 30));
  EXPECT_EQ(dst.At(59, 29), clBlue);
  EXPECT_EQ(dst.At(60, 10), clWhite);

  dst.Fill(clWhite);
  DrawBitmapExt(dst.C(), Rect(10, 5, 60, 55), src.C(), Rect(0, 0, 20, 10), kKitDbStretch | kKitDbKeepAspect, clNone,
                nullptr, nullptr, covered);
  EXPECT_EQ(covered, Rect(10, 5, 60, 30));

  DrawBitmapExt(dst.C(), Rect(0, 0, 30, 7), src.C(), Rect(0, 0, 20, 10), kKitDbStretch, clNone, nullptr, nullptr,
                covered);
  EXPECT_EQ(covered, Rect(0, 0, 30, 7));
  EXPECT_EQ(dst.At(14, 6), clRed);
  EXPECT_EQ(dst.At(15, 6), clBlue);
}

TEST(KitDrawBitmapExt, OwnSizeCentredAndTiled) {
  Paper src(3, 2, clRed);
  src.C()->SetPixels(0, 0, clBlue);
  Paper dst(12, 12);
  TRect covered;
  DrawBitmapExt(dst.C(), Rect(2, 3, 12, 12), src.C(), Rect(0, 0, 3, 2), 0, clNone, nullptr, nullptr, covered);
  EXPECT_EQ(covered, Rect(2, 3, 5, 5));
  EXPECT_EQ(dst.At(2, 3), clBlue);
  EXPECT_EQ(dst.At(4, 4), clRed);
  EXPECT_EQ(dst.At(5, 4), clWhite);

  dst.Fill(clWhite);
  DrawBitmapExt(dst.C(), Rect(0, 0, 10, 10), src.C(), Rect(0, 0, 3, 2), kKitDbCenter, clNone, nullptr, nullptr,
                covered);
  EXPECT_EQ(covered, Rect(3, 4, 6, 6));
  EXPECT_EQ(dst.At(3, 4), clBlue);

  // Tiled: (7 div 3) + 1 columns and (5 div 2) + 1 rows, cut at the destination.
  dst.Fill(clWhite);
  DrawBitmapExt(dst.C(), Rect(1, 1, 8, 6), src.C(), Rect(0, 0, 3, 2), kKitDbTile, clNone, nullptr, nullptr, covered);
  EXPECT_EQ(covered, Rect(1, 1, 8, 6));
  EXPECT_EQ(dst.Map(Rect(0, 0, 10, 7), {{clWhite, '.'}, {clRed, 'r'}, {clBlue, 'B'}}),
            (Rows{"..........", ".BrrBrrB..", ".rrrrrrr..", ".BrrBrrB..", ".rrrrrrr..", ".BrrBrrB..",
                  ".........."}));
}

TEST(KitDrawBitmapExt, TransparentAndMaskedTransfersKeepTheBackground) {
  Paper src(3, 1, clLime);
  src.C()->SetPixels(0, 0, clRed);
  src.C()->SetPixels(2, 0, clBlue);
  TBitmap image, mask;
  MakeMask(src.C(), Rect(0, 0, 3, 1), &image, clLime, &mask);
  const Rows expected{"rgB"};
  struct Case {
    Word flags;
    TCanvas* source;
    TCanvas* mask;
  };
  for (const Case& c : {Case{0, src.C(), nullptr}, Case{kKitDbMaskFromColor, src.C(), nullptr},
                        Case{kKitDbMaskCanvas, image.Canvas(), mask.Canvas()},
                        Case{kKitDbMaskCanvas, src.C(), nullptr}}) {
    Paper dst(3, 1, clGray);
    dst.C()->SetPixels(1, 0, clGreen);
    TRect covered;
    DrawBitmapExt(dst.C(), Rect(0, 0, 3, 1), c.source, Rect(0, 0, 3, 1), c.flags, clLime, nullptr, c.mask, covered);
    EXPECT_EQ(dst.Map(Rect(0, 0, 3, 1), {{clRed, 'r'}, {clBlue, 'B'}, {clGreen, 'g'}, {clLime, 'L'}}), expected)
        << "flags " << c.flags;
  }
  // Stretched transparent drawing keeps the background where the key colour lands.
  Paper dst(6, 2, clGreen);
  TRect covered;
  DrawBitmapExt(dst.C(), Rect(0, 0, 6, 2), src.C(), Rect(0, 0, 3, 1), kKitDbStretch, clLime, nullptr, nullptr, covered);
  EXPECT_EQ(dst.Map(Rect(0, 0, 6, 2), {{clRed, 'r'}, {clBlue, 'B'}, {clGreen, 'g'}}), (Rows{"rrggBB", "rrggBB"}));
}

TEST(KitDrawBitmapExt, BitmapObjectSourceAndWrappers) {
  TwoHalves src;
  Paper dst(40, 20);
  TRect covered;
  DrawBitmapExt(dst.C(), Rect(0, 0, 40, 20), src.Bitmap(), Rect(0, 0, 20, 10), kKitDbBitmapObject | kKitDbStretch,
                clNone, nullptr, nullptr, covered);
  EXPECT_EQ(covered, Rect(0, 0, 40, 20));
  EXPECT_EQ(dst.At(19, 19), clRed);
  EXPECT_EQ(dst.At(20, 0), clBlue);

  dst.Fill(clWhite);
  TRect result;
  DrawBitmapStyle(dst.C(), Rect(5, 5, 40, 20), src.Bitmap(), result, clNone, kKitDbBitmapObject);
  EXPECT_EQ(result, Rect(5, 5, 25, 15));
  EXPECT_EQ(dst.At(5, 5), clRed);
  DrawBitmapState(dst.C(), Rect(0, 0, 40, 20), src.Bitmap(), result, clNone, kKitDbCenter);
  EXPECT_EQ(result, Rect(10, 5, 30, 15));
  DrawBitmapStyle(dst.C(), Rect(0, 0, 40, 20), nullptr, result, clNone, 0);
  EXPECT_EQ(result, Rect(0, 0, 0, 0));
}

TEST(KitDrawBitmapExt, EmptySourceOrDestinationDrawsNothing) {
  Paper src(4, 4, clRed);
  Paper dst(10, 10);
  TRect covered = Rect(1, 2, 3, 4);
  // An empty source rectangle would divide by zero when keeping the width or tiling.
  for (Word flags : {Word(kKitDbStretch | kKitDbKeepWidth), Word(kKitDbStretch | kKitDbKeepHeight),
                     Word(kKitDbStretch | kKitDbKeepAspect), Word(kKitDbTile), Word(0)}) {
    DrawBitmapExt(dst.C(), Rect(0, 0, 10, 10), src.C(), Rect(0, 0, 0, 4), flags, clNone, nullptr, nullptr, covered);
    EXPECT_EQ(covered, Rect(0, 0, 0, 0));
  }
  DrawBitmapExt(dst.C(), Rect(5, 5, 5, 10), src.C(), Rect(0, 0, 4, 4), 0, clNone, nullptr, nullptr, covered);
  EXPECT_EQ(covered, Rect(5, 5, 5, 5));
  DrawBitmapExt(dst.C(), Rect(0, 0, 10, 10), nullptr, Rect(0, 0, 4, 4), 0, clNone, nullptr, nullptr, covered);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(dst.At(x, y), clWhite);
}

TEST(KitDrawBitmapExt, ClippedDrawingStaysInsideAndRestoresTheClip) {
  Paper src(6, 6, clRed);
  Paper dst(10, 10);
  DrawBitmapClipped(dst.C(), Rect(1, 1, 4, 4), src.C(), nullptr, nullptr, clNone, kKitDbClip, Rect(0, 0, 6, 6));
  EXPECT_EQ(dst.At(3, 3), clRed);
  EXPECT_EQ(dst.At(4, 4), clWhite);
  EXPECT_EQ(dst.At(0, 0), clWhite);
  // No clip is left behind.
  dst.C()->Brush()->SetColor(clBlue);
  dst.C()->FillRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(dst.At(9, 9), clBlue);
  DrawBitmapClipped(dst.C(), Rect(1, 1, 4, 4), src.C(), nullptr, nullptr, clNone, 0, Rect(0, 0, 6, 6));
  EXPECT_EQ(dst.At(6, 6), clRed);
  // A clip the caller had set survives.
  const win::HDC dc = dst.C()->Handle();
  win::IntersectClipRect(dc, 0, 0, 2, 2);
  DrawBitmapClipped(dst.C(), Rect(0, 0, 10, 10), src.C(), nullptr, nullptr, clNone, kKitDbClip, Rect(0, 0, 6, 6));
  win::RECT box;
  win::GetClipBox(dc, &box);
  EXPECT_EQ(box, Rect(0, 0, 2, 2));
  win::SelectClipRgn(dc, nullptr);
}

// ---- gradients -------------------------------------------------------------------------------

const std::vector<TColor> kThree{clRed, clLime, clBlue};
const std::map<TColor, char> kGradLegend{{clWhite, '.'}, {clRed, '0'}, {clLime, '1'}, {clBlue, '2'}};

TEST(KitDrawGradient, HorizontalAndVerticalBands) {
  Paper p(12, 12);
  FillGradientShape(p.C(), Rect(1, 1, 11, 3), gstHorizontal, &kThree, nullptr, 0, 0);
  EXPECT_EQ(p.Map(Rect(0, 0, 12, 4), kGradLegend),
            (Rows{"............", ".0001111222.", ".0001111222.", "............"}));
  EXPECT_EQ(p.C()->Brush()->Style(), bsSolid);
  EXPECT_EQ(p.C()->Pen()->Style(), psClear);

  p.Fill(clWhite);
  FillGradientShape(p.C(), Rect(1, 0, 3, 10), gstVertical, &kThree, nullptr, 0, 0);
  EXPECT_EQ(p.Map(Rect(0, 0, 4, 11), kGradLegend),
            (Rows{".00.", ".00.", ".00.", ".11.", ".11.", ".11.", ".11.", ".22.", ".22.", ".22.", "...."}));
}

TEST(KitDrawGradient, CornersSquaresAndEllipses) {
  const std::vector<TColor> two{clRed, clLime};
  Paper p(12, 12);
  FillGradientShape(p.C(), Rect(0, 0, 10, 10), gstTopLeft, &two, nullptr, 0, 0);
  EXPECT_EQ(p.At(0, 0), clRed);
  EXPECT_EQ(p.At(4, 4), clRed);
  EXPECT_EQ(p.At(5, 5), clLime);
  EXPECT_EQ(p.At(5, 0), clLime);
  EXPECT_EQ(p.At(9, 9), clLime);
  EXPECT_EQ(p.At(10, 10), clWhite);

  p.Fill(clWhite);
  FillGradientShape(p.C(), Rect(0, 0, 10, 10), gstBottomRight, &two, nullptr, 0, 0);
  EXPECT_EQ(p.At(5, 5), clRed);
  EXPECT_EQ(p.At(9, 9), clRed);
  EXPECT_EQ(p.At(4, 4), clLime);
  EXPECT_EQ(p.At(0, 0), clLime);

  // The outer square of a centred square gradient reaches past the rectangle; clipping
  // keeps it inside.
  p.Fill(clWhite);
  FillGradientShape(p.C(), Rect(0, 0, 10, 10), gstSquare, &two, nullptr, 0, 0);
  EXPECT_EQ(p.At(10, 5), clLime);
  p.Fill(clWhite);
  FillGradientShape(p.C(), Rect(0, 0, 10, 10), gstSquare, &two, nullptr, kKitGfClip, 0);
  EXPECT_EQ(p.At(10, 5), clWhite);
  EXPECT_EQ(p.At(3, 3), clRed);
  EXPECT_EQ(p.At(7, 7), clRed);
  EXPECT_EQ(p.At(8, 8), clLime);
  EXPECT_EQ(p.At(2, 2), clLime);

  p.Fill(clWhite);
  FillGradientShape(p.C(), Rect(0, 0, 10, 10), gstElliptic, &two, nullptr, kKitGfClip, 0);
  EXPECT_EQ(p.At(5, 5), clRed);  // inner ellipse (1, 1, 9, 9), outer (-2, -2, 12, 12)
  EXPECT_EQ(p.At(0, 5), clLime);
}

TEST(KitDrawGradient, BitmapFlagAndClipOffset) {
  Paper p(14, 4);
  FillGradientShape(p.C(), Rect(2, 1, 12, 3), gstHorizontal, &kThree, nullptr, kKitGfBitmap, 0);
  EXPECT_EQ(p.Map(Rect(0, 0, 14, 4), kGradLegend),
            (Rows{"..............", "..0001111222..", "..0001111222..", ".............."}));

  // The clip region moves by (+2, 0): the first two columns stay white.
  p.Fill(clWhite);
  FillGradientShape(p.C(), Rect(0, 1, 10, 3), gstHorizontal, &kThree, nullptr, kKitGfClip, 2);
  EXPECT_EQ(p.Map(Rect(0, 1, 12, 2), kGradLegend), (Rows{"..01111222.."}));
  // Negative offsets in both halves: (-1, -1).
  p.Fill(clWhite);
  FillGradientShape(p.C(), Rect(1, 1, 11, 3), gstHorizontal, &kThree, nullptr, kKitGfClip,
                    static_cast<Integer>(0xFFFFFFFFu));
  EXPECT_EQ(p.Map(Rect(0, 0, 12, 3), kGradLegend), (Rows{"............", ".000111122..", "............"}));
}

TEST(KitDrawGradient, NothingWithoutColoursOrArea) {
  Paper p(6, 6);
  const std::vector<TColor> none;
  FillGradientShape(p.C(), Rect(0, 0, 6, 6), gstVertical, nullptr, nullptr, 0, 0);
  FillGradientShape(p.C(), Rect(0, 0, 6, 6), gstVertical, &none, nullptr, 0, 0);
  FillGradientShape(p.C(), Rect(3, 0, 3, 6), gstVertical, &kThree, nullptr, 0, 0);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(p.At(x, y), clWhite);
}

TEST(KitDrawGradient, PaletteColoursDrawTheSameOnATrueColourScreen) {
  ASSERT_NE(KitApplication, nullptr);
  const win::HPALETTE pal = CreateColorPalette(kThree);
  Paper p(10, 1);
  FillGradientShape(p.C(), Rect(0, 0, 10, 1), gstHorizontal, &kThree, pal, kKitGfPalette, 0);
  EXPECT_EQ(p.Map(Rect(0, 0, 10, 1), kGradLegend), (Rows{"0001111222"}));
  win::DeleteObject(pal);

  // Options bit 0 stops palette realisation only on displays of 8 bits or fewer.
  const Byte options = KitApplication->Options();
  const int depth = win::ScreenBitsPerPixel();
  KitApplication->SetOptions(options | kKitOptionNoPaletteRealize);
  EXPECT_TRUE(KitPaletteRealizeAllowed());
  win::SetScreenBitsPerPixel(8);
  EXPECT_FALSE(KitPaletteRealizeAllowed());
  KitApplication->SetOptions(options);
  EXPECT_TRUE(KitPaletteRealizeAllowed());
  win::SetScreenBitsPerPixel(depth);
}

}  // namespace
