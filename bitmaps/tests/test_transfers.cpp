// Block and stretch transfers: exact pixels for every resampler and draw mode, the
// mapping tables, clipping, and the cases that must not read or write out of bounds.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "bitmaps/bitmap32.h"
#include "pixel_rows.h"
#include "bitmaps/blend.h"
#include "bitmaps/transfers.h"

namespace {


std::string TransformMessage(const std::function<void()>& f) {
  try {
    f();
  } catch (const ETransformError& e) {
    return e.Message();
  }
  return "no ETransformError";
}

// Expected values below are worked out for the integer blend set unless a test picks
// the MMX set itself.
class Transfers : public ::testing::Test {
 protected:
  void SetUp() override { SelectBlendRoutines(false); }
  void TearDown() override { SelectBlendRoutines(ProcessorHasMmx()); }
};

constexpr TColor32 kBg = 0x11111111;

// A 2 x 2 source with distinct channels and alphas.
const Rows kQuad = {{0xFF102030, 0xFF90A0B0}, {0x80FFFFFF, 0x00000000}};

}  // namespace

// ---- BlockTransfer ------------------------------------------------------------------

TEST_F(Transfers, BlockTransferOpaqueClipsToBothBitmaps) {
  Rows src(4, std::vector<TColor32>(4));
  for (TColor32 y = 0; y < 4; ++y)
    for (TColor32 x = 0; x < 4; ++x) src[y][x] = 0xFF000000 | (y << 8) | x;
  auto s = MakeBitmap(src);

  // A source rectangle reaching past the source, placed near the destination's corner.
  auto d = MakeFilled(5, 3, kBg);
  BlockTransfer(d.get(), 2, 1, s.get(), MakeRect(-2, -2, 6, 6), dmOpaque);
  EXPECT_EQ(Pixels(*d), (Rows{{kBg, kBg, kBg, kBg, kBg},
                              {kBg, kBg, 0xFF000000, 0xFF000001, 0xFF000002},
                              {kBg, kBg, 0xFF000100, 0xFF000101, 0xFF000102}}));

  // Placed above and left of the destination: only the overlap lands.
  d = MakeFilled(5, 3, kBg);
  BlockTransfer(d.get(), -1, -2, s.get(), MakeRect(0, 0, 4, 4), dmOpaque);
  EXPECT_EQ(Pixels(*d), (Rows{{0xFF000201, 0xFF000202, 0xFF000203, kBg, kBg},
                              {0xFF000301, 0xFF000302, 0xFF000303, kBg, kBg},
                              {kBg, kBg, kBg, kBg, kBg}}));

  // Wholly outside: nothing.
  d = MakeFilled(5, 3, kBg);
  BlockTransfer(d.get(), 5, 0, s.get(), MakeRect(0, 0, 4, 4), dmOpaque);
  BlockTransfer(d.get(), 0, -4, s.get(), MakeRect(0, 0, 4, 4), dmOpaque);
  BlockTransfer(d.get(), 0, 0, s.get(), MakeRect(4, 0, 9, 4), dmOpaque);
  EXPECT_EQ(Pixels(*d), Rows(3, std::vector<TColor32>(5, kBg)));
}

TEST_F(Transfers, BlockTransferWithinOneBitmapCopiesLikeABlockCopy) {
  auto b = MakeBitmap({{1}, {2}, {3}, {4}});
  BlockTransfer(b.get(), 0, 1, b.get(), MakeRect(0, 0, 1, 3), dmOpaque);
  EXPECT_EQ(Pixels(*b), (Rows{{1}, {1}, {2}, {3}}));

  b = MakeBitmap({{1, 2, 3, 4}});
  BlockTransfer(b.get(), 1, 0, b.get(), MakeRect(0, 0, 3, 1), dmOpaque);
  EXPECT_EQ(Pixels(*b), (Rows{{1, 1, 2, 3}}));
}

