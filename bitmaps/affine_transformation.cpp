#include "bitmaps/affine_transformation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

#include "bitmaps/blend.h"
#include "bitmaps/blend_mix.h"
#include "platform/classlib/math_utils.h"

namespace {

// Nearest integer, halves to even, held inside the 32-bit range.
Integer RoundToInteger(double v) {
  if (std::isnan(v)) return 0;
  if (v <= std::numeric_limits<Integer>::min()) return std::numeric_limits<Integer>::min();
  if (v >= std::numeric_limits<Integer>::max()) return std::numeric_limits<Integer>::max();
  return static_cast<Integer>(Round(v));
}

Integer SaturateToInteger(Int64 v) {
  return static_cast<Integer>(
      std::clamp<Int64>(v, std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max()));
}

}  // namespace

// ---- TTransformation ------------------------------------------------------------------

const TClass& TTransformation::StaticClass() {
  static const TClass cls = TClass::Of<TTransformation>("TTransformation", TObject::StaticClass());
  return cls;
}

// ---- TAffineTransformation ------------------------------------------------------------

const TClass& TAffineTransformation::StaticClass() {
  static const TClass cls = TClass::Of<TAffineTransformation>("TAffineTransformation", TTransformation::StaticClass());
  return cls;
}

TAffineTransformation::TAffineTransformation() { Clear(); }

void TAffineTransformation::Clear() {
  matrix_ = IdentityMatrix;
  transformValid_ = false;
}

void TAffineTransformation::Apply(const TFloatMatrix& T) {
  matrix_ = Mult(T, matrix_);
  transformValid_ = false;
}

void TAffineTransformation::Translate(Single Dx, Single Dy) {
  TFloatMatrix t = IdentityMatrix;
  t[2][0] = Dx;
  t[2][1] = Dy;
  Apply(t);
}

void TAffineTransformation::Scale(Single Sx, Single Sy) {
  TFloatMatrix t = IdentityMatrix;
  t[0][0] = Sx;
  t[1][1] = Sy;
  Apply(t);
}

void TAffineTransformation::Rotate(Single Cx, Single Cy, Single Alpha) {
  const bool aboutPoint = Cx != 0 || Cy != 0;
  if (aboutPoint) Translate(-Cx, -Cy);
  const double radians = static_cast<double>(Alpha) * std::numbers::pi / 180.0;
  const auto c = static_cast<Single>(std::cos(radians));
  const auto s = static_cast<Single>(std::sin(radians));
  TFloatMatrix t = IdentityMatrix;
  t[0][0] = c;
  t[1][0] = s;
  t[0][1] = -s;
  t[1][1] = c;
  Apply(t);
  if (aboutPoint) Translate(Cx, Cy);
}

void TAffineTransformation::MirrorX(Single Cx) {
  if (Cx != 0) Translate(-Cx, 0);
  TFloatMatrix t = IdentityMatrix;
  t[0][0] = -1;
  Apply(t);
  if (Cx != 0) Translate(Cx, 0);
}

void TAffineTransformation::MirrorY(Single Cy) {
  if (Cy != 0) Translate(0, -Cy);
  TFloatMatrix t = IdentityMatrix;
  t[1][1] = -1;
  Apply(t);
  if (Cy != 0) Translate(0, Cy);
}

void TAffineTransformation::PrepareTransform() {
  TFloatMatrix inverse = matrix_;
  Invert(inverse);
  a_ = RoundToInteger(static_cast<double>(inverse[0][0]) * 4096.0);
  b_ = RoundToInteger(static_cast<double>(inverse[1][0]) * 4096.0);
  c_ = RoundToInteger(static_cast<double>(inverse[2][0]) * 4096.0);
  d_ = RoundToInteger(static_cast<double>(inverse[0][1]) * 4096.0);
  e_ = RoundToInteger(static_cast<double>(inverse[1][1]) * 4096.0);
  f_ = RoundToInteger(static_cast<double>(inverse[2][1]) * 4096.0);
  transformValid_ = true;
}

