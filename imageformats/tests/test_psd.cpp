// The PSD reader against files made and decoded by ImageMagick, and against small and
// malformed files built here.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imageformats/psd_reader.h"
#include "reader_test_support.h"

using namespace readertest;

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kInvalid = "Cannot load image. Invalid or unexpected PSD or PDD image format.";
const std::string kBadColor = "Invalid color format in PSD or PDD file.";
const std::string kReadError = "Stream read error in PSD or PDD file.";

void Load(TPSDGraphic& g, const Bytes& data) {
  TMemoryStream s;
  FillStream(s, data);
  g.LoadFromStream(s);
}

std::string LoadError(const Bytes& data, TPSDGraphic* g = nullptr) {
  TPSDGraphic local;
  try {
    Load(g ? *g : local, data);
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "no error";
}

void PutBE(Bytes& b, unsigned v, int size) {
  for (int k = size - 1; k >= 0; --k) b.push_back(static_cast<unsigned char>(v >> (8 * k)));
}

// A file with empty sections and raw planes given channel after channel.
Bytes BuildPsd(int mode, int channels, int w, int h, int depth, const Bytes& planes, int compression = 0) {
  Bytes f = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
  PutBE(f, unsigned(channels), 2);
  PutBE(f, unsigned(h), 4);
  PutBE(f, unsigned(w), 4);
  PutBE(f, unsigned(depth), 2);
  PutBE(f, unsigned(mode), 2);
  for (int section = 0; section < 3; ++section) PutBE(f, 0, 4);
  PutBE(f, unsigned(compression), 2);
  f.insert(f.end(), planes.begin(), planes.end());
  return f;
}

void WriteTestImage(const std::string& path, int w, int h, unsigned seed) {
  std::vector<unsigned> samples;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        seed = seed * 134775813u + 1u;
        samples.push_back((seed >> 28) < 5 ? (seed >> 8) & 255 : unsigned(x / 5 * 31 + y * 17 + c * 80) & 255);
      }
  WritePNM(path, w, h, 3, 255, samples);
}

// The tool's decode of the merged image (the first of the file's images; layers follow).
Bytes ToolRGBA(const std::string& file, bool sixteen = false) {
  if (!sixteen) return Capture("convert '" + file + "[0]' -depth 8 rgba:-");
  const Bytes wide = Capture("convert '" + file + "[0]' -depth 16 rgba:-");
  Bytes out(wide.size() / 2);
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<unsigned char>(((wide[2 * i] << 8) | wide[2 * i + 1]) * 255u / 65535u);
  return out;
}

}  // namespace

class PsdToolFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_TOOL("convert");
    src = dir / "src.ppm";
    WriteTestImage(src, kWidth, kHeight, 21);
  }

  // Makes the file, checks the mode, depth, channels and compression the tool chose,
  // and compares the decode with the tool's: its decode of the file, or of `reference`
  // when it cannot read its own file back.
  void Check(const std::string& name, const std::string& options, int mode, int depth, int channels,
             int compression, TPixelFormat format, int tolerance = 0, const std::string& reference = "") {
    SCOPED_TRACE(name);
    const std::string psd = dir / (name + ".psd");
    ASSERT_TRUE(RunTool("convert " + (reference.empty() ? src : reference) + " " + options + " " + psd));
    const Bytes file = ReadFileBytes(psd);
    ASSERT_GT(file.size(), 26u);
    EXPECT_EQ((file[24] << 8) | file[25], mode) << "mode the tool wrote";
    EXPECT_EQ((file[22] << 8) | file[23], depth);
    EXPECT_EQ((file[12] << 8) | file[13], channels);
    TPSDGraphic g;
    Load(g, file);
    EXPECT_EQ(g.ImageProperties().Compression, compression == 1 ? ctPackedBits : ctNone);
    ASSERT_EQ(g.Width(), kWidth);
    ASSERT_EQ(g.Height(), kHeight);
    EXPECT_EQ(g.PixelFormat(), format);
    const Bytes ours = BitmapRGBA(g);
    if (!reference.empty()) {
      EXPECT_EQ(FirstDifference(ours, Capture("convert " + reference + " -depth 8 rgba:-"), tolerance), -1);
    } else if (format == pf32bit) {
      // This ImageMagick misreads the alpha of merged images; its decode of the single
      // layer, which holds the same pixels, is the reference.
      EXPECT_EQ(FirstDifference(ours, Capture("convert '" + psd + "[1]' -depth 8 rgba:-"), tolerance), -1);
    } else {
      EXPECT_EQ(FirstDifference(ours, ToolRGBA(psd, depth == 16), tolerance), -1);
    }
  }

  static constexpr int kWidth = 45;
  static constexpr int kHeight = 12;
  TempDir dir;
  std::string src;
};

