#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/graphics_tools.h"
#include "platform/classlib/sysutils.h"
#include "platform/win/gdi.h"
#include "platform/win/text/text.h"

namespace {

// A white 32-bit bitmap to draw on.
struct Sheet {
  TBitmap bmp;
  Sheet(int w, int h) {
    bmp.SetPixelFormat(pf32bit);
    bmp.SetSize(w, h);
  }
  TCanvas& C() { return *bmp.Canvas(); }
  win::COLORREF At(int x, int y) { return static_cast<win::COLORREF>(C().Pixels(x, y)) & 0xFFFFFF; }
  // One character per pixel of row y: '.' white, '#' the given colour, '?' anything else.
  std::string Row(int y, win::COLORREF ink) {
    std::string s;
    for (int x = 0; x < bmp.Width(); ++x) {
      const win::COLORREF c = At(x, y);
      s += c == 0xFFFFFF ? '.' : c == ink ? '#' : '?';
    }
    return s;
  }
};

}  // namespace

// ---- colours -----------------------------------------------------------------------------------

TEST(Colors, SystemColoursResolveThroughTheScheme) {
  EXPECT_EQ(clBtnFace, static_cast<TColor>(0x8000000F));
  EXPECT_EQ(ColorToRGB(clBtnFace), static_cast<Integer>(win::GetSysColor(win::COLOR_BTNFACE)));
  EXPECT_EQ(ColorToRGB(clBtnShadow), static_cast<Integer>(win::GetSysColor(win::COLOR_BTNSHADOW)));
  EXPECT_EQ(ColorToRGB(0x123456), 0x123456);
  EXPECT_EQ(ColorToRGB(clNone), clNone);  // markers pass as they are
}

TEST(Colors, NamesAndNumbersOfFormFiles) {
  EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
  EXPECT_EQ(ColorToString(clSilver), "clSilver");
  EXPECT_EQ(ColorToString(0x00CCDDEE), "$00CCDDEE");
  EXPECT_EQ(ColorToString(static_cast<TColor>(0x80000019)), "$80000019");
  EXPECT_EQ(StringToColor("CLBTNFACE"), clBtnFace);
  EXPECT_EQ(StringToColor("clLtGray"), clSilver);
  EXPECT_EQ(StringToColor("$00FF0000"), clBlue);
  EXPECT_EQ(StringToColor("13428479"), 13428479);
  EXPECT_THROW(StringToColor("clNoSuchColour"), EConvertError);
  for (TColor c : {clBlack, clWindowText, clNone, clDefault, clMoneyGreen, clMenuBar})
    EXPECT_EQ(StringToColor(ColorToString(c)), c);
  Integer cs = 0;
  EXPECT_TRUE(IdentToCharset("default_charset", cs));
  EXPECT_EQ(cs, 1);
  std::string name;
  EXPECT_TRUE(CharsetToIdent(0, name));
  EXPECT_EQ(name, "ANSI_CHARSET");
}

// ---- tools -------------------------------------------------------------------------------------

TEST(GraphicsTools, FontHandleIsMadeAgainAfterAChangeOfWhatItCarries) {
  TFont font;
  EXPECT_EQ(font.Height(), -11);  // 8 points at 96 pixels per inch
  EXPECT_EQ(font.Size(), 8);
  EXPECT_EQ(font.Name(), "MS Sans Serif");
  int changes = 0;
  font.OnChange = [&](TObject*) { ++changes; };

  win::HFONT first = font.Handle();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(font.Handle(), first);  // made once
  font.SetColor(clRed);             // the colour is the canvas's: the handle stays
  EXPECT_EQ(font.Handle(), first);
  EXPECT_EQ(changes, 1);

  font.SetSize(12);
  EXPECT_EQ(changes, 2);
  EXPECT_FALSE(win::IsLiveObject(win::FontAsObject(first)));  // the old one was deleted
  win::LOGFONT lf;
  ASSERT_TRUE(win::GetFontLogFont(font.Handle(), &lf));
  EXPECT_EQ(lf.lfHeight, -16);
  EXPECT_EQ(lf.lfWeight, win::FW_NORMAL);

  font.SetStyle(TFontStyles{fsBold, fsItalic});
  font.SetOrientation(900);
  ASSERT_TRUE(win::GetFontLogFont(font.Handle(), &lf));
  EXPECT_EQ(lf.lfWeight, win::FW_BOLD);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(lf.lfEscapement, 900);
  EXPECT_EQ(std::string(lf.lfFaceName), "MS Sans Serif");

  font.SetSize(12);  // same value: nothing
  EXPECT_EQ(changes, 4);
}

