// TByteMap: sizes, channel reads and writes against a TBitmap32, and assignment.
#include <gtest/gtest.h>

#include <vector>

#include "bitmaps/bitmap32.h"
#include "bitmaps/byte_map.h"
#include "platform/classlib/graphics_tools.h"

namespace {

// 2 x 2 pixels with distinct channels.
TBitmap32* MakeSource(TBitmap32& b) {
  b.SetSize(2, 2);
  b.SetPixel(0, 0, 0x80FF4010);  // A 0x80, R 0xFF, G 0x40, B 0x10
  b.SetPixel(1, 0, 0x00000000);
  b.SetPixel(0, 1, 0xFFFFFFFF);
  b.SetPixel(1, 1, 0x7F0A141E);
  return &b;
}

std::vector<Byte> Bytes(const TByteMap& m) { return std::vector<Byte>(m.Bits().begin(), m.Bits().end()); }

TEST(ByteMapSize, ResizingKeepsTheBytesUpToTheNewLengthAndRefusesHugeMaps) {
  TByteMap m;
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  EXPECT_TRUE(m.Empty());
  EXPECT_TRUE(m.SetSize(3, 2));
  EXPECT_EQ(m.Bits().size(), 6u);
  EXPECT_EQ(changes, 1);
  for (Byte i = 0; i < 6; ++i) m.Bits()[i] = static_cast<Byte>(i + 1);
  EXPECT_FALSE(m.SetSize(3, 2));
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(m.SetSize(2, 2));
  EXPECT_EQ(Bytes(m), (std::vector<Byte>{1, 2, 3, 4}));
  EXPECT_TRUE(m.SetSize(3, 2));
  EXPECT_EQ(Bytes(m), (std::vector<Byte>{1, 2, 3, 4, 0, 0}));
  EXPECT_EQ(m.Value(0, 1), 4);

  EXPECT_THROW(m.SetSize(0x10000, 0x10000), EOutOfMemory);
  EXPECT_EQ(m.Width(), 3);
  EXPECT_EQ(m.Height(), 2);
  EXPECT_EQ(m.Bits().size(), 6u);

  EXPECT_TRUE(m.SetSize(-4, 7));
  EXPECT_EQ(m.Width(), 0);
  EXPECT_EQ(m.Height(), 7);
  EXPECT_TRUE(m.Empty());
}

TEST(ByteMapChannels, ReadFromTakesEachChannelAndBothGreys) {
  TBitmap32 b;
  MakeSource(b);
  TByteMap m;
  struct Case {
    TByteChannel channel;
    std::vector<Byte> want;
  };
  const Case cases[] = {
      {bcRed, {0xFF, 0x00, 0xFF, 0x0A}},
      {bcGreen, {0x40, 0x00, 0xFF, 0x14}},
      {bcBlue, {0x10, 0x00, 0xFF, 0x1E}},
      {bcAlpha, {0x80, 0x00, 0xFF, 0x7F}},
      // (R + G + B) div 3
      {bcUniformGrey, {(0xFF + 0x40 + 0x10) / 3, 0, 0xFF, (0x0A + 0x14 + 0x1E) / 3}},
      // (61 R + 174 G + 21 B) >> 8
      {bcWeightedGrey, {(61 * 0xFF + 174 * 0x40 + 21 * 0x10) >> 8, 0, 0xFF, (61 * 0x0A + 174 * 0x14 + 21 * 0x1E) >> 8}},
  };
  for (const Case& c : cases) {
    int changes = 0;
    m.OnChange = [&](TObject*) { ++changes; };
    m.ReadFrom(&b, c.channel);
    EXPECT_EQ(m.Width(), 2);
    EXPECT_EQ(m.Height(), 2);
    EXPECT_EQ(Bytes(m), c.want) << c.channel;
    EXPECT_EQ(changes, 1) << c.channel;
  }
  // An empty source empties the map and still reports the change.
  TBitmap32 empty;
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  m.ReadFrom(&empty, bcRed);
  EXPECT_TRUE(m.Empty());
  EXPECT_EQ(changes, 1);
}

TEST(ByteMapChannels, WriteToChangesOnlyItsChannelOrWritesOpaqueGrey) {
  TByteMap m;
  m.SetSize(2, 2);
  m.Bits() = {0x01, 0x80, 0xFE, 0x00};
  TBitmap32 b;
  struct Case {
    TByteChannel channel;
    std::vector<TColor32> want;
  };
  const Case cases[] = {
      {bcRed, {0x80014010, 0x00800000, 0xFFFEFFFF, 0x7F00141E}},
      {bcGreen, {0x80FF0110, 0x00008000, 0xFFFFFEFF, 0x7F0A001E}},
      {bcBlue, {0x80FF4001, 0x00000080, 0xFFFFFFFE, 0x7F0A1400}},
      {bcAlpha, {0x01FF4010, 0x80000000, 0xFEFFFFFF, 0x000A141E}},
      {bcUniformGrey, {0xFF010101, 0xFF808080, 0xFFFEFEFE, 0xFF000000}},
      {bcWeightedGrey, {0xFF010101, 0xFF808080, 0xFFFEFEFE, 0xFF000000}},
  };
  for (const Case& c : cases) {
    MakeSource(b);
    int changes = 0, resizes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.OnResize = [&](TObject*) { ++resizes; };
    m.WriteTo(&b, c.channel);
    EXPECT_EQ(std::vector<TColor32>(b.Bits(), b.Bits() + 4), c.want) << c.channel;
    EXPECT_EQ(changes, 1) << c.channel;
    EXPECT_EQ(resizes, 0) << c.channel;
    b.OnChange = nullptr;
    b.OnResize = nullptr;
  }
  // Into a bitmap of another size: resized first, then filled.
  TBitmap32 other;
  other.SetSize(5, 1);
  int resizes = 0;
  other.OnResize = [&](TObject*) { ++resizes; };
  m.WriteTo(&other, bcUniformGrey);
  EXPECT_EQ(other.Width(), 2);
  EXPECT_EQ(other.Height(), 2);
  EXPECT_EQ(other.Pixel(1, 0), 0xFF808080u);
  EXPECT_GE(resizes, 1);
}

TEST(ByteMapAssign, FromMapsAndBitmapsAndToBitmaps) {
  TByteMap a;
  a.SetSize(3, 1);
  a.Bits() = {9, 8, 7};
  TByteMap b;
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.Assign(&a);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Height(), 1);
  EXPECT_EQ(Bytes(b), (std::vector<Byte>{9, 8, 7}));
  EXPECT_EQ(changes, 1);

  TBitmap32 bmp;
  MakeSource(bmp);
  b.Assign(&bmp);
  EXPECT_EQ(Bytes(b), (std::vector<Byte>{(61 * 0xFF + 174 * 0x40 + 21 * 0x10) >> 8, 0, 0xFF,
                                         (61 * 0x0A + 174 * 0x14 + 21 * 0x1E) >> 8}));

  // A byte map assigned to a bitmap writes opaque greys; a bitmap takes it through
  // its own Assign too.
  TBitmap32 target;
  target.Assign(&a);
  ASSERT_EQ(target.Width(), 3);
  EXPECT_EQ(target.Pixel(0, 0), 0xFF090909u);
  EXPECT_EQ(target.Pixel(2, 0), 0xFF070707u);

  TFont font;
  EXPECT_THROW(b.Assign(&font), EConvertError);
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(b.UpdateCount(), 0);
}

}  // namespace
