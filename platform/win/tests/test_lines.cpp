// Lines: which pixels a line lights, end pixel, styles, wide pens, far coordinates.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "dib_canvas.h"
#include "platform/win/gdi.h"

using namespace win;

namespace {

// A memory DC on a white 32-bit top-down DIB section.
struct Canvas : DibCanvas {
  using DibCanvas::DibCanvas;
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  // One character per pixel: 'X' black, '.' white, '?' anything else.
  std::string Map() const {
    std::string s;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const COLORREF c = At(x, y);
        s += c == 0 ? 'X' : c == 0xFFFFFF ? '.' : '?';
      }
      s += '\n';
    }
    return s;
  }
  std::set<std::pair<int, int>> Dark() const {
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (At(x, y) != 0xFFFFFF) out.insert({x, y});
    return out;
  }
  void Clear() { std::memset(bits, 0xFF, static_cast<std::size_t>(w) * h * 4); }
};

std::string Pic(const char* s) { return std::string(s + 1); }  // drop the leading newline

void Line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

// The pixel a line from (x0, y0) lights at step u, worked out with exact fractions: the
// nearest one, ties to the smaller minor coordinate.
std::pair<int, int> Expected(int x0, int y0, int x1, int y1, int u) {
  const long dx = x1 - x0, dy = y1 - y0;
  const long D = std::max(std::labs(dx), std::labs(dy));
  auto nearestDown = [&](long base, long delta) {
    // base + u * delta / D rounded to nearest, halves down, as 2 * D * value compared.
    const long num = 2 * (base * D + u * delta);  // 2 * D * exact
    long q = num / (2 * D);                        // truncated
    if (num - q * 2 * D < 0) --q;                  // floor
    const long rem = num - q * 2 * D;              // in [0, 2D)
    return rem > D ? q + 1 : q;                    // exactly half stays down
  };
  if (std::labs(dx) >= std::labs(dy)) return {x0 + static_cast<int>(u * (dx < 0 ? -1 : 1)), static_cast<int>(nearestDown(y0, dy))};
  return {static_cast<int>(nearestDown(x0, dx)), y0 + static_cast<int>(u * (dy < 0 ? -1 : 1))};
}

}  // namespace

