// Row extents of filled shapes: polygons by their edges, ellipses and round rectangles
// by exact integer tests of pixel centres.
#include "platform/win/raster.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace win {

namespace {

// Largest m >= 0 with m * m * hh <= q (q, hh > 0), exact for the sizes drawn on a surface.
i64 SqrtRatio(i128 q, i128 hh) {
  if (q < 0) return -1;
  const long double est = std::sqrt(static_cast<long double>(q) / static_cast<long double>(hh));
  i64 m = static_cast<i64>(est);
  if (m < 0) m = 0;
  // The products stay in range for every box up to 2^30 pixels; beyond that the estimate is
  // taken as is (such a shape is far larger than any surface, only its edge rows matter).
  if (hh < (i128{1} << 64) && m < (i64{1} << 40)) {
    while (m > 0 && i128{m} * m * hh > q) --m;
    while (i128{m + 1} * (m + 1) * hh <= q) ++m;
  }
  return m;
}

}  // namespace

// ---- polygons ---------------------------------------------------------------------------------

void FillPolygonsFixed(const DeviceContext& dc, const std::vector<std::vector<DPoint>>& polys, bool winding,
                       const SpanFn& span) {
  struct Edge {
    i64 x0, y0, x1, y1;
    int dir;
  };
  std::vector<Edge> edges;
  i64 minY = INT64_MAX, maxY = INT64_MIN;
  for (const auto& poly : polys) {
    const std::size_t n = poly.size();
    if (n < 2) continue;
    for (std::size_t i = 0; i < n; ++i) {
      DPoint a = poly[i], b = poly[(i + 1) % n];
      if (a.y == b.y) continue;  // horizontal edges never cross a pixel centre row alone
      int dir = 1;
      if (a.y > b.y) {
        std::swap(a, b);
        dir = -1;
      }
      edges.push_back(Edge{a.x, a.y, b.x, b.y, dir});
      minY = std::min(minY, a.y);
      maxY = std::max(maxY, b.y);
    }
  }
  if (edges.empty()) return;
  const RECT box = dc.ClipBox();
  // Rows whose centre y * kSub + kSub / 2 lies in [minY, maxY).
  const i64 firstRow = std::max<i64>(CeilDiv(i128{minY} - kSub / 2, kSub), box.top);
  const i64 endRow = std::min<i64>(CeilDiv(i128{maxY} - kSub / 2, kSub), box.bottom);
  struct Cross {
    i64 x;
    int dir;
  };
  std::vector<Cross> cs;
  for (i64 y = firstRow; y < endRow; ++y) {
    const i64 yc = y * kSub + kSub / 2;
    cs.clear();
    for (const Edge& e : edges) {
      if (yc < e.y0 || yc >= e.y1) continue;
      const i128 dy = e.y1 - e.y0;
      // First pixel whose centre is at or right of the crossing.
      const i128 num = (i128{e.x0} - kSub / 2) * dy + (i128{yc} - e.y0) * (i128{e.x1} - e.x0);
      cs.push_back(Cross{CeilDiv(num, dy * kSub), e.dir});
    }
    std::sort(cs.begin(), cs.end(), [](const Cross& a, const Cross& b) { return a.x < b.x; });
    int wind = 0;
    i64 start = 0;
    for (const Cross& c : cs) {
      const bool wasIn = winding ? wind != 0 : (wind & 1) != 0;
      wind += winding ? c.dir : 1;
      const bool isIn = winding ? wind != 0 : (wind & 1) != 0;
      if (!wasIn && isIn) start = c.x;
      if (wasIn && !isIn && start < c.x) {
        const i64 a = std::max<i64>(start, box.left), b = std::min<i64>(c.x, box.right);
        if (a < b) span(y, a, b);
      }
    }
  }
}

// ---- ellipses -------------------------------------------------------------------------------------

namespace {

// EllipseRow for boxes under 2^15 pixels a side placed within 2^60 of the origin: every
// product fits 64 bits, so no 128-bit division or long double is needed. The same exact
// test, so the same pixels.
bool SmallEllipseRow(i64 l, i64 t, i64 r, i64 b, i64 y, i64* x0, i64* x1) {
  const i64 w = r - l, h = b - t;
  const i64 e = 2 * y + 1 - t - b;
  const i64 hh = h * h;
  const i64 rest = hh - e * e;
  if (rest < 0) return false;
  // Largest d >= 0 with d * d * hh <= w * w * rest.
  const i64 q = w * w * rest;
  i64 d = static_cast<i64>(std::sqrt(static_cast<double>(q) / static_cast<double>(hh)));
  while (d > 0 && d * d * hh > q) --d;
  while ((d + 1) * (d + 1) * hh <= q) ++d;
  // |2x + 1 - l - r| <= d; shifts are floor divisions by 2.
  *x0 = (l + r - 1 - d + 1) >> 1;
  *x1 = ((l + r - 1 + d) >> 1) + 1;
  return *x0 < *x1;
}

}  // namespace

bool EllipseRow(i64 l, i64 t, i64 r, i64 b, i64 y, i64* x0, i64* x1) {
  const i64 w = r - l, h = b - t;
  if (w <= 0 || h <= 0 || y < t || y >= b) return false;
  constexpr i64 kSmall = i64{1} << 15, kNear = i64{1} << 60;
  if (w < kSmall && h < kSmall && l > -kNear && l < kNear && t > -kNear && t < kNear)
    return SmallEllipseRow(l, t, r, b, y, x0, x1);
  // Doubled units put pixel centres on integers: pixel x is in when
  // (2x + 1 - l - r)^2 h^2 + (2y + 1 - t - b)^2 w^2 <= w^2 h^2.
  const i128 e = i128{2} * y + 1 - t - b;
  const i128 hh = i128{h} * h;
  if (e * e > hh) return false;
  // For huge boxes the products leave 128 bits: work in long double there.
  i64 d;
  if (w < (i64{1} << 30) && h < (i64{1} << 30)) {
    d = SqrtRatio(i128{w} * w * (hh - e * e), hh);
  } else {
    const long double fe = static_cast<long double>(e) / static_cast<long double>(h);
    d = static_cast<i64>(std::floor(static_cast<long double>(w) * std::sqrt(std::max<long double>(0, 1 - fe * fe))));
  }
  // |2x + 1 - l - r| <= d.
  *x0 = CeilDiv(i128{l} + r - 1 - d, 2);
  *x1 = FloorDiv(i128{l} + r - 1 + d, 2) + 1;
  return *x0 < *x1;
}

bool RoundRectRow(i64 l, i64 t, i64 r, i64 b, i64 ew, i64 eh, i64 y, i64* x0, i64* x1) {
  const i64 w = r - l, h = b - t;
  if (w <= 0 || h <= 0 || y < t || y >= b) return false;
  if (ew < 2 || eh < 2) {
    *x0 = l;
    *x1 = r;
    return true;
  }
  const i64 k = y - t;
  const i64 half = eh / 2;
  i64 row;
  if (k < half) row = k;
  else if (k >= h - half) row = k - (h - eh);
  else {
    *x0 = l;
    *x1 = r;
    return true;
  }
  i64 c0, c1;
  if (!EllipseRow(0, 0, ew, eh, row, &c0, &c1)) return false;
  const i64 inset = c0;  // the corner ellipse's row is [inset, ew - inset)
  *x0 = l + inset;
  *x1 = r - inset;
  return *x0 < *x1;
}


}  // namespace win
