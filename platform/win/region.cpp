#include "platform/win/region.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <utility>

namespace win {

namespace {

using i64 = std::int64_t;
using i128 = __int128;
using u128 = unsigned __int128;

constexpr i64 kMinCoord = std::numeric_limits<LONG>::min();
constexpr i64 kMaxCoord = std::numeric_limits<LONG>::max();

LONG Saturate(i64 v) { return static_cast<LONG>(std::clamp(v, kMinCoord, kMaxCoord)); }

struct Interval {
  LONG x0;
  LONG x1;
};

[[noreturn]] void TooComplex() { throw std::length_error("region too complex"); }

std::uint64_t ISqrt(std::uint64_t q) {
  auto s = static_cast<std::uint64_t>(std::sqrt(static_cast<long double>(q)));
  while (s > 0 && static_cast<u128>(s) * s > q) --s;
  while (static_cast<u128>(s + 1) * (s + 1) <= q) ++s;
  return s;
}

// Left inset of row k of an ellipse of w x h pixels (w, h >= 1): the row covers
// [inset, w - inset), empty when 2 * inset >= w. Works in doubled units so that pixel
// centres are integers: a pixel is in when (2x + 1 - w)^2 / w^2 + (2k + 1 - h)^2 / h^2 <= 1.
i64 EllipseRowInset(i64 w, i64 h, i64 k) {
  const i64 y = std::abs(2 * k + 1 - h);
  const u128 hh = static_cast<u128>(h) * static_cast<u128>(h);
  const u128 yy = static_cast<u128>(y) * static_cast<u128>(y);
  const u128 ww = static_cast<u128>(w) * static_cast<u128>(w);
  // ww * (hh - yy) can reach 2^128 only for shapes far taller than kMaxShapeRows.
  const auto q = static_cast<std::uint64_t>(ww * (hh - yy) / hh);
  const auto d = static_cast<i64>(ISqrt(q));
  return (w - d) / 2;
}

void NormaliseCorners(i64& l, i64& t, i64& r, i64& b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
}

}  // namespace

// Appends bands top to bottom, merging touching intervals and equal touching bands, so
// that what it builds is canonical.
class RegionBuilder {
 public:
  // xs: sorted by x0, may touch or be empty (those are merged or dropped here).
  void AddBand(LONG top, LONG bottom, std::span<const Interval> xs) {
    if (top >= bottom) return;
    scratch_.clear();
    for (const Interval& iv : xs) {
      if (iv.x0 >= iv.x1) continue;
      if (!scratch_.empty() && scratch_.back().x1 >= iv.x0)
        scratch_.back().x1 = std::max(scratch_.back().x1, iv.x1);
      else
        scratch_.push_back(iv);
    }
    if (scratch_.empty()) return;
    if (!rects_.empty() && rects_.back().bottom == top && rects_.size() - lastBand_ == scratch_.size() &&
        std::equal(scratch_.begin(), scratch_.end(), rects_.begin() + static_cast<std::ptrdiff_t>(lastBand_),
                   [](const Interval& a, const RECT& r) { return a.x0 == r.left && a.x1 == r.right; })) {
      for (std::size_t i = lastBand_; i < rects_.size(); ++i) rects_[i].bottom = bottom;
      return;
    }
    if (rects_.size() + scratch_.size() > Region::kMaxRects) TooComplex();
    lastBand_ = rects_.size();
    for (const Interval& iv : scratch_) rects_.push_back(RECT{iv.x0, top, iv.x1, bottom});
  }

  Region Take() {
    Region r;
    r.rects_ = std::move(rects_);
    rects_.clear();
    lastBand_ = 0;
    return r;
  }

