// The CUT reader on files and companion palettes built here, cross-checked with
// ImageMagick's CUT reader, and on malformed files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imageformats/cut_reader.h"
#include "reader_test_support.h"

using namespace readertest;

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kReadError = "Stream read error in CUT file.";
const std::string kBadPalette = "Cannot load image. Palette in CUT file is invalid.";

void PutLE16(Bytes& b, unsigned v) { b.insert(b.end(), {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)}); }

// Run-length packs one line: repeats of three or more, literals otherwise.
Bytes PackLine(const Bytes& line) {
  Bytes packed;
  std::size_t i = 0;
  while (i < line.size()) {
    std::size_t run = 1;
    while (i + run < line.size() && run < 127 && line[i + run] == line[i]) ++run;
    if (run >= 3) {
      packed.insert(packed.end(), {static_cast<unsigned char>(0x80 | run), line[i]});
      i += run;
      continue;
    }
    std::size_t n = 0;
    while (i + n < line.size() && n < 127 &&
           !(i + n + 2 < line.size() && line[i + n] == line[i + n + 1] && line[i + n] == line[i + n + 2]))
      ++n;
    packed.push_back(static_cast<unsigned char>(n));
    packed.insert(packed.end(), line.begin() + long(i), line.begin() + long(i + n));
    i += n;
  }
  packed.push_back(0);
  return packed;
}

Bytes BuildCut(int w, int h, const Bytes& pixels) {
  Bytes file;
  PutLE16(file, unsigned(w));
  PutLE16(file, unsigned(h));
  PutLE16(file, 0);
  for (int y = 0; y < h; ++y) {
    const Bytes line = PackLine(Bytes(pixels.begin() + long(y) * w, pixels.begin() + long(y + 1) * w));
    PutLE16(file, unsigned(line.size()));
    file.insert(file.end(), line.begin(), line.end());
  }
  return file;
}

// A palette file of `count` entries; entry i is (i, 255 - i, 7 i) in 16-bit values.
Bytes BuildPalette(unsigned count) {
  Bytes pal(40, 0);
  pal[0] = 'A';
  pal[1] = 'H';
  pal[2] = 0xE3;
  pal[4] = 0x00;
  pal[5] = 0x02;
  pal[6] = 10;
  pal[12] = static_cast<unsigned char>(count - 1);
  pal[13] = static_cast<unsigned char>((count - 1) >> 8);
  for (int k = 0; k < 3; ++k) pal[14 + 2 * k] = 255;
  for (int k = 0; k < 8; ++k) pal[20 + k] = static_cast<unsigned char>("PALETTE!"[k]);  // an id text
  for (unsigned i = 0; i < count; ++i) {
    if (pal.size() % 512 + 6 > 506) pal.resize((pal.size() / 512 + 1) * 512, 0);
    PutLE16(pal, i & 255);
    PutLE16(pal, 255 - (i & 255));
    PutLE16(pal, (7 * i) & 255);
  }
  pal.resize((pal.size() + 511) / 512 * 512, 0);
  return pal;
}

Bytes TestPixels(int w, int h) {
  Bytes p;
  unsigned seed = 9;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 134775813u + 1u;
      p.push_back(static_cast<unsigned char>((seed >> 28) < 5 ? seed >> 20 : (x / 7) * 13 + y));
    }
  return p;
}

std::string LoadError(TCUTGraphic& g, const std::string& file) {
  try {
    g.LoadFromFile(file);
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "no error";
}

}  // namespace

TEST(CutReader, ColoursComeFromTheCompanionPalette) {
  TempDir dir;
  const int w = 150, h = 6;
  const Bytes pixels = TestPixels(w, h);
  WriteFileBytes(dir / "image.cut", BuildCut(w, h, pixels));
  WriteFileBytes(dir / "image.pal", BuildPalette(256));  // entries run over three blocks
  TCUTGraphic g;
  g.LoadFromFile(dir / "image.cut");
  ASSERT_EQ(g.Width(), w);
  ASSERT_EQ(g.Height(), h);
  ASSERT_EQ(g.PixelFormat(), pf8bit);
  const Bytes rgba = BitmapRGBA(g);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const unsigned v = pixels[i];
    ASSERT_EQ(Bytes(rgba.begin() + long(4 * i), rgba.begin() + long(4 * i + 3)),
              (Bytes{static_cast<unsigned char>(v), static_cast<unsigned char>(255 - v),
                     static_cast<unsigned char>(7 * v)}))
        << "pixel " << i;
  }
  EXPECT_TRUE(g.PaletteFile().empty()) << "the companion name belongs to one load";
}

