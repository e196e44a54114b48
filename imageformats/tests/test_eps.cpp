// The EPS reader: a binary EPS header (built here, as ImageMagick's policy forbids
// writing PostScript) around a real TIFF preview made by tiffcp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imageformats/eps_reader.h"
#include "reader_test_support.h"
#include "tiff_test_builder.h"

using namespace readertest;

namespace {

using Bytes = std::vector<unsigned char>;

void PutLE32(Bytes& b, unsigned v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// Header, PostScript text, then the TIFF preview; offsets and lengths may be forced.
Bytes BuildEps(const Bytes& tiff, unsigned magic = 0xC6D3D0C5u, long tiffOffset = -1, long tiffLength = -1) {
  const std::string ps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\nshowpage\n";
  Bytes out;
  PutLE32(out, magic);
  PutLE32(out, 30);
  PutLE32(out, static_cast<unsigned>(ps.size()));
  PutLE32(out, 0);
  PutLE32(out, 0);
  PutLE32(out, tiffOffset >= 0 ? static_cast<unsigned>(tiffOffset) : static_cast<unsigned>(30 + ps.size()));
  PutLE32(out, tiffLength >= 0 ? static_cast<unsigned>(tiffLength) : static_cast<unsigned>(tiff.size()));
  out.push_back(0xFF);
  out.push_back(0xFF);
  out.insert(out.end(), ps.begin(), ps.end());
  out.insert(out.end(), tiff.begin(), tiff.end());
  return out;
}

void Load(TEPSGraphic& g, const Bytes& data) {
  TMemoryStream s;
  FillStream(s, data);
  g.LoadFromStream(s);
}

std::string LoadError(TEPSGraphic& g, const Bytes& data) {
  try {
    Load(g, data);
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "no error";
}

bool CanLoad(const Bytes& data) {
  TMemoryStream s;
  FillStream(s, data);
  s.SetPosition(0);
  bool result = TEPSGraphic::CanLoad(s);
  EXPECT_EQ(s.Position(), 0);
  return result;
}

const Bytes kGreyTiff = TiffBuilder().Build(TiffBuilder::Basic(3, 2, 8, 1, 1, 1, 6), {10, 20, 30, 40, 50, 60});

}  // namespace

TEST(EpsReader, PreviewMadeByTiffcpDecodesLikeImageMagick) {
  REQUIRE_TOOL("convert");
  REQUIRE_TOOL("tiffcp");
  TempDir dir;
  ASSERT_TRUE(RunTool("convert -size 29x17 -seed 4 plasma:fractal -depth 8 " + dir / "src.tif"));
  ASSERT_TRUE(RunTool("tiffcp -c packbits " + dir / "src.tif " + dir / "preview.tif"));
  const Bytes tiff = ReadFileBytes(dir / "preview.tif");
  const Bytes eps = BuildEps(tiff);
  EXPECT_TRUE(CanLoad(eps));
  WriteFileBytes(dir / "x.eps", eps);
  EXPECT_TRUE(TEPSGraphic::CanLoad(dir / "x.eps"));

  TEPSGraphic g;
  Load(g, eps);
  EXPECT_EQ(g.Width(), 29);
  EXPECT_EQ(g.Height(), 17);
  EXPECT_EQ(FirstDifference(BitmapRGBA(g), Capture("convert " + dir / "preview.tif -depth 8 rgba:-"), 0), -1);

  // The same EPS further into a stream: offsets count from where the EPS begins.
  Bytes shifted = {1, 2, 3, 4, 5};
  shifted.insert(shifted.end(), eps.begin(), eps.end());
  TMemoryStream s;
  FillStream(s, shifted);
  s.SetPosition(5);
  TEPSGraphic g2;
  g2.LoadFromStream(s);
  EXPECT_EQ(BitmapRGBA(g2), BitmapRGBA(g));
}

TEST(EpsReader, SignatureCheck) {
  EXPECT_TRUE(CanLoad(BuildEps(kGreyTiff)));
  EXPECT_FALSE(CanLoad(BuildEps(kGreyTiff, 0xC6D3D0C4u)));
  EXPECT_FALSE(CanLoad(BuildEps(kGreyTiff, 0xC6D3D0C5u, -1, 0)));  // no TIFF preview
  EXPECT_FALSE(CanLoad(BuildEps(kGreyTiff, 0xC6D3D0C5u, 12)));     // preview inside the header
  Bytes header = BuildEps(kGreyTiff);
  EXPECT_FALSE(CanLoad(Bytes(header.begin(), header.begin() + 30)));
}

TEST(EpsReader, BadFilesLeaveTheBitmapAsItWas) {
  TEPSGraphic g;
  Load(g, BuildEps(kGreyTiff));
  const Bytes before = BitmapRGBA(g);
  ASSERT_EQ(before.size(), 24u);
  EXPECT_EQ(before[0], 10);
  const std::string invalid = "Cannot load image. Invalid or unexpected EPS image format.";
  const Bytes eps = BuildEps(kGreyTiff);
  EXPECT_EQ(LoadError(g, BuildEps(kGreyTiff, 0x12345678u)), invalid);
  // A preview that would run past the end of the file.
  EXPECT_EQ(LoadError(g, BuildEps(kGreyTiff, 0xC6D3D0C5u, -1, long(kGreyTiff.size()) + 1)), invalid);
  EXPECT_EQ(LoadError(g, BuildEps(kGreyTiff, 0xC6D3D0C5u, 0x7FFFFFF0)), invalid);
  // A preview cut short by its length: the TIFF reader sees only that much.
  EXPECT_NE(LoadError(g, BuildEps(kGreyTiff, 0xC6D3D0C5u, -1, long(kGreyTiff.size()) - 6)), "no error");
  // Every truncation of the file.
  for (std::size_t n = 0; n < eps.size(); ++n) {
    SCOPED_TRACE(n);
    EXPECT_NE(LoadError(g, Bytes(eps.begin(), eps.begin() + n)), "no error");
  }
  EXPECT_EQ(BitmapRGBA(g), before);
}
