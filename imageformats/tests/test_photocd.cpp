// The Photo-CD reader against image packs written by ImageMagick (its own decode of the
// luminance and chroma planes, converted here as the reader converts them), and against
// overview files and malformed files built here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "imageformats/photocd_reader.h"
#include "reader_test_support.h"

using namespace readertest;

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kReadError = "Stream read error in Photo-CD file.";
const std::string kInvalid = "Cannot load image. Invalid or unexpected Photo-CD image format.";

constexpr int kSector = 2048;

void Load(TPCDGraphic& g, const Bytes& data) {
  TMemoryStream s;
  FillStream(s, data);
  g.LoadFromStream(s);
}

std::string LoadError(const Bytes& data, TPCDGraphic* g = nullptr) {
  TPCDGraphic local;
  try {
    Load(g ? *g : local, data);
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "no error";
}

// A file whose image of width x height starts at `sector`: luminance from `luma`,
// chroma neutral (no colour), so that every pixel is grey at its luminance.
Bytes BuildFile(bool overview, int orientation, int sector, int width, int height,
                unsigned char (*luma)(int x, int y)) {
  Bytes file(std::size_t(sector) * kSector + std::size_t(width) * height * 3 / 2, 0);
  if (overview) {
    std::memcpy(file.data(), "PCD_OPA", 7);
  } else {
    std::memcpy(file.data() + kSector, "PCD_IPI", 7);
    file[3586] = static_cast<unsigned char>(orientation);
  }
  file[11] = 1;
  unsigned char* p = file.data() + std::size_t(sector) * kSector;
  for (int pair = 0; pair < height / 2; ++pair) {
    for (int r = 0; r < 2; ++r)
      for (int x = 0; x < width; ++x) *p++ = luma(x, 2 * pair + r);
    std::memset(p, 156, width / 2);
    std::memset(p + width / 2, 137, width / 2);
    p += width;
  }
  return file;
}

unsigned char CornerMark(int x, int y) { return x < 4 && y < 4 ? 250 : 20; }
unsigned char Ramp(int x, int y) { return static_cast<unsigned char>(x + 3 * y); }

// The grey of pixel (x, y) of a loaded image.
int GreyAt(TBitmap& g, int x, int y) { return static_cast<unsigned char*>(g.ScanLine(y))[3 * x]; }

}  // namespace

TEST(PhotoCD, ChromaEnlargementAveragesNeighbours) {
  // 3 x 2 values in rows of 6 become 6 x 4.
  Bytes plane(6 * 4, 0);
  const unsigned char values[2][3] = {{10, 20, 41}, {30, 60, 90}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) plane[y * 6 + x] = values[y][x];
  PCDEnlargeChroma(plane.data(), 3, 2, 6);
  const Bytes expected = {
      10, 15, 20, 31, 41, 41,  // spread: odd places the rounded mean of both sides, the last doubled
      20, 30, 40, 53, 66, 66,  // between rows: means of two, centres the means of four
      30, 45, 60, 75, 90, 90,
      30, 45, 60, 75, 90, 90,  // the last row repeats the one above
  };
  EXPECT_EQ(plane, expected);
}

