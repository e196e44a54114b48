#pragma once
// The rasteriser: how lines, polygons and the curved shapes turn into pixels, in device
// coordinates (64-bit, so that far coordinates do not wrap). Every primitive is clipped
// to the DC's clip box before it walks any pixel.
//
// Pixel rules:
// - A line lights, for each step along its major axis from the start up to but not
//   including the end, the pixel nearest the ideal line; a tie in the minor axis goes to
//   the smaller coordinate, so a line and its reverse light the same pixels.
// - Polygons: pixel (x, y) is inside when its centre (x + .5, y + .5) is inside by the
//   fill mode, vertices being pixel corners; a centre on a left edge is inside, on a
//   right edge outside.
// - Ellipses in the box [l, r] x [t, b] (pixel corners): pixel (x, y) is inside when its
//   centre lies inside or on the inscribed ellipse. A shape with a pen uses the box
//   (l, t, r, b); with a null pen (l, t, r - 1, b - 1): one pixel short.
// - A one-pixel outline is the set of inside pixels that have a 4-neighbour outside.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/win/dc.h"
#include "platform/win/gdi_objects.h"

namespace win {

using i64 = std::int64_t;
using i128 = __int128;

// Floor and ceiling of n / d, d > 0.
inline i64 FloorDiv(i128 n, i128 d) {
  i128 q = n / d;
  if ((n % d) != 0 && n < 0) --q;
  return static_cast<i64>(q);
}
inline i64 CeilDiv(i128 n, i128 d) { return -FloorDiv(-n, d); }

// Device-space point.
struct DPoint {
  i64 x = 0;
  i64 y = 0;
};

// True where the 8 x 8 hatch has a line; x and y relative to the brush origin.
bool HatchBit(UINT hatch, int x, int y);

// The brush's pixel at device (x, y) as a native value; false where the brush leaves
// the pixel alone (null brush, transparent hatch background).
bool BrushPixel(const DeviceContext& dc, const BrushObject& b, int x, int y, DWORD* native);

// Fills [x0, x1) of row y with the brush through `rop2`, clipped.
void FillSpanBrush(DeviceContext& dc, const BrushObject* b, i64 x0, i64 x1, i64 y, int rop2);

// Spans of one native value through `rop2`, clipped, for the many spans of one shape:
// written straight into the rows when the clip is one rectangle, the surface 32-bit and
// the operation a copy (as FillSpanNative would write them).
class NativeSpans {
 public:
  NativeSpans(DeviceContext& dc, DWORD native, int rop2)
      : dc_(dc),
        box_(dc.ClipBox()),
        native_(native),
        rop2_(rop2),
        direct_(rop2 == R2_COPYPEN && dc.surface.bitsPerPixel == 32 && dc.EffectiveClip().RectCount() == 1) {}
  void Fill(i64 x0, i64 x1, i64 y) const {
    if (y < box_.top || y >= box_.bottom) return;
    x0 = std::max<i64>(x0, box_.left);
    x1 = std::min<i64>(x1, box_.right);
    if (x0 >= x1) return;
    if (direct_) {
      DWORD* row = reinterpret_cast<DWORD*>(dc_.surface.Row(static_cast<int>(y)));
      std::fill(row + x0, row + x1, native_);
      return;
    }
    dc_.FillSpanNative(static_cast<int>(x0), static_cast<int>(x1), static_cast<int>(y), native_, rop2_);
  }

 private:
  DeviceContext& dc_;
  RECT box_;
  DWORD native_;
  int rop2_;
  bool direct_;
};

// FillSpanBrush for the many spans of one shape: a solid brush's colour is converted once.
// A null brush (or a null-style one, or an empty surface) fills nothing.
class BrushSpans {
 public:
  BrushSpans(DeviceContext& dc, const BrushObject* b, int rop2);
  explicit operator bool() const { return b_ != nullptr; }
  void Fill(i64 x0, i64 x1, i64 y) const {
    if (!b_) return;
    if (b_->style == BS_SOLID) solid_.Fill(x0, x1, y);
    else FillPattern(x0, x1, y);
  }

 private:
  void FillPattern(i64 x0, i64 x1, i64 y) const;

  DeviceContext& dc_;
  const BrushObject* b_;
  int rop2_;
  NativeSpans solid_;
};

// Calls f(y, x0, x1) for every part of the device rectangle inside the clip.
void ForEachClippedSpan(const DeviceContext& dc, i64 left, i64 top, i64 right, i64 bottom,
                        const std::function<void(int y, int x0, int x1)>& f);

// Fills polygons (vertices in 1/256 pixel units) through `span`, clipped to rows and
// columns of the clip box. Several polygons are one shape: their edges count together.
inline constexpr i64 kSub = 256;
using SpanFn = std::function<void(i64 y, i64 x0, i64 x1)>;
void FillPolygonsFixed(const DeviceContext& dc, const std::vector<std::vector<DPoint>>& polys, bool winding,
                       const SpanFn& span);

// Row extent [x0, x1) of the ellipse inscribed in the box (l, t, r, b) at row y; false
// when the row is empty.
bool EllipseRow(i64 l, i64 t, i64 r, i64 b, i64 y, i64* x0, i64* x1);
// The same for a rectangle with corner ellipses ew x eh (already limited to the box).
bool RoundRectRow(i64 l, i64 t, i64 r, i64 b, i64 ew, i64 eh, i64 y, i64* x0, i64* x1);

}  // namespace win