// Products in 64 bits: a large inverse scale times a destination coordinate does not
// fit 32 bits.
void TAffineTransformation::TransformFixed(Integer DstX, Integer DstY, Integer& SrcX, Integer& SrcY) const {
  SrcX = SaturateToInteger((Int64{a_} * DstX + Int64{b_} * DstY + c_ + 2047) >> 12);
  SrcY = SaturateToInteger((Int64{d_} * DstX + Int64{e_} * DstY + f_ + 2047) >> 12);
}

void TAffineTransformation::Transform256(Integer DstX, Integer DstY, Integer& SrcX, Integer& SrcY) const {
  SrcX = SaturateToInteger((Int64{a_} * DstX + Int64{b_} * DstY + c_ + 7) >> 4);
  SrcY = SaturateToInteger((Int64{d_} * DstX + Int64{e_} * DstY + f_ + 7) >> 4);
}

TRect TAffineTransformation::GetTransformedBounds() const {
  const TFloatRect& r = srcRect_;
  const TVector3f corners[4] = {
      VectorTransform(matrix_, {r.Left, r.Top, 1}), VectorTransform(matrix_, {r.Right, r.Top, 1}),
      VectorTransform(matrix_, {r.Left, r.Bottom, 1}), VectorTransform(matrix_, {r.Right, r.Bottom, 1})};
  Single minX = corners[0][0], maxX = corners[0][0], minY = corners[0][1], maxY = corners[0][1];
  for (const TVector3f& p : corners) {
    minX = std::min(minX, p[0]);
    maxX = std::max(maxX, p[0]);
    minY = std::min(minY, p[1]);
    maxY = std::max(maxY, p[1]);
  }
  return MakeRect(RoundToInteger(static_cast<double>(minX) - 0.5), RoundToInteger(static_cast<double>(minY) - 0.5),
                  RoundToInteger(static_cast<double>(maxX) + 0.5), RoundToInteger(static_cast<double>(maxY) + 0.5));
}

// ---- TransformBitmap ------------------------------------------------------------------

namespace {

// The source position of a destination pixel: the affine map's fixed-point form is
// evaluated inline, other transformations are asked through their virtual operations.
class RowWalker {
 public:
  explicit RowWalker(TTransformation* t) : t_(t), affine_(dynamic_cast<TAffineTransformation*>(t)) {}

  // Nearest: the source pixel.
  void Fixed(Integer x, Integer y, Int64& sx, Int64& sy) const {
    if (affine_) {
      sx = (Int64{affine_->A()} * x + Int64{affine_->B()} * y + affine_->C() + 2047) >> 12;
      sy = (Int64{affine_->D()} * x + Int64{affine_->E()} * y + affine_->F() + 2047) >> 12;
    } else {
      Integer ix, iy;
      t_->TransformFixed(x, y, ix, iy);
      sx = ix;
      sy = iy;
    }
  }
  // Bilinear: the source position in 1/256 pixel.
  void Fine(Integer x, Integer y, Int64& sx, Int64& sy) const {
    if (affine_) {
      sx = (Int64{affine_->A()} * x + Int64{affine_->B()} * y + affine_->C() + 7) >> 4;
      sy = (Int64{affine_->D()} * x + Int64{affine_->E()} * y + affine_->F() + 7) >> 4;
    } else {
      Integer ix, iy;
      t_->Transform256(x, y, ix, iy);
      sx = ix;
      sy = iy;
    }
  }

