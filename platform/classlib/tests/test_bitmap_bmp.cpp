#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/bmp_format.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/resources.h"
#include "platform/classlib/streams.h"
#include "platform/win/gdi.h"

namespace {

// ---- files and tools ----------------------------------------------------------------------

std::string NewTempDir() {
  std::string tmpl = ::testing::TempDir() + "qm_bmp_XXXXXX";
  char* dir = mkdtemp(tmpl.data());
  return dir ? std::string(dir) + "/" : std::string();
}

bool HaveConvert() { return std::system("command -v convert >/dev/null 2>&1") == 0; }

std::vector<Byte> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<Byte>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<Byte>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct Rgb {
  int r, g, b;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Ppm {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;
  Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// A binary PPM ("P6", maxval 255) as ImageMagick writes it.
Ppm ReadPpm(const std::string& path) {
  const std::vector<Byte> b = ReadFileBytes(path);
  Ppm p;
  std::size_t i = 0;
  auto token = [&]() {
    while (i < b.size() && (b[i] == ' ' || b[i] == '\n' || b[i] == '\r' || b[i] == '\t')) ++i;
    std::string t;
    while (i < b.size() && !(b[i] == ' ' || b[i] == '\n' || b[i] == '\r' || b[i] == '\t')) t += static_cast<char>(b[i++]);
    return t;
  };
  if (token() != "P6") return p;
  p.width = std::stoi(token());
  p.height = std::stoi(token());
  token();  // maxval
  ++i;
  for (int k = 0; k < p.width * p.height && i + 2 < b.size() + 0; ++k, i += 3) p.pixels.push_back({b[i], b[i + 1], b[i + 2]});
  return p;
}

void WritePpm(const std::string& path, const Ppm& p) {
  std::string header = "P6 " + std::to_string(p.width) + " " + std::to_string(p.height) + " 255\n";
  std::vector<Byte> bytes(header.begin(), header.end());
  for (const Rgb& c : p.pixels) {
    bytes.push_back(static_cast<Byte>(c.r));
    bytes.push_back(static_cast<Byte>(c.g));
    bytes.push_back(static_cast<Byte>(c.b));
  }
  WriteFileBytes(path, bytes);
}

// A 16 x 8 picture: three rows of long runs, then busy rows, from `colors`.
Ppm Pattern(const std::vector<Rgb>& colors) {
  Ppm p;
  p.width = 16;
  p.height = 8;
  const auto n = static_cast<int>(colors.size());
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) p.pixels.push_back(y < 3 ? colors[(x / 4 + y) % n] : colors[(x * 3 + y * 5) % n]);
  return p;
}

const std::vector<Rgb> kEight = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0},
                                 {0, 0, 0},   {255, 255, 255}, {128, 64, 32}, {10, 200, 150}};

std::vector<Rgb> ManyColors(int n) {
  std::vector<Rgb> c;
  for (int i = 0; i < n; ++i) c.push_back({(i * 37) % 256, (i * 91 + 13) % 256, (i * 53 + 200) % 256});
  return c;
}

// Colour of a pixel through the canvas (the window system's reading of the pixel).
Rgb PixelOf(TBitmap& bmp, int x, int y) {
  const TColor c = bmp.Canvas()->Pixels(x, y);
  return {c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF};
}

std::vector<Byte> SaveBytes(TBitmap& bmp) {
  TMemoryStream s;
  bmp.SaveToStream(s);
  const auto* p = static_cast<const Byte*>(s.Memory());
  return std::vector<Byte>(p, p + s.Size());
}

void LoadBytes(TBitmap& bmp, const std::vector<Byte>& bytes) {
  TMemoryStream s;
  if (!bytes.empty()) s.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  s.SetPosition(0);
  bmp.LoadFromStream(s);
}

