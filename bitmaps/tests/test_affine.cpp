// Matrix helpers, the affine transformation's composition, fixed-point form and bounds,
// and TransformBitmap's exact pixels with nearest and bilinear sampling.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "bitmaps/affine_transformation.h"
#include "bitmaps/bitmap32.h"
#include "pixel_rows.h"
#include "bitmaps/blend.h"
#include "bitmaps/matrix.h"

namespace {


TVector3f Apply(const TAffineTransformation& t, Single x, Single y) { return VectorTransform(t.Matrix(), {x, y, 1}); }

void ExpectPoint(const TVector3f& p, Single x, Single y) {
  EXPECT_NEAR(p[0], x, 1e-5);
  EXPECT_NEAR(p[1], y, 1e-5);
}

void ExpectRect(const TRect& r, Integer l, Integer t, Integer rt, Integer b) {
  EXPECT_EQ(r.left, l);
  EXPECT_EQ(r.top, t);
  EXPECT_EQ(r.right, rt);
  EXPECT_EQ(r.bottom, b);
}

constexpr TColor32 kBg = 0x11111111;

// Source pixels that name their position: 0xFF0000yx.
Rows Numbered(int w, int h) {
  Rows rows(static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) rows[static_cast<std::size_t>(y)].push_back(0xFF000000u | (y << 4) | x);
  return rows;
}
TColor32 At(int x, int y) { return 0xFF000000u | (y << 4) | x; }

class TransformBitmapTest : public ::testing::Test {
 protected:
  void SetUp() override { SelectBlendRoutines(false); }
  void TearDown() override { SelectBlendRoutines(ProcessorHasMmx()); }
};

}  // namespace

// ---- matrix helpers -------------------------------------------------------------------

TEST(Matrix, DeterminantAdjointAndInverse) {
  // x' = 2x + y + 4, y' = 3y + 5.
  const TFloatMatrix m = {{{2, 0, 0}, {1, 3, 0}, {4, 5, 1}}};
  EXPECT_FLOAT_EQ(Determinant(m), 6.0f);

  TFloatMatrix adj = m;
  Adjoint(adj);
  EXPECT_EQ(adj, (TFloatMatrix{{{3, 0, 0}, {-1, 2, 0}, {-7, -10, 6}}}));

  TFloatMatrix inv = m;
  Invert(inv);
  EXPECT_FLOAT_EQ(inv[0][0], 0.5f);
  EXPECT_FLOAT_EQ(inv[1][0], -1.0f / 6);
  EXPECT_FLOAT_EQ(inv[2][0], -7.0f / 6);
  EXPECT_FLOAT_EQ(inv[0][1], 0.0f);
  EXPECT_FLOAT_EQ(inv[1][1], 1.0f / 3);
  EXPECT_FLOAT_EQ(inv[2][1], -5.0f / 3);
  EXPECT_FLOAT_EQ(inv[2][2], 1.0f);
  const TVector3f back = VectorTransform(inv, VectorTransform(m, {7, -2, 1}));
  EXPECT_NEAR(back[0], 7, 1e-5);
  EXPECT_NEAR(back[1], -2, 1e-5);
  EXPECT_NEAR(back[2], 1, 1e-6);
}

TEST(Matrix, NearlySingularMatricesInvertToTheIdentity) {
  TFloatMatrix tiny = {{{0.001f, 0, 0}, {0, 0.001f, 0}, {3, 4, 1}}};  // determinant 0.000001
  Invert(tiny);
  EXPECT_EQ(tiny, IdentityMatrix);
  TFloatMatrix flat = {{{1, 2, 0}, {2, 4, 0}, {0, 0, 1}}};  // determinant 0
  Invert(flat);
  EXPECT_EQ(flat, IdentityMatrix);
}

