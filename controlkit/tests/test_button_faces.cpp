// Speed-button faces: content rectangles of every style and state, and the pixels that
// tell the faces apart.
#include <gtest/gtest.h>

#include "controlkit/kit_application.h"
#include "controlkit/kit_button_faces.h"
#include "controlkit/tests/kit_paper.h"

namespace {

using kit_test::Paper;
using kit_test::Rgb;

constexpr TColor kFace = clYellow;
const TRect kButton = Rect(0, 0, 23, 22);

TRect Draw(Paper& p, TKitUserButtonStyle style, Byte state, Word flags, bool mouseInside = false) {
  TRect r = kButton;
  EXPECT_TRUE(DrawButtonFrame(p.C(), mouseInside, r, style, state, flags, kFace));
  return r;
}

TEST(KitButtonFace, FlatUpIsOnlyFilledAndHeldIsSunken) {
  Paper p(23, 22, clWhite);
  EXPECT_EQ(Draw(p, ubsFlat, kKitBtnUp, 1 + 4), Rect(3, 3, 20, 19));
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 23; ++x) ASSERT_EQ(p.At(x, y), kFace) << x << "," << y;

  p.Fill(clWhite);
  EXPECT_EQ(Draw(p, ubsFlat, kKitBtnHeld, 1 + 4), Rect(4, 4, 21, 20));
  EXPECT_EQ(p.At(0, 5), Rgb(clBtnShadow));
  EXPECT_EQ(p.At(5, 0), Rgb(clBtnShadow));
  EXPECT_EQ(p.At(22, 5), Rgb(clBtnHighlight));
  EXPECT_EQ(p.At(5, 21), Rgb(clBtnHighlight));
  EXPECT_EQ(p.At(1, 5), kFace);

  // Hot: a raised inner ring.
  p.Fill(clWhite);
  EXPECT_EQ(Draw(p, ubsFlat, kKitBtnHot, 0), Rect(3, 3, 20, 19));
  EXPECT_EQ(p.At(0, 5), Rgb(clBtnHighlight));
  EXPECT_EQ(p.At(22, 5), Rgb(clBtnShadow));
}

TEST(KitButtonFace, Win31RoundsItsCornersAndShrinksByFour) {
  Paper p(23, 22, clWhite);
  EXPECT_EQ(Draw(p, ubsWin31, kKitBtnUp, kKitBfRounded), Rect(4, 4, 19, 18));
  const TColor face = Rgb(clBtnFace);
  EXPECT_EQ(p.At(0, 0), face);
  EXPECT_EQ(p.At(0, 21), face);
  EXPECT_EQ(p.At(22, 0), face);
  EXPECT_EQ(p.At(22, 21), face);
  EXPECT_EQ(p.At(0, 5), Rgb(cl3DDkShadow));  // soft sunken outer edge
  EXPECT_EQ(p.At(1, 5), Rgb(clBtnHighlight));  // first raised inner ring
  EXPECT_EQ(p.At(2, 5), Rgb(clBtnHighlight));  // second ring

  p.Fill(clWhite);
  EXPECT_EQ(Draw(p, ubsWin31, kKitBtnDown, 0), Rect(5, 5, 20, 19));
  EXPECT_EQ(p.At(0, 0), Rgb(cl3DDkShadow));  // no rounding without the flag
}

TEST(KitButtonFace, Win40StandardAndPlainFaces) {
  Paper p(23, 22, clWhite);
  EXPECT_EQ(Draw(p, ubsWin40, kKitBtnUp, 1 + 4), Rect(3, 3, 20, 19));
  EXPECT_EQ(p.At(0, 5), Rgb(clBtnHighlight));  // raised outer, soft
  EXPECT_EQ(p.At(22, 5), Rgb(cl3DDkShadow));
  EXPECT_EQ(p.At(21, 5), Rgb(clBtnShadow));  // raised inner on the right
  EXPECT_EQ(p.At(1, 5), kFace);               // but not on the left

  // Auto-detect draws the new-style face.
  Paper q(23, 22, clWhite);
  EXPECT_EQ(Draw(q, ubsAutoDetect, kKitBtnUp, 1 + 4), Rect(3, 3, 20, 19));
  EXPECT_EQ(q.At(21, 5), Rgb(clBtnShadow));

  p.Fill(clWhite);
  EXPECT_EQ(Draw(p, ubsWin40, kKitBtnHeld, 4 + kKitBfFullSunken), Rect(4, 4, 21, 20));
  EXPECT_EQ(p.At(0, 5), Rgb(clBtnShadow));
  EXPECT_EQ(p.At(1, 5), Rgb(cl3DDkShadow));

  p.Fill(clWhite);
  EXPECT_EQ(Draw(p, ubsWin40, kKitBtnHeld, 0), Rect(4, 4, 21, 20));
  EXPECT_EQ(p.At(0, 5), clBlack);
  EXPECT_EQ(p.At(22, 5), clBlack);
  EXPECT_EQ(p.At(1, 5), clGray);
  EXPECT_EQ(p.At(2, 5), kFace);
  EXPECT_EQ(p.C()->Pen()->Color(), clBlack);
}