std::uint32_t U32At(const std::vector<Byte>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
void PutU32At(std::vector<Byte>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<Byte>(v >> (8 * i));
}

// Rows as bytes through ScanLine, only the bytes that hold pixels.
std::vector<std::vector<Byte>> Rows(TBitmap& bmp, int bitsPerPixel) {
  std::vector<std::vector<Byte>> rows;
  const std::size_t n = static_cast<std::size_t>((bmp.Width() * bitsPerPixel + 7) / 8);
  for (int y = 0; y < bmp.Height(); ++y) {
    const auto* p = static_cast<const Byte*>(bmp.ScanLine(y));
    rows.emplace_back(p, p + n);
  }
  return rows;
}

// A small image every refusal test starts from, and a check that it is still there.
void MakeKnown(TBitmap& bmp) {
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(3, 2);
  bmp.Canvas()->SetPixels(0, 0, 0x0000FF);
  bmp.Canvas()->SetPixels(2, 1, 0x00FF00);
}
void ExpectKnown(TBitmap& bmp) {
  EXPECT_EQ(bmp.Width(), 3);
  EXPECT_EQ(bmp.Height(), 2);
  EXPECT_EQ(bmp.PixelFormat(), pf24bit);
  EXPECT_EQ(PixelOf(bmp, 0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(PixelOf(bmp, 2, 1), (Rgb{0, 255, 0}));
  EXPECT_EQ(PixelOf(bmp, 1, 0), (Rgb{255, 255, 255}));
}

}  // namespace

// ---- writing and reading our own files ---------------------------------------------------------

TEST(BitmapBmp, RoundTripKeepsEveryPixelAtEveryDepth) {
  const struct {
    TPixelFormat format;
    int bits;
  } cases[] = {{pf1bit, 1}, {pf4bit, 4}, {pf8bit, 8}, {pf15bit, 16}, {pf16bit, 16}, {pf24bit, 24}, {pf32bit, 32}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits);
    TBitmap bmp;
    bmp.SetPixelFormat(c.format);
    bmp.SetSize(13, 7);  // odd width: rows need padding
    const int rowBytes = (13 * c.bits + 7) / 8;
    for (int y = 0; y < 7; ++y) {
      auto* row = static_cast<Byte*>(bmp.ScanLine(y));
      for (int i = 0; i < rowBytes; ++i) row[i] = static_cast<Byte>((y * 31 + i * 7 + 3) & 0xFF);
      if (c.bits == 1 || c.bits == 4) row[rowBytes - 1] &= static_cast<Byte>(c.bits == 1 ? 0xF8 : 0xF0);  // 13 px
      if (c.format == pf15bit)
        for (int i = 1; i < rowBytes; i += 2) row[i] &= 0x7F;  // the unused top bit of 5-5-5
    }
    const auto before = Rows(bmp, c.bits);
    const std::vector<Byte> file = SaveBytes(bmp);

    TBitmap back;
    LoadBytes(back, file);
    EXPECT_EQ(back.PixelFormat(), c.format);
    EXPECT_EQ(back.Width(), 13);
    EXPECT_EQ(back.Height(), 7);
    EXPECT_EQ(Rows(back, c.bits), before);
    EXPECT_EQ(SaveBytes(back), file);  // and written again byte for byte
  }
}

TEST(BitmapBmp, DeviceBitmapsSaveAtTheirOwnDepth) {
  const struct {
    int screenBits;
    TPixelFormat saved;
  } cases[] = {{32, pf32bit}, {16, pf16bit}, {24, pf24bit}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.screenBits);
    ASSERT_TRUE(win::SetScreenBitsPerPixel(c.screenBits));
    TBitmap ddb;
    ddb.SetSize(3, 2);
    ddb.Canvas()->SetPixels(2, 1, clRed);
    ddb.Canvas()->SetPixels(0, 0, clBlue);
    EXPECT_EQ(ddb.PixelFormat(), pfDevice);
    TBitmap back;
    LoadBytes(back, SaveBytes(ddb));
    EXPECT_EQ(back.PixelFormat(), c.saved);
    EXPECT_EQ(PixelOf(back, 2, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(PixelOf(back, 0, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(PixelOf(back, 1, 0), (Rgb{255, 255, 255}));
  }
  win::SetScreenBitsPerPixel(32);

  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(9, 2);
  mono.Canvas()->SetPixels(8, 1, clBlack);
  TBitmap back;
  LoadBytes(back, SaveBytes(mono));
  EXPECT_EQ(back.PixelFormat(), pf1bit);
  EXPECT_EQ(PixelOf(back, 8, 1), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelOf(back, 7, 1), (Rgb{255, 255, 255}));
}

TEST(BitmapBmp, WrittenHeadersAreExact) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(2, 2);
  bmp.Canvas()->SetPixels(0, 0, 0x332211);  // top-left (red 11): stored in the second (top) row
  const std::vector<Byte> f = SaveBytes(bmp);
  ASSERT_EQ(f.size(), 14u + 40u + 16u);
  const std::vector<Byte> fileHeader = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0};
  EXPECT_EQ(std::vector<Byte>(f.begin(), f.begin() + 14), fileHeader);
  EXPECT_EQ(U32At(f, 14), 40u);
  EXPECT_EQ(U32At(f, 18), 2u);
  EXPECT_EQ(U32At(f, 22), 2u);  // positive: bottom-up rows
  EXPECT_EQ(f[26] | (f[27] << 8), 1);
  EXPECT_EQ(f[28] | (f[29] << 8), 24);
  EXPECT_EQ(U32At(f, 30), 0u);   // BI_RGB
  EXPECT_EQ(U32At(f, 34), 16u);  // two rows of 6 bytes padded to 8
  // Bottom row first: white, white, padding; then the top row: blue, green, red, then white.
  const std::vector<Byte> rows = {255, 255, 255, 255, 255, 255, 0, 0, 0x33, 0x22, 0x11, 255, 255, 255, 0, 0};
  EXPECT_EQ(std::vector<Byte>(f.begin() + 54, f.end()), rows);

  TBitmap b16;
  b16.SetPixelFormat(pf16bit);
  b16.SetSize(1, 1);
  const std::vector<Byte> g = SaveBytes(b16);
  EXPECT_EQ(U32At(g, 30), 3u);  // BI_BITFIELDS with the 5-6-5 masks after the header
  EXPECT_EQ(U32At(g, 54), 0xF800u);
  EXPECT_EQ(U32At(g, 58), 0x07E0u);
  EXPECT_EQ(U32At(g, 62), 0x001Fu);
  EXPECT_EQ(U32At(g, 10), 66u);

  TBitmap b1;
  b1.SetPixelFormat(pf1bit);
  b1.SetSize(1, 1);
  const std::vector<Byte> m = SaveBytes(b1);
  EXPECT_EQ(U32At(m, 10), 62u);  // two colour entries
  EXPECT_EQ(U32At(m, 54), 0x000000u);
  EXPECT_EQ(U32At(m, 58), 0xFFFFFFu);
}

TEST(BitmapBmp, EmptyBitmapSavesNothingAndEmptyStreamEmpties) {
  TBitmap bmp;
  EXPECT_TRUE(SaveBytes(bmp).empty());
  MakeKnown(bmp);
  LoadBytes(bmp, {});
  EXPECT_TRUE(bmp.Empty());
}

// ---- files made by ImageMagick -------------------------------------------------------------------

TEST(BitmapBmp, ReadsWhatImageMagickWrites) {
  if (!HaveConvert()) GTEST_SKIP() << "ImageMagick is not installed";
  const std::string dir = NewTempDir();
  ASSERT_FALSE(dir.empty());
  WritePpm(dir + "eight.ppm", Pattern(kEight));
  WritePpm(dir + "many.ppm", Pattern(ManyColors(40)));
  WritePpm(dir + "two.ppm", Pattern({{0, 0, 0}, {255, 255, 255}}));
  const struct {
    const char* source;
    const char* options;
    int bits;
    Cardinal compression;
    TPixelFormat format;
  } cases[] = {
      {"eight.ppm", "-type Palette -compress RLE BMP3:", 8, 1, pf8bit},
      {"many.ppm", "-type Palette -compress RLE BMP3:", 8, 1, pf8bit},
      {"many.ppm", "-type Palette -compress None BMP3:", 8, 0, pf8bit},
      {"eight.ppm", "-type Palette BMP3:", 4, 0, pf4bit},
      {"two.ppm", "-type Bilevel BMP3:", 1, 0, pf1bit},
      {"eight.ppm", "-type TrueColor BMP3:", 24, 0, pf24bit},
      {"eight.ppm", "-define bmp:subtype=RGB555 BMP:", 16, 3, pf15bit},
      {"eight.ppm", "-define bmp:subtype=RGB565 BMP:", 16, 3, pf16bit},
      {"eight.ppm", "-type TrueColorAlpha BMP:", 32, 3, pf32bit},
      {"eight.ppm", "BMP2:", 24, 0, pf24bit},  // 12-byte core header
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.source) + " " + c.options);
    const std::string bmpPath = dir + "f" + std::to_string(n) + ".bmp";
    const std::string ppmPath = dir + "f" + std::to_string(n++) + ".ppm";
    ASSERT_EQ(std::system(("convert " + dir + c.source + " " + c.options + bmpPath).c_str()), 0);
    ASSERT_EQ(std::system(("convert " + bmpPath + " -depth 8 " + ppmPath).c_str()), 0);
    const std::vector<Byte> file = ReadFileBytes(bmpPath);
    ASSERT_GT(file.size(), 30u);
    const bool core = U32At(file, 14) == 12;
    EXPECT_EQ(core ? (file[24] | (file[25] << 8)) : (file[28] | (file[29] << 8)), c.bits);
    if (!core) {
      EXPECT_EQ(U32At(file, 30), c.compression);
    }

    TBitmap bmp;
    bmp.LoadFromFile(bmpPath);
    EXPECT_EQ(bmp.PixelFormat(), c.format);
    const Ppm expected = ReadPpm(ppmPath);
    ASSERT_EQ(bmp.Width(), expected.width);
    ASSERT_EQ(bmp.Height(), expected.height);
    for (int y = 0; y < expected.height; ++y)
      for (int x = 0; x < expected.width; ++x) ASSERT_EQ(PixelOf(bmp, x, y), expected.At(x, y)) << x << "," << y;
  }
}

