// The PCX reader against files made by netpbm's ppmtopcx and ImageMagick and decoded by
// netpbm's pcxtoppm and ImageMagick, and against malformed files built here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imageformats/pcx_reader.h"
#include "reader_test_support.h"

using namespace readertest;

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kInvalid = "Cannot load image. Invalid or unexpected PCX or SCR image format.";
const std::string kBadColor = "Invalid color format in PCX file.";
const std::string kReadError = "Stream read error in PCX file.";

void Load(TPCXGraphic& g, const Bytes& data) {
  TMemoryStream s;
  FillStream(s, data);
  g.LoadFromStream(s);
}

std::string LoadError(const Bytes& data, TPCXGraphic* g = nullptr) {
  TPCXGraphic local;
  try {
    Load(g ? *g : local, data);
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "no error";
}

// A 128-byte header; the 16-colour palette holds entry i = (16 i, 15 i, 255 - 16 i).
Bytes Header(int maker, int bits, int planes, int width, int height, int bytesPerLine, int encoding = 1,
             int paletteInfo = 1) {
  Bytes h(128, 0);
  h[0] = static_cast<unsigned char>(maker);
  h[1] = 5;
  h[2] = static_cast<unsigned char>(encoding);
  h[3] = static_cast<unsigned char>(bits);
  h[8] = static_cast<unsigned char>(width - 1);
  h[9] = static_cast<unsigned char>((width - 1) >> 8);
  h[10] = static_cast<unsigned char>(height - 1);
  h[11] = static_cast<unsigned char>((height - 1) >> 8);
  for (int i = 0; i < 16; ++i) {
    h[16 + 3 * i] = static_cast<unsigned char>(16 * i);
    h[17 + 3 * i] = static_cast<unsigned char>(15 * i);
    h[18 + 3 * i] = static_cast<unsigned char>(255 - 16 * i);
  }
  h[65] = static_cast<unsigned char>(planes);
  h[66] = static_cast<unsigned char>(bytesPerLine);
  h[67] = static_cast<unsigned char>(bytesPerLine >> 8);
  h[68] = static_cast<unsigned char>(paletteInfo);
  return h;
}

Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A PPM of `colors` random colours (0: every pixel its own) in runs, so that run-length
// files have repeats.
void WriteColourImage(const std::string& path, int w, int h, unsigned colors, unsigned seed) {
  std::vector<unsigned> palette, samples;
  for (unsigned i = 0; i < std::max(colors, 1u) * 3; ++i) {
    seed = seed * 134775813u + 1u;
    palette.push_back((seed >> 16) & 255);
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 134775813u + 1u;
      if (colors == 0) {
        samples.insert(samples.end(), {(seed >> 8) & 255, (seed >> 16) & 255, (x * 9 + y) & 255u});
      } else {
        const unsigned c = (seed >> 29) < 3 ? (seed >> 12) % colors : unsigned(x / 5 + y) % colors;
        samples.insert(samples.end(), {palette[3 * c], palette[3 * c + 1], palette[3 * c + 2]});
      }
    }
  WritePNM(path, w, h, 3, 255, samples);
}

Bytes PcxToPpmRGBA(const std::string& pcx) {
  Pam pam;
  EXPECT_TRUE(ParsePam(Capture("pcxtoppm " + pcx + " | pamtopam"), pam)) << pcx;
  return PamRGBA(pam);
}

}  // namespace

// ---- files made by the tools -------------------------------------------------------------

class PcxToolFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_TOOL("ppmtopcx");
    REQUIRE_TOOL("pcxtoppm");
    REQUIRE_TOOL("pamtopam");
    REQUIRE_TOOL("convert");
  }

  // Checks the layout the tool chose, then our decode against the reference decode.
  void Check(const std::string& pcx, int bits, int planes, const Bytes& expected, TPixelFormat format) {
    SCOPED_TRACE(pcx);
    const Bytes file = ReadFileBytes(pcx);
    ASSERT_GT(file.size(), 128u);
    EXPECT_EQ(file[3], bits) << "bits per pixel the tool wrote";
    EXPECT_EQ(file[65], planes) << "planes the tool wrote";
    TPCXGraphic g;
    Load(g, file);
    ASSERT_EQ(g.Width(), kWidth);
    ASSERT_EQ(g.Height(), kHeight);
    EXPECT_EQ(g.PixelFormat(), format);
    EXPECT_EQ(FirstDifference(BitmapRGBA(g), expected, 0), -1);
  }

  std::string FromPpm(const std::string& name, unsigned colors, const std::string& options) {
    const std::string ppm = dir / (name + ".ppm"), pcx = dir / (name + ".pcx");
    WriteColourImage(ppm, kWidth, kHeight, colors, 5 + colors);
    EXPECT_TRUE(RunTool("ppmtopcx " + options + " " + ppm + " > " + pcx));
    return pcx;
  }

  static constexpr int kWidth = 37;
  static constexpr int kHeight = 9;
  TempDir dir;
};