TEST_F(Transfers, BlockTransferBlendsAndCallsBack) {
  auto s = MakeBitmap({{0x80FF0000, 0x00123456, 0xFF00FF00}});
  auto d = MakeFilled(3, 1, 0xFF0000FF);
  BlockTransfer(d.get(), 0, 0, s.get(), MakeRect(0, 0, 3, 1), dmBlend);
  EXPECT_EQ(Pixels(*d), (Rows{{0xBF80007F, 0xFF0000FF, 0xFF00FF00}}));

  // Below 255 the master alpha scales the weight: (0x80 · 128) >> 8 = 64.
  s->SetMasterAlpha(128);
  d = MakeFilled(3, 1, 0xFF0000FF);
  BlockTransfer(d.get(), 0, 0, s.get(), MakeRect(0, 0, 1, 1), dmBlend);
  EXPECT_EQ(d->Pixel(0, 0), 0xDE4000BEu);

  s->SetMasterAlpha(0);
  d = MakeFilled(3, 1, 0xFF0000FF);
  BlockTransfer(d.get(), 0, 0, s.get(), MakeRect(0, 0, 3, 1), dmBlend);
  EXPECT_EQ(Pixels(*d), (Rows{{0xFF0000FF, 0xFF0000FF, 0xFF0000FF}}));

  // The callback sees every clipped pixel in order, with the master alpha.
  s->SetMasterAlpha(77);
  d = MakeFilled(2, 1, 0xFF0000FF);
  std::vector<std::vector<TColor32>> calls;
  TPixelCombineEvent xorInto = [&](TColor32 F, TColor32& B, TColor32 M) {
    calls.push_back({F, B, M});
    B ^= F;
  };
  BlockTransfer(d.get(), -1, 0, s.get(), MakeRect(0, 0, 3, 1), dmCustom, xorInto);
  EXPECT_EQ(calls, (std::vector<std::vector<TColor32>>{{0x00123456, 0xFF0000FF, 77}, {0xFF00FF00, 0xFF0000FF, 77}}));
  EXPECT_EQ(Pixels(*d), (Rows{{0xFF1234A9, 0x0000FFFF}}));

  // dmCustom without a callback copies.
  d = MakeFilled(3, 1, 0xFF0000FF);
  BlockTransfer(d.get(), 0, 0, s.get(), MakeRect(0, 0, 3, 1), dmCustom);
  EXPECT_EQ(Pixels(*d), Pixels(*s));
}

TEST_F(Transfers, MissingOrEmptyBitmapsAreRefusedDestinationFirst) {
  auto s = MakeFilled(2, 2, 1);
  auto d = MakeFilled(2, 2, 2);
  TBitmap32 empty;
  const std::string dstMsg = "Destination bitmap is nil or empty";
  const std::string srcMsg = "Source bitmap is nil or empty";
  const TRect r = MakeRect(0, 0, 2, 2);
  const TRect big = MakeRect(0, 0, 4, 4);

  EXPECT_EQ(TransformMessage([&] { BlockTransfer(nullptr, 0, 0, nullptr, r, dmOpaque); }), dstMsg);
  EXPECT_EQ(TransformMessage([&] { BlockTransfer(&empty, 0, 0, s.get(), r, dmOpaque); }), dstMsg);
  EXPECT_EQ(TransformMessage([&] { BlockTransfer(d.get(), 0, 0, &empty, r, dmOpaque); }), srcMsg);
  for (TStretchFilter f : {sfNearest, sfLinear, sfLinear2, sfSpline}) {
    EXPECT_EQ(TransformMessage([&] { StretchTransfer(&empty, big, &empty, r, f, dmOpaque); }), dstMsg);
    EXPECT_EQ(TransformMessage([&] { StretchTransfer(d.get(), big, nullptr, r, f, dmOpaque); }), srcMsg);
  }
  EXPECT_EQ(Pixels(*d), Rows(2, std::vector<TColor32>(2, 2)));
}

// ---- common stretch behaviour ---------------------------------------------------------

