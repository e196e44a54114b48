// The TIFF reader against files made by ImageMagick and libtiff's tiffcp and decoded by
// ImageMagick, and against small and malformed files built here.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "imageformats/tiff_blocks.h"
#include "imageformats/tiff_reader.h"
#include "reader_test_support.h"
#include "tiff_test_builder.h"

using namespace readertest;

namespace {

using Bytes = std::vector<unsigned char>;

void Load(TTIFFGraphic& g, const Bytes& data) {
  TMemoryStream s;
  FillStream(s, data);
  g.LoadFromStream(s);
}

std::string LoadError(TTIFFGraphic& g, const Bytes& data) {
  try {
    Load(g, data);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "no error";
}

TImageProperties PropertiesOf(const Bytes& data, Cardinal index = 0) {
  TMemoryStream s;
  FillStream(s, data);
  TTIFFGraphic g;
  EXPECT_TRUE(g.ReadImageProperties(s, index));
  return g.ImageProperties();
}

const std::string kInvalid = "Cannot load image. Invalid or unexpected TIF/TIFF image format.";
const std::string kReadError = "Stream read error in TIF/TIFF file.";
const std::string kNotSupported = "Cannot load image. The compression scheme is not supported for TIF/TIFF files.";
const std::string kBadColor = "Invalid color format in TIF/TIFF file.";

}  // namespace

// ---- files made by the tools -----------------------------------------------------------

class TiffToolFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_TOOL("convert");
    REQUIRE_TOOL("tiffcp");
    base = dir / "base.tif";
    ASSERT_TRUE(RunTool("convert -size 37x23 -seed 5 plasma:fractal -depth 8 -compress none " + base));
  }

  std::string Make(const std::string& name, const std::string& command) {
    const std::string out = dir / name;
    std::string cmd = command;
    for (std::size_t at; (at = cmd.find("OUT")) != std::string::npos;) cmd.replace(at, 3, out);
    for (std::size_t at; (at = cmd.find("BASE")) != std::string::npos;) cmd.replace(at, 4, base);
    for (std::size_t at; (at = cmd.find("DIR/")) != std::string::npos;) cmd.replace(at, 4, dir / "");
    EXPECT_TRUE(RunTool(cmd)) << cmd;
    return out;
  }

  // ImageMagick's decode of the first image; 16-bit files are reduced the readers' way.
  Bytes ToolRGBA(const std::string& path, bool sixteen) {
    if (!sixteen) return Capture("convert '" + path + "[0]' -depth 8 rgba:-");
    Bytes wide = Capture("convert '" + path + "[0]' -depth 16 -endian MSB rgba:-");
    Bytes out(wide.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i)
      out[i] = static_cast<unsigned char>(((wide[2 * i] << 8) | wide[2 * i + 1]) * 255u / 65535u);
    return out;
  }

  // Our decode matches the tool's within `tolerance`; alpha is compared when present.
  void Check(const std::string& path, int tolerance = 0, bool sixteen = false) {
    SCOPED_TRACE(path);
    TTIFFGraphic g;
    const Bytes file = ReadFileBytes(path);
    ASSERT_FALSE(file.empty());
    Load(g, file);
    const bool alpha = g.PixelFormat() == pf32bit;
    const Bytes tool = ToolRGBA(path, sixteen);
    ASSERT_EQ(tool.size(), std::size_t(g.Width()) * g.Height() * 4);
    EXPECT_EQ(FirstDifference(BitmapRGBA(g, alpha), tool, tolerance, {true, true, true, alpha}), -1);
  }

  TempDir dir;
  std::string base;
};