TEST_F(PcxToolFiles, NetpbmFilesOfEveryLayoutDecodeLikePcxtoppm) {
  struct Case {
    const char* Name;
    unsigned Colors;
    const char* Options;
    int Bits, Planes;
    TPixelFormat Format;
  } cases[] = {
      {"planes2", 4, "", 1, 2, pf4bit},        {"planes3", 8, "", 1, 3, pf4bit},
      {"planes4", 16, "", 1, 4, pf4bit},       {"packed2", 4, "-packed", 2, 1, pf4bit},
      {"packed4", 16, "-packed", 4, 1, pf4bit}, {"index8", 200, "-8bit", 8, 1, pf8bit},
      {"rgb24", 0, "-24bit", 8, 3, pf24bit},
  };
  for (const Case& c : cases) {
    const std::string pcx = FromPpm(c.Name, c.Colors, c.Options);
    Check(pcx, c.Bits, c.Planes, PcxToPpmRGBA(pcx), c.Format);
  }
}

TEST_F(PcxToolFiles, TwoBitIndicesKeepTheirPaletteColours) {
  const std::string pcx = FromPpm("packed2", 4, "-packed");
  TPCXGraphic g;
  Load(g, ReadFileBytes(pcx));
  // Widened to 4 bits, an index keeps its value: every nibble is below 4.
  const unsigned char* row = static_cast<const unsigned char*>(g.ScanLine(0));
  bool high = false;
  for (int x = 0; x < kWidth; ++x) high |= ((x % 2 ? row[x / 2] : row[x / 2] >> 4) & 15) > 3;
  EXPECT_FALSE(high);
}

TEST_F(PcxToolFiles, BlackAndWhiteFile) {
  const std::string pbm = dir / "mono.pbm", pcx = dir / "mono.pcx";
  ASSERT_TRUE(RunTool("convert -size 37x9 pattern:checkerboard -monochrome " + pbm));
  ASSERT_TRUE(RunTool("ppmtopcx " + pbm + " > " + pcx));
  Check(pcx, 1, 1, PcxToPpmRGBA(pcx), pf1bit);
}

TEST_F(PcxToolFiles, ImageMagickFilesDecodeLikeImageMagick) {
  const std::string ppm = dir / "src.ppm";
  WriteColourImage(ppm, kWidth, kHeight, 0, 3);
  const std::string rgb = dir / "rgb.pcx", mapped = dir / "mapped.pcx", rgba = dir / "rgba.pcx";
  ASSERT_TRUE(RunTool("convert " + ppm + " " + rgb));
  ASSERT_TRUE(RunTool("convert " + ppm + " -colors 50 -type Palette " + mapped));
  // An alpha channel becomes a fourth plane.
  ASSERT_TRUE(RunTool("convert " + ppm + " -alpha set -channel A -fx '(i%7)/6' +channel " + rgba));
  Check(rgb, 8, 3, Capture("convert " + rgb + " -depth 8 rgba:-"), pf24bit);
  Check(mapped, 8, 1, Capture("convert " + mapped + " -depth 8 rgba:-"), pf8bit);
  Check(rgba, 8, 4, Capture("convert " + rgba + " -depth 8 rgba:-"), pf32bit);
}

// ---- files built here -----------------------------------------------------------------

TEST(PcxReader, MakersAreTheSameForTheCheckAndTheLoad) {
  TMemoryStream s;
  for (int maker : {10, 205, 12}) {
    SCOPED_TRACE(maker);
    const Bytes file = Cat(Header(maker, 8, 1, 2, 1, 2, 0, 2), {7, 9});
    FillStream(s, file);
    const bool accepted = maker != 12;
    EXPECT_EQ(TPCXGraphic::CanLoad(static_cast<TStream&>(s)), accepted);
    EXPECT_EQ(s.Position(), 0);
    EXPECT_EQ(LoadError(file), accepted ? "no error" : kInvalid);
  }
}