TEST_F(Transfers, StretchSourceRectangleIsCheckedAfterEmptiness) {
  auto s = MakeFilled(2, 2, 0xFF00FF00);
  auto d = MakeFilled(3, 3, kBg);
  const std::string invalid = "Source rectangle is invalid";
  for (TStretchFilter f : {sfNearest, sfLinear, sfLinear2, sfSpline}) {
    EXPECT_EQ(TransformMessage([&] { StretchTransfer(d.get(), MakeRect(0, 0, 3, 3), s.get(), MakeRect(0, 0, 3, 2), f,
                                                     dmOpaque); }),
              invalid);
    EXPECT_EQ(TransformMessage([&] { StretchTransfer(d.get(), MakeRect(0, 0, 3, 3), s.get(), MakeRect(0, 1, 2, 3),
                                                     f, dmOpaque); }),
              invalid);
    // Empty source or destination rectangles, or a destination outside the bitmap,
    // end silently even where the rectangle would also be invalid.
    StretchTransfer(d.get(), MakeRect(0, 0, 3, 3), s.get(), MakeRect(5, 5, 5, 9), f, dmOpaque);
    StretchTransfer(d.get(), MakeRect(2, 0, 1, 3), s.get(), MakeRect(0, 0, 2, 2), f, dmOpaque);
    StretchTransfer(d.get(), MakeRect(3, 0, 9, 3), s.get(), MakeRect(0, 0, 2, 2), f, dmOpaque);
  }
  EXPECT_EQ(Pixels(*d), Rows(3, std::vector<TColor32>(3, kBg)));
}

TEST_F(Transfers, StretchToTheSameSizeIsABlockTransferForEveryFilter) {
  auto s = MakeBitmap({{0x80FF0000, 0x40123456, 0xFF00FF00}, {0x00FFFFFF, 0xC0102030, 0x7F7F7F7F}});
  s->SetMasterAlpha(200);
  for (TStretchFilter f : {sfNearest, sfLinear, sfLinear2, sfSpline}) {
    for (TDrawMode m : {dmOpaque, dmBlend}) {
      auto expected = MakeFilled(4, 3, 0xFF336699);
      BlockTransfer(expected.get(), 1, 1, s.get(), MakeRect(0, 0, 3, 2), m);
      auto d = MakeFilled(4, 3, 0xFF336699);
      StretchTransfer(d.get(), MakeRect(1, 1, 4, 3), s.get(), MakeRect(0, 0, 3, 2), f, m);
      EXPECT_EQ(Pixels(*d), Pixels(*expected)) << "filter " << f << " mode " << m;
    }
  }
}

TEST_F(Transfers, BlendWithMasterAlphaZeroLeavesTheDestinationForEveryFilter) {
  auto s = MakeBitmap(kQuad);
  s->SetMasterAlpha(0);
  for (TStretchFilter f : {sfNearest, sfLinear, sfLinear2, sfSpline}) {
    auto d = MakeFilled(5, 3, kBg);
    StretchTransfer(d.get(), MakeRect(0, 0, 5, 3), s.get(), MakeRect(0, 0, 2, 2), f, dmBlend);
    EXPECT_EQ(Pixels(*d), Rows(3, std::vector<TColor32>(5, kBg))) << "filter " << f;
  }
}

// ---- nearest --------------------------------------------------------------------------

TEST_F(Transfers, NearestRepeatsSourcePixels) {
  auto s = MakeBitmap({{0xFFAA0000, 0xFF00BB00}});
  auto d = MakeFilled(4, 1, kBg);
  StretchTransfer(d.get(), MakeRect(0, 0, 4, 1), s.get(), MakeRect(0, 0, 2, 1), sfNearest, dmOpaque);
  EXPECT_EQ(Pixels(*d), (Rows{{0xFFAA0000, 0xFFAA0000, 0xFF00BB00, 0xFF00BB00}}));

  s = MakeBitmap(kQuad);
  d = MakeFilled(4, 4, kBg);
  StretchNearestOpaque(d.get(), MakeRect(0, 0, 4, 4), s.get(), MakeRect(0, 0, 2, 2));
  const TColor32 a = 0xFF102030, b = 0xFF90A0B0, c = 0x80FFFFFF, e = 0x00000000;
  EXPECT_EQ(Pixels(*d), (Rows{{a, a, b, b}, {a, a, b, b}, {c, c, e, e}, {c, c, e, e}}));
}