TEST_F(TiffToolFiles, CompressionsOfAnRGBImage) {
  Check(Make("none.tif", "tiffcp -c none BASE OUT"));
  const std::string packbits = Make("packbits.tif", "tiffcp -c packbits -r 5 BASE OUT");
  EXPECT_EQ(PropertiesOf(ReadFileBytes(packbits)).Compression, ctPackedBits);
  EXPECT_EQ(PropertiesOf(ReadFileBytes(packbits)).RowsPerStrip, TCardinalArray{5});
  Check(packbits);
  Check(Make("zip.tif", "tiffcp -c zip BASE OUT"));
  const std::string predictor = Make("zip2.tif", "tiffcp -c zip:2 -r 7 BASE OUT");
  EXPECT_EQ(PropertiesOf(ReadFileBytes(predictor)).Predictor, 2u);
  Check(predictor);
  const std::string bigEndian = Make("zip2be.tif", "tiffcp -B -c zip:2 BASE OUT");
  EXPECT_TRUE(PropertiesOf(ReadFileBytes(bigEndian)).Options & ioBigEndian);
  Check(bigEndian);
  Check(Make("packbitsbe.tif", "tiffcp -B -c packbits BASE OUT"));
}

TEST_F(TiffToolFiles, JPEGStripsMatchWithinThree) {
  // libtiff writes YCbCr (subsampled), ImageMagick RGB; the JPEG library converts YCbCr once.
  const std::string ycbcr = Make("jpeg_ycbcr.tif", "tiffcp -c jpeg -r 16 BASE OUT");
  EXPECT_EQ(PropertiesOf(ReadFileBytes(ycbcr)).ColorScheme, csYCbCr);
  Check(ycbcr, 3);
  const std::string rgb = Make("jpeg_rgb.tif", "convert BASE -compress jpeg OUT");
  EXPECT_EQ(PropertiesOf(ReadFileBytes(rgb)).ColorScheme, csRGB);
  Check(rgb, 3);
  Check(Make("jpeg_grey.tif", "convert BASE -colorspace Gray -compress jpeg OUT"), 3);
  // Planes as grey JPEG streams of their own, in strips; subsampled YCbCr planes are refused.
  Check(Make("jpeg_planar.tif", "tiffcp -p separate -c jpeg:r -r 8 BASE OUT"), 3);
  TTIFFGraphic planar;
  EXPECT_EQ(LoadError(planar, ReadFileBytes(Make("jpeg_planar_ycc.tif", "tiffcp -p separate -c jpeg BASE OUT"))),
            kNotSupported);

  // A strip that is not JPEG data raises an error instead of ending the process, and
  // the bitmap keeps what it had.
  Bytes file = ReadFileBytes(ycbcr);
  TTIFFDirectory directory;
  TMemoryStream s;
  FillStream(s, file);
  ASSERT_TRUE(directory.Read(s, 0, Int64(file.size()), 0, "TIF/TIFF"));
  TCardinalArray offsets;
  directory.GetValueList(273, offsets);
  ASSERT_FALSE(offsets.empty());
  file[offsets[0]] = 0;
  file[offsets[0] + 1] = 0;
  TTIFFGraphic g;
  Load(g, ReadFileBytes(rgb));
  const Bytes before = BitmapRGBA(g);
  EXPECT_THROW(Load(g, file), Exception);
  EXPECT_EQ(BitmapRGBA(g), before);
}

TEST_F(TiffToolFiles, SixteenBitSamplesInBothByteOrders) {
  Make("b16.tif", "convert -size 37x23 -seed 9 plasma:fractal -depth 16 -compress none OUT");
  Check(Make("rgb16.tif", "tiffcp -c none DIR/b16.tif OUT"), 0, true);
  Check(Make("rgb16be.tif", "tiffcp -B -c zip:2 DIR/b16.tif OUT"), 0, true);
  Check(Make("rgb16le.tif", "tiffcp -L -c zip:2 DIR/b16.tif OUT"), 0, true);
  Check(Make("grey16be.tif", "convert DIR/b16.tif -colorspace Gray -depth 16 DIR/g16.tif && tiffcp -B DIR/g16.tif OUT"),
        0, true);
}

