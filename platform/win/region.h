#pragma once
// A region: a set of pixels stored as a y-x banded list of rectangles.
//
// Form of the list (canonical, so that two equal pixel sets give equal lists):
// - rectangles are non-empty, right and bottom exclusive;
// - a band is a run of rectangles with the same top and bottom, sorted by left; inside a
//   band rectangles neither overlap nor touch (touching ones are merged);
// - bands are sorted by top and do not overlap; two bands that touch vertically always
//   differ in their x-intervals (equal ones are merged into one band).
//
// Coordinates use the whole 32-bit range; nothing overflows: moves saturate at the ends of
// the range, and shape edges are computed with 128-bit intermediates.
//
// Operations that would build an unreasonably large region (more than kMaxRects
// rectangles, a curved or slanted shape taller than kMaxShapeRows rows, or a polygon
// needing more than 2^26 edge crossings in all) throw
// std::length_error; the region they were called on is left as it was.
#include <cstddef>
#include <span>
#include <vector>

#include "platform/win/types.h"

namespace win {

// Kinds of a region, as the region and clipping calls return them.
inline constexpr int ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;

// Combine modes (CombineRgn, ExtSelectClipRgn).
inline constexpr int RGN_AND = 1;
inline constexpr int RGN_OR = 2;
inline constexpr int RGN_XOR = 3;
inline constexpr int RGN_DIFF = 4;
inline constexpr int RGN_COPY = 5;

// How a polygon's inside is found: odd crossing count, or non-zero winding number.
enum class FillRule { Alternate, Winding };

class Region {
 public:
  static constexpr std::size_t kMaxRects = std::size_t{1} << 22;
  static constexpr std::int64_t kMaxShapeRows = std::int64_t{1} << 20;

  Region() = default;
  // The rectangle as given; empty when right <= left or bottom <= top.
  explicit Region(const RECT& r);
  Region(LONG left, LONG top, LONG right, LONG bottom);

  // Shapes take the coordinates of the region calls: swapped corners are put in order, and
  // the shape covers the pixels a null-pen fill of the same shape covers, that is one pixel
  // short of `right` and `bottom`.
  // Pixel rule (shared with the rasteriser's filled shapes): with W = right - left - 1 and
  // H = bottom - top - 1, pixel (x, y) is inside the ellipse when its centre lies inside or
  // on the ellipse inscribed in [left, left + W) x [top, top + H).
  static Region Ellipse(LONG left, LONG top, LONG right, LONG bottom);
  // Corner ellipse ew x eh, each limited to the shape's W and H; ew or eh below 2 gives
  // the plain rectangle [left, right - 1) x [top, bottom - 1).
  static Region RoundRect(LONG left, LONG top, LONG right, LONG bottom, LONG ew, LONG eh);
  // Polygons are closed implicitly. Pixel (x, y) is inside when its centre (x + .5, y + .5)
  // is inside by the fill mode; a centre exactly on a left edge is inside, on a right edge
  // outside (top-left rule; centres never fall on a horizontal edge with integer vertices).
  static Region Polygon(std::span<const POINT> points, FillRule rule);
  // `counts` splits `points` into polygons; the counts must sum to at most points.size()
  // and be non-negative (std::invalid_argument otherwise).
  static Region PolyPolygon(std::span<const POINT> points, std::span<const int> counts, FillRule rule);
  // The union of any rectangles in any order (empty ones are skipped).
  static Region FromRects(std::span<const RECT> rects);

  // Set algebra. mode is RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF or RGN_COPY (the copy of *this);
  // any other mode throws std::invalid_argument.
  Region Combine(const Region& other, int mode) const;
  friend Region operator&(const Region& a, const Region& b) { return a.Combine(b, RGN_AND); }
  friend Region operator|(const Region& a, const Region& b) { return a.Combine(b, RGN_OR); }
  friend Region operator^(const Region& a, const Region& b) { return a.Combine(b, RGN_XOR); }
  friend Region operator-(const Region& a, const Region& b) { return a.Combine(b, RGN_DIFF); }

  // Moves the region; coordinates saturate at the ends of the 32-bit range.
  void Offset(LONG dx, LONG dy);
  Region Offsetted(LONG dx, LONG dy) const;

  // The border of the region: the pixels of the region whose horizontal neighbours up to
  // `width` away or vertical neighbours up to `height` away are not all in the region.
  // Negative sizes count as 0; (0, 0) gives the empty region.
  Region Frame(LONG width, LONG height) const;

  bool Contains(LONG x, LONG y) const;
  // True when any pixel of `r` (put in order first) lies in the region.
  bool Intersects(const RECT& r) const;
  // The smallest rectangle holding the region; (0, 0, 0, 0) when empty.
  RECT Bounds() const;
  bool IsEmpty() const { return rects_.empty(); }
  std::size_t RectCount() const { return rects_.size(); }
  // NULLREGION, SIMPLEREGION (one rectangle) or COMPLEXREGION.
  int Kind() const;

  // The rectangles in banded order.
  std::span<const RECT> Rects() const { return rects_; }
  // The rectangles of the band covering row y (empty when none does), sorted by left.
  std::span<const RECT> BandAt(LONG y) const;
  // f(top, bottom, std::span<const RECT> rects) for every band, top to bottom.
  template <class F>
  void ForEachBand(F&& f) const {
    std::size_t i = 0;
    while (i < rects_.size()) {
      std::size_t j = i + 1;
      while (j < rects_.size() && rects_[j].top == rects_[i].top) ++j;
      f(rects_[i].top, rects_[i].bottom, std::span<const RECT>(rects_.data() + i, j - i));
      i = j;
    }
  }
  // f(y, x0, x1) for every span [x0, x1) of every row y, top to bottom, left to right.
  // Visits every row: meant for small regions (drawing, tests), not for far-flung ones.
  template <class F>
  void ForEachSpan(F&& f) const {
    ForEachBand([&](LONG top, LONG bottom, std::span<const RECT> band) {
      for (std::int64_t y = top; y < bottom; ++y)
        for (const RECT& r : band) f(static_cast<LONG>(y), r.left, r.right);
    });
  }

  friend bool operator==(const Region& a, const Region& b) { return a.rects_ == b.rects_; }

 private:
  friend class RegionBuilder;
  std::vector<RECT> rects_;
};

}  // namespace win
