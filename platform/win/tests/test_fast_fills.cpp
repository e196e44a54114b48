// The quick paths of solid fills, frames and ellipses (a clip of one rectangle, a 32-bit
// surface, one colour conversion a shape) against the general ones: the same shapes drawn
// through a clip of several rectangles, into a 24-bit surface or with the stock DC pen and
// brush give the same pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win/gdi.h"
#include "platform/win/gdi_objects.h"
#include "platform/win/region_api.h"

using namespace win;

namespace {

constexpr int W = 24, H = 20;
constexpr COLORREF kPaper = RGB(250, 250, 250);
constexpr COLORREF kInk = RGB(200, 30, 90);
constexpr COLORREF kPen = RGB(10, 120, 240);

// A memory DC over a top-down DIB of the given depth, painted with kPaper.
struct Dib {
  HDC dc = nullptr;
  HBITMAP bm = nullptr;
  HGDIOBJ old = nullptr;

  Dib(int bpp, DWORD compression = BI_RGB, const DWORD* masks = nullptr) {
    alignas(4) BYTE raw[sizeof(BITMAPINFOHEADER) + 12] = {};
    auto* bi = reinterpret_cast<BITMAPINFO*>(raw);
    bi->bmiHeader.biSize = 40;
    bi->bmiHeader.biPlanes = 1;
    bi->bmiHeader.biWidth = W;
    bi->bmiHeader.biHeight = -H;
    bi->bmiHeader.biBitCount = static_cast<WORD>(bpp);
    bi->bmiHeader.biCompression = compression;
    if (masks) std::memcpy(raw + 40, masks, 12);
    void* bits = nullptr;
    bm = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bm);
    const RECT all{0, 0, W, H};
    HBRUSH paper = CreateSolidBrush(kPaper);
    FillRect(dc, &all, paper);
    DeleteObject(paper);
  }
  ~Dib() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bm);
  }
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;

  // Every pixel, the clip taken off first (GetPixel answers only inside it).
  std::vector<COLORREF> Pixels() const {
    SelectClipRgn(dc, nullptr);
    std::vector<COLORREF> out;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) out.push_back(GetPixel(dc, x, y));
    return out;
  }
};

enum class Shape { Fill, Frame, Rect, RectNullPen, Ellipse, WireEllipse, EllipseNullPen, RoundRect };

const char* Name(Shape s) {
  switch (s) {
    case Shape::Fill: return "FillRect";
    case Shape::Frame: return "FrameRect";
    case Shape::Rect: return "Rectangle";
    case Shape::RectNullPen: return "Rectangle, null pen";
    case Shape::Ellipse: return "Ellipse";
    case Shape::WireEllipse: return "Ellipse, null brush";
    case Shape::EllipseNullPen: return "Ellipse, null pen";
    case Shape::RoundRect: return "RoundRect";
  }
  return "";
}

// Draws with a pen and brush made for the colours, or with the stock DC pen and brush
// coloured through the DC.
void Draw(HDC dc, Shape shape, const RECT& r, bool dcTools = false) {
  HBRUSH made = CreateSolidBrush(kInk);
  HPEN pen = CreatePen(PS_SOLID, 1, kPen);
  HBRUSH ink = made;
  if (dcTools) {
    SetDCBrushColor(dc, kInk);
    SetDCPenColor(dc, kPen);
    ink = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
  }
  const bool nullPen = shape == Shape::RectNullPen || shape == Shape::EllipseNullPen;
  HGDIOBJ oldPen = SelectObject(dc, nullPen ? GetStockObject(NULL_PEN) : dcTools ? GetStockObject(DC_PEN) : pen);
  HGDIOBJ oldBrush = SelectObject(dc, shape == Shape::WireEllipse ? GetStockObject(NULL_BRUSH) : ink);
  switch (shape) {
    case Shape::Fill: FillRect(dc, &r, ink); break;
    case Shape::Frame: FrameRect(dc, &r, ink); break;
    case Shape::Rect:
    case Shape::RectNullPen: Rectangle(dc, r.left, r.top, r.right, r.bottom); break;
    case Shape::Ellipse:
    case Shape::WireEllipse:
    case Shape::EllipseNullPen: Ellipse(dc, r.left, r.top, r.right, r.bottom); break;
    case Shape::RoundRect: RoundRect(dc, r.left, r.top, r.right, r.bottom, 6, 4); break;
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(made);
  DeleteObject(pen);
}

void Clip(HDC dc, const RECT& c, bool split) {
  HRGN rgn = CreateRectRgn(c.left, c.top, c.right, c.bottom);
  if (split) {
    // The same clip and one far pixel that no shape reaches: several rectangles.
    HRGN far = CreateRectRgn(W - 1, 0, W, 1);
    CombineRgn(rgn, rgn, far, RGN_OR);
    DeleteObject(far);
  }
  SelectClipRgn(dc, rgn);
  DeleteObject(rgn);
}

}  // namespace

