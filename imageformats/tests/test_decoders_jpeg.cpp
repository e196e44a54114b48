// The TIFF-JPEG decoder: JPEG files and JPEG-compressed TIFF strips written by
// ImageMagick and tiffcp decode within +-3 of ImageMagick's own decode; corrupt strips
// raise the format's exception (the process goes on), short strips warn and finish.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "decoder_test_support.h"
#include "imageformats/decoders.h"
#include "imageformats/image_format_graphic.h"
#include "platform/win/modal_answers.h"

using dectest::Bytes;

namespace {

std::vector<std::string> gWarnings;
void RecordWarning(const std::string& title, const std::string& text) { gWarnings.push_back(title + ": " + text); }

// Installs the warning recorder for one test.
struct WarningRecorder {
  TDecoderWarningHandler Old;
  WarningRecorder() : Old(SetDecoderWarningHandler(RecordWarning)) { gWarnings.clear(); }
  ~WarningRecorder() { SetDecoderWarningHandler(Old); }
};

TImageProperties Properties(Cardinal w, Cardinal h, TColorScheme scheme, Byte samples, Cardinal rowsPerStrip) {
  TImageProperties p;
  p.Width = w;
  p.Height = h;
  p.ColorScheme = scheme;
  p.SamplesPerPixel = samples;
  p.BitsPerSample = 8;
  p.PlanarConfig = 1;
  p.RowsPerStrip = {rowsPerStrip};
  if (scheme == csYCbCr) p.YCbCrSubSampling = {2, 2};
  return p;
}

struct Decoded {
  Bytes Out;
  std::size_t Produced = 0;
};

Decoded DecodeStrip(TTIFFJPEGDecoder& d, const Bytes& strip, std::size_t outSize) {
  Decoded r;
  r.Out.assign(outSize, 0xEE);
  const void* src = strip.data();
  void* dst = r.Out.data();
  d.Decode(src, dst, static_cast<Integer>(strip.size()), static_cast<Integer>(outSize));
  r.Produced = static_cast<Byte*>(dst) - r.Out.data();
  return r;
}

std::string ErrorOf(TTIFFJPEGDecoder& d, const Bytes& strip, std::size_t outSize) {
  try {
    DecodeStrip(d, strip, outSize);
  } catch (const EGraphicCompression& e) {
    return e.Message();
  }
  return "";
}

void ExpectClose(const Bytes& got, const Bytes& want, int tolerance) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i)
    ASSERT_LE(std::abs(int(got[i]) - int(want[i])), tolerance) << "at byte " << i;
}

}  // namespace

class TIFFJPEGFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!dectest::HaveTool("convert")) {
      if (std::getenv("CI")) FAIL() << "missing tool: convert";
      GTEST_SKIP() << "missing tool: convert";
    }
  }
  // A JPEG file made by ImageMagick and ImageMagick's own decode of it.
  void Make(const std::string& args, const std::string& raw, Bytes& jpeg, Bytes& pixels) {
    const std::string path = dir_ / "x.jpg";
    ASSERT_TRUE(dectest::Run("convert " + args + " " + path));
    jpeg = dectest::ReadFileBytes(path);
    pixels = dectest::Capture("convert " + path + " -depth 8 " + raw + ":-");
    ASSERT_FALSE(jpeg.empty());
    ASSERT_FALSE(pixels.empty());
  }
  dectest::TempDir dir_;
};

TEST_F(TIFFJPEGFiles, GreyAndYCbCrFilesDecodeLikeImageMagick) {
  Bytes jpeg, pixels;
  Make("-size 16x16 gradient: -depth 8", "gray", jpeg, pixels);
  TImageProperties grey = Properties(16, 16, csGray, 1, 16);
  TTIFFJPEGDecoder d(grey);
  d.DecodeInit();
  auto r = DecodeStrip(d, jpeg, 256);
  EXPECT_EQ(r.Produced, 256u);
  ExpectClose(r.Out, pixels, 3);
  d.DecodeEnd();

  // YCbCr data comes out as RGB, once converted: equal to the reference RGB.
  Make("-size 24x16 gradient:red-blue -depth 8 -sampling-factor 2x2", "rgb", jpeg, pixels);
  TImageProperties colour = Properties(24, 16, csYCbCr, 3, 16);
  TTIFFJPEGDecoder c(colour);
  c.DecodeInit();
  r = DecodeStrip(c, jpeg, 24 * 16 * 3);
  EXPECT_EQ(r.Produced, 24u * 16 * 3);
  ExpectClose(r.Out, pixels, 3);
  c.DecodeEnd();
}

