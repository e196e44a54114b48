// ThunderScan 4-bit rows and Photo-CD Huffman residuals: no Debian tool writes either,
// so the data is coded by hand from the formats' rules.
#include <gtest/gtest.h>

#include <random>

#include "decoder_test_support.h"
#include "imageformats/decoders.h"
#include "platform/classlib/streams.h"

using dectest::BitsToBytes;
using dectest::Bytes;

namespace {

using dectest::DecodeAll;
using dectest::Decoded;

}  // namespace

TEST(ThunderScanDecoder, RowsByHand) {
  TThunderDecoder d(2);  // 4 pixels per row
  const Bytes in = {
      0xC3,        // raw 3
      0x8A,        // 3-bit deltas +1, +2: 4, 6
      0x77,        // 2-bit deltas -1 (5); the rest fall outside the row
      0x02,        // next row starts at 0: a run of 2 zeros
      0xC9,        // raw 9
      0x9F,        // +3 (12), -1 (11) - only 12 fits
      0xCF,        // raw 15
      0x41,        // 2-bit deltas 0, 0, +1: 15, 15, 0 (wraps to 4 bits)
  };
  auto r = DecodeAll(d, in, 6);
  EXPECT_EQ(r.Out, (Bytes{0x34, 0x65, 0x00, 0x9C, 0xFF, 0xF0}));
  EXPECT_EQ(r.Used, in.size());
  EXPECT_EQ(r.Produced, 6u);
  // The "skip" entries of both delta tables produce no pixel.
  EXPECT_EQ(DecodeAll(d, {0xC1, 0x62, 0xA4, 0x81}, 2).Out, (Bytes{0x11, 0x12}));
}

TEST(ThunderScanDecoder, BoundsHold) {
  TThunderDecoder d(3);
  // A run of 63 fills one row only; input ends in the next row.
  auto r = DecodeAll(d, {0xC7, 0x3F, 0xC1}, 6);
  EXPECT_EQ(r.Out, (Bytes{0x77, 0x77, 0x77, 0x1E, 0xEE, 0xEE}));
  EXPECT_EQ(r.Produced, 4u);
  // An output that ends inside a row.
  r = DecodeAll(d, {0xC5, 0x3F}, 2);
  EXPECT_EQ(r.Out, (Bytes{0x55, 0x55}));
  EXPECT_THROW(TThunderDecoder(0), EGraphicCompression);
  std::mt19937 rng(11);
  for (int i = 0; i < 200; ++i) {
    Bytes in(rng() % 50);
    for (Byte& b : in) b = static_cast<Byte>(rng());
    DecodeAll(d, in, rng() % 20);
  }
}

namespace {

// One Huffman table: "0" -> 0, "10" -> +5, "11" -> -3, padded to its sector.
Bytes Table(bool withMinusThree = true) {
  Bytes t = {static_cast<Byte>(withMinusThree ? 2 : 1), 0, 0x00, 0x00, 0, 1, 0x80, 0x00, 5};
  if (withMinusThree) t.insert(t.end(), {1, 0xC0, 0x00, 0xFD});
  return t;
}

Bytes Sector(Bytes b) {
  b.resize(2048, 0);
  return b;
}

Bytes Row(int plane, int row, const std::string& codes) {
  const unsigned header = (unsigned(plane) << 14) | (unsigned(row) << 1);
  Bytes r = {0xFF, 0xFF, 0xFE, static_cast<Byte>(header >> 8), static_cast<Byte>(header)};
  const Bytes c = BitsToBytes(codes);
  r.insert(r.end(), c.begin(), c.end());
  return r;
}

void Feed(TMemoryStream& s, const Bytes& data) {
  s.Clear();
  s.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
  s.SetPosition(0);
}

struct Planes {
  Bytes Y, C1, C2;
  Byte* P[3];
  Planes(std::size_t size, Byte v) : Y(size, v), C1(size, v), C2(size, v) {
    P[0] = Y.data();
    P[1] = C1.data();
    P[2] = C2.data();
  }
};

void Decode(TPCDDecoder& d, Planes& planes, Integer width, Integer height) {
  const void* src = planes.P;
  void* dst = nullptr;
  d.Decode(src, dst, width, height);
}

}  // namespace

TEST(PhotoCDDecoder, ResidualsAreAddedAndClamped) {
  Bytes data = Sector(Table());
  for (const Bytes& part : {Row(0, 1, "10 11 0 10"), Bytes{0x00, 0x17},  // junk before the next sync
                            Row(2, 0, "10101010"), Row(3, 1, "11 11 11 11"), Row(1, 0, "")}) {
    data.insert(data.end(), part.begin(), part.end());
  }
  const Bytes afterEnd = Row(0, 0, "10 10 10 10");
  data.insert(data.end(), afterEnd.begin(), afterEnd.end());
  TMemoryStream stream;
  Feed(stream, data);
  TPCDDecoder d(stream);
  Planes planes(8, 100);
  planes.C1[0] = 252;
  planes.C1[1] = 0;
  planes.C2[4] = 2;
  Decode(d, planes, 4, 2);
  EXPECT_EQ(planes.Y, (Bytes{100, 100, 100, 100, 105, 97, 100, 105}));
  EXPECT_EQ(planes.C1, (Bytes{255, 5, 105, 105, 100, 100, 100, 100}));
  EXPECT_EQ(planes.C2, (Bytes{100, 100, 100, 100, 0, 97, 97, 97}));
}