TEST_F(Transfers, NearestStartOffsetsOfAClippedDestination) {
  // The opaque form scales the clip offset by (SW - 1) / (DW - 1), the blending form
  // by SW / DW: drawn from one pixel left of the bitmap, they differ.
  const TColor32 a = 0xFFAA0000, b = 0xFF00BB00;
  auto s = MakeBitmap({{a, b}});
  auto d = MakeFilled(4, 1, kBg);
  StretchTransfer(d.get(), MakeRect(-1, 0, 3, 1), s.get(), MakeRect(0, 0, 2, 1), sfNearest, dmOpaque);
  EXPECT_EQ(Pixels(*d), (Rows{{a, a, b, kBg}}));

  d = MakeFilled(4, 1, kBg);
  StretchTransfer(d.get(), MakeRect(-1, 0, 3, 1), s.get(), MakeRect(0, 0, 2, 1), sfNearest, dmBlend);
  EXPECT_EQ(Pixels(*d), (Rows{{a, b, b, kBg}}));

  // A one-pixel-wide destination starts at offset 0.
  d = MakeFilled(4, 1, kBg);
  StretchTransfer(d.get(), MakeRect(0, 0, 1, 1), s.get(), MakeRect(0, 0, 2, 1), sfNearest, dmOpaque);
  EXPECT_EQ(d->Pixel(0, 0), a);
}

TEST_F(Transfers, NearestBlendsThroughTheBlendRoutines) {
  auto s = MakeBitmap({{0x80FF0000, 0xFF00FF00}});
  auto d = MakeFilled(4, 1, 0xFF0000FF);
  StretchNearest(d.get(), MakeRect(0, 0, 4, 1), s.get(), MakeRect(0, 0, 2, 1), dmBlend);
  EXPECT_EQ(Pixels(*d), (Rows{{0xBF80007F, 0xBF80007F, 0xFF00FF00, 0xFF00FF00}}));

  s->SetMasterAlpha(128);
  d = MakeFilled(4, 1, 0xFF0000FF);
  StretchNearest(d.get(), MakeRect(0, 0, 4, 1), s.get(), MakeRect(0, 0, 2, 1), dmBlend);
  // 0xFF00FF00 at master 128 mixes with weight 127.
  EXPECT_EQ(Pixels(*d), (Rows{{0xDE4000BE, 0xDE4000BE, 0xFF007F80, 0xFF007F80}}));

  int calls = 0;
  d = MakeFilled(4, 1, 0);
  StretchNearest(d.get(), MakeRect(0, 0, 4, 1), s.get(), MakeRect(0, 0, 2, 1), dmCustom,
                 [&](TColor32 F, TColor32& B, TColor32 M) {
                   ++calls;
                   B = F + M;
                 });
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(Pixels(*d), (Rows{{0x80FF0080, 0x80FF0080, 0xFF00FF80, 0xFF00FF80}}));
}

TEST_F(Transfers, NearestStepsAreSixtyFourBitForWideSources) {
  // 40000 << 16 does not fit 32 bits.
  Rows row(1);
  for (TColor32 i = 0; i < 40000; ++i) row[0].push_back(i);
  auto s = MakeBitmap(row);
  auto d = MakeFilled(3, 1, kBg);
  StretchTransfer(d.get(), MakeRect(0, 0, 3, 1), s.get(), MakeRect(0, 0, 40000, 1), sfNearest, dmOpaque);
  EXPECT_EQ(Pixels(*d), (Rows{{0, 13333, 26666}}));
}

// ---- bilinear -------------------------------------------------------------------------