TEST(Matrix, ProductAppliesTheRightFactorFirst) {
  TFloatMatrix scale = IdentityMatrix;
  scale[0][0] = 2;
  scale[1][1] = 2;
  TFloatMatrix move = IdentityMatrix;
  move[2][0] = 3;
  const TVector3f p = VectorTransform(Mult(move, scale), {1, 1, 1});
  EXPECT_EQ(p, (TVector3f{5, 2, 1}));
  const TVector3f q = VectorTransform(Mult(scale, move), {1, 1, 1});
  EXPECT_EQ(q, (TVector3f{8, 2, 1}));
}

// ---- TAffineTransformation ------------------------------------------------------------

TEST(AffineTransformation, StepsComposeInOrder) {
  TAffineTransformation t;
  EXPECT_EQ(t.Matrix(), IdentityMatrix);
  t.Translate(1, 2);
  t.Scale(3, 3);
  ExpectPoint(Apply(t, 0, 0), 3, 6);
  ExpectPoint(Apply(t, 1, 1), 6, 9);
  t.Clear();
  EXPECT_EQ(t.Matrix(), IdentityMatrix);

  // About (5, 0), not the origin; a positive angle turns the x axis up the screen.
  t.Rotate(5, 0, 90);
  ExpectPoint(Apply(t, 5, 0), 5, 0);
  ExpectPoint(Apply(t, 6, 0), 5, -1);
  ExpectPoint(Apply(t, 5, 1), 6, 0);
  t.Clear();
  t.Rotate(0, 0, 90);
  ExpectPoint(Apply(t, 1, 0), 0, -1);

  t.Clear();
  t.MirrorX(2);
  ExpectPoint(Apply(t, 0, 7), 4, 7);
  t.Clear();
  t.MirrorY(3);
  ExpectPoint(Apply(t, 1, 1), 1, 5);
}

TEST(AffineTransformation, FixedPointInverseAndItsRounding) {
  TAffineTransformation t;
  t.Scale(2, 4);
  t.Translate(3, 1);
  EXPECT_FALSE(t.TransformValid());
  t.PrepareTransform();
  EXPECT_TRUE(t.TransformValid());
  EXPECT_EQ(t.A(), 2048);
  EXPECT_EQ(t.B(), 0);
  EXPECT_EQ(t.C(), -6144);
  EXPECT_EQ(t.D(), 0);
  EXPECT_EQ(t.E(), 1024);
  EXPECT_EQ(t.F(), -1024);

  Integer x = 0, y = 0;
  t.TransformFixed(5, 9, x, y);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 2);
  t.TransformFixed(0, 0, x, y);  // shifts are arithmetic: -4097 >> 12 is -2
  EXPECT_EQ(x, -2);
  EXPECT_EQ(y, 0);
  t.Transform256(5, 9, x, y);
  EXPECT_EQ(x, 256);
  EXPECT_EQ(y, 512);
  t.Transform256(0, 0, x, y);
  EXPECT_EQ(x, -384);
  EXPECT_EQ(y, -64);

  // Every change and a new source rectangle ask for a new preparation.
  t.Rotate(0, 0, 10);
  EXPECT_FALSE(t.TransformValid());
  t.PrepareTransform();
  t.SetSrcRect(MakeFloatRect(0, 0, 1, 1));
  EXPECT_FALSE(t.TransformValid());
}

TEST(AffineTransformation, FixedPointProductsAreSixtyFourBit) {
  TAffineTransformation t;
  t.Scale(0.01f, 0.01f);
  t.PrepareTransform();
  ASSERT_EQ(t.A(), 409600);
  Integer x = 0, y = 0;
  t.TransformFixed(1000000, -1000000, x, y);  // 409600 x 10^6 needs 39 bits
  EXPECT_EQ(x, 100000000);
  EXPECT_EQ(y, -100000000);
  t.Transform256(10000, 3, x, y);
  EXPECT_EQ(x, 256000000);
  EXPECT_EQ(y, 76800);
  // Positions beyond the 32-bit range are held at its limit, far outside any bitmap.
  t.Transform256(1000000, -1000000, x, y);
  EXPECT_EQ(x, std::numeric_limits<Integer>::max());
  EXPECT_EQ(y, std::numeric_limits<Integer>::min());
}

