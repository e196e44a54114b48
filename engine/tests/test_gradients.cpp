#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "engine/color_series.h"
#include "engine/float_color.h"
#include "engine/tests/curve_bytes.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"

using namespace curve_bytes;

namespace {

struct GradientState {
  std::string name;
  std::vector<Double> xs, ys;
  std::vector<TColor> colours;
  bool operator==(const GradientState&) const = default;
};

GradientState StateOf(TColorSeries& g) {
  GradientState s{g.Name, {}, {}, {}};
  for (Integer i = 0; i < g.Count(); ++i) {
    s.xs.push_back(g.GetXValue(i));
    s.ys.push_back(g.GetYValue(i));
    s.colours.push_back(g.GetValueColor(i));
  }
  return s;
}

// White at X 1, black at X 101.
void WhiteToBlack(TColorSeries& g) {
  g.Clear();
  g.AddXY(1, 1.0, "", clWhite);
  g.AddXY(101, 1.0, "", clBlack);
}

TColorRGBA At(TColorSeries& g, Double x) {
  TColorRGBA c;
  c.A = 0.25f;
  g.ColorAt(x, c);
  EXPECT_EQ(c.A, 0.25f) << "alpha is not the gradient's";
  return c;
}

void ExpectRGB(const TColorRGBA& c, Single r, Single g, Single b) {
  EXPECT_NEAR(c.R, r, 1e-6);
  EXPECT_NEAR(c.G, g, 1e-6);
  EXPECT_NEAR(c.B, b, 1e-6);
}

// A scratch file removed at the end of the test.
struct TempFile {
  explicit TempFile(const std::string& stem)
      : path((std::filesystem::temp_directory_path() / (stem + "_" + std::to_string(::getpid()) + ".zkg")).string()) {}
  ~TempFile() { std::remove(path.c_str()); }
  std::string path;
};

std::vector<Byte> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<Byte>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::vector<Byte>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// "Fire": yellow at 1, red at 60, black at 101.
std::vector<Byte> FireRecord() {
  std::vector<Byte> b;
  PutShortString(b, "Fire", 64);
  Put32(b, 3);
  PutF64(b, 1);
  Put32(b, 0x0000FFFF);
  PutF64(b, 60);
  Put32(b, 0x000000FF);
  PutF64(b, 101);
  Put32(b, 0);
  return b;
}

}  // namespace

// ---- float colours -----------------------------------------------------------------------

TEST(FloatColor, WindowColoursBecomeFloatsRedFirst) {
  TColorRGBA c;
  c.A = 0.5f;
  ColorToRGB(0x00336699, c);
  ExpectRGB(c, 0x99 / 255.0f, 0x66 / 255.0f, 0x33 / 255.0f);
  EXPECT_EQ(c.A, 0.5f);
  for (TColor colour : {0x000000, 0xFFFFFF, 0x123456, 0x00FF80, 0x7F7F7F, 0x010203}) {
    ColorToRGB(colour, c);
    EXPECT_EQ(RGBToColor(c), colour);
  }
}

TEST(FloatColor, RGBToColorClampsBeforeScaling) {
  TColorRGBA c;
  SetRGBA(c, 1.2f, -0.3f, 0.5f, 1);
  // 1.2 x 255 = 306 would wrap to 50 in a byte; 0.5 x 255 = 127.5 goes to the even 128.
  EXPECT_EQ(RGBToColor(c), 0xFF | (0 << 8) | (128 << 16));
  SetRGBA(c, std::numeric_limits<Single>::quiet_NaN(), std::numeric_limits<Single>::infinity(), 3.0f / 255, 1);
  EXPECT_EQ(RGBToColor(c), 0x00 | (0xFF << 8) | (3 << 16));
}

// ---- gradient colours --------------------------------------------------------------------

TEST(GradientColor, KeysActOneUnitEarly) {
  TColorSeries g;
  WhiteToBlack(g);
  ExpectRGB(At(g, 50), 0.5f, 0.5f, 0.5f);  // half-way from 0 to 100
  ExpectRGB(At(g, 0), 1, 1, 1);
  ExpectRGB(At(g, -40), 1, 1, 1);
  ExpectRGB(At(g, 25), 0.75f, 0.75f, 0.75f);
  ExpectRGB(At(g, 100), 0, 0, 0);  // black is reached at 101 - 1
  ExpectRGB(At(g, 101), 0, 0, 0);
  ExpectRGB(At(g, 5000), 0, 0, 0);
}

TEST(GradientColor, OneKeyGivesItsColourEverywhere) {
  TColorSeries g;
  g.Clear();
  g.AddXY(30, 1.0, "", 0x00FF8000);  // red 0, green 128, blue 255
  for (Double x : {-100.0, 0.0, 29.0, 30.0, 31.0, 1e6}) ExpectRGB(At(g, x), 0, 128 / 255.0f, 1);
}

