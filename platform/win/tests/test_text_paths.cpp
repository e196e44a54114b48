// Paths: text and lines recorded between BeginPath and EndPath, then filled and
// stroked; the state machine of the bracket.
#include <gtest/gtest.h>

#include "test_text_canvas.h"

using namespace win;
using namespace text_test;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

// Selects a solid brush and pen for the scope.
class Paint {
 public:
  Paint(HDC dc, COLORREF brush, COLORREF pen) : dc_(dc) {
    brush_ = CreateSolidBrush(brush);
    pen_ = CreatePen(PS_SOLID, 1, pen);
    oldBrush_ = SelectObject(dc, brush_);
    oldPen_ = SelectObject(dc, pen_);
  }
  ~Paint() {
    SelectObject(dc_, oldBrush_);
    SelectObject(dc_, oldPen_);
    DeleteObject(brush_);
    DeleteObject(pen_);
  }

 private:
  HDC dc_;
  HBRUSH brush_;
  HPEN pen_;
  HGDIOBJ oldBrush_, oldPen_;
};

}  // namespace

TEST(TextPaths, FilledTextOutlineCoversTheGlyphs) {
  Canvas c(160, 80);
  SetBkMode(c.dc(), TRANSPARENT);
  SelectedFont f(c.dc(), {"Arial", -48, FW_BOLD});
  TextOut(c.dc(), 10, 10, "OH", 2);
  const RECT drawn = c.InkBox();
  const int drawnCount = c.CountNot(kWhite);
  c.Clear(kWhite);

  Paint p(c.dc(), kGreen, kRed);
  ASSERT_TRUE(BeginPath(c.dc()));
  TextOut(c.dc(), 10, 10, "OH", 2);
  EXPECT_EQ(c.CountNot(kWhite), 0);  // recording draws nothing
  ASSERT_TRUE(EndPath(c.dc()));
  ASSERT_TRUE(FillPath(c.dc()));

  const RECT filled = c.BoxOf(kGreen);
  EXPECT_EQ(c.Count(kRed), 0);  // a fill has no outline
  EXPECT_NEAR(filled.left, drawn.left, 1);
  EXPECT_NEAR(filled.top, drawn.top, 1);
  EXPECT_NEAR(filled.right, drawn.right, 1);
  EXPECT_NEAR(filled.bottom, drawn.bottom, 1);
  EXPECT_NEAR(c.Count(kGreen), drawnCount, drawnCount / 10);
  // The counter of the 'O' stays open.
  const int midY = (drawn.top + drawn.bottom) / 2;
  const int oCentre = drawn.left + Extent(c.dc(), "O").cx / 2 - 1;
  EXPECT_EQ(c.At(oCentre, midY), kWhite);
}

TEST(TextPaths, StrokedAndFilledOutline) {
  Canvas c(160, 80);
  SetBkMode(c.dc(), TRANSPARENT);
  SelectedFont f(c.dc(), {"Arial", -48, FW_BOLD});
  TextOut(c.dc(), 10, 10, "H", 1);
  const RECT drawn = c.InkBox();
  c.Clear(kWhite);

  Paint p(c.dc(), kGreen, kRed);
  BeginPath(c.dc());
  TextOut(c.dc(), 10, 10, "H", 1);
  EndPath(c.dc());
  ASSERT_TRUE(StrokePath(c.dc()));
  EXPECT_GT(c.Count(kRed), 0);
  EXPECT_EQ(c.Count(kGreen), 0);
  RECT outline = c.BoxOf(kRed);
  EXPECT_NEAR(outline.left, drawn.left, 1);
  EXPECT_NEAR(outline.right, drawn.right, 1);
  // Only the outline: the middle of the left stem stays white.
  EXPECT_EQ(c.At(drawn.left + 3, (drawn.top + drawn.bottom) / 2 - 8), kWhite);

  c.Clear(kWhite);
  BeginPath(c.dc());
  TextOut(c.dc(), 10, 10, "H", 1);
  EndPath(c.dc());
  ASSERT_TRUE(StrokeAndFillPath(c.dc()));
  EXPECT_GT(c.Count(kRed), 0);
  EXPECT_GT(c.Count(kGreen), 0);
  EXPECT_EQ(c.At(drawn.left + 3, (drawn.top + drawn.bottom) / 2 - 8), kGreen);
}