TEST_F(TiffToolFiles, GreyAndPaletteDepths) {
  Check(Make("grey8.tif", "convert BASE -colorspace Gray -depth 8 OUT"));
  Check(Make("grey4.tif", "convert BASE -colorspace Gray -depth 4 OUT"));
  // 2-bit grey becomes a 4-bit bitmap whose 16 greys hold the four levels.
  const std::string grey2 = Make("grey2.tif", "convert BASE -colorspace Gray -depth 2 OUT");
  Check(grey2);
  TTIFFGraphic g;
  Load(g, ReadFileBytes(grey2));
  EXPECT_EQ(g.PixelFormat(), pf4bit);
  // 1-bit, min-is-white, from a fax file.
  Make("fax.tif", "convert BASE -monochrome -compress Fax OUT");
  const std::string grey1 = Make("grey1.tif", "tiffcp -c none DIR/fax.tif OUT");
  EXPECT_TRUE(PropertiesOf(ReadFileBytes(grey1)).Options & ioMinIsWhite);
  Check(grey1);
  Check(Make("grey1lsb.tif", "tiffcp -c none -f lsb2msb DIR/fax.tif OUT"));

  for (const char* colors : {"4", "16", "100"}) {
    const std::string pal = Make(std::string("pal") + colors + ".tif",
                                 std::string("convert BASE -colors ") + colors + " -type Palette OUT");
    EXPECT_EQ(PropertiesOf(ReadFileBytes(pal)).ColorScheme, csIndexed);
    Check(pal);
  }
  // 2-bit palette images keep their colours (indices are not rescaled).
  EXPECT_EQ(PropertiesOf(ReadFileBytes(dir / "pal4.tif")).BitsPerSample, 2);
}

TEST_F(TiffToolFiles, AlphaCMYKAndLayouts) {
  const std::string rgba = Make("rgba.tif", "convert BASE -alpha set -channel A -fx i/w +channel -compress zip OUT");
  Check(rgba);
  const std::string greyAlpha =
      Make("ga.tif", "convert BASE -colorspace Gray -alpha set -channel A -fx j/h +channel -compress zip OUT");
  TTIFFGraphic g;
  Load(g, ReadFileBytes(greyAlpha));
  EXPECT_EQ(g.PixelFormat(), pf32bit);  // grey with alpha keeps its alpha
  Check(greyAlpha);
  // CMYK: the tool rounds where the reader truncates.
  Check(Make("cmyk.tif", "convert BASE -colorspace CMYK OUT"), 1);
  Check(Make("planar.tif", "tiffcp -p separate -c zip:2 -r 4 BASE OUT"));
  Check(Make("planar_rgba.tif", "tiffcp -p separate -c packbits DIR/rgba.tif OUT"));
  const std::string tiles = Make("tiles.tif", "tiffcp -t -w 16 -l 16 -c zip:2 BASE OUT");
  EXPECT_TRUE(PropertiesOf(ReadFileBytes(tiles)).Options & ioTiled);
  Check(tiles);
  Check(Make("tiles_planar.tif", "tiffcp -t -w 16 -l 32 -p separate BASE OUT"));
  Check(Make("tiles_jpeg.tif", "tiffcp -t -w 16 -l 16 -c jpeg BASE OUT"), 3);
}

TEST_F(TiffToolFiles, FaxCompressions) {
  Make("fax.tif", "convert BASE -monochrome -compress Fax OUT");
  Check(dir / "fax.tif");
  const std::string g31d = Make("g3_1d.tif", "tiffcp -c g3:1d:fill -r 9 DIR/fax.tif OUT");
  Check(g31d);
  Check(Make("g3_lsb.tif", "tiffcp -c g3:1d -f lsb2msb DIR/fax.tif OUT"));

  TTIFFGraphic g;
  EXPECT_EQ(LoadError(g, ReadFileBytes(Make("g3_2d.tif", "tiffcp -c g3:2d DIR/fax.tif OUT"))), kNotSupported);
  EXPECT_EQ(LoadError(g, ReadFileBytes(Make("g4.tif", "tiffcp -c g4 DIR/fax.tif OUT"))), kNotSupported);
  EXPECT_EQ(LoadError(g, ReadFileBytes(Make("lzw.tif", "tiffcp -c lzw BASE OUT"))), kNotSupported);
}

