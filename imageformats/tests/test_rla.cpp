// The RLA reader on files built here. No Debian tool writes the format, and the one
// Debian reader refuses these files in this version, so the expected pixels are the
// values the files were built from.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imageformats/rla_reader.h"
#include "reader_test_support.h"

using namespace readertest;

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kReadError = "Stream read error in RLA file.";
const std::string kInvalid = "Cannot load image. Invalid or unexpected RLA image format.";

void PutBE16(Bytes& b, std::size_t at, int v) {
  b[at] = static_cast<unsigned char>(v >> 8);
  b[at + 1] = static_cast<unsigned char>(v);
}

// Packs one channel row: repeats of two or more, literals otherwise.
Bytes PackRow(const Bytes& row) {
  Bytes out;
  std::size_t i = 0;
  while (i < row.size()) {
    std::size_t run = 1;
    while (i + run < row.size() && run < 128 && row[i + run] == row[i]) ++run;
    if (run >= 2) {
      out.insert(out.end(), {static_cast<unsigned char>(run - 1), row[i]});
      i += run;
      continue;
    }
    std::size_t n = 0;
    while (i + n < row.size() && n < 128 && !(i + n + 1 < row.size() && row[i + n] == row[i + n + 1])) ++n;
    out.push_back(static_cast<unsigned char>(256 - n));
    out.insert(out.end(), row.begin() + long(i), row.begin() + long(i + n));
    i += n;
  }
  return out;
}

struct RlaImage {
  int Width = 0, Height = 0;
  bool Matte = false;
  bool BottomFirst = true;
  int ExtraColourChannels = 0;
  std::string Kind = "rgb";
  // Channel values of stored row r, channel c, pixel x.
  unsigned char Value(int r, int c, int x) const { return static_cast<unsigned char>(r * 40 + c * 60 + (x / 3) * 7); }
};

Bytes BuildRla(const RlaImage& im) {
  Bytes f(740, 0);
  const int bottom = im.BottomFirst ? 0 : im.Height - 1, top = im.BottomFirst ? im.Height - 1 : 0;
  for (int base : {0, 8}) {
    PutBE16(f, base + 0, 0);
    PutBE16(f, base + 2, im.Width - 1);
    PutBE16(f, base + 4, bottom);
    PutBE16(f, base + 6, top);
  }
  const int channels = 3 + im.ExtraColourChannels;
  PutBE16(f, 16, 1);
  PutBE16(f, 20, channels);
  PutBE16(f, 22, im.Matte ? 1 : 0);
  PutBE16(f, 26, 0xFFFE);
  std::memcpy(&f[28], "2.2", 3);
  std::memcpy(&f[580], im.Kind.data(), im.Kind.size());
  PutBE16(f, 658, 8);
  PutBE16(f, 662, 8);
  const std::size_t table = f.size();
  f.resize(f.size() + 4 * std::size_t(im.Height), 0);
  for (int r = 0; r < im.Height; ++r) {
    const std::size_t offset = f.size();
    for (int k = 0; k < 4; ++k) f[table + 4 * r + k] = static_cast<unsigned char>(offset >> (24 - 8 * k));
    for (int c = 0; c < channels + (im.Matte ? 1 : 0); ++c) {
      Bytes row(im.Width);
      for (int x = 0; x < im.Width; ++x) row[x] = im.Value(r, c, x);
      const Bytes packed = PackRow(row);
      f.push_back(static_cast<unsigned char>(packed.size() >> 8));
      f.push_back(static_cast<unsigned char>(packed.size()));
      f.insert(f.end(), packed.begin(), packed.end());
    }
  }
  return f;
}

void Load(TRLAGraphic& g, const Bytes& data) {
  TMemoryStream s;
  FillStream(s, data);
  g.LoadFromStream(s);
}

