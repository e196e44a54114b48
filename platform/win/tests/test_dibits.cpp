// Device-independent bits: round trips at every depth, exact bytes, row order, files
// written by netpbm, hostile headers, and PNG output read back by netpbm.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "dib_canvas.h"
#include "platform/win/gdi.h"

using namespace win;
namespace fs = std::filesystem;

namespace {

struct Canvas : DibCanvas {
  Canvas(int width, int height) : DibCanvas(width, height, 0) {}
};

// A BITMAPINFO with room for a full colour table.
struct Info {
  alignas(4) BYTE raw[sizeof(BITMAPINFOHEADER) + 256 * 4] = {};
  BITMAPINFO* bmi() { return reinterpret_cast<BITMAPINFO*>(raw); }
  Info(int w, int h, int bpp, DWORD compression = BI_RGB) {
    bmi()->bmiHeader.biSize = 40;
    bmi()->bmiHeader.biPlanes = 1;
    bmi()->bmiHeader.biWidth = w;
    bmi()->bmiHeader.biHeight = h;
    bmi()->bmiHeader.biBitCount = static_cast<WORD>(bpp);
    bmi()->bmiHeader.biCompression = compression;
  }
  void Masks(DWORD r, DWORD g, DWORD b) {
    std::memcpy(raw + 40, &r, 4);
    std::memcpy(raw + 44, &g, 4);
    std::memcpy(raw + 48, &b, 4);
  }
};

fs::path TempDir() {
  fs::path d = fs::temp_directory_path() / ("qm_dibits_" + std::to_string(::getpid()));
  fs::create_directories(d);
  return d;
}

std::vector<BYTE> ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(f), {});
}

bool Have(const char* tool) { return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }

// Colours every format can hold exactly.
const DWORD kPalette[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF};

}  // namespace

TEST(DiBits, RoundTripAtEveryDepthAndRowOrder) {
  struct Depth {
    int bpp;
    DWORD compression;
    DWORD masks[3];
    int colours;  // how many of kPalette the depth holds
  };
  const Depth depths[] = {{1, BI_RGB, {}, 2},
                          {4, BI_RGB, {}, 8},
                          {8, BI_RGB, {}, 8},
                          {16, BI_RGB, {}, 8},
                          {16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, 8},
                          {24, BI_RGB, {}, 8},
                          {32, BI_RGB, {}, 8}};
  const int W = 5, H = 3;
  for (const Depth& d : depths) {
    for (int sign : {1, -1}) {
      Canvas a(W, H), b(W, H);
      for (int i = 0; i < W * H; ++i) a.bits[i] = kPalette[(i * 3 + i / W) % d.colours];
      Info info(W, sign * H, d.bpp, d.compression);
      if (d.compression == BI_BITFIELDS) info.Masks(d.masks[0], d.masks[1], d.masks[2]);
      // The size query fills the image size: rows padded to 4 bytes.
      ASSERT_EQ(GetDIBits(a.dc, a.bm, 0, H, nullptr, info.bmi(), DIB_RGB_COLORS), 1);
      const DWORD stride = ((W * d.bpp + 31) / 32) * 4;
      EXPECT_EQ(info.bmi()->bmiHeader.biSizeImage, stride * H);
      std::vector<BYTE> buf(stride * H, 0xCC);
      ASSERT_EQ(GetDIBits(a.dc, a.bm, 0, H, buf.data(), info.bmi(), DIB_RGB_COLORS), H) << d.bpp;
      ASSERT_EQ(SetDIBits(b.dc, b.bm, 0, H, buf.data(), info.bmi(), DIB_RGB_COLORS), H);
      for (int i = 0; i < W * H; ++i) ASSERT_EQ(b.bits[i], a.bits[i]) << "depth " << d.bpp << " pixel " << i << " sign " << sign;
    }
  }
}

