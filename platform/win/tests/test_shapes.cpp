// Filled shapes: rectangles, ellipses, round rectangles, polygons, pies and chords with
// exact pixels; null-pen fills one pixel short; brushes and their alignment.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dib_canvas.h"
#include "platform/win/gdi.h"
#include "platform/win/region_api.h"

using namespace win;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

struct Canvas : DibCanvas {
  using DibCanvas::DibCanvas;
  // 'X' black, '.' white, 'o' red, 'b' blue, '?' other.
  std::string Map() const {
    std::string s;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const COLORREF c = GetPixel(dc, x, y);
        s += c == 0 ? 'X' : c == 0xFFFFFF ? '.' : c == kRed ? 'o' : c == RGB(0, 0, 255) ? 'b' : '?';
      }
      s += '\n';
    }
    return s;
  }
  // Pixels that are not white, as a map of 'o'.
  std::string Marked() const {
    std::string s;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) s += GetPixel(dc, x, y) == 0xFFFFFF ? '.' : 'o';
      s += '\n';
    }
    return s;
  }
};

std::string Pic(const char* s) { return std::string(s + 1); }

// Selects a red brush and a black or null pen for the canvas' life.
struct Tools {
  HDC dc;
  HBRUSH brush;
  HGDIOBJ oldBrush, oldPen;
  Tools(HDC d, bool nullPen) : dc(d) {
    brush = CreateSolidBrush(kRed);
    oldBrush = SelectObject(dc, brush);
    oldPen = SelectObject(dc, GetStockObject(nullPen ? NULL_PEN : BLACK_PEN));
  }
  ~Tools() {
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
  }
};

std::string RegionMap(const Region& r, int w, int h) {
  std::string s;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) s += r.Contains(x, y) ? 'o' : '.';
    s += '\n';
  }
  return s;
}

}  // namespace