TEST(GraphicsTools, AssignAndHandlesMadeElsewhere) {
  TFont a, b;
  a.SetName("Arial");
  a.SetSize(10);
  a.SetColor(clNavy);
  b.SetPixelsPerInch(120);
  b.Assign(&a);
  EXPECT_EQ(b.Name(), "Arial");
  EXPECT_EQ(b.Size(), 10);  // the point size carries over between resolutions
  EXPECT_EQ(b.Height(), -17);
  EXPECT_EQ(b.Color(), clNavy);

  win::LOGFONT lf;
  lf.lfHeight = -20;
  lf.lfWeight = win::FW_BOLD;
  std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "Tahoma");
  TFont c;
  win::HFONT made = win::CreateFontIndirect(&lf);
  c.SetHandle(made);
  EXPECT_EQ(c.Handle(), made);
  EXPECT_EQ(c.Height(), -20);
  EXPECT_EQ(c.Name(), "Tahoma");
  EXPECT_TRUE(c.Style().Contains(fsBold));

  TPen pen;
  win::LOGBRUSH lb;
  lb.lbColor = 0x0000FF;
  pen.SetHandle(win::ExtCreatePen(win::PS_GEOMETRIC | win::PS_DASH | win::PS_ENDCAP_SQUARE, 3, &lb, 0, nullptr));
  EXPECT_EQ(pen.Width(), 3);
  EXPECT_EQ(pen.Style(), psDash);
  EXPECT_EQ(pen.Color(), 0x0000FF);
  EXPECT_EQ(win::GetObjectType(pen.Handle()), win::OBJ_EXTPEN);
}

TEST(GraphicsTools, ToolsLeaveNoObjectsBehind) {
  const int before = win::LiveObjectCount();
  {
    Sheet s(8, 8);
    s.C().Pen()->SetColor(clRed);
    s.C().LineTo(5, 5);
    s.C().Font()->SetSize(14);  // changed while selected into the DC
    s.C().TextOut(0, 0, "x");
    s.C().Font()->SetName("Arial");
    s.C().Brush()->SetStyle(bsCross);
    s.C().FillRect(Rect(0, 0, 4, 4));
    s.C().Brush()->SetColor(clBlue);
    s.C().Pen()->SetWidth(3);
    s.C().Rectangle(1, 1, 6, 6);
    s.bmp.SetSize(9, 9);  // new bitmap handle under the canvas
    s.C().Ellipse(0, 0, 9, 9);
  }
  EXPECT_EQ(win::LiveObjectCount(), before);
}

// ---- canvas ------------------------------------------------------------------------------------

