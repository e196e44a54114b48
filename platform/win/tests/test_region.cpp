// The region class: banded form, algebra against a pixel model, shapes with exact spans,
// polygon fill rules, frames and far coordinates.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/win/region.h"

namespace win {
namespace {

// The region inside [0, w) x [0, h) as rows of '#' and '.'.
std::string Picture(const Region& r, int w, int h) {
  std::string out;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) out += r.Contains(x, y) ? '#' : '.';
    out += '\n';
  }
  return out;
}

std::vector<RECT> RectsOf(const Region& r) { return {r.Rects().begin(), r.Rects().end()}; }

// The banded form: non-empty rectangles; in a band one bottom, sorted, not touching; bands
// in order, not overlapping, and touching ones different.
void ExpectCanonical(const Region& r) {
  std::vector<std::pair<LONG, LONG>> prev;
  LONG prevBottom = INT_MIN;
  r.ForEachBand([&](LONG top, LONG bottom, std::span<const RECT> band) {
    std::vector<std::pair<LONG, LONG>> xs;
    for (const RECT& c : band) {
      ASSERT_TRUE(c.left < c.right && c.top == top && c.bottom == bottom && top < bottom);
      ASSERT_TRUE(xs.empty() || xs.back().second < c.left) << "touching or unsorted in band " << top;
      xs.emplace_back(c.left, c.right);
    }
    ASSERT_LE(prevBottom, top) << "overlapping bands at " << top;
    ASSERT_FALSE(prevBottom == top && prev == xs) << "equal touching bands at " << top;
    prev = xs;
    prevBottom = bottom;
  });
}

TEST(Region, AlgebraGivesExactRectanglesAndKinds) {
  const Region a(0, 0, 10, 10), b(5, 5, 15, 15);
  EXPECT_EQ(RectsOf(a & b), (std::vector<RECT>{{5, 5, 10, 10}}));
  EXPECT_EQ((a & b).Kind(), SIMPLEREGION);
  EXPECT_EQ(RectsOf(a | b), (std::vector<RECT>{{0, 0, 10, 5}, {0, 5, 15, 10}, {5, 10, 15, 15}}));
  EXPECT_EQ((a | b).Kind(), COMPLEXREGION);
  EXPECT_EQ(RectsOf(a ^ b), (std::vector<RECT>{{0, 0, 10, 5}, {0, 5, 5, 10}, {10, 5, 15, 10}, {5, 10, 15, 15}}));
  EXPECT_EQ(RectsOf(a - b), (std::vector<RECT>{{0, 0, 10, 5}, {0, 5, 5, 10}}));
  EXPECT_EQ(a.Combine(b, RGN_COPY), a);
  EXPECT_EQ((a & Region(20, 20, 30, 30)).Kind(), NULLREGION);
  EXPECT_EQ(a ^ a, Region());
  EXPECT_THROW(a.Combine(b, 0), std::invalid_argument);
  EXPECT_THROW(a.Combine(b, 6), std::invalid_argument);

  // Pieces of a rectangle, however cut or listed, merge back into it.
  EXPECT_EQ(Region(0, 0, 4, 6) | Region(4, 0, 10, 6), Region(0, 0, 10, 6));
  EXPECT_EQ(Region(0, 0, 10, 3) | Region(0, 3, 10, 6), Region(0, 0, 10, 6));
  const Region ring = Region(0, 0, 9, 9) - Region(3, 3, 6, 6);
  EXPECT_EQ(ring.RectCount(), 4u);
  EXPECT_EQ((ring | Region(3, 3, 6, 6)).Kind(), SIMPLEREGION);
  const std::vector<RECT> pieces{{4, 3, 9, 9}, {0, 0, 9, 3}, {0, 3, 5, 9}, {2, 2, 7, 7}, {8, 8, 1, 1}};
  EXPECT_EQ(Region::FromRects(pieces), Region(0, 0, 9, 9));
}