TEST_F(TiffToolFiles, DirectoriesOfAMultiImageFile) {
  Make("small.tif", "convert -size 5x3 xc:red OUT");
  const Bytes multi = ReadFileBytes(Make("multi.tif", "tiffcp BASE DIR/small.tif OUT"));
  EXPECT_EQ(PropertiesOf(multi, 0).Width, 37u);
  EXPECT_EQ(PropertiesOf(multi, 1).Width, 5u);
  EXPECT_EQ(PropertiesOf(multi, 1).Height, 3u);
  TMemoryStream s;
  FillStream(s, multi);
  TTIFFGraphic g;
  EXPECT_FALSE(g.ReadImageProperties(s, 2));
  s.SetPosition(0);
  EXPECT_TRUE(TTIFFGraphic::CanLoad(s));
  EXPECT_EQ(s.Position(), 0);
  // LoadFromStream reads the first image.
  Load(g, multi);
  EXPECT_EQ(g.Width(), 37);
}

// ---- files built here --------------------------------------------------------------------

TEST(TiffBuilt, ModifiedHuffmanAndThunderScan) {
  // Three 16-pixel rows: white 4 black 8 white 4; white 16; white 0 black 16.
  const Bytes mh = {0xB1, 0x6C, 0xA8, 0x35, 0x05, 0xC0};
  const Bytes file = TiffBuilder().Build(TiffBuilder::Basic(16, 3, 1, 1, 0, 2, 6), mh);
  TTIFFGraphic g;
  Load(g, file);
  ASSERT_EQ(g.PixelFormat(), pf1bit);
  const Byte expected[3][2] = {{0x0F, 0xF0}, {0x00, 0x00}, {0xFF, 0xFF}};
  for (int y = 0; y < 3; ++y) {
    const Byte* row = static_cast<const Byte*>(g.ScanLine(y));
    EXPECT_EQ(row[0], expected[y][0]) << y;
    EXPECT_EQ(row[1], expected[y][1]) << y;
  }

  // ThunderScan, one row of 8 pixels: raw 5; run of 3; deltas +1 -1 0; raw 9.
  const Bytes thunder = {0xC5, 0x03, 0x40 | (1 << 4) | (3 << 2) | 0, 0xC9};
  const Bytes tfile = TiffBuilder().Build(TiffBuilder::Basic(8, 1, 4, 1, 1, 32809, 4), thunder);
  Load(g, tfile);
  ASSERT_EQ(g.PixelFormat(), pf4bit);
  const Byte* row = static_cast<const Byte*>(g.ScanLine(0));
  EXPECT_EQ(Bytes(row, row + 4), Bytes({0x55, 0x55, 0x65, 0x59}));

  // libtiff reads both files the same way.
  if (HaveTool("convert")) {
    TempDir dir;
    for (const Bytes* f : {&file, &tfile}) {
      WriteFileBytes(dir / "x.tif", *f);
      TTIFFGraphic ours;
      Load(ours, *f);
      EXPECT_EQ(FirstDifference(BitmapRGBA(ours), Capture("convert " + dir / "x.tif -depth 8 rgba:-"), 0), -1);
    }
  } else if (std::getenv("CI")) {
    FAIL() << "missing tool: convert";
  }
}

TEST(TiffBuilt, CIELabLightnessIsScaled) {
  // L* 255 (100), 128 (50.2) and 0 with neutral chroma: white, a dark grey, black.
  const Bytes lab = {255, 0, 0, 128, 0, 0, 0, 0, 0};
  TTIFFGraphic g;
  Load(g, TiffBuilder().Build(TiffBuilder::Basic(3, 1, 8, 3, 8, 1, 9), lab));
  EXPECT_EQ(BitmapRGBA(g), Bytes({255, 255, 255, 255, 47, 47, 47, 255, 0, 0, 0, 255}));
}

