// The PNG reader against files made by netpbm's pnmtopng and decoded by its pngtopam,
// and against malformed files built here.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "imageformats/png_reader.h"
#include "reader_test_support.h"

using namespace readertest;

namespace {

using Bytes = std::vector<unsigned char>;

// A 4 x 2 RGB image, unfiltered rows.
const Bytes kRgbRows = {0, 255, 0,   0,   0,   255, 0,   0,   0,   255, 10, 20, 30,
                        0, 1,   2,   3,   4,   5,   6,   7,   8,   9,   11, 12, 13};

Bytes SmallRgbPng() { return BuildPng({IHDR(4, 2, 8, 2), nullptr, Deflate(kRgbRows)}); }

void Load(TPNGGraphic& g, const Bytes& data) {
  TMemoryStream s;
  FillStream(s, data);
  g.LoadFromStream(s);
}

std::string LoadError(TPNGGraphic& g, const Bytes& data) {
  try {
    Load(g, data);
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "no error";
}

unsigned PseudoRandom(unsigned& seed) {
  seed = seed * 134775813u + 1u;
  return seed >> 8;
}

}  // namespace

// ---- files made by pnmtopng ----------------------------------------------------------

class PngToolFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_TOOL("pnmtopng");
    REQUIRE_TOOL("pngtopam");
    REQUIRE_TOOL("pamtopam");
  }

  struct Variant {
    const char* Name;
    int Channels;        // of the source PNM: 1 grey, 3 colour
    unsigned MaxVal;
    unsigned Colors;     // distinct colours to use (0: any)
    bool Alpha;          // an alpha mask of the same maxval
    std::string Options; // more pnmtopng options
    int ColorType, Depth, Interlace;
  };

  // Writes the source PNM (and alpha mask) and makes the PNG; answers its path.
  std::string Make(const Variant& v, int w = 23, int h = 13) {
    unsigned seed = 7;
    std::vector<unsigned> samples, alpha;
    std::vector<std::vector<unsigned>> palette;
    for (unsigned i = 0; i < v.Colors; ++i) {
      std::vector<unsigned> c;
      for (int k = 0; k < v.Channels; ++k) c.push_back(PseudoRandom(seed) % (v.MaxVal + 1));
      palette.push_back(c);
    }
    for (int i = 0; i < w * h; ++i) {
      if (v.Colors) {
        const auto& c = palette[PseudoRandom(seed) % v.Colors];
        samples.insert(samples.end(), c.begin(), c.end());
      } else {
        for (int k = 0; k < v.Channels; ++k) samples.push_back(PseudoRandom(seed) % (v.MaxVal + 1));
      }
      alpha.push_back(PseudoRandom(seed) % (v.MaxVal + 1));
    }
    const std::string src = dir / (std::string(v.Name) + (v.Channels == 1 ? ".pgm" : ".ppm"));
    WritePNM(src, w, h, v.Channels, v.MaxVal, samples);
    std::string cmd = "pnmtopng " + v.Options;
    if (v.Alpha) {
      WritePNM(dir / "alpha.pgm", w, h, 1, v.MaxVal, alpha);
      cmd += " -alpha=" + dir / "alpha.pgm";
    }
    const std::string png = dir / (std::string(v.Name) + ".png");
    EXPECT_TRUE(RunTool(cmd + " " + src + " > " + png)) << cmd;
    return png;
  }

  Bytes ToolRGBA(const std::string& png) {
    Pam pam;
    EXPECT_TRUE(ParsePam(Capture("pngtopam -alphapam " + png + " | pamtopam"), pam));
    return PamRGBA(pam);
  }

  static void ExpectHeader(const Bytes& file, int colorType, int depth, int interlace) {
    ASSERT_GE(file.size(), 29u);
    EXPECT_EQ(file[24], depth) << "bit depth chosen by the tool";
    EXPECT_EQ(file[25], colorType) << "colour type chosen by the tool";
    EXPECT_EQ(file[28], interlace);
  }

  void CheckVariant(const Variant& v) {
    SCOPED_TRACE(v.Name);
    const std::string png = Make(v);
    const Bytes file = ReadFileBytes(png);
    ExpectHeader(file, v.ColorType, v.Depth, v.Interlace);
    TPNGGraphic g;
    Load(g, file);
    ASSERT_EQ(g.Width(), 23);
    ASSERT_EQ(g.Height(), 13);
    const bool alpha = v.ColorType == 4 || v.ColorType == 6;
    if (alpha) {
      EXPECT_EQ(g.PixelFormat(), pf32bit);
    }
    EXPECT_EQ(FirstDifference(BitmapRGBA(g, alpha), ToolRGBA(png), 0, {true, true, true, alpha}), -1);
  }

  TempDir dir;
};

