// Bevel extents, the shadow coupling of the two styles, change notification, and the
// pixels a painted bevel leaves.
#include <gtest/gtest.h>

#include "controlkit/kit_bevel.h"
#include "platform/classlib/bitmap.h"
#include "platform/win/gdi.h"
#include "platform/win/window.h"

namespace {

using S = TKitBevelStyle;

TEST(BevelExtent, CustomStylesAddTheirWidthsAndFramesOneMore) {
  TKitBevel b;
  b.SetBorderWidth(2);
  b.SetBorderInnerWidth(1);
  EXPECT_EQ(b.BevelExtent(), 3);
  b.SetStyleOuter(S::bvFrameRaised);
  b.SetWidthOuter(2);
  EXPECT_EQ(b.BevelExtent(), 6);
  b.SetStyleInner(S::bvLowered);
  EXPECT_EQ(b.BevelExtent(), 7);
  EXPECT_EQ(b.ShadowExtent(), 7);
  EXPECT_EQ(b.ClientRect(Rect(0, 0, 50, 40)), Rect(7, 7, 43, 33));
}

TEST(BevelExtent, ShadowEdgeStandardAndWindowsModes) {
  TKitBevel b;
  b.SetWidthInner(2);
  b.SetWidthOuter(3);
  b.SetBorderInnerWidth(1);
  b.SetStyleOuter(S::bvShadow);
  EXPECT_EQ(b.StyleInner(), S::bvShadow);
  EXPECT_EQ(b.BevelExtent(), 3);
  EXPECT_EQ(b.ShadowExtent(), 6);
  EXPECT_EQ(b.ClientRect(Rect(0, 0, 50, 40)), Rect(3, 3, 44, 34));
  b.SetStyleOuter(S::bvLowered);
  EXPECT_EQ(b.StyleInner(), S::bvNone);

  b.SetMode(bmEdge);
  EXPECT_EQ(b.BevelExtent(), 3);
  b.SetBorderSides(TKitFrameSides{});
  EXPECT_EQ(b.BevelExtent(), 1);
  b.SetMode(bmStandard);
  b.SetStandardStyle(lsDoubleLowered);
  EXPECT_EQ(b.BevelExtent(), 2 + 1);
  b.SetMode(bmWindows);
  EXPECT_EQ(b.BevelExtent(), 3);
  b.SetWindowedOwner(true);
  EXPECT_EQ(b.BevelExtent(), 0);
}

TEST(BevelChange, StandardStyleOutsideStandardModeIsQuietAndAssignFiresOnce) {
  TKitBevel b;
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.SetStandardStyle(lsRaised);
  EXPECT_EQ(changes, 0);
  b.SetBorderWidth(0);  // unchanged
  EXPECT_EQ(changes, 0);
  TKitBevel other;
  other.SetMode(bmEdge);
  other.SetEdgeStyle(etSunken);
  other.SetBorderInnerWidth(2);
  b.Assign(&other);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(b.Mode(), bmEdge);
  EXPECT_EQ(b.EdgeStyle(), etSunken);
  EXPECT_EQ(b.BevelExtent(), 4);
  EXPECT_EQ(b.SettingsText(), "{Etged style}");
}

class BevelPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(10, 8);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(Rect(0, 0, 10, 8));
  }
  TColor At(int x, int y) { return bmp.Canvas()->Pixels(x, y); }
  TBitmap bmp;
};

TEST_F(BevelPaint, LoweredOuterWithBorderRing) {
  TKitBevel b;
  b.SetStyleOuter(S::bvLowered);
  b.SetShadowColor(clRed);
  b.SetLightColor(clBlue);
  b.SetBorderWidth(1);
  b.SetBorderColor(clLime);
  const TRect inner = b.Paint(bmp.Canvas(), Rect(0, 0, 10, 8), false);
  EXPECT_EQ(inner, Rect(2, 2, 8, 6));
  EXPECT_EQ(At(0, 0), clRed);   // top-left in shadow: lowered
  EXPECT_EQ(At(9, 7), clBlue);  // bottom-right lit
  EXPECT_EQ(At(1, 1), clLime);  // the border ring
  EXPECT_EQ(At(8, 6), clLime);
  EXPECT_EQ(At(2, 2), clWhite);
}

TEST_F(BevelPaint, SeeThroughRingsAreSkippedAndEdgeSidesFollowBorderSides) {
  TKitBevel b;
  b.SetBorderInnerWidth(2);
  b.SetBorderColor(clLime);
  EXPECT_EQ(b.Paint(bmp.Canvas(), Rect(0, 0, 10, 8), true), Rect(2, 2, 8, 6));
  EXPECT_EQ(At(0, 0), clWhite);

  TKitBevel e;
  e.SetMode(bmEdge);
  e.SetBorderSides(TKitFrameSides{fsTop});
  EXPECT_EQ(e.Paint(bmp.Canvas(), Rect(0, 0, 10, 8), false), Rect(2, 2, 8, 6));
  EXPECT_NE(At(4, 0), clWhite);  // top edge drawn
  EXPECT_EQ(At(0, 4), clWhite);  // left side not
  EXPECT_EQ(KitEdgeSides(TKitFrameSides{fsTop}), win::BF_TOP);
}

}  // namespace
