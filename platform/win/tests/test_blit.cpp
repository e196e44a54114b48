// Block transfers: monochrome/colour conversion, the kit's masking codes, stretching,
// overlap and far coordinates.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "dib_canvas.h"
#include "platform/win/gdi.h"

using namespace win;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255), kGrey = RGB(128, 128, 128), kWhite = 0xFFFFFF;

struct Canvas : DibCanvas {
  Canvas(int width, int height, COLORREF fill = kWhite) : DibCanvas(width, height, fill) {}
  void Set(std::initializer_list<COLORREF> row) {
    int x = 0;
    for (COLORREF c : row) SetPixel(dc, x++, 0, c);
  }
  std::vector<COLORREF> Row(int y = 0) const {
    std::vector<COLORREF> r;
    for (int x = 0; x < w; ++x) r.push_back(GetPixel(dc, x, y));
    return r;
  }
};

// A memory DC holding a monochrome device bitmap of one row.
struct Mono {
  HDC dc;
  HBITMAP bm;
  HGDIOBJ old;
  int w;
  explicit Mono(int width, BYTE bitsRow = 0) : w(width) {
    const BYTE row[2] = {bitsRow, 0};
    bm = CreateBitmap(w, 1, 1, 1, row);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bm);
  }
  ~Mono() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bm);
  }
  std::vector<int> Bits() const {
    std::vector<int> b;
    for (int x = 0; x < w; ++x) b.push_back(GetPixel(dc, x, 0) == kWhite ? 1 : 0);
    return b;
  }
};

}  // namespace

TEST(Blit, MonochromeToColourTakesTheDestinationTextAndBackgroundColours) {
  Mono m(8, 0xA5);  // 1 0 1 0 0 1 0 1
  Canvas c(8, 1);
  SetTextColor(c.dc, kRed);   // 0 bits
  SetBkColor(c.dc, kBlue);    // 1 bits
  SetTextColor(m.dc, kGreen);  // the source DC's colours play no part
  ASSERT_TRUE(BitBlt(c.dc, 0, 0, 8, 1, m.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(c.Row(), (std::vector<COLORREF>{kBlue, kRed, kBlue, kRed, kRed, kBlue, kRed, kBlue}));
}

TEST(Blit, OneBitDibsColourThroughTheirTable) {
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD t[2];
  } info{{sizeof(BITMAPINFOHEADER), 8, -1, 1, 1, BI_RGB, 0, 0, 0, 0, 0}, {{0, 0, 255, 0}, {255, 0, 0, 0}}};
  const BITMAPINFO* bmi = reinterpret_cast<const BITMAPINFO*>(&info);
  const std::vector<COLORREF> want{kBlue, kRed, kBlue, kRed, kRed, kBlue, kRed, kBlue};  // 0xA5
  const BYTE row[4] = {0xA5, 0, 0, 0};
  void* mem = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, bmi, DIB_RGB_COLORS, &mem, nullptr, 0);
  ASSERT_TRUE(section && mem);
  std::memcpy(mem, row, 4);
  HDC src = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(src, section);
  for (bool stretch : {false, true}) {
    SCOPED_TRACE(stretch ? "StretchBlt" : "BitBlt");
    Canvas c(8, 1);
    SetTextColor(c.dc, kGreen);  // a table leaves the text and background colours out
    SetBkColor(c.dc, kMagenta);
    ASSERT_TRUE(stretch ? StretchBlt(c.dc, 0, 0, 8, 1, src, 0, 0, 8, 1, SRCCOPY)
                        : BitBlt(c.dc, 0, 0, 8, 1, src, 0, 0, SRCCOPY));
    EXPECT_EQ(c.Row(), want);
  }
  Canvas d(8, 1);
  SetTextColor(d.dc, kGreen);
  ASSERT_EQ(StretchDIBits(d.dc, 0, 0, 8, 1, 0, 0, 8, 1, row, bmi, DIB_RGB_COLORS, SRCCOPY), 1);
  EXPECT_EQ(d.Row(), want);
  // One-bit to one-bit still copies the bits.
  Mono m(8);
  BitBlt(m.dc, 0, 0, 8, 1, src, 0, 0, SRCCOPY);
  EXPECT_EQ(m.Bits(), (std::vector<int>{1, 0, 1, 0, 0, 1, 0, 1}));
  SelectObject(src, old);
  DeleteDC(src);
  DeleteObject(section);
}

