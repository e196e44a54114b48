// The Targa reader and writer against files made and decoded by ImageMagick, and against
// small and malformed files built here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imageformats/targa_reader.h"
#include "reader_test_support.h"

using namespace readertest;

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kBadColor = "Invalid color format in Targa file.";
const std::string kReadError = "Stream read error in Targa file.";

void Load(TTargaGraphic& g, const Bytes& data) {
  TMemoryStream s;
  FillStream(s, data);
  g.LoadFromStream(s);
}

std::string LoadError(const Bytes& data, TTargaGraphic* g = nullptr) {
  TTargaGraphic local;
  try {
    Load(g ? *g : local, data);
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "no error";
}

Bytes Header(int type, int width, int height, int depth, int descriptor = 0, int mapType = 0, int mapLength = 0,
             int mapEntry = 0, int mapFirst = 0) {
  return {0,
          static_cast<unsigned char>(mapType),
          static_cast<unsigned char>(type),
          static_cast<unsigned char>(mapFirst),
          static_cast<unsigned char>(mapFirst >> 8),
          static_cast<unsigned char>(mapLength),
          static_cast<unsigned char>(mapLength >> 8),
          static_cast<unsigned char>(mapEntry),
          0,
          0,
          0,
          0,
          static_cast<unsigned char>(width),
          static_cast<unsigned char>(width >> 8),
          static_cast<unsigned char>(height),
          static_cast<unsigned char>(height >> 8),
          static_cast<unsigned char>(depth),
          static_cast<unsigned char>(descriptor)};
}

// What the writer writes for the image.
Bytes Saved(TTargaGraphic& g) {
  TMemoryStream out;
  g.SaveToStream(out);
  Bytes written(static_cast<std::size_t>(out.Size()));
  out.SetPosition(0);
  out.ReadBuffer(written.data(), out.Size());
  return written;
}

Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// An image with runs (so that run-length files have repeat packets) and noise (so they
// have literal ones), written as a PAM with or without alpha.
void WriteTestImage(const std::string& path, int w, int h, bool alpha, unsigned seed) {
  std::string head = "P7\nWIDTH " + std::to_string(w) + "\nHEIGHT " + std::to_string(h) + "\nDEPTH " +
                     (alpha ? "4" : "3") + "\nMAXVAL 255\nTUPLTYPE " + (alpha ? "RGB_ALPHA" : "RGB") + "\nENDHDR\n";
  Bytes data(head.begin(), head.end());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 134775813u + 1u;
      const bool noisy = (seed >> 28) < 5;
      const unsigned v = noisy ? seed >> 8 : unsigned((x / 4 + y) * 0x2F1B37);
      data.insert(data.end(), {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                               static_cast<unsigned char>(v >> 16)});
      if (alpha) data.push_back(static_cast<unsigned char>(noisy ? v >> 3 : 255 - 9 * x));
    }
  WriteFileBytes(path, data);
}

Bytes ToolRGBA(const std::string& file) { return Capture("convert " + file + " -auto-orient -depth 8 rgba:-"); }

// The 5-bit red, green and blue of each pixel of a pf15bit bitmap, top row first.
std::vector<unsigned> Pixels555(TBitmap& bmp) {
  std::vector<unsigned> out;
  for (int y = 0; y < bmp.Height(); ++y) {
    const unsigned char* row = static_cast<const unsigned char*>(bmp.ScanLine(y));
    for (int x = 0; x < bmp.Width(); ++x) {
      const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
      out.insert(out.end(), {(v >> 10) & 31, (v >> 5) & 31, v & 31});
    }
  }
  return out;
}

}  // namespace

// ---- files made by ImageMagick -------------------------------------------------------------

class TargaToolFiles : public ::testing::Test {
 protected:
  void SetUp() override { REQUIRE_TOOL("convert"); }

  // Makes the file from a test image with the given options and checks that the tool
  // chose the variant the test is about.
  std::string Make(const std::string& name, const std::string& options, bool alpha, int type, int depth) {
    const std::string src = dir / (name + ".pam"), tga = dir / (name + ".tga");
    WriteTestImage(src, 29, 11, alpha, 11);
    EXPECT_TRUE(RunTool("convert " + src + " " + options + " " + tga));
    const Bytes file = ReadFileBytes(tga);
    EXPECT_GE(file.size(), 18u);
    if (file.size() >= 18) {
      EXPECT_EQ(file[2], type) << name << ": image type the tool wrote";
      EXPECT_EQ(file[16], depth) << name << ": pixel depth the tool wrote";
    }
    return tga;
  }

