// The region calls over handles: combine results, region data bytes and hostile data,
// painting regions into a DIB, and the rectangle helpers.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "platform/win/gdi.h"
#include "platform/win/rect.h"
#include "platform/win/region_api.h"

namespace win {
namespace {

// Deletes the handle at the end of the test, so leaks show in LiveObjectCount.
struct Rgn {
  explicit Rgn(HRGN h) : h(h) {}
  ~Rgn() {
    if (h) DeleteObject(h);
  }
  Rgn(const Rgn&) = delete;
  Rgn& operator=(const Rgn&) = delete;
  operator HRGN() const { return h; }
  HRGN h;
};

std::vector<unsigned char> DataOf(HRGN rgn) {
  const DWORD size = GetRegionData(rgn, 0, nullptr);
  std::vector<unsigned char> bytes(size);
  EXPECT_EQ(GetRegionData(rgn, size, reinterpret_cast<RGNDATA*>(bytes.data())), size);
  return bytes;
}

HRGN FromBytes(const std::vector<unsigned char>& bytes, const XFORM* xf = nullptr) {
  return ExtCreateRegion(xf, static_cast<DWORD>(bytes.size()), reinterpret_cast<const RGNDATA*>(bytes.data()));
}

void PutDword(std::vector<unsigned char>& b, std::size_t at, DWORD v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

RECT BoxOf(HRGN r, int expectKind) {
  RECT box{-7, -7, -7, -7};
  EXPECT_EQ(GetRgnBox(r, &box), expectKind);
  return box;
}

TEST(RegionApi, CombineAnswersKindsAndMayWriteIntoASource) {
  Rgn a(CreateRectRgn(0, 0, 10, 10)), b(CreateRectRgn(5, 5, 15, 15)), d(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(CombineRgn(d, a, b, RGN_AND), SIMPLEREGION);
  EXPECT_EQ(CombineRgn(d, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(CombineRgn(d, a, a, RGN_XOR), NULLREGION);
  EXPECT_EQ(CombineRgn(d, b, nullptr, RGN_COPY), SIMPLEREGION);
  EXPECT_TRUE(EqualRgn(d, b));

  EXPECT_EQ(CombineRgn(a, a, b, RGN_DIFF), COMPLEXREGION);  // into the first source
  EXPECT_EQ(BoxOf(a, COMPLEXREGION), (RECT{0, 0, 10, 10}));
  EXPECT_TRUE(PtInRegion(a, 4, 9));
  EXPECT_FALSE(PtInRegion(a, 5, 5));
  EXPECT_EQ(CombineRgn(b, a, b, RGN_OR), COMPLEXREGION);  // into the second
  EXPECT_TRUE(PtInRegion(b, 14, 14) && PtInRegion(b, 0, 0));

  // Failures leave the destination as it was.
  Rgn keep(CreateRectRgn(1, 2, 3, 4));
  HRGN gone = CreateRectRgn(0, 0, 4, 4);
  EXPECT_TRUE(DeleteObject(gone));
  EXPECT_EQ(CombineRgn(keep, a, b, 0), ERROR);
  EXPECT_EQ(CombineRgn(keep, a, b, 6), ERROR);
  EXPECT_EQ(CombineRgn(keep, a, nullptr, RGN_AND), ERROR);
  EXPECT_EQ(CombineRgn(keep, gone, a, RGN_OR), ERROR);
  EXPECT_EQ(CombineRgn(gone, a, b, RGN_OR), ERROR);
  EXPECT_EQ(CombineRgn(keep, reinterpret_cast<HRGN>(GetStockObject(WHITE_BRUSH)), a, RGN_OR), ERROR);
  EXPECT_EQ(BoxOf(keep, SIMPLEREGION), (RECT{1, 2, 3, 4}));
  RECT box;
  EXPECT_EQ(GetRgnBox(gone, &box), ERROR);
  EXPECT_FALSE(PtInRegion(gone, 1, 1) || EqualRgn(gone, gone) || SetRectRgn(gone, 0, 0, 1, 1));
  EXPECT_EQ(OffsetRgn(gone, 1, 1), ERROR);
}

TEST(RegionApi, CreationOrdersCornersAndRefusesWhatItCannotHold) {
  const int live = LiveObjectCount();
  {
    Rgn r(CreateRectRgn(10, 8, 2, 3));
    EXPECT_EQ(BoxOf(r, SIMPLEREGION), (RECT{2, 3, 10, 8}));
    const RECT probe{9, 7, 12, 12}, miss{10, 0, 12, 12};
    EXPECT_TRUE(RectInRegion(r, &probe));
    EXPECT_FALSE(RectInRegion(r, &miss) || RectInRegion(r, nullptr));
    EXPECT_EQ(OffsetRgn(r, -2, -3), SIMPLEREGION);
    EXPECT_EQ(BoxOf(r, SIMPLEREGION), (RECT{0, 0, 8, 5}));
    EXPECT_TRUE(SetRectRgn(r, 4, 4, 0, 0));
    EXPECT_EQ(BoxOf(r, SIMPLEREGION), (RECT{0, 0, 4, 4}));
    EXPECT_TRUE(SetRectRgn(r, 4, 4, 4, 9));
    EXPECT_EQ(BoxOf(r, NULLREGION), (RECT{0, 0, 0, 0}));
    EXPECT_EQ(OffsetRgn(r, 5, 5), NULLREGION);

    // Shapes end one pixel short of right and bottom.
    Rgn e(CreateEllipticRgn(0, 0, 6, 6));
    EXPECT_EQ(BoxOf(e, COMPLEXREGION), (RECT{0, 0, 5, 5}));
    const RECT er{6, 6, 0, 0};
    Rgn e2(CreateEllipticRgnIndirect(&er));
    EXPECT_TRUE(EqualRgn(e, e2));
    Rgn rr(CreateRoundRectRgn(0, 0, 20, 10, 6, 4));
    EXPECT_EQ(BoxOf(rr, COMPLEXREGION), (RECT{0, 0, 19, 9}));
    EXPECT_FALSE(PtInRegion(rr, 0, 0));
    EXPECT_TRUE(PtInRegion(rr, 0, 4));

    const POINT tri[] = {{10, 10}, {100, 10}, {55, 90}};
    Rgn p(CreatePolygonRgn(tri, 3, 1));
    EXPECT_TRUE(PtInRegion(p, 55, 50));
    EXPECT_EQ(CreatePolygonRgn(tri, 3, 3), nullptr);  // no such fill mode
    EXPECT_EQ(CreatePolygonRgn(tri, -1, 1), nullptr);
    EXPECT_EQ(CreatePolygonRgn(nullptr, 3, 1), nullptr);
    const POINT squares[] = {{0, 0}, {6, 0}, {6, 6}, {0, 6}, {3, 3}, {9, 3}, {9, 9}, {3, 9}};
    const int counts[] = {4, 4}, badCounts[] = {4, -4};
    Rgn alt(CreatePolyPolygonRgn(squares, counts, 2, 1)), wind(CreatePolyPolygonRgn(squares, counts, 2, 2));
    EXPECT_FALSE(PtInRegion(alt, 4, 4));
    EXPECT_TRUE(PtInRegion(wind, 4, 4));
    EXPECT_EQ(CreatePolyPolygonRgn(squares, badCounts, 2, 1), nullptr);

    // Too tall to hold: refused, nothing half made.
    const POINT huge[] = {{0, INT_MIN}, {INT_MAX, 0}, {0, INT_MAX}};
    EXPECT_EQ(CreatePolygonRgn(huge, 3, 1), nullptr);
    EXPECT_EQ(CreateEllipticRgn(0, INT_MIN, 4, INT_MAX), nullptr);
    // A far rectangle moves without wrapping.
    Rgn far(CreateRectRgn(INT_MIN, INT_MIN, INT_MAX, INT_MAX));
    EXPECT_EQ(OffsetRgn(far, INT_MAX, 0), SIMPLEREGION);
    EXPECT_EQ(BoxOf(far, SIMPLEREGION), (RECT{-1, INT_MIN, INT_MAX, INT_MAX}));
  }
  EXPECT_EQ(LiveObjectCount(), live);
}

TEST(RegionApi, RegionDataHasTheExactByteLayout) {
  Rgn a(CreateRectRgn(-1, 2, 5, 4)), b(CreateRectRgn(3, 4, 8, 6));
  ASSERT_EQ(CombineRgn(a, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(GetRegionData(a, 0, nullptr), 64u);
  const std::vector<unsigned char> want{
      0x20, 0, 0, 0, 0x01, 0, 0, 0, 0x02, 0, 0, 0, 0x20, 0, 0, 0,              // size, type, count, bytes
      0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0, 0, 0, 0x08, 0, 0, 0, 0x06, 0, 0, 0,     // bounds
      0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0, 0, 0, 0x05, 0, 0, 0, 0x04, 0, 0, 0,     // band 2..4
      0x03, 0, 0, 0, 0x04, 0, 0, 0, 0x08, 0, 0, 0, 0x06, 0, 0, 0,              // band 4..6
  };
  EXPECT_EQ(DataOf(a), want);

  std::vector<unsigned char> small(63, 0xAB);  // too small: 0, buffer untouched
  EXPECT_EQ(GetRegionData(a, 63, reinterpret_cast<RGNDATA*>(small.data())), 0u);
  EXPECT_EQ(small, std::vector<unsigned char>(63, 0xAB));
  std::vector<unsigned char> big(100, 0);  // larger: answers its own size
  EXPECT_EQ(GetRegionData(a, 100, reinterpret_cast<RGNDATA*>(big.data())), 100u);
  EXPECT_TRUE(std::equal(want.begin(), want.end(), big.begin()));

  Rgn empty(CreateRectRgn(0, 0, 0, 0));
  std::vector<unsigned char> emptyWant(32, 0);
  emptyWant[0] = 0x20;
  emptyWant[4] = 1;
  EXPECT_EQ(DataOf(empty), emptyWant);
  EXPECT_EQ(GetRegionData(nullptr, 0, nullptr), 0u);
}

TEST(RegionApi, RegionDataRoundTripsAndMoves) {
  Rgn e(CreateEllipticRgn(3, 1, 40, 25)), hole(CreateRectRgn(15, 8, 22, 14));
  ASSERT_EQ(CombineRgn(e, e, hole, RGN_DIFF), COMPLEXREGION);
  const auto bytes = DataOf(e);
  Rgn back(FromBytes(bytes));
  ASSERT_NE(back.h, nullptr);
  EXPECT_TRUE(EqualRgn(back, e));
  EXPECT_EQ(DataOf(back), bytes);

  const XFORM move{1, 0, 0, 1, 2.5f, -3.5f};  // halves round to even: 2, -4
  Rgn moved(FromBytes(bytes, &move));
  ASSERT_EQ(OffsetRgn(e, 2, -4), COMPLEXREGION);
  EXPECT_TRUE(EqualRgn(moved, e));
  const XFORM scale{2, 0, 0, 2, 0, 0};
  EXPECT_EQ(FromBytes(bytes, &scale), nullptr);
}

TEST(RegionApi, HostileRegionDataIsRefused) {
  const int live = LiveObjectCount();
  Rgn a(CreateRectRgn(0, 0, 4, 4)), b(CreateRectRgn(6, 0, 9, 4));
  CombineRgn(a, a, b, RGN_OR);
  const auto good = DataOf(a);  // two rectangles, 64 bytes
  ASSERT_EQ(good.size(), 64u);

  EXPECT_EQ(ExtCreateRegion(nullptr, 64, nullptr), nullptr);
  EXPECT_EQ(ExtCreateRegion(nullptr, 31, reinterpret_cast<const RGNDATA*>(good.data())), nullptr);
  EXPECT_EQ(ExtCreateRegion(nullptr, 63, reinterpret_cast<const RGNDATA*>(good.data())), nullptr);
  // header size; type; count beyond the bytes; huge count; count whose byte size wraps in
  // 32 bits; a rectangle with left > right.
  for (auto [at, value] : {std::pair<std::size_t, DWORD>{0, 40}, {4, 2}, {8, 3}, {8, 0xFFFFFFFFu}, {8, 0x10000001u},
                           {32, 5}}) {
    auto bad = good;
    PutDword(bad, at, value);
    EXPECT_EQ(FromBytes(bad), nullptr) << "field at " << at << " = " << value;
  }
  EXPECT_EQ(LiveObjectCount(), live + 2);

  // Untrusted fields (byte count, bounds) are ignored; order and overlap are sorted out;
  // empty rectangles are skipped.
  std::vector<unsigned char> loose(32 + 4 * 16, 0);
  const DWORD header[] = {32, 1, 4, 999, 77};
  for (int i = 0; i < 5; ++i) PutDword(loose, 4 * i, header[i]);
  const LONG rects[4][4] = {{4, 3, 9, 9}, {0, 0, 9, 3}, {0, 3, 5, 9}, {2, 2, 2, 7}};
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 4; ++k) PutDword(loose, 32 + i * 16 + k * 4, static_cast<DWORD>(rects[i][k]));
  Rgn sorted(FromBytes(loose)), square(CreateRectRgn(0, 0, 9, 9));
  ASSERT_NE(sorted.h, nullptr);
  EXPECT_EQ(DataOf(sorted), DataOf(square));

  // Random damage never reads outside the data (checked under the sanitizers), and what
  // is accepted is a well-formed region.
  Rgn e(CreateEllipticRgn(0, 0, 30, 20));
  const auto base = DataOf(e);
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    auto damaged = base;
    for (int i = 0, n = 1 + static_cast<int>(rng() % 4); i < n; ++i)
      damaged[rng() % damaged.size()] = static_cast<unsigned char>(rng());
    const auto size = static_cast<DWORD>(rng() % 2 ? damaged.size() : rng() % damaged.size());
    Rgn r(ExtCreateRegion(nullptr, size, reinterpret_cast<const RGNDATA*>(damaged.data())));
    if (!r.h) continue;
    Rgn again(FromBytes(DataOf(r)));
    ASSERT_TRUE(EqualRgn(again, r));
  }
  EXPECT_EQ(LiveObjectCount(), live + 5);
}

// A 32-bit top-down DIB section in a memory DC, filled white.
struct Canvas {
  Canvas(int w, int h) : w(w), h(h) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    void* p = nullptr;
    bmp = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<std::uint32_t*>(p);
    old = SelectObject(dc, bmp);
    PatBlt(dc, 0, 0, w, h, WHITENESS);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  std::uint32_t At(int x, int y) const { return bits[y * w + x] & 0xFFFFFF; }
  std::vector<std::uint32_t> Pixels() const { return std::vector<std::uint32_t>(bits, bits + w * h); }
  int w, h;
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
  std::uint32_t* bits;
};

constexpr std::uint32_t kWhite = 0xFFFFFF, kRed = 0xFF0000;  // pixels are 0x00RRGGBB

TEST(RegionPaint, FillRgnPaintsExactlyTheRegionsPixels) {
  Canvas c(16, 12);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  Rgn e(CreateEllipticRgn(1, 1, 15, 11));
  const HGDIOBJ before = GetCurrentObject(c.dc, OBJ_BRUSH);
  ASSERT_TRUE(FillRgn(c.dc, e, red));
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_BRUSH), before);  // the DC's brush is given back
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) ASSERT_EQ(c.At(x, y), PtInRegion(e, x, y) ? kRed : kWhite) << x << "," << y;

  // Logical coordinates: with the viewport moved, the region lands moved.
  Canvas m(8, 8);
  SetViewportOrgEx(m.dc, 2, 3, nullptr);
  Rgn dot(CreateRectRgn(0, 0, 1, 1));
  ASSERT_TRUE(FillRgn(m.dc, dot, red));
  EXPECT_EQ(m.At(2, 3), kRed);
  EXPECT_EQ(m.At(0, 0), kWhite);

  // Far regions are cut to the surface.
  Rgn all(CreateRectRgn(INT_MIN, INT_MIN, INT_MAX, INT_MAX));
  ASSERT_TRUE(FillRgn(c.dc, all, red));
  EXPECT_EQ(c.Pixels(), std::vector<std::uint32_t>(16 * 12, kRed));

  // Bad handles fail and draw nothing.
  Canvas n(4, 4);
  HRGN gone = CreateRectRgn(0, 0, 4, 4);
  DeleteObject(gone);
  EXPECT_FALSE(FillRgn(n.dc, gone, red) || FillRgn(n.dc, all, nullptr) || FillRgn(nullptr, all, red));
  EXPECT_EQ(n.At(1, 1), kWhite);
  DeleteObject(red);
}

TEST(RegionPaint, PaintingFollowsTheClipAndTheMixMode) {
  Canvas c(10, 10);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), teal = CreateSolidBrush(RGB(0, 128, 128)),
         yellow = CreateSolidBrush(RGB(255, 255, 0));
  Rgn clip(CreateRectRgn(0, 0, 5, 10)), r(CreateRectRgn(2, 2, 8, 8));
  SelectClipRgn(c.dc, clip);
  ASSERT_TRUE(FillRgn(c.dc, r, red));
  EXPECT_EQ(c.At(4, 4), kRed);
  EXPECT_EQ(c.At(5, 4), kWhite);

  // XOR twice restores the buffer byte for byte.
  Canvas x(12, 12);
  Rgn e(CreateEllipticRgn(0, 0, 12, 12)), f(CreateRoundRectRgn(2, 3, 12, 11, 4, 4));
  FillRgn(x.dc, e, red);
  const auto before = x.Pixels();
  SetROP2(x.dc, R2_XORPEN);
  ASSERT_TRUE(FillRgn(x.dc, f, teal));
  EXPECT_EQ(x.At(5, 5), kRed ^ 0x008080u);
  ASSERT_TRUE(FillRgn(x.dc, f, teal));
  EXPECT_EQ(x.Pixels(), before);

  // The masking mode keeps what both have: white turns yellow, red stays red.
  SetROP2(x.dc, R2_MASKPEN);
  Rgn band(CreateRectRgn(0, 5, 12, 6));
  ASSERT_TRUE(FillRgn(x.dc, band, yellow));
  EXPECT_EQ(x.At(11, 5), 0xFFFF00u);  // outside the ellipse
  EXPECT_EQ(x.At(5, 5), kRed);

  // PaintRgn uses the selected brush.
  Canvas p(6, 6);
  const HGDIOBJ old = SelectObject(p.dc, red);
  Rgn sq(CreateRectRgn(1, 1, 3, 3));
  ASSERT_TRUE(PaintRgn(p.dc, sq));
  EXPECT_EQ(p.At(2, 2), kRed);
  EXPECT_EQ(p.At(3, 3), kWhite);
  SelectObject(p.dc, old);
  for (HBRUSH b : {red, teal, yellow}) DeleteObject(b);
}

TEST(RegionPaint, FrameAndInvert) {
  Canvas c(24, 20);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  Rgn e(CreateEllipticRgn(1, 1, 23, 19));
  ASSERT_TRUE(FrameRgn(c.dc, e, red, 2, 3));
  const Region frame = Region::Ellipse(1, 1, 23, 19).Frame(2, 3);
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) ASSERT_EQ(c.At(x, y), frame.Contains(x, y) ? kRed : kWhite) << x << "," << y;
  EXPECT_EQ(c.At(11, 1), kRed);
  EXPECT_EQ(c.At(11, 4), kWhite);  // three rows down from the top is inside
  EXPECT_FALSE(FrameRgn(c.dc, e, red, -1, 1));