TEST(Blit, ColourToMonochromeMarksTheSourceBackgroundColour) {
  Canvas c(6, 1);
  c.Set({kGreen, kRed, kGreen, RGB(0, 254, 0), kWhite, kGreen});
  SetBkColor(c.dc, kGreen);
  Mono m(6);
  ASSERT_TRUE(BitBlt(m.dc, 0, 0, 6, 1, c.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(m.Bits(), (std::vector<int>{1, 0, 1, 0, 0, 1}));
  // Monochrome to monochrome copies bits as they are, whatever the colours.
  Mono m2(6);
  SetTextColor(m2.dc, kRed);
  BitBlt(m2.dc, 0, 0, 6, 1, m.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(m2.Bits(), m.Bits());
  BitBlt(m2.dc, 0, 0, 6, 1, m.dc, 0, 0, NOTSRCCOPY);
  EXPECT_EQ(m2.Bits(), (std::vector<int>{0, 1, 0, 1, 1, 0}));
}

TEST(Blit, SrcPaintSrcAndSrcInvertOnColourAndMonoSources) {
  Canvas d(3, 1), s(3, 1);
  d.bits[0] = 0x00F0F0F0;
  d.bits[1] = 0x000F0F0F;
  d.bits[2] = 0x00AA5500;
  s.bits[0] = 0x000000FF;
  s.bits[1] = 0x00FF0000;
  s.bits[2] = 0x00FFFFFF;
  const std::vector<DWORD> before(d.bits, d.bits + 3);
  BitBlt(d.dc, 0, 0, 3, 1, s.dc, 0, 0, SRCPAINT);
  EXPECT_EQ(d.bits[0], 0x00F0F0FFu);
  EXPECT_EQ(d.bits[1], 0x00FF0F0Fu);
  EXPECT_EQ(d.bits[2], 0x00FFFFFFu);
  for (int i = 0; i < 3; ++i) d.bits[i] = before[i];
  BitBlt(d.dc, 0, 0, 3, 1, s.dc, 0, 0, SRCAND);
  EXPECT_EQ(d.bits[0], 0x000000F0u);
  EXPECT_EQ(d.bits[1], 0x000F0000u);
  EXPECT_EQ(d.bits[2], 0x00AA5500u);
  BitBlt(d.dc, 0, 0, 3, 1, s.dc, 0, 0, SRCINVERT);
  BitBlt(d.dc, 0, 0, 3, 1, s.dc, 0, 0, SRCINVERT);
  EXPECT_EQ(d.bits[2], 0x00AA5500u);

  // A monochrome source goes through the text/background colours first.
  Mono m(3, 0x40);  // 0 1 0
  for (int i = 0; i < 3; ++i) d.bits[i] = before[i];
  SetTextColor(d.dc, RGB(0, 0, 0x0F));   // native 0x0000000F... blue byte
  SetBkColor(d.dc, RGB(0xFF, 0, 0));     // native 0x00FF0000
  BitBlt(d.dc, 0, 0, 3, 1, m.dc, 0, 0, SRCPAINT);
  EXPECT_EQ(d.bits[0], 0x00F0F0FFu);
  EXPECT_EQ(d.bits[1], 0x00FF0F0Fu);
  EXPECT_EQ(d.bits[2], 0x00AA550Fu);
  for (int i = 0; i < 3; ++i) d.bits[i] = before[i];
  BitBlt(d.dc, 0, 0, 3, 1, m.dc, 0, 0, SRCAND);
  EXPECT_EQ(d.bits[0], 0x00000000u);
  EXPECT_EQ(d.bits[1], 0x000F0000u);
  EXPECT_EQ(d.bits[2], 0x00000000u);
}

TEST(Blit, MaskAndImageDrawTransparently) {
  // The image's transparent colour is magenta.
  Canvas image(4, 1);
  image.Set({kRed, kMagenta, kBlue, kMagenta});
  // Mask: white where transparent.
  Mono mask(4);
  SetBkColor(image.dc, kMagenta);
  BitBlt(mask.dc, 0, 0, 4, 1, image.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(mask.Bits(), (std::vector<int>{0, 1, 0, 1}));
  // Transparent pixels of the image turn black: background black, text white, 0x8800C6.
  SetBkColor(image.dc, 0);
  SetTextColor(image.dc, kWhite);
  BitBlt(image.dc, 0, 0, 4, 1, mask.dc, 0, 0, 0x008800C6);
  EXPECT_EQ(image.Row(), (std::vector<COLORREF>{kRed, 0, kBlue, 0}));
  // Onto the destination: mask with 0x8800C6 (background white, text black), image with 0xEE0086.
  Canvas dest(4, 1, kGrey);
  SetBkColor(dest.dc, kWhite);
  SetTextColor(dest.dc, 0);
  BitBlt(dest.dc, 0, 0, 4, 1, mask.dc, 0, 0, 0x008800C6);
  EXPECT_EQ(dest.Row(), (std::vector<COLORREF>{0, kGrey, 0, kGrey}));
  BitBlt(dest.dc, 0, 0, 4, 1, image.dc, 0, 0, 0x00EE0086);
  EXPECT_EQ(dest.Row(), (std::vector<COLORREF>{kRed, kGrey, kBlue, kGrey}));
}

TEST(Blit, E20746PaintsTheBrushThroughAMonochromeMask) {
  Mono mask(4, 0x50);  // 0 1 0 1
  Canvas dest(4, 1, kGrey);
  HBRUSH brush = CreateSolidBrush(kWhite);
  HGDIOBJ old = SelectObject(dest.dc, brush);
  // Text white and background black: the brush lands where the mask is black.
  SetTextColor(dest.dc, kWhite);
  SetBkColor(dest.dc, 0);
  BitBlt(dest.dc, 0, 0, 4, 1, mask.dc, 0, 0, 0x00E20746);
  EXPECT_EQ(dest.Row(), (std::vector<COLORREF>{kWhite, kGrey, kWhite, kGrey}));
  // With the default colours (text black, background white) it lands where the mask is white.
  Canvas d2(4, 1, kGrey);
  SelectObject(d2.dc, brush);
  BitBlt(d2.dc, 0, 0, 4, 1, mask.dc, 0, 0, 0x00E20746);
  EXPECT_EQ(d2.Row(), (std::vector<COLORREF>{kGrey, kWhite, kGrey, kWhite}));
  SelectObject(d2.dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dest.dc, old);
  DeleteObject(brush);
}

TEST(Blit, StretchEnlargesShrinksAndMirrors) {
  Canvas src(4, 1);
  src.Set({0, kWhite, kWhite, 0});
  Canvas d(8, 1, kGrey);
  StretchBlt(d.dc, 0, 0, 8, 1, src.dc, 0, 0, 2, 1, SRCCOPY);  // two pixels, four times wider
  EXPECT_EQ(d.Row(), (std::vector<COLORREF>{0, 0, 0, 0, kWhite, kWhite, kWhite, kWhite}));

  Canvas s(2, 1, kGrey);
  SetStretchBltMode(s.dc, COLORONCOLOR);
  StretchBlt(s.dc, 0, 0, 2, 1, src.dc, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(s.Row(), (std::vector<COLORREF>{kWhite, 0}));  // the pixel nearest each centre
  SetStretchBltMode(s.dc, BLACKONWHITE);
  StretchBlt(s.dc, 0, 0, 2, 1, src.dc, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(s.Row(), (std::vector<COLORREF>{0, 0}));  // black wins
  SetStretchBltMode(s.dc, WHITEONBLACK);
  StretchBlt(s.dc, 0, 0, 2, 1, src.dc, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(s.Row(), (std::vector<COLORREF>{kWhite, kWhite}));
  SetStretchBltMode(s.dc, HALFTONE);
  StretchBlt(s.dc, 0, 0, 2, 1, src.dc, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(s.Row(), (std::vector<COLORREF>{RGB(128, 128, 128), RGB(128, 128, 128)}));

  // Mirrored: start at the right-most pixel with a negative width.
  Canvas m(4, 1, kGrey);
  src.Set({kRed, kGreen, kBlue, 0});
  StretchBlt(m.dc, 3, 0, -4, 1, src.dc, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(m.Row(), (std::vector<COLORREF>{0, kBlue, kGreen, kRed}));
}

TEST(Blit, OverlappingCopyWithinOneSurfaceAndAlphaKept) {
  Canvas c(6, 1);
  for (int i = 0; i < 6; ++i) c.bits[i] = 0x80000000u | static_cast<DWORD>(i + 1);
  BitBlt(c.dc, 1, 0, 5, 1, c.dc, 0, 0, SRCCOPY);
  const DWORD want[] = {0x80000001, 0x80000001, 0x80000002, 0x80000003, 0x80000004, 0x80000005};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(c.bits[i], want[i]) << i;
  // Copies between 32-bit surfaces keep the fourth byte.
  Canvas d(6, 1);
  BitBlt(d.dc, 0, 0, 6, 1, c.dc, 0, 0, SRCCOPY);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(d.bits[i], want[i]);
}

TEST(Blit, FarDestinationsAndSourcesAreClipped) {
  Canvas src(1, 1, kRed);
  Canvas d(5, 3, kGrey);
  ASSERT_TRUE(StretchBlt(d.dc, -1000000000, -1000000000, 2000000000, 2000000000, src.dc, 0, 0, 1, 1, SRCCOPY));
  for (int y = 0; y < 3; ++y)
    for (COLORREF c : d.Row(y)) EXPECT_EQ(c, kRed);
  // A source rectangle mostly outside the source: only what exists is copied.
  Canvas e(5, 1, kGrey);
  BitBlt(e.dc, 0, 0, 5, 1, src.dc, -2, 0, SRCCOPY);
  EXPECT_EQ(e.Row(), (std::vector<COLORREF>{kGrey, kGrey, kRed, kGrey, kGrey}));
  EXPECT_TRUE(BitBlt(e.dc, INT_MIN, 0, INT_MAX, 1, src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(e.Row()[0], kGrey);
  // A stale source handle fails.
  HDC gone = CreateCompatibleDC(nullptr);
  DeleteDC(gone);
  EXPECT_FALSE(BitBlt(e.dc, 0, 0, 1, 1, gone, 0, 0, SRCCOPY));
}

TEST(Blit, PatternBrushAlignedToTheBrushOriginInPatBlt) {
  // A 2 x 2 colour pattern: red green / blue white.
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 2;
  bi.bmiHeader.biHeight = -2;
  bi.bmiHeader.biBitCount = 32;
  void* p = nullptr;
  HBITMAP pat = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  DWORD* px = static_cast<DWORD*>(p);
  px[0] = 0xFF0000;
  px[1] = 0x00FF00;
  px[2] = 0x0000FF;
  px[3] = 0xFFFFFF;
  HBRUSH brush = CreatePatternBrush(pat);
  Canvas c(4, 2);
  SelectObject(c.dc, brush);
  SetBrushOrgEx(c.dc, 1, 0, nullptr);
  PatBlt(c.dc, 0, 0, 4, 2, PATCOPY);
  EXPECT_EQ(c.Row(0), (std::vector<COLORREF>{kGreen, kRed, kGreen, kRed}));
  EXPECT_EQ(c.Row(1), (std::vector<COLORREF>{kWhite, kBlue, kWhite, kBlue}));
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
  DeleteObject(pat);
}