TEST_F(TIFFJPEGFiles, StripsWithSharedTablesDecodeLikeImageMagick) {
  DECODER_REQUIRE_TOOL("tiffcp");
  ASSERT_TRUE(dectest::Run("convert -size 40x40 gradient:red-blue -depth 8 -compress none " + dir_ / "c.tif"));
  // tiffcp writes YCbCr (subsampled 2 x 2) by default and RGB with ":r", each with tables.
  for (const char* mode : {"jpeg", "jpeg:r"}) {
    const std::string out = dir_ / "j.tif";
    ASSERT_TRUE(dectest::Run(std::string("tiffcp -c ") + mode + " -r 16 " + dir_ / "c.tif" + " " + out));
    dectest::TiffFile tif;
    ASSERT_TRUE(dectest::ParseTiff(dectest::ReadFileBytes(out), tif));
    ASSERT_EQ(tif.Tag(259), 7u);
    const bool ycbcr = tif.Tag(262) == 6;
    EXPECT_EQ(ycbcr, std::string(mode) == "jpeg");
    const Bytes reference = dectest::Capture("convert " + out + " -depth 8 rgb:-");
    ASSERT_EQ(reference.size(), 40u * 40 * 3);

    TImageProperties p = Properties(40, 40, ycbcr ? csYCbCr : csRGB, 3, tif.Tag(278));
    p.StripCount = static_cast<Cardinal>(tif.Strips.size());
    p.JPEGTables = tif.RawTags[347];
    ASSERT_FALSE(p.JPEGTables.empty());
    TTIFFJPEGDecoder d(p);
    d.DecodeInit();
    Bytes image;
    for (std::size_t s = 0; s < tif.Strips.size(); ++s) {
      p.CurrentStrip = static_cast<Cardinal>(s);
      p.CurrentRow = static_cast<Cardinal>(s * tif.Tag(278));
      const std::size_t rows = std::min<std::size_t>(tif.Tag(278), 40 - p.CurrentRow);
      auto r = DecodeStrip(d, tif.Strips[s], rows * 40 * 3);
      EXPECT_EQ(r.Produced, r.Out.size());
      image.insert(image.end(), r.Out.begin(), r.Out.end());
    }
    d.DecodeEnd();
    ExpectClose(image, reference, 3);
  }
}

TEST_F(TIFFJPEGFiles, HeadersThatDoNotFitTheImageAreRefused) {
  Bytes jpeg, pixels;
  Make("-size 16x16 gradient: -depth 8", "gray", jpeg, pixels);
  struct Case {
    TImageProperties Props;
    std::size_t Out;
    const char* Message;
  };
  TImageProperties wrongSize = Properties(16, 32, csGray, 1, 8);
  TImageProperties wrongCount = Properties(16, 16, csRGB, 3, 16);
  TImageProperties wrongPrecision = Properties(16, 16, csGray, 1, 16);
  wrongPrecision.BitsPerSample = 16;
  TImageProperties wrongSampling = Properties(16, 16, csYCbCr, 1, 16);
  TImageProperties fine = Properties(16, 16, csGray, 1, 0);  // 0 rows per strip: the whole image
  const Case cases[] = {
      {wrongSize, 256, "Improper JPEG strip/tile size."},
      {wrongCount, 768, "Improper JPEG component count."},
      {wrongPrecision, 256, "Improper JPEG data precision."},
      {wrongSampling, 256, "Improper JPEG sampling factors."},
      {fine, 100, "Fractional JPEG scanline unsupported."},
  };
  for (const Case& c : cases) {
    TTIFFJPEGDecoder d(c.Props);
    d.DecodeInit();
    EXPECT_EQ(ErrorOf(d, jpeg, c.Out), c.Message);
    // The decompressor is usable again after a refusal.
    if (&c == &cases[4]) {
      EXPECT_EQ(DecodeStrip(d, jpeg, 256).Produced, 256u);
    }
  }

  // Tables that hold an image are not a tables field.
  TImageProperties bogus = Properties(16, 16, csGray, 1, 16);
  bogus.JPEGTables = jpeg;
  TTIFFJPEGDecoder b(bogus);
  try {
    b.DecodeInit();
    ADD_FAILURE() << "no error";
  } catch (const EGraphicCompression& e) {
    EXPECT_EQ(e.Message(), "Bogus JPEG tables field.");
  }
}