 private:
  std::vector<RECT> rects_;
  std::size_t lastBand_ = 0;
  std::vector<Interval> scratch_;
};

namespace {

bool Apply(int mode, bool a, bool b) {
  switch (mode) {
    case RGN_AND: return a && b;
    case RGN_OR: return a || b;
    case RGN_XOR: return a != b;
    case RGN_DIFF: return a && !b;
    default: return false;
  }
}

// Combines the intervals of two bands (each sorted and disjoint) by sweeping their edges.
void CombineIntervals(std::span<const RECT> a, std::span<const RECT> b, int mode, std::vector<Interval>& out) {
  out.clear();
  constexpr i64 kEnd = std::numeric_limits<i64>::max();
  std::size_t i = 0, j = 0;
  bool inA = false, inB = false;
  i64 x = std::numeric_limits<i64>::min();
  for (;;) {
    const i64 xa = i < a.size() ? (inA ? a[i].right : a[i].left) : kEnd;
    const i64 xb = j < b.size() ? (inB ? b[j].right : b[j].left) : kEnd;
    const i64 next = std::min(xa, xb);
    if (next == kEnd) break;
    if (Apply(mode, inA, inB) && x < next) {
      if (!out.empty() && out.back().x1 == x)
        out.back().x1 = static_cast<LONG>(next);
      else
        out.push_back(Interval{static_cast<LONG>(x), static_cast<LONG>(next)});
    }
    if (xa == next) {
      if (inA) ++i;
      inA = !inA;
    }
    if (xb == next) {
      if (inB) ++j;
      inB = !inB;
    }
    x = next;
  }
}

std::size_t BandEnd(std::span<const RECT> rects, std::size_t start) {
  std::size_t j = start + 1;
  while (j < rects.size() && rects[j].top == rects[start].top) ++j;
  return j;
}

bool Overlaps(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// True when the rectangles already have the canonical banded form.
bool IsCanonical(std::span<const RECT> rects) {
  std::size_t prevStart = 0, prevEnd = 0;
  std::size_t i = 0;
  while (i < rects.size()) {
    const std::size_t end = BandEnd(rects, i);
    for (std::size_t k = i; k < end; ++k) {
      const RECT& r = rects[k];
      if (r.left >= r.right || r.top >= r.bottom || r.bottom != rects[i].bottom) return false;
      if (k > i && rects[k - 1].right >= r.left) return false;
    }
    if (i > 0) {
      const RECT& prev = rects[prevStart];
      if (prev.bottom > rects[i].top) return false;
      if (prev.bottom == rects[i].top && prevEnd - prevStart == end - i &&
          std::equal(rects.begin() + static_cast<std::ptrdiff_t>(prevStart),
                     rects.begin() + static_cast<std::ptrdiff_t>(prevEnd),
                     rects.begin() + static_cast<std::ptrdiff_t>(i),
                     [](const RECT& p, const RECT& q) { return p.left == q.left && p.right == q.right; }))
        return false;
    }
    prevStart = i;
    prevEnd = end;
    i = end;
  }
  return true;
}

struct Edge {
  i64 x0, y0, x1, y1;  // y0 < y1
  int dir;             // +1 when the polygon runs downwards along it
};

// Pixel index of the first pixel whose centre is at or right of the edge on row y:
// ceil(xi - 1/2) with xi the edge's x at y + 1/2, computed exactly.
i64 CrossingKey(const Edge& e, i64 y) {
  const i128 d = 2 * static_cast<i128>(e.y1 - e.y0);
  const i128 n = static_cast<i128>(2 * y + 1 - 2 * e.y0) * static_cast<i128>(e.x1 - e.x0);
  const i128 p = 2 * static_cast<i128>(e.x0) * d + 2 * n - d;
  const i128 q = 2 * d;
  i128 f = p / q;
  if (p % q != 0 && p > 0) ++f;  // ceil for q > 0
  return static_cast<i64>(f);
}

// Work limit for polygons with very many edges: edge crossings computed in all.
constexpr i64 kMaxCrossings = i64{1} << 26;

struct Crossing {
  i64 key;
  int dir;
};

void SpansFromCrossings(std::vector<Crossing>& cs, FillRule rule, std::vector<Interval>& out) {
  out.clear();
  std::sort(cs.begin(), cs.end(), [](const Crossing& a, const Crossing& b) { return a.key < b.key; });
  int wind = 0;
  i64 start = 0;
  for (const Crossing& c : cs) {
    const bool wasIn = rule == FillRule::Winding ? wind != 0 : (wind & 1) != 0;
    wind += rule == FillRule::Winding ? c.dir : 1;
    const bool isIn = rule == FillRule::Winding ? wind != 0 : (wind & 1) != 0;
    if (!wasIn && isIn) start = c.key;
    if (wasIn && !isIn && start < c.key) out.push_back(Interval{Saturate(start), Saturate(c.key)});
  }
}

}  // namespace

Region::Region(const RECT& r) : Region(r.left, r.top, r.right, r.bottom) {}

Region::Region(LONG left, LONG top, LONG right, LONG bottom) {
  if (left < right && top < bottom) rects_.push_back(RECT{left, top, right, bottom});
}

Region Region::Ellipse(LONG left, LONG top, LONG right, LONG bottom) {
  i64 l = left, t = top, r = right, b = bottom;
  NormaliseCorners(l, t, r, b);
  const i64 w = r - 1 - l, h = b - 1 - t;
  if (w <= 0 || h <= 0) return Region();
  if (h > kMaxShapeRows) TooComplex();
  RegionBuilder builder;
  for (i64 k = 0; k < h; ++k) {
    const i64 inset = EllipseRowInset(w, h, k);
    const Interval iv{static_cast<LONG>(l + inset), static_cast<LONG>(l + w - inset)};
    builder.AddBand(static_cast<LONG>(t + k), static_cast<LONG>(t + k + 1), std::span<const Interval>(&iv, 1));
  }
  return builder.Take();
}

Region Region::RoundRect(LONG left, LONG top, LONG right, LONG bottom, LONG ew, LONG eh) {
  i64 l = left, t = top, r = right, b = bottom;
  NormaliseCorners(l, t, r, b);
  const i64 w = r - 1 - l, h = b - 1 - t;
  if (w <= 0 || h <= 0) return Region();
  const i64 cw = std::min<i64>(std::abs(static_cast<i64>(ew)), w);
  const i64 ch = std::min<i64>(std::abs(static_cast<i64>(eh)), h);
  if (cw < 2 || ch < 2) return Region(static_cast<LONG>(l), static_cast<LONG>(t), static_cast<LONG>(l + w),
                                      static_cast<LONG>(t + h));
  if (ch > kMaxShapeRows) TooComplex();
  RegionBuilder builder;
  auto cornerRow = [&](i64 y, i64 k) {
    const i64 inset = EllipseRowInset(cw, ch, k);
    const Interval iv{static_cast<LONG>(l + inset), static_cast<LONG>(l + w - inset)};
    builder.AddBand(static_cast<LONG>(y), static_cast<LONG>(y + 1), std::span<const Interval>(&iv, 1));
  };
  const i64 half = ch / 2;
  for (i64 k = 0; k < half; ++k) cornerRow(t + k, k);
  const Interval full{static_cast<LONG>(l), static_cast<LONG>(l + w)};
  builder.AddBand(static_cast<LONG>(t + half), static_cast<LONG>(t + h - half), std::span<const Interval>(&full, 1));
  for (i64 y = h - half; y < h; ++y) cornerRow(t + y, y - (h - ch));
  return builder.Take();
}

Region Region::Polygon(std::span<const POINT> points, FillRule rule) {
  const int count = static_cast<int>(std::min<std::size_t>(points.size(), std::numeric_limits<int>::max()));
  return PolyPolygon(points.first(static_cast<std::size_t>(count)), std::span<const int>(&count, 1), rule);
}

Region Region::PolyPolygon(std::span<const POINT> points, std::span<const int> counts, FillRule rule) {
  std::vector<Edge> edges;
  std::size_t at = 0;
  for (int c : counts) {
    if (c < 0 || static_cast<std::size_t>(c) > points.size() - at)
      throw std::invalid_argument("polygon counts exceed the points");
    for (int k = 0; k < c; ++k) {
      const POINT& p = points[at + static_cast<std::size_t>(k)];
      const POINT& q = points[at + static_cast<std::size_t>((k + 1) % c)];
      if (p.y == q.y) continue;
      if (p.y < q.y)
        edges.push_back(Edge{p.x, p.y, q.x, q.y, +1});
      else
        edges.push_back(Edge{q.x, q.y, p.x, p.y, -1});
    }
    at += static_cast<std::size_t>(c);
  }
  if (edges.empty()) return Region();

  // Slab boundaries: every vertex row. Inside a slab the set of crossing edges is fixed.
  std::vector<i64> ys;
  ys.reserve(edges.size() * 2);
  for (const Edge& e : edges) {
    ys.push_back(e.y0);
    ys.push_back(e.y1);
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });

  RegionBuilder builder;
  std::vector<const Edge*> active;
  std::vector<Crossing> crossings;
  std::vector<Interval> spans;
  std::size_t nextEdge = 0;
  i64 rowsComputed = 0, crossingsComputed = 0;
  for (std::size_t s = 0; s + 1 < ys.size(); ++s) {
    const i64 y0 = ys[s], y1 = ys[s + 1];
    std::erase_if(active, [y0](const Edge* e) { return e->y1 <= y0; });
    while (nextEdge < edges.size() && edges[nextEdge].y0 <= y0) active.push_back(&edges[nextEdge++]);
    if (active.empty()) continue;
    const bool allVertical =
        std::all_of(active.begin(), active.end(), [](const Edge* e) { return e->x0 == e->x1; });
    const i64 rowsHere = allVertical ? 1 : y1 - y0;
    rowsComputed += rowsHere;
    crossingsComputed += rowsHere * static_cast<i64>(active.size());
    if (rowsComputed > kMaxShapeRows || crossingsComputed > kMaxCrossings) TooComplex();
    for (i64 y = y0; y < y0 + rowsHere; ++y) {
      crossings.clear();
      for (const Edge* e : active) crossings.push_back(Crossing{CrossingKey(*e, y), e->dir});
      SpansFromCrossings(crossings, rule, spans);
      const i64 bottom = allVertical ? y1 : y + 1;
      builder.AddBand(static_cast<LONG>(y), static_cast<LONG>(bottom), spans);
    }
  }
  return builder.Take();
}

Region Region::FromRects(std::span<const RECT> rects) {
  if (IsCanonical(rects)) {
    Region r;
    r.rects_.assign(rects.begin(), rects.end());
    return r;
  }
  // Union pairwise, level by level: each merge is linear in its inputs.
  std::vector<Region> level;
  level.reserve(rects.size());
  for (const RECT& r : rects)
    if (r.left < r.right && r.top < r.bottom) level.emplace_back(r);
  if (level.empty()) return Region();
  while (level.size() > 1) {
    std::vector<Region> next;
    next.reserve((level.size() + 1) / 2);
    for (std::size_t i = 0; i + 1 < level.size(); i += 2) next.push_back(level[i] | level[i + 1]);
    if (level.size() % 2 != 0) next.push_back(std::move(level.back()));
    level = std::move(next);
  }
  return std::move(level.front());
}

Region Region::Combine(const Region& other, int mode) const {
  const Region& a = *this;
  const Region& b = other;
  switch (mode) {
    case RGN_COPY: return a;
    case RGN_AND:
      if (a.IsEmpty() || b.IsEmpty() || !Overlaps(a.Bounds(), b.Bounds())) return Region();
      break;
    case RGN_OR:
    case RGN_XOR:
      if (a.IsEmpty()) return b;
      if (b.IsEmpty()) return a;
      break;
    case RGN_DIFF:
      if (a.IsEmpty() || b.IsEmpty() || !Overlaps(a.Bounds(), b.Bounds())) return a;
      break;
    default: throw std::invalid_argument("unknown region combine mode");
  }

  RegionBuilder builder;
  std::vector<Interval> xs;
  const std::span<const RECT> ra = a.rects_, rb = b.rects_;
  std::size_t ia = 0, ib = 0;
  i64 y = std::min(ra.front().top, rb.front().top);
  for (;;) {
    while (ia < ra.size() && ra[ia].bottom <= y) ia = BandEnd(ra, ia);
    while (ib < rb.size() && rb[ib].bottom <= y) ib = BandEnd(rb, ib);
    const bool haveA = ia < ra.size(), haveB = ib < rb.size();
    if (!haveA && !haveB) break;
    const bool inA = haveA && ra[ia].top <= y;
    const bool inB = haveB && rb[ib].top <= y;
    if (!inA && !inB) {
      y = std::min(haveA ? ra[ia].top : kMaxCoord, haveB ? rb[ib].top : kMaxCoord);
      continue;
    }
    i64 yEnd = kMaxCoord;
    if (haveA) yEnd = std::min<i64>(yEnd, inA ? ra[ia].bottom : ra[ia].top);
    if (haveB) yEnd = std::min<i64>(yEnd, inB ? rb[ib].bottom : rb[ib].top);
    const std::span<const RECT> bandA = inA ? ra.subspan(ia, BandEnd(ra, ia) - ia) : std::span<const RECT>();
    const std::span<const RECT> bandB = inB ? rb.subspan(ib, BandEnd(rb, ib) - ib) : std::span<const RECT>();
    CombineIntervals(bandA, bandB, mode, xs);
    builder.AddBand(static_cast<LONG>(y), static_cast<LONG>(yEnd), xs);
    y = yEnd;
  }
  return builder.Take();
}

namespace {

Region Shifted(const Region& src, i64 dx, i64 dy) {
  if (src.IsEmpty() || (dx == 0 && dy == 0)) return src;
  RegionBuilder builder;
  std::vector<Interval> xs;
  src.ForEachBand([&](LONG top, LONG bottom, std::span<const RECT> band) {
    xs.clear();
    for (const RECT& r : band) xs.push_back(Interval{Saturate(r.left + dx), Saturate(r.right + dx)});
    builder.AddBand(Saturate(top + dy), Saturate(bottom + dy), xs);
  });
  return builder.Take();
}

// Pixels whose horizontal neighbours up to w away are all in the region.
Region ErodedX(const Region& src, i64 w) {
  if (w <= 0) return src;
  RegionBuilder builder;
  std::vector<Interval> xs;
  src.ForEachBand([&](LONG top, LONG bottom, std::span<const RECT> band) {
    xs.clear();
    for (const RECT& r : band)
      if (static_cast<i64>(r.right) - r.left > 2 * w)
        xs.push_back(Interval{static_cast<LONG>(r.left + w), static_cast<LONG>(r.right - w)});
    builder.AddBand(top, bottom, xs);
  });
  return builder.Take();
}

// Pixels whose vertical neighbours up to h away are all in the region. Runs of 2h + 1 rows
// are found by doubling, so a wide frame costs a few intersections, not one per row.
Region ErodedY(const Region& src, i64 h) {
  if (h <= 0 || src.IsEmpty()) return src;
  const RECT box = src.Bounds();
  i64 n = 2 * h + 1;
  if (n > static_cast<i64>(box.bottom) - box.top) return Region();
  Region acc, pow = src;  // acc: rows p .. p + accLen - 1 all in; pow likewise for powLen
  i64 accLen = 0, powLen = 1;
  while (n != 0) {
    if (n & 1) {
      acc = accLen == 0 ? pow : (acc & Shifted(pow, 0, -accLen));
      accLen += powLen;
    }
    n >>= 1;
    if (n != 0) {
      pow = pow & Shifted(pow, 0, -powLen);
      powLen *= 2;
    }
  }
  return Shifted(acc, 0, h);
}

}  // namespace

void Region::Offset(LONG dx, LONG dy) { *this = Shifted(*this, dx, dy); }

Region Region::Offsetted(LONG dx, LONG dy) const { return Shifted(*this, dx, dy); }

Region Region::Frame(LONG width, LONG height) const {
  const i64 w = std::max<i64>(width, 0), h = std::max<i64>(height, 0);
  if (w == 0 && h == 0) return Region();
  return *this - (ErodedX(*this, w) & ErodedY(*this, h));
}

bool Region::Contains(LONG x, LONG y) const {
  const std::span<const RECT> band = BandAt(y);
  auto it = std::partition_point(band.begin(), band.end(), [x](const RECT& r) { return r.right <= x; });
  return it != band.end() && it->left <= x;
}

bool Region::Intersects(const RECT& rect) const {
  i64 l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
  NormaliseCorners(l, t, r, b);
  if (l == r || t == b) return false;
  auto it = std::partition_point(rects_.begin(), rects_.end(), [t](const RECT& q) { return q.bottom <= t; });
  for (; it != rects_.end() && it->top < b; ++it)
    if (it->left < r && l < it->right) return true;
  return false;
}

RECT Region::Bounds() const {
  if (rects_.empty()) return RECT{};
  RECT box{rects_.front().left, rects_.front().top, rects_.front().right, rects_.back().bottom};
  for (const RECT& r : rects_) {
    box.left = std::min(box.left, r.left);
    box.right = std::max(box.right, r.right);
  }
  return box;
}

int Region::Kind() const {
  if (rects_.empty()) return NULLREGION;
  return rects_.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

std::span<const RECT> Region::BandAt(LONG y) const {
  auto first = std::partition_point(rects_.begin(), rects_.end(), [y](const RECT& r) { return r.bottom <= y; });
  if (first == rects_.end() || first->top > y) return {};
  auto last = std::partition_point(first, rects_.end(), [y](const RECT& r) { return r.top <= y; });
  return std::span<const RECT>(&*first, static_cast<std::size_t>(last - first));
}

}  // namespace win