TEST_F(Transfers, LinearOnATwoByTwoSource) {
  auto s = MakeBitmap(kQuad);
  auto d = MakeFilled(4, 4, kBg);
  StretchTransfer(d.get(), MakeRect(0, 0, 4, 4), s.get(), MakeRect(0, 0, 2, 2), sfLinear, dmOpaque);
  const Rows full = {{0xFF102030, 0xFE304050, 0xFF506070, 0xFE708090},
                     {0xDE4C5864, 0xD654606C, 0xCD5C6874, 0xC6636F7B},
                     {0xBF889098, 0xAF777F87, 0x9F676F77, 0x8E565E66},
                     {0x9FC3C7CB, 0x879A9EA2, 0x6F73777B, 0x564A4E52}};
  EXPECT_EQ(Pixels(*d), full);

  // Drawn one pixel up and left of the bitmap: the visible part is unchanged.
  d = MakeFilled(3, 3, kBg);
  StretchLinear(d.get(), MakeRect(-1, -1, 3, 3), s.get(), MakeRect(0, 0, 2, 2), dmOpaque);
  EXPECT_EQ(Pixels(*d), (Rows{{full[1][1], full[1][2], full[1][3]},
                              {full[2][1], full[2][2], full[2][3]},
                              {full[3][1], full[3][2], full[3][3]}}));

  // The MMX set rounds once.
  SelectBlendRoutines(true);
  d = MakeFilled(4, 4, kBg);
  StretchTransfer(d.get(), MakeRect(0, 0, 4, 4), s.get(), MakeRect(0, 0, 2, 2), sfLinear, dmOpaque);
  EXPECT_EQ(Pixels(*d), (Rows{{0xFF112131, 0xFF314151, 0xFE506070, 0xFE708090},
                              {0xDF4D5965, 0xD755616D, 0xCE5C6874, 0xC664707C},
                              {0xBF889098, 0xAF777F87, 0x9F676F77, 0x8F575F67},
                              {0x9FC3C7CB, 0x879B9FA3, 0x6F73777B, 0x574B4F53}}));
}

TEST_F(Transfers, LinearBlendBelowFullMasterAlphaMixesAlongRowsFirst) {
  auto s = MakeBitmap(kQuad);
  s->SetMasterAlpha(128);
  auto d = MakeFilled(4, 4, 0xFF000000);
  StretchTransfer(d.get(), MakeRect(0, 0, 4, 4), s.get(), MakeRect(0, 0, 2, 2), sfLinear, dmBlend);
  EXPECT_EQ(Pixels(*d), (Rows{{0xFF081018, 0xFE182028, 0xFF283038, 0xFE384047},
                              {0xEF21262B, 0xEC23282D, 0xEA252A2F, 0xE8272B30},
                              {0xE6323538, 0xE2282B2E, 0xE0202325, 0xDE181B1D},
                              {0xE03C3D3F, 0xDE292A2B, 0xDF191A1A, 0xE20D0D0E}}));

  // Every mode covers every column of the clip.
  int calls = 0;
  StretchLinear(d.get(), MakeRect(0, 0, 4, 4), s.get(), MakeRect(0, 0, 2, 2), dmCustom,
                [&](TColor32, TColor32&, TColor32) { ++calls; });
  EXPECT_EQ(calls, 16);
}

