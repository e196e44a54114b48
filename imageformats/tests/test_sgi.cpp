// The SGI reader against files made by ImageMagick and netpbm's pnmtosgi and decoded by
// ImageMagick and netpbm's sgitopnm, and against grey-with-alpha and malformed files built here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imageformats/sgi_reader.h"
#include "reader_test_support.h"

using namespace readertest;

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kInvalid = "Cannot load image. Invalid or unexpected sgi, bw or rgb(a) image format.";
const std::string kBadColor = "Invalid color format in sgi, bw or rgb(a) file.";
const std::string kReadError = "Stream read error in sgi, bw or rgb(a) file.";

void Load(TSGIGraphic& g, const Bytes& data) {
  TMemoryStream s;
  FillStream(s, data);
  g.LoadFromStream(s);
}

std::string LoadError(const Bytes& data, TSGIGraphic* g = nullptr) {
  TSGIGraphic local;
  try {
    Load(g ? *g : local, data);
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "no error";
}

void PutBE16(Bytes& b, std::size_t at, unsigned v) {
  b[at] = static_cast<unsigned char>(v >> 8);
  b[at + 1] = static_cast<unsigned char>(v);
}

Bytes Header(int storage, int bytesPerChannel, int dimension, int w, int h, int channels) {
  Bytes b(512, 0);
  PutBE16(b, 0, 474);
  b[2] = static_cast<unsigned char>(storage);
  b[3] = static_cast<unsigned char>(bytesPerChannel);
  PutBE16(b, 4, dimension);
  PutBE16(b, 6, w);
  PutBE16(b, 8, h);
  PutBE16(b, 10, channels);
  return b;
}

Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Samples of a test image in runs and noise, `channels` per pixel, below maxval + 1.
std::vector<unsigned> TestSamples(int w, int h, int channels, unsigned maxval, unsigned seed) {
  std::vector<unsigned> s;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < channels; ++c) {
        seed = seed * 134775813u + 1u;
        s.push_back((seed >> 28) < 6 ? (seed >> 4) % (maxval + 1) : unsigned((x / 6 + 7 * y + 50 * c) * 977) % (maxval + 1));
      }
  return s;
}

// The tools' decode as 8-bit RGBA: ImageMagick's for 8-bit files, netpbm's for 16-bit
// ones (this ImageMagick takes their samples in the wrong byte order), reduced as the
// reader reduces them.
Bytes ToolRGBA(const std::string& file, bool sixteen) {
  if (!sixteen) return Capture("convert " + file + " -depth 8 rgba:-");
  Pam pam;
  EXPECT_TRUE(ParsePam(Capture("sgitopnm " + file + " | pamtopam"), pam));
  return PamRGBA(pam);
}

}  // namespace

class SgiToolFiles : public ::testing::Test {
 protected:
  void SetUp() override { REQUIRE_TOOL("convert"); }

  void Check(const std::string& sgi, int storage, int bytesPerChannel, int channels, TPixelFormat format) {
    SCOPED_TRACE(sgi);
    const Bytes file = ReadFileBytes(sgi);
    ASSERT_GT(file.size(), 512u);
    EXPECT_EQ(file[2], storage) << "storage the tool chose";
    EXPECT_EQ(file[3], bytesPerChannel);
    EXPECT_EQ((file[10] << 8) | file[11], channels);
    TSGIGraphic g;
    Load(g, file);
    ASSERT_EQ(g.Width(), kWidth);
    ASSERT_EQ(g.Height(), kHeight);
    EXPECT_EQ(g.PixelFormat(), format);
    EXPECT_EQ(FirstDifference(BitmapRGBA(g), ToolRGBA(sgi, bytesPerChannel == 2), 0), -1);
  }

  static constexpr int kWidth = 41;
  static constexpr int kHeight = 13;
  TempDir dir;
};

TEST_F(SgiToolFiles, EightBitFilesMadeByImageMagick) {
  const std::string ppm = dir / "src.ppm", pgm = dir / "src.pgm", pam = dir / "src.pam";
  WritePNM(ppm, kWidth, kHeight, 3, 255, TestSamples(kWidth, kHeight, 3, 255, 1));
  WritePNM(pgm, kWidth, kHeight, 1, 255, TestSamples(kWidth, kHeight, 1, 255, 2));
  const std::string rgb = dir / "rgb.sgi", raw = dir / "raw.sgi", bw = dir / "grey.bw", rgba = dir / "rgba.sgi";
  ASSERT_TRUE(RunTool("convert " + ppm + " " + rgb));
  ASSERT_TRUE(RunTool("convert " + ppm + " -compress none " + raw));
  ASSERT_TRUE(RunTool("convert " + pgm + " sgi:" + bw));
  ASSERT_TRUE(RunTool("convert " + ppm + " -alpha set -channel A -fx '(i%9)/8' +channel sgi:" + rgba));
  Check(rgb, 1, 1, 3, pf24bit);
  Check(raw, 0, 1, 3, pf24bit);
  Check(bw, 1, 1, 1, pf8bit);  // one channel: 8-bit grey with a grey palette
  Check(rgba, 1, 1, 4, pf32bit);
}