TEST_F(PngToolFiles, EveryColourTypeAndDepthDecodesLikeTheTool) {
  const Variant variants[] = {
      {"grey1", 1, 1, 0, false, "", 0, 1, 0},
      {"grey2", 1, 3, 0, false, "", 0, 2, 0},
      {"grey4", 1, 15, 0, false, "", 0, 4, 0},
      {"grey8", 1, 255, 0, false, "", 0, 8, 0},
      {"grey16", 1, 65535, 0, false, "", 0, 16, 0},
      {"rgb8", 3, 255, 0, false, "", 2, 8, 0},
      {"rgb16", 3, 65535, 0, false, "", 2, 16, 0},
      {"pal1", 3, 255, 2, false, "", 3, 1, 0},
      {"pal2", 3, 255, 4, false, "", 3, 2, 0},
      {"pal4", 3, 255, 13, false, "", 3, 4, 0},
      {"pal8", 3, 255, 200, false, "", 3, 8, 0},
      {"greyalpha8", 1, 255, 0, true, "", 4, 8, 0},
      {"greyalpha16", 1, 65535, 0, true, "", 4, 16, 0},
      {"rgba8", 3, 255, 0, true, "", 6, 8, 0},
      {"rgba16", 3, 65535, 0, true, "", 6, 16, 0},
  };
  for (const Variant& v : variants) CheckVariant(v);
}

TEST_F(PngToolFiles, InterlacedFilesPlaceEveryPass) {
  const Variant variants[] = {
      {"i_grey1", 1, 1, 0, false, "-interlace", 0, 1, 1},
      {"i_grey2", 1, 3, 0, false, "-interlace", 0, 2, 1},
      {"i_pal2", 3, 255, 4, false, "-interlace", 3, 2, 1},
      {"i_pal4", 3, 255, 11, false, "-interlace", 3, 4, 1},
      {"i_rgb8", 3, 255, 0, false, "-interlace", 2, 8, 1},
      {"i_greyalpha8", 1, 255, 0, true, "-interlace", 4, 8, 1},
      {"i_rgba16", 3, 65535, 0, true, "-interlace", 6, 16, 1},
  };
  for (const Variant& v : variants) CheckVariant(v);
}

TEST_F(PngToolFiles, EveryRowFilterIsUndone) {
  for (const char* filter : {"-nofilter", "-sub", "-up", "-avg", "-paeth"}) {
    const std::string name = std::string("filter") + (filter + 1);
    CheckVariant({name.c_str(), 3, 255, 0, false, filter, 2, 8, 0});
    const std::string name16 = name + "_16";
    CheckVariant({name16.c_str(), 1, 65535, 0, true, filter, 4, 16, 0});
  }
}

TEST_F(PngToolFiles, PaletteIndicesOfTwoBitFilesAreNotRescaled) {
  const std::string png = Make({"pal2keep", 3, 255, 4, false, "", 3, 2, 0});
  TPNGGraphic g;
  Load(g, ReadFileBytes(png));
  // Widened to a 4-bit bitmap whose indices are still 0..3.
  ASSERT_EQ(g.PixelFormat(), pf4bit);
  for (int y = 0; y < g.Height(); ++y) {
    const Byte* row = static_cast<const Byte*>(g.ScanLine(y));
    for (int x = 0; x < g.Width(); ++x) EXPECT_LE((row[x / 2] >> (x % 2 ? 0 : 4)) & 15, 3);
  }
}

