// Edges and frames (DrawEdge, DrawFocusRect, FrameRect, InvertRect), the system tables,
// and the palette paths of a low-depth screen.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "dib_canvas.h"
#include "platform/win/gdi.h"

using namespace win;

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);

struct Canvas : DibCanvas {
  Canvas(int width, int height, COLORREF fill) : DibCanvas(width, height, fill) {}
  // X black, . white, l light grey (C0C0C0), g grey (808080), b blue, ? other.
  std::string Map() const {
    static const std::map<COLORREF, char> legend = {
        {0, 'X'}, {0xFFFFFF, '.'}, {0xC0C0C0, 'l'}, {0x808080, 'g'}, {kBlue, 'b'}};
    std::string s;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        auto it = legend.find(GetPixel(dc, x, y));
        s += it == legend.end() ? '?' : it->second;
      }
      s += '\n';
    }
    return s;
  }
};

std::string Pic(const char* s) { return std::string(s + 1); }

}  // namespace

TEST(Edges, RaisedEdgeColoursCornersAndAdjustedRect) {
  Canvas c(6, 5, kBlue);
  RECT r{0, 0, 6, 5};
  ASSERT_TRUE(DrawEdge(c.dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST));
  EXPECT_EQ(r, (RECT{2, 2, 4, 3}));
  EXPECT_EQ(c.Map(), Pic(R"(
lllllX
l...gX
l.bbgX
lggggX
XXXXXX
)"));
  // Soft: the white goes outside, the light grey inside.
  Canvas s(6, 5, kBlue);
  RECT rs{0, 0, 6, 5};
  DrawEdge(s.dc, &rs, EDGE_RAISED, BF_RECT | BF_SOFT);
  EXPECT_EQ(rs, (RECT{0, 0, 6, 5}));  // no BF_ADJUST: unchanged
  EXPECT_EQ(s.Map(), Pic(R"(
.....X
.lllgX
.lbbgX
.ggggX
XXXXXX
)"));
}

TEST(Edges, SunkenEtchedMiddleAndPartialSides) {
  Canvas c(5, 5, kBlue);
  RECT r{0, 0, 5, 5};
  DrawEdge(c.dc, &r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_ADJUST);
  EXPECT_EQ(r, (RECT{2, 2, 3, 3}));
  EXPECT_EQ(c.Map(), Pic(R"(
gggg.
gXXl.
gXll.
glll.
.....
)"));
  Canvas e(4, 4, kBlue);
  RECT re{0, 0, 4, 4};
  DrawEdge(e.dc, &re, EDGE_ETCHED, BF_RECT);
  EXPECT_EQ(e.Map(), Pic(R"(
ggg.
g.g.
ggg.
....
)"));
  Canvas p(4, 3, kBlue);
  RECT rp{0, 0, 4, 3};
  DrawEdge(p.dc, &rp, BDR_SUNKENOUTER, BF_LEFT | BF_TOP | BF_ADJUST);
  EXPECT_EQ(rp, (RECT{1, 1, 4, 3}));
  EXPECT_EQ(p.Map(), Pic(R"(
gggg
gbbb
gbbb
)"));
  // Only an inner edge: drawn on the outermost ring.
  Canvas i(3, 3, kBlue);
  RECT ri{0, 0, 3, 3};
  DrawEdge(i.dc, &ri, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
  EXPECT_EQ(ri, (RECT{1, 1, 2, 2}));
  EXPECT_EQ(i.Map(), Pic(R"(
..g
.bg
ggg
)"));
}

TEST(Edges, FlatAndMonoEdges) {
  Canvas f(4, 4, kBlue);
  RECT rf{0, 0, 4, 4};
  DrawEdge(f.dc, &rf, EDGE_RAISED, BF_RECT | BF_FLAT);
  EXPECT_EQ(f.Map(), Pic(R"(
gggg
gllg
gllg
gggg
)"));
  Canvas m(4, 4, kBlue);
  RECT rm{0, 0, 4, 4};
  DrawEdge(m.dc, &rm, EDGE_SUNKEN, BF_RECT | BF_MONO | BF_MIDDLE);
  EXPECT_EQ(m.Map(), Pic(R"(
XXXX
X..X
X..X
XXXX
)"));
}

TEST(Edges, FocusRectIsADottedXorFrame) {
  Canvas c(5, 4, 0xFFFFFF);
  RECT r{0, 0, 5, 4};
  const std::vector<DWORD> before(c.bits, c.bits + 20);
  DrawFocusRect(c.dc, &r);
  EXPECT_EQ(c.Map(), Pic(R"(
X.X.X
.....
X...X
.X.X.
)"));
  DrawFocusRect(c.dc, &r);
  EXPECT_EQ(0, std::memcmp(before.data(), c.bits, 80));
}

TEST(Edges, FrameRectInvertRectAndSystemColourBrushes) {
  Canvas c(5, 4, kBlue);
  RECT r{0, 0, 5, 4};
  FrameRect(c.dc, &r, reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BTNSHADOW + 1)));
  EXPECT_EQ(c.Map(), Pic(R"(
ggggg
gbbbg
gbbbg
ggggg
)"));
  RECT in{1, 1, 3, 3};
  InvertRect(c.dc, &in);
  EXPECT_EQ(GetPixel(c.dc, 1, 1), RGB(255, 255, 0));
  InvertRect(c.dc, &in);
  EXPECT_EQ(GetPixel(c.dc, 1, 1), kBlue);
  RECT backwards{3, 3, 1, 1};
  EXPECT_TRUE(FillRect(c.dc, &backwards, GetSysColorBrush(COLOR_WINDOW)));
  EXPECT_EQ(GetPixel(c.dc, 2, 2), kBlue);  // an upside-down rectangle is empty
  EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), GetSysColorBrush(COLOR_BTNFACE));
  EXPECT_TRUE(DeleteObject(GetSysColorBrush(COLOR_BTNFACE)));  // stock: kept
  LOGBRUSH lb;
  ASSERT_EQ(GetObject(GetSysColorBrush(COLOR_BTNFACE), sizeof lb, &lb), static_cast<int>(sizeof lb));
  EXPECT_EQ(lb.lbColor, 0xC0C0C0u);
  EXPECT_EQ(GetSysColorBrush(31), nullptr);
}

TEST(SystemTables, ClassicColoursMetricsAndCaps) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0xC0C0C0u);
  EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), 0x808080u);
  EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), 0xFFFFFFu);
  EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), 0u);
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), 0x800000u);
  EXPECT_EQ(GetSysColor(COLOR_INFOBK), 0xE1FFFFu);
  EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), 0x808080u);
  EXPECT_EQ(GetSysColor(-1), 0u);
  EXPECT_EQ(GetSysColor(31), 0u);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
  EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
  EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 16);
  EXPECT_EQ(GetSystemMetrics(9999), 0);
  ASSERT_TRUE(SetScreenSize(800, 600));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetDeviceCaps(ScreenDC(), HORZRES), 800);
  EXPECT_FALSE(SetScreenSize(0, 600));
  SetScreenSize(1024, 768);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_EQ(GetDeviceCaps(dc, NUMCOLORS), -1);
  ASSERT_TRUE(SetScreenBitsPerPixel(8));
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 8);
  EXPECT_NE(GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_EQ(GetDeviceCaps(dc, SIZEPALETTE), 256);
  EXPECT_FALSE(SetScreenBitsPerPixel(7));
  SetScreenBitsPerPixel(32);
  EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 0);
  DeleteDC(dc);
}