TEST(Region, QueriesAtEdgesAreRightAndBottomExclusive) {
  const Region r = Region(2, 3, 6, 8) | Region(10, 3, 12, 5);
  EXPECT_TRUE(r.Contains(2, 3) && r.Contains(5, 7) && r.Contains(11, 4));
  EXPECT_FALSE(r.Contains(6, 7) || r.Contains(5, 8) || r.Contains(1, 3) || r.Contains(2, 2));
  EXPECT_FALSE(r.Contains(8, 4) || r.Contains(11, 5));  // the gap; below the right part
  EXPECT_TRUE(r.Intersects(RECT{5, 7, 6, 8}));
  EXPECT_FALSE(r.Intersects(RECT{6, 0, 10, 20}));  // exactly the gap
  EXPECT_TRUE(r.Intersects(RECT{11, 20, 7, 0}));    // corners put in order
  EXPECT_FALSE(r.Intersects(RECT{3, 4, 3, 6}));     // empty
  EXPECT_EQ(r.Bounds(), (RECT{2, 3, 12, 8}));
  EXPECT_EQ(Region().Bounds(), (RECT{0, 0, 0, 0}));

  const Region s = (Region(0, 0, 3, 2) | Region(5, 0, 7, 2)) | Region(1, 2, 4, 3);
  EXPECT_EQ(s.BandAt(1).size(), 2u);
  EXPECT_EQ(std::vector<RECT>(s.BandAt(2).begin(), s.BandAt(2).end()), (std::vector<RECT>{{1, 2, 4, 3}}));
  EXPECT_TRUE(s.BandAt(3).empty() && s.BandAt(-1).empty());
  std::vector<std::tuple<LONG, LONG, LONG>> spans;
  s.ForEachSpan([&](LONG y, LONG x0, LONG x1) { spans.emplace_back(y, x0, x1); });
  EXPECT_EQ(spans, (std::vector<std::tuple<LONG, LONG, LONG>>{{0, 0, 3}, {0, 5, 7}, {1, 0, 3}, {1, 5, 7}, {2, 1, 4}}));
}

// Random regions against a pixel model: every operation, every pixel, canonical result.
TEST(Region, AlgebraMatchesAPixelModelOnRandomRegions) {
  constexpr int N = 24;
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> coord(-2, N + 2);
  auto randomRegion = [&](std::vector<bool>& px) {
    px.assign(N * N, false);
    std::vector<RECT> rects;
    for (int i = 0, n = 1 + static_cast<int>(rng() % 6); i < n; ++i) {
      const int l = coord(rng), r = coord(rng), t = coord(rng), b = coord(rng);
      rects.push_back(RECT{l, t, r, b});  // some empty or inverted: skipped
      for (int y = std::max(t, 0); y < std::min(b, N); ++y)
        for (int x = std::max(l, 0); x < std::min(r, N); ++x) px[y * N + x] = true;
    }
    return Region::FromRects(rects) & Region(0, 0, N, N);
  };
  for (int round = 0; round < 200; ++round) {
    std::vector<bool> pa, pb;
    const Region a = randomRegion(pa), b = randomRegion(pb);
    for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF}) {
      const Region c = a.Combine(b, mode);
      ExpectCanonical(c);
      for (int i = 0; i < N * N; ++i) {
        const bool ia = pa[i], ib = pb[i];
        const bool want = mode == RGN_AND ? ia && ib : mode == RGN_OR ? ia || ib : mode == RGN_XOR ? ia != ib : ia && !ib;
        ASSERT_EQ(c.Contains(i % N, i / N), want) << "mode " << mode << " pixel " << i << " round " << round;
      }
      // Equal pixel sets are equal regions however they were built.
      ASSERT_EQ(c, Region::FromRects(std::vector<RECT>(c.Rects().rbegin(), c.Rects().rend())));
    }
  }
}

TEST(Region, EllipseAtSmallSizesHasExactSpans) {
  // 0..6 gives a 5 x 5 ellipse: one pixel short of right and bottom.
  EXPECT_EQ(Picture(Region::Ellipse(0, 0, 6, 6), 6, 6),
            ".###..\n"
            "#####.\n"
            "#####.\n"
            "#####.\n"
            ".###..\n"
            "......\n");
  EXPECT_EQ(Picture(Region::Ellipse(0, 0, 9, 5), 9, 5),
            ".######..\n"
            "########.\n"
            "########.\n"
            ".######..\n"
            ".........\n");
  EXPECT_EQ(Region::Ellipse(6, 6, 0, 0), Region::Ellipse(0, 0, 6, 6));
  EXPECT_TRUE(Region::Ellipse(0, 0, 1, 10).IsEmpty());
  EXPECT_EQ(Region::Ellipse(0, 0, 2, 2), Region(0, 0, 1, 1));
  EXPECT_EQ(Region::Ellipse(0, 0, 4, 4), Region(0, 0, 3, 3));

  // Every pixel centre of many ellipses against the ellipse equation in floating point
  // (no centre ever lies exactly on the curve: odd and even halves never meet).
  for (int w = 2; w <= 21; ++w)
    for (int h = 2; h <= 17; h += 3) {
      const Region e = Region::Ellipse(10, 20, 10 + w, 20 + h);
      const double a = (w - 1) / 2.0, b = (h - 1) / 2.0;
      for (int y = 18; y < 22 + h; ++y)
        for (int x = 8; x < 12 + w; ++x) {
          const double dx = (x + 0.5 - 10 - a) / a, dy = (y + 0.5 - 20 - b) / b;
          ASSERT_EQ(e.Contains(x, y), dx * dx + dy * dy < 1) << w << "x" << h << " at " << x << "," << y;
        }
    }
}

