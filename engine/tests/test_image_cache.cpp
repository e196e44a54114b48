#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bitmaps/bitmap32.h"
#include "engine/bitmap32_cache.h"
#include "engine/default_image.h"
#include "engine/particle_map_source.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/strings.h"
#include "engine/tests/engine_test_support.h"

namespace {

namespace fs = std::filesystem;

bool HaveConvert() { return std::system("command -v convert >/dev/null 2>&1") == 0; }

// A missing tool fails the test in CI and skips it elsewhere.
#define REQUIRE_CONVERT()                                                  \
  do {                                                                     \
    if (!HaveConvert()) {                                                  \
      if (std::getenv("CI")) FAIL() << "ImageMagick is not installed";     \
      GTEST_SKIP() << "ImageMagick is not installed";                      \
    }                                                                      \
  } while (0)

bool RunTool(const std::string& cmd) { return std::system(("(" + cmd + ") >/dev/null 2>&1").c_str()) == 0; }

class ScratchDir {
 public:
  ScratchDir() {
    std::string tmpl = (fs::temp_directory_path() / "qmcacheXXXXXX").string();
    if (char* made = mkdtemp(tmpl.data())) path_ = made;
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

struct Rgb {
  Byte r, g, b;
};

void WritePpm(const std::string& path, int w, int h, const std::vector<Rgb>& pixels) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << w << " " << h << "\n255\n";
  for (const Rgb& p : pixels) out << p.r << p.g << p.b;
}

// Six colours whose weighted intensities differ: 60, 173, 20, 255, 0, 18.
const std::vector<Rgb> kSix = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}, {10, 20, 30}};
const Byte kSixIntensity[] = {60, 173, 20, 255, 0, 18};

// A 3 x 2 24-bit BMP of kSix made by ImageMagick.
std::string MakeBmp24(const ScratchDir& dir, const std::string& name) {
  const std::string ppm = dir / (name + ".ppm");
  const std::string bmp = dir / name;
  WritePpm(ppm, 3, 2, kSix);
  EXPECT_TRUE(RunTool("convert " + ppm + " -type TrueColor BMP3:" + bmp));
  return bmp;
}

class ImageCache : public engine_test::CleanImageCache {};

}  // namespace

// ---- the built-in image ------------------------------------------------------------------------

TEST(DefaultImage, CheckerOfWhiteAndLightGreyWithAlphaFromIntensity) {
  TBitmap32* image = DefaultParticleImage();
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->Width(), 128);
  ASSERT_EQ(image->Height(), 128);
  const TColor32 white = 0xFFFFFFFFu;
  const TColor32 grey = 0xCCCCCCCCu;  // 204 in every channel, alpha 204
  struct {
    int x, y;
    TColor32 expected;
  } probes[] = {
      {0, 0, white},    {7, 7, white},     {8, 0, grey},      {0, 8, grey},    {7, 8, grey},
      {8, 8, white},    {15, 15, white},   {16, 3, white},    {120, 0, grey},  {127, 0, grey},
      {0, 127, grey},   {127, 127, white}, {64, 72, grey},    {63, 64, grey},  {56, 56, white},
  };
  for (const auto& p : probes) EXPECT_EQ(image->Pixel(p.x, p.y), p.expected) << p.x << "," << p.y;

  int whites = 0, greys = 0;
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      const TColor32 c = image->Pixel(x, y);
      whites += c == white;
      greys += c == grey;
    }
  EXPECT_EQ(whites, 128 * 128 / 2);
  EXPECT_EQ(greys, 128 * 128 / 2);
  EXPECT_EQ(DefaultParticleImage(), image) << "made once";
}

// ---- alpha from intensity ----------------------------------------------------------------------

