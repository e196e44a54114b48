// The Autodesk-format cel reader on files built here (no Debian tool writes or reads the format).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imageformats/autodesk_reader.h"
#include "reader_test_support.h"

using namespace readertest;

namespace {

using Bytes = std::vector<unsigned char>;

// Header, a palette whose entry i is (i mod 64, 63 - i mod 64, i div 4) at 6 bits, pixels.
Bytes BuildCel(int w, int h, const Bytes& pixels, int bits = 8, int compression = 0) {
  Bytes f(32, 0);
  f[0] = 0x19;
  f[1] = 0x91;
  f[2] = static_cast<unsigned char>(w);
  f[3] = static_cast<unsigned char>(w >> 8);
  f[4] = static_cast<unsigned char>(h);
  f[5] = static_cast<unsigned char>(h >> 8);
  f[10] = static_cast<unsigned char>(bits);
  f[11] = static_cast<unsigned char>(compression);
  for (int i = 0; i < 256; ++i)
    f.insert(f.end(), {static_cast<unsigned char>(i % 64), static_cast<unsigned char>(63 - i % 64),
                       static_cast<unsigned char>(i / 4)});
  f.insert(f.end(), pixels.begin(), pixels.end());
  return f;
}

std::string LoadError(const Bytes& data, TAutodeskGraphic* g = nullptr) {
  TAutodeskGraphic local;
  TMemoryStream s;
  FillStream(s, data);
  try {
    (g ? *g : local).LoadFromStream(s);
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "no error";
}

}  // namespace

TEST(AutodeskReader, PixelsTopRowFirstWithSixBitPalette) {
  const Bytes file = BuildCel(3, 2, {0, 65, 255, 130, 7, 8});
  TMemoryStream s;
  FillStream(s, file);
  EXPECT_TRUE(TAutodeskGraphic::CanLoad(static_cast<TStream&>(s)));
  EXPECT_EQ(s.Position(), 0);
  TAutodeskGraphic g;
  g.LoadFromStream(s);
  ASSERT_EQ(g.PixelFormat(), pf8bit);
  const Bytes rgba = BitmapRGBA(g);
  auto colour = [](int i) {
    return Bytes{static_cast<unsigned char>(i % 64 * 4), static_cast<unsigned char>((63 - i % 64) * 4),
                 static_cast<unsigned char>(i / 4 * 4), 255};
  };
  const int indices[6] = {0, 65, 255, 130, 7, 8};
  for (int p = 0; p < 6; ++p)
    EXPECT_EQ(Bytes(rgba.begin() + 4 * p, rgba.begin() + 4 * p + 4), colour(indices[p])) << "pixel " << p;
}

TEST(AutodeskReader, SignatureCheck) {
  TMemoryStream s;
  FillStream(s, BuildCel(1, 1, {0}, 8, 1));
  EXPECT_FALSE(TAutodeskGraphic::CanLoad(static_cast<TStream&>(s))) << "compressed";
  FillStream(s, BuildCel(1, 1, {0}, 4));
  EXPECT_FALSE(TAutodeskGraphic::CanLoad(static_cast<TStream&>(s))) << "4 bits";
  Bytes other = BuildCel(1, 1, {0});
  other[1] = 0x92;
  FillStream(s, other);
  EXPECT_FALSE(TAutodeskGraphic::CanLoad(static_cast<TStream&>(s)));
}

TEST(AutodeskReader, HostileFilesRaiseAndLeaveTheBitmapAsItWas) {
  TAutodeskGraphic g;
  TMemoryStream s;
  FillStream(s, BuildCel(2, 1, {1, 2}));
  g.LoadFromStream(s);
  const Bytes before = BitmapRGBA(g);

  Bytes other = BuildCel(2, 1, {1, 2});
  other[0] = 0;
  EXPECT_EQ(LoadError(other, &g), "Cannot load image. Invalid or unexpected Autodesk image format.");
  EXPECT_EQ(LoadError(BuildCel(2, 1, {1, 2}, 8, 1), &g), "Invalid color format in Autodesk file.");
  EXPECT_EQ(LoadError(BuildCel(3, 3, {1, 2, 3, 4, 5, 6, 7, 8}), &g), "Stream read error in Autodesk file.")
      << "pixels cut short";
  Bytes cut = BuildCel(1, 1, {});
  cut.resize(500);
  EXPECT_EQ(LoadError(cut, &g),
            "Stream read error in Autodesk file.")
      << "palette cut short";
  EXPECT_EQ(LoadError(BuildCel(0, 5, {}), &g), "Cannot load image. Invalid or unexpected Autodesk image format.");
  EXPECT_EQ(LoadError(BuildCel(60000, 60000, {1}), &g),
            "Cannot load image. The Autodesk image is too large (60000 x 60000).");

  EXPECT_EQ(g.Width(), 2);
  EXPECT_EQ(BitmapRGBA(g), before);
}