TEST(KitButtonFace, CorvaneAndIntegratedFaces) {
  Paper p(23, 22, clWhite);
  EXPECT_EQ(Draw(p, ubsCorvane, kKitBtnUp, 0), Rect(3, 3, 20, 19));
  EXPECT_EQ(p.At(0, 5), clBlack);
  EXPECT_EQ(p.At(22, 5), clBlack);
  EXPECT_EQ(p.At(1, 5), Rgb(clBtnHighlight));
  EXPECT_EQ(p.At(21, 5), Rgb(clBtnShadow));

  p.Fill(clWhite);
  EXPECT_EQ(Draw(p, ubsCorvane, kKitBtnHeld, 0), Rect(4, 4, 21, 20));
  EXPECT_EQ(p.At(1, 1), clGray);
  EXPECT_EQ(p.At(21, 1), clGray);
  EXPECT_EQ(p.At(1, 20), clGray);
  EXPECT_EQ(p.At(22, 1), clBlack);
  EXPECT_EQ(p.At(2, 2), kFace);

  p.Fill(clWhite);
  EXPECT_EQ(Draw(p, ubsIntegrated, kKitBtnUp, 0), Rect(3, 3, 20, 19));
  EXPECT_EQ(p.At(0, 5), Rgb(clBtnFace));
  EXPECT_EQ(p.At(5, 0), Rgb(clBtnFace));
  EXPECT_EQ(p.At(22, 5), clBlack);
  EXPECT_EQ(p.At(5, 21), clBlack);
  EXPECT_EQ(p.At(1, 5), clWhite);
  EXPECT_EQ(p.At(21, 5), clGray);
  EXPECT_EQ(p.At(5, 20), clGray);
  EXPECT_EQ(p.At(5, 5), kFace);

  p.Fill(clWhite);
  EXPECT_EQ(Draw(p, ubsIntegrated, kKitBtnDown, 0, true), Rect(4, 4, 21, 20));
  EXPECT_EQ(p.At(0, 5), clGray);
}

TEST(KitButtonFace, FramedFlatStylesAndExplorerBackground) {
  Paper p(23, 22, clWhite);
  p.C()->Pen()->SetColor(clRed);
  EXPECT_EQ(Draw(p, ubsNavigator, kKitBtnHot, 0), Rect(3, 3, 20, 19));
  EXPECT_EQ(p.At(0, 5), clRed);  // the canvas's own pen
  EXPECT_EQ(p.At(1, 5), Rgb(clBtnHighlight));

  // The explorer styles leave the background to their caller.
  p.Fill(clWhite);
  EXPECT_EQ(Draw(p, ubsExplorer, kKitBtnUp, 0), Rect(3, 3, 20, 19));
  EXPECT_EQ(p.At(5, 5), clWhite);
  EXPECT_EQ(Draw(p, ubsExplorerColored, kKitBtnHot, 0), Rect(3, 3, 20, 19));
  EXPECT_EQ(p.At(5, 5), clWhite);
  EXPECT_EQ(p.At(0, 5), Rgb(clBtnHighlight));
}

TEST(KitButtonFace, DownShowsThePatternUnlessFlatUnderTheMouse) {
  ASSERT_NE(KitApplication, nullptr);
  Paper p(23, 22, clWhite);
  Draw(p, ubsWin40, kKitBtnDown, 1 + 4);
  const TColor a = p.At(10, 10), b = p.At(10, 11);
  EXPECT_NE(a, b);
  EXPECT_TRUE((a == kFace && b == clWhite) || (a == clWhite && b == kFace));
  EXPECT_EQ(p.C()->Brush()->Bitmap(), nullptr);

  p.Fill(clWhite);
  Draw(p, ubsFlat, kKitBtnDown, 1 + 4, true);
  EXPECT_EQ(p.At(10, 10), kFace);
  EXPECT_EQ(p.At(10, 11), kFace);
}

TEST(KitButtonFace, FocusFramesShrinkTheBase) {
  Paper p(23, 22, clWhite);
  // Outer frame, then the face inside it, then the focus rectangle.
  EXPECT_EQ(Draw(p, ubsFlat, kKitBtnUp, kKitBfFocus), Rect(4, 4, 19, 18));
  EXPECT_EQ(p.At(0, 5), Rgb(cl3DDkShadow));
  EXPECT_EQ(p.At(22, 5), Rgb(cl3DDkShadow));
  EXPECT_NE(p.At(4, 4), kFace);  // the focus rectangle's dots
  EXPECT_EQ(p.At(5, 5), kFace);

  p.Fill(clWhite);
  EXPECT_EQ(Draw(p, ubsFlat, kKitBtnUp, kKitBfFrameOnly), Rect(4, 4, 19, 18));
  EXPECT_EQ(p.At(4, 4), kFace);

  // No outer frame in the down look; the focus rectangle is one further in.
  p.Fill(clWhite);
  EXPECT_EQ(Draw(p, ubsFlat, kKitBtnHeld, kKitBfFocus), Rect(4, 4, 21, 20));
  EXPECT_EQ(p.At(0, 5), Rgb(clBtnShadow));
  EXPECT_NE(p.At(4, 4), kFace);
  EXPECT_EQ(p.At(3, 3), kFace);

  // Win31 rounding is done by the outer frame.
  p.Fill(clWhite);
  EXPECT_EQ(Draw(p, ubsWin31, kKitBtnUp, kKitBfRounded | kKitBfFrameOnly), Rect(5, 5, 18, 17));
  EXPECT_EQ(p.At(0, 0), Rgb(clBtnFace));
  EXPECT_EQ(p.At(1, 1), Rgb(cl3DDkShadow));
}

}  // namespace
