// The portable map reader against plain and raw files made by netpbm and decoded by its
// pamtopam, and against small and malformed files built here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imageformats/pnm_reader.h"
#include "reader_test_support.h"

using namespace readertest;

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kInvalid = "Cannot load image. Invalid or unexpected PBM, PGM or PPM image format.";
const std::string kReadError = "Stream read error in PPM file.";

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

void Load(TPPMGraphic& g, const Bytes& data) {
  TMemoryStream s;
  FillStream(s, data);
  g.LoadFromStream(s);
}

std::string LoadError(const Bytes& data, TPPMGraphic* g = nullptr) {
  TPPMGraphic local;
  try {
    Load(g ? *g : local, data);
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "no error";
}

std::vector<unsigned> TestSamples(std::size_t count, unsigned maxval, unsigned seed) {
  std::vector<unsigned> s(count);
  for (auto& v : s) {
    seed = seed * 134775813u + 1u;
    v = (seed >> 4) % (maxval + 1);
  }
  return s;
}

Bytes Greys(const Bytes& rgba) {
  Bytes g;
  for (std::size_t i = 0; i < rgba.size(); i += 4) g.push_back(rgba[i]);
  return g;
}

}  // namespace

class PnmToolFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_TOOL("pamtopam");
    REQUIRE_TOOL("pamtopnm");
    REQUIRE_TOOL("convert");
  }

  void Check(const std::string& file, const char* magic, TPixelFormat format) {
    SCOPED_TRACE(file);
    const Bytes data = ReadFileBytes(file);
    ASSERT_GE(data.size(), 2u);
    EXPECT_EQ(std::string(data.begin(), data.begin() + 2), magic) << "kind the tool wrote";
    TPPMGraphic g;
    Load(g, data);
    ASSERT_EQ(g.Width(), kWidth);
    ASSERT_EQ(g.Height(), kHeight);
    EXPECT_EQ(g.PixelFormat(), format);
    Pam pam;
    ASSERT_TRUE(ParsePam(Capture("pamtopam < " + file), pam));
    EXPECT_EQ(FirstDifference(BitmapRGBA(g), PamRGBA(pam), 0), -1);
  }

  static constexpr int kWidth = 27;
  static constexpr int kHeight = 7;
  TempDir dir;
};

TEST_F(PnmToolFiles, RawAndPlainFilesDecodeLikeNetpbm) {
  const std::string ppm = dir / "c.ppm", pgm = dir / "g.pgm", pbm = dir / "b.pbm";
  WritePNM(ppm, kWidth, kHeight, 3, 255, TestSamples(kWidth * kHeight * 3, 255, 1));
  WritePNM(pgm, kWidth, kHeight, 1, 255, TestSamples(kWidth * kHeight, 255, 2));
  ASSERT_TRUE(RunTool("convert -size 27x7 pattern:checkerboard -monochrome " + pbm));
  Check(ppm, "P6", pf24bit);
  Check(pgm, "P5", pf8bit);
  Check(pbm, "P4", pf1bit);
  for (const std::string& f : {ppm, pgm, pbm}) {
    const std::string plain = f + ".plain";
    ASSERT_TRUE(RunTool("pamtopnm -plain " + f + " > " + plain));
  }
  Check(ppm + ".plain", "P3", pf24bit);
  Check(pgm + ".plain", "P2", pf8bit);
  Check(pbm + ".plain", "P1", pf1bit);
}

TEST_F(PnmToolFiles, SixteenBitSamplesAreReadAsTwoBytes) {
  const std::string ppm = dir / "c16.ppm", pgm = dir / "g16.pgm";
  WritePNM(ppm, kWidth, kHeight, 3, 65535, TestSamples(kWidth * kHeight * 3, 65535, 3));
  WritePNM(pgm, kWidth, kHeight, 1, 65535, TestSamples(kWidth * kHeight, 65535, 4));
  Check(ppm, "P6", pf24bit);
  Check(pgm, "P5", pf8bit);
  const std::string plain = pgm + ".plain";
  ASSERT_TRUE(RunTool("pamtopnm -plain " + pgm + " > " + plain));
  Check(plain, "P2", pf8bit);
}