TEST(AffineTransformation, TransformedBoundsRoundHalvesToEven) {
  TAffineTransformation t;
  t.SetSrcRect(MakeFloatRect(0, 0, 3, 3));
  ExpectRect(t.GetTransformedBounds(), 0, 0, 4, 4);

  t.SetSrcRect(MakeFloatRect(0, 0, 10, 5));
  t.Scale(2, 3);
  ExpectRect(t.GetTransformedBounds(), 0, 0, 20, 16);

  t.Clear();
  t.SetSrcRect(MakeFloatRect(0, 0, 3, 1));
  t.MirrorX(0);
  ExpectRect(t.GetTransformedBounds(), -4, 0, 0, 2);

  t.Clear();
  t.SetSrcRect(MakeFloatRect(0, 0, 2, 2));
  t.Rotate(0, 0, 45);
  ExpectRect(t.GetTransformedBounds(), 0, -2, 3, 2);
}

// ---- TransformBitmap ------------------------------------------------------------------

TEST_F(TransformBitmapTest, IdentityCopiesIntoTheTopLeftCorner) {
  auto s = MakeBitmap(Numbered(3, 3));
  auto d = MakeFilled(5, 5, kBg);
  int changes = 0;
  d->OnChange = [&](TObject*) { ++changes; };
  TAffineTransformation t;
  t.SetSrcRect(MakeFloatRect(0, 0, 3, 3));
  TransformBitmap(d.get(), s.get(), &t);
  EXPECT_TRUE(t.TransformValid());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Pixels(*d), (Rows{{At(0, 0), At(1, 0), At(2, 0), kBg, kBg},
                              {At(0, 1), At(1, 1), At(2, 1), kBg, kBg},
                              {At(0, 2), At(1, 2), At(2, 2), kBg, kBg},
                              {kBg, kBg, kBg, kBg, kBg},
                              {kBg, kBg, kBg, kBg, kBg}}));
}

TEST_F(TransformBitmapTest, RotationByNinetyDegrees) {
  auto s = MakeBitmap(Numbered(3, 2));
  auto d = MakeFilled(4, 4, kBg);
  TAffineTransformation t;
  t.SetSrcRect(MakeFloatRect(0, 0, 2, 1));
  t.Rotate(0, 0, 90);
  t.Translate(0, 2);
  t.PrepareTransform();
  EXPECT_EQ((std::vector<Integer>{t.A(), t.B(), t.C(), t.D(), t.E(), t.F()}),
            (std::vector<Integer>{0, -4096, 8192, 4096, 0, 0}));
  TransformBitmap(d.get(), s.get(), &t);
  // The top-right pixel lands top-left: a quarter turn counter-clockwise.
  EXPECT_EQ(Pixels(*d), (Rows{{At(2, 0), At(2, 1), kBg, kBg},
                              {At(1, 0), At(1, 1), kBg, kBg},
                              {At(0, 0), At(0, 1), kBg, kBg},
                              {kBg, kBg, kBg, kBg}}));
}

TEST_F(TransformBitmapTest, MirrorsAboutALine) {
  auto s = MakeBitmap(Numbered(3, 2));
  TAffineTransformation t;
  t.SetSrcRect(MakeFloatRect(0, 0, 2, 1));

  auto d = MakeFilled(4, 3, kBg);
  t.MirrorX(1);
  TransformBitmap(d.get(), s.get(), &t);
  EXPECT_EQ(Pixels(*d), (Rows{{At(2, 0), At(1, 0), At(0, 0), kBg},
                              {At(2, 1), At(1, 1), At(0, 1), kBg},
                              {kBg, kBg, kBg, kBg}}));

  d = MakeFilled(4, 3, kBg);
  t.Clear();
  t.MirrorY(0.5f);
  TransformBitmap(d.get(), s.get(), &t);
  EXPECT_EQ(Pixels(*d), (Rows{{At(0, 1), At(1, 1), At(2, 1), kBg},
                              {At(0, 0), At(1, 0), At(2, 0), kBg},
                              {kBg, kBg, kBg, kBg}}));
}