TEST(BitmapBmp, ImageMagickReadsWhatWeWrite) {
  if (!HaveConvert()) GTEST_SKIP() << "ImageMagick is not installed";
  const std::string dir = NewTempDir();
  for (TPixelFormat format : {pf8bit, pf16bit, pf24bit, pf32bit}) {
    SCOPED_TRACE(static_cast<int>(format));
    TBitmap bmp;
    bmp.SetPixelFormat(format);
    bmp.SetSize(5, 3);
    const TColor colors[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x000000, 0xFFFFFF};
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) bmp.Canvas()->SetPixels(x, y, colors[(x + y) % 5]);
    bmp.SaveToFile(dir + "ours.bmp");
    ASSERT_EQ(std::system(("convert " + dir + "ours.bmp -depth 8 " + dir + "ours.ppm").c_str()), 0);
    const Ppm p = ReadPpm(dir + "ours.ppm");
    ASSERT_EQ(p.width, 5);
    ASSERT_EQ(p.height, 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        const TColor c = colors[(x + y) % 5];
        EXPECT_EQ(p.At(x, y), (Rgb{c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF})) << x << "," << y;
      }
  }
}

// ---- run-length data written by hand (no tool writes RLE4) -----------------------------------

namespace {

std::vector<Byte> RleFile(int bits, int width, int height, const std::vector<Byte>& data, int colors) {
  std::vector<Byte> f(14 + 40 + 4 * colors, 0);
  f[0] = 'B';
  f[1] = 'M';
  PutU32At(f, 10, static_cast<std::uint32_t>(f.size()));
  PutU32At(f, 14, 40);
  PutU32At(f, 18, static_cast<std::uint32_t>(width));
  PutU32At(f, 22, static_cast<std::uint32_t>(height));
  f[26] = 1;
  f[28] = static_cast<Byte>(bits);
  PutU32At(f, 30, bits == 4 ? 2 : 1);
  PutU32At(f, 34, static_cast<std::uint32_t>(data.size()));
  PutU32At(f, 46, static_cast<std::uint32_t>(colors));
  for (int i = 0; i < colors; ++i) PutU32At(f, 54 + 4 * i, static_cast<std::uint32_t>(i * 0x111111));
  f.insert(f.end(), data.begin(), data.end());
  PutU32At(f, 2, static_cast<std::uint32_t>(f.size()));
  return f;
}

// Pixel index at (x, y from the top) of a 4- or 8-bit image.
int IndexAt(TBitmap& bmp, int x, int y, int bits) {
  const auto* row = static_cast<const Byte*>(bmp.ScanLine(y));
  if (bits == 8) return row[x];
  return (x & 1) ? (row[x / 2] & 0x0F) : (row[x / 2] >> 4);
}

}  // namespace

