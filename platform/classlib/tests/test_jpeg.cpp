#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/jpeg_image.h"
#include "platform/classlib/picture.h"
#include "platform/classlib/streams.h"

namespace {

std::string NewTempDir() {
  std::string tmpl = ::testing::TempDir() + "qm_jpeg_XXXXXX";
  char* dir = mkdtemp(tmpl.data());
  return dir ? std::string(dir) + "/" : std::string();
}

bool HaveConvert() { return std::system("command -v convert >/dev/null 2>&1") == 0; }

std::vector<Byte> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<Byte>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Image {
  int width = 0, height = 0;
  std::vector<Byte> rgb;
  const Byte* At(int x, int y) const { return rgb.data() + 3 * (y * width + x); }
};

Image ReadPpm(const std::string& path) {
  const std::vector<Byte> b = ReadFileBytes(path);
  Image p;
  std::size_t i = 0;
  auto token = [&]() {
    while (i < b.size() && std::isspace(b[i])) ++i;
    std::string t;
    while (i < b.size() && !std::isspace(b[i])) t += static_cast<char>(b[i++]);
    return t;
  };
  if (token() != "P6") return p;
  p.width = std::stoi(token());
  p.height = std::stoi(token());
  token();
  ++i;
  p.rgb.assign(b.begin() + static_cast<std::ptrdiff_t>(i), b.end());
  return p;
}

// A picture with smooth areas, edges and colour, made by ImageMagick.
void MakeSource(const std::string& path) {
  ASSERT_EQ(std::system(("convert -size 37x21 gradient:red-blue -fill lime -draw 'rectangle 5,5 14,12' "
                         "-fill white -draw 'circle 25,10 30,10' " + path)
                            .c_str()),
            0);
}

void LoadJpegBytes(TJPEGImage& jpeg, const std::vector<Byte>& bytes) {
  TMemoryStream s;
  if (!bytes.empty()) s.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  s.SetPosition(0);
  jpeg.LoadFromStream(s);
}

// Every pixel of the bitmap within `tolerance` of ImageMagick's decode.
void ExpectCloseTo(TBitmap& bmp, const Image& expected, int tolerance) {
  ASSERT_EQ(bmp.PixelFormat(), pf24bit);
  ASSERT_EQ(bmp.Width(), expected.width);
  ASSERT_EQ(bmp.Height(), expected.height);
  int worst = 0;
  for (int y = 0; y < expected.height; ++y) {
    const auto* row = static_cast<const Byte*>(bmp.ScanLine(y));
    for (int x = 0; x < expected.width; ++x) {
      const Byte* e = expected.At(x, y);
      for (int ch = 0; ch < 3; ++ch) worst = std::max(worst, std::abs(row[3 * x + 2 - ch] - e[ch]));
    }
  }
  EXPECT_LE(worst, tolerance);
}

}  // namespace