TEST_F(SgiToolFiles, SixteenBitFilesMadeByPnmtosgi) {
  REQUIRE_TOOL("pnmtosgi");
  REQUIRE_TOOL("sgitopnm");
  REQUIRE_TOOL("pamtopam");
  const std::string ppm = dir / "wide.ppm", pgm = dir / "wide.pgm";
  WritePNM(ppm, kWidth, kHeight, 3, 65535, TestSamples(kWidth, kHeight, 3, 65535, 3));
  WritePNM(pgm, kWidth, kHeight, 1, 65535, TestSamples(kWidth, kHeight, 1, 65535, 4));
  const std::string rle = dir / "rle16.sgi", verbatim = dir / "raw16.sgi", grey = dir / "grey16.sgi";
  ASSERT_TRUE(RunTool("pnmtosgi -rle " + ppm + " > " + rle));
  ASSERT_TRUE(RunTool("pnmtosgi -verbatim " + ppm + " > " + verbatim));
  ASSERT_TRUE(RunTool("pnmtosgi -rle " + pgm + " > " + grey));
  Check(rle, 1, 2, 3, pf24bit);
  Check(verbatim, 0, 2, 3, pf24bit);
  Check(grey, 1, 2, 1, pf8bit);
}

TEST(SgiReader, TwoChannelsAreGreyWithAlpha) {
  // 3 x 2 verbatim: grey rows then alpha rows, bottom row first.
  const Bytes file = Cat(Header(0, 1, 3, 3, 2, 2), {10, 20, 30, 40, 50, 60, 255, 128, 0, 1, 2, 3});
  TSGIGraphic g;
  Load(g, file);
  ASSERT_EQ(g.PixelFormat(), pf32bit);
  EXPECT_EQ(BitmapRGBA(g), (Bytes{40, 40, 40, 1, 50, 50, 50, 2, 60, 60, 60, 3,  //
                                  10, 10, 10, 255, 20, 20, 20, 128, 30, 30, 30, 0}));
  if (HaveTool("convert")) {
    // The tool shows the grey channel alone.
    TempDir dir;
    WriteFileBytes(dir / "ga.sgi", file);
    const Bytes tool = Capture("convert " + dir / "ga.sgi" + " -depth 8 rgba:-");
    EXPECT_EQ(FirstDifference(BitmapRGBA(g), tool, 0, {true, true, true, false}), -1);
  }
}

TEST(SgiReader, SixteenBitSamplesAreByteSwapped) {
  // One RGB pixel, verbatim: 0xFFFF, 0x0101 and 0x00FF become 255, 1 and 0.
  const Bytes file = Cat(Header(0, 2, 3, 1, 1, 3), {0xFF, 0xFF, 0x01, 0x01, 0x00, 0xFF});
  TSGIGraphic g;
  Load(g, file);
  EXPECT_EQ(BitmapRGBA(g), (Bytes{255, 1, 0, 255}));
}

TEST(SgiReader, SignatureCheck) {
  TMemoryStream s;
  FillStream(s, Cat(Header(0, 1, 2, 1, 1, 1), {9}));
  EXPECT_TRUE(TSGIGraphic::CanLoad(static_cast<TStream&>(s)));
  EXPECT_EQ(s.Position(), 0);
  FillStream(s, Cat(Header(0, 3, 2, 1, 1, 1), {9}));
  EXPECT_FALSE(TSGIGraphic::CanLoad(static_cast<TStream&>(s)));
  FillStream(s, Header(0, 1, 2, 1, 1, 1));
  EXPECT_FALSE(TSGIGraphic::CanLoad(static_cast<TStream&>(s))) << "the header alone";
}

TEST(SgiReader, HostileFilesRaiseAndLeaveTheBitmapAsItWas) {
  TSGIGraphic g;
  Load(g, Cat(Header(0, 1, 2, 2, 1, 1), {5, 6}));
  const Bytes before = BitmapRGBA(g);

  Bytes wrongMagic = Cat(Header(0, 1, 2, 2, 1, 1), {5, 6});
  wrongMagic[1] = 0;
  EXPECT_EQ(LoadError(wrongMagic, &g), kInvalid);
  EXPECT_EQ(LoadError(Cat(Header(0, 1, 3, 1, 1, 5), Bytes(5, 1)), &g), kBadColor) << "five channels";
  EXPECT_EQ(LoadError(Cat(Header(0, 1, 3, 4, 4, 3), Bytes(47, 1)), &g), kReadError) << "verbatim data cut short";
  EXPECT_EQ(LoadError(Cat(Header(1, 1, 2, 4, 4, 1), Bytes(20, 0)), &g), kReadError) << "tables cut short";

  // Run-length rows: an offset past the end, and a row that ends early.
  Bytes rle = Header(1, 1, 2, 4, 1, 1);
  const unsigned char tables[8] = {0, 0, 2, 8, 0, 0, 0, 3};
  rle = Cat(rle, Bytes(tables, tables + 8));
  rle = Cat(rle, {0x02, 7, 0x00});  // a run of two, then the end mark: half a row
  rle = Cat(rle, Bytes(300, 0));
  EXPECT_EQ(LoadError(rle, &g), kReadError) << "row ends early";
  rle[512 + 2] = 0x7F;
  EXPECT_EQ(LoadError(rle, &g), kReadError) << "offset past the end";

  EXPECT_EQ(LoadError(Cat(Header(1, 1, 3, 60000, 2000, 4), Bytes(20000 * 8 + 100, 0)), &g), kReadError)
      << "huge image, tiny data";
  EXPECT_EQ(LoadError(Cat(Header(0, 1, 3, 65535, 65535, 3), Bytes(100, 0)), &g),
            "Cannot load image. The sgi, bw or rgb(a) image is too large (65535 x 65535).");

  EXPECT_EQ(g.Width(), 2);
  EXPECT_EQ(BitmapRGBA(g), before);
}