TEST(PhotoCD, ImagePacksWrittenByImageMagick) {
  REQUIRE_TOOL("convert");
  TempDir dir;
  struct Case {
    const char* Name;
    const char* Size;
    int Width, Height, Orientation;
  } cases[] = {{"landscape", "768x512", 768, 512, 0}, {"portrait", "512x768", 512, 768, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    // Smooth colour, so that the two ways of enlarging the chroma planes agree closely.
    const std::string pcd = dir / (std::string(c.Name) + ".pcd");
    ASSERT_TRUE(RunTool(std::string("convert -size ") + c.Size +
                        " gradient:'rgb(250,40,30)'-'rgb(20,90,240)' -fill 'rgb(40,200,60)' -draw 'circle 200,200 "
                        "260,260' -blur 0x12 " + pcd));
    const Bytes file = ReadFileBytes(pcd);
    ASSERT_EQ(file.size(), 385u * kSector);
    EXPECT_EQ(file[3586] & 3, c.Orientation) << "orientation the tool wrote";

    TPCDGraphic g;
    Load(g, file);
    ASSERT_EQ(g.Width(), c.Width);
    ASSERT_EQ(g.Height(), c.Height);
    ASSERT_EQ(g.PixelFormat(), pf24bit);

    // The tool's own luminance and chroma planes, upright, through the same conversion.
    const Bytes ycc = Capture("convert " + pcd + " -set colorspace sRGB -depth 8 rgb:-");
    ASSERT_EQ(ycc.size(), std::size_t(c.Width) * c.Height * 3);
    TColorManager cm;
    cm.SetSourceColorScheme(csPhotoYCC);
    cm.SetTargetColorScheme(csBGR);
    cm.SetYCbCrParameters({0.2125f, 0.7154f, 0.0721f}, 2, 2);
    Bytes expected(ycc.size());
    for (int y = 0; y < c.Height; ++y) {
      const std::size_t at = std::size_t(y) * c.Width * 3;
      cm.ConvertRow({&ycc[at]}, &expected[at], c.Width, 0xFF);
      const unsigned char* ours = static_cast<const unsigned char*>(g.ScanLine(y));
      for (int i = 0; i < c.Width * 3; ++i)
        ASSERT_LE(std::abs(int(ours[i]) - int(expected[at + i])), 3) << "row " << y << " byte " << i;
    }
  }
}

TEST(PhotoCD, PortraitOrientationsTurnOppositeWays) {
  TPCDGraphic one, three;
  Load(one, BuildFile(false, 1, 96, 768, 512, CornerMark));
  Load(three, BuildFile(false, 3, 96, 768, 512, CornerMark));
  ASSERT_EQ(one.Width(), 512);
  ASSERT_EQ(one.Height(), 768);
  ASSERT_EQ(three.Width(), 512);
  ASSERT_EQ(three.Height(), 768);
  // The stored top-left corner: bottom-left for orientation 1, top-right for 3.
  EXPECT_EQ(GreyAt(one, 0, 767), 250);
  EXPECT_EQ(GreyAt(one, 511, 0), 20);
  EXPECT_EQ(GreyAt(three, 511, 0), 250);
  EXPECT_EQ(GreyAt(three, 0, 767), 20);
}

TEST(PhotoCD, OverviewIsReadAtItsThumbnailSize) {
  const Bytes file = BuildFile(true, 0, 5, 192, 128, Ramp);
  TMemoryStream s;
  FillStream(s, file);
  EXPECT_TRUE(TPCDGraphic::CanLoad(static_cast<TStream&>(s)));
  TPCDGraphic g;
  Load(g, file);
  ASSERT_EQ(g.Width(), 192);
  ASSERT_EQ(g.Height(), 128);
  EXPECT_TRUE(g.ImageProperties().Overview);
  for (int y : {0, 1, 64, 127})
    for (int x : {0, 1, 100, 191}) EXPECT_EQ(GreyAt(g, x, y), Ramp(x, y)) << x << "," << y;
}

TEST(PhotoCD, PropertiesFollowTheResolutionAsked) {
  const Bytes file = BuildFile(false, 3, 96, 768, 512, CornerMark);
  TMemoryStream s;
  FillStream(s, file);
  TPCDGraphic g;
  ASSERT_TRUE(g.ReadImageProperties(s, 4));
  EXPECT_EQ(g.ImageProperties().Width, 2048u);  // portrait: 128 shl 4 across
  EXPECT_EQ(g.ImageProperties().Height, 3072u);
  EXPECT_EQ(g.ImageProperties().Compression, ctPCDHuffmann);
  EXPECT_EQ(g.ImageProperties().ImageCount, 1);
}

TEST(PhotoCD, HostileFilesRaiseAndLeaveTheBitmapAsItWas) {
  TPCDGraphic g;
  Load(g, BuildFile(true, 0, 5, 192, 128, Ramp));
  Bytes pack = BuildFile(false, 0, 96, 768, 512, Ramp);
  pack.resize(pack.size() - 1);
  EXPECT_EQ(LoadError(pack, &g), kReadError) << "image pack one byte short";
  Bytes overview = BuildFile(true, 0, 5, 192, 128, Ramp);
  overview.resize(20 * kSector);
  EXPECT_EQ(LoadError(overview, &g), kReadError) << "overview cut in its thumbnail";
  Bytes other = BuildFile(false, 0, 96, 768, 512, Ramp);
  other[kSector] = 'X';
  EXPECT_EQ(LoadError(other, &g), kInvalid) << "no signature";
  EXPECT_EQ(LoadError(Bytes(3 * kSector, 0), &g), kInvalid) << "header only";
  EXPECT_EQ(g.Width(), 192);
  EXPECT_EQ(GreyAt(g, 5, 7), Ramp(5, 7));
}
