// The chart canvas: pens, brushes and fonts as the canvas applies them, exact pixels of
// its frames and boxes, the 3D projection and its inverse, buffered frames, clipping,
// gradients and blending.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/chart_blend.h"
#include "chart/chart_canvas.h"
#include "chart/chart_panel.h"
#include "chart/chart_tools.h"
#include "platform/classlib/bitmap.h"

namespace {

// A white bitmap and a chart canvas drawing on it, unbuffered and 2D.
struct Sheet {
  TBitmap bmp;
  TChartCanvas3D canvas;
  Sheet(int w, int h) {
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(w, h);
    canvas.SetReferenceCanvas(bmp.Canvas());
    canvas.WriteBuffered(false);
  }
  TColor At(int x, int y) { return bmp.Canvas()->Pixels(x, y) & 0xFFFFFF; }
  // One character per pixel of row y from x0 to x1 - 1: '.' white, '#' ink, '?' other.
  std::string Row(int y, TColor ink, int x0 = 0, int x1 = -1) {
    if (x1 < 0) x1 = bmp.Width();
    std::string s;
    for (int x = x0; x < x1; ++x) {
      const TColor c = At(x, y);
      s += c == clWhite ? '.' : c == ink ? '#' : '?';
    }
    return s;
  }
  std::string Column(int x, TColor ink, int y0, int y1) {
    std::string s;
    for (int y = y0; y < y1; ++y) {
      const TColor c = At(x, y);
      s += c == clWhite ? '.' : c == ink ? '#' : '?';
    }
    return s;
  }
  void Fill(TColor c) {
    bmp.Canvas()->Brush()->SetColor(c);
    bmp.Canvas()->FillRect(TRect{0, 0, bmp.Width(), bmp.Height()});
  }
};

}  // namespace

// ---- pens, brushes, fonts ---------------------------------------------------------------------

TEST(ChartCanvasTools, HiddenPenDrawsNothingSmallDotsEveryOtherPixel) {
  Sheet s(20, 10);
  TChartPen pen;
  pen.SetColor(clRed);
  pen.SetVisible(false);
  s.canvas.ApplyPen(&pen);
  s.canvas.DrawLine(0, 2, 20, 2);
  EXPECT_EQ(s.Row(2, clRed), "....................");

  pen.SetVisible(true);
  pen.SetSmallDots(true);
  s.canvas.ApplyPen(&pen);
  s.canvas.DrawLine(0, 5, 10, 5);
  EXPECT_EQ(s.Row(5, clRed, 0, 11), "#.#.#.#.#..");

  // A colour given to ApplyPen wins over the pen's own.
  pen.SetSmallDots(false);
  s.canvas.ApplyPen(&pen, clBlue);
  s.canvas.DrawLine(0, 7, 4, 7);
  EXPECT_EQ(s.Row(7, clBlue, 0, 5), "####.");
}

TEST(ChartCanvasTools, MonochromeForcesWhiteBrushBlackPenAndFont) {
  Sheet s(20, 20);
  s.canvas.WriteMonochrome(true);
  TChartPen pen;
  pen.SetColor(clRed);
  TChartBrush brush;
  s.canvas.ApplyPen(&pen);
  s.canvas.ApplyBrush(&brush, clLime);
  TChartFont font;
  font.SetColor(clRed);
  s.canvas.ApplyFont(&font);
  EXPECT_EQ(s.canvas.Pen()->Color(), clBlack);
  EXPECT_EQ(s.canvas.Brush()->Color(), clWhite);
  EXPECT_EQ(s.canvas.Font()->Color(), clBlack);
  EXPECT_EQ(s.canvas.ChartFont(), &font);
  EXPECT_EQ(font.Canvas(), &s.canvas);

  s.canvas.WriteMonochrome(false);
  s.canvas.ApplyBrush(&brush, clLime, clRed);
  EXPECT_EQ(s.canvas.Brush()->Color(), clLime);
  EXPECT_EQ(s.canvas.ReadBackMode(), cbmOpaque);
  EXPECT_EQ(s.canvas.ReadBackColor(), clRed);
}