TEST(Canvas, DrawsPrimitivesWithToolsSelectedOnDemand) {
  Sheet s(8, 6);
  TCanvas& c = s.C();
  c.Pen()->SetColor(clRed);
  c.MoveTo(1, 1);
  c.LineTo(6, 1);  // the end pixel is not drawn
  EXPECT_EQ(s.Row(1, 0x0000FF), ".#####..");
  EXPECT_EQ(c.PenPos(), (TPoint{6, 1}));

  c.Pen()->SetColor(clBlue);  // a change between two operations is picked up
  c.LineTo(6, 4);
  EXPECT_EQ(s.At(6, 1), 0xFF0000u);
  EXPECT_EQ(s.At(6, 3), 0xFF0000u);
  EXPECT_EQ(s.At(6, 4), 0xFFFFFFu);

  Sheet r(7, 5);
  r.C().Pen()->SetColor(clBlack);
  r.C().Brush()->SetColor(clLime);
  r.C().Rectangle(1, 1, 6, 5);
  EXPECT_EQ(r.Row(0, 0x000000), ".......");
  EXPECT_EQ(r.Row(1, 0x000000), ".#####.");
  EXPECT_EQ(r.Row(2, 0x00FF00), ".?###?.");  // lime inside a black frame
  EXPECT_EQ(r.Row(4, 0x000000), ".#####.");

  r.C().Brush()->SetColor(clRed);
  r.C().FillRect(Rect(0, 0, 2, 2));
  EXPECT_EQ(r.At(1, 1), 0x0000FFu);
  EXPECT_EQ(r.At(2, 2), 0x00FF00u);
  r.C().SetPixels(6, 0, clBtnShadow);
  EXPECT_EQ(r.At(6, 0), win::GetSysColor(win::COLOR_BTNSHADOW));

  r.C().Pen()->SetStyle(psClear);  // a null pen: the fill stops one pixel short
  r.C().Brush()->SetColor(clBlue);
  r.C().Rectangle(0, 0, 3, 3);
  EXPECT_EQ(r.At(1, 1), 0xFF0000u);
  EXPECT_EQ(r.At(2, 2), 0x00FF00u);  // the pixel before the right and bottom edges stays
}

TEST(Canvas, XorPenDrawnTwiceRestores) {
  Sheet s(6, 6);
  s.C().Brush()->SetColor(clYellow);
  s.C().FillRect(Rect(0, 0, 3, 6));
  std::vector<std::string> before;
  for (int y = 0; y < 6; ++y) before.push_back(s.Row(y, 0x00FFFF));
  s.C().Pen()->SetMode(pmXor);
  s.C().Pen()->SetColor(clRed);
  s.C().Pen()->SetWidth(2);
  s.C().Polyline({Point(0, 0), Point(5, 3), Point(1, 5)});
  EXPECT_NE(s.Row(0, 0x00FFFF), before[0]);
  s.C().Polyline({Point(0, 0), Point(5, 3), Point(1, 5)});
  for (int y = 0; y < 6; ++y) EXPECT_EQ(s.Row(y, 0x00FFFF), before[y]);
}

TEST(Canvas, CopyRectUsesTheCopyMode) {
  Sheet src(4, 4), dst(4, 4);
  src.C().Brush()->SetColor(0x0000F0);
  src.C().FillRect(Rect(0, 0, 2, 4));
  dst.C().Brush()->SetColor(0x00F000);
  dst.C().FillRect(Rect(0, 0, 4, 2));
  dst.C().CopyRect(Rect(0, 0, 4, 4), &src.C(), Rect(0, 0, 4, 4));
  EXPECT_EQ(dst.At(0, 0), 0x0000F0u);
  EXPECT_EQ(dst.At(3, 0), 0xFFFFFFu);

  dst.C().FillRect(Rect(0, 0, 4, 2));
  dst.C().SetCopyMode(cmSrcAnd);
  dst.C().CopyRect(Rect(0, 0, 4, 4), &src.C(), Rect(0, 0, 4, 4));
  EXPECT_EQ(dst.At(0, 0), 0x000000u);  // 0000F0 and 00F000
  EXPECT_EQ(dst.At(3, 0), 0x00F000u);  // white and 00F000
  EXPECT_EQ(dst.At(0, 3), 0x0000F0u);

  // Stretched: a 2 x 2 source doubled.
  dst.C().SetCopyMode(cmSrcCopy);
  dst.C().CopyRect(Rect(0, 0, 4, 4), &src.C(), Rect(1, 0, 3, 2));
  EXPECT_EQ(dst.Row(0, 0x0000F0), "##..");
}