TEST_F(Transfers, LinearNeighbourReadsStayInsideTheSourceRectangle) {
  // The MMX set lets a weight-255 neighbour leak by one step, so a read outside the
  // source rectangle would show.
  SelectBlendRoutines(true);
  const TColor32 top = 0xFF204060, bottom = 0xFF6080A0, w = 0xFFFFFFFF;

  // A one-pixel-wide source rectangle with a white column beside it.
  auto s = MakeBitmap({{top, w}, {bottom, w}});
  auto d = MakeFilled(3, 3, kBg);
  StretchTransfer(d.get(), MakeRect(0, 0, 3, 3), s.get(), MakeRect(0, 0, 1, 2), sfLinear, dmOpaque);
  EXPECT_EQ(Pixels(*d), (Rows{{top, top, top}, {0xFF365676, 0xFF365676, 0xFF365676},
                              {0xFF4B6B8B, 0xFF4B6B8B, 0xFF4B6B8B}}));

  // A one-row source rectangle with a white row below it.
  s = MakeBitmap({{top, bottom}, {w, w}});
  d = MakeFilled(3, 3, kBg);
  StretchTransfer(d.get(), MakeRect(0, 0, 3, 3), s.get(), MakeRect(0, 0, 2, 1), sfLinear, dmOpaque);
  const Rows rows(3, std::vector<TColor32>{top, 0xFF365676, 0xFF4B6B8B});
  EXPECT_EQ(Pixels(*d), rows);

  // A bitmap one pixel wide: the right neighbour would lie past the row.
  s = MakeBitmap({{top}, {bottom}});
  d = MakeFilled(3, 3, kBg);
  StretchTransfer(d.get(), MakeRect(0, 0, 3, 3), s.get(), MakeRect(0, 0, 1, 2), sfLinear, dmBlend);
  EXPECT_EQ(d->Pixel(2, 0), top);
  EXPECT_EQ(d->Pixel(2, 2), 0xFF4B6B8Bu);
}

// ---- mapping tables and the table resampler -------------------------------------------

TEST(MappingTables, EachKernelUpsamplingTwoToFour) {
  const TMappingTable box = {{{0, 256}}, {{0, 256}}, {{1, 256}}, {{1, 256}}};
  EXPECT_EQ(BuildMappingTable(4, 2, 0, 2, sfNearest), box);
  const TMappingTable tent = {{{0, 256}}, {{0, 171}, {1, 85}}, {{0, 85}, {1, 171}}, {{1, 256}}};
  EXPECT_EQ(BuildMappingTable(4, 2, 0, 2, sfLinear), tent);
  EXPECT_EQ(BuildMappingTable(4, 2, 0, 2, sfLinear2), tent);
  // The spline reaches one pixel further; positions are clamped to the bitmap.
  const TMappingTable spline = BuildMappingTable(4, 2, 0, 2, sfSpline);
  ASSERT_EQ(spline.size(), 4u);
  EXPECT_EQ(spline[0], (TCluster{{0, 43}, {0, 171}, {1, 43}}));
  EXPECT_EQ(spline[3], (TCluster{{0, 43}, {1, 171}, {1, 43}}));
  // Positions are bitmap positions: the same table two pixels further in.
  const TMappingTable moved = BuildMappingTable(4, 9, 2, 4, sfSpline);
  EXPECT_EQ(moved[0], (TCluster{{1, 43}, {2, 171}, {3, 43}}));
  EXPECT_EQ(moved[3], (TCluster{{2, 43}, {3, 171}, {4, 43}}));
}

TEST(MappingTables, DownsamplingWeightsTotalAbout255) {
  EXPECT_EQ(BuildMappingTable(3, 7, 0, 7, sfLinear2),
            (TMappingTable{{{0, 28}, {0, 57}, {0, 85}, {1, 57}, {2, 28}},
                           {{1, 28}, {2, 57}, {3, 85}, {4, 57}, {5, 28}},
                           {{4, 28}, {5, 57}, {6, 85}, {6, 57}, {6, 28}}}));
  EXPECT_EQ(BuildMappingTable(3, 7, 0, 7, sfSpline),
            (TMappingTable{{{0, 1}, {0, 4}, {0, 14}, {0, 31}, {0, 49}, {0, 57}, {1, 49}, {2, 31}, {3, 14}, {4, 4},
                            {5, 1}},
                           {{0, 1}, {0, 4}, {0, 14}, {1, 31}, {2, 49}, {3, 57}, {4, 49}, {5, 31}, {6, 14}, {6, 4},
                            {6, 1}},
                           {{1, 1}, {2, 4}, {3, 14}, {4, 31}, {5, 49}, {6, 57}, {6, 49}, {6, 31}, {6, 14}, {6, 4},
                            {6, 1}}}));
}