TEST(TextPaths, BracketStateMachine) {
  Canvas c(40, 40);
  Paint p(c.dc(), kGreen, kRed);
  // Nothing recorded yet.
  EXPECT_FALSE(FillPath(c.dc()));
  EXPECT_FALSE(EndPath(c.dc()));
  EXPECT_FALSE(CloseFigure(c.dc()));

  // An open bracket cannot be drawn.
  ASSERT_TRUE(BeginPath(c.dc()));
  TextOut(c.dc(), 5, 5, "x", 1);
  EXPECT_FALSE(FillPath(c.dc()));
  EXPECT_FALSE(StrokePath(c.dc()));
  ASSERT_TRUE(EndPath(c.dc()));
  EXPECT_FALSE(EndPath(c.dc()));

  // Drawing uses the path up.
  EXPECT_TRUE(FillPath(c.dc()));
  EXPECT_FALSE(StrokePath(c.dc()));

  // AbortPath throws the recording away; output draws again.
  BeginPath(c.dc());
  TextOut(c.dc(), 5, 5, "x", 1);
  EXPECT_TRUE(AbortPath(c.dc()));
  EXPECT_FALSE(EndPath(c.dc()));
  c.Clear(kWhite);
  SetBkMode(c.dc(), TRANSPARENT);
  TextOut(c.dc(), 5, 5, "x", 1);
  EXPECT_GT(c.Count(kBlack), 0);

  // A second BeginPath starts afresh.
  BeginPath(c.dc());
  TextOut(c.dc(), 5, 5, "x", 1);
  BeginPath(c.dc());
  EndPath(c.dc());
  c.Clear(kWhite);
  EXPECT_TRUE(FillPath(c.dc()));
  EXPECT_EQ(c.CountNot(kWhite), 0);

  HDC dead = CreateCompatibleDC(nullptr);
  DeleteDC(dead);
  EXPECT_FALSE(BeginPath(dead));
  EXPECT_FALSE(FillPath(dead));
}

TEST(TextPaths, LinesGoIntoThePath) {
  Canvas c(40, 40);
  Paint p(c.dc(), kGreen, kRed);
  ASSERT_TRUE(BeginPath(c.dc()));
  MoveToEx(c.dc(), 10, 10, nullptr);
  LineTo(c.dc(), 30, 10);
  LineTo(c.dc(), 30, 30);
  LineTo(c.dc(), 10, 30);
  EXPECT_TRUE(CloseFigure(c.dc()));
  EXPECT_FALSE(CloseFigure(c.dc()));  // no open figure left
  EXPECT_EQ(c.CountNot(kWhite), 0);
  ASSERT_TRUE(EndPath(c.dc()));
  ASSERT_TRUE(FillPath(c.dc()));
  // The square 10..30 filled by the polygon rule, no outline.
  EXPECT_EQ(c.BoxOf(kGreen), (RECT{10, 10, 30, 30}));
  EXPECT_EQ(c.Count(kRed), 0);

  // A stroke draws the closed outline.
  c.Clear(kWhite);
  BeginPath(c.dc());
  MoveToEx(c.dc(), 10, 10, nullptr);
  LineTo(c.dc(), 30, 10);
  LineTo(c.dc(), 30, 30);
  CloseFigure(c.dc());
  EndPath(c.dc());
  StrokePath(c.dc());
  EXPECT_EQ(c.At(20, 10), kRed);
  EXPECT_EQ(c.At(30, 20), kRed);
  EXPECT_EQ(c.At(20, 20), kRed);  // on the closing diagonal
  EXPECT_EQ(c.At(15, 25), kWhite);
}

TEST(TextPaths, RestoreDCBringsBackTheSavedPath) {
  Canvas c(60, 60);
  Paint p(c.dc(), kGreen, kRed);
  BeginPath(c.dc());
  MoveToEx(c.dc(), 5, 5, nullptr);
  LineTo(c.dc(), 15, 5);
  LineTo(c.dc(), 15, 15);
  LineTo(c.dc(), 5, 15);
  CloseFigure(c.dc());
  const int saved = SaveDC(c.dc());
  ASSERT_GT(saved, 0);
  MoveToEx(c.dc(), 30, 30, nullptr);
  LineTo(c.dc(), 50, 30);
  LineTo(c.dc(), 50, 50);
  CloseFigure(c.dc());
  ASSERT_TRUE(RestoreDC(c.dc(), saved));
  EndPath(c.dc());
  FillPath(c.dc());
  EXPECT_EQ(c.BoxOf(kGreen), (RECT{5, 5, 15, 15}));
}