TEST_F(TIFFJPEGFiles, CorruptStripsRaiseAndShortStripsFinishWithAWarning) {
  WarningRecorder warnings;
  Bytes jpeg, pixels;
  Make("-size 32x32 gradient: -depth 8", "gray", jpeg, pixels);
  TImageProperties p = Properties(32, 32, csGray, 1, 32);
  TTIFFJPEGDecoder d(p);
  d.DecodeInit();

  // Not JPEG data at all: the library's fatal error becomes the format's exception.
  Bytes junk(200);
  std::mt19937 rng(3);
  for (Byte& b : junk) b = static_cast<Byte>(rng());
  EXPECT_THROW(DecodeStrip(d, junk, 32 * 32), EGraphicCompression);
  // A damaged header (bad marker length): the same.
  Bytes broken = jpeg;
  broken[4] = 0xFF;
  broken[5] = 0xFF;
  EXPECT_THROW(DecodeStrip(d, broken, 32 * 32), EGraphicCompression);
  // Nothing at all.
  EXPECT_THROW(DecodeStrip(d, Bytes{}, 32 * 32), EGraphicCompression);

  // The same decoder still decodes a good strip.
  auto good = DecodeStrip(d, jpeg, 32 * 32);
  ExpectClose(good.Out, pixels, 3);

  // Cut two thirds into its scan: a warning, all rows delivered, no error.
  gWarnings.clear();
  std::size_t scan = 0;
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) scan = i;
  ASSERT_GT(scan, 0u);
  const Bytes cut(jpeg.begin(), jpeg.begin() + scan + (jpeg.size() - scan) * 2 / 3);
  auto r = DecodeStrip(d, cut, 32 * 32);
  EXPECT_EQ(r.Produced, 32u * 32);
  ASSERT_FALSE(gWarnings.empty());
  EXPECT_EQ(gWarnings.front(), "Warning: JPEG decompression error. Unexpected end of input.");
  // The first row of blocks came before the cut and is intact.
  ExpectClose(Bytes(r.Out.begin(), r.Out.begin() + 32 * 8), Bytes(pixels.begin(), pixels.begin() + 32 * 8), 3);

  // Random damage anywhere after the header never ends the process.
  for (int i = 0; i < 60; ++i) {
    Bytes damaged = jpeg;
    for (int k = 0; k < 4; ++k) damaged[20 + rng() % (damaged.size() - 20)] = static_cast<Byte>(rng());
    try {
      DecodeStrip(d, damaged, 32 * 32);
    } catch (const EGraphicCompression&) {
    }
  }
  d.DecodeEnd();
}

TEST_F(TIFFJPEGFiles, AShortStripShowsAWarningBoxByDefault) {
  Bytes jpeg, pixels;
  Make("-size 16x16 gradient: -depth 8", "gray", jpeg, pixels);
  TImageProperties p = Properties(16, 16, csGray, 1, 16);
  TTIFFJPEGDecoder d(p);
  d.DecodeInit();
  win::ClearModalAnswers();
  for (int i = 0; i < 4; ++i) win::AnswerMessageBox(win::IDOK);
  const Bytes cut(jpeg.begin(), jpeg.end() - 20);
  EXPECT_EQ(DecodeStrip(d, cut, 256).Produced, 256u);
  const auto& prompts = win::ModalPrompts();
  ASSERT_FALSE(prompts.empty());
  EXPECT_EQ(prompts[0].kind, win::ModalKind::MessageBox);
  EXPECT_EQ(prompts[0].caption, "Warning");
  EXPECT_EQ(prompts[0].text, "JPEG decompression error. Unexpected end of input.");
  EXPECT_EQ(prompts[0].type, win::MB_OK | win::MB_ICONEXCLAMATION);
  EXPECT_TRUE(win::ModalFailures().empty());
  win::ClearModalAnswers();
  d.DecodeEnd();
}