TEST(FastFills, SameAsThroughSeveralClipRectanglesAndAt24Bits) {
  const Shape shapes[] = {Shape::Fill,    Shape::Frame,       Shape::Rect,           Shape::RectNullPen,
                          Shape::Ellipse, Shape::WireEllipse, Shape::EllipseNullPen, Shape::RoundRect};
  struct Place {
    const char* what;
    RECT shape;
  };
  const Place places[] = {
      {"inside", {4, 5, 15, 14}},
      {"over the left and top clip edges", {-3, 0, 9, 8}},
      {"over the right and bottom clip edges", {12, 10, 26, 25}},
      {"larger than the clip", {-4, -4, 22, 19}},
      {"outside the clip", {0, 17, 8, 20}},
      {"one pixel", {7, 7, 8, 8}},
      {"one pixel wide", {6, 3, 7, 15}},
      {"one pixel high", {3, 9, 18, 10}},
      {"two by two", {9, 9, 11, 11}},
      {"empty", {5, 5, 5, 12}},
      {"reversed", {14, 12, 6, 4}},
  };
  const RECT clip{2, 2, 20, 16};
  for (Shape shape : shapes) {
    for (const Place& place : places) {
      Dib quick(32), banded(32), deep(24), dcTools(32);
      Clip(quick.dc, clip, false);
      Clip(banded.dc, clip, true);
      Clip(deep.dc, clip, false);
      Clip(dcTools.dc, clip, false);
      for (Dib* s : {&quick, &banded, &deep}) Draw(s->dc, shape, place.shape);
      Draw(dcTools.dc, shape, place.shape, true);
      const std::vector<COLORREF> want = banded.Pixels(), got = quick.Pixels(), got24 = deep.Pixels(),
                                  gotDc = dcTools.Pixels();
      int drawn = 0;
      for (int i = 0; i < W * H; ++i) {
        const int x = i % W, y = i / W;
        ASSERT_EQ(got[i], want[i]) << Name(shape) << ' ' << place.what << " at " << x << ',' << y;
        ASSERT_EQ(got24[i], want[i]) << Name(shape) << ' ' << place.what << " at 24 bits, " << x << ',' << y;
        ASSERT_EQ(gotDc[i], want[i]) << Name(shape) << ' ' << place.what << " with the DC's tools, " << x << ',' << y;
        const bool inClip = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
        if (!inClip) {
          ASSERT_EQ(got[i], kPaper) << Name(shape) << ' ' << place.what << " outside the clip";
        }
        drawn += got[i] != kPaper;
      }
      // Only the places outside the clip, or with no area to draw, leave everything alone.
      const std::string what = place.what;
      const bool thin = what == "one pixel" || what == "one pixel wide" || what == "one pixel high";
      // FillRect and FrameRect take a reversed rectangle as empty; the shapes put it in order.
      const bool rectCall = shape == Shape::Fill || shape == Shape::Frame;
      const bool nothing = what == "outside the clip" || what == "empty" || (what == "reversed" && rectCall) ||
                           ((shape == Shape::RectNullPen || shape == Shape::EllipseNullPen) && thin) ||
                           (shape == Shape::Frame && what == "larger than the clip");
      EXPECT_EQ(drawn == 0, nothing) << Name(shape) << ' ' << place.what << ": " << drawn << " pixels";
    }
  }
}

TEST(FastFills, FramePartlyClippedHasExactPixels) {
  Dib s(32);
  Clip(s.dc, RECT{3, 2, 9, 6}, false);
  Draw(s.dc, Shape::Frame, RECT{1, 1, 7, 8});
  SelectClipRgn(s.dc, nullptr);
  std::string map;
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 10; ++x) map += GetPixel(s.dc, x, y) == kInk ? 'o' : '.';
    map += '\n';
  }
  EXPECT_EQ(map,
            "..........\n"
            "..........\n"
            "......o...\n"
            "......o...\n"
            "......o...\n"
            "......o...\n"
            "..........\n"
            "..........\n"
            "..........\n");
}

