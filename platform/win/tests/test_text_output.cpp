// Text output on a DC: where the text lands for each alignment, turned text, the
// background cell, clipping, the current position and decorations. Only ink boxes and
// colours are compared, never glyph shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "test_text_canvas.h"

using namespace win;
using namespace text_test;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

RECT DrawAt(Canvas& c, int x, int y, UINT align, const char* s) {
  c.Clear(kWhite);
  SetTextAlign(c.dc(), align);
  EXPECT_TRUE(TextOut(c.dc(), x, y, s, static_cast<int>(std::strlen(s))));
  return c.InkBox();
}

void ExpectNear(const RECT& got, const RECT& want, int tol) {
  EXPECT_LE(std::abs(got.left - want.left), tol) << "left " << got.left << " vs " << want.left;
  EXPECT_LE(std::abs(got.top - want.top), tol) << "top " << got.top << " vs " << want.top;
  EXPECT_LE(std::abs(got.right - want.right), tol) << "right " << got.right << " vs " << want.right;
  EXPECT_LE(std::abs(got.bottom - want.bottom), tol) << "bottom " << got.bottom << " vs " << want.bottom;
}

// True when row y is inked over the whole of [x0, x1).
bool FullRow(const Canvas& c, int y, int x0, int x1) {
  for (int x = x0; x < x1; ++x)
    if (c.At(x, y) == kWhite) return false;
  return true;
}

}  // namespace

TEST(TextOutput, AlignmentMovesTheTextByItsExtentAndCell) {
  Canvas c(240, 140);
  SetBkMode(c.dc(), TRANSPARENT);
  SelectedFont f(c.dc(), {"Arial", -20});
  const SIZE sz = Extent(c.dc(), "Hg");
  const TEXTMETRIC tm = Metrics(c.dc());

  const RECT leftTop = DrawAt(c, 100, 60, TA_LEFT | TA_TOP, "Hg");
  ASSERT_NE(leftTop.right, 0);
  // The ink lies in the cell that starts at the reference point.
  EXPECT_GE(leftTop.left, 100);
  EXPECT_LE(leftTop.right, 100 + sz.cx);
  EXPECT_GE(leftTop.top, 60);
  EXPECT_LE(leftTop.bottom, 60 + tm.tmHeight);
  // 'g' reaches below the baseline, 'H' sits on it.
  EXPECT_GT(leftTop.bottom, 60 + tm.tmAscent);

  EXPECT_EQ(DrawAt(c, 100, 60, TA_RIGHT | TA_TOP, "Hg"), Offset(leftTop, -sz.cx, 0));
  EXPECT_EQ(DrawAt(c, 100, 60, TA_CENTER | TA_TOP, "Hg"), Offset(leftTop, -(sz.cx / 2), 0));
  EXPECT_EQ(DrawAt(c, 100, 60, TA_LEFT | TA_BASELINE, "Hg"), Offset(leftTop, 0, -tm.tmAscent));
  EXPECT_EQ(DrawAt(c, 100, 60, TA_LEFT | TA_BOTTOM, "Hg"), Offset(leftTop, 0, -tm.tmHeight));
  EXPECT_EQ(DrawAt(c, 100, 60, TA_RIGHT | TA_BASELINE, "Hg"), Offset(leftTop, -sz.cx, -tm.tmAscent));
  EXPECT_EQ(GetTextAlign(c.dc()), TA_RIGHT | TA_BASELINE);

  // The viewport origin moves the output with it.
  SetViewportOrgEx(c.dc(), 5, 7, nullptr);
  EXPECT_EQ(DrawAt(c, 100, 60, TA_LEFT | TA_TOP, "Hg"), Offset(leftTop, 5, 7));
}