TEST(Region, RoundRectangleCornersAndExtent) {
  EXPECT_EQ(Picture(Region::RoundRect(0, 0, 12, 10, 8, 8), 12, 10),
            "..#######...\n"
            ".#########..\n"
            "###########.\n"
            "###########.\n"
            "###########.\n"
            "###########.\n"
            "###########.\n"
            ".#########..\n"
            "..#######...\n"
            "............\n");
  EXPECT_EQ(Picture(Region::RoundRect(0, 0, 11, 5, 4, 4), 11, 5),
            ".########..\n"
            "##########.\n"
            "##########.\n"
            ".########..\n"
            "...........\n");
  // Corners as large as the box (or larger, or negative) make the ellipse.
  EXPECT_EQ(Region::RoundRect(3, 4, 20, 13, 100, 100), Region::Ellipse(3, 4, 20, 13));
  EXPECT_EQ(Region::RoundRect(3, 4, 20, 13, -16, -8), Region::Ellipse(3, 4, 20, 13));
  // Corners below 2 pixels: the plain rectangle, still one short.
  EXPECT_EQ(Region::RoundRect(0, 0, 10, 10, 1, 6), Region(0, 0, 9, 9));
  // A tall one with small corners is three bands, not one per row.
  const Region tall = Region::RoundRect(0, 0, 11, 100001, 4, 4);
  EXPECT_EQ(tall.Bounds(), (RECT{0, 0, 10, 100000}));
  EXPECT_EQ(tall.RectCount(), 3u);
}