  Canvas v(8, 8);
  Rgn small(CreateEllipticRgn(0, 0, 8, 8));
  FillRgn(v.dc, small, red);
  const auto before = v.Pixels();
  Rgn sq(CreateRectRgn(2, 2, 6, 6));
  ASSERT_TRUE(InvertRgn(v.dc, sq));
  EXPECT_EQ(v.At(3, 3), 0x00FFFFu);  // red inverted
  EXPECT_EQ(v.At(1, 1), before[1 * 8 + 1] & 0xFFFFFF);
  ASSERT_TRUE(InvertRgn(v.dc, sq));
  EXPECT_EQ(v.Pixels(), before);
  DeleteObject(red);
}

// A filled region covers exactly what the same shape drawn with a null pen covers, so
// clipping to a shape and drawing it agree.
TEST(RegionPaint, FilledShapesMatchTheNullPenPrimitives) {
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  auto viaRegion = [&](HRGN r) {
    Canvas c(32, 32);
    FillRgn(c.dc, r, black);
    DeleteObject(r);
    return c.Pixels();
  };
  auto viaShape = [&](auto&& shape) {
    Canvas c(32, 32);
    SelectObject(c.dc, GetStockObject(NULL_PEN));
    SelectObject(c.dc, black);
    shape(c.dc);
    return c.Pixels();
  };
  for (int w = 2; w < 30; w += 3)
    for (int h = 2; h < 30; h += 2) {
      ASSERT_EQ(viaRegion(CreateEllipticRgn(1, 1, 1 + w, 1 + h)), viaShape([&](HDC dc) { Ellipse(dc, 1, 1, 1 + w, 1 + h); }))
          << "ellipse " << w << "x" << h;
      for (int k = 2; k < 14; k += 5)
        ASSERT_EQ(viaRegion(CreateRoundRectRgn(1, 1, 1 + w, 1 + h, k, k + 2)),
                  viaShape([&](HDC dc) { RoundRect(dc, 1, 1, 1 + w, 1 + h, k, k + 2); }))
            << "round rectangle " << w << "x" << h << " corner " << k;
    }
  const POINT star[] = {{15, 0}, {24, 28}, {1, 10}, {29, 10}, {6, 28}};
  for (int mode : {1, 2})
    EXPECT_EQ(viaRegion(CreatePolygonRgn(star, 5, mode)), viaShape([&](HDC dc) {
                SetPolyFillMode(dc, mode);
                Polygon(dc, star, 5);
              }))
        << "fill mode " << mode;
}

TEST(Rect, HelpersFollowTheWindowSystemsRules) {
  RECT r{};
  EXPECT_TRUE(SetRect(&r, 1, 2, 5, 6));
  EXPECT_EQ(r, (RECT{1, 2, 5, 6}));
  EXPECT_TRUE(PtInRect(&r, POINT{1, 2}) && PtInRect(&r, POINT{4, 5}));
  EXPECT_FALSE(PtInRect(&r, POINT{5, 5}) || PtInRect(&r, POINT{4, 6}) || PtInRect(nullptr, POINT{0, 0}));
  const RECT inverted{5, 5, 1, 9}, flat{0, 3, 10, 3};
  EXPECT_TRUE(IsRectEmpty(&inverted) && IsRectEmpty(&flat) && IsRectEmpty(nullptr));
  EXPECT_FALSE(IsRectEmpty(&r) || SetRect(nullptr, 0, 0, 1, 1));

  // Empty results are zeroed and answer 0.
  RECT out{9, 9, 9, 9};
  const RECT a{0, 0, 10, 10}, b{5, 5, 15, 15}, touching{10, 0, 20, 10};
  EXPECT_TRUE(IntersectRect(&out, &a, &b));
  EXPECT_EQ(out, (RECT{5, 5, 10, 10}));
  EXPECT_FALSE(IntersectRect(&out, &a, &touching));
  EXPECT_EQ(out, (RECT{}));
  out = RECT{9, 9, 9, 9};
  EXPECT_FALSE(IntersectRect(&out, &a, &inverted));
  EXPECT_EQ(out, (RECT{}));
  EXPECT_TRUE(UnionRect(&out, &a, &touching));
  EXPECT_EQ(out, (RECT{0, 0, 20, 10}));
  EXPECT_TRUE(UnionRect(&out, &flat, &b));  // empty ones are left out
  EXPECT_EQ(out, b);
  EXPECT_FALSE(UnionRect(&out, &flat, &inverted));
  EXPECT_EQ(out, (RECT{}));

  // Subtract: only a cut across a whole side shrinks the rectangle.
  const RECT top{-5, -5, 15, 3}, middle{3, 3, 6, 6}, left{-1, -1, 4, 11}, bottom{0, 7, 10, 10}, cover{-1, -1, 11, 11};
  EXPECT_TRUE(SubtractRect(&out, &a, &top));
  EXPECT_EQ(out, (RECT{0, 3, 10, 10}));
  EXPECT_TRUE(SubtractRect(&out, &a, &left));
  EXPECT_EQ(out, (RECT{4, 0, 10, 10}));
  EXPECT_TRUE(SubtractRect(&out, &a, &bottom));
  EXPECT_EQ(out, (RECT{0, 0, 10, 7}));
  EXPECT_TRUE(SubtractRect(&out, &a, &middle));
  EXPECT_EQ(out, a);
  EXPECT_FALSE(SubtractRect(&out, &a, &cover));
  EXPECT_EQ(out, (RECT{}));

  RECT g = a;
  EXPECT_TRUE(InflateRect(&g, 2, -3));
  EXPECT_EQ(g, (RECT{-2, 3, 12, 7}));
  EXPECT_TRUE(OffsetRect(&g, -1, 4));
  EXPECT_EQ(g, (RECT{-3, 7, 11, 11}));
  RECT far{INT_MAX - 5, INT_MIN + 5, INT_MAX - 1, INT_MIN + 9};
  EXPECT_TRUE(OffsetRect(&far, 10, -10));  // saturates instead of wrapping
  EXPECT_EQ(far, (RECT{INT_MAX, INT_MIN, INT_MAX, INT_MIN}));
  RECT wide{0, 0, 1, 1};
  EXPECT_TRUE(InflateRect(&wide, INT_MAX, INT_MAX));
  EXPECT_EQ(wide, (RECT{-INT_MAX, -INT_MAX, INT_MAX, INT_MAX}));

  EXPECT_TRUE(CopyRect(&out, &b));
  EXPECT_TRUE(EqualRect(&out, &b));
  EXPECT_FALSE(EqualRect(&out, &a) || EqualRect(&out, nullptr));
  EXPECT_TRUE(SetRectEmpty(&out));
  EXPECT_EQ(out, (RECT{}));
}

}  // namespace
}  // namespace win