TEST_F(TransformBitmapTest, BilinearSamplingFadesIntoTheOuterColour) {
  const Rows src = {{0xFF000000, 0xFF808080, 0xFFFFFFFF},
                    {0xFF0000FF, 0xFF00FF00, 0xFFFF0000},
                    {0x80402010, 0x40804020, 0x00000000}};
  auto s = MakeBitmap(src);
  s->SetStretchFilter(sfLinear);
  TAffineTransformation t;
  t.SetSrcRect(MakeFloatRect(0, 0, 2, 2));
  t.Scale(2, 2);
  auto d = MakeFilled(6, 6, kBg);
  TransformBitmap(d.get(), s.get(), &t);
  // Half-pixel steps; the last source row and column of the clip are never reached.
  EXPECT_EQ(Pixels(*d), (Rows{{0xFF000000, 0xFF404040, 0xFF808080, 0xFFC0C0C0, kBg, kBg},
                              {0xFF000080, 0xFF206060, 0xFF40C040, 0xFF9F9F5F, kBg, kBg},
                              {0xFF0000FF, 0xFF00807F, 0xFF00FF00, 0xFF807F00, kBg, kBg},
                              {0xBF201087, 0xAF30584B, 0x9F409F10, 0x8F604F08, kBg, kBg},
                              {kBg, kBg, kBg, kBg, kBg, kBg},
                              {kBg, kBg, kBg, kBg, kBg, kBg}}));

  // Moved by a pixel: the left and top edges fade into OuterColor.
  s->SetOuterColor(0xFF0000FF);
  t.Translate(1, 1);
  d = MakeFilled(6, 6, kBg);
  TransformBitmap(d.get(), s.get(), &t);
  EXPECT_EQ(Pixels(*d), (Rows{{0xFF0000BF, 0xFF00007F, 0xFF20209F, 0xFF4040BF, 0xFF6060DF, kBg},
                              {0xFF00007F, 0xFF000000, 0xFF404040, 0xFF808080, 0xFFC0C0C0, kBg},
                              {0xFF0000BF, 0xFF000080, 0xFF206060, 0xFF40C040, 0xFF9F9F5F, kBg},
                              {0xFF0000FF, 0xFF0000FF, 0xFF00807F, 0xFF00FF00, 0xFF807F00, kBg},
                              {0xDF1008C3, 0xBF201087, 0xAF30584B, 0x9F409F10, 0x8F604F08, kBg},
                              {kBg, kBg, kBg, kBg, kBg, kBg}}));
}

TEST_F(TransformBitmapTest, DrawModesOfTheSource) {
  auto s = MakeBitmap({{0xFFFFFFFF, 0x00FFFFFF}, {0xFFFFFFFF, 0xFFFFFFFF}});
  TAffineTransformation t;
  t.SetSrcRect(MakeFloatRect(0, 0, 2, 2));

  // dmBlend takes the master-alpha blend also at 255: opaque white over black mixes
  // with weight 254.
  s->SetDrawMode(dmBlend);
  auto d = MakeFilled(3, 3, 0xFF000000);
  TransformBitmap(d.get(), s.get(), &t);
  EXPECT_EQ(d->Pixel(0, 0), 0xFEFDFDFDu);
  EXPECT_EQ(d->Pixel(1, 0), 0xFF000000u);
  EXPECT_EQ(d->Pixel(2, 2), 0xFF000000u);

  s->SetDrawMode(dmCustom);
  s->SetMasterAlpha(99);
  std::vector<std::vector<TColor32>> calls;
  s->OnPixelCombine = [&](TColor32 F, TColor32& B, TColor32 M) {
    calls.push_back({F, B, M});
    B = 0x12345678;
  };
  d = MakeFilled(3, 3, 7);
  TransformBitmap(d.get(), s.get(), &t);
  EXPECT_EQ(calls, (std::vector<std::vector<TColor32>>{
                       {0xFFFFFFFF, 7, 99}, {0x00FFFFFF, 7, 99}, {0xFFFFFFFF, 7, 99}, {0xFFFFFFFF, 7, 99}}));
  EXPECT_EQ(d->Pixel(1, 1), 0x12345678u);

  // dmCustom without a callback copies.
  s->OnPixelCombine = nullptr;
  d = MakeFilled(3, 3, 7);
  TransformBitmap(d.get(), s.get(), &t);
  EXPECT_EQ(d->Pixel(1, 0), 0x00FFFFFFu);
}