TEST(JpegImage, DecodesWithinThreeOfImageMagick) {
  if (!HaveConvert()) GTEST_SKIP() << "ImageMagick is not installed";
  const std::string dir = NewTempDir();
  MakeSource(dir + "src.png");
  const struct {
    const char* name;
    const char* options;
  } cases[] = {
      {"colour", "-quality 85"},
      {"subsampled", "-quality 60 -sampling-factor 2x2"},
      {"progressive", "-quality 90 -interlace Plane"},
      {"grey", "-colorspace Gray -quality 80"},
      {"cmyk", "-colorspace CMYK -quality 95"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string jpg = dir + c.name + ".jpg";
    const std::string ppm = dir + c.name + ".ppm";
    ASSERT_EQ(std::system(("convert " + dir + "src.png " + c.options + " " + jpg).c_str()), 0);
    ASSERT_EQ(std::system(("convert " + jpg + " -colorspace sRGB -depth 8 " + ppm).c_str()), 0);
    TJPEGImage jpeg;
    jpeg.LoadFromFile(jpg);
    EXPECT_EQ(jpeg.Width(), 37);
    EXPECT_EQ(jpeg.Height(), 21);
    TBitmap bmp;
    bmp.Assign(&jpeg);
    ExpectCloseTo(bmp, ReadPpm(ppm), 3);

    // Saving gives back the file as it was loaded.
    TMemoryStream out;
    jpeg.SaveToStream(out);
    const std::vector<Byte> original = ReadFileBytes(jpg);
    ASSERT_EQ(out.Size(), static_cast<Int64>(original.size()));
    EXPECT_EQ(std::vector<Byte>(static_cast<const Byte*>(out.Memory()),
                                static_cast<const Byte*>(out.Memory()) + out.Size()),
              original);
  }
}

TEST(JpegImage, CorruptFilesRaiseAndKeepTheImage) {
  if (!HaveConvert()) GTEST_SKIP() << "ImageMagick is not installed";
  const std::string dir = NewTempDir();
  MakeSource(dir + "src.png");
  ASSERT_EQ(std::system(("convert " + dir + "src.png -quality 90 " + dir + "good.jpg").c_str()), 0);
  const std::vector<Byte> good = ReadFileBytes(dir + "good.jpg");
  ASSERT_GT(good.size(), 200u);

  std::vector<std::pair<std::string, std::vector<Byte>>> bad;
  bad.push_back({"not a JPEG", {'B', 'M', 1, 2, 3, 4, 5, 6}});
  bad.push_back({"marker soup", {0xFF, 0xD8, 0xFF, 0x12, 0x00, 0x02, 0x99, 0x98, 0x97}});
  bad.push_back({"header cut short", std::vector<Byte>(good.begin(), good.begin() + 100)});
  bad.push_back({"start of image only", {0xFF, 0xD8}});
  {
    // Frame header claiming 0 x 0 pixels.
    std::vector<Byte> f = good;
    for (std::size_t i = 0; i + 8 < f.size(); ++i)
      if (f[i] == 0xFF && (f[i + 1] == 0xC0 || f[i + 1] == 0xC2)) {
        f[i + 5] = f[i + 6] = f[i + 7] = f[i + 8] = 0;
        break;
      }
    bad.push_back({"zero size", f});
  }
  {
    // Frame header claiming 65000 x 65000 pixels: refused before anything is allocated.
    std::vector<Byte> f = good;
    for (std::size_t i = 0; i + 8 < f.size(); ++i)
      if (f[i] == 0xFF && (f[i + 1] == 0xC0 || f[i + 1] == 0xC2)) {
        f[i + 5] = f[i + 7] = 0xFD;
        f[i + 6] = f[i + 8] = 0xE8;
        break;
      }
    bad.push_back({"huge size", f});
  }

  TJPEGImage jpeg;
  jpeg.LoadFromFile(dir + "good.jpg");
  for (const auto& [what, bytes] : bad) {
    SCOPED_TRACE(what);
    try {
      LoadJpegBytes(jpeg, bytes);
      ADD_FAILURE() << "accepted";
    } catch (const EInvalidGraphic& e) {
      EXPECT_FALSE(std::string(e.what()).empty());
    }
    EXPECT_EQ(jpeg.Width(), 37);
    EXPECT_EQ(jpeg.Height(), 21);
    TMemoryStream out;
    jpeg.SaveToStream(out);
    EXPECT_EQ(out.Size(), static_cast<Int64>(good.size()));
  }
  EXPECT_THROW(LoadJpegBytes(jpeg, {}), EInvalidGraphic);

  // Random damage: each result is an image or EInvalidGraphic, never the end of the process.
  std::uint32_t seed = 777;
  auto next = [&] { return seed = seed * 134775813u + 1u; };
  for (int round = 0; round < 300; ++round) {
    std::vector<Byte> f = good;
    const int flips = 1 + static_cast<int>(next() >> 29);
    for (int k = 0; k < flips; ++k) f[(next() >> 8) % f.size()] = static_cast<Byte>(next() >> 24);
    if (round % 3 == 0) f.resize(f.size() / 2 + (next() >> 8) % (f.size() / 2));
    TJPEGImage j;
    try {
      LoadJpegBytes(j, f);
      EXPECT_GT(j.Width(), 0);
    } catch (const EInvalidGraphic&) {
    }
  }
}

TEST(JpegImage, PicturesLoadJpegFilesByExtension) {
  if (!HaveConvert()) GTEST_SKIP() << "ImageMagick is not installed";
  const std::string dir = NewTempDir();
  MakeSource(dir + "src.png");
  ASSERT_EQ(std::system(("convert " + dir + "src.png " + dir + "pic.JPEG").c_str()), 0);
  TPicture pic;
  pic.LoadFromFile(dir + "pic.JPEG");
  ASSERT_NE(pic.Graphic(), nullptr);
  EXPECT_TRUE(pic.Graphic()->Is<TJPEGImage>());
  EXPECT_EQ(pic.Width(), 37);

  // Drawn on a canvas through the decoded bitmap.
  TBitmap canvas;
  canvas.SetPixelFormat(pf24bit);
  canvas.SetSize(37, 21);
  canvas.Canvas()->Draw(0, 0, pic.Graphic());
  TBitmap decoded;
  decoded.Assign(pic.Graphic());
  for (int y = 0; y < 21; y += 5)
    for (int x = 0; x < 37; x += 6) EXPECT_EQ(canvas.Canvas()->Pixels(x, y), decoded.Canvas()->Pixels(x, y));

  TJPEGImage jpeg;
  EXPECT_THROW(jpeg.SetWidth(10), EInvalidGraphicOperation);
  jpeg.Assign(pic.Graphic());
  EXPECT_EQ(jpeg.Height(), 21);
  jpeg.Assign(nullptr);
  EXPECT_TRUE(jpeg.Empty());
}