TEST(BitmapBmp, Rle4AndRle8DecodeRunsDeltasAndAbsoluteRuns) {
  // 6 x 3, rows from the bottom:
  //   bottom: encoded run of 5 alternating 1,2, then one 3          -> 1 2 1 2 1 3
  //   middle: delta (2, 0) then encoded 2 of 4,4, end of line    -> 0 0 4 4 0 0
  //   top:    absolute 4,5,6,7,8,9 (6 nibbles: 3 bytes + pad), end of bitmap
  const std::vector<Byte> rle4 = {5, 0x12, 1, 0x30, 0, 0,                  // bottom row
                                  0, 2, 2, 0, 2, 0x44, 0, 0,                // middle row
                                  0, 6, 0x45, 0x67, 0x89, 0x00, 0, 1};      // top row, end
  TBitmap b4;
  LoadBytes(b4, RleFile(4, 6, 3, rle4, 16));
  EXPECT_EQ(b4.PixelFormat(), pf4bit);
  const int expected4[3][6] = {{4, 5, 6, 7, 8, 9}, {0, 0, 4, 4, 0, 0}, {1, 2, 1, 2, 1, 3}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(IndexAt(b4, x, y, 4), expected4[y][x]) << x << "," << y;

  // 8-bit: runs that pass the right edge are cut there; rows after the top are ignored.
  const std::vector<Byte> rle8 = {9, 7, 0, 0,                // bottom row: 7 7 7 7, cut at 4
                                  0, 3, 1, 2, 3, 0, 0, 0,    // absolute 1 2 3 (padded), EOL
                                  2, 5, 0, 2, 1, 0, 1, 6,    // 5 5, delta +1, then 6: top row 5 5 0 6
                                  0, 0, 3, 9};               // past the top: ignored, and no end mark
  TBitmap b8;
  LoadBytes(b8, RleFile(8, 4, 3, rle8, 10));
  const int expected8[3][4] = {{5, 5, 0, 6}, {1, 2, 3, 0}, {7, 7, 7, 7}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(IndexAt(b8, x, y, 8), expected8[y][x]) << x << "," << y;
}

// ---- hostile files -----------------------------------------------------------------------------

TEST(BitmapBmp, TruncatedFilesAreRefusedAndLeaveTheBitmapAsItWas) {
  TBitmap source;
  source.SetPixelFormat(pf8bit);
  source.SetSize(9, 5);
  const std::vector<Byte> file = SaveBytes(source);
  for (std::size_t len = 1; len < file.size(); ++len) {
    SCOPED_TRACE(len);
    TBitmap bmp;
    MakeKnown(bmp);
    std::vector<Byte> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(len));
    if (len >= 6) PutU32At(cut, 2, 0);  // no file size to go by either
    EXPECT_THROW(LoadBytes(bmp, cut), EInvalidGraphic);
    ExpectKnown(bmp);
  }
}

TEST(BitmapBmp, HostileHeadersAreRefused) {
  TBitmap good;
  good.SetPixelFormat(pf8bit);
  good.SetSize(4, 4);
  const std::vector<Byte> base = SaveBytes(good);
  TBitmap g16;
  g16.SetPixelFormat(pf16bit);
  g16.SetSize(4, 4);
  const std::vector<Byte> base16 = SaveBytes(g16);

  struct Case {
    const char* what;
    std::vector<Byte> file;
  };
  std::vector<Case> cases;
  auto patched = [&](const std::vector<Byte>& from, std::size_t at, std::uint32_t v) {
    std::vector<Byte> f = from;
    PutU32At(f, at, v);
    return f;
  };
  auto patched16 = [&](const std::vector<Byte>& from, std::size_t at, Word v) {
    std::vector<Byte> f = from;
    f[at] = static_cast<Byte>(v);
    f[at + 1] = static_cast<Byte>(v >> 8);
    return f;
  };
  std::vector<Byte> sig = base;
  sig[0] = 'X';
  cases.push_back({"signature", sig});
  cases.push_back({"header size", patched(base, 14, 41)});
  cases.push_back({"zero width", patched(base, 18, 0)});
  cases.push_back({"negative width", patched(base, 18, 0xFFFFFFFF)});
  cases.push_back({"zero height", patched(base, 22, 0)});
  cases.push_back({"most negative height", patched(base, 22, 0x80000000)});
  cases.push_back({"huge image", patched(patched(base, 18, 100000), 22, 100000)});
  cases.push_back({"wide image", patched(base, 18, 0x7FFFFFFF)});
  cases.push_back({"planes", patched16(base, 26, 2)});
  cases.push_back({"depth", patched16(base, 28, 7)});
  cases.push_back({"compression", patched(base, 30, 9)});
  cases.push_back({"RLE8 on 24 bits", patched(patched16(base, 28, 24), 30, 1)});
  cases.push_back({"top-down RLE8", patched(patched(base, 30, 1), 22, static_cast<std::uint32_t>(-4))});
  cases.push_back({"pixel offset past the end", patched(base, 10, 0x7FFFFFF0)});
  cases.push_back({"pixel offset inside the header", patched(base, 10, 20)});
  cases.push_back({"colour count too big for the file",
                   patched(patched(patched16(base, 28, 24), 46, 0x40000000), 10, 0)});
  cases.push_back({"zero colour mask", patched(base16, 54, 0)});
  cases.push_back({"broken colour mask", patched(base16, 54, 0xF00F)});
  cases.push_back({"overlapping masks", patched(base16, 58, 0xFFE0)});
  cases.push_back({"mask wider than the pixel", patched(base16, 62, 0x1F0000)});
  {
    // An absolute run longer than the data left.
    std::vector<Byte> rle = RleFile(8, 4, 2, {0, 200, 1, 2, 3}, 4);
    cases.push_back({"absolute run past the data", rle});
    // A delta with no bytes after it.
    cases.push_back({"delta past the data", RleFile(8, 4, 2, {0, 2}, 4)});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TBitmap bmp;
    MakeKnown(bmp);
    try {
      LoadBytes(bmp, c.file);
      ADD_FAILURE() << "accepted";
    } catch (const EInvalidGraphic& e) {
      EXPECT_NE(std::string(e.what()).find(msg::InvalidGraphic), std::string::npos) << e.what();
    }
    ExpectKnown(bmp);
  }
}

TEST(BitmapBmp, RandomDamageNeverCrashes) {
  // Every result is a loaded image or EInvalidGraphic; nothing else escapes.
  TBitmap source;
  source.SetPixelFormat(pf4bit);
  source.SetSize(7, 5);
  const std::vector<Byte> file = SaveBytes(source);
  const std::vector<Byte> rle = RleFile(8, 6, 4, {3, 1, 0, 4, 1, 2, 3, 4, 0, 0, 0, 2, 1, 1, 5, 2, 0, 1}, 8);
  std::uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 134775813u + 1u; };
  for (const std::vector<Byte>* original : {&file, &rle}) {
    for (int round = 0; round < 400; ++round) {
      std::vector<Byte> f = *original;
      const int flips = 1 + static_cast<int>(next() >> 30);
      for (int k = 0; k < flips; ++k) {
        std::size_t at = (next() >> 8) % f.size();
        if (original == &rle && at >= 18 && at < 26) at += 8;  // sizes: covered above, kept small here
        f[at] = static_cast<Byte>(next() >> 24);
      }
      TBitmap bmp;
      try {
        LoadBytes(bmp, f);
        if (!bmp.Empty()) {
          EXPECT_GT(bmp.Width(), 0);
          bmp.Canvas()->Pixels(bmp.Width() - 1, bmp.Height() - 1);
        }
      } catch (const EInvalidGraphic&) {
      }
    }
  }
}