TEST_F(PsdToolFiles, ColourGreyAndIndexedFiles) {
  Check("rgb", "-compress none", 3, 8, 3, 0, pf24bit);
  Check("rgb_rle", "-compress RLE", 3, 8, 3, 1, pf24bit);
  Check("rgba", "-alpha set -channel A -fx '(i%5)/4' +channel -compress RLE", 3, 8, 4, 1, pf32bit);
  Check("grey", "-colorspace Gray -compress RLE", 1, 8, 1, 1, pf8bit);
  Check("grey_alpha", "-colorspace Gray -alpha set -channel A -fx '(j%3)/2' +channel -compress RLE", 1, 8, 2, 1,
        pf32bit);
  // This ImageMagick does not read its own indexed files back: the file is made from a
  // GIF of 30 colours, and that GIF is the reference.
  const std::string gif = dir / "quantised.gif";
  ASSERT_TRUE(RunTool("convert " + src + " -colors 30 " + gif));
  Check("indexed", "-type Palette -compress RLE", 2, 8, 1, 1, pf8bit, 0, gif);
  Check("rgb16", "-depth 16 -compress RLE", 3, 16, 3, 1, pf24bit);
  Check("bitmap", "-monochrome -depth 1 -compress RLE", 0, 1, 1, 1, pf1bit);
  // CMYK is stored inverted; the converter truncates where the tool rounds.
  Check("cmyk", "-colorspace CMYK -compress RLE", 4, 8, 4, 1, pf24bit, 1);
  Check("cmyk16", "-colorspace CMYK -depth 16 -compress RLE", 4, 16, 4, 1, pf24bit, 1);
  Check("cmyk16_raw", "-colorspace CMYK -depth 16 -compress none", 4, 16, 4, 0, pf24bit, 1);
}

TEST(PsdReader, FiveChannelRgbLoadsFourSamples) {
  // 2 x 1: red, green, blue, alpha and a fifth channel that is not shown.
  const Bytes file = BuildPsd(3, 5, 2, 1, 8, {10, 11, 20, 21, 30, 31, 255, 7, 99, 99});
  TPSDGraphic g;
  Load(g, file);
  EXPECT_EQ(g.ImageProperties().SamplesPerPixel, 4);
  EXPECT_EQ(g.ImageProperties().ChannelCount, 5);
  EXPECT_EQ(BitmapRGBA(g), (Bytes{10, 20, 30, 255, 11, 21, 31, 7}));
}