TEST(MakeAlphaFromIntensity, WritesWeightedGreyIntoAlphaOnly) {
  TBitmap32 b;
  b.SetSize(3, 2);
  for (int i = 0; i < 6; ++i) b.SetPixel(i % 3, i / 3, Color32(kSix[i].r, kSix[i].g, kSix[i].b, 77));
  MakeAlphaFromIntensity(&b);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(b.Pixel(i % 3, i / 3), Color32(kSix[i].r, kSix[i].g, kSix[i].b, kSixIntensity[i])) << i;

  TBitmap32 empty;
  MakeAlphaFromIntensity(&empty);
  EXPECT_TRUE(empty.Empty());
  MakeAlphaFromIntensity(nullptr);
}

// ---- loading through the cache -----------------------------------------------------------------

TEST_F(ImageCache, BmpWithoutAlphaGetsAlphaFromIntensity) {
  REQUIRE_CONVERT();
  ScratchDir dir;
  std::string name = MakeBmp24(dir, "six.bmp");
  const std::string asked = name;
  TBitmap32* b = Bitmap32Cache().Get(name);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(b, DefaultParticleImage());
  EXPECT_EQ(name, asked);
  ASSERT_EQ(b->Width(), 3);
  ASSERT_EQ(b->Height(), 2);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(b->Pixel(i % 3, i / 3), Color32(kSix[i].r, kSix[i].g, kSix[i].b, kSixIntensity[i])) << i;
}

TEST_F(ImageCache, BmpWithItsOwnAlphaKeepsIt) {
  REQUIRE_CONVERT();
  ScratchDir dir;
  std::string name = dir / "alpha.bmp";
  ASSERT_TRUE(RunTool("convert -size 3x2 xc:'rgba(10,20,30,0.2)' -type TrueColorAlpha BMP:" + name));
  TBitmap32* b = Bitmap32Cache().Get(name);
  ASSERT_EQ(b->Width(), 3);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(b->Pixel(x, y), Color32(10, 20, 30, 51)) << x << "," << y;
}

TEST_F(ImageCache, SortedCaseInsensitiveAndLoadedOncePerFile) {
  REQUIRE_CONVERT();
  ScratchDir dir;
  const std::string c = MakeBmp24(dir, "c.bmp");
  const std::string a = MakeBmp24(dir, "A.bmp");
  const std::string b = MakeBmp24(dir, "b.bmp");
  std::string n1 = c, n2 = a, n3 = b;
  TBitmap32* bc = Bitmap32Cache().Get(n1);
  TBitmap32* ba = Bitmap32Cache().Get(n2);
  TBitmap32* bb = Bitmap32Cache().Get(n3);
  EXPECT_NE(bc, ba);
  EXPECT_NE(ba, bb);

  const TStringList& images = Bitmap32Cache().Images();
  ASSERT_EQ(images.Count(), 3);
  EXPECT_EQ(images.Strings(0), a);
  EXPECT_EQ(images.Strings(1), b);
  EXPECT_EQ(images.Strings(2), c);
  EXPECT_EQ(images.Objects(0), ba);
  EXPECT_EQ(images.Objects(2), bc);

  // The files are gone: only the cache can answer now, whatever the letter case.
  fs::remove(a);
  fs::remove(b);
  std::string upper = dir / "A.BMP", lower = dir / "a.bmp", again = b;
  EXPECT_EQ(Bitmap32Cache().Get(upper), ba);
  EXPECT_EQ(Bitmap32Cache().Get(lower), ba);
  EXPECT_EQ(Bitmap32Cache().Get(again), bb);
  EXPECT_EQ(upper, dir / "A.BMP") << "a cache hit keeps the name asked for";
  EXPECT_EQ(images.Count(), 3);

  // After Clear the missing file falls back to the built-in image and is not cached.
  Bitmap32Cache().Clear();
  EXPECT_EQ(images.Count(), 0);
  EXPECT_EQ(Bitmap32Cache().Get(lower), DefaultParticleImage());
  EXPECT_EQ(images.Count(), 0);
  std::string stillThere = c;
  TBitmap32* reloaded = Bitmap32Cache().Get(stillThere);
  EXPECT_NE(reloaded, DefaultParticleImage());
  EXPECT_EQ(images.Count(), 1);
}