// ---- stored form data and resources ---------------------------------------------------------

TEST(BitmapBmp, FormDataIsTheSizeAndTheFile) {
  TBitmap bmp;
  MakeKnown(bmp);
  TMemoryWriter writer;
  writer.WriteProperties(&bmp);
  ASSERT_EQ(writer.Data().size(), 1u);
  const TFilerProperty& prop = writer.Data()[0];
  EXPECT_EQ(prop.name, "Data");
  ASSERT_EQ(prop.values.size(), 1u);
  const std::string& blob = prop.values[0].text;
  const std::vector<Byte> file = SaveBytes(bmp);
  ASSERT_EQ(blob.size(), 4 + file.size());
  EXPECT_EQ(U32At(std::vector<Byte>(blob.begin(), blob.end()), 0), file.size());
  EXPECT_EQ(std::vector<Byte>(blob.begin() + 4, blob.end()), file);

  TBitmap back;
  TMemoryReader reader(writer.Data());
  reader.ReadProperties(&back);
  ExpectKnown(back);

  TBitmap empty;
  TMemoryWriter none;
  none.WriteProperties(&empty);
  EXPECT_TRUE(none.Data().empty());  // an empty bitmap stores nothing
}

TEST(BitmapBmp, LoadsBitmapResourcesPackedOrAsFiles) {
  TBitmap src;
  MakeKnown(src);
  static std::vector<Byte> file = SaveBytes(src);
  static std::vector<Byte> packed(file.begin() + 14, file.end());
  resource_detail::Registration reg({{"TESTFILEBMP", RT_BITMAP, file.data(), file.size()},
                                     {"TESTPACKEDBMP", RT_BITMAP, packed.data(), packed.size()}});
  TBitmap a, b;
  a.LoadFromResourceName("TestFileBmp");
  ExpectKnown(a);
  b.LoadFromResourceName("TESTPACKEDBMP");
  ExpectKnown(b);
  TBitmap c;
  MakeKnown(c);
  EXPECT_THROW(c.LoadFromResourceName("NOSUCHBMP"), EResNotFound);
  ExpectKnown(c);
}