TEST(TiffBuilt, UnsubsampledYCbCrWithoutJPEG) {
  // Y 100 with neutral chroma is grey 100; Y 0, Cr 255 is red only. Zero weights in the
  // file would divide by zero: the standard weights are kept.
  auto tags = TiffBuilder::Basic(2, 1, 8, 3, 6, 1, 6);
  SetTag(tags, {530, 3, {1, 1}});
  SetTag(tags, {529, 5, {0, 1, 0, 1, 0, 1}});
  TTIFFGraphic g;
  Load(g, TiffBuilder().Build(tags, {100, 128, 128, 0, 128, 255}));
  EXPECT_EQ(g.YCbCrCoefficients(), TFloatArray({0.299f, 0.587f, 0.114f}));
  // Cr 255: d = 127, red = round(1.402 x 127) = 178, green = -round(0.714 x 127) clamps to 0.
  EXPECT_EQ(BitmapRGBA(g), Bytes({100, 100, 100, 255, 178, 0, 0, 255}));
}

TEST(TiffBuilt, SubsampledYCbCrWithoutJPEGIsExpandedLikeLibtiff) {
  REQUIRE_TOOL("tiff2rgba");
  REQUIRE_TOOL("convert");
  const struct {
    std::uint32_t h, v, width, height, rows;  // rows per strip; 0: tiles of 16 x 16
    bool deflated;
  } cases[] = {
      {2, 2, 7, 5, 2, false},  // groups cut by the right and bottom edges, three strips
      {2, 1, 6, 3, 3, true},  {4, 4, 5, 9, 8, false},
      {2, 2, 21, 18, 0, false},  // four tiles, cut by the image's edges
  };
  TempDir dir;
  std::uint32_t seed = 7;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.h << "x" << c.v << " in " << c.width << "x" << c.height << ", rows " << c.rows);
    const std::uint32_t blockWidth = c.rows ? c.width : 16, blockRows = c.rows ? c.rows : 16;
    std::vector<std::uint32_t> offsets, counts;
    Bytes data;
    for (std::uint32_t top = 0; top < c.height; top += blockRows)
      for (std::uint32_t left = 0; left < c.width; left += blockWidth) {
        const std::uint32_t rows = c.rows ? std::min(blockRows, c.height - top) : blockRows;
        Bytes block(((blockWidth + c.h - 1) / c.h) * ((rows + c.v - 1) / c.v) * (c.h * c.v + 2));
        for (auto& b : block) b = static_cast<unsigned char>(64 + ((seed = seed * 1103515245u + 12345u) >> 16) % 128);
        if (c.deflated) block = Deflate(block);
        offsets.push_back(8 + static_cast<std::uint32_t>(data.size()));
        counts.push_back(static_cast<std::uint32_t>(block.size()));
        data.insert(data.end(), block.begin(), block.end());
      }
    auto t = TiffBuilder::Basic(c.width, c.height, 8, 3, 6, c.deflated ? 8 : 1, 0);
    std::erase_if(t, [](const TiffEntry& e) { return e.Tag == 273 || e.Tag == 278 || e.Tag == 279; });
    for (const TiffEntry& e : c.rows ? std::vector<TiffEntry>{{273, 4, offsets}, {278, 4, {c.rows}}, {279, 4, counts}}
                                     : std::vector<TiffEntry>{{322, 4, {16}}, {323, 4, {16}}, {324, 4, offsets}, {325, 4, counts}})
      t.push_back(e);
    t.push_back({530, 3, {c.h, c.v}});
    const Bytes file = TiffBuilder().Build(t, data);
    WriteFileBytes(dir / "ycc.tif", file);
    TTIFFGraphic ours;
    Load(ours, file);
    // libtiff's RGBA reader expands the groups (ImageMagick reads them as pixels).
    ASSERT_TRUE(RunTool("tiff2rgba " + dir / "ycc.tif " + dir / "rgba.tif"));
    EXPECT_EQ(FirstDifference(BitmapRGBA(ours), Capture("convert " + dir / "rgba.tif -depth 8 rgba:-"), 1), -1);
  }
}