TEST(PnmReader, SmallMaximumValuesDoNotScale) {
  TPPMGraphic g;
  Load(g, Text("P2\n# a comment\n3 1\n15\n0 7 15\n"));
  EXPECT_EQ(Greys(BitmapRGBA(g)), (Bytes{0, 7, 15}));
  Load(g, Text("P5 3 1 15\n\x01\x02\x0F"));
  EXPECT_EQ(Greys(BitmapRGBA(g)), (Bytes{1, 2, 15}));
}

TEST(PnmReader, PlainBitmapIsReadDigitByDigit) {
  TPPMGraphic g;
  Load(g, Text("P1\n5 2\n10110\n0 1 0 0 1"));
  ASSERT_EQ(g.PixelFormat(), pf1bit);
  EXPECT_EQ(Greys(BitmapRGBA(g)), (Bytes{0, 255, 0, 0, 255, 255, 0, 255, 255, 0}));
}

TEST(PnmReader, RawBitmapRowsAreWholeBytes) {
  // Width 10: two bytes a row; 1 bits are black.
  TPPMGraphic g;
  Bytes file = Text("P4\n10 2\n");
  file.insert(file.end(), {0xFF, 0xC0, 0x00, 0x40});
  Load(g, file);
  EXPECT_EQ(Greys(BitmapRGBA(g)),
            (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0}));
}

TEST(PnmReader, HeaderAcrossTheBufferBoundary) {
  // A comment long enough that the numbers after it come in the next buffer fill.
  std::string text = "P2\n#" + std::string(4090, 'x') + "\n12345 1\n255\n";
  text += std::string(12345 * 2, ' ');
  Bytes file = Text(text);
  for (std::size_t i = 0; i < file.size(); ++i)
    if (i >= text.size() - 12345 * 2 && (i - (text.size() - 12345 * 2)) % 2 == 0) file[i] = '9';
  TPPMGraphic g;
  Load(g, file);
  EXPECT_EQ(g.Width(), 12345);
  EXPECT_EQ(BitmapRGBA(g)[4 * 12344], 9);
}

TEST(PnmReader, SignatureCheck) {
  TMemoryStream s;
  FillStream(s, Text("P6\n1 1\n255\nabc"));
  EXPECT_TRUE(TPPMGraphic::CanLoad(static_cast<TStream&>(s)));
  EXPECT_EQ(s.Position(), 0);
  FillStream(s, Text("P7\n1 1\n255\nabc"));
  EXPECT_FALSE(TPPMGraphic::CanLoad(static_cast<TStream&>(s)));
  FillStream(s, Text("P6 1 1 1\n"));
  EXPECT_FALSE(TPPMGraphic::CanLoad(static_cast<TStream&>(s))) << "fewer than 11 bytes";
}

TEST(PnmReader, HostileFilesRaiseAndLeaveTheBitmapAsItWas) {
  TPPMGraphic g;
  Load(g, Text("P2 2 1 255 5 6 "));
  const Bytes before = BitmapRGBA(g);

  EXPECT_EQ(LoadError(Text("Q6\n1 1\n255\nabc"), &g), kInvalid);
  EXPECT_EQ(LoadError(Text("P7\n1 1\n255\nabc"), &g), kInvalid);
  EXPECT_EQ(LoadError(Text("P6\n0 1\n255\nabc"), &g), kInvalid) << "zero width";
  EXPECT_EQ(LoadError(Text("P5\n1 1\n70000\nab"), &g), kInvalid) << "maximum above 16 bits";
  EXPECT_EQ(LoadError(Text("P6\n2 2\n255\nabcdefghijk"), &g), kReadError) << "raw data cut short";
  EXPECT_EQ(LoadError(Text("P5\n2 1\n65535\nabc"), &g), kReadError) << "two-byte samples cut short";
  EXPECT_EQ(LoadError(Text("P3\n2 1\n255\n1 2 3 4 5"), &g), kReadError) << "plain data cut short";
  EXPECT_EQ(LoadError(Text("P2\n100000 1"), &g), kReadError) << "header cut short";
  EXPECT_EQ(LoadError(Text("P1\n30000 4000\n0101"), &g), kReadError) << "huge image, tiny data";
  EXPECT_EQ(LoadError(Text("P5\n99999999999 99999999999 255\n"), &g),
            "Cannot load image. The PBM, PGM or PPM image is too large (4294967295 x 4294967295).");

  EXPECT_EQ(g.Width(), 2);
  EXPECT_EQ(BitmapRGBA(g), before);
}