TEST(PsdReader, ColourImagesShowALoadingStageBeforeTheirRows) {
  const struct {
    int mode, channels;
    std::vector<std::string> starts;
  } cases[] = {
      {3, 3, {"Preparing...", "Loading data...", "Transfering..."}},
      {1, 1, {"Preparing...", "Transfering..."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    TPSDGraphic g;
    std::vector<std::string> starts;
    g.OnProgress = [&](TObject*, TProgressStage stage, Byte, bool, const TRect&, const std::string& msg) {
      if (stage == psStarting) starts.push_back(msg);
    };
    Load(g, BuildPsd(c.mode, c.channels, 1, 1, 8, Bytes(std::size_t(c.channels), 9)));
    EXPECT_EQ(starts, c.starts);
  }
}

TEST(PsdReader, LabWithOffsetChroma) {
  // L* 255 and 0 with neutral chroma: white and black.
  const Bytes file = BuildPsd(9, 3, 2, 1, 8, {255, 0, 128, 128, 128, 128});
  TPSDGraphic g;
  Load(g, file);
  EXPECT_EQ(BitmapRGBA(g), (Bytes{255, 255, 255, 255, 0, 0, 0, 255}));
}

TEST(PsdReader, SixteenBitLabMatchesEightBitLab) {
  // The tool writes no L*a*b* files, so they are built here: 16-bit samples hold the 8-bit
  // ones times 257 (lightness) and 256 (chroma, offset 32768), so both decode alike.
  const Bytes l8 = {0, 51, 128, 200, 255, 128}, a8 = {128, 128, 128, 158, 98, 188}, b8 = {128, 128, 128, 128, 168, 78};
  Bytes planes8, planes16;
  for (const auto* plane : {&l8, &a8, &b8})
    for (unsigned char v : *plane) {
      planes8.push_back(v);
      PutBE(planes16, plane == &l8 ? v * 257u : v * 256u, 2);
    }
  TPSDGraphic g8, g16;
  Load(g8, BuildPsd(9, 3, 6, 1, 8, planes8));
  Load(g16, BuildPsd(9, 3, 6, 1, 16, planes16));
  EXPECT_EQ(g16.PixelFormat(), pf24bit);
  // Neutral greys and three chromatic pixels, from the L*a*b* formula without white point.
  const Bytes expected = {0,   0,   0,   255, 8,   8,   8,   255, 47,  47, 47,  255,
                          236, 106, 141, 255, 193, 255, 114, 255, 107, 18, 154, 255};
  EXPECT_EQ(BitmapRGBA(g8), expected);
  EXPECT_EQ(BitmapRGBA(g16), expected);
}

TEST(PsdReader, SignatureCheck) {
  TMemoryStream s;
  Bytes file = BuildPsd(1, 1, 1, 1, 8, {7});
  FillStream(s, file);
  EXPECT_TRUE(TPSDGraphic::CanLoad(static_cast<TStream&>(s)));
  EXPECT_EQ(s.Position(), 0);
  file[5] = 2;
  FillStream(s, file);
  EXPECT_FALSE(TPSDGraphic::CanLoad(static_cast<TStream&>(s))) << "version 2";
}

TEST(PsdReader, HostileFilesRaiseAndLeaveTheBitmapAsItWas) {
  TPSDGraphic g;
  Load(g, BuildPsd(1, 1, 2, 1, 8, {5, 6}));
  const Bytes before = BitmapRGBA(g);

  Bytes file = BuildPsd(1, 1, 2, 1, 8, {5, 6});
  file[0] = '9';
  EXPECT_EQ(LoadError(file, &g), kInvalid);
  EXPECT_EQ(LoadError(BuildPsd(3, 2, 2, 1, 8, {1, 2, 3, 4}), &g), kBadColor) << "RGB with two channels";
  EXPECT_EQ(LoadError(BuildPsd(3, 3, 2, 1, 32, Bytes(24, 1)), &g), kBadColor) << "32-bit samples";
  EXPECT_EQ(LoadError(BuildPsd(3, 3, 2, 1, 8, Bytes(6, 1), 2), &g),
            "Cannot load image. The compression scheme is not supported for PSD or PDD files.");
  EXPECT_EQ(LoadError(BuildPsd(3, 3, 4, 4, 8, Bytes(47, 1)), &g), kReadError) << "raw planes cut short";
  // PackBits: a byte-count table cut short, and counts that run past the end.
  EXPECT_EQ(LoadError(BuildPsd(1, 1, 4, 4, 8, {0, 2, 0, 2}, 1), &g), kReadError);
  EXPECT_EQ(LoadError(BuildPsd(1, 1, 4, 2, 8, {0, 9, 0, 9, 0x03, 1, 2, 3, 4}, 1), &g), kReadError);
  // A run that stops short of the row.
  EXPECT_EQ(LoadError(BuildPsd(1, 1, 4, 1, 8, {0, 2, 0xFF, 1}, 1), &g), kReadError);
  // A section length beyond the file.
  file = BuildPsd(1, 1, 2, 1, 8, {5, 6});
  file[26 + 4 + 1] = 0x7F;
  EXPECT_EQ(LoadError(file, &g), kInvalid);
  EXPECT_EQ(LoadError(BuildPsd(3, 3, 50000, 2500, 8, {0x81, 0, 0x81, 0}, 1), &g), kReadError)
      << "huge image, tiny data";
  EXPECT_EQ(LoadError(BuildPsd(3, 3, 70000, 2, 8, Bytes(10, 0)), &g),
            "Cannot load image. The PSD or PDD image is too large (70000 x 2).");

  EXPECT_EQ(g.Width(), 2);
  EXPECT_EQ(BitmapRGBA(g), before);
}