TEST(GradientColor, NewAndResetGradientsAreOneWhiteKeyAtOne) {
  TColorSeries g;
  g.Name = "Kept";
  ASSERT_EQ(g.Count(), 1);
  EXPECT_EQ(g.GetXValue(0), 1.0);
  EXPECT_EQ(g.GetYValue(0), 1.0);
  EXPECT_EQ(g.GetValueColor(0), clWhite);
  WhiteToBlack(g);
  g.ResetDefault();
  EXPECT_EQ(StateOf(g), (GradientState{"Kept", {1.0}, {1.0}, {clWhite}}));
  ExpectRGB(At(g, 77), 1, 1, 1);
}

TEST(GradientColor, GradientWithoutKeysIsWhite) {
  TColorSeries g;
  g.Clear();
  TColorRGBA c;
  SetRGBA(c, 0.1f, 0.2f, 0.3f, 0.4f);
  g.ColorAt(10, c);
  ExpectRGB(c, 1, 1, 1);
  EXPECT_EQ(c.A, 0.4f);
}

// ---- gradient record and file ------------------------------------------------------------

TEST(GradientRecord, WritesNameCountAndKeys) {
  TColorSeries g;
  g.Name = "Fire";
  g.Clear();
  g.AddXY(1, 1.0, "", 0x0000FFFF);
  g.AddXY(60, 1.0, "", 0x000000FF);
  g.AddXY(101, 1.0, "", 0);
  TMemoryStream out;
  g.SaveToStream(out);
  EXPECT_EQ(out.Size(), 65 + 4 + 12 * 3);
  EXPECT_EQ(BytesOf(out), FireRecord());
}

TEST(GradientRecord, ReadsKeysAtHeightOne) {
  TMemoryStream s;
  Fill(s, FireRecord());
  TColorSeries g;
  g.LoadFromStream(s);
  EXPECT_EQ(StateOf(g), (GradientState{"Fire", {1, 60, 101}, {1, 1, 1}, {0x0000FFFF, 0x000000FF, 0}}));
  EXPECT_EQ(s.Position(), s.Size());
}

TEST(GradientRecord, MalformedRecordsLeaveTheGradientAsItWas) {
  TColorSeries g;
  g.Name = "Before";
  WhiteToBlack(g);
  const GradientState before = StateOf(g);
  const std::vector<Byte> good = FireRecord();
  TMemoryStream s;
  for (std::size_t len = 0; len < good.size(); ++len) {
    Fill(s, std::vector<Byte>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(len)));
    EXPECT_THROW(g.LoadFromStream(s), EReadError) << "length " << len;
    EXPECT_EQ(StateOf(g), before) << "length " << len;
  }
  for (Cardinal count : {0u, 0xFFFFFFFFu, 0x7FFFFFFFu, 4u}) {
    std::vector<Byte> b(good.begin(), good.begin() + 65);
    Put32(b, count);
    b.insert(b.end(), good.begin() + 69, good.end());
    Fill(s, b);
    EXPECT_THROW(g.LoadFromStream(s), EReadError) << count;
    EXPECT_EQ(StateOf(g), before);
  }
  // A name length past the capacity reads as 64 characters.
  std::vector<Byte> b = good;
  b[0] = 255;
  Fill(s, b);
  g.LoadFromStream(s);
  EXPECT_EQ(g.Name.size(), 64u);
  EXPECT_EQ(g.Name.substr(0, 4), "Fire");
}

TEST(GradientFile, SavesExactlyOneRecordAndLoadsItBack) {
  TempFile file("qm_gradient_roundtrip");
  TColorSeries g;
  g.Name = "Fire";
  g.Clear();
  g.AddXY(1, 1.0, "", 0x0000FFFF);
  g.AddXY(60, 1.0, "", 0x000000FF);
  g.AddXY(101, 1.0, "", 0);
  g.SaveToFile(file.path);
  EXPECT_EQ(ReadFile(file.path), FireRecord());

  // Saving again truncates: a one-key gradient leaves a shorter file.
  TColorSeries small;
  small.SaveToFile(file.path);
  EXPECT_EQ(ReadFile(file.path).size(), 65u + 4u + 12u);

  g.SaveToFile(file.path);
  TColorSeries back;
  back.LoadFromFile(file.path);
  EXPECT_EQ(StateOf(back), StateOf(g));
}

TEST(GradientFile, TruncatedOrMissingFilesRaiseAndKeepTheGradient) {
  TempFile file("qm_gradient_truncated");
  std::vector<Byte> cut = FireRecord();
  cut.resize(cut.size() - 5);
  WriteFile(file.path, cut);
  TColorSeries g;
  g.Name = "Mine";
  WhiteToBlack(g);
  const GradientState before = StateOf(g);
  try {
    g.LoadFromFile(file.path);
    ADD_FAILURE() << "a truncated file loaded";
  } catch (const EReadError& e) {
    EXPECT_NE(std::string(e.what()).find("gradient"), std::string::npos) << e.what();
  }
  EXPECT_EQ(StateOf(g), before);

  EXPECT_THROW(g.LoadFromFile(file.path + ".missing"), EFOpenError);
  EXPECT_EQ(StateOf(g), before);
}