TEST(DiBits, ExactBytesOfBottomUpRowsWithPadding) {
  Canvas a(3, 2);
  a.bits[0] = 0xFF0000;  // red, top row
  a.bits[1] = 0x00FF00;
  a.bits[2] = 0x0000FF;
  a.bits[3] = 0xFFFFFF;  // bottom row
  a.bits[4] = 0x000000;
  a.bits[5] = 0x010203;
  Info info(3, 2, 24);
  BYTE buf[24];
  ASSERT_EQ(GetDIBits(a.dc, a.bm, 0, 2, buf, info.bmi(), DIB_RGB_COLORS), 2);
  const BYTE want[24] = {0xFF, 0xFF, 0xFF, 0, 0, 0, 0x03, 0x02, 0x01, 0, 0, 0,   // bottom row first
                         0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0, 0};            // blue, green, red bytes
  EXPECT_EQ(0, std::memcmp(buf, want, 24));
  // One scan line from the middle: scan 1 of a bottom-up DIB is the top row.
  BYTE one[12];
  ASSERT_EQ(GetDIBits(a.dc, a.bm, 1, 5, one, info.bmi(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(0, std::memcmp(one, want + 12, 12));

  Canvas m(5, 1);
  const DWORD px[5] = {0, 0xFFFFFF, 0xFFFFFF, 0, 0xFFFFFF};
  std::memcpy(m.bits, px, sizeof px);
  Info mono(5, 1, 1);
  BYTE mb[4] = {9, 9, 9, 9};
  ASSERT_EQ(GetDIBits(m.dc, m.bm, 0, 1, mb, mono.bmi(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(mb[0], 0x68);  // 0 1 1 0 1, then padding
  EXPECT_EQ(mb[1] | mb[2] | mb[3], 0);
  EXPECT_EQ(mono.bmi()->bmiColors[0], (RGBQUAD{0, 0, 0, 0}));
  const RGBQUAD* table = mono.bmi()->bmiColors;
  EXPECT_EQ(table[1], (RGBQUAD{255, 255, 255, 0}));
}

TEST(DiBits, DescribeABitmapWithBitCountZero) {
  HBITMAP ddb = CreateBitmap(7, 4, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  Info info(0, 0, 0);
  ASSERT_EQ(GetDIBits(dc, ddb, 0, 0, nullptr, info.bmi(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(info.bmi()->bmiHeader.biWidth, 7);
  EXPECT_EQ(info.bmi()->bmiHeader.biHeight, 4);
  EXPECT_EQ(info.bmi()->bmiHeader.biBitCount, 1);
  EXPECT_EQ(info.bmi()->bmiHeader.biSizeImage, 16u);
  BITMAP bm;
  ASSERT_EQ(GetObject(ddb, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidthBytes, 2);  // device bitmaps pad rows to 2 bytes
  EXPECT_EQ(bm.bmBits, nullptr);
  DeleteDC(dc);
  DeleteObject(ddb);
}

TEST(DiBits, StretchDIBitsAndSetDIBitsToDeviceCountBottomUpRowsFromTheBottom) {
  // A 2 x 3 8-bit bottom-up DIB: rows in memory bottom first.
  Info info(2, 3, 8);
  RGBQUAD* t = info.bmi()->bmiColors;
  t[0] = RGBQUAD{0, 0, 255, 0};    // red
  t[1] = RGBQUAD{0, 255, 0, 0};    // green
  t[2] = RGBQUAD{255, 0, 0, 0};    // blue
  info.bmi()->bmiHeader.biClrUsed = 3;
  const BYTE bits[12] = {0, 0, 0, 0,   // bottom row: red red
                         1, 1, 0, 0,   // middle: green green
                         2, 2, 0, 0};  // top: blue blue
  Canvas c(2, 3);
  ASSERT_EQ(StretchDIBits(c.dc, 0, 0, 2, 3, 0, 0, 2, 3, bits, info.bmi(), DIB_RGB_COLORS, SRCCOPY), 3);
  EXPECT_EQ(GetPixel(c.dc, 0, 0), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(c.dc, 0, 2), RGB(255, 0, 0));
  // The source rectangle (0, 0, 2 x 1) is the bottom row; stretched over the canvas.
  ASSERT_EQ(StretchDIBits(c.dc, 0, 0, 2, 3, 0, 0, 2, 1, bits, info.bmi(), DIB_RGB_COLORS, SRCCOPY), 3);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(GetPixel(c.dc, 1, y), RGB(255, 0, 0));
  // SetDIBitsToDevice with only the upper two scans in the buffer (scans 1 and 2).
  Canvas d(2, 3);
  std::memset(d.bits, 0, 24);
  ASSERT_EQ(SetDIBitsToDevice(d.dc, 0, 0, 2, 3, 0, 0, 1, 2, bits + 4, info.bmi(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(GetPixel(d.dc, 0, 0), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(d.dc, 0, 1), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(d.dc, 0, 2), 0u);  // scan 0 was not given
}

TEST(DiBits, FilesWrittenByNetpbmDrawTheirPixels) {
  if (!Have("ppmtobmp")) GTEST_SKIP() << "netpbm missing";
  const fs::path dir = TempDir();
  // 5 x 3 picture of eight colours (two for the 1-bit file).
  for (int bpp : {1, 4, 8, 24}) {
    const int colours = bpp == 1 ? 2 : 8;
    std::string ppm = "P3\n5 3\n255\n";
    std::vector<DWORD> want;
    for (int i = 0; i < 15; ++i) {
      const DWORD c = kPalette[(i * 5 + i / 5) % colours];
      want.push_back(c);
      ppm += std::to_string(c >> 16) + " " + std::to_string((c >> 8) & 255) + " " + std::to_string(c & 255) + "\n";
    }
    const fs::path in = dir / "in.ppm", out = dir / ("out" + std::to_string(bpp) + ".bmp");
    std::ofstream(in) << ppm;
    const std::string cmd = "ppmtobmp -bpp=" + std::to_string(bpp) + " " + in.string() + " > " +
                            out.string() + " 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    const std::vector<BYTE> file = ReadFile(out);
    ASSERT_GT(file.size(), 54u);
    DWORD offBits;
    std::memcpy(&offBits, file.data() + 10, 4);
    ASSERT_LT(offBits, file.size());
    // An aligned copy of the header and colour table.
    std::vector<DWORD> head((offBits - 14 + 3) / 4 + 1);
    std::memcpy(head.data(), file.data() + 14, offBits - 14);
    const auto* bmi = reinterpret_cast<const BITMAPINFO*>(head.data());
    ASSERT_EQ(bmi->bmiHeader.biBitCount, bpp);
    Canvas c(5, 3), s(5, 3);
    ASSERT_EQ(StretchDIBits(c.dc, 0, 0, 5, 3, 0, 0, 5, 3, file.data() + offBits, bmi, DIB_RGB_COLORS, SRCCOPY), 3);
    ASSERT_EQ(SetDIBits(s.dc, s.bm, 0, 3, file.data() + offBits, bmi, DIB_RGB_COLORS), 3);
    for (int i = 0; i < 15; ++i) {
      EXPECT_EQ(c.bits[i], want[static_cast<std::size_t>(i)]) << "bpp " << bpp << " pixel " << i;
      EXPECT_EQ(s.bits[i], want[static_cast<std::size_t>(i)]) << "bpp " << bpp << " pixel " << i;
    }
  }
  fs::remove_all(dir);
}

TEST(DiBits, HostileHeadersAreRefusedAndLeaveTheBitmapAlone) {
  void* bits = reinterpret_cast<void*>(1);
  auto refused = [&](Info& info) {
    bits = reinterpret_cast<void*>(1);
    HBITMAP b = CreateDIBSection(nullptr, info.bmi(), DIB_RGB_COLORS, &bits, nullptr, 0);
    const bool ok = b == nullptr && bits == nullptr;
    if (b) DeleteObject(b);
    return ok;
  };
  Info depth(4, 4, 7);
  EXPECT_TRUE(refused(depth));
  Info negWidth(-4, 4, 32);
  EXPECT_TRUE(refused(negWidth));
  Info zeroHeight(4, 0, 32);
  EXPECT_TRUE(refused(zeroHeight));
  Info minHeight(4, INT32_MIN, 32);
  EXPECT_TRUE(refused(minHeight));
  Info rle(4, 4, 8, BI_RLE8);
  EXPECT_TRUE(refused(rle));
  Info zeroMask(4, 4, 16, BI_BITFIELDS);
  zeroMask.Masks(0xF800, 0, 0x1F);
  EXPECT_TRUE(refused(zeroMask));
  Info holes(4, 4, 16, BI_BITFIELDS);
  holes.Masks(0xF0F0, 0x0F00, 0x000F);
  EXPECT_TRUE(refused(holes));
  Info bitfields24(4, 4, 24, BI_BITFIELDS);
  bitfields24.Masks(0xFF0000, 0xFF00, 0xFF);
  EXPECT_TRUE(refused(bitfields24));
  Info huge(100000, 100000, 32);
  EXPECT_TRUE(refused(huge));
  Info smallHeader(4, 4, 32);
  smallHeader.bmi()->bmiHeader.biSize = 12;
  EXPECT_TRUE(refused(smallHeader));

  Canvas c(2, 2);
  for (int i = 0; i < 4; ++i) c.bits[i] = 0x123456;
  const BYTE data[16] = {};
  EXPECT_EQ(SetDIBits(c.dc, c.bm, 0, 2, data, depth.bmi(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, data, rle.bmi(), DIB_RGB_COLORS, SRCCOPY), 0);
  EXPECT_EQ(SetDIBits(c.dc, c.bm, 0, 2, data, Info(2, 2, 32).bmi(), DIB_PAL_COLORS), 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(c.bits[i], 0x123456u);
}

TEST(DiBits, DibSectionSharesItsMemoryWithTheDc) {
  Canvas c(4, 4);
  c.bits[5] = 0x00ABCDEF;
  EXPECT_EQ(GetPixel(c.dc, 1, 1), RGB(0xAB, 0xCD, 0xEF));
  SetPixel(c.dc, 2, 3, RGB(1, 2, 3));
  EXPECT_EQ(c.bits[14], 0x00010203u);
  // A bottom-up section: the memory starts with the bottom row.
  Info info(2, 2, 32);
  void* p = nullptr;
  HBITMAP bu = CreateDIBSection(nullptr, info.bmi(), DIB_RGB_COLORS, &p, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bu);
  SetPixel(dc, 0, 1, RGB(9, 8, 7));
  EXPECT_EQ(static_cast<DWORD*>(p)[0], 0x00090807u);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bu);
}

TEST(DiBits, PngOfADcReadsBackThroughNetpbm) {
  if (!Have("pngtopnm")) GTEST_SKIP() << "netpbm missing";
  Canvas c(3, 2);
  const DWORD px[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0x102030, 0xFFFFFF, 0x000000};
  std::memcpy(c.bits, px, sizeof px);
  const fs::path dir = TempDir();
  std::string error;
  ASSERT_TRUE(WriteDCToPng(c.dc, (dir / "dc.png").string(), &error)) << error;
  ASSERT_EQ(std::system(("pngtopnm " + (dir / "dc.png").string() + " > " + (dir / "dc.ppm").string()).c_str()), 0);
  const std::vector<BYTE> ppm = ReadFile(dir / "dc.ppm");
  const std::string head = "P6\n3 2\n255\n";
  ASSERT_GE(ppm.size(), head.size() + 18);
  EXPECT_EQ(std::string(ppm.begin(), ppm.begin() + static_cast<long>(head.size())), head);
  for (int i = 0; i < 6; ++i) {
    const BYTE* q = ppm.data() + head.size() + i * 3;
    EXPECT_EQ((DWORD{q[0]} << 16) | (DWORD{q[1]} << 8) | q[2], px[i]) << i;
  }
  EXPECT_FALSE(WriteDCToPng(c.dc, (dir / "no/such/dir.png").string(), &error));
  EXPECT_FALSE(error.empty());
  fs::remove_all(dir);
}