 private:
  TTransformation* t_;
  TAffineTransformation* affine_;
};

inline void Combine(TDrawMode mode, TColor32 color, TColor32& dst, TColor32 master,
                    const TPixelCombineEvent& callback) {
  switch (mode) {
    case dmOpaque:
      dst = color;
      break;
    case dmBlend:
      BlendColorsMasterInto(color, dst, master);
      break;
    case dmCustom:
      callback(color, dst, master);
      break;
  }
}

// The four pixels of a bilinear sample at source pixel (x, y): read directly inside the
// clip; in the one-pixel band around it through PixelS, so edges fade into OuterColor.
struct TQuad {
  TColor32 p00, p10, p01, p11;
};
inline TQuad ReadQuad(const TBitmap32& src, const TRect& clip, Int64 x, Int64 y) {
  const auto ix = static_cast<Integer>(x);
  const auto iy = static_cast<Integer>(y);
  if (x > clip.left && x < clip.right - 1 && y > clip.top && y < clip.bottom - 1) {
    const TColor32* row0 = src.PixelPtr(ix, iy);
    const TColor32* row1 = row0 + src.Width();
    return {row0[0], row0[1], row1[0], row1[1]};
  }
  return {src.PixelS(ix, iy), src.PixelS(ix + 1, iy), src.PixelS(ix, iy + 1), src.PixelS(ix + 1, iy + 1)};
}

// Bilinear sample at (x256, y256); false where the position lies outside the source
// clip's fringe.
inline bool SampleBilinear(const TBitmap32& src, const TRect& clip, Int64 x256, Int64 y256, TColor32& color) {
  const Int64 x = x256 >> 8;
  const Int64 y = y256 >> 8;
  if (x < -1 || y < -1 || x >= clip.right || y >= clip.bottom) return false;
  const TColor32 wx = 255 - static_cast<TColor32>(x256 & 255);
  const TColor32 wy = 255 - static_cast<TColor32>(y256 & 255);
  const TQuad q = ReadQuad(src, clip, x, y);
  color = CombineColors(CombineColors(q.p00, q.p10, wx), CombineColors(q.p01, q.p11, wx), wy);
  return true;
}

inline bool Fits32(Int64 v) { return v >= INT32_MIN && v <= INT32_MAX; }

// floor(V) - 1 and ceil(V) + 1, held within ±1e18. Below 2^52 the sum is exact and the
// truncation gives the same integer without a library call.
inline Int64 FloorLess1(double v) {
  if (std::fabs(v) < 0x1p52) {
    const auto t = static_cast<Int64>(v);
    return t - (v < static_cast<double>(t)) - 1;
  }
  return static_cast<Int64>(std::max(std::floor(v) - 1, -1e18));
}
inline Int64 CeilPlus1(double v) {
  if (std::fabs(v) < 0x1p52) {
    const auto t = static_cast<Int64>(v);
    return t + (v > static_cast<double>(t)) + 1;
  }
  return static_cast<Int64>(std::min(std::ceil(v) + 1, 1e18));
}

// Narrows [First, Last] towards the x for which -4096 <= Step·x + K < End·4096, with a
// pixel to spare on each side; an empty result leaves First > Last.
inline void NarrowToSpan(Int64 Step, Int64 K, Integer End, Int64& First, Int64& Last) {
  const double low = -4096.0 - static_cast<double>(K);
  const double high = static_cast<double>(End) * 4096.0 - static_cast<double>(K);
  double from, to;
  if (Step > 0) {
    from = low / static_cast<double>(Step);
    to = high / static_cast<double>(Step);
  } else if (Step < 0) {
    from = high / static_cast<double>(Step);
    to = low / static_cast<double>(Step);
  } else {
    if (!(low <= 0 && 0 < high)) Last = First - 1;
    return;
  }
  First = std::max(First, FloorLess1(from));
  Last = std::min(Last, CeilPlus1(to));
}

// The source-over-destination loop of the common sprite case, an affine map sampled
// bilinearly and copied opaque: the fixed-point position moves on by A and D per pixel
// (the same sums the per-pixel form makes) and the mixes run inline. Mix is the active
// set's CombineColors.
// With Spans, each row's visited columns are recorded there and the pixels among them
// without a sample are cleared, so that the caller needs no cleared block.
template <typename MixPair>
void AffineBilinearOpaque(TColor32* dst, Integer stride, const TRect& dstClip, const TBitmap32& src,
                          const TRect& srcClip, const TAffineTransformation& t, MixPair mix, TRowSpan* spans) {
  const Int64 a = t.A(), b = t.B(), d = t.D(), e = t.E();
  // Held in locals: a store into the destination could, for the compiler, change them.
  const Int64 right = srcClip.right, bottom = srcClip.bottom;
  const TColor32* const bits = src.Empty() ? nullptr : src.ScanLine(0);
  const std::ptrdiff_t width = src.Width();
  // 0, 1, 2 and 3 steps, for four positions in one register (used only when 4·a and
  // 4·d fit 32 bits).
  const auto steps = [](Int64 step) {
    if constexpr (MixPair::kPairs) return MixPair::Steps(Fits32(4 * step) ? step : 0);
    else return 0;
  };
  [[maybe_unused]] const auto stepsX = steps(a), stepsY = steps(d);
  // 0 <= p >> 12 < end as one unsigned comparison of p with end·4096 (ends are >= 0).
  [[maybe_unused]] const auto rightLimit = static_cast<std::uint64_t>(right) << 12;
  [[maybe_unused]] const auto bottomLimit = static_cast<std::uint64_t>(bottom) << 12;
  // Source offsets fit one 16-bit multiply-add.
  [[maybe_unused]] const bool shortSides = width <= 32767 && bottom <= 32767;
  for (Integer y = dstClip.top; y <= dstClip.bottom; ++y) {
    TColor32* dstRow = dst + static_cast<std::ptrdiff_t>(y) * stride;
    const Int64 kx = b * y + t.C() + 7;
    const Int64 ky = e * y + t.F() + 7;
    // Only the pixels whose source position can lie in the fringe are visited: from the
    // position's (a·x + k) >> 12 in [-1, clip end - 1], widened by a pixel each way; the
    // exact test below still decides.
    Int64 first = dstClip.left, last = dstClip.right;
    NarrowToSpan(a, kx, srcClip.right, first, last);
    NarrowToSpan(d, ky, srcClip.bottom, first, last);
    if (spans && first <= last) spans[y] = {static_cast<Integer>(first), static_cast<Integer>(last)};
    Int64 nx = a * first + kx;
    Int64 ny = d * first + ky;
    // Positions that stay within 32 bits along the row go four to a register.
    const bool lanes32 = last > first && Fits32(nx) && Fits32(ny) && Fits32(nx + a * (last - first)) &&
                         Fits32(ny + d * (last - first)) && Fits32(4 * a) && Fits32(4 * d);
    for (Integer x = static_cast<Integer>(first); x <= last; ++x, nx += a, ny += d) {
      if constexpr (MixPair::kPairs) {
        // Four or two pixels at once where all read their four source pixels inside the
        // bitmap: the pixels ReadQuad reads, one way or the other. The source pixel moves
        // monotonically along the row, so the first and last of a run decide for all.
        const auto inside = [&](Int64 px, Int64 py) {
          return static_cast<std::uint64_t>(px) < rightLimit && static_cast<std::uint64_t>(py) < bottomLimit;
        };
        const bool firstInside = inside(nx, ny);
        if (lanes32 && x + 3 <= last && firstInside && inside(nx + 3 * a, ny + 3 * d)) {
          // The next run's first pixel lies between this run's last and its own last.
          for (;;) {
            MixPair::Four(static_cast<std::int32_t>(nx), static_cast<std::int32_t>(ny), stepsX, stepsY, bits, width,
                          shortSides, dstRow + x);
            if (!(x + 7 <= last && inside(nx + 7 * a, ny + 7 * d))) break;
            x += 4;
            nx += 4 * a;
            ny += 4 * d;
          }
          x += 3;
          nx += 3 * a;
          ny += 3 * d;
          continue;
        }
        if (const Int64 sxa = nx >> 12, sya = ny >> 12, sxb = (nx + a) >> 12, syb = (ny + d) >> 12;
            x < last && firstInside && inside(nx + a, ny + d)) {
          const TColor32* rowA = bits + sya * width + sxa;
          const TColor32* rowB = bits + syb * width + sxb;
          MixPair::Two(rowA, rowA + width, 255 - static_cast<TColor32>((nx >> 4) & 255),
                       255 - static_cast<TColor32>((ny >> 4) & 255), rowB, rowB + width,
                       255 - static_cast<TColor32>(((nx + a) >> 4) & 255),
                       255 - static_cast<TColor32>(((ny + d) >> 4) & 255), dstRow + x);
          ++x;
          nx += a;
          ny += d;
          continue;
        }
      }
      const Int64 x256 = nx >> 4;
      const Int64 y256 = ny >> 4;
      const Int64 sx = x256 >> 8;
      const Int64 sy = y256 >> 8;
      if (sx < -1 || sy < -1 || sx >= srcClip.right || sy >= srcClip.bottom) {
        if (spans) dstRow[x] = 0;
        continue;
      }
      const TColor32 wx = 255 - static_cast<TColor32>(x256 & 255);
      const TColor32 wy = 255 - static_cast<TColor32>(y256 & 255);
      const TQuad q = ReadQuad(src, srcClip, sx, sy);
      dstRow[x] = mix(q.p00, q.p10, q.p01, q.p11, wx, wy);
    }
  }
}

// CombineColors(CombineColors(p00, p10, wx), CombineColors(p01, p11, wx), wy) of each set.
struct IntMixPair {
  static constexpr bool kPairs = false;
  TColor32 operator()(TColor32 p00, TColor32 p10, TColor32 p01, TColor32 p11, TColor32 wx, TColor32 wy) const {
    using blend_detail::IntCombine;
    return IntCombine(IntCombine(p00, p10, wx), IntCombine(p01, p11, wx), wy);
  }
};

struct MmxMixPair {
#if defined(__SSE2__)
  static constexpr bool kPairs = true;
  // The mixes of two neighbouring destination pixels in one register: each reads p00
  // and p10 at its Top, p01 and p11 at its Bottom.
  static void Two(const TColor32* topA, const TColor32* bottomA, TColor32 wxA, TColor32 wyA, const TColor32* topB,
                  const TColor32* bottomB, TColor32 wxB, TColor32 wyB, TColor32* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi16(128);
    // p00, p01, p10, p11 of each.
    const __m128i quadA = _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(topA)),
                                             _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bottomA)));
    const __m128i quadB = _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(topB)),
                                             _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bottomB)));
    const __m128i rowsA = blend_detail::MmxMixLanes(_mm_unpacklo_epi8(quadA, zero), _mm_unpackhi_epi8(quadA, zero),
                                                    _mm_set1_epi16(static_cast<short>(wxA)), bias);
    const __m128i rowsB = blend_detail::MmxMixLanes(_mm_unpacklo_epi8(quadB, zero), _mm_unpackhi_epi8(quadB, zero),
                                                    _mm_set1_epi16(static_cast<short>(wxB)), bias);
    const __m128i wy =
        _mm_unpacklo_epi64(_mm_set1_epi16(static_cast<short>(wyA)), _mm_set1_epi16(static_cast<short>(wyB)));
    const __m128i lanes =
        blend_detail::MmxMixLanes(_mm_unpacklo_epi64(rowsA, rowsB), _mm_unpackhi_epi64(rowsA, rowsB), wy, bias);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(lanes, lanes));
  }
  // 0, 1, 2 and 3 times Step, for Four.
  static __m128i Steps(Int64 step) {
    const auto s = static_cast<std::int32_t>(step);
    return _mm_setr_epi32(0, s, 2 * s, 3 * s);
  }
  // Four neighbouring destination pixels, at positions N + k·Step (k = 0 to 3), all of
  // which read their source pixels inside the bitmap: the mixes of Two, with the
  // positions and weights in registers too.
  static void Four(std::int32_t nx, std::int32_t ny, __m128i stepsX, __m128i stepsY, const TColor32* bits,
                   std::ptrdiff_t width, bool shortSides, TColor32* out) {
    const __m128i px = _mm_add_epi32(_mm_set1_epi32(nx), stepsX);
    const __m128i py = _mm_add_epi32(_mm_set1_epi32(ny), stepsY);
    const __m128i sx = _mm_srai_epi32(px, 12);
    const __m128i sy = _mm_srai_epi32(py, 12);
    const TColor32* at[4];
    if (shortSides) {
      // sy·width + sx of each in one multiply-add: every factor fits 16 bits, the sum 31.
      const __m128i sx16 = _mm_packs_epi32(sx, sx), sy16 = _mm_packs_epi32(sy, sy);
      const __m128i offsets = _mm_madd_epi16(_mm_unpacklo_epi16(sx16, sy16),
                                             _mm_set1_epi32(static_cast<std::int32_t>((width << 16) | 1)));
      at[0] = bits + _mm_cvtsi128_si32(offsets);
      at[1] = bits + _mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 1));
      at[2] = bits + _mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 2));
      at[3] = bits + _mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 3));
    } else {
      alignas(16) std::int32_t xs[4], ys[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(xs), sx);
      _mm_store_si128(reinterpret_cast<__m128i*>(ys), sy);
      for (int k = 0; k < 4; ++k) at[k] = bits + ys[k] * width + xs[k];
    }
    // 255 - (position·256 and 255), each weight spread over the four lanes of its pixel.
    const __m128i byte = _mm_set1_epi32(255);
    const __m128i wx = _mm_xor_si128(_mm_and_si128(_mm_srai_epi32(px, 4), byte), byte);
    const __m128i wy = _mm_xor_si128(_mm_and_si128(_mm_srai_epi32(py, 4), byte), byte);
    const __m128i wx2 = _mm_unpacklo_epi16(_mm_packs_epi32(wx, wx), _mm_packs_epi32(wx, wx));
    const __m128i wy2 = _mm_unpacklo_epi16(_mm_packs_epi32(wy, wy), _mm_packs_epi32(wy, wy));
    const __m128i mixed01 = MixTwo(at[0], at[1], width, _mm_unpacklo_epi32(wx2, wx2), _mm_unpacklo_epi32(wy2, wy2));
    const __m128i mixed23 = MixTwo(at[2], at[3], width, _mm_unpackhi_epi32(wx2, wx2), _mm_unpackhi_epi32(wy2, wy2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(mixed01, mixed23));
  }

 private:
  // Pixels A and B, each from p00 and p10 at its address and p01 and p11 a row below,
  // with weights already spread: the two unpacked results in one register.
  static __m128i MixTwo(const TColor32* a, const TColor32* b, std::ptrdiff_t width, __m128i wx, __m128i wy) {
    const __m128i bias = _mm_set1_epi16(128);
    // p00 of A, p00 of B, p10 of A, p10 of B; and the same a row below.
    const __m128i top = _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a)),
                                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b)));
    const __m128i low = _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + width)),
                                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + width)));
    return blend_detail::MmxMixLanes(MixHalves(top, wx), MixHalves(low, wx), wy, bias);
  }
  // MmxMixLanes of Packed's low eight bytes with its high eight: y·256 + 128 comes
  // straight from interleaving 128 with y's bytes, one operation for a shift and an add.
  static __m128i MixHalves(__m128i packed, __m128i w) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i difference = _mm_sub_epi16(_mm_unpacklo_epi8(packed, zero), _mm_unpackhi_epi8(packed, zero));
    const __m128i yBiased = _mm_unpackhi_epi8(_mm_set1_epi8(static_cast<char>(0x80)), packed);
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(difference, w), yBiased), 8);
  }

 public:
#else
  static constexpr bool kPairs = false;
#endif
  TColor32 operator()(TColor32 p00, TColor32 p10, TColor32 p01, TColor32 p11, TColor32 wx, TColor32 wy) const {
#if defined(__SSE2__)
    // Both rows' mixes in one register; their lanes already hold bytes, as the packed
    // and unpacked results of the first two mixes would.
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi16(128);
    const __m128i left = _mm_unpacklo_epi8(
        _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(p00)), _mm_cvtsi32_si128(static_cast<int>(p01))), zero);
    const __m128i right = _mm_unpacklo_epi8(
        _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(p10)), _mm_cvtsi32_si128(static_cast<int>(p11))), zero);
    const __m128i rows = blend_detail::MmxMixLanes(left, right, _mm_set1_epi16(static_cast<short>(wx)), bias);
    const __m128i lanes =
        blend_detail::MmxMixLanes(rows, _mm_unpackhi_epi64(rows, rows), _mm_set1_epi16(static_cast<short>(wy)), bias);
    return static_cast<TColor32>(_mm_cvtsi128_si32(_mm_packus_epi16(lanes, lanes)));
#else
    using blend_detail::MmxMix;
    return MmxMix(MmxMix(p00, p10, wx), MmxMix(p01, p11, wx), wy);