// ---- pixel formats, rows and sizes -----------------------------------------------------------

TEST(BitmapBmp, ScanLineZeroIsTheTopRowOfABottomUpDib) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(4, 3);
  bmp.Canvas()->SetPixels(0, 0, 0x010203);
  const auto* top = static_cast<const Byte*>(bmp.ScanLine(0));
  EXPECT_EQ(top[0], 0x01);  // blue, green, red
  EXPECT_EQ(top[1], 0x02);
  EXPECT_EQ(top[2], 0x03);
  const auto* next = static_cast<const Byte*>(bmp.ScanLine(1));
  EXPECT_EQ(top - next, 12);  // the row below lies one stride lower in memory
  EXPECT_THROW(bmp.ScanLine(3), EInvalidGraphicOperation);
  EXPECT_THROW(bmp.ScanLine(-1), EInvalidGraphicOperation);

  // A device bitmap becomes a DIB to give its rows.
  TBitmap ddb;
  ddb.SetSize(2, 2);
  EXPECT_EQ(ddb.HandleType(), bmDDB);
  EXPECT_EQ(ddb.PixelFormat(), pfDevice);
  ddb.Canvas()->SetPixels(1, 1, 0x00FF00);
  ddb.ScanLine(0);
  EXPECT_EQ(ddb.HandleType(), bmDIB);
  EXPECT_EQ(PixelOf(ddb, 1, 1), (Rgb{0, 255, 0}));
}