TEST(CutReader, SmallPaletteDecodesLikeImageMagick) {
  REQUIRE_TOOL("convert");
  // Entries within the first block: past it, this ImageMagick places entries where the
  // block's last six bytes begin, not at the next block.
  TempDir dir;
  const int w = 90, h = 4;
  Bytes pixels = TestPixels(w, h);
  for (auto& p : pixels) p = static_cast<unsigned char>(p % 70);
  WriteFileBytes(dir / "small.cut", BuildCut(w, h, pixels));
  WriteFileBytes(dir / "small.pal", BuildPalette(70));
  TCUTGraphic g;
  g.LoadFromFile(dir / "small.cut");
  EXPECT_EQ(FirstDifference(BitmapRGBA(g), Capture("convert CUT:" + dir / "small.cut" + " -depth 8 rgba:-"), 0), -1);
}

TEST(CutReader, WithoutAPaletteTheImageIsGrey) {
  TempDir dir;
  const int w = 40, h = 3;
  const Bytes pixels = TestPixels(w, h);
  const Bytes file = BuildCut(w, h, pixels);
  WriteFileBytes(dir / "lonely.cut", file);
  TCUTGraphic g;
  g.LoadFromFile(dir / "lonely.cut");
  const Bytes rgba = BitmapRGBA(g);
  for (std::size_t i = 0; i < pixels.size(); ++i) ASSERT_EQ(rgba[4 * i], pixels[i]) << i;
  if (HaveTool("convert")) {
    EXPECT_EQ(FirstDifference(rgba, Capture("convert CUT:" + dir / "lonely.cut" + " -depth 8 rgba:-"), 0), -1);
  }

  // From a stream there is no companion to look for.
  WriteFileBytes(dir / "lonely.pal", BuildPalette(256));
  TMemoryStream s;
  FillStream(s, file);
  TCUTGraphic fromStream;
  fromStream.LoadFromStream(s);
  EXPECT_EQ(BitmapRGBA(fromStream), rgba);
  EXPECT_FALSE(TCUTGraphic::CanLoad(static_cast<TStream&>(s))) << "no signature to check";
}

TEST(CutReader, OnlyTheFirst256PaletteEntriesAreUsed) {
  TempDir dir;
  WriteFileBytes(dir / "big.cut", BuildCut(2, 1, {1, 255}));
  WriteFileBytes(dir / "big.pal", BuildPalette(300));
  TCUTGraphic g;
  g.LoadFromFile(dir / "big.cut");
  EXPECT_EQ(BitmapRGBA(g), (Bytes{1, 254, 7, 255, 255, 0, static_cast<unsigned char>(7 * 255), 255}));
}

TEST(CutReader, HostileFilesRaiseAndLeaveTheBitmapAsItWas) {
  TempDir dir;
  TCUTGraphic g;
  WriteFileBytes(dir / "good.cut", BuildCut(2, 1, {5, 6}));
  g.LoadFromFile(dir / "good.cut");
  const Bytes before = BitmapRGBA(g);

  Bytes cut = BuildCut(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  WriteFileBytes(dir / "short.cut", Bytes(cut.begin(), cut.end() - 5));
  EXPECT_EQ(LoadError(g, dir / "short.cut"), kReadError) << "rows cut short";
  Bytes huge = BuildCut(2, 1, {5, 6});
  huge[0] = huge[1] = huge[2] = huge[3] = 0xFF;
  WriteFileBytes(dir / "huge.cut", huge);
  EXPECT_EQ(LoadError(g, dir / "huge.cut"), "Cannot load image. The CUT image is too large (65535 x 65535).");
  huge[1] = 0x40;
  huge[3] = 0x04;
  WriteFileBytes(dir / "wide.cut", huge);
  EXPECT_EQ(LoadError(g, dir / "wide.cut"), kReadError) << "large image, tiny data";
  WriteFileBytes(dir / "zero.cut", {0, 0, 1, 0, 0, 0, 2, 0, 0x81, 1, 0});
  EXPECT_EQ(LoadError(g, dir / "zero.cut"), "Cannot load image. Invalid or unexpected CUT image format.");

  WriteFileBytes(dir / "badpal.cut", BuildCut(2, 1, {5, 6}));
  WriteFileBytes(dir / "badpal.pal", Bytes(30, 0));
  EXPECT_EQ(LoadError(g, dir / "badpal.cut"), kBadPalette) << "palette file too short";
  Bytes pal = BuildPalette(200);
  pal.resize(700);
  WriteFileBytes(dir / "badpal.pal", pal);
  EXPECT_EQ(LoadError(g, dir / "badpal.cut"), kBadPalette) << "entries cut short";

  EXPECT_EQ(g.Width(), 2);
  EXPECT_EQ(BitmapRGBA(g), before);
}