#endif
  }
};

// TransformPixels, and with Spans and Filter (standing for Src's stretch filter)
// TransformPixelSpans.
bool TransformInto(TColor32* Dst, Integer Width, Integer Height, TBitmap32* Src, TTransformation* Transformation,
                   std::vector<TRowSpan>* Spans, const TStretchFilter* Filter) {
  if (Spans) Spans->assign(static_cast<std::size_t>(std::max(Height, 0)), TRowSpan{});
  if (!Src || !Transformation) return false;
  if (!Transformation->TransformValid()) Transformation->PrepareTransform();

  TDrawMode mode = Src->DrawMode();
  const TPixelCombineEvent& callback = Src->OnPixelCombine;
  if (mode == dmCustom && !callback) mode = dmOpaque;
  const TColor32 master = Src->MasterAlpha();

  // Both clips hold inclusive bounds. An empty source, or a source rectangle wholly
  // outside it, has nothing to read.
  if (Src->Empty()) return false;
  TRect srcClip;
  if (!IntersectRects(srcClip, RoundFloatRect(Transformation->SrcRect(), roNearest),
                      MakeRect(0, 0, Src->Width() - 1, Src->Height() - 1)))
    return false;
  TRect dstClip;
  if (!IntersectRects(dstClip, Transformation->GetTransformedBounds(), MakeRect(0, 0, Width - 1, Height - 1)) ||
      RectIsEmpty(dstClip))
    return false;
  if (!Dst) return false;

  EndMmxGuard endMmx;
  const bool nearest = (Filter ? *Filter : Src->StretchFilter()) == sfNearest;
  const auto* affine = dynamic_cast<const TAffineTransformation*>(Transformation);
  TRowSpan* spans = Spans ? Spans->data() : nullptr;
  if (affine && !nearest && mode == dmOpaque) {
    if (CombineColors == &blend_detail::IntCombineColors) {
      AffineBilinearOpaque(Dst, Width, dstClip, *Src, srcClip, *affine, IntMixPair{}, spans);
      return true;
    }
    if (MmxActive) {
      AffineBilinearOpaque(Dst, Width, dstClip, *Src, srcClip, *affine, MmxMixPair{}, spans);
      return true;
    }
  }
  if (Spans) {
    // The general loop may blend into what is there: it gets the cleared block it expects.
    std::fill_n(Dst, static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height), TColor32{0});
    for (Integer y = dstClip.top; y <= dstClip.bottom; ++y) spans[y] = {dstClip.left, dstClip.right};
  }
  const RowWalker walk(Transformation);
  for (Integer y = dstClip.top; y <= dstClip.bottom; ++y) {
    TColor32* dstRow = Dst + static_cast<std::ptrdiff_t>(y) * Width;
    for (Integer x = dstClip.left; x <= dstClip.right; ++x) {
      Int64 sx, sy;
      if (nearest) {
        walk.Fixed(x, y, sx, sy);
        if (sx >= srcClip.left && sx <= srcClip.right && sy >= srcClip.top && sy <= srcClip.bottom)
          Combine(mode, Src->Pixel(static_cast<Integer>(sx), static_cast<Integer>(sy)), dstRow[x], master, callback);
      } else {
        walk.Fine(x, y, sx, sy);
        TColor32 color;
        if (SampleBilinear(*Src, srcClip, sx, sy, color)) Combine(mode, color, dstRow[x], master, callback);
      }
    }
  }
  return true;
}

}  // namespace

bool TransformPixels(TColor32* Dst, Integer Width, Integer Height, TBitmap32* Src,
                     TTransformation* Transformation) {
  return TransformInto(Dst, Width, Height, Src, Transformation, nullptr, nullptr);
}

bool TransformPixelSpans(TColor32* Dst, Integer Width, Integer Height, TBitmap32* Src, TTransformation* Transformation,
                         std::vector<TRowSpan>& Spans, TStretchFilter Filter) {
  return TransformInto(Dst, Width, Height, Src, Transformation, &Spans, &Filter);
}

void TransformBitmap(TBitmap32* Dst, TBitmap32* Src, TTransformation* Transformation) {
  if (!Dst) return;
  TColor32* bits = Dst->Empty() ? nullptr : Dst->ScanLine(0);
  if (TransformPixels(bits, Dst->Width(), Dst->Height(), Src, Transformation)) Dst->Changed();
}