// Draws the source opaque (its own loop) and through a copying custom combine (the
// pixel-by-pixel loop) into a W x H target: the bytes must be the same, and not all background.
static void ExpectFastLoopMatchesPerPixel(TBitmap32& s, TAffineTransformation& t, int W, int H) {
  Rows results[2];
  for (int pass = 0; pass < 2; ++pass) {
    s.SetDrawMode(pass == 0 ? dmOpaque : dmCustom);
    s.OnPixelCombine = [](TColor32 F, TColor32& B, TColor32) { B = F; };
    auto d = MakeFilled(W, H, kBg);
    TransformBitmap(d.get(), &s, &t);
    results[pass] = Pixels(*d);
  }
  EXPECT_EQ(results[0], results[1]);
  EXPECT_NE(results[0], Pixels(*MakeFilled(W, H, kBg)));
}

// The opaque bilinear case has its own loop; a custom combine that copies takes the
// pixel-by-pixel one. Both must give the same bytes in both blend sets, turned and
// scaled, with edges fading into the outer colour and pixels that sample nothing.
TEST_F(TransformBitmapTest, OpaqueBilinearMatchesThePixelByPixelPath) {
  Rows src(12, std::vector<TColor32>(9));
  for (std::size_t y = 0; y < src.size(); ++y)
    for (std::size_t x = 0; x < src[y].size(); ++x) src[y][x] = static_cast<TColor32>(0x9E3779B9u * (y * 9 + x + 1));
  auto s = MakeBitmap(src);
  s->SetStretchFilter(sfLinear);
  s->SetOuterColor(0x80FF4020);
  for (bool mmx : {false, true}) {
    SelectBlendRoutines(mmx && ProcessorHasMmx());
    for (Single angle : {0.0f, 17.0f, 90.0f, 133.5f, 251.0f}) {
      SCOPED_TRACE(std::to_string(mmx) + " " + std::to_string(angle));
      TAffineTransformation t;
      t.SetSrcRect(MakeFloatRect(0, 0, 8, 11));
      t.Scale(2.3f, 2.3f);
      t.Rotate(10, 13, angle);
      t.Translate(0.4f, 0.7f);
      ExpectFastLoopMatchesPerPixel(*s, t, 30, 34);
    }
  }
}

// Sources on either side of the sides whose pixel offsets the fast loop packs into 16-bit
// factors: wide and tall ones must still read the pixels the per-pixel path reads.
TEST_F(TransformBitmapTest, OpaqueBilinearMatchesThePixelByPixelPathOnLongSources) {
  if (!ProcessorHasMmx()) GTEST_SKIP();
  SelectBlendRoutines(true);
  const struct {
    int w, h;
  } sizes[] = {{32767, 3}, {32768, 3}, {3, 32768}, {3, 32770}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size.w) + " x " + std::to_string(size.h));
    Rows src(static_cast<std::size_t>(size.h), std::vector<TColor32>(static_cast<std::size_t>(size.w)));
    for (std::size_t y = 0; y < src.size(); ++y)
      for (std::size_t x = 0; x < src[y].size(); ++x)
        src[y][x] = static_cast<TColor32>(0x9E3779B9u * (y * src[y].size() + x + 1));
    auto s = MakeBitmap(src);
    s->SetStretchFilter(sfLinear);
    TAffineTransformation t;
    t.SetSrcRect(MakeFloatRect(0, 0, static_cast<Single>(size.w - 1), static_cast<Single>(size.h - 1)));
    // The long side to about 330 pixels, the short one to 60.
    const Single sx = size.w > size.h ? 0.01f : 20.0f, sy = size.w > size.h ? 20.0f : 0.01f;
    const Single cx = static_cast<Single>(size.w) * sx / 2, cy = static_cast<Single>(size.h) * sy / 2;
    t.Scale(sx, sy);
    t.Rotate(cx, cy, 17);
    t.Translate(200 - cx, 200 - cy);
    ExpectFastLoopMatchesPerPixel(*s, t, 400, 400);
  }
}