TEST_F(PngToolFiles, TransparencyBackgroundAndGammaChunks) {
  // RGB with a transparent colour and a background colour.
  {
    const std::string png =
        Make({"trns_rgb", 3, 255, 0, false, "-force -transparent=rgb:10/20/30 -background=rgb:40/50/60", 2, 8, 0});
    TPNGGraphic g;
    Load(g, ReadFileBytes(png));
    EXPECT_EQ(g.TransparentColorValue(), 0x302010);
    EXPECT_EQ(g.BackgroundColor(), 0x605040);
    EXPECT_TRUE(g.Transparent());
    EXPECT_EQ(g.TransparentColor(), 0x302010);
    EXPECT_EQ(FirstDifference(BitmapRGBA(g), ToolRGBA(png), 0, {true, true, true, false}), -1);
  }
  // A grey image with gamma 1.0 is corrected for a 2.2 display; gamma 1/2.2 is not changed.
  {
    const std::string png = Make({"gamma1", 1, 255, 0, false, "-gamma=1.0", 0, 8, 0});
    TPNGGraphic g;
    Load(g, ReadFileBytes(png));
    EXPECT_NEAR(g.ImageProperties().FileGamma, 1.0f, 1e-6);
    EXPECT_TRUE(g.ImageProperties().Options & ioUseGamma);
    Bytes tool = ToolRGBA(png), ours = BitmapRGBA(g);
    for (std::size_t i = 0; i < tool.size(); i += 4) {
      const int expected = static_cast<int>(std::nearbyint(std::pow(tool[i] / 255.0, 1 / 2.2) * 255));
      ASSERT_NEAR(ours[i], expected, 1) << "pixel " << i / 4;
    }
    const std::string png2 = Make({"gamma045", 3, 255, 0, false, "-gamma=0.45455", 2, 8, 0});
    Load(g, ReadFileBytes(png2));
    EXPECT_EQ(FirstDifference(BitmapRGBA(g), ToolRGBA(png2), 0), -1);
  }
}

TEST_F(PngToolFiles, PropertiesAndSignature) {
  const std::string png = Make({"props", 3, 65535, 0, true, "-interlace", 6, 16, 1}, 9, 4);
  TMemoryStream s;
  FillStream(s, ReadFileBytes(png));
  EXPECT_TRUE(TPNGGraphic::CanLoad(s));
  EXPECT_EQ(s.Position(), 0);
  EXPECT_TRUE(TPNGGraphic::CanLoad(png));
  TPNGGraphic g;
  ASSERT_TRUE(g.ReadImageProperties(s, 0));
  const TImageProperties& p = g.ImageProperties();
  EXPECT_EQ(p.Width, 9u);
  EXPECT_EQ(p.Height, 4u);
  EXPECT_EQ(p.BitsPerSample, 16);
  EXPECT_EQ(p.SamplesPerPixel, 4);
  EXPECT_EQ(p.BitsPerPixel, 64);
  EXPECT_EQ(p.ColorScheme, csRGBA);
  EXPECT_EQ(p.Compression, ctLZ77);
  EXPECT_TRUE(p.Interlaced);
  EXPECT_TRUE(p.HasAlpha);
  EXPECT_TRUE(p.Options & ioBigEndian);
  EXPECT_EQ(p.FileGamma, 1.0f);

  TMemoryStream other;
  FillStream(other, {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0});
  EXPECT_FALSE(TPNGGraphic::CanLoad(other));
  EXPECT_THROW(TPNGGraphic::CanLoad(dir / "missing.png"), EFOpenError);
}

// ---- files built here ------------------------------------------------------------------

TEST(PngBuilt, ChunkSpellingAndAncillaryChunks) {
  TPNGGraphic g;
  // Lower-case "idat" is image data; ancillary chunks anywhere are passed over.
  Bytes file = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  PutChunk(file, "IHDR", IHDR(4, 2, 8, 2));
  PutChunk(file, "tEXt", {'a', 0, 'b'});
  PutChunk(file, "idat", Deflate(kRgbRows));
  PutChunk(file, "zzZz", {1, 2, 3});
  PutChunk(file, "IEND", {});
  Load(g, file);
  EXPECT_EQ(BitmapRGBA(g), Bytes({255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 10, 20, 30, 255,  //
                                  1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 11, 12, 13, 255}));

  // The image data split over several chunks, one of them empty, reads the same.
  Bytes z = Deflate(kRgbRows);
  Bytes split = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  PutChunk(split, "IHDR", IHDR(4, 2, 8, 2));
  PutChunk(split, "IDAT", Bytes(z.begin(), z.begin() + 5));
  PutChunk(split, "IDAT", {});
  PutChunk(split, "IDAT", Bytes(z.begin() + 5, z.end()));
  PutChunk(split, "IEND", {});
  TPNGGraphic g2;
  Load(g2, split);
  EXPECT_EQ(BitmapRGBA(g2), BitmapRGBA(g));

  // An unknown critical chunk ends the load.
  EXPECT_EQ(LoadError(g2, BuildPng({IHDR(4, 2, 8, 2), [](Bytes& b) { PutChunk(b, "ABCD", {1}); },
                                    Deflate(kRgbRows)})),
            "Cannot load PNG image. Unexpected but critical chunk detected.");
}