TEST(ChartCanvasTools, BrushImageBecomesAPatternThatOutlivesThePicture) {
  Sheet s(8, 8);
  {
    TChartBrush brush;
    TBitmap checker;
    checker.SetPixelFormat(pf24bit);
    checker.SetSize(8, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) checker.Canvas()->SetPixels(x, y, (x + y) % 2 ? clBlue : clRed);
    brush.Image()->SetBitmap(&checker);
    ASSERT_NE(brush.ImageBitmap(), nullptr);
    s.canvas.ApplyBrush(&brush, clLime);
  }
  s.canvas.FillBox(TRect{0, 0, 8, 8});
  EXPECT_EQ(s.At(0, 0), clRed);
  EXPECT_EQ(s.At(1, 0), clBlue);
  EXPECT_EQ(s.At(1, 1), clRed);
  // A plain brush afterwards is plain, whatever colour the pattern brush reported.
  TChartBrush plain;
  s.canvas.ApplyBrush(&plain, s.canvas.Brush()->Color());
  s.canvas.FillBox(TRect{0, 0, 8, 8});
  EXPECT_EQ(s.At(0, 0), s.At(1, 0));
}

TEST(ChartCanvasTools, WhatFormsStore) {
  TChartHiddenPen hidden;
  EXPECT_TRUE(IsDefaultPropValue(&hidden, FindPropInfo(&hidden, "Visible")));
  TChartBrush brush;

  // A chart font stores Color, Height, Name and Style only when they differ from what
  // it was made with.
  TChartFont font(nullptr, clNavy);
  EXPECT_FALSE(IsStoredProp(&font, FindPropInfo(&font, "Color")));
  EXPECT_FALSE(IsStoredProp(&font, FindPropInfo(&font, "Height")));
  EXPECT_FALSE(IsStoredProp(&font, FindPropInfo(&font, "Name")));
  font.SetColor(clBlack);
  font.SetSize(12);
  font.SetName("Courier New");
  EXPECT_TRUE(IsStoredProp(&font, FindPropInfo(&font, "Color")));
  EXPECT_TRUE(IsStoredProp(&font, FindPropInfo(&font, "Height")));
  EXPECT_TRUE(IsStoredProp(&font, FindPropInfo(&font, "Name")));

  // Pens and brushes take colour names in form files.
  SetOrdProp(&brush, FindPropInfo(&brush, "Color"), clBtnFace);
  std::string ident;
  ASSERT_NE(FindPropInfo(&brush, "Color").IdentMap, nullptr);
  EXPECT_TRUE(FindPropInfo(&brush, "Color").IdentMap->IntToIdent(brush.Color(), ident));
  EXPECT_EQ(ident, "clBtnFace");
}

TEST(ChartCanvasTools, ChangesNotifyOnceAndAssignCopiesTheChartParts) {
  int changes = 0;
  TChartPen pen([&](TObject*) { ++changes; });
  pen.SetVisible(true);  // same value: nothing
  EXPECT_EQ(changes, 0);
  pen.SetVisible(false);
  pen.SetSmallDots(true);
  EXPECT_EQ(changes, 2);
  TChartPen copy;
  copy.Assign(&pen);
  EXPECT_FALSE(copy.Visible());
  EXPECT_TRUE(copy.SmallDots());

  int fontChanges = 0;
  TChartFont font([&](TObject*) { ++fontChanges; });
  font.Shadow()->SetHorizSize(2);  // the shadow reports through the font
  font.OutLine()->SetVisible(true);
  EXPECT_EQ(fontChanges, 2);
  TChartFont other;
  other.SetInterCharSize(3);
  other.Shadow()->SetVertSize(-4);
  font.Assign(&other);
  EXPECT_EQ(font.InterCharSize(), 3);
  EXPECT_EQ(font.Shadow()->VertSize(), -4);
  EXPECT_FALSE(font.OutLine()->Visible());
}