TEST(TiffBuilt, RowsPerStripZeroOrInfiniteIsOneStrip) {
  const Bytes grey = {1, 2, 3, 4, 5, 6};
  for (std::uint32_t rows : {0u, 0xFFFFFFFFu}) {
    auto tags = TiffBuilder::Basic(2, 3, 8, 1, 1, 1, 6);
    SetTag(tags, {278, 4, {rows}});
    TTIFFGraphic g;
    Load(g, TiffBuilder().Build(tags, grey));
    EXPECT_EQ(g.ImageProperties().RowsPerStrip, TCardinalArray{3});
    EXPECT_EQ(BitmapRGBA(g)[4 * 5], 6);
  }
}

TEST(TiffBuilt, BigEndianFileReadsLikeItsLittleEndianTwin) {
  // 16-bit grey, two strips, resolution in centimetres, YCbCr-style SHORT pair.
  const Bytes le = {0x34, 0x12, 0xFF, 0xFF, 0x00, 0x01};
  const Bytes be = {0x12, 0x34, 0xFF, 0xFF, 0x01, 0x00};
  auto tags = [](std::uint32_t size) {
    auto t = TiffBuilder::Basic(1, 3, 16, 1, 1, 1, size);
    SetTag(t, {273, 4, {8, 12}});
    SetTag(t, {278, 3, {2}});
    SetTag(t, {279, 4, {4, 2}});
    SetTag(t, {282, 5, {300, 1}});
    SetTag(t, {283, 5, {150, 2}});
    SetTag(t, {296, 3, {3}});
    return t;
  };
  TTIFFGraphic a, b;
  Load(a, TiffBuilder(false).Build(tags(6), le));
  Load(b, TiffBuilder(true).Build(tags(6), be));
  EXPECT_EQ(BitmapRGBA(a), BitmapRGBA(b));
  EXPECT_EQ(BitmapRGBA(a), Bytes({0x12, 0x12, 0x12, 255, 255, 255, 255, 255, 0, 0, 0, 255}));
  EXPECT_FLOAT_EQ(b.ImageProperties().XResolution, 762.0f);
  EXPECT_FLOAT_EQ(b.ImageProperties().YResolution, 190.5f);

  // Two SHORT values in one entry come out in the order written, whatever the byte order.
  for (bool big : {false, true}) {
    auto t = TiffBuilder::Basic(2, 2, 8, 3, 6, 1, 12);
    SetTag(t, {530, 3, {4, 2}});
    const TImageProperties p = PropertiesOf(TiffBuilder(big).Build(t, Bytes(12, 128)));
    EXPECT_EQ(p.YCbCrSubSampling, TByteArray({4, 2})) << big;
  }
}

TEST(TiffBuilt, PredictorUndoesDifferencesPerSample) {
  Byte row8[] = {10, 20, 30, 1, 2, 3, 255, 1, 1};
  TIFFUndoPredictor(row8, 3, 3, 8, false);
  EXPECT_EQ(Bytes(row8, row8 + 9), Bytes({10, 20, 30, 11, 22, 33, 10, 23, 34}));
  Byte row16le[] = {0xFF, 0x00, 0x02, 0x01};  // 0x00FF then +0x0102
  TIFFUndoPredictor(row16le, 2, 1, 16, false);
  EXPECT_EQ(Bytes(row16le, row16le + 4), Bytes({0xFF, 0x00, 0x01, 0x02}));
  Byte row16be[] = {0x00, 0xFF, 0x01, 0x02};
  TIFFUndoPredictor(row16be, 2, 1, 16, true);
  EXPECT_EQ(Bytes(row16be, row16be + 4), Bytes({0x00, 0xFF, 0x02, 0x01}));
}