std::string LoadError(const Bytes& data, TRLAGraphic* g = nullptr) {
  TRLAGraphic local;
  try {
    Load(g ? *g : local, data);
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "no error";
}

// What the reader must show for the image: stored row r at the bottom when bottom first.
Bytes ExpectedRGBA(const RlaImage& im) {
  Bytes out;
  const int channels = 3 + im.ExtraColourChannels;
  for (int y = 0; y < im.Height; ++y) {
    const int r = im.BottomFirst ? im.Height - 1 - y : y;
    for (int x = 0; x < im.Width; ++x)
      out.insert(out.end(), {im.Value(r, 0, x), im.Value(r, 1, x), im.Value(r, 2, x),
                             im.Matte ? im.Value(r, channels, x) : static_cast<unsigned char>(255)});
  }
  return out;
}

}  // namespace

TEST(RlaReader, RowsChannelsAndMatte) {
  RlaImage variants[4];
  variants[0] = {300, 4, false, true};
  variants[1] = {300, 4, true, true};
  variants[2] = {17, 5, true, false};
  variants[3] = {17, 3, true, true, 2};  // two more colour channels before the matte
  for (const RlaImage& im : variants) {
    SCOPED_TRACE(std::to_string(im.Width) + (im.Matte ? " matte" : "") + (im.BottomFirst ? " bottom" : " top"));
    const Bytes file = BuildRla(im);
    TMemoryStream s;
    FillStream(s, file);
    EXPECT_TRUE(TRLAGraphic::CanLoad(static_cast<TStream&>(s)));
    EXPECT_EQ(s.Position(), 0);
    TRLAGraphic g;
    Load(g, file);
    ASSERT_EQ(g.Width(), im.Width);
    ASSERT_EQ(g.Height(), im.Height);
    EXPECT_EQ(g.PixelFormat(), im.Matte ? pf32bit : pf24bit);
    EXPECT_EQ(g.ImageProperties().BottomUp, im.BottomFirst);
    EXPECT_FLOAT_EQ(g.ImageProperties().FileGamma, 2.2f);
    EXPECT_EQ(FirstDifference(BitmapRGBA(g), ExpectedRGBA(im), 0), -1);
  }
}

TEST(RlaReader, XyzFilesAreRecognisedButNotLoaded) {
  RlaImage im{4, 2};
  im.Kind = "XYZ";
  const Bytes file = BuildRla(im);
  TMemoryStream s;
  FillStream(s, file);
  EXPECT_TRUE(TRLAGraphic::CanLoad(static_cast<TStream&>(s)));
  TRLAGraphic g;
  EXPECT_FALSE(g.ReadImageProperties(s, 0));
  EXPECT_EQ(LoadError(file), kInvalid);
}

TEST(RlaReader, HostileFilesRaiseAndLeaveTheBitmapAsItWas) {
  TRLAGraphic g;
  Load(g, BuildRla(RlaImage{5, 2}));
  const Bytes before = BitmapRGBA(g);

  Bytes file = BuildRla(RlaImage{5, 2});
  file.resize(file.size() - 3);
  EXPECT_EQ(LoadError(file, &g), kReadError) << "last channel cut short";
  file = BuildRla(RlaImage{5, 2});
  file[740] = 0x7F;
  EXPECT_EQ(LoadError(file, &g), kReadError) << "row offset past the end";
  file = BuildRla(RlaImage{5, 2});
  file[740 + 8 + 1] = 200;  // first channel length far beyond the file
  EXPECT_EQ(LoadError(file, &g), kReadError);
  file = BuildRla(RlaImage{5, 2});
  PutBE16(file, 658, 16);
  EXPECT_EQ(LoadError(file, &g), "Invalid color format in RLA file.") << "16-bit channels";
  file = BuildRla(RlaImage{5, 2});
  PutBE16(file, 10, 30000);
  PutBE16(file, 14, 3000);
  EXPECT_EQ(LoadError(file, &g), kReadError) << "large window, tiny data";
  file = BuildRla(RlaImage{5, 2});
  PutBE16(file, 10, -5);
  EXPECT_EQ(LoadError(file, &g), kInvalid) << "right of the window before its left";

  EXPECT_EQ(g.Width(), 5);
  EXPECT_EQ(BitmapRGBA(g), before);
}