TEST(ChartCanvasTools, ViewOptionsZoomTellsBeforeStoringOffsetsTellTheirDirection) {
  TView3DOptions options(nullptr);
  std::vector<std::string> log;
  options.OnZoom = [&](Integer z) { log.push_back("zoom " + std::to_string(z) + " was " + std::to_string(options.Zoom())); };
  options.OnScroll = [&](bool h) { log.push_back(h ? "horizontal" : "vertical"); };
  options.SetZoom(100);  // unchanged
  options.SetZoom(50);
  options.SetHorizOffset(5);
  options.SetVertOffset(-3);
  options.SetVertOffset(-3);
  EXPECT_EQ(log, (std::vector<std::string>{"zoom 50 was 100", "horizontal", "vertical"}));
  TView3DOptions copy(nullptr);
  copy.Assign(&options);
  EXPECT_EQ(copy.Zoom(), 50);
  EXPECT_EQ(copy.VertOffset(), -3);
  EXPECT_EQ(copy.Elevation(), 345);
}

TEST(ChartCanvasText, MeasuresAddTheShadowAndResetRestoresTheDefaults) {
  Sheet s(50, 20);
  TChartFont font;
  s.canvas.ApplyFont(&font);
  const Integer w = s.canvas.MeasureTextWidth("Wg");
  const Integer h = s.canvas.MeasureTextHeight("Wg");
  EXPECT_GT(w, 0);
  EXPECT_EQ(s.canvas.LineHeight(), s.canvas.MeasureTextHeight("W"));
  font.Shadow()->SetHorizSize(-3);
  font.Shadow()->SetVertSize(2);
  EXPECT_EQ(s.canvas.MeasureTextWidth("Wg"), w + 3);
  EXPECT_EQ(s.canvas.MeasureTextHeight("Wg"), h + 2);
  // The character spacing is the font's.
  font.SetInterCharSize(4);
  s.canvas.ApplyFont(&font);
  EXPECT_EQ(s.canvas.MeasureTextWidth("Wg"), w + 3 + 8);

  // Font and canvas forget each other, whichever goes first.
  {
    TChartFont passing;
    s.canvas.ApplyFont(&passing);
    EXPECT_EQ(font.Canvas(), nullptr);
  }
  EXPECT_EQ(s.canvas.ChartFont(), nullptr);
  EXPECT_EQ(s.canvas.MeasureTextWidth("Wg"), w);  // no shadow of a freed font
  Sheet other(10, 10);
  other.canvas.ApplyFont(&font);
  s.canvas.ApplyFont(&font);
  EXPECT_EQ(other.canvas.ChartFont(), nullptr);
  EXPECT_EQ(font.Canvas(), &s.canvas);

  s.canvas.ResetDrawingState();
  EXPECT_EQ(s.canvas.ChartFont(), nullptr);
  EXPECT_EQ(font.Canvas(), nullptr);
  EXPECT_EQ(s.canvas.Font()->Size(), 10);
  EXPECT_EQ(s.canvas.Pen()->Color(), clBlack);
  EXPECT_EQ(s.canvas.Brush()->Color(), clWhite);
  EXPECT_EQ(s.canvas.ReadBackMode(), cbmTransparent);
  EXPECT_EQ(s.canvas.ReadBackColor(), clWhite);
  EXPECT_EQ(s.canvas.ReadTextAlign(), 0u);
}

TEST(ChartCanvasText, OutlinedTextLeavesTheBackgroundModeAsItFoundIt) {
  // A red outlined word, then a plain black one: the second keeps the transparent
  // background it was given, so only black ink lands in its cell.
  Sheet s(80, 20);
  s.Fill(clWhite);
  s.canvas.WriteBackMode(cbmTransparent);
  TChartFont outlined, plain;
  outlined.SetColor(clRed);
  outlined.OutLine()->SetVisible(true);
  s.canvas.ApplyFont(&outlined);
  s.canvas.DrawText(2, 2, "Ab");
  s.canvas.ApplyFont(&plain);
  s.canvas.DrawText(40, 2, "Ab");
  std::string cell;
  const int w = s.canvas.MeasureTextWidth("Ab"), h = s.canvas.MeasureTextHeight("Ab");
  for (int y = 2; y < 2 + h; ++y) cell += s.Row(y, clBlack, 40, 40 + w);
  EXPECT_NE(cell.find('#'), std::string::npos);
  EXPECT_EQ(cell.find('?'), std::string::npos) << cell;
}