TEST(Region, PolygonPixelsFollowTheCentreAndTopLeftRules) {
  EXPECT_EQ(Region::Polygon(std::vector<POINT>{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, FillRule::Alternate),
            Region(0, 0, 10, 10));
  // Centres on the hypotenuse x + y = 4 lie on a right edge: out.
  const std::vector<POINT> tri{{0, 0}, {4, 0}, {0, 4}};
  EXPECT_EQ(Picture(Region::Polygon(tri, FillRule::Alternate), 5, 5),
            "###..\n"
            "##...\n"
            "#....\n"
            ".....\n"
            ".....\n");
  // Mirrored, centres on the slanted edge lie on a left edge: in.
  EXPECT_EQ(Picture(Region::Polygon(std::vector<POINT>{{4, 0}, {4, 4}, {0, 0}}, FillRule::Alternate), 5, 5),
            "####.\n"
            ".###.\n"
            "..##.\n"
            "...#.\n"
            ".....\n");
  EXPECT_EQ(Region::Polygon(std::vector<POINT>{{0, 4}, {4, 0}, {0, 0}}, FillRule::Winding),
            Region::Polygon(tri, FillRule::Alternate));
  EXPECT_TRUE(Region::Polygon(std::vector<POINT>{}, FillRule::Alternate).IsEmpty());
  EXPECT_TRUE(Region::Polygon(std::vector<POINT>{{1, 1}, {9, 9}}, FillRule::Winding).IsEmpty());

  // The kit's point-list triangle; its apex row 89 holds no pixel centre.
  const Region kit = Region::Polygon(std::vector<POINT>{{10, 10}, {100, 10}, {55, 90}}, FillRule::Alternate);
  EXPECT_EQ(kit.Bounds(), (RECT{10, 10, 100, 89}));
  EXPECT_TRUE(kit.Contains(55, 50));
  EXPECT_FALSE(kit.Contains(15, 80) || kit.Contains(95, 80));
}

TEST(Region, SelfOverlappingStarDiffersBetweenAlternateAndWinding) {
  // A five-pointed star in one stroke: its inner pentagon is crossed twice.
  const std::vector<POINT> star{{50, 0}, {79, 90}, {2, 34}, {98, 34}, {21, 90}};
  const Region alt = Region::Polygon(star, FillRule::Alternate);
  const Region wind = Region::Polygon(star, FillRule::Winding);
  ExpectCanonical(alt);
  ExpectCanonical(wind);
  EXPECT_FALSE(alt.Contains(50, 50));
  EXPECT_TRUE(wind.Contains(50, 50));
  EXPECT_TRUE(alt.Contains(50, 10) && wind.Contains(50, 10));
  EXPECT_EQ(wind.Bounds(), (RECT{3, 2, 97, 90}));  // tips thinner than a pixel centre
  EXPECT_EQ(alt | (wind - alt), wind);
  // Crossing counts at every pixel centre, in floating point.
  auto inside = [&](double px, double py, bool winding) {
    int count = 0;
    for (std::size_t i = 0; i < star.size(); ++i) {
      const POINT p = star[i], q = star[(i + 1) % star.size()];
      if ((p.y <= py) != (q.y <= py) && p.x + (py - p.y) * (q.x - p.x) / (q.y - p.y) > px)
        count += winding ? (q.y > p.y ? 1 : -1) : 1;
    }
    return winding ? count != 0 : (count & 1) != 0;
  };
  for (int y = 0; y < 92; ++y)
    for (int x = 0; x < 100; ++x) {
      ASSERT_EQ(alt.Contains(x, y), inside(x + 0.5, y + 0.5, false)) << x << "," << y;
      ASSERT_EQ(wind.Contains(x, y), inside(x + 0.5, y + 0.5, true)) << x << "," << y;
    }
}

TEST(Region, PolyPolygonWindingFollowsDirection) {
  // Overlapping squares running the same way: winding fills the overlap, alternate does
  // not; with the second reversed neither does.
  const std::vector<POINT> same{{0, 0}, {6, 0}, {6, 6}, {0, 6}, {3, 3}, {9, 3}, {9, 9}, {3, 9}};
  const std::vector<POINT> opposite{{0, 0}, {6, 0}, {6, 6}, {0, 6}, {3, 3}, {3, 9}, {9, 9}, {9, 3}};
  const std::vector<int> counts{4, 4};
  const Region both = Region(0, 0, 6, 6) | Region(3, 3, 9, 9), holed = both - Region(3, 3, 6, 6);
  EXPECT_EQ(Region::PolyPolygon(same, counts, FillRule::Winding), both);
  EXPECT_EQ(Region::PolyPolygon(same, counts, FillRule::Alternate), holed);
  EXPECT_EQ(Region::PolyPolygon(opposite, counts, FillRule::Winding), holed);
  EXPECT_EQ(Region::PolyPolygon(same, std::vector<int>{4, 0, 4}, FillRule::Winding), both);
  // Squares sharing an edge make one rectangle.
  const std::vector<POINT> abutting{{0, 0}, {3, 0}, {3, 3}, {0, 3}, {3, 0}, {6, 0}, {6, 3}, {3, 3}};
  EXPECT_EQ(Region::PolyPolygon(abutting, counts, FillRule::Alternate), Region(0, 0, 6, 3));
  EXPECT_THROW(Region::PolyPolygon(same, std::vector<int>{4, 5}, FillRule::Winding), std::invalid_argument);
  EXPECT_THROW(Region::PolyPolygon(same, std::vector<int>{-1, 4}, FillRule::Winding), std::invalid_argument);
}

TEST(Region, FrameIsTheBorderOfTheGivenWidthAndHeight) {
  EXPECT_EQ(Picture(Region(1, 1, 9, 6).Frame(2, 1), 10, 7),
            "..........\n"
            ".########.\n"
            ".##....##.\n"
            ".##....##.\n"
            ".##....##.\n"
            ".########.\n"
            "..........\n");
  EXPECT_EQ(Region(0, 0, 5, 5).Frame(1, 3), Region(0, 0, 5, 5));  // too thick: all border
  EXPECT_EQ(Region(0, 0, 8, 8).Frame(0, 1), Region(0, 0, 8, 1) | Region(0, 7, 8, 8));
  EXPECT_TRUE(Region(0, 0, 8, 8).Frame(0, 0).IsEmpty());

  // On a curved, holed shape: border pixels have a neighbour outside within w across or
  // h up or down.
  const Region shape = (Region::Ellipse(0, 0, 30, 24) - Region(10, 9, 16, 13)) |
                       Region::Polygon(std::vector<POINT>{{20, 0}, {34, 14}, {26, 26}}, FillRule::Alternate);
  for (auto [w, h] : {std::pair{1, 1}, std::pair{2, 3}, std::pair{4, 1}, std::pair{1, 6}}) {
    const Region f = shape.Frame(w, h);
    ExpectCanonical(f);
    for (int y = -2; y < 30; ++y)
      for (int x = -2; x < 36; ++x) {
        bool border = false;
        for (int k = 1; k <= w; ++k) border = border || !shape.Contains(x - k, y) || !shape.Contains(x + k, y);
        for (int k = 1; k <= h; ++k) border = border || !shape.Contains(x, y - k) || !shape.Contains(x, y + k);
        ASSERT_EQ(f.Contains(x, y), shape.Contains(x, y) && border) << w << "x" << h << " at " << x << "," << y;
      }
  }
}

TEST(Region, FarCoordinatesNeitherOverflowNorExplode) {
  const Region everything(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  const Region holed = everything - Region(-1, -1, 1, 1);
  EXPECT_EQ(holed.RectCount(), 4u);
  EXPECT_FALSE(holed.Contains(0, 0) || holed.Contains(INT_MAX, 0));
  EXPECT_TRUE(holed.Contains(INT_MIN, INT_MIN) && holed.Contains(INT_MAX - 1, INT_MAX - 1));
  EXPECT_EQ(holed ^ everything, Region(-1, -1, 1, 1));

  // Moves saturate at the ends of the range, flattening what runs over.
  Region r(-10, 0, 10, 10);
  r.Offset(INT_MAX - 5, 0);
  EXPECT_EQ(r, Region(INT_MAX - 15, 0, INT_MAX, 10));
  r.Offset(INT_MAX, INT_MIN);
  EXPECT_TRUE(r.IsEmpty());
  Region two = Region(0, -4, 2, -2) | Region(0, -1, 3, 1);
  two.Offset(0, INT_MIN);
  EXPECT_EQ(two, Region(0, INT_MIN, 3, INT_MIN + 1));

  // Axis-aligned polygons of any size are cheap; slanted or curved ones of 2^32 rows are
  // refused.
  EXPECT_EQ(Region::Polygon(std::vector<POINT>{{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}},
                            FillRule::Winding),
            everything);
  EXPECT_THROW(Region::Polygon(std::vector<POINT>{{0, INT_MIN}, {INT_MAX, 0}, {0, INT_MAX}}, FillRule::Alternate),
               std::length_error);
  EXPECT_THROW(Region::Ellipse(0, INT_MIN, 10, INT_MAX), std::length_error);

  // A very wide, short ellipse: symmetric, and its rows match the equation in long double.
  const Region wide = Region::Ellipse(INT_MIN, 0, INT_MAX, 9);
  int rows = 0;
  wide.ForEachBand([&](LONG top, LONG bottom, std::span<const RECT> band) {
    ASSERT_EQ(band.size(), 1u);
    EXPECT_EQ(std::int64_t{band[0].left} - INT_MIN, std::int64_t{INT_MAX} - 1 - band[0].right);
    const long double a = (std::int64_t{INT_MAX} - 1 - std::int64_t{INT_MIN}) / 2.0L;
    const long double dy = (top + 0.5L - 4.0L) / 4.0L;
    EXPECT_NEAR(static_cast<long double>(band[0].left), INT_MIN + a - a * std::sqrt(1.0L - dy * dy), 1.0L);
    rows += bottom - top;
  });
  EXPECT_EQ(rows, 8);
  const Region corner(INT_MAX - 10, INT_MIN, INT_MAX, INT_MIN + 10);
  EXPECT_EQ(corner.Frame(1, 1), corner - Region(INT_MAX - 9, INT_MIN + 1, INT_MAX - 1, INT_MIN + 9));
}

TEST(Region, OversizedResultsAreRefused) {
  // A grid of 2000 x 2000 cells fits under the rectangle limit; its complement does not.
  std::vector<RECT> rowRects, colRects;
  for (int i = 0; i < 2000; ++i) {
    rowRects.push_back(RECT{0, 2 * i, 4300, 2 * i + 1});
    colRects.push_back(RECT{2 * i, 0, 2 * i + 1, 4300});
  }
  const Region rows = Region::FromRects(rowRects), cols = Region::FromRects(colRects);
  EXPECT_EQ((rows & cols).RectCount(), 2000u * 2000u);
  EXPECT_THROW(rows ^ cols, std::length_error);

  // A saw of 20000 long teeth needs 1.6e8 edge crossings: refused up front.
  auto sawOf = [](int teeth) {
    std::vector<POINT> saw;
    for (int i = 0; i < teeth; ++i) {
      saw.push_back(POINT{4 * i, 0});
      saw.push_back(POINT{4 * i + 2, 4000});
    }
    saw.push_back(POINT{4 * teeth - 2, 4100});
    saw.push_back(POINT{0, 4100});
    return saw;
  };
  EXPECT_THROW(Region::Polygon(sawOf(20000), FillRule::Alternate), std::length_error);
  EXPECT_EQ(Region::Polygon(sawOf(100), FillRule::Alternate).BandAt(2000).size(), 100u);
}

}  // namespace
}  // namespace win