TEST(BitmapBmp, FormatConversionsKeepColoursTheTargetCanHold) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(3, 1);
  bmp.Canvas()->SetPixels(0, 0, clRed);
  bmp.Canvas()->SetPixels(1, 0, clBlack);
  for (TPixelFormat f : {pf32bit, pf16bit, pf15bit, pf8bit, pf4bit, pf24bit}) {
    SCOPED_TRACE(static_cast<int>(f));
    bmp.SetPixelFormat(f);
    EXPECT_EQ(bmp.PixelFormat(), f);
    EXPECT_EQ(PixelOf(bmp, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(PixelOf(bmp, 1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelOf(bmp, 2, 0), (Rgb{255, 255, 255}));
  }
  // Monochrome: the white background stays white, other colours turn black.
  bmp.SetMonochrome(true);
  EXPECT_TRUE(bmp.Monochrome());
  EXPECT_EQ(bmp.PixelFormat(), pf1bit);
  EXPECT_EQ(PixelOf(bmp, 0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelOf(bmp, 2, 0), (Rgb{255, 255, 255}));
  bmp.SetHandleType(bmDDB);
  EXPECT_TRUE(bmp.Monochrome());
  EXPECT_EQ(bmp.PixelFormat(), pfDevice);
  EXPECT_EQ(PixelOf(bmp, 2, 0), (Rgb{255, 255, 255}));
  EXPECT_THROW(bmp.SetPixelFormat(pfCustom), EInvalidGraphic);

  // A smaller table goes first into a deeper one, the rest is there for new colours.
  TBitmap small;
  small.SetPixelFormat(pf1bit);
  small.SetSize(2, 1);
  small.Canvas()->SetPixels(0, 0, clBlack);
  small.SetPixelFormat(pf8bit);
  EXPECT_EQ(static_cast<const Byte*>(small.ScanLine(0))[0], 0);
  EXPECT_EQ(static_cast<const Byte*>(small.ScanLine(0))[1], 1);
  small.Canvas()->SetPixels(1, 0, clRed);
  EXPECT_EQ(PixelOf(small, 1, 0), (Rgb{255, 0, 0}));
}

TEST(BitmapBmp, SizeChangesKeepPixelsAndGrowWhite) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf32bit);
  bmp.SetSize(2, 2);
  bmp.Canvas()->SetPixels(1, 1, clBlue);
  int changes = 0;
  bmp.OnChange = [&](TObject*) { ++changes; };
  bmp.SetSize(4, 3);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(PixelOf(bmp, 1, 1), (Rgb{0, 0, 255}));
  EXPECT_EQ(PixelOf(bmp, 3, 2), (Rgb{255, 255, 255}));
  bmp.SetSize(4, 3);
  EXPECT_EQ(changes, 1);  // same size: nothing
  bmp.SetWidth(0);
  EXPECT_TRUE(bmp.Empty());
  EXPECT_EQ(bmp.Height(), 3);
  bmp.SetWidth(2);  // the layout stays while empty
  EXPECT_EQ(bmp.PixelFormat(), pf32bit);
}

TEST(BitmapBmp, AssignCopiesIndependently) {
  TBitmap a;
  MakeKnown(a);
  a.SetTransparentColor(clRed);
  TBitmap b;
  b.Assign(&a);
  ExpectKnown(b);
  EXPECT_EQ(b.TransparentColor(), clRed);
  a.Canvas()->SetPixels(0, 0, clBlack);
  EXPECT_EQ(PixelOf(b, 0, 0), (Rgb{255, 0, 0}));
  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
}

TEST(BitmapBmp, PaletteIsTheColourTable) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf8bit);
  bmp.SetSize(2, 1);
  static_cast<Byte*>(bmp.ScanLine(0))[0] = 3;
  std::vector<Byte> block(4 + 4 * 4);
  auto* lp = reinterpret_cast<win::LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 4;
  auto* e = reinterpret_cast<win::PALETTEENTRY*>(block.data() + 4);
  e[3] = win::PALETTEENTRY{10, 20, 30, 0};
  bmp.SetPalette(win::CreatePalette(lp));
  EXPECT_TRUE(bmp.PaletteModified());
  EXPECT_EQ(PixelOf(bmp, 0, 0), (Rgb{10, 20, 30}));  // the index stays, its colour changes
  TBitmap back;
  LoadBytes(back, SaveBytes(bmp));
  EXPECT_EQ(PixelOf(back, 0, 0), (Rgb{10, 20, 30}));
  win::PALETTEENTRY got[4];
  ASSERT_EQ(win::GetPaletteEntries(back.Palette(), 0, 4, got), 4u);
  EXPECT_EQ(got[3], (win::PALETTEENTRY{10, 20, 30, 0}));
}