TEST(Canvas, DrawAndBrushCopyPlaceBitmaps) {
  TBitmap glyph;
  glyph.SetPixelFormat(pf24bit);
  glyph.SetSize(3, 2);
  glyph.Canvas()->Brush()->SetColor(clOlive);
  glyph.Canvas()->FillRect(Rect(0, 0, 3, 2));
  glyph.Canvas()->SetPixels(1, 0, clRed);

  Sheet s(6, 4);
  s.C().Draw(2, 1, &glyph);
  EXPECT_EQ(s.Row(0, 0x008080), "......");
  EXPECT_EQ(s.Row(1, 0x008080), "..#?#.");
  EXPECT_EQ(s.Row(2, 0x008080), "..###.");

  // BrushCopy: the olive background becomes the canvas's brush.
  Sheet t(3, 2);
  t.C().Brush()->SetColor(clBlue);
  t.C().BrushCopy(Rect(0, 0, 3, 2), &glyph, Rect(0, 0, 3, 2), clOlive);
  EXPECT_EQ(t.Row(0, 0xFF0000), "#?#");
  EXPECT_EQ(t.At(1, 0), 0x0000FFu);
  EXPECT_EQ(t.Row(1, 0xFF0000), "###");

  // StretchDraw doubles; a monochrome bitmap draws black on white.
  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(2, 1);
  mono.Canvas()->SetPixels(0, 0, clBlack);
  Sheet u(4, 2);
  u.C().Brush()->SetColor(clYellow);
  u.C().StretchDraw(Rect(0, 0, 4, 2), &mono);
  EXPECT_EQ(u.Row(0, 0x000000), "##..");
  EXPECT_EQ(u.Row(1, 0x000000), "##..");
}

TEST(Canvas, PatternBrushFromABitmap) {
  TBitmap pattern;
  pattern.SetPixelFormat(pf24bit);
  pattern.SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if ((x + y) & 1) pattern.Canvas()->SetPixels(x, y, clRed);
  Sheet s(4, 2);
  s.C().Brush()->SetBitmap(&pattern);
  s.C().FillRect(Rect(0, 0, 4, 2));
  EXPECT_EQ(s.Row(0, 0x0000FF), ".#.#");
  EXPECT_EQ(s.Row(1, 0x0000FF), "#.#.");
  s.C().Brush()->SetBitmap(nullptr);
}

TEST(Canvas, TextMovesThePenAndClipsToTheRectangle) {
  Sheet s(60, 20);
  TCanvas& c = s.C();
  const TSize size = c.TextExtent("Hello");
  EXPECT_GT(size.cx, 0);
  EXPECT_GT(size.cy, 0);
  EXPECT_EQ(c.TextWidth("Hello"), size.cx);
  EXPECT_EQ(c.TextHeight("Hello"), size.cy);
  c.TextOut(3, 2, "Hello");
  EXPECT_EQ(c.PenPos(), (TPoint{3 + size.cx, 2}));

  // TextRect paints the brush in the rectangle only, the text clipped to it.
  Sheet t(40, 20);
  t.C().Brush()->SetColor(clYellow);
  t.C().TextRect(Rect(2, 2, 10, 8), 0, 0, "WWWW");
  EXPECT_EQ(t.At(1, 1), 0xFFFFFFu);
  EXPECT_EQ(t.At(20, 5), 0xFFFFFFu);
  EXPECT_EQ(t.At(9, 7) == 0x00FFFFu || t.At(9, 7) == 0x000000u, true);
  t.C().Brush()->SetStyle(bsClear);
  t.C().TextRect(Rect(20, 2, 30, 8), 20, 2, "");
  EXPECT_EQ(t.At(25, 5), 0xFFFFFFu);  // a clear brush paints no background
}