TEST(TextOutput, TurnedTextHasItsInkBoxTurned) {
  Canvas c(220, 220);
  SetBkMode(c.dc(), TRANSPARENT);
  RECT flat;
  {
    SelectedFont f(c.dc(), {"Arial", -20});
    flat = DrawAt(c, 100, 100, TA_BASELINE, "Hello");
  }
  ASSERT_NE(flat.right, 0);
  {
    SCOPED_TRACE("90 degrees: running upward");
    SelectedFont f(c.dc(), {"Arial", -20, FW_NORMAL, 900});
    RECT up = DrawAt(c, 100, 100, TA_BASELINE, "Hello");
    ExpectNear(up, RECT{flat.top, 200 - flat.right, flat.bottom, 200 - flat.left}, 1);
  }
  {
    SCOPED_TRACE("270 degrees: running downward");
    SelectedFont f(c.dc(), {"Arial", -20, FW_NORMAL, 2700});
    RECT down = DrawAt(c, 100, 100, TA_BASELINE, "Hello");
    ExpectNear(down, RECT{200 - flat.bottom, flat.left, 200 - flat.top, flat.right}, 1);
  }
  {
    SCOPED_TRACE("180 degrees: upside down");
    SelectedFont f(c.dc(), {"Arial", -20, FW_NORMAL, 1800});
    RECT over = DrawAt(c, 100, 100, TA_BASELINE, "Hello");
    ExpectNear(over, RECT{200 - flat.right, 200 - flat.bottom, 200 - flat.left, 200 - flat.top}, 1);
  }
  {
    SCOPED_TRACE("45 degrees");
    SelectedFont f(c.dc(), {"Arial", -20, FW_NORMAL, 450});
    RECT slant = DrawAt(c, 100, 100, TA_BASELINE, "Hello");
    // Inside the box of the flat ink box turned by 45 degrees, and filling most of it.
    const double k = std::sqrt(0.5);
    double xs[4], ys[4];
    int i = 0;
    for (int a : {flat.left - 100, flat.right - 100})
      for (int d : {flat.top - 100, flat.bottom - 100}) {
        xs[i] = 100 + (a + d) * k;
        ys[i] = 100 + (d - a) * k;
        ++i;
      }
    const RECT turned{static_cast<LONG>(std::floor(*std::min_element(xs, xs + 4))),
                      static_cast<LONG>(std::floor(*std::min_element(ys, ys + 4))),
                      static_cast<LONG>(std::ceil(*std::max_element(xs, xs + 4))),
                      static_cast<LONG>(std::ceil(*std::max_element(ys, ys + 4)))};
    EXPECT_GE(slant.left, turned.left - 1);
    EXPECT_GE(slant.top, turned.top - 1);
    EXPECT_LE(slant.right, turned.right + 1);
    EXPECT_LE(slant.bottom, turned.bottom + 1);
    EXPECT_GT(slant.right - slant.left, 0.8 * (turned.right - turned.left));
    EXPECT_GT(slant.bottom - slant.top, 0.8 * (turned.bottom - turned.top));
  }
  {
    SCOPED_TRACE("a bitmap face does not turn");
    SelectedFont f(c.dc(), {"MS Sans Serif", -20, FW_NORMAL, 900});
    SelectedFont g(c.dc(), {"MS Sans Serif", -20});
    RECT plain = DrawAt(c, 100, 100, TA_BASELINE, "Hello");
    SelectObject(c.dc(), reinterpret_cast<HGDIOBJ>(f.font()));
    EXPECT_EQ(DrawAt(c, 100, 100, TA_BASELINE, "Hello"), plain);
  }
}

TEST(TextOutput, OpaqueBackgroundFillsTheCell) {
  Canvas c(120, 120);
  SelectedFont f(c.dc(), {"Arial", -13});
  const SIZE sz = Extent(c.dc(), "Test");
  const int h = Metrics(c.dc()).tmHeight;
  SetBkColor(c.dc(), kRed);

  SetBkMode(c.dc(), OPAQUE);
  DrawAt(c, 10, 10, TA_TOP, "Test");
  EXPECT_EQ(c.InkBox(), (RECT{10, 10, 10 + sz.cx, 10 + h}));
  EXPECT_EQ(c.CountNot(kWhite), sz.cx * h);
  EXPECT_GT(c.Count(kBlack), 0);

  DrawAt(c, 50, 40, TA_BASELINE | TA_RIGHT, "Test");
  const int ascent = Metrics(c.dc()).tmAscent;
  EXPECT_EQ(c.InkBox(), (RECT{50 - sz.cx, 40 - ascent, 50, 40 - ascent + h}));

  // Turned a quarter: the cell runs upward from the reference point.
  {
    SelectedFont up(c.dc(), {"Arial", -13, FW_NORMAL, 900});
    DrawAt(c, 50, 80, TA_TOP, "Test");
    EXPECT_EQ(c.BoxOf(kRed).left, 50);
    EXPECT_EQ(c.InkBox(), (RECT{50, 80 - sz.cx, 50 + h, 80}));
    EXPECT_EQ(c.CountNot(kWhite), sz.cx * h);
  }

  SetBkMode(c.dc(), TRANSPARENT);
  DrawAt(c, 10, 10, TA_TOP, "Test");
  EXPECT_EQ(c.Count(kRed), 0);
  EXPECT_GT(c.Count(kBlack), 0);
}