TEST(TiffBuilt, PredictorAfterAnyDecodingAndOnlyTheImagesBitsPerSample) {
  struct Case {
    const char* name;
    std::vector<TiffEntry> tags;
    Bytes data, rgba;
  };
  auto grey = [](std::uint32_t compression, std::uint32_t size) {
    auto t = TiffBuilder::Basic(4, 1, 8, 1, 1, compression, size);
    SetTag(t, {317, 3, {2}});
    return t;
  };
  auto rgb = TiffBuilder::Basic(1, 1, 8, 3, 2, 1, 3);
  SetTag(rgb, {258, 3, {8, 8, 8, 1}});
  const Bytes ramp = {10, 10, 10, 255, 15, 15, 15, 255, 20, 20, 20, 255, 25, 25, 25, 255};
  const Case cases[] = {
      {"none", grey(1, 4), {10, 5, 5, 5}, ramp},
      {"packbits", grey(32773, 5), {3, 10, 5, 5, 5}, ramp},
      {"bits 8,8,8,1", rgb, {1, 2, 3}, {1, 2, 3, 255}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTIFFGraphic g;
    Load(g, TiffBuilder().Build(c.tags, c.data));
    EXPECT_EQ(BitmapRGBA(g), c.rgba);
  }
}

// ---- malformed files ------------------------------------------------------------------

class TiffHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    good = TiffBuilder().Build(TiffBuilder::Basic(3, 2, 8, 1, 1, 1, 6), {10, 20, 30, 40, 50, 60});
    Load(g, good);
    before = BitmapRGBA(g);
  }
  void ExpectRefused(const Bytes& file, const std::string& message) {
    EXPECT_EQ(LoadError(g, file), message);
    EXPECT_EQ(g.Width(), 3);
    EXPECT_EQ(g.Height(), 2);
    EXPECT_EQ(BitmapRGBA(g), before);
    EXPECT_EQ(g.ImageProperties().Width, 3u);
  }
  std::vector<TiffEntry> Tags() { return TiffBuilder::Basic(3, 2, 8, 1, 1, 1, 6); }
  Bytes With(TiffEntry e, const Bytes& data = {10, 20, 30, 40, 50, 60}) {
    auto t = Tags();
    SetTag(t, e);
    return TiffBuilder().Build(t, data);
  }

  TTIFFGraphic g;
  Bytes good, before;
};

TEST_F(TiffHostile, EveryTruncationIsRefused) {
  // Only the offset of a next directory may be missing: the image itself is whole.
  for (std::size_t n = 0; n < good.size() - 4; ++n) {
    SCOPED_TRACE(n);
    EXPECT_NE(LoadError(g, Bytes(good.begin(), good.begin() + n)), "no error");
    EXPECT_EQ(BitmapRGBA(g), before);
  }
}

TEST_F(TiffHostile, HeadersAndDirectories) {
  Bytes version = good;
  version[2] = 43;
  ExpectRefused(version, kInvalid);
  Bytes mark = good;
  mark[0] = 'X';
  ExpectRefused(mark, kInvalid);
  TMemoryStream s;
  FillStream(s, mark);
  EXPECT_FALSE(TTIFFGraphic::CanLoad(s));
  // A directory offset past the end.
  Bytes offset = good;
  offset[4] = 0xF0;
  offset[7] = 0x7F;
  ExpectRefused(offset, kInvalid);
  FillStream(s, offset);
  EXPECT_FALSE(TTIFFGraphic::CanLoad(s));
  // An entry count whose entries do not fit in the file.
  Bytes count = good;
  const std::size_t ifd = 8 + 6;
  count[ifd] = 0xFF;
  count[ifd + 1] = 0xFF;
  ExpectRefused(count, kInvalid);
  // A chain that loops back on itself ends when the index runs out.
  auto loop = TiffBuilder().Build(Tags(), {10, 20, 30, 40, 50, 60}, 14);
  FillStream(s, loop);
  TTIFFGraphic probe;
  EXPECT_FALSE(probe.ReadImageProperties(s, 1000));
}