TEST(PngBuilt, InterlacedOnePixelImageUsesTheFirstPassOnly) {
  // Pass 0 holds the only pixel; passes 1, 3 and 5 are skipped (width 1), the others
  // have no rows. The data is one filtered row: filter 0, grey 0xAB.
  TPNGGraphic g;
  Load(g, BuildPng({IHDR(1, 1, 8, 0, 1), nullptr, Deflate({0, 0xAB})}));
  EXPECT_EQ(BitmapRGBA(g), Bytes({0xAB, 0xAB, 0xAB, 255}));
}

TEST(PngBuilt, UnfilterRowsByHand) {
  // Distance 2; the previous row b = 30 200 30 40.
  const Byte prev[5] = {0, 30, 200, 30, 40};
  auto run = [&](Byte filter) {
    Byte row[5] = {filter, 1, 2, 3, 250};
    PNGUnfilterRow(row, prev, 5, 2);
    return Bytes(row + 1, row + 5);
  };
  EXPECT_EQ(run(0), Bytes({1, 2, 3, 250}));
  EXPECT_EQ(run(1), Bytes({1, 2, 4, 252}));     // x + a
  EXPECT_EQ(run(2), Bytes({31, 202, 33, 34}));  // x + b, modulo 256
  EXPECT_EQ(run(3), Bytes({16, 102, 26, 65}));  // x + (a + b) / 2
  // Paeth picks b, b, a (p = 31 + 30 - 30 is a itself), b.
  EXPECT_EQ(run(4), Bytes({31, 202, 34, 34}));
  EXPECT_EQ(run(7), Bytes({1, 2, 3, 250}));  // unknown filters leave the bytes
}

TEST(PngBuilt, ChunkContentsThatAreChecked) {
  TPNGGraphic g;
  // tRNS of 300 bytes for a palette image: the first 256 become the alpha table.
  Bytes alpha(300);
  for (int i = 0; i < 300; ++i) alpha[i] = static_cast<unsigned char>(i * 7);
  Load(g, BuildPng({IHDR(2, 1, 8, 3),
                    [&](Bytes& b) {
                      PutChunk(b, "PLTE", {1, 2, 3, 4, 5, 6});
                      PutChunk(b, "tRNS", alpha);
                    },
                    Deflate({0, 1, 0})}));
  ASSERT_EQ(g.TransparencyData().size(), 256u);
  EXPECT_EQ(g.TransparencyData()[255], static_cast<Byte>(255 * 7));
  EXPECT_EQ(BitmapRGBA(g), Bytes({4, 5, 6, 255, 1, 2, 3, 255}));

  // A short tRNS leaves the other entries opaque; bKGD of a palette image is its colour.
  Load(g, BuildPng({IHDR(1, 1, 8, 3),
                    [&](Bytes& b) {
                      PutChunk(b, "PLTE", {1, 2, 3, 4, 5, 6});
                      PutChunk(b, "tRNS", {9});
                      PutChunk(b, "bKGD", {1});
                    },
                    Deflate({0, 0})}));
  EXPECT_EQ(g.TransparencyData()[0], 9);
  EXPECT_EQ(g.TransparencyData()[1], 255);
  EXPECT_EQ(g.BackgroundColor(), 0x060504);

  // Grey transparency and background are real grey levels, scaled from the depth.
  Load(g, BuildPng({IHDR(1, 1, 2, 0),
                    [](Bytes& b) {
                      PutChunk(b, "tRNS", {0, 2});
                      PutChunk(b, "bKGD", {0, 3});
                    },
                    Deflate({0, 0x40})}));
  EXPECT_EQ(g.TransparentColorValue(), 0xAAAAAA);
  EXPECT_EQ(g.BackgroundColor(), 0xFFFFFF);
  EXPECT_EQ(g.PixelFormat(), pf4bit);
  EXPECT_EQ(BitmapRGBA(g), Bytes({85, 85, 85, 255}));
}