TEST_F(ImageCache, MissingFileWithoutHandlerYieldsTheDefaultUnchanged) {
  ScratchDir dir;
  std::string name = dir / "nowhere.bmp";
  EXPECT_EQ(Bitmap32Cache().Get(name), DefaultParticleImage());
  EXPECT_EQ(name, dir / "nowhere.bmp");
  EXPECT_EQ(Bitmap32Cache().Images().Count(), 0);
}

TEST_F(ImageCache, HandlerResolvesARelocatedFile) {
  REQUIRE_CONVERT();
  ScratchDir dir;
  fs::create_directory(dir / "new");
  const std::string moved = MakeBmp24(dir, "new/smoke.bmp");
  const std::string original = dir / "old/smoke.bmp";
  std::vector<std::string> asked;
  OnTextureNotFound = [&](std::string& name) {
    asked.push_back(name);
    name = dir / "new/smoke.bmp";
  };

  // Through a map source, which remembers where the file was found.
  TParticleMapSource source;
  const Integer index = source.AddMap(original);
  TBitmap32* b = source.BitmapAt(index);
  ASSERT_NE(b, DefaultParticleImage());
  EXPECT_EQ(b->Pixel(0, 0), Color32(255, 0, 0, 60));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], original);
  EXPECT_EQ(source.Maps().Strings(index), moved);

  EXPECT_EQ(source.BitmapAt(index), b);
  EXPECT_EQ(asked.size(), 1u) << "the resolved name is cached";
  EXPECT_EQ(Bitmap32Cache().Images().Count(), 1);

  // Another request for the old name asks again but does not load a second copy.
  std::string name = original;
  EXPECT_EQ(Bitmap32Cache().Get(name), b);
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(Bitmap32Cache().Images().Count(), 1);
}

TEST_F(ImageCache, UnresolvedHandlerAnswerYieldsTheDefaultUnderThatName) {
  ScratchDir dir;
  int calls = 0;
  OnTextureNotFound = [&](std::string& name) {
    ++calls;
    name = dir / "still/missing.bmp";
  };
  TParticleMapSource source;
  const Integer index = source.AddMap(dir / "lost.bmp");
  EXPECT_EQ(source.BitmapAt(index), DefaultParticleImage());
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(source.Maps().Strings(index), dir / "still/missing.bmp");
  EXPECT_EQ(Bitmap32Cache().Images().Count(), 0);

  // An answer of "Default" is remembered as such.
  OnTextureNotFound = [&](std::string& name) {
    ++calls;
    name = "Default";
  };
  EXPECT_EQ(source.BitmapAt(index), DefaultParticleImage());
  EXPECT_EQ(source.Maps().Strings(index), "Default");
  EXPECT_EQ(source.BitmapAt(index), DefaultParticleImage());
  EXPECT_EQ(calls, 2) << "\"Default\" is never offered to the handler";
}

TEST_F(ImageCache, UndecodableFileRaisesAndCachesNothing) {
  ScratchDir dir;
  {
    std::ofstream(dir / "broken.bmp", std::ios::binary) << "BM this is not a bitmap";
    std::ofstream(dir / "strange.xyz", std::ios::binary) << "whatever";
  }
  int calls = 0;
  OnTextureNotFound = [&](std::string&) { ++calls; };
  std::string broken = dir / "broken.bmp";
  std::string strange = dir / "strange.xyz";
  EXPECT_THROW(Bitmap32Cache().Get(broken), Exception);
  EXPECT_THROW(Bitmap32Cache().Get(strange), EInvalidGraphic);
  EXPECT_EQ(calls, 0) << "the files exist";
  EXPECT_EQ(Bitmap32Cache().Images().Count(), 0);
}