TEST(TextOutput, GlyphsAreOneColourAndIgnoreTheDrawingMode) {
  Canvas c(120, 60);
  SetBkMode(c.dc(), TRANSPARENT);
  SelectedFont f(c.dc(), {"Times New Roman", -24, FW_NORMAL, 0, true});
  SetTextColor(c.dc(), kBlue);
  DrawAt(c, 4, 4, TA_TOP, "Quill");
  EXPECT_GT(c.Count(kBlue), 0);
  EXPECT_EQ(c.Count(kBlue) + c.Count(kWhite), 120 * 60);  // no anti-aliasing
  const std::vector<COLORREF> copy = c.Pixels();

  SetROP2(c.dc(), R2_XORPEN);
  DrawAt(c, 4, 4, TA_TOP, "Quill");
  EXPECT_EQ(c.Pixels(), copy);
}

TEST(TextOutput, ExtTextOutRectangleOpaqueAndClipped) {
  Canvas c(60, 60);
  SetBkMode(c.dc(), TRANSPARENT);
  SetBkColor(c.dc(), kRed);
  SelectedFont f(c.dc(), {"Arial", -40});

  RECT r{5, 6, 25, 16};
  EXPECT_TRUE(ExtTextOut(c.dc(), 0, 0, ETO_OPAQUE, &r, "", 0, nullptr));
  EXPECT_EQ(c.BoxOf(kRed), r);
  EXPECT_EQ(c.Count(kRed), 20 * 10);

  c.Clear(kWhite);
  RECT clip{10, 10, 20, 20};
  EXPECT_TRUE(ExtTextOut(c.dc(), 0, 0, ETO_CLIPPED, &clip, "W", 1, nullptr));
  RECT ink = c.InkBox();
  ASSERT_NE(ink.right, 0);
  EXPECT_GE(ink.left, 10);
  EXPECT_GE(ink.top, 10);
  EXPECT_LE(ink.right, 20);
  EXPECT_LE(ink.bottom, 20);

  // A rectangle without the flags does nothing.
  c.Clear(kWhite);
  ExtTextOut(c.dc(), 0, 0, 0, &clip, "W", 1, nullptr);
  EXPECT_GT(c.InkBox().right, 20);
}

TEST(TextOutput, CharacterAdvancesFromAnArray) {
  Canvas c(200, 40);
  SetBkMode(c.dc(), TRANSPARENT);
  SelectedFont f(c.dc(), {"Courier New", -13});
  DrawAt(c, 10, 10, TA_TOP, "I");
  const RECT one = c.InkBox();

  // Three I's at the positions the array gives; the last advance moves the right-aligned start.
  const int dx[3] = {30, 50, 7};
  c.Clear(kWhite);
  SetTextAlign(c.dc(), TA_TOP);
  ExtTextOut(c.dc(), 10, 10, 0, nullptr, "III", 3, dx);
  RECT all = c.InkBox();
  EXPECT_EQ(all.left, one.left);
  EXPECT_EQ(all.right, one.right + 80);

  c.Clear(kWhite);
  SetTextAlign(c.dc(), TA_RIGHT);
  ExtTextOut(c.dc(), 150, 10, 0, nullptr, "III", 3, dx);
  EXPECT_EQ(c.InkBox().left, one.left - 10 + 150 - 87);
}