TEST(MappingTables, DegenerateSizes) {
  // No clamp width: no clusters at all; an inverted source span: empty clusters.
  EXPECT_TRUE(BuildMappingTable(4, 0, 0, 2, sfLinear2).empty());
  EXPECT_EQ(BuildMappingTable(3, 5, 4, 2, sfLinear2), (TMappingTable(3)));
  // A one-pixel source feeds every destination pixel.
  const TMappingTable one(4, TCluster{{0, 256}});
  EXPECT_EQ(BuildMappingTable(4, 1, 0, 1, sfLinear2), one);
  EXPECT_EQ(BuildMappingTable(4, 5, 3, 4, sfSpline), (TMappingTable(4, TCluster{{2, 43}, {3, 171}, {4, 43}})));
  // A one-pixel destination sees the whole source, centred.
  EXPECT_EQ(BuildMappingTable(1, 4, 0, 4, sfLinear2),
            (TMappingTable{{{0, 8}, {0, 24}, {0, 40}, {1, 56}, {2, 56}, {3, 40}, {3, 24}, {3, 8}}}));
  EXPECT_EQ(BuildMappingTable(1, 1, 0, 1, sfLinear2), (TMappingTable{{{0, 256}}}));
}

TEST(MappingTables, AReductionTooStrongForAnyWeightIsAnAssertion) {
  EXPECT_THROW(BuildMappingTable(2, 2000, 0, 2000, sfLinear2), EAssertionFailed);
}

TEST_F(Transfers, TableResamplerLinear2AndSpline) {
  auto s = MakeBitmap(kQuad);
  auto d = MakeFilled(4, 2, kBg);
  StretchTransfer(d.get(), MakeRect(0, 0, 4, 2), s.get(), MakeRect(0, 0, 2, 2), sfLinear2, dmOpaque);
  EXPECT_EQ(Pixels(*d), (Rows{{0xFF102030, 0xFF3A4A5A, 0xFF657585, 0xFF90A0B0},
                              {0x80FFFFFF, 0x55AAAAAA, 0x2A545454, 0x00000000}}));

  d = MakeFilled(4, 2, kBg);
  StretchTransfer(d.get(), MakeRect(0, 0, 4, 2), s.get(), MakeRect(0, 0, 2, 2), sfSpline, dmOpaque);
  EXPECT_EQ(Pixels(*d), (Rows{{0xE743505E, 0xE3505E6B, 0xDC606D7A, 0xD96E7B88},
                              {0x84B8BBBD, 0x6D909295, 0x525F6164, 0x3C383B3D}}));

  // Reducing seven to three: weights near 255 lose a little on opaque pixels.
  Rows row(1);
  for (TColor32 i = 0; i < 7; ++i) row[0].push_back(0xFF000000 | (i * 40) << 16 | (255 - i * 40) << 8 | i * 10);
  s = MakeBitmap(row);
  d = MakeFilled(3, 1, kBg);
  StretchTransfer(d.get(), MakeRect(0, 0, 3, 1), s.get(), MakeRect(0, 0, 7, 1), sfLinear2, dmOpaque);
  EXPECT_EQ(Pixels(*d), (Rows{{0xFE11EC04, 0xFE77861D, 0xFEDD2037}}));
  d = MakeFilled(3, 1, kBg);
  StretchTransfer(d.get(), MakeRect(0, 0, 3, 1), s.get(), MakeRect(0, 0, 7, 1), sfSpline, dmOpaque);
  EXPECT_EQ(Pixels(*d), (Rows{{0xFE1BE306, 0xFE77861D, 0xFED42A35}}));

  // Only the clipped part of the destination is written, with the same pixels.
  s = MakeBitmap(kQuad);
  d = MakeFilled(2, 1, kBg);
  StretchTransfer(d.get(), MakeRect(-1, -1, 3, 1), s.get(), MakeRect(0, 0, 2, 2), sfLinear2, dmOpaque);
  EXPECT_EQ(Pixels(*d), (Rows{{0x55AAAAAA, 0x2A545454}}));
}