// ---- exact pixels ----------------------------------------------------------------------------

TEST(ChartCanvasPixels, BoxRectFramesBothCornersIncluded) {
  // The 2D back wall: a clear brush and the pen through (10, 10) and (20, 16).
  Sheet s(30, 20);
  TChartPen pen;
  pen.SetColor(clBlack);
  TChartBrush brush;
  brush.SetStyle(bsClear);
  s.canvas.ApplyPen(&pen);
  s.canvas.ApplyBrush(&brush, clRed);
  s.canvas.DrawBoxRect(TRect{10, 10, 20, 16});
  EXPECT_EQ(s.Row(10, clBlack, 8, 23), "..###########..");
  EXPECT_EQ(s.Row(13, clBlack, 8, 23), "..#.........#..");
  EXPECT_EQ(s.Row(16, clBlack, 8, 23), "..###########..");
  EXPECT_EQ(s.Row(17, clBlack, 8, 23), "...............");
  EXPECT_EQ(s.Column(20, clBlack, 8, 19), "..#######..");
}

TEST(ChartCanvasPixels, BevelFrameRingsShrinkTheRectangle) {
  Sheet s(12, 12);
  TRect r{1, 1, 9, 9};
  s.canvas.DrawBevelFrame(r, clRed, clBlue, 2);
  EXPECT_EQ(r.left, 3);
  EXPECT_EQ(r.top, 3);
  EXPECT_EQ(r.right, 7);
  EXPECT_EQ(r.bottom, 7);
  // Outer ring: top row red to the corner, the bottom-right corner blue.
  EXPECT_EQ(s.Row(1, clRed, 0, 10), ".#######?.");
  EXPECT_EQ(s.At(8, 1), clBlue);
  EXPECT_EQ(s.At(1, 8), clBlue);
  EXPECT_EQ(s.Row(8, clBlue, 0, 10), ".########.");
  EXPECT_EQ(s.Row(2, clRed, 0, 10), ".######??.");
}

TEST(ChartCanvasPixels, ClipToBoxAndBack) {
  Sheet s(20, 10);
  s.canvas.ClipToBox(TRect{5, 0, 10, 10});
  s.canvas.Brush()->SetColor(clRed);
  s.canvas.FillBox(TRect{0, 0, 20, 10});
  EXPECT_EQ(s.Row(3, clRed), ".....#####..........");
  s.canvas.RemoveClip();
  s.canvas.Brush()->SetColor(clBlue);
  s.canvas.FillBox(TRect{0, 5, 20, 10});
  EXPECT_EQ(s.Row(7, clBlue), "####################");
}

TEST(ChartCanvasPixels, DonutSliceCoversOnlyItsRing) {
  Sheet s(100, 100);
  s.canvas.Pen()->SetStyle(psClear);
  s.canvas.Brush()->SetColor(clRed);
  // A quarter ring to the upper right of (50, 50), radii 20 and 40.
  s.canvas.DrawDonutSlice(50, 50, 40, 40, 0, M_PI / 2, 50, 100);
  EXPECT_EQ(s.At(80, 45), clRed);   // radius 30, just above the x axis
  EXPECT_EQ(s.At(55, 20), clRed);   // radius 30, near the y axis
  EXPECT_EQ(s.At(58, 45), clWhite);  // inside the hole
  EXPECT_EQ(s.At(20, 45), clWhite);  // other side
  EXPECT_EQ(s.At(80, 55), clWhite);  // below the start angle
}