TEST_F(TiffHostile, SizesAndCounts) {
  ExpectRefused(With({256, 4, {0}}), kInvalid);
  ExpectRefused(With({256, 4, {70000}}), "Cannot load image. The TIF/TIFF image is too large (70000 x 2).");
  ExpectRefused(With({257, 4, {0x7FFFFFFF}}), "Cannot load image. The TIF/TIFF image is too large (3 x 2147483647).");
  // Strip offsets, sizes and value lists outside the file.
  ExpectRefused(With({273, 4, {1000}}), kReadError);
  ExpectRefused(With({279, 4, {0x7FFFFFF0}}), kReadError);
  ExpectRefused(With({273, 4, {8}, 0x40000000}), kReadError);
  ExpectRefused(With({279, 4, {3}}), kReadError);  // fewer bytes than the strip needs
  // Too few strips for the rows.
  ExpectRefused(With({278, 4, {1}}), kInvalid);
  // A big claimed image whose data cannot hold it is refused before allocating.
  auto big = TiffBuilder::Basic(8000, 8000, 8, 3, 2, 32946, 6);
  ExpectRefused(TiffBuilder().Build(big, {1, 2, 3, 4, 5, 6}), kReadError);
}

TEST_F(TiffHostile, ColourFormatsAndCompressions) {
  ExpectRefused(With({258, 3, {3}}), kBadColor);
  ExpectRefused(With({262, 3, {4}}), kBadColor);
  ExpectRefused(With({262, 3, {3}}), "Cannot load image. Palette in TIF/TIFF file is invalid.");  // no colour map
  auto pal = Tags();
  SetTag(pal, {262, 3, {3}});
  SetTag(pal, {320, 3, {1, 2, 3, 4, 5}});
  ExpectRefused(TiffBuilder().Build(pal, {0, 1, 0, 1, 0, 1}), "Cannot load image. Palette in TIF/TIFF file is invalid.");
  ExpectRefused(With({259, 3, {5}}), kNotSupported);  // LZW
  ExpectRefused(With({259, 3, {6}}), kNotSupported);  // old-style JPEG
  ExpectRefused(With({259, 3, {4}}), kNotSupported);  // Group 4
  ExpectRefused(With({259, 3, {12345}}), kNotSupported);
  ExpectRefused(With({259, 3, {3}}), kBadColor);  // Group 3 needs 1-bit samples
  ExpectRefused(With({317, 3, {3}}), kNotSupported);  // floating-point predictor
  // Subsampled YCbCr: too few groups, strips that cut groups, chroma in planes of its own
  // or differenced, a subsampling other than 1, 2 or 4.
  const std::vector<TiffEntry> ycc[] = {{{279, 4, {6}}},
                                        {{273, 4, {8, 14}}, {278, 4, {1}}, {279, 4, {6, 6}}},
                                        {{284, 3, {2}}},
                                        {{317, 3, {2}}},
                                        {{530, 3, {3, 1}}}};
  const std::string yccRefusals[] = {kReadError, kInvalid, kNotSupported, kNotSupported,
                                     "Subsampling value is invalid. Allowed are 1, 2 and 4."};
  for (int i = 0; i < 5; ++i) {
    auto t = TiffBuilder::Basic(3, 2, 8, 3, 6, 1, 12);
    for (const TiffEntry& e : ycc[i]) SetTag(t, e);
    ExpectRefused(TiffBuilder().Build(t, {1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6}), yccRefusals[i]);
  }
}

TEST_F(TiffHostile, CorruptCompressedStrips) {
  ExpectRefused(With({259, 3, {32946}}, {0x78, 0x00, 1, 2, 3, 4}),
                "Cannot load image. Compression error found in TIF/TIFF file.");
  // A deflate strip that ends early.
  Bytes z(64);
  uLongf zsize = z.size();
  const Bytes half = {10, 20, 30};
  compress(z.data(), &zsize, half.data(), half.size());
  z.resize(zsize);
  auto t = Tags();
  SetTag(t, {259, 3, {8}});
  SetTag(t, {279, 4, {std::uint32_t(z.size())}});
  ExpectRefused(TiffBuilder().Build(t, z), "Cannot load image. Compression error found in TIF/TIFF file.");
  // PackBits that makes too few bytes.
  auto p = Tags();
  SetTag(p, {259, 3, {32773}});
  SetTag(p, {279, 4, {2}});
  ExpectRefused(TiffBuilder().Build(p, {0xFE, 7}), "Cannot load image. Compression error found in TIF/TIFF file.");
}