  void ExpectSameAsTool(const std::string& tga) {
    SCOPED_TRACE(tga);
    TTargaGraphic g;
    Load(g, ReadFileBytes(tga));
    ASSERT_EQ(g.Width(), 29);
    ASSERT_EQ(g.Height(), 11);
    const Bytes expected = ToolRGBA(tga);
    ASSERT_EQ(expected.size(), 29u * 11 * 4);
    EXPECT_EQ(FirstDifference(BitmapRGBA(g), expected, 0), -1);
  }

  TempDir dir;
};

TEST_F(TargaToolFiles, TrueColourGreyAndMappedFilesDecodeLikeImageMagick) {
  ExpectSameAsTool(Make("rgb", "-alpha off -compress none", false, 2, 24));
  ExpectSameAsTool(Make("rgb_rle", "-alpha off -compress RLE", false, 10, 24));
  ExpectSameAsTool(Make("rgba", "-compress none", true, 2, 32));
  ExpectSameAsTool(Make("rgba_rle_top", "-compress RLE -orient TopLeft", true, 10, 32));
  ExpectSameAsTool(Make("grey", "-alpha off -type Grayscale -compress none", false, 3, 8));
  ExpectSameAsTool(Make("grey_rle", "-alpha off -type Grayscale -compress RLE", false, 11, 8));
  ExpectSameAsTool(Make("mapped", "-alpha off -colors 40 -type Palette -compress none", false, 1, 8));
  ExpectSameAsTool(Make("mapped_rle", "-alpha off -colors 40 -type Palette -compress RLE", false, 9, 8));
}

TEST_F(TargaToolFiles, SixteenBitFileKeepsItsFiveBitComponents) {
  const std::string tga = Make("rgb16", "-alpha off -depth 5", false, 2, 16);
  TTargaGraphic g;
  Load(g, ReadFileBytes(tga));
  ASSERT_EQ(g.PixelFormat(), pf15bit);
  const std::vector<unsigned> ours = Pixels555(g);
  const Bytes tool = ToolRGBA(tga);
  ASSERT_EQ(tool.size(), ours.size() / 3 * 4);
  // The tool widens each 5-bit value v to v x 255 / 31.
  for (std::size_t i = 0; i < ours.size(); ++i)
    ASSERT_EQ(ours[i] * 255 / 31, tool[i / 3 * 4 + i % 3]) << "sample " << i;
}

TEST_F(TargaToolFiles, WrittenFilesAreReadBackByImageMagick) {
  // Load tool files of each depth, write them with the run-length writer and have the
  // tool decode what was written.
  struct Case {
    const char* Name;
    const char* Options;
    bool Alpha;
    int Type, Depth, MapType, Descriptor;
  } cases[] = {
      {"w24", "-alpha off", false, 10, 24, 0, 0x20},
      {"w32", "", true, 10, 32, 0, 0x28},
      {"w8", "-alpha off -colors 40 -type Palette", false, 9, 8, 1, 0x20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string src = Make(c.Name, std::string(c.Options) + " -compress none", c.Alpha, c.Type - 8, c.Depth);
    TTargaGraphic g;
    Load(g, ReadFileBytes(src));
    const Bytes before = BitmapRGBA(g);
    const Bytes written = Saved(g);
    ASSERT_GE(written.size(), 18u);
    EXPECT_EQ(written[1], c.MapType);
    EXPECT_EQ(written[2], c.Type);
    EXPECT_EQ(written[16], c.Depth);
    EXPECT_EQ(written[17], c.Descriptor) << "rows go out top first";
    const std::string back = dir / (std::string(c.Name) + "_out.tga");
    WriteFileBytes(back, written);
    EXPECT_EQ(FirstDifference(ToolRGBA(back), before, 0), -1);
    TTargaGraphic again;
    Load(again, written);
    EXPECT_EQ(FirstDifference(BitmapRGBA(again), before, 0), -1);
  }
}

TEST_F(TargaToolFiles, AlphaBitsAreDeclaredOnlyWhereAlphaWasLoadedOrSet) {
  const std::string clear = dir / "clear.tga", back = dir / "back.tga";
  ASSERT_TRUE(RunTool("convert -size 4x3 xc:none -depth 8 " + clear));
  TBitmap drawn;  // red through the canvas, which leaves alpha 0
  drawn.SetPixelFormat(pf32bit);
  drawn.SetSize(4, 3);
  drawn.Canvas()->Brush()->SetColor(clRed);
  drawn.Canvas()->FillRect(Rect(0, 0, 4, 3));
  const struct {
    bool loaded, assigned, set;  // loaded with alpha 0, given the drawn bitmap, alpha set in a pixel
    Byte descriptor, alphaRead;  // alphaRead: what the tool reads back at pixel (1, 1)
  } cases[] = {{false, true, false, 0x20, 255}, {false, true, true, 0x28, 0}, {true, false, false, 0x28, 0}, {true, true, false, 0x20, 255}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "loaded " << c.loaded << ", assigned " << c.assigned << ", set " << c.set);
    TTargaGraphic g;
    if (c.loaded) Load(g, ReadFileBytes(clear));
    if (c.assigned) g.Assign(&drawn);
    if (c.set) static_cast<Byte*>(g.ScanLine(0))[3] = 128;
    const Bytes written = Saved(g);
    ASSERT_GE(written.size(), 18u);
    EXPECT_EQ(written[17], c.descriptor);
    WriteFileBytes(back, written);
    EXPECT_EQ(ToolRGBA(back).at(4 * 5 + 3), c.alphaRead);
  }
}