TEST(ChartCanvasPixels, GradientBandsRunFromStartToEnd) {
  Sheet s(10, 40);
  s.canvas.FillGradient(TRect{0, 0, 10, 40}, clRed, clBlue, gdTopBottom);
  EXPECT_EQ(s.At(5, 0), clRed);
  EXPECT_EQ(s.At(5, 39), clBlue);
  const TColor mid = s.At(5, 20);
  EXPECT_NE(mid, clRed);
  EXPECT_NE(mid, clBlue);
  s.canvas.FillGradient(TRect{0, 0, 10, 40}, clRed, clBlue, gdBottomTop);
  EXPECT_EQ(s.At(5, 0), clBlue);
  EXPECT_EQ(s.At(5, 39), clRed);

  // With a middle colour the gradient runs in two halves through it.
  TChartGradient g;
  g.SetStartColor(clRed);
  g.SetMidColor(clLime);
  g.SetEndColor(clBlue);
  g.Draw(&s.canvas, TRect{0, 0, 10, 40});
  EXPECT_EQ(s.At(5, 0), clRed);
  EXPECT_EQ(s.At(5, 19), clLime);
  EXPECT_EQ(s.At(5, 20), clLime);
  EXPECT_EQ(s.At(5, 39), clBlue);
}

// ---- blending ---------------------------------------------------------------------------------

TEST(ChartBlend, TransparencyMixesBeforeAndAfterRoundingHalvesToEven) {
  Sheet s(10, 4);
  auto cycle = [&](TColor before, TColor after, Integer t) {
    s.Fill(before);
    TChartBlend blend(&s.canvas, TRect{2, 1, 6, 3});
    s.canvas.Brush()->SetColor(after);
    s.canvas.FillBox(TRect{0, 0, 10, 4});
    blend.DoBlend(t);
  };
  cycle(clWhite, clRed, 0);  // 0: the shape as drawn
  EXPECT_EQ(s.At(3, 2), clRed);
  EXPECT_EQ(s.At(8, 2), clRed);
  cycle(clWhite, clRed, 100);  // 100: the background back
  EXPECT_EQ(s.At(3, 2), clWhite);
  EXPECT_EQ(s.At(6, 2), clRed);  // outside the rectangle nothing is mixed
  // 50 %: (0 + 255) / 2 = 127.5 -> 128; (1 + 2) / 2 = 1.5 -> 2; (3 + 4) / 2 = 3.5 -> 4.
  cycle(0x030100, 0x0402FF, 50);
  EXPECT_EQ(s.At(3, 2), 0x040280);
  // 25 % of the old: 0.25 x 200 + 0.75 x 100 = 125.
  cycle(0x0000C8, 0x000064, 25);
  EXPECT_EQ(s.At(3, 2), 0x00007D);
}

// ---- projection --------------------------------------------------------------------------------

namespace {

struct Projector {
  TView3DOptions options{nullptr};
  TBitmap target;
  TChartCanvas3D canvas;
  Projector() {
    target.SetPixelFormat(pf24bit);
    target.SetSize(200, 100);
    canvas.WriteBuffered(false);
  }
  void Begin(bool is3D, const TRect& r = TRect{0, 0, 200, 100}, Integer maxDepth = 0) {
    canvas.BeginFrame(target.Canvas(), &options, clWhite, is3D, r);
    canvas.SetProjectionCentre(maxDepth, r);
  }
};

}  // namespace

TEST(ChartProjection, FlatFramesPassDepthsStraightThrough) {
  Projector f;
  f.Begin(false);
  EXPECT_EQ(f.canvas.SpaceToScreen(17, 23, 40).x, 17);
  EXPECT_EQ(f.canvas.SpaceToScreen(17, 23, 40).y, 23);
  Integer x = 5, y = 6;
  f.canvas.ScreenToSpace(x, y, 30);
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 6);
  const TRect r = f.canvas.ProjectRect(TRect{1, 2, 3, 4}, 9);
  EXPECT_EQ(r.left, 1);
  EXPECT_EQ(r.bottom, 4);
}