TEST(PhotoCDDecoder, WideImagesUseATablePerPlane) {
  // Three tables: luminance adds 5 for "10", chroma 1 adds 1, chroma 2 adds -1.
  Bytes tables = {1, 0, 0x00, 0x00, 0, 1, 0x80, 0x00, 5, 1, 0, 0x00, 0x00, 0, 1, 0x80, 0x00, 1,
                  1, 0, 0x00, 0x00, 0, 1, 0x80, 0x00, 0xFF};
  Bytes data = Sector(tables);
  std::string codes;
  for (int i = 0; i < 1600; ++i) codes += "10";
  for (int plane : {0, 2, 3}) {
    const Bytes r = Row(plane, 0, codes);
    data.insert(data.end(), r.begin(), r.end());
  }
  TMemoryStream stream;
  Feed(stream, data);
  TPCDDecoder d(stream);
  Planes planes(1600, 50);
  Decode(d, planes, 1600, 1);
  EXPECT_EQ(planes.Y, Bytes(1600, 55));
  EXPECT_EQ(planes.C1, Bytes(1600, 51));
  EXPECT_EQ(planes.C2, Bytes(1600, 49));
}

TEST(PhotoCDDecoder, HostileStreams) {
  TMemoryStream stream;
  // A code missing from the table ends its row; the next row still decodes.
  Bytes data = Sector(Table(false));
  for (const Bytes& part : {Row(0, 0, "10 11 10 10"), Row(0, 1, "10 10")}) data.insert(data.end(), part.begin(), part.end());
  Feed(stream, data);
  {
    TPCDDecoder d(stream);
    Planes planes(8, 10);
    Decode(d, planes, 4, 2);
    EXPECT_EQ(planes.Y, (Bytes{15, 10, 10, 10, 15, 15, 10, 10}));
  }
  // A row past the height ends decoding.
  data = Sector(Table());
  for (const Bytes& part : {Row(0, 5, "10"), Row(0, 0, "10 10")}) data.insert(data.end(), part.begin(), part.end());
  Feed(stream, data);
  {
    TPCDDecoder d(stream);
    Planes planes(8, 10);
    Decode(d, planes, 4, 2);
    EXPECT_EQ(planes.Y, Bytes(8, 10));
  }
  // A row header cut by the end of the stream, and one with no codes left.
  for (const Bytes& tail : {Bytes{0xFF, 0xFF, 0xFE, 0x00}, Row(0, 1, "")}) {
    data = Sector(Table());
    const Bytes first = Row(0, 0, "10 10 10 10");
    data.insert(data.end(), first.begin(), first.end());
    data.insert(data.end(), tail.begin(), tail.end());
    Feed(stream, data);
    TPCDDecoder d(stream);
    Planes planes(8, 10);
    Decode(d, planes, 4, 2);
    EXPECT_EQ(planes.Y, (Bytes{15, 15, 15, 15, 10, 10, 10, 10}));
  }
  // Tables that are cut short or hold a code longer than 16 bits are refused.
  Feed(stream, Bytes{5, 0, 0, 0});
  {
    TPCDDecoder d(stream);
    Planes planes(4, 0);
    EXPECT_THROW(Decode(d, planes, 4, 1), EGraphicCompression);
  }
  Feed(stream, Sector(Bytes{0, 16, 0x00, 0x00, 1}));
  {
    TPCDDecoder d(stream);
    Planes planes(4, 0);
    EXPECT_THROW(Decode(d, planes, 4, 1), EGraphicCompression);
  }
  // Missing planes.
  Feed(stream, Sector(Table()));
  {
    TPCDDecoder d(stream);
    Byte* none[3] = {nullptr, nullptr, nullptr};
    const void* src = none;
    void* dst = nullptr;
    EXPECT_THROW(d.Decode(src, dst, 4, 1), EGraphicCompression);
  }
  // Random streams after valid tables.
  std::mt19937 rng(5);
  for (int i = 0; i < 100; ++i) {
    Bytes junk = Sector(Table());
    for (int k = 0; k < 300; ++k) junk.push_back(k % 40 < 3 ? 0xFF : static_cast<Byte>(rng()));
    Feed(stream, junk);
    TPCDDecoder d(stream);
    Planes planes(12, 128);
    Decode(d, planes, 4, 3);
  }
}
