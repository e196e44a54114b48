// Clipping, origins, saved states and the object selection rules.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "dib_canvas.h"
#include "platform/win/gdi.h"
#include "platform/win/region_api.h"

using namespace win;

namespace {

struct Canvas : DibCanvas {
  using DibCanvas::DibCanvas;
  // 'o' where not white, read straight from memory.
  std::string Marked() const {
    std::string s;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) s += (bits[y * w + x] & 0xFFFFFF) == 0xFFFFFF ? '.' : 'o';
      s += '\n';
    }
    return s;
  }
  void Fill() {
    RECT r{-1000, -1000, 1000, 1000};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
};

std::string Pic(const char* s) { return std::string(s + 1); }

}  // namespace

TEST(Clip, IntersectAndExcludeRectsShapeTheDrawableArea) {
  Canvas c(8, 6);
  EXPECT_EQ(IntersectClipRect(c.dc, 1, 1, 7, 5), SIMPLEREGION);
  EXPECT_EQ(ExcludeClipRect(c.dc, 3, 2, 5, 4), COMPLEXREGION);
  c.Fill();
  EXPECT_EQ(c.Marked(), Pic(R"(
........
.oooooo.
.oo..oo.
.oo..oo.
.oooooo.
........
)"));
  RECT box;
  EXPECT_EQ(GetClipBox(c.dc, &box), COMPLEXREGION);
  EXPECT_EQ(box, (RECT{1, 1, 7, 5}));
  EXPECT_TRUE(PtVisible(c.dc, 1, 1));
  EXPECT_FALSE(PtVisible(c.dc, 3, 2));
  RECT hole{3, 2, 5, 4}, edge{0, 0, 2, 2};
  EXPECT_FALSE(RectVisible(c.dc, &hole));
  EXPECT_TRUE(RectVisible(c.dc, &edge));
  EXPECT_EQ(IntersectClipRect(c.dc, 20, 20, 30, 30), NULLREGION);
  EXPECT_EQ(GetClipBox(c.dc, &box), NULLREGION);
  EXPECT_EQ(box, (RECT{0, 0, 0, 0}));
}

TEST(Clip, SaveAndRestoreBringBackClipColoursOriginsAndObjects) {
  Canvas c(6, 4);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HGDIOBJ oldPen = SelectObject(c.dc, pen);
  SetTextColor(c.dc, RGB(9, 9, 9));
  const int level = SaveDC(c.dc);
  EXPECT_EQ(level, 1);
  IntersectClipRect(c.dc, 0, 0, 2, 2);
  SetTextColor(c.dc, RGB(7, 7, 7));
  SetViewportOrgEx(c.dc, 3, 1, nullptr);
  SelectObject(c.dc, GetStockObject(WHITE_PEN));
  EXPECT_EQ(SaveDC(c.dc), 2);
  ExcludeClipRect(c.dc, -3, -1, 5, 5);
  // The pen now lives only in the saved state: it cannot be deleted.
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_TRUE(RestoreDC(c.dc, -1));
  c.Fill();
  EXPECT_EQ(c.Marked(), Pic(R"(
oo....
oo....
......
......
)"));
  EXPECT_TRUE(RestoreDC(c.dc, level));
  EXPECT_EQ(GetTextColor(c.dc), RGB(9, 9, 9));
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_PEN), static_cast<HGDIOBJ>(pen));
  POINT org;
  GetViewportOrgEx(c.dc, &org);
  EXPECT_EQ(org, (POINT{0, 0}));
  c.Fill();
  EXPECT_EQ(c.Marked(), Pic(R"(
oooooo
oooooo
oooooo
oooooo
)"));
  EXPECT_FALSE(RestoreDC(c.dc, 1));  // nothing saved any more
  EXPECT_FALSE(RestoreDC(c.dc, -1));
  SelectObject(c.dc, oldPen);
  EXPECT_TRUE(DeleteObject(pen));
}

TEST(Clip, SelectedRegionsAreInDeviceCoordinatesAndCopied) {
  Canvas c(6, 4);
  SetViewportOrgEx(c.dc, 2, 0, nullptr);
  HRGN rgn = CreateRectRgn(0, 0, 3, 2);
  EXPECT_EQ(SelectClipRgn(c.dc, rgn), SIMPLEREGION);
  SetRectRgn(rgn, 0, 0, 6, 4);  // changing the handle afterwards does not change the clip
  c.Fill();
  EXPECT_EQ(c.Marked(), Pic(R"(
ooo...
ooo...
......
......
)"));
  HRGN out = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(c.dc, out), 1);
  RECT box;
  GetRgnBox(out, &box);
  EXPECT_EQ(box, (RECT{0, 0, 3, 2}));
  EXPECT_EQ(OffsetClipRgn(c.dc, 3, 2), SIMPLEREGION);
  EXPECT_EQ(GetClipBox(c.dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{1, 2, 4, 4}));  // logical: device minus the viewport origin
  EXPECT_EQ(ExtSelectClipRgn(c.dc, rgn, RGN_XOR), COMPLEXREGION);
  EXPECT_EQ(SelectClipRgn(c.dc, nullptr), SIMPLEREGION);
  EXPECT_EQ(GetClipRgn(c.dc, out), 0);
  EXPECT_EQ(ExtSelectClipRgn(c.dc, nullptr, RGN_AND), ERROR);
  // SelectObject with a region selects a copy of it as the clip.
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(SelectObject(c.dc, rgn)), SIMPLEREGION);
  EXPECT_TRUE(DeleteObject(rgn));
  EXPECT_TRUE(DeleteObject(out));
}