TEST(ChartProjection, OrthogonalShiftsDepthRightAndUpAndZoomScalesAboutTheCentre) {
  Projector f;
  f.Begin(true);  // centre (100, 50), 45 degrees
  EXPECT_TRUE(f.canvas.IsOrthogonal());
  TPoint p = f.canvas.SpaceToScreen(110, 60, 10);
  EXPECT_EQ(p.x, 120);
  EXPECT_EQ(p.y, 50);
  // Zoom 50 halves every distance from the centre.
  f.options.SetZoom(50);
  f.Begin(true);
  p = f.canvas.SpaceToScreen(140, 70, 0);
  EXPECT_EQ(p.x, 120);
  EXPECT_EQ(p.y, 60);
  // Offsets move the picture, not the centre.
  f.options.SetZoom(100);
  f.options.SetHorizOffset(7);
  f.options.SetVertOffset(-4);
  f.Begin(true);
  p = f.canvas.SpaceToScreen(100, 50, 0);
  EXPECT_EQ(p.x, 107);
  EXPECT_EQ(p.y, 46);
  Integer x = p.x, y = p.y;
  f.canvas.ScreenToSpace(x, y, 0);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 50);
  // An ortho angle whose cosine is near zero takes slope 1 instead of a huge tangent.
  f.options.SetOrthoAngle(90);
  f.options.SetHorizOffset(0);
  f.options.SetVertOffset(0);
  f.Begin(true);
  p = f.canvas.SpaceToScreen(100, 50, 10);
  EXPECT_EQ(p.y, 40);
}

TEST(ChartProjection, RotatedProjectionInvertsWithinAPixel) {
  Projector f;
  f.options.SetOrthogonal(false);
  f.options.SetRotation(330);
  f.options.SetElevation(340);
  f.options.SetPerspective(30);
  f.Begin(true, TRect{0, 0, 200, 100}, 40);
  EXPECT_GT(f.canvas.PerspectiveFactor(), 0.0);
  for (const auto& [X, Y, Z] : {std::tuple{100, 50, 20}, std::tuple{30, 80, 0}, std::tuple{170, 10, 40}}) {
    const TPoint p = f.canvas.SpaceToScreen(X, Y, Z);
    Integer x = p.x, y = p.y;
    f.canvas.ScreenToSpace(x, y, Z);
    EXPECT_NEAR(x, X, 1) << X << "," << Y << "," << Z;
    EXPECT_NEAR(y, Y, 1) << X << "," << Y << "," << Z;
  }
}

TEST(ChartProjection, DegenerateFramesEndSensibly) {
  Projector f;
  f.options.SetOrthogonal(false);
  f.options.SetPerspective(100);
  // An empty rectangle: the perspective would divide by its zero width.
  f.Begin(true, TRect{50, 50, 50, 50}, 10);
  EXPECT_EQ(f.canvas.PerspectiveFactor(), 0.0);
  // Far points saturate instead of wrapping.
  f.options.SetOrthogonal(true);
  f.Begin(true, TRect{-1, -1, 1, 1}, 10);
  TPoint p = f.canvas.SpaceToScreen(2000000000, -2000000000, 2000000000);
  EXPECT_EQ(p.x, 2147483647);
  EXPECT_EQ(p.y, -2147483647);
  // Zoom 0 folds everything to the centre: the inverse leaves the point alone.
  f.options.SetZoom(0);
  f.Begin(true);
  p = f.canvas.SpaceToScreen(10, 10, 10);
  EXPECT_EQ(p.x, 100);
  EXPECT_EQ(p.y, 50);
  Integer x = 33, y = 44;
  f.canvas.ScreenToSpace(x, y, 0);
  EXPECT_EQ(x, 33);
  EXPECT_EQ(y, 44);
}

