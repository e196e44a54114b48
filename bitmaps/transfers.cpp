#include "bitmaps/transfers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "bitmaps/blend.h"
#include "platform/classlib/math_utils.h"

namespace {

constexpr const char* kDstEmpty = "Destination bitmap is nil or empty";
constexpr const char* kSrcEmpty = "Source bitmap is nil or empty";
constexpr const char* kSrcRectInvalid = "Source rectangle is invalid";

void CheckBitmaps(TBitmap32* Dst, TBitmap32* Src) {
  if (!Dst || Dst->Empty()) throw ETransformError(kDstEmpty);
  if (!Src || Src->Empty()) throw ETransformError(kSrcEmpty);
}

TDrawMode EffectiveMode(TDrawMode mode, const TPixelCombineEvent& callback) {
  return (mode == dmCustom && !callback) ? dmOpaque : mode;
}

// a * b / c for non-negative a, b and positive c, halves rounded up, with a 128-bit
// product: the same results as RoundedMulDiv wherever that does not overflow.
Int64 RoundedMulDiv64(Int64 a, Int64 b, Int64 c) {
  const unsigned __int128 product = static_cast<unsigned __int128>(a) * static_cast<unsigned __int128>(b);
  const auto uc = static_cast<unsigned __int128>(c);
  unsigned __int128 q = product / uc;
  const unsigned __int128 r = product % uc;
  if (uc - r <= r) ++q;
  return static_cast<Int64>(q);
}

// The checked and clipped geometry of one stretch transfer. Sides are 64-bit so that
// the fixed-point set-up cannot overflow.
struct StretchSetup {
  TRect clip;  // destination pixels to write, inside Dst
  Int64 dw = 0, dh = 0, sw = 0, sh = 0;
  Int64 dx = 0, dy = 0;  // clip's offset from DstRect's top-left
};

// The common checks of the stretch transfers; false when there is nothing to draw.
bool PrepareStretch(TBitmap32* Dst, const TRect& DstRect, TBitmap32* Src, const TRect& SrcRect, StretchSetup& s) {
  CheckBitmaps(Dst, Src);
  if (RectIsEmpty(SrcRect)) return false;
  if (SrcRect.left < 0 || SrcRect.top < 0 || SrcRect.right > Src->Width() || SrcRect.bottom > Src->Height())
    throw ETransformError(kSrcRectInvalid);
  if (RectIsEmpty(DstRect)) return false;
  if (!IntersectRects(s.clip, DstRect, MakeRect(0, 0, Dst->Width(), Dst->Height())) || RectIsEmpty(s.clip))
    return false;
  s.dw = Int64{DstRect.right} - DstRect.left;
  s.dh = Int64{DstRect.bottom} - DstRect.top;
  s.sw = Int64{SrcRect.right} - SrcRect.left;
  s.sh = Int64{SrcRect.bottom} - SrcRect.top;
  s.dx = Int64{s.clip.left} - DstRect.left;
  s.dy = Int64{s.clip.top} - DstRect.top;
  return true;
}

bool SameSize(const StretchSetup& s) { return s.dw == s.sw && s.dh == s.sh; }

// Stores, blends or hands one colour to the callback, as the mode says.
inline void CombinePixel(TDrawMode mode, TColor32 color, TColor32& dst, TColor32 master,
                         const TPixelCombineEvent& callback) {
  switch (mode) {
    case dmOpaque:
      dst = color;
      break;
    case dmBlend:
      if (master == 255)
        BlendColorsInto(color, dst);
      else
        BlendColorsMasterInto(color, dst, master);
      break;
    case dmCustom:
      callback(color, dst, master);
      break;
  }
}

// ---- nearest ------------------------------------------------------------------------

void NearestOpaque(TBitmap32* Dst, TBitmap32* Src, const TRect& SrcRect, const StretchSetup& s) {
  const Int64 offX = s.dw > 1 ? RoundedMulDiv64(s.dx * (s.sw - 1), 65535, s.dw - 1) : 0;
  const Int64 offY = s.dh > 1 ? RoundedMulDiv64(s.dy * (s.sh - 1), 65535, s.dh - 1) : 0;
  const Int64 stepX = (s.sw << 16) / s.dw;
  const Int64 stepY = (s.sh << 16) / s.dh;
  const Int64 lastCol = s.sw - 1;
  const Int64 lastRow = s.sh - 1;
  Int64 accY = offY;
  for (Integer y = s.clip.top; y < s.clip.bottom; ++y, accY += stepY) {
    const TColor32* srcRow = Src->ScanLine(SrcRect.top + static_cast<Integer>(std::min(accY >> 16, lastRow))) +
                             SrcRect.left;
    TColor32* dstRow = Dst->ScanLine(y);
    Int64 accX = offX;
    for (Integer x = s.clip.left; x < s.clip.right; ++x, accX += stepX)
      dstRow[x] = srcRow[std::min(accX >> 16, lastCol)];
  }
}

void Nearest(TBitmap32* Dst, TBitmap32* Src, const TRect& SrcRect, const StretchSetup& s, TDrawMode mode,
             const TPixelCombineEvent& callback) {
  const TColor32 master = Src->MasterAlpha();
  if (master == 0) return;
  EndMmxGuard endMmx;
  const Int64 offX = RoundedMulDiv64(s.dx * s.sw, 65535, s.dw);
  const Int64 offY = RoundedMulDiv64(s.dy * s.sh, 65535, s.dh);
  const Int64 stepX = (s.sw << 16) / s.dw;
  const Int64 stepY = (s.sh << 16) / s.dh;
  const Int64 lastCol = s.sw - 1;
  const Int64 lastRow = s.sh - 1;
  Int64 accY = offY;
  for (Integer y = s.clip.top; y < s.clip.bottom; ++y, accY += stepY) {
    const TColor32* srcRow = Src->ScanLine(SrcRect.top + static_cast<Integer>(std::min(accY >> 16, lastRow))) +
                             SrcRect.left;
    TColor32* dstRow = Dst->ScanLine(y);
    Int64 accX = offX;
    for (Integer x = s.clip.left; x < s.clip.right; ++x, accX += stepX)
      CombinePixel(mode, srcRow[std::min(accX >> 16, lastCol)], dstRow[x], master, callback);
  }
}

// ---- bilinear -----------------------------------------------------------------------

void Linear(TBitmap32* Dst, TBitmap32* Src, const TRect& SrcRect, const StretchSetup& s, TDrawMode mode,
            const TPixelCombineEvent& callback) {
  const TColor32 master = Src->MasterAlpha();
  if (master == 0) return;
  EndMmxGuard endMmx;
  const Int64 offX = RoundedMulDiv64(s.dx * (s.sw - 1), 65535, s.dw);
  const Int64 offY = RoundedMulDiv64(s.dy * (s.sh - 1), 65535, s.dh);
  const Int64 stepX = ((s.sw - 1) << 16) / s.dw;
  const Int64 stepY = ((s.sh - 1) << 16) / s.dh;
  const Int64 lastCol = s.sw - 1;
  const Int64 lastRow = s.sh - 1;
  // Blending below full master alpha mixes along the rows first.
  const bool rowsFirst = mode == dmBlend && master < 255;
  Int64 accY = offY;
  for (Integer y = s.clip.top; y < s.clip.bottom; ++y, accY += stepY) {
    // The lower neighbour of the last source row is that row itself.
    const Int64 sy = std::min(accY >> 16, lastRow);
    const TColor32* row0 = Src->ScanLine(SrcRect.top + static_cast<Integer>(sy)) + SrcRect.left;
    const TColor32* row1 = sy < lastRow ? row0 + Src->Width() : row0;
    const TColor32 wy = 255 - static_cast<TColor32>((accY >> 8) & 255);
    TColor32* dstRow = Dst->ScanLine(y);
    Int64 accX = offX;
    for (Integer x = s.clip.left; x < s.clip.right; ++x, accX += stepX) {
      // The right neighbour of the last source column (a one-pixel-wide source) is
      // that column itself.
      const Int64 o0 = std::min(accX >> 16, lastCol);
      const Int64 o1 = std::min(o0 + 1, lastCol);
      const TColor32 wx = 255 - static_cast<TColor32>((accX >> 8) & 255);
      const TColor32 color = rowsFirst ? CombineColors(CombineColors(row0[o0], row0[o1], wx),
                                                       CombineColors(row1[o0], row1[o1], wx), wy)
                                       : CombineColors(CombineColors(row0[o0], row1[o0], wy),
                                                       CombineColors(row0[o1], row1[o1], wy), wx);
      CombinePixel(mode, color, dstRow[x], master, callback);
    }
  }
}

// ---- mapping tables -----------------------------------------------------------------

double Kernel(TStretchFilter filter, double x) {
  switch (filter) {
    case sfNearest:
      return (x > -0.5 && x <= 0.5) ? 1.0 : 0.0;
    case sfLinear:
    case sfLinear2:
      if (x >= -1.0 && x < 0.0) return 1.0 + x;
      if (x >= 0.0 && x < 1.0) return 1.0 - x;
      return 0.0;
    case sfSpline: {
      const double a = std::fabs(x);
      if (a < 1.0) return 0.5 * a * a * a - a * a + 2.0 / 3.0;
      if (a < 2.0) return (2.0 - a) * (2.0 - a) * (2.0 - a) / 6.0;
      return 0.0;
    }
  }
  return 0.0;
}

Single TableHalfWidth(TStretchFilter filter) { return filter == sfSpline ? 1.5f : 1.001f; }

Integer RoundWeight(double v) { return static_cast<Integer>(Round(v)); }

// A one-pixel destination over a source so wide that every rounded weight is 0: the
// exact kernel shares are scaled to a total of 255 and the rounding leftovers go to the
// largest remainders, so the pixel still sees the middle of the source.
void ShareOutWeights(TCluster& cluster, const std::vector<std::pair<Integer, double>>& shares) {
  double total = 0;
  for (const auto& s : shares) total += s.second;
  if (!(total > 0)) return;
  std::vector<std::pair<double, std::size_t>> rest;
  Integer given = 0;
  std::vector<Integer> weights(shares.size());
  for (std::size_t n = 0; n < shares.size(); ++n) {
    const double exact = shares[n].second * 255.0 / total;
    weights[n] = static_cast<Integer>(std::floor(exact));
    given += weights[n];
    rest.emplace_back(exact - weights[n], n);
  }
  std::stable_sort(rest.begin(), rest.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  for (std::size_t n = 0; n < rest.size() && given < 255; ++n, ++given) ++weights[rest[n].second];
  for (std::size_t n = 0; n < shares.size(); ++n)
    if (weights[n] != 0) cluster.push_back({shares[n].first, weights[n]});
}

// Clusters first..first+count-1 of the table BuildMappingTable describes; each cluster
// depends on its index only, so a transfer builds just the clusters its clip needs.
TMappingTable BuildClusters(Int64 dstWidth, Integer clampWidth, Integer srcLo, Integer srcHi,
                            TStretchFilter filter, Int64 first, Int64 count) {
  TMappingTable table;
  if (clampWidth <= 0) return table;
  table.resize(static_cast<std::size_t>(count));
  const Int64 srcWidth = Int64{srcHi} - srcLo;
  if (srcWidth < 1 || dstWidth < 1) return table;
  const Integer lastPos = clampWidth - 1;
  auto clampPos = [lastPos](Int64 j) { return static_cast<Integer>(std::clamp<Int64>(j, 0, lastPos)); };

  Single scale;
  Single origin = static_cast<Single>(srcLo);
  if (srcWidth == 1) {
    // One source pixel: every destination pixel samples it (the corner-aligned scale
    // would divide by zero).
    scale = std::numeric_limits<Single>::infinity();
  } else if (dstWidth == 1) {
    // One destination pixel: centred on the source, seeing all of it.
    scale = static_cast<Single>(1.0 / static_cast<double>(srcWidth));
    origin = static_cast<Single>(srcLo + static_cast<double>(srcWidth - 1) / 2.0);
  } else {
    scale = static_cast<Single>(static_cast<double>(dstWidth - 1) / static_cast<double>(srcWidth - 1));
  }

  if (scale < 1.0f) {
    const Single halfWidth = TableHalfWidth(filter) / scale;
    const Single step = 1.0f / scale;
    for (Int64 n = 0; n < count; ++n) {
      const Int64 i = first + n;
      const Single centre = static_cast<Single>(static_cast<double>(i) * step + origin);
      TCluster& cluster = table[static_cast<std::size_t>(n)];
      Single sum = 0;
      const Int64 jLo = static_cast<Int64>(std::floor(static_cast<double>(centre) - halfWidth));
      const Int64 jHi = static_cast<Int64>(std::ceil(static_cast<double>(centre) + halfWidth));
      std::vector<std::pair<Integer, double>> shares;
      for (Int64 j = jLo; j <= jHi; ++j) {
        const double k = Kernel(filter, (static_cast<double>(centre) - static_cast<double>(j)) * scale);
        const Integer weight = RoundWeight(k * 255.0 * scale);
        if (dstWidth == 1 && k > 0) shares.emplace_back(clampPos(j), k);
        if (weight != 0) {
          cluster.push_back({clampPos(j), weight});
          sum += static_cast<Single>(weight) / 255.0f;
        }
      }
      if (!(sum > 0) && dstWidth == 1) {
        ShareOutWeights(cluster, shares);
        continue;
      }
      if (!(sum > 0)) throw EAssertionFailed("Assertion failure");
      if (sum != 1.0f)
        for (TClusterEntry& e : cluster) e.Weight = RoundWeight(static_cast<double>(e.Weight) / sum);
    }
  } else {
    const Single halfWidth = 1.0f / TableHalfWidth(filter);
    const Single step = std::isinf(scale) ? 0.0f : 1.0f / scale;
    for (Int64 n = 0; n < count; ++n) {
      const Int64 i = first + n;
      const Single centre = static_cast<Single>(static_cast<double>(i) * step + origin);
      TCluster& cluster = table[static_cast<std::size_t>(n)];
      const Int64 jLo = static_cast<Int64>(std::floor(static_cast<double>(centre) - halfWidth));
      const Int64 jHi = static_cast<Int64>(std::ceil(static_cast<double>(centre) + halfWidth));
      for (Int64 j = jLo; j <= jHi; ++j) {
        const Integer weight =
            RoundWeight(Kernel(filter, static_cast<double>(centre) - static_cast<double>(j)) * 256.0);
        if (weight != 0) cluster.push_back({clampPos(j), weight});
      }
    }
  }
  return table;
}

// The colour of summed channels at the 1/65536 scale.
inline TColor32 ChannelByte(Int64 sum, int shift) {
  if (sum > 0xFFFFFF) return TColor32{255} << shift;
  return static_cast<TColor32>((sum >> 16) & 255) << shift;
}

void TableResample(TBitmap32* Dst, TBitmap32* Src, const TRect& SrcRect, const StretchSetup& s, TStretchFilter filter,
                   TDrawMode mode, const TPixelCombineEvent& callback) {
  const TColor32 master = Src->MasterAlpha();
  if (mode == dmBlend && master == 0) return;
  const TMappingTable horz = BuildClusters(s.dw, Src->Width(), SrcRect.left, SrcRect.right, filter, s.dx,
                                           Int64{s.clip.right} - s.clip.left);
  const TMappingTable vert = BuildClusters(s.dh, Src->Height(), SrcRect.top, SrcRect.bottom, filter, s.dy,
                                           Int64{s.clip.bottom} - s.clip.top);
  EndMmxGuard endMmx;
  for (Integer y = s.clip.top; y < s.clip.bottom; ++y) {
    const TCluster& cy = vert[static_cast<std::size_t>(y - s.clip.top)];
    TColor32* dstRow = Dst->ScanLine(y);
    for (Integer x = s.clip.left; x < s.clip.right; ++x) {
      const TCluster& cx = horz[static_cast<std::size_t>(x - s.clip.left)];
      Int64 a = 0, r = 0, g = 0, b = 0;
      for (const TClusterEntry& ey : cy) {
        const TColor32* srcRow = Src->ScanLine(ey.Pos);
        for (const TClusterEntry& ex : cx) {
          const Int64 w = Int64{ey.Weight} * ex.Weight;
          const TColor32 c = srcRow[ex.Pos];
          a += w * AlphaComponent(c);
          r += w * RedComponent(c);
          g += w * GreenComponent(c);
          b += w * BlueComponent(c);
        }
      }
      const TColor32 color = ChannelByte(a, 24) | ChannelByte(r, 16) | ChannelByte(g, 8) | ChannelByte(b, 0);
      switch (mode) {
        case dmOpaque:
          dstRow[x] = color;
          break;
        case dmBlend:
          // Always the master-alpha blend, also at 255.
          BlendColorsMasterInto(color, dstRow[x], master);
          break;
        case dmCustom:
          callback(color, dstRow[x], master);
          break;
      }
    }
  }
}

void StretchChecked(TBitmap32* Dst, TBitmap32* Src, const TRect& SrcRect, const StretchSetup& s, TStretchFilter filter,
                    TDrawMode mode, const TPixelCombineEvent& callback) {
  switch (filter) {
    case sfNearest:
      if (mode == dmOpaque)
        NearestOpaque(Dst, Src, SrcRect, s);
      else
        Nearest(Dst, Src, SrcRect, s, mode, callback);
      break;
    case sfLinear:
      Linear(Dst, Src, SrcRect, s, mode, callback);
      break;
    case sfLinear2:
    case sfSpline:
      TableResample(Dst, Src, SrcRect, s, filter, mode, callback);
      break;
  }
}

// The checks every stretch shares; rectangles of the same size go to BlockTransfer,
// the others to stretch(setup, effective mode).
template <class Stretch>
void StretchOrBlock(TBitmap32* Dst, const TRect& DstRect, TBitmap32* Src, const TRect& SrcRect, TDrawMode CombineOp,
                    const TPixelCombineEvent& Callback, Stretch stretch) {
  StretchSetup s;
  if (!PrepareStretch(Dst, DstRect, Src, SrcRect, s)) return;
  const TDrawMode mode = EffectiveMode(CombineOp, Callback);
  if (SameSize(s))
    BlockTransfer(Dst, DstRect.left, DstRect.top, Src, SrcRect, mode, Callback);
  else
    stretch(s, mode);
}

}  // namespace

void BlockTransfer(TBitmap32* Dst, Integer DstX, Integer DstY, TBitmap32* Src, TRect SrcRect, TDrawMode CombineOp,
                   const TPixelCombineEvent& Callback) {
  CheckBitmaps(Dst, Src);
  if (!IntersectRects(SrcRect, SrcRect, MakeRect(0, 0, Src->Width(), Src->Height())) || RectIsEmpty(SrcRect))
    return;
  // Where the clipped source lands, clipped to the destination (64-bit: DstX plus a
  // width may leave the 32-bit range).
  const Int64 left = std::max<Int64>(DstX, 0);
  const Int64 top = std::max<Int64>(DstY, 0);
  const Int64 right = std::min<Int64>(Int64{DstX} + (SrcRect.right - SrcRect.left), Dst->Width());
  const Int64 bottom = std::min<Int64>(Int64{DstY} + (SrcRect.bottom - SrcRect.top), Dst->Height());
  if (right <= left || bottom <= top) return;
  const Integer width = static_cast<Integer>(right - left);
  const Integer height = static_cast<Integer>(bottom - top);
  const Integer srcX = SrcRect.left + static_cast<Integer>(left - DstX);
  const Integer srcY = SrcRect.top + static_cast<Integer>(top - DstY);
  const Integer dstX = static_cast<Integer>(left);
  const Integer dstY = static_cast<Integer>(top);

  const TDrawMode mode = EffectiveMode(CombineOp, Callback);
  const TColor32 master = Src->MasterAlpha();
  if (mode == dmBlend && master == 0) return;
  EndMmxGuard endMmx;
  // A copy within one bitmap walks the rows from the far side, as a block copy would.
  const bool upward = Src == Dst && dstY > srcY;
  for (Integer n = 0; n < height; ++n) {
    const Integer row = upward ? height - 1 - n : n;
    const TColor32* s = Src->PixelPtr(srcX, srcY + row);
    TColor32* d = Dst->PixelPtr(dstX, dstY + row);
    switch (mode) {
      case dmOpaque:
        std::memmove(d, s, static_cast<std::size_t>(width) * sizeof(TColor32));
        break;
      case dmBlend:
        if (master == 255)
          BlendRow(s, d, width);
        else
          BlendRowMaster(s, d, width, master);
        break;
      case dmCustom:
        for (Integer x = 0; x < width; ++x) Callback(s[x], d[x], master);
        break;
    }
  }
}

void StretchTransfer(TBitmap32* Dst, const TRect& DstRect, TBitmap32* Src, const TRect& SrcRect,
                     TStretchFilter StretchFilter, TDrawMode CombineOp, const TPixelCombineEvent& Callback) {
  StretchOrBlock(Dst, DstRect, Src, SrcRect, CombineOp, Callback, [&](const StretchSetup& s, TDrawMode mode) {
    StretchChecked(Dst, Src, SrcRect, s, StretchFilter, mode, Callback);
  });
}

void StretchNearestOpaque(TBitmap32* Dst, const TRect& DstRect, TBitmap32* Src, const TRect& SrcRect) {
  StretchTransfer(Dst, DstRect, Src, SrcRect, sfNearest, dmOpaque, {});
}

void StretchNearest(TBitmap32* Dst, const TRect& DstRect, TBitmap32* Src, const TRect& SrcRect, TDrawMode CombineOp,
                    const TPixelCombineEvent& Callback) {
  StretchOrBlock(Dst, DstRect, Src, SrcRect, CombineOp, Callback, [&](const StretchSetup& s, TDrawMode mode) {
    Nearest(Dst, Src, SrcRect, s, mode, Callback);
  });
}

void StretchLinear(TBitmap32* Dst, const TRect& DstRect, TBitmap32* Src, const TRect& SrcRect, TDrawMode CombineOp,
                   const TPixelCombineEvent& Callback) {
  StretchOrBlock(Dst, DstRect, Src, SrcRect, CombineOp, Callback, [&](const StretchSetup& s, TDrawMode mode) {
    Linear(Dst, Src, SrcRect, s, mode, Callback);
  });
}

TMappingTable BuildMappingTable(Integer DstWidth, Integer ClampWidth, Integer SrcLo, Integer SrcHi,
                                TStretchFilter StretchFilter) {
  if (ClampWidth <= 0) return {};
  if (DstWidth <= 0) return {};
  return BuildClusters(DstWidth, ClampWidth, SrcLo, SrcHi, StretchFilter, 0, DstWidth);
}