TEST(PcxReader, PalettesOfEightBitFiles) {
  // Palette information 2 without a 256-colour palette: a grey ramp.
  TPCXGraphic g;
  Load(g, Cat(Header(10, 8, 1, 2, 1, 2, 0, 2), {7, 200}));
  EXPECT_EQ(BitmapRGBA(g), (Bytes{7, 7, 7, 255, 200, 200, 200, 255}));

  // A 256-colour palette after the data.
  Bytes palette(769, 0);
  palette[0] = 12;
  palette[1 + 3 * 7] = 1;
  palette[2 + 3 * 7] = 2;
  palette[3 + 3 * 7] = 3;
  Load(g, Cat(Cat(Header(10, 8, 1, 2, 1, 2, 0, 2), {7, 7}), palette));
  EXPECT_EQ(BitmapRGBA(g), (Bytes{1, 2, 3, 255, 1, 2, 3, 255}));

  // Neither: the indices stay, with the bitmap's own table.
  palette[0] = 11;
  Load(g, Cat(Cat(Header(10, 8, 1, 2, 1, 2, 0, 1), {7, 7}), palette));
  EXPECT_EQ(static_cast<unsigned char*>(g.ScanLine(0))[0], 7);
  EXPECT_NE(BitmapRGBA(g), (Bytes{1, 2, 3, 255, 1, 2, 3, 255}));
}

TEST(PcxReader, FourPlanesAreCombinedPlaneZeroLowest) {
  // 2 pixels: pixel 0 has bits in planes 0 and 2 (index 5), pixel 1 in plane 3 (index 8).
  const Bytes file = Cat(Header(10, 1, 4, 2, 1, 1, 0), {0x80, 0x00, 0x80, 0x40});
  TPCXGraphic g;
  Load(g, file);
  EXPECT_EQ(static_cast<unsigned char*>(g.ScanLine(0))[0], 0x58);
  EXPECT_EQ(BitmapRGBA(g), (Bytes{80, 75, 175, 255, 128, 120, 127, 255}));
}

TEST(PcxReader, HostileFilesRaiseAndLeaveTheBitmapAsItWas) {
  TPCXGraphic g;
  Load(g, Cat(Header(10, 8, 1, 2, 1, 2, 0, 2), {7, 200}));
  const Bytes before = BitmapRGBA(g);

  EXPECT_EQ(LoadError(Cat(Header(10, 8, 1, 9, 1, 8), Bytes(20, 1)), &g), kInvalid) << "lines narrower than the width";
  EXPECT_EQ(LoadError(Cat(Header(10, 8, 2, 2, 1, 2), Bytes(20, 1)), &g), kBadColor) << "two planes of 8 bits";
  EXPECT_EQ(LoadError(Cat(Header(10, 16, 1, 2, 1, 4), Bytes(20, 1)), &g), kBadColor) << "16 bits";
  EXPECT_EQ(LoadError(Cat(Header(10, 8, 1, 4, 2, 4), {0xC3, 1, 5}), &g), kReadError) << "run-length data cut short";
  EXPECT_EQ(LoadError(Cat(Header(10, 8, 1, 4, 2, 4, 0), {1, 2, 3, 4, 5}), &g), kReadError) << "raw data cut short";
  EXPECT_EQ(LoadError(Cat(Header(10, 8, 3, 30000, 4000, 30000), Bytes(300, 0xFF)), &g), kReadError)
      << "huge image, tiny data";
  EXPECT_EQ(LoadError(Cat(Header(10, 8, 1, 65535, 65535, 65535), Bytes(300, 0xFF)), &g),
            "Cannot load image. The PCX or SCR image is too large (65535 x 65535).");
  Bytes reversed = Header(10, 8, 1, 2, 1, 2);
  reversed[8] = 0;
  reversed[4] = 5;  // xmax below xmin
  EXPECT_EQ(LoadError(Cat(reversed, {1, 2}), &g), kInvalid);

  EXPECT_EQ(g.Width(), 2);
  EXPECT_EQ(BitmapRGBA(g), before);
}