TEST(TextOutput, UpdateCurrentPosition) {
  Canvas c(200, 60);
  SetBkMode(c.dc(), TRANSPARENT);
  SelectedFont f(c.dc(), {"Arial", -13});
  const int ab = Extent(c.dc(), "ab").cx, cd = Extent(c.dc(), "cd").cx;
  POINT p;

  MoveToEx(c.dc(), 10, 20, nullptr);
  SetTextAlign(c.dc(), TA_UPDATECP);
  TextOut(c.dc(), 999, 999, "ab", 2);  // the coordinates are ignored
  GetCurrentPositionEx(c.dc(), &p);
  EXPECT_EQ(p, (POINT{10 + ab, 20}));
  TextOut(c.dc(), 0, 0, "cd", 2);
  GetCurrentPositionEx(c.dc(), &p);
  EXPECT_EQ(p, (POINT{10 + ab + cd, 20}));
  RECT ink = c.InkBox();
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 10 + ab + cd);
  EXPECT_GE(ink.top, 20);

  SetTextAlign(c.dc(), TA_UPDATECP | TA_RIGHT);
  TextOut(c.dc(), 0, 0, "ab", 2);
  GetCurrentPositionEx(c.dc(), &p);
  EXPECT_EQ(p, (POINT{10 + cd, 20}));

  SetTextAlign(c.dc(), TA_UPDATECP | TA_CENTER);
  TextOut(c.dc(), 0, 0, "ab", 2);
  GetCurrentPositionEx(c.dc(), &p);
  EXPECT_EQ(p, (POINT{10 + cd, 20}));

  // A quarter turn moves the position up the screen.
  SelectedFont up(c.dc(), {"Arial", -13, FW_NORMAL, 900});
  MoveToEx(c.dc(), 100, 50, nullptr);
  SetTextAlign(c.dc(), TA_UPDATECP);
  TextOut(c.dc(), 0, 0, "ab", 2);
  GetCurrentPositionEx(c.dc(), &p);
  EXPECT_EQ(p, (POINT{100, 50 - ab}));
}

TEST(TextOutput, CharacterExtraWidensTheOutput) {
  Canvas c(200, 40);
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), kRed);
  SelectedFont f(c.dc(), {"Arial", -13});
  const int plain = Extent(c.dc(), "abcd").cx;
  SetTextCharacterExtra(c.dc(), 4);
  DrawAt(c, 10, 5, TA_TOP, "abcd");
  EXPECT_EQ(c.InkBox().right - 10, plain + 16);
}

TEST(TextOutput, UnderlineAndStrikeOutSpanTheWholeAdvance) {
  Canvas c(200, 60);
  SetBkMode(c.dc(), TRANSPARENT);
  auto fullRows = [&](int x0, int x1) {
    std::vector<int> rows;
    for (int y = 0; y < c.height(); ++y)
      if (FullRow(c, y, x0, x1)) rows.push_back(y);
    return rows;
  };
  int cx, ascent, height;
  {
    SelectedFont f(c.dc(), {"Arial", -20});
    cx = Extent(c.dc(), "ab c").cx;
    ascent = Metrics(c.dc()).tmAscent;
    height = Metrics(c.dc()).tmHeight;
    DrawAt(c, 10, 10, TA_TOP, "ab c");
    EXPECT_TRUE(fullRows(10, 10 + cx).empty());
  }
  {
    SelectedFont f(c.dc(), {"Arial", -20, FW_NORMAL, 0, false, true});
    DrawAt(c, 10, 10, TA_TOP, "ab c");
    EXPECT_EQ(c.InkBox().left, 10);
    EXPECT_EQ(c.InkBox().right, 10 + cx);
    std::vector<int> rows = fullRows(10, 10 + cx);
    ASSERT_FALSE(rows.empty());
    for (int y : rows) {
      EXPECT_GE(y, 10 + ascent);  // below the baseline, inside the cell
      EXPECT_LT(y, 10 + height);
    }
  }
  {
    SelectedFont f(c.dc(), {"Arial", -20, FW_NORMAL, 0, false, false, true});
    DrawAt(c, 10, 10, TA_TOP, "ab c");
    std::vector<int> rows = fullRows(10, 10 + cx);
    ASSERT_FALSE(rows.empty());
    for (int y : rows) {
      EXPECT_LT(y, 10 + ascent);  // above the baseline, below the top of the cell
      EXPECT_GT(y, 10 + ascent / 3);
    }
  }
}