TEST(PngBuilt, RowsNotYetDecodedShowTheBackgroundColour) {
  struct Peek : TPNGGraphic {
    TBitmap* Staged() const { return FStaging.get(); }
  } g;
  std::vector<TColor> seen;  // row 0 and row 1 while row 0 is reported
  g.OnProgress = [&](TObject*, TProgressStage stage, Byte, bool, const TRect&, const std::string&) {
    if (stage == psRunning && seen.empty())
      seen = {g.Staged()->Canvas()->Pixels(0, 0), g.Staged()->Canvas()->Pixels(0, 1)};
  };
  Load(g, BuildPng({IHDR(1, 2, 8, 2), [](Bytes& b) { PutChunk(b, "bKGD", {0, 0x10, 0, 0x20, 0, 0x30}); },
                    Deflate({0, 1, 2, 3, 0, 4, 5, 6})}));
  EXPECT_EQ(seen, (std::vector<TColor>{0x030201, 0x302010}));
  EXPECT_EQ(BitmapRGBA(g), Bytes({1, 2, 3, 255, 4, 5, 6, 255}));
}

// ---- malformed files ----------------------------------------------------------------

class PngHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    Load(g, SmallRgbPng());
    before = BitmapRGBA(g);
  }
  // The load fails with `message` and the bitmap keeps the image it had.
  void ExpectRefused(const Bytes& file, const std::string& message) {
    EXPECT_EQ(LoadError(g, file), message);
    EXPECT_EQ(g.Width(), 4);
    EXPECT_EQ(g.Height(), 2);
    EXPECT_EQ(BitmapRGBA(g), before);
    EXPECT_EQ(g.ImageProperties().Width, 4u);
  }
  TPNGGraphic g;
  Bytes before;
};

const std::string kInvalid = "Cannot load image. Invalid or unexpected PNG image format.";
const std::string kReadError = "Stream read error in PNG file.";

TEST_F(PngHostile, BadChecksums) {
  Bytes file = SmallRgbPng();
  file[8 + 8 + 13] ^= 0xFF;  // IHDR's CRC
  ExpectRefused(file, "Cannot load image. CRC error found in PNG file.");
  Bytes idat = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  PutChunk(idat, "IHDR", IHDR(4, 2, 8, 2));
  PutChunk(idat, "IDAT", Deflate(kRgbRows), true);
  PutChunk(idat, "IEND", {});
  ExpectRefused(idat, "Cannot load image. CRC error found in PNG file.");
  ExpectRefused(BuildPng({IHDR(4, 2, 8, 2), [](Bytes& b) { PutChunk(b, "gAMA", {0, 0, 0xB1, 0x8F}, true); },
                          Deflate(kRgbRows)}),
                "Cannot load image. CRC error found in PNG file.");
}

TEST_F(PngHostile, EveryCutBeforeTheEndOfTheImageDataIsRefused) {
  const Bytes file = SmallRgbPng();
  const std::size_t imageEnd = file.size() - 12;  // the IEND chunk follows the image data
  for (std::size_t n = 0; n < imageEnd; ++n) {
    SCOPED_TRACE(n);
    EXPECT_NE(LoadError(g, Bytes(file.begin(), file.begin() + n)), "no error");
    EXPECT_EQ(BitmapRGBA(g), before);
  }
  // Cut inside IEND: the image is whole.
  TPNGGraphic whole;
  Load(whole, Bytes(file.begin(), file.begin() + imageEnd + 3));
  EXPECT_EQ(BitmapRGBA(whole), before);
}

TEST_F(PngHostile, ChunkLengths) {
  // Over 2^31 - 1.
  Bytes huge = SmallRgbPng();
  const std::size_t idatAt = 8 + 25;
  huge[idatAt] = 0x80;
  huge[idatAt + 1] = huge[idatAt + 2] = huge[idatAt + 3] = 0;
  ExpectRefused(huge, kInvalid);
  // Past the end of the file.
  Bytes past = SmallRgbPng();
  past[idatAt] = 0x00;
  past[idatAt + 1] = 0x10;
  ExpectRefused(past, kReadError);
  // Short IHDR, gAMA, bKGD and tRNS chunks.
  Bytes shortHeader = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes ihdr = IHDR(4, 2, 8, 2);
  ihdr.pop_back();
  PutChunk(shortHeader, "IHDR", ihdr);
  PutChunk(shortHeader, "IDAT", Deflate(kRgbRows));
  PutChunk(shortHeader, "IEND", {});
  ExpectRefused(shortHeader, kInvalid);
  for (const char* type : {"gAMA", "bKGD", "tRNS"}) {
    SCOPED_TRACE(type);
    ExpectRefused(BuildPng({IHDR(4, 2, 8, 2), [type](Bytes& b) { PutChunk(b, type, {0, 1}); }, Deflate(kRgbRows)}),
                  kInvalid);
  }
  ExpectRefused(BuildPng({IHDR(1, 1, 8, 0), [](Bytes& b) { PutChunk(b, "tRNS", {0}); }, Deflate({0, 0})}),
                kInvalid);
}