TEST(FastFills, ColourConversionAt16BitsKeepsTheTopBits) {
  const DWORD masks565[3] = {0xF800, 0x07E0, 0x001F};
  Dib s(16, BI_BITFIELDS, masks565);
  struct Case {
    COLORREF colour, back;
  };
  // 5, 6 and 5 top bits kept; read back with the top bits repeated below them.
  const Case cases[] = {{RGB(255, 128, 8), RGB(255, 130, 8)},
                        {RGB(0, 0, 0), RGB(0, 0, 0)},
                        {RGB(255, 255, 255), RGB(255, 255, 255)},
                        {RGB(7, 3, 200), RGB(0, 0, 206)},
                        {RGB(132, 66, 33), RGB(132, 65, 33)}};
  const COLORREF inside = GetPixel(s.dc, 2, 2);
  for (const Case& c : cases) {
    HBRUSH b = CreateSolidBrush(c.colour);
    const RECT r{1, 1, 5, 4};
    FrameRect(s.dc, &r, b);
    DeleteObject(b);
    EXPECT_EQ(GetPixel(s.dc, 1, 1), c.back) << std::hex << c.colour;
    EXPECT_EQ(GetPixel(s.dc, 4, 3), c.back) << std::hex << c.colour;
    EXPECT_EQ(GetPixel(s.dc, 2, 2), inside);
  }
}

TEST(FastFills, DcToolColoursAreSavedAndRestoredWithTheDc) {
  Dib s(32);
  const RECT r{1, 1, 4, 4};
  HBRUSH dcBrush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
  EXPECT_EQ(GetDCBrushColor(s.dc), RGB(255, 255, 255));
  EXPECT_EQ(GetDCPenColor(s.dc), RGB(0, 0, 0));
  SetDCBrushColor(s.dc, kInk);
  SetDCPenColor(s.dc, kPen);
  const int level = SaveDC(s.dc);
  ASSERT_NE(level, 0);
  EXPECT_EQ(SetDCBrushColor(s.dc, RGB(1, 2, 3)), kInk);
  EXPECT_EQ(SetDCPenColor(s.dc, RGB(4, 5, 6)), kPen);
  FillRect(s.dc, &r, dcBrush);
  EXPECT_EQ(GetPixel(s.dc, 2, 2), RGB(1, 2, 3));
  ASSERT_TRUE(RestoreDC(s.dc, level));
  EXPECT_EQ(GetDCBrushColor(s.dc), kInk);
  EXPECT_EQ(GetDCPenColor(s.dc), kPen);
  FillRect(s.dc, &r, dcBrush);
  EXPECT_EQ(GetPixel(s.dc, 2, 2), kInk);
  // Each DC keeps its own colours for the one stock brush.
  Dib other(32);
  FillRect(other.dc, &r, dcBrush);
  EXPECT_EQ(GetPixel(other.dc, 2, 2), RGB(255, 255, 255));
}

TEST(FastFills, AnObjectJustDrawnWithIsNotLiveOnceDeleted) {
  Dib s(32);
  const RECT r{1, 1, 4, 4};
  HBRUSH b = CreateSolidBrush(kInk);
  // Found live by drawing, so remembered among the objects last looked up.
  ASSERT_EQ(FillRect(s.dc, &r, b), 1);
  ASSERT_EQ(FillRect(s.dc, &r, b), 1);
  EXPECT_EQ(GetObjectType(b), static_cast<UINT>(OBJ_BRUSH));
  ASSERT_TRUE(DeleteObject(b));
  // Asked first of all: a stale memory would answer without touching the freed object.
  EXPECT_FALSE(IsLiveObject(b));
  EXPECT_EQ(GetObjectType(b), 0u);
  EXPECT_EQ(FillRect(s.dc, &r, b), 0);
  EXPECT_EQ(SelectObject(s.dc, b), nullptr);
  // A DC likewise.
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetObjectType(dc), static_cast<UINT>(OBJ_MEMDC));
  ASSERT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(IsLiveObject(dc));
  EXPECT_EQ(GetObjectType(dc), 0u);
  EXPECT_EQ(SaveDC(dc), 0);
}