TEST(TextOutput, FarCoordinatesDrawNothingAndReturn) {
  Canvas c(40, 40);
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), kRed);
  SelectedFont f(c.dc(), {"Arial", -13, FW_NORMAL, 450});
  EXPECT_TRUE(TextOut(c.dc(), INT_MAX - 2, INT_MIN + 2, "abc", 3));
  EXPECT_TRUE(TextOut(c.dc(), INT_MIN, INT_MAX, "abc", 3));
  EXPECT_EQ(c.CountNot(kWhite), 0);

  RECT huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  EXPECT_TRUE(ExtTextOut(c.dc(), INT_MAX, INT_MAX, ETO_OPAQUE | ETO_CLIPPED, &huge, "x", 1, nullptr));
  EXPECT_EQ(c.Count(kRed), 40 * 40);
}

TEST(TextOutput, DrawTextMeasuresAndDrawsWithTheFont) {
  Canvas c(160, 80);
  SetBkMode(c.dc(), TRANSPARENT);
  SelectedFont f(c.dc(), {"Arial", -11});
  const int h = Metrics(c.dc()).tmHeight;
  const SIZE hello = Extent(c.dc(), "Hello World");

  RECT r{3, 4, 150, 4};
  EXPECT_EQ(DrawText(c.dc(), "Hello World", -1, &r, DT_CALCRECT | DT_SINGLELINE), h);
  EXPECT_EQ(r, (RECT{3, 4, 3 + hello.cx, 4 + h}));
  EXPECT_EQ(c.CountNot(kWhite), 0);  // measuring draws nothing

  RECT narrow{0, 0, hello.cx - 1, 0};
  EXPECT_EQ(DrawText(c.dc(), "Hello World", 11, &narrow, DT_CALCRECT | DT_WORDBREAK), 2 * h);
  EXPECT_EQ(narrow, (RECT{0, 0, std::max(Extent(c.dc(), "Hello").cx, Extent(c.dc(), "World").cx), 2 * h}));

  // Drawn text stays inside its rectangle unless DT_NOCLIP.
  RECT box{10, 10, 30, 10 + h};
  DrawText(c.dc(), "WWWWWW", -1, &box, DT_SINGLELINE);
  RECT ink = c.InkBox();
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 30);
  c.Clear(kWhite);
  DrawText(c.dc(), "WWWWWW", -1, &box, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(c.InkBox().right, 30);

  // Vertically centred: the return value is the text's bottom below the rectangle's top.
  c.Clear(kWhite);
  RECT tall{0, 0, 160, 41};
  EXPECT_EQ(DrawText(c.dc(), "Hx", -1, &tall, DT_SINGLELINE | DT_VCENTER | DT_CENTER), (41 - h) / 2 + h);
  ink = c.InkBox();
  EXPECT_GE(ink.top, (41 - h) / 2);
  EXPECT_LE(ink.bottom, (41 - h) / 2 + h);
  EXPECT_NEAR((ink.left + ink.right) / 2, 80, 2);
}

TEST(TextOutput, DrawTextUnderlinesTheAccelerator) {
  Canvas c(100, 40);
  SetBkMode(c.dc(), TRANSPARENT);
  SelectedFont f(c.dc(), {"Arial", -20});
  const int w = Extent(c.dc(), "W").cx;
  const int ascent = Metrics(c.dc()).tmAscent;
  RECT r{10, 5, 100, 40};
  DrawText(c.dc(), "aW", -1, &r, DT_SINGLELINE);
  const RECT plain = c.InkBox();
  c.Clear(kWhite);
  DrawText(c.dc(), "a&W", -1, &r, DT_SINGLELINE);
  const RECT marked = c.InkBox();
  EXPECT_EQ(marked.left, plain.left);
  EXPECT_GT(marked.bottom, 5 + ascent);  // a line below the baseline
  const int a = Extent(c.dc(), "a").cx;
  bool found = false;
  for (int y = 5 + ascent; y < marked.bottom; ++y) found |= FullRow(c, y, 10 + a, 10 + a + w);
  EXPECT_TRUE(found);
  EXPECT_FALSE(FullRow(c, marked.bottom - 1, 10, 10 + a));  // not under the 'a'

  // "&&" shows one '&' and underlines nothing.
  c.Clear(kWhite);
  RECT calc = r;
  DrawText(c.dc(), "a&&W", -1, &calc, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(calc.right - calc.left, Extent(c.dc(), "a&W").cx);
}