TEST(Lines, ShallowLineExactPixelsAndNoEndPixel) {
  Canvas c(8, 4);
  Line(c.dc, 0, 0, 4, 1);  // the middle step is a tie: it stays on row 0
  EXPECT_EQ(c.Map(), Pic(R"(
XXX.....
...X....
........
........
)"));
}

TEST(Lines, EveryOctantLightsTheNearestPixelPerStepAndStopsBeforeTheEnd) {
  const int cx = 10, cy = 10;
  const std::pair<int, int> ends[] = {{17, 13}, {13, 17}, {7, 17}, {3, 13}, {3, 7},  {7, 3},
                                      {13, 3},  {17, 7},  {17, 10}, {10, 17}, {3, 10}, {10, 3},
                                      {17, 17}, {3, 3},   {17, 3},  {3, 17}};
  for (auto [ex, ey] : ends) {
    Canvas c(21, 21);
    Line(c.dc, cx, cy, ex, ey);
    const int steps = std::max(std::abs(ex - cx), std::abs(ey - cy));
    std::set<std::pair<int, int>> want;
    for (int u = 0; u < steps; ++u) want.insert(Expected(cx, cy, ex, ey, u));
    EXPECT_EQ(c.Dark(), want) << "to " << ex << "," << ey;
    EXPECT_EQ(c.At(ex, ey), 0xFFFFFFu) << "end pixel drawn for " << ex << "," << ey;
    EXPECT_EQ(c.At(cx, cy), 0u);
  }
}

TEST(Lines, ReverseLineLightsTheSamePixelsButItsOwnEnd) {
  const std::pair<int, int> pairs[][2] = {{{1, 1}, {9, 4}}, {{2, 9}, {5, 0}}, {{0, 3}, {10, 6}}, {{7, 7}, {1, 4}}};
  for (const auto& pr : pairs) {
    Canvas a(12, 12), b(12, 12);
    Line(a.dc, pr[0].first, pr[0].second, pr[1].first, pr[1].second);
    SetPixel(a.dc, pr[1].first, pr[1].second, 0);
    Line(b.dc, pr[1].first, pr[1].second, pr[0].first, pr[0].second);
    SetPixel(b.dc, pr[0].first, pr[0].second, 0);
    EXPECT_EQ(a.Dark(), b.Dark());
  }
}

TEST(Lines, ZeroLengthLineDrawsNothingAndPolylineJointsAreDrawnOnce) {
  Canvas c(8, 8);
  Line(c.dc, 3, 3, 3, 3);
  EXPECT_TRUE(c.Dark().empty());
  // Under XOR a pixel drawn twice would come back white.
  SetROP2(c.dc, R2_XORPEN);
  HPEN white = CreatePen(PS_SOLID, 1, 0xFFFFFF);
  HGDIOBJ old = SelectObject(c.dc, white);
  const POINT pts[] = {{1, 1}, {6, 1}, {6, 6}, {1, 6}, {1, 1}};
  Polyline(c.dc, pts, 5);
  EXPECT_EQ(c.Map(), Pic(R"(
........
.XXXXXX.
.X....X.
.X....X.
.X....X.
.X....X.
.XXXXXX.
........
)"));
  SelectObject(c.dc, old);
  DeleteObject(white);
}

TEST(Lines, XorTwiceRestoresTheBufferByteForByte) {
  Canvas c(32, 32);
  for (int i = 0; i < 32 * 32; ++i) c.bits[i] = 0x00102030u * static_cast<DWORD>(i % 7) + 0x01000000u * (i % 3);
  std::vector<DWORD> before(c.bits, c.bits + 32 * 32);
  SetROP2(c.dc, R2_XORPEN);
  HPEN pen = CreatePen(PS_SOLID, 5, RGB(200, 100, 50));
  HPEN thin = CreatePen(PS_DOT, 1, RGB(1, 2, 3));
  for (HPEN p : {pen, thin}) {
    HGDIOBJ old = SelectObject(c.dc, p);
    for (int pass = 0; pass < 2; ++pass) {
      const POINT pts[] = {{2, 3}, {29, 11}, {5, 28}, {25, 25}};
      Polyline(c.dc, pts, 4);
    }
    SelectObject(c.dc, old);
    EXPECT_EQ(0, std::memcmp(before.data(), c.bits, before.size() * 4));
  }
  DeleteObject(pen);
  DeleteObject(thin);
}

TEST(Lines, FarCoordinatesAreClippedWithoutWrapping) {
  Canvas c(10, 10);
  Line(c.dc, INT_MIN + 1, 4, INT_MAX, 4);
  Line(c.dc, 2, INT_MIN + 1, 2, INT_MAX);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(c.At(x, 4), 0u) << x;
  for (int y = 0; y < 10; ++y) EXPECT_EQ(c.At(2, y), 0u) << y;
  EXPECT_EQ(c.Dark().size(), 19u);

  // A steep far line: the pixels inside the buffer follow the exact rule.
  c.Clear();
  const int x0 = -2000000000, y0 = -1999999990, x1 = 2000000000, y1 = 2000000010;  // slope 1, offset 10
  Line(c.dc, x0, y0, x1, y1);
  std::set<std::pair<int, int>> want;
  for (int x = 0; x < 10; ++x)
    if (x + 10 < 10) want.insert({x, x + 10});
  EXPECT_EQ(c.Dark(), want);  // the diagonal y = x + 10 never enters the 10 x 10 buffer
  c.Clear();
  Line(c.dc, -2000000000, -2000000003, 2000000000, 1999999997);  // y = x - 3
  for (int x = 3; x < 10; ++x) EXPECT_EQ(c.At(x, x - 3), 0u) << x;
  EXPECT_EQ(c.Dark().size(), 7u);

  // Origins that push logical coordinates past 2^31 in device space.
  c.Clear();
  SetViewportOrgEx(c.dc, 5, 0, nullptr);
  SetWindowOrgEx(c.dc, INT_MIN + 3, 0, nullptr);
  Line(c.dc, INT_MIN + 1, 1, INT_MAX, 1);  // device x from 3 to about 2^32
  SetViewportOrgEx(c.dc, 0, 0, nullptr);
  SetWindowOrgEx(c.dc, 0, 0, nullptr);
  EXPECT_EQ(c.Map().substr(11, 11), "...XXXXXXX\n");
}

TEST(Lines, CosmeticStylesRunTheirPatternAcrossSegments) {
  Canvas c(24, 3);
  HPEN dot = CreatePen(PS_DOT, 1, 0);
  HGDIOBJ old = SelectObject(c.dc, dot);
  SetBkMode(c.dc, TRANSPARENT);
  MoveToEx(c.dc, 0, 0, nullptr);
  LineTo(c.dc, 4, 0);
  LineTo(c.dc, 20, 0);  // the pattern carries on from step 4
  SetBkMode(c.dc, OPAQUE);
  SetBkColor(c.dc, RGB(255, 0, 0));
  Line(c.dc, 0, 2, 12, 2);
  SelectObject(c.dc, old);
  DeleteObject(dot);
  std::string row0, row2;
  for (int x = 0; x < 24; ++x) {
    row0 += c.At(x, 0) == 0 ? 'X' : c.At(x, 0) == 0xFFFFFF ? '.' : 'r';
    row2 += c.At(x, 2) == 0 ? 'X' : c.At(x, 2) == 0xFFFFFF ? '.' : 'r';
  }
  EXPECT_EQ(row0, "XXX...XXX...XXX...XX....");
  EXPECT_EQ(row2, "XXXrrrXXXrrr............");

  Canvas a(10, 1);
  LOGBRUSH lb{BS_SOLID, 0, 0};
  HPEN alt = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &lb, 0, nullptr);
  ASSERT_NE(alt, nullptr);
  old = SelectObject(a.dc, alt);
  SetBkMode(a.dc, OPAQUE);  // alternate pens leave their gaps alone only in transparent mode
  SetBkMode(a.dc, TRANSPARENT);
  Line(a.dc, 0, 0, 9, 0);
  EXPECT_EQ(a.Map(), "X.X.X.X.X.\n");
  SelectObject(a.dc, old);
  DeleteObject(alt);
}

TEST(Lines, WidePensCoverTheirWidthWithTheirCaps) {
  Canvas c(12, 7);
  LOGBRUSH lb{BS_SOLID, 0, 0};
  HPEN flat = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, 3, &lb, 0, nullptr);
  HPEN square = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE, 3, &lb, 0, nullptr);
  ASSERT_NE(flat, nullptr);
  HGDIOBJ old = SelectObject(c.dc, flat);
  Line(c.dc, 3, 3, 8, 3);
  EXPECT_EQ(c.Map(), Pic(R"(
............
............
...XXXXX....
...XXXXX....
...XXXXX....
............
............
)"));
  c.Clear();
  SelectObject(c.dc, square);
  Line(c.dc, 3, 3, 8, 3);
  EXPECT_EQ(c.Map(), Pic(R"(
............
............
..XXXXXXXX..
..XXXXXXXX..
..XXXXXXXX..
............
............
)"));
  // Geometric dashes: 3 widths on, 1 off, flat pieces.
  Canvas d(20, 1);
  HPEN dash = ExtCreatePen(PS_GEOMETRIC | PS_DASH | PS_ENDCAP_SQUARE, 2, &lb, 0, nullptr);
  SelectObject(d.dc, dash);
  Line(d.dc, 0, 0, 19, 0);
  SelectObject(d.dc, old);
  EXPECT_EQ(d.Map(), "XXXXXX..XXXXXX..XXX.\n");
  SelectObject(c.dc, old);
  DeleteObject(flat);
  DeleteObject(square);
  DeleteObject(dash);
}

TEST(Lines, PenCreationRules) {
  // Cosmetic pens are one pixel wide; a styled CreatePen wider than 1 draws solid.
  LOGBRUSH lb{BS_SOLID, 0, 0};
  EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_SOLID, 2, &lb, 0, nullptr), nullptr);
  EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_ALTERNATE, 2, &lb, 0, nullptr), nullptr);
  EXPECT_EQ(CreatePen(9, 1, 0), nullptr);
  HPEN p = CreatePen(PS_DASH, 3, 0);
  LOGPEN lp;
  ASSERT_EQ(GetObject(p, sizeof lp, &lp), static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnStyle, PS_SOLID);
  EXPECT_EQ(lp.lopnWidth.x, 3);
  DeleteObject(p);
}