// ---- the writer ------------------------------------------------------------------------

TEST(TargaWriter, RowsAreRunLengthEncodedTopRowFirst) {
  TTargaGraphic g;
  g.SetPixelFormat(pf24bit);
  g.SetSize(7, 2);
  for (int y = 0; y < 2; ++y) {
    unsigned char* row = static_cast<unsigned char*>(g.ScanLine(y));
    for (int x = 0; x < 7; ++x) {
      // Row 0: four equal pixels, then three different ones; row 1: all different.
      const unsigned char v = static_cast<unsigned char>(y == 0 ? (x < 4 ? 9 : 20 + x) : 50 + x);
      row[3 * x] = v;
      row[3 * x + 1] = static_cast<unsigned char>(v + 1);
      row[3 * x + 2] = static_cast<unsigned char>(v + 2);
    }
  }
  const Bytes written = Saved(g);
  Bytes expected = Header(10, 7, 2, 24, 0x20);
  expected = Cat(expected, {0x83, 9, 10, 11, 0x02, 24, 25, 26, 25, 26, 27, 26, 27, 28});
  expected = Cat(expected, {0x06, 50, 51, 52, 51, 52, 53, 52, 53, 54, 53, 54, 55, 54, 55, 56, 55, 56, 57, 56, 57, 58});
  EXPECT_EQ(written, expected);
}

TEST(TargaWriter, SixteenBitBitmapsAreWrittenAsFiveFiveFive) {
  TTargaGraphic g;
  g.SetPixelFormat(pf16bit);
  g.SetSize(1, 1);
  // 5-6-5 pure green.
  static_cast<unsigned char*>(g.ScanLine(0))[0] = 0xE0;
  static_cast<unsigned char*>(g.ScanLine(0))[1] = 0x07;
  const Bytes written = Saved(g);
  ASSERT_EQ(written.size(), 18u + 3);
  EXPECT_EQ(written[16], 16);
  const unsigned v = written[19] | (written[20] << 8);
  EXPECT_EQ(v, 0x03E0u) << "green in the middle five bits";
  EXPECT_EQ(g.PixelFormat(), pf16bit) << "the bitmap itself is not converted";
}

TEST(TargaWriter, EmptyBitmapWritesNothing) {
  TTargaGraphic g;
  TMemoryStream out;
  g.SaveToStream(out);
  EXPECT_EQ(out.Size(), 0);
}

// ---- files built here -----------------------------------------------------------------

TEST(TargaReader, RunLengthPacketsCarryAcrossRows) {
  // 3 x 2 grey, bottom-up: one literal packet of four pixels and one repeat of two,
  // both crossing the row boundary.
  const Bytes file = Cat(Header(11, 3, 2, 8), {0x03, 10, 20, 30, 40, 0x81, 99});
  TTargaGraphic g;
  Load(g, file);
  const Bytes rgba = BitmapRGBA(g);
  const unsigned char expected[6] = {40, 99, 99, 10, 20, 30};  // top row is the second stored
  for (int i = 0; i < 6; ++i) EXPECT_EQ(rgba[i * 4], expected[i]) << i;
}

TEST(TargaReader, OriginBitChoosesTheRowOrder) {
  const Bytes pixels = {1, 2, 3, 4, 5, 6};  // two rows of three grey pixels, as stored
  TTargaGraphic bottomUp, topDown;
  Load(bottomUp, Cat(Header(3, 3, 2, 8, 0x00), pixels));
  Load(topDown, Cat(Header(3, 3, 2, 8, 0x20), pixels));
  EXPECT_EQ(static_cast<unsigned char*>(bottomUp.ScanLine(0))[0], 4);
  EXPECT_EQ(static_cast<unsigned char*>(topDown.ScanLine(0))[0], 1);
}