TEST_F(Transfers, TableResamplerModesAndOnePixelSides) {
  // dmBlend always takes the master-alpha blend: at 255 an opaque pixel mixes with
  // weight 254.
  auto s = MakeBitmap({{0xFFFFFFFF, 0xFFFFFFFF}});
  auto d = MakeFilled(3, 1, 0xFF000000);
  StretchTransfer(d.get(), MakeRect(0, 0, 3, 1), s.get(), MakeRect(0, 0, 2, 1), sfLinear2, dmBlend);
  EXPECT_EQ(Pixels(*d), (Rows{{0xFEFDFDFD, 0xFEFDFDFD, 0xFEFDFDFD}}));

  // The spline's weights total 257 here: the sums saturate to 255 rather than wrap.
  std::vector<std::vector<TColor32>> seen;
  d = MakeFilled(3, 1, 0);
  StretchTransfer(d.get(), MakeRect(0, 0, 3, 1), s.get(), MakeRect(0, 0, 2, 1), sfSpline, dmCustom,
                  [&](TColor32 F, TColor32& B, TColor32 M) { seen.push_back({F, B, M}); });
  EXPECT_EQ(seen, (std::vector<std::vector<TColor32>>(3, {0xFFFFFFFF, 0, 255})));

  // A one-pixel source fills the destination; a one-pixel destination averages.
  s = MakeBitmap({{0xFF336699}});
  d = MakeFilled(3, 2, kBg);
  StretchTransfer(d.get(), MakeRect(0, 0, 3, 2), s.get(), MakeRect(0, 0, 1, 1), sfLinear2, dmOpaque);
  EXPECT_EQ(Pixels(*d), Rows(2, std::vector<TColor32>(3, 0xFF336699)));

  s = MakeBitmap({{0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF}});
  d = MakeFilled(1, 1, kBg);
  StretchTransfer(d.get(), MakeRect(0, 0, 1, 1), s.get(), MakeRect(0, 0, 4, 1), sfLinear2, dmOpaque);
  // Half the weight on each side: 255 · 128 · 256 = 0x7F8000 per colour channel.
  EXPECT_EQ(d->Pixel(0, 0), 0xFF7F7F7Fu);

  // Sources too wide for any rounded weight still give one pixel: 255 shares in all
  // (c · 255 · 256 >> 16 = c - 1), half of them on each half of the source.
  for (TStretchFilter filter : {sfLinear2, sfSpline}) {
    for (Integer width : {600, 5000}) {
      SCOPED_TRACE(testing::Message() << "filter " << filter << ", width " << width);
      Rows wide(1);
      for (Integer x = 0; x < width; ++x) wide[0].push_back(0xFF336699);
      s = MakeBitmap(wide);
      d = MakeFilled(1, 1, kBg);
      EXPECT_NO_THROW(StretchTransfer(d.get(), MakeRect(0, 0, 1, 1), s.get(), MakeRect(0, 0, width, 1), filter, dmOpaque));
      EXPECT_EQ(d->Pixel(0, 0), 0xFE326598u);
      for (Integer x = 0; x < width; ++x) wide[0][x] = x < width / 2 ? 0xFF000000 : 0xFFFFFFFF;
      s = MakeBitmap(wide);
      StretchTransfer(d.get(), MakeRect(0, 0, 1, 1), s.get(), MakeRect(0, 0, width, 1), filter, dmOpaque);
      EXPECT_GE(d->Pixel(0, 0) & 0xFF, 0x7Eu);
      EXPECT_LE(d->Pixel(0, 0) & 0xFF, 0x7Fu);
    }
  }
}

TEST_F(Transfers, DrawToResamplesThroughTheStretchTransfer) {
  auto s = MakeBitmap({{0xFFAA0000, 0xFF00BB00}});
  auto d = MakeFilled(4, 1, kBg);
  int changes = 0;
  d->OnChange = [&](TObject*) { ++changes; };
  s->DrawTo(d.get(), MakeRect(0, 0, 4, 1));
  EXPECT_EQ(Pixels(*d), (Rows{{0xFFAA0000, 0xFFAA0000, 0xFF00BB00, 0xFF00BB00}}));
  EXPECT_EQ(changes, 1);
}