TEST(Clip, FarClipRectanglesAndOriginsDoNotWrap) {
  Canvas c(4, 3);
  SetViewportOrgEx(c.dc, 10, 0, nullptr);
  // Logical INT_MIN + 5 .. INT_MAX in device space is about -2^31 + 15 .. 2^31 + 9.
  EXPECT_NE(IntersectClipRect(c.dc, INT_MIN + 5, -5, INT_MAX, 2), ERROR);
  RECT r{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  FillRect(c.dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Marked(), Pic(R"(
oooo
oooo
....
)"));
  EXPECT_EQ(GetPixel(c.dc, INT_MAX, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(c.dc, INT_MIN, 0, 0), CLR_INVALID);
  OffsetViewportOrgEx(c.dc, INT_MAX, 0, nullptr);  // stops at the end of the range
  POINT org;
  GetViewportOrgEx(c.dc, &org);
  EXPECT_EQ(org.x, INT_MAX);
}

TEST(Clip, ObjectSelectionRules) {
  const int live = LiveObjectCount();
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  // A fresh memory DC holds a monochrome bitmap, so bitmaps compatible with it are too.
  HBITMAP mono = CreateCompatibleBitmap(a, 4, 4);
  BITMAP bm;
  GetObject(mono, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  HBITMAP colour = CreateCompatibleBitmap(ScreenDC(), 4, 4);
  GetObject(colour, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, ScreenBitsPerPixel());

  HGDIOBJ stockBm = SelectObject(a, colour);
  EXPECT_EQ(stockBm, static_cast<HGDIOBJ>(StockBitmap()));
  EXPECT_EQ(SelectObject(b, colour), nullptr);  // already held by a
  EXPECT_FALSE(DeleteObject(colour));            // selected
  SelectObject(a, stockBm);
  EXPECT_NE(SelectObject(b, colour), nullptr);
  EXPECT_TRUE(DeleteDC(b));  // releases the bitmap
  EXPECT_TRUE(DeleteObject(colour));
  EXPECT_FALSE(SelectObject(a, colour));  // stale handle

  HBRUSH br = CreateSolidBrush(0);
  SelectObject(a, br);
  EXPECT_FALSE(DeleteObject(br));
  EXPECT_TRUE(DeleteDC(a));
  EXPECT_TRUE(DeleteObject(br));
  EXPECT_FALSE(DeleteObject(br));  // already gone
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));  // stock: answered true, kept
  EXPECT_NE(GetObjectType(GetStockObject(BLACK_PEN)), 0u);
  EXPECT_TRUE(DeleteObject(mono));
  EXPECT_EQ(LiveObjectCount(), live);
  // Palettes are selected with SelectPalette only.
  PALETTEENTRY entries[2] = {{255, 0, 0, 0}, {0, 0, 255, 0}};
  std::vector<BYTE> raw(sizeof(LOGPALETTE) + sizeof entries);
  auto* lp = reinterpret_cast<LOGPALETTE*>(raw.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 2;
  std::memcpy(lp->palPalEntry, entries, sizeof entries);
  HPALETTE pal = CreatePalette(lp);
  HDC d = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(d, pal), nullptr);
  EXPECT_NE(SelectPalette(d, pal, 0), nullptr);
  EXPECT_FALSE(DeleteObject(pal));
  DeleteDC(d);
  EXPECT_TRUE(DeleteObject(pal));
  EXPECT_EQ(LiveObjectCount(), live);
}