TEST_F(TransformBitmapTest, NothingHappensWithoutPixelsToReadOrWrite) {
  auto s = MakeBitmap(Numbered(3, 3));
  auto d = MakeFilled(4, 4, kBg);
  int changes = 0;
  d->OnChange = [&](TObject*) { ++changes; };
  TAffineTransformation t;

  for (TStretchFilter f : {sfNearest, sfLinear}) {
    // An empty source.
    TBitmap32 empty;
    empty.SetStretchFilter(f);
    t.SetSrcRect(MakeFloatRect(0, 0, 2, 2));
    TransformBitmap(d.get(), &empty, &t);

    // A source rectangle wholly outside the source.
    s->SetStretchFilter(f);
    t.SetSrcRect(MakeFloatRect(5, 5, 8, 8));
    TransformBitmap(d.get(), s.get(), &t);
    t.SetSrcRect(MakeFloatRect(-9, 0, -4, 2));
    TransformBitmap(d.get(), s.get(), &t);

    // A destination clip one pixel high.
    t.SetSrcRect(MakeFloatRect(0, 0, 2, 0));
    TransformBitmap(d.get(), s.get(), &t);

    // A destination the bounds miss, and an empty destination.
    t.SetSrcRect(MakeFloatRect(0, 0, 2, 2));
    t.Translate(10, 0);
    TransformBitmap(d.get(), s.get(), &t);
    t.Clear();
    TBitmap32 emptyDst;
    TransformBitmap(&emptyDst, s.get(), &t);
    TransformBitmap(d.get(), s.get(), nullptr);
  }
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(Pixels(*d), Rows(4, std::vector<TColor32>(4, kBg)));
}

// Drawing with row spans into a block that was not cleared gives, within each span, the
// pixels of a cleared block, and the cleared block holds nothing outside the spans; for
// the sprite loop and for the general one, turned and not.
TEST_F(TransformBitmapTest, RowSpansHoldWhatAClearedBlockWouldHold) {
  auto s = MakeBitmap(Numbered(9, 12));
  s->SetStretchFilter(sfLinear);
  s->OnPixelCombine = [](TColor32 F, TColor32& B, TColor32) { B = F; };
  constexpr Integer kW = 30, kH = 34;
  for (TDrawMode mode : {dmOpaque, dmCustom}) {
    for (Single angle : {0.0f, 33.0f, 200.0f}) {
      SCOPED_TRACE(std::to_string(mode) + " " + std::to_string(angle));
      s->SetDrawMode(mode);
      TAffineTransformation t;
      t.SetSrcRect(MakeFloatRect(0, 0, 8, 11));
      t.Scale(2.1f, 2.1f);
      t.Rotate(9, 12, angle);
      t.Translate(0.3f, 0.6f);
      auto cleared = MakeFilled(kW, kH, 0);
      TransformBitmap(cleared.get(), s.get(), &t);
      std::vector<TColor32> dirty(kW * kH, 0xDEADBEEF);
      std::vector<TRowSpan> spans;
      ASSERT_TRUE(TransformPixelSpans(dirty.data(), kW, kH, s.get(), &t, spans, sfLinear));
      ASSERT_EQ(spans.size(), static_cast<std::size_t>(kH));
      int inside = 0;
      for (Integer y = 0; y < kH; ++y)
        for (Integer x = 0; x < kW; ++x) {
          if (x >= spans[y].First && x <= spans[y].Last) {
            ++inside;
            EXPECT_EQ(dirty[y * kW + x], cleared->Pixel(x, y)) << x << "," << y;
          } else {
            EXPECT_EQ(cleared->Pixel(x, y), 0u) << x << "," << y;
          }
        }
      EXPECT_GT(inside, 9 * 12);
    }
  }
}