TEST(ChartProjection, SolidsAreFlatIn2DAndShowTheirTopAndSideIn3D) {
  Projector f;
  f.canvas.SetReferenceCanvas(f.target.Canvas());
  f.target.Canvas()->Brush()->SetColor(clWhite);
  f.target.Canvas()->FillRect(TRect{0, 0, 200, 100});
  f.Begin(false);
  f.canvas.Pen()->SetStyle(psClear);
  f.canvas.Brush()->SetColor(clRed);
  f.canvas.Cube(10, 30, 10, 30, 0, 10, true);
  EXPECT_EQ(f.target.Canvas()->Pixels(20, 20) & 0xFFFFFF, clRed);
  EXPECT_EQ(f.target.Canvas()->Pixels(35, 5) & 0xFFFFFF, clWhite);  // no depth in 2D

  f.Begin(true);
  f.canvas.Pen()->SetStyle(psClear);
  f.canvas.Brush()->SetColor(clRed);
  f.canvas.Cube(110, 130, 40, 60, 0, 10, true);
  // Front face in the brush colour; the top face (above and to the right) and the right
  // side darker.
  EXPECT_EQ(f.target.Canvas()->Pixels(120, 50) & 0xFFFFFF, clRed);
  const TColor top = f.target.Canvas()->Pixels(125, 36) & 0xFFFFFF;
  const TColor side = f.target.Canvas()->Pixels(134, 50) & 0xFFFFFF;
  EXPECT_NE(top, clWhite);
  EXPECT_NE(top, clRed);
  EXPECT_NE(side, clWhite);
  EXPECT_NE(side, clRed);
  // Nothing below or to the left of the front face.
  EXPECT_EQ(f.target.Canvas()->Pixels(120, 64) & 0xFFFFFF, clWhite);
  EXPECT_EQ(f.target.Canvas()->Pixels(106, 50) & 0xFFFFFF, clWhite);
}

// ---- buffered frames ----------------------------------------------------------------------------

TEST(ChartBuffer, FramesDrawOffScreenAndPresentInOneTransfer) {
  TBitmap window;
  window.SetPixelFormat(pf24bit);
  window.SetSize(60, 40);
  TChartCanvas3D canvas;
  canvas.SetReferenceCanvas(window.Canvas());
  EXPECT_FALSE(canvas.RepaintFromBuffer());  // nothing drawn yet

  const TRect r = canvas.BeginFrame(window.Canvas(), nullptr, clWhite, false, TRect{10, 5, 50, 35});
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 40);
  EXPECT_EQ(r.bottom, 30);
  ASSERT_NE(canvas.BufferBitmap(), nullptr);
  canvas.Brush()->SetColor(clRed);
  canvas.FillBox(TRect{0, 0, 40, 30});
  EXPECT_EQ(window.Canvas()->Pixels(20, 20) & 0xFFFFFF, clWhite);  // still off-screen
  canvas.PresentFrame(window.Canvas(), window.Canvas(), TRect{10, 5, 50, 35});
  EXPECT_EQ(window.Canvas()->Pixels(10, 5) & 0xFFFFFF, clRed);
  EXPECT_EQ(window.Canvas()->Pixels(49, 34) & 0xFFFFFF, clRed);
  EXPECT_EQ(window.Canvas()->Pixels(9, 5) & 0xFFFFFF, clWhite);
  EXPECT_TRUE(canvas.BufferValid());
  EXPECT_EQ(canvas.ReferenceCanvas(), window.Canvas());

  // A valid buffer repaints without drawing; a stale one does not.
  window.Canvas()->Brush()->SetColor(clWhite);
  window.Canvas()->FillRect(TRect{0, 0, 60, 40});
  EXPECT_TRUE(canvas.RepaintFromBuffer());
  EXPECT_EQ(window.Canvas()->Pixels(0, 0) & 0xFFFFFF, clRed);
  canvas.MarkBufferStale();
  EXPECT_FALSE(canvas.RepaintFromBuffer());

  // Without buffering the frame is the destination itself.
  canvas.WriteBuffered(false);
  EXPECT_EQ(canvas.BufferBitmap(), nullptr);
  const TRect direct = canvas.BeginFrame(window.Canvas(), nullptr, clWhite, false, TRect{10, 5, 50, 35});
  EXPECT_EQ(direct.left, 10);
  EXPECT_EQ(canvas.ReferenceCanvas(), window.Canvas());
}