TEST(TargaReader, ColourMapsOfEveryEntrySize) {
  // 16-bit entries 0x7FFF (white at 5 bits) and 0x001F (blue), starting at index 2.
  Bytes file = Cat(Header(1, 2, 1, 8, 0x20, 1, 2, 16, 2), {0xFF, 0x7F, 0x1F, 0x00, 2, 3});
  TTargaGraphic g;
  Load(g, file);
  Bytes rgba = BitmapRGBA(g);
  EXPECT_EQ(Bytes(rgba.begin(), rgba.begin() + 8), (Bytes{248, 248, 248, 255, 0, 0, 248, 255}));

  // 32-bit entries are blue, green, red and a skipped fourth byte.
  file = Cat(Header(1, 1, 1, 8, 0x20, 1, 1, 32), {30, 20, 10, 99, 0});
  Load(g, file);
  rgba = BitmapRGBA(g);
  EXPECT_EQ(rgba, (Bytes{10, 20, 30, 255}));
}

TEST(TargaReader, ColourMapOfAGreyImageIsPassedOver) {
  const Bytes file = Cat(Header(3, 2, 1, 8, 0x20, 1, 2, 24), {1, 2, 3, 4, 5, 6, 77, 200});
  TTargaGraphic g;
  Load(g, file);
  const Bytes rgba = BitmapRGBA(g);
  EXPECT_EQ(rgba, (Bytes{77, 77, 77, 255, 200, 200, 200, 255}));
}

TEST(TargaReader, SignatureCheck) {
  TMemoryStream s;
  // True-colour files often leave the map entry size 0.
  FillStream(s, Cat(Header(2, 1, 1, 24), {1, 2, 3}));
  s.SetPosition(0);
  EXPECT_TRUE(TTargaGraphic::CanLoad(static_cast<TStream&>(s)));
  EXPECT_EQ(s.Position(), 0);
  FillStream(s, Cat(Header(4, 1, 1, 24), {1, 2, 3}));
  EXPECT_FALSE(TTargaGraphic::CanLoad(static_cast<TStream&>(s)));
  FillStream(s, Cat(Header(2, 1, 1, 12), {1, 2, 3}));
  EXPECT_FALSE(TTargaGraphic::CanLoad(static_cast<TStream&>(s)));
  FillStream(s, Header(2, 1, 1, 24));  // the header alone
  EXPECT_FALSE(TTargaGraphic::CanLoad(static_cast<TStream&>(s)));
}

TEST(TargaReader, HostileFilesRaiseAndLeaveTheBitmapAsItWas) {
  TTargaGraphic g;
  Load(g, Cat(Header(3, 2, 1, 8, 0x20), {5, 6}));
  const Bytes before = BitmapRGBA(g);

  EXPECT_EQ(LoadError(Cat(Header(2, 2, 1, 8), {1, 2}), &g), kBadColor) << "8-bit true colour";
  EXPECT_EQ(LoadError(Cat(Header(3, 2, 1, 16), {1, 2, 3, 4}), &g), kBadColor) << "16-bit grey";
  EXPECT_EQ(LoadError(Cat(Header(1, 2, 1, 8), {1, 2}), &g), kBadColor) << "mapped without a map";
  EXPECT_EQ(LoadError(Cat(Header(2, 3, 2, 24), Bytes(17, 1)), &g), kReadError) << "raw data cut short";
  EXPECT_EQ(LoadError(Cat(Header(10, 3, 2, 24), {0x85, 1, 2}), &g), kReadError) << "packet cut short";
  EXPECT_EQ(LoadError(Cat(Header(10, 3, 2, 24), {0x82, 1, 2, 3}), &g), kReadError) << "too few packets";
  EXPECT_EQ(LoadError(Cat(Header(1, 1, 1, 8, 0, 1, 300, 24), Bytes(20, 0)), &g), kReadError) << "map past the end";
  EXPECT_EQ(LoadError(Cat(Header(11, 65535, 65535, 8), {0xFF, 1}), &g),
            "Cannot load image. The Targa image is too large (65535 x 65535).");
  EXPECT_EQ(LoadError(Cat(Header(11, 30000, 2000, 8), {0xFF, 1}), &g), kReadError) << "huge image, tiny data";
  EXPECT_EQ(LoadError(Header(2, 0, 1, 24), &g), "Cannot load image. Invalid or unexpected Targa image format.");

  EXPECT_EQ(g.Width(), 2);
  EXPECT_EQ(BitmapRGBA(g), before);
}