TEST(Shapes, RectangleOutlineInteriorAndNullPen) {
  Canvas c(8, 6);
  {
    Tools t(c.dc, false);
    Rectangle(c.dc, 1, 1, 6, 5);
  }
  EXPECT_EQ(c.Map(), Pic(R"(
........
.XXXXX..
.XoooX..
.XoooX..
.XXXXX..
........
)"));
  Canvas n(8, 6);
  {
    Tools t(n.dc, true);
    Rectangle(n.dc, 1, 1, 6, 5);  // stops one pixel short on the right and bottom
    Rectangle(n.dc, 8, 2, 6, 0);  // swapped corners are put in order
    Rectangle(n.dc, 7, 4, 8, 6);  // one pixel wide: nothing left
  }
  EXPECT_EQ(n.Map(), Pic(R"(
......o.
.oooo...
.oooo...
.oooo...
........
........
)"));
}

TEST(Shapes, SmallEllipsesWithPenAndNullPen) {
  Canvas c(6, 6);
  {
    Tools t(c.dc, false);
    Ellipse(c.dc, 0, 0, 5, 5);
  }
  EXPECT_EQ(c.Map(), Pic(R"(
.XXX..
XoooX.
XoooX.
XoooX.
.XXX..
......
)"));
  Canvas n(6, 6);
  {
    Tools t(n.dc, true);
    Ellipse(n.dc, 0, 0, 5, 5);
  }
  EXPECT_EQ(n.Map(), Pic(R"(
.oo...
oooo..
oooo..
.oo...
......
......
)"));
  Canvas wide(9, 5);
  {
    Tools t(wide.dc, false);
    Ellipse(wide.dc, 0, 0, 9, 5);
  }
  EXPECT_EQ(wide.Map(), Pic(R"(
..XXXXX..
XXoooooXX
XoooooooX
XXoooooXX
..XXXXX..
)"));
}

TEST(Shapes, NullPenFillsMatchTheRegionsOfTheSameShape) {
  struct Case {
    int l, t, r, b, ew, eh;
  };
  const Case cases[] = {{0, 0, 7, 5, 0, 0}, {1, 2, 12, 11, 0, 0}, {0, 0, 10, 10, 4, 4},
                        {2, 1, 13, 9, 5, 3}, {0, 0, 9, 12, 20, 20}, {3, 3, 4, 9, 0, 0}};
  for (const Case& k : cases) {
    Canvas c(16, 16);
    Tools t(c.dc, true);
    Region want;
    if (k.ew) {
      RoundRect(c.dc, k.l, k.t, k.r, k.b, k.ew, k.eh);
      want = Region::RoundRect(k.l, k.t, k.r, k.b, k.ew, k.eh);
    } else {
      Ellipse(c.dc, k.l, k.t, k.r, k.b);
      want = Region::Ellipse(k.l, k.t, k.r, k.b);
    }
    EXPECT_EQ(c.Marked(), RegionMap(want, 16, 16)) << k.l << "," << k.t << "," << k.r << "," << k.b;
  }
}

TEST(Shapes, PolygonFillModesAndOutline) {
  // A five-pointed star drawn in one stroke: its centre is inside only by winding.
  const POINT star[] = {{10, 1}, {16, 19}, {1, 8}, {19, 8}, {4, 19}};
  for (int mode : {ALTERNATE, WINDING}) {
    Canvas c(21, 21);
    Tools t(c.dc, true);
    SetPolyFillMode(c.dc, mode);
    Polygon(c.dc, star, 5);
    EXPECT_EQ(c.Marked(), RegionMap(Region::Polygon(star, mode == WINDING ? FillRule::Winding : FillRule::Alternate), 21, 21));
    EXPECT_EQ(GetPixel(c.dc, 10, 11), mode == WINDING ? kRed : 0xFFFFFFu);
    EXPECT_EQ(GetPixel(c.dc, 10, 4), kRed);
  }
  // With a pen the outline closes the figure and covers the far edges.
  Canvas c(8, 6);
  {
    Tools t(c.dc, false);
    const POINT sq[] = {{1, 1}, {5, 1}, {5, 4}, {1, 4}};
    Polygon(c.dc, sq, 4);
  }
  EXPECT_EQ(c.Map(), Pic(R"(
........
.XXXXX..
.XoooX..
.XoooX..
.XXXXX..
........
)"));
}

TEST(Shapes, PolyPolygonCountsEdgesTogether) {
  // Two overlapping squares: alternate leaves their overlap empty.
  const POINT pts[] = {{0, 0}, {6, 0}, {6, 6}, {0, 6}, {3, 3}, {9, 3}, {9, 9}, {3, 9}};
  const int counts[] = {4, 4};
  Canvas c(10, 10);
  Tools t(c.dc, true);
  PolyPolygon(c.dc, pts, counts, 2);
  EXPECT_EQ(c.Marked(), Pic(R"(
oooooo....
oooooo....
oooooo....
ooo...ooo.
ooo...ooo.
ooo...ooo.
...oooooo.
...oooooo.
...oooooo.
..........
)"));
}

TEST(Shapes, PieChordAndArcKeepToTheirSweep) {
  // Quarter from the radial to the right round to the radial upwards.
  Canvas c(21, 21);
  {
    Tools t(c.dc, false);
    Pie(c.dc, 0, 0, 21, 21, 21, 10, 10, 0);
  }
  EXPECT_EQ(GetPixel(c.dc, 15, 5), kRed);      // inside the top-right quarter
  EXPECT_EQ(GetPixel(c.dc, 5, 5), 0xFFFFFFu);  // other quarters untouched
  EXPECT_EQ(GetPixel(c.dc, 15, 15), 0xFFFFFFu);
  EXPECT_EQ(GetPixel(c.dc, 5, 15), 0xFFFFFFu);
  EXPECT_EQ(GetPixel(c.dc, 20, 9), 0u);  // the arc's outline at the right
  EXPECT_EQ(GetPixel(c.dc, 10, 0), 0u);  // and at the top
  // Everything drawn lies in the top-right quarter (the radial edges included).
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 21; ++x)
      if (GetPixel(c.dc, x, y) != 0xFFFFFFu) {
        EXPECT_TRUE(x >= 10 && y <= 10) << x << "," << y;
      }

  // A chord over the same sweep keeps to the far side of the line between the ends.
  Canvas ch(21, 21);
  {
    Tools t(ch.dc, true);
    Chord(ch.dc, 0, 0, 21, 21, 21, 10, 10, 0);
  }
  EXPECT_EQ(GetPixel(ch.dc, 17, 3), kRed);
  EXPECT_EQ(GetPixel(ch.dc, 12, 8), 0xFFFFFFu);

  // Equal start and end give the whole ellipse; an arc is its outline only.
  Canvas a(6, 6), e(6, 6);
  {
    Tools t(a.dc, false);
    Arc(a.dc, 0, 0, 5, 5, 3, 0, 3, 0);
  }
  {
    Tools t(e.dc, false);
    SelectObject(e.dc, GetStockObject(NULL_BRUSH));
    Ellipse(e.dc, 0, 0, 5, 5);
  }
  EXPECT_EQ(a.Map(), e.Map());
}

TEST(Shapes, WideAndInsideFramePens) {
  Canvas c(10, 10);
  HPEN pen = CreatePen(PS_SOLID, 3, 0);
  HBRUSH brush = CreateSolidBrush(kRed);
  SelectObject(c.dc, brush);
  HGDIOBJ old = SelectObject(c.dc, pen);
  Rectangle(c.dc, 2, 2, 8, 8);
  EXPECT_EQ(c.Map(), Pic(R"(
..........
.XXXXXXXX.
.XXXXXXXX.
.XXXXXXXX.
.XXXooXXX.
.XXXooXXX.
.XXXXXXXX.
.XXXXXXXX.
.XXXXXXXX.
..........
)"));
  Canvas f(10, 10);
  HPEN inside = CreatePen(PS_INSIDEFRAME, 3, 0);
  SelectObject(f.dc, brush);
  SelectObject(f.dc, inside);
  Rectangle(f.dc, 1, 1, 9, 9);
  EXPECT_EQ(f.Map(), Pic(R"(
..........
.XXXXXXXX.
.XXXXXXXX.
.XXXXXXXX.
.XXXooXXX.
.XXXooXXX.
.XXXXXXXX.
.XXXXXXXX.
.XXXXXXXX.
..........
)"));
  SelectObject(c.dc, old);
  SelectObject(f.dc, old);
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  SelectObject(f.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(pen);
  DeleteObject(inside);
  DeleteObject(brush);
}

TEST(Shapes, XorShapesTwiceRestoreTheBuffer) {
  Canvas c(24, 24);
  for (int i = 0; i < 24 * 24; ++i) c.bits[i] = 0x9E3779B9u * static_cast<DWORD>(i);
  std::vector<DWORD> before(c.bits, c.bits + 24 * 24);
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(10, 200, 30));
  HBRUSH brush = CreateHatchBrush(HS_DIAGCROSS, RGB(90, 0, 250));
  SelectObject(c.dc, pen);
  SelectObject(c.dc, brush);
  SetROP2(c.dc, R2_XORPEN);
  for (int pass = 0; pass < 2; ++pass) {
    Ellipse(c.dc, 1, 2, 20, 17);
    RoundRect(c.dc, 3, 3, 22, 22, 6, 6);
    Pie(c.dc, 0, 0, 24, 24, 24, 0, 0, 24);
    const POINT tri[] = {{2, 20}, {12, 1}, {22, 20}};
    Polygon(c.dc, tri, 3);
  }
  EXPECT_EQ(0, std::memcmp(before.data(), c.bits, before.size() * 4));
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(pen);
  DeleteObject(brush);
}

TEST(Shapes, PatternBrushFollowsTheBrushOriginAndTheDcColours) {
  // 8 x 8 monochrome pattern with one black pixel at (0, 0): 0 bits take the text
  // colour, 1 bits the background colour.
  WORD rows[8];
  for (WORD& r : rows) r = 0xFFFF;
  rows[0] = 0xFF7F;  // first byte 0x7F: pixel 0 is the only 0 bit
  HBITMAP pat = CreateBitmap(8, 8, 1, 1, rows);
  HBRUSH brush = CreatePatternBrush(pat);
  DeleteObject(pat);  // the brush keeps its own copy
  Canvas c(20, 12);
  SetTextColor(c.dc, RGB(0, 0, 255));
  SetBkColor(c.dc, RGB(255, 0, 0));
  SetBrushOrgEx(c.dc, 3, 2, nullptr);
  RECT r{0, 0, 20, 12};
  FillRect(c.dc, &r, brush);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool dot = ((x - 3) % 8 == 0) && ((y - 2) % 8 == 0);
      EXPECT_EQ(GetPixel(c.dc, x, y), dot ? RGB(0, 0, 255) : kRed) << x << "," << y;
    }
  DeleteObject(brush);

  // Hatches: transparent mode leaves the gaps alone.
  Canvas h(8, 8);
  HBRUSH hatch = CreateHatchBrush(HS_CROSS, 0);
  SelectObject(h.dc, hatch);
  SelectObject(h.dc, GetStockObject(NULL_PEN));
  SetBkMode(h.dc, TRANSPARENT);
  Rectangle(h.dc, 0, 0, 9, 9);
  EXPECT_EQ(h.Map(), Pic(R"(
.......X
.......X
.......X
.......X
.......X
.......X
.......X
XXXXXXXX
)"));
  SetBkMode(h.dc, OPAQUE);
  SetBkColor(h.dc, kRed);
  Rectangle(h.dc, 0, 0, 9, 9);
  EXPECT_EQ(h.Map().substr(0, 9), "oooooooX\n");
  SelectObject(h.dc, GetStockObject(WHITE_BRUSH));
  SelectObject(h.dc, GetStockObject(BLACK_PEN));
  DeleteObject(hatch);
}

TEST(Shapes, FarCoordinatesFillOnlyTheVisiblePart) {
  Canvas c(6, 4);
  Tools t(c.dc, true);
  Rectangle(c.dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  EXPECT_EQ(c.Marked(), Pic(R"(
oooooo
oooooo
oooooo
oooooo
)"));
  Canvas e(6, 4);
  Tools te(e.dc, false);
  Ellipse(e.dc, -1000000000, -1000000000, 1000000000, 1000000000);  // its middle covers everything
  EXPECT_EQ(e.Map(), Pic(R"(
oooooo
oooooo
oooooo
oooooo
)"));
  // A far triangle whose long edge x + y = 6 crosses the buffer: centres on the edge
  // are on its right side, so outside.
  const POINT far[] = {{-(1 << 30), -(1 << 30)}, {(1 << 30) + 6, -(1 << 30)}, {-(1 << 30), (1 << 30) + 6}};
  Canvas p(6, 4);
  Tools tp(p.dc, true);
  Polygon(p.dc, far, 3);
  EXPECT_EQ(p.Marked(), Pic(R"(
ooooo.
oooo..
ooo...
oo....
)"));
}