TEST(BitmapBmp, TransparentColourIsTheBottomLeftPixelUnlessFixed) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(3, 3);
  bmp.Canvas()->SetPixels(0, 2, 0x808000);
  EXPECT_EQ(bmp.TransparentMode(), tmAuto);
  EXPECT_EQ(bmp.TransparentColor(), 0x808000);
  bmp.SetTransparentColor(clLime);
  EXPECT_EQ(bmp.TransparentMode(), tmFixed);
  EXPECT_EQ(bmp.TransparentColor(), clLime);
  bmp.SetTransparentMode(tmAuto);
  EXPECT_EQ(bmp.TransparentColor(), 0x808000);

  // Drawn transparently, the transparent colour leaves the destination as it was.
  bmp.Canvas()->SetPixels(1, 1, clRed);
  bmp.SetTransparent(true);
  TBitmap dest;
  dest.SetPixelFormat(pf24bit);
  dest.SetSize(3, 3);
  dest.Canvas()->Brush()->SetColor(clBlue);
  dest.Canvas()->FillRect(Rect(0, 0, 3, 3));
  bmp.Canvas()->Brush()->SetColor(0x808000);
  bmp.Canvas()->FillRect(Rect(0, 0, 1, 3));  // left column in the transparent colour
  dest.Canvas()->Draw(0, 0, &bmp);
  EXPECT_EQ(PixelOf(dest, 0, 0), (Rgb{0, 0, 255}));       // transparent: blue stays
  EXPECT_EQ(PixelOf(dest, 1, 1), (Rgb{255, 0, 0}));       // red drawn
  EXPECT_EQ(PixelOf(dest, 2, 2), (Rgb{255, 255, 255}));   // white drawn
}

// The picture registry's limit holds for BMP files too: no side above 65,535 pixels.
TEST(BitmapBmp, ImagesWiderOrTallerThanTheLimitAreRefused) {
  // Netpbm makes images of any size (ImageMagick's policy may cap their sides).
  if (std::system("command -v ppmmake >/dev/null 2>&1 && command -v ppmtobmp >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "Netpbm is not installed";
  const std::string dir = NewTempDir();
  ASSERT_FALSE(dir.empty());
  const struct {
    const char* size;
    bool loads;
  } cases[] = {{"65535 1", true}, {"70000 1", false}, {"1 70000", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    const std::string path = dir + "image.bmp";
    ASSERT_EQ(std::system(("ppmmake red " + std::string(c.size) + " | ppmtobmp -bpp 24 >" + path + " 2>/dev/null").c_str()), 0);
    TBitmap b;
    if (c.loads) {
      b.LoadFromFile(path);
      EXPECT_EQ(b.Width(), 65535);
      continue;
    }
    try {
      b.LoadFromFile(path);
      ADD_FAILURE() << "loaded";
    } catch (const Exception& e) {
      EXPECT_NE(e.Message().find("too large"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(b.Width(), 0);
  }
  std::filesystem::remove_all(dir);
}