TEST_F(PngHostile, ImpossibleSizesAreRefusedBeforeAllocating) {
  ExpectRefused(BuildPng({IHDR(0x7FFFFFFF, 1, 8, 2), nullptr, Deflate(kRgbRows)}),
                "Cannot load image. The PNG image is too large (2147483647 x 1).");
  ExpectRefused(BuildPng({IHDR(0, 2, 8, 2), nullptr, Deflate(kRgbRows)}), kInvalid);
  // 8000 x 8000 RGB from a few bytes of data cannot be real.
  ExpectRefused(BuildPng({IHDR(8000, 8000, 8, 2), nullptr, Deflate(kRgbRows)}),
                "Cannot load image. Compression error found in PNG file.");
}

TEST_F(PngHostile, BadHeadersAndPalettes) {
  ExpectRefused(BuildPng({IHDR(4, 2, 4, 2), nullptr, Deflate(kRgbRows)}), "Invalid color format in PNG file.");
  ExpectRefused(BuildPng({IHDR(4, 2, 8, 5), nullptr, Deflate(kRgbRows)}), "Invalid color format in PNG file.");
  // Refused before a chunk whose meaning depends on the depth is read.
  ExpectRefused(BuildPng({IHDR(4, 2, 0, 0), [](Bytes& b) { PutChunk(b, "tRNS", {0, 1}); }, Deflate(kRgbRows)}),
                "Invalid color format in PNG file.");
  ExpectRefused(BuildPng({IHDR(4, 2, 8, 2, 0, 1), nullptr, Deflate(kRgbRows)}),
                "Cannot load image. The compression scheme is not supported for PNG files.");
  ExpectRefused(BuildPng({IHDR(4, 2, 8, 2, 2), nullptr, Deflate(kRgbRows)}), kInvalid);
  // A palette whose length is not a multiple of 3, even for an RGB image.
  ExpectRefused(BuildPng({IHDR(4, 2, 8, 2), [](Bytes& b) { PutChunk(b, "PLTE", Bytes(10, 1)); },
                          Deflate(kRgbRows)}),
                "Cannot load image. Palette in PNG file is invalid.");
  // A palette image without a palette.
  ExpectRefused(BuildPng({IHDR(2, 1, 8, 3), nullptr, Deflate({0, 1, 0})}),
                "Cannot load image. Palette in PNG file is invalid.");
  Bytes notPng = SmallRgbPng();
  notPng[1] = 'Q';
  ExpectRefused(notPng, kInvalid);
}

TEST_F(PngHostile, CompressedDataThatDoesNotFitTheImage) {
  // Too little data: the zlib stream ends before the last row.
  ExpectRefused(BuildPng({IHDR(4, 2, 8, 2), nullptr, Deflate(Bytes(kRgbRows.begin(), kRgbRows.end() - 4))}),
                "Cannot load image. Extra compressed data found in PNG file.");
  // Data left in the chunk after the end of the zlib stream.
  Bytes extra = Deflate(Bytes(kRgbRows.begin(), kRgbRows.begin() + 13));
  Bytes tail = Deflate(Bytes(kRgbRows.begin() + 13, kRgbRows.end()));
  extra.insert(extra.end(), tail.begin(), tail.end());
  ExpectRefused(BuildPng({IHDR(4, 2, 8, 2), nullptr, extra}),
                "Cannot load image. Extra compressed data found in PNG file.");
  // Corrupt deflate data.
  Bytes corrupt = Deflate(kRgbRows);
  corrupt[0] = 0x78;
  corrupt[1] = 0x00;  // bad header check
  ExpectRefused(BuildPng({IHDR(4, 2, 8, 2), nullptr, corrupt}),
                "Cannot load image. Compression error found in PNG file.");
  // The image data runs out: the next chunk is not IDAT.
  Bytes z = Deflate(kRgbRows);
  ExpectRefused(BuildPng({IHDR(4, 2, 8, 2), nullptr, Bytes(z.begin(), z.begin() + 6)}),
                "Cannot load image. Compression error found in PNG file.");
}