TEST(Canvas, EventsAndStateAroundDrawing) {
  Sheet s(4, 4);
  std::vector<std::string> log;
  s.C().OnChanging = [&](TObject*) { log.push_back("changing"); };
  s.C().OnChange = [&](TObject*) { log.push_back("change"); };
  int bitmapChanges = 0;
  s.bmp.OnChange = [&](TObject*) { ++bitmapChanges; };
  s.C().FillRect(Rect(0, 0, 2, 2));
  EXPECT_EQ(log, (std::vector<std::string>{"changing", "change"}));
  s.C().MoveTo(1, 1);  // moving draws nothing
  EXPECT_EQ(log.size(), 2u);
  // The bitmap's own canvas reports through the bitmap.
  s.C().OnChange = nullptr;
  TCanvas* own = s.bmp.Canvas();
  EXPECT_EQ(own, &s.C());
  EXPECT_EQ(s.C().ClipRect(), Rect(0, 0, 4, 4));

  TBitmap b;
  b.SetSize(2, 2);
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.Canvas()->SetPixels(0, 0, clRed);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(b.Modified());

  s.C().Lock();
  EXPECT_EQ(s.C().LockCount(), 1);
  EXPECT_TRUE(s.C().TryLock());  // the same thread may nest
  s.C().Unlock();
  s.C().Unlock();
  EXPECT_EQ(s.C().LockCount(), 0);
}

TEST(Canvas, WithoutADeviceContextDrawingIsRefused) {
  TCanvas plain;
  EXPECT_FALSE(plain.HandleAllocated());
  try {
    plain.FillRect(Rect(0, 0, 1, 1));
    ADD_FAILURE() << "drew without a device context";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Canvas does not allow drawing");
  }
  // A device context made elsewhere is used and not deleted.
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::HBITMAP bm = win::CreateBitmap(4, 4, 1, 32, nullptr);
  win::HGDIOBJ old = win::SelectObject(dc, bm);
  plain.SetHandle(dc);
  plain.Brush()->SetColor(clRed);
  plain.FillRect(Rect(0, 0, 2, 2));
  EXPECT_EQ(win::GetPixel(dc, 1, 1), 0x0000FFu);
  plain.SetHandle(nullptr);
  EXPECT_TRUE(win::IsLiveObject(dc));
  win::SelectObject(dc, old);
  win::DeleteObject(bm);
  win::DeleteDC(dc);
}

TEST(Canvas, ControlCanvasGetsAndGivesBackItsDeviceContext) {
  struct Surface {
    win::HDC dc = nullptr;
    win::HBITMAP bm = nullptr;
    win::HGDIOBJ old = nullptr;
  } surface;
  surface.dc = win::CreateCompatibleDC(nullptr);
  surface.bm = win::CreateBitmap(4, 4, 1, 32, nullptr);
  surface.old = win::SelectObject(surface.dc, surface.bm);
  // The canvas only hands the control to the hooks: any address stands in for one.
  int token = 0;
  TControl* const control = reinterpret_cast<TControl*>(&token);
  int gets = 0, releases = 0;
  TControlCanvas::SetHooks({[&](TControl* c) -> win::HDC {
                              EXPECT_EQ(c, control);
                              ++gets;
                              return surface.dc;
                            },
                            [&](TControl* c, win::HDC dc) {
                              EXPECT_EQ(c, control);
                              EXPECT_EQ(dc, surface.dc);
                              ++releases;
                            }});
  {
    TControlCanvas canvas;
    EXPECT_THROW(canvas.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);  // no control yet
    canvas.SetControl(control);
    canvas.Brush()->SetColor(clLime);
    canvas.FillRect(Rect(0, 0, 4, 4));
    canvas.FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(gets, 1);
    EXPECT_EQ(win::GetPixel(surface.dc, 3, 3), 0x00FF00u);
    FreeDeviceContexts();
    EXPECT_EQ(releases, 1);
    EXPECT_FALSE(canvas.HandleAllocated());
    canvas.Pixels(0, 0);  // drawing again gets a new one
    EXPECT_EQ(gets, 2);
  }
  EXPECT_EQ(releases, 2);  // the destructor gives it back
  TControlCanvas::SetHooks({});
  win::SelectObject(surface.dc, surface.old);
  win::DeleteObject(surface.bm);
  win::DeleteDC(surface.dc);
}