TEST(SystemTables, EightBitScreenDrawsThroughTheRealisedPalette) {
  ASSERT_TRUE(SetScreenBitsPerPixel(8));
  HBITMAP ddb = CreateCompatibleBitmap(ScreenDC(), 3, 1);
  BITMAP info;
  GetObject(ddb, sizeof info, &info);
  EXPECT_EQ(info.bmBitsPixel, 8);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, ddb);
  const COLORREF odd = RGB(10, 20, 30);
  // Before realising: the nearest static colour.
  SetPixel(dc, 0, 0, odd);
  EXPECT_EQ(GetPixel(dc, 0, 0), 0u);
  std::vector<BYTE> raw(sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(raw.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 2;
  lp->palPalEntry[0] = PALETTEENTRY{200, 100, 50, PC_NOCOLLAPSE};
  PALETTEENTRY second{10, 20, 30, PC_NOCOLLAPSE};
  std::memcpy(reinterpret_cast<BYTE*>(lp->palPalEntry) + sizeof(PALETTEENTRY), &second, sizeof second);
  HPALETTE pal = CreatePalette(lp);
  EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(12, 18, 33)), 1u);
  HPALETTE oldPal = SelectPalette(dc, pal, 0);
  EXPECT_EQ(RealizePalette(dc), 2u);
  SetPixel(dc, 1, 0, PALETTERGB(10, 20, 30));
  EXPECT_EQ(GetPixel(dc, 1, 0), odd);
  SetPixel(dc, 2, 0, PALETTEINDEX(0));
  EXPECT_EQ(GetPixel(dc, 2, 0), RGB(200, 100, 50));
  EXPECT_EQ(GetNearestColor(dc, RGB(11, 21, 29)), odd);
  SelectPalette(dc, oldPal, 0);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(ddb);
  DeleteObject(pal);
  // A 4-bit screen: device bitmaps take the sixteen standard colours.
  SetScreenBitsPerPixel(4);
  HBITMAP vga = CreateCompatibleBitmap(ScreenDC(), 2, 1);
  HDC v = CreateCompatibleDC(nullptr);
  old = SelectObject(v, vga);
  SetPixel(v, 0, 0, RGB(250, 5, 5));
  EXPECT_EQ(GetPixel(v, 0, 0), RGB(255, 0, 0));
  SelectObject(v, old);
  DeleteDC(v);
  DeleteObject(vga);
  SetScreenBitsPerPixel(32);
}
