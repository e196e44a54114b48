// The run-length decoders: hand-computed packets, hostile packets (every buffer is
// exactly as large as the data, so the sanitizer sees any stray access), and real files
// written by ImageMagick whose pixels must come back exactly.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "decoder_test_support.h"
#include "imageformats/decoders.h"

using dectest::Bytes;

namespace {

using dectest::DecodeAll;
using dectest::Decoded;

// A test picture with long runs and noise, as PPM pixels.
dectest::Pnm MakePicture(int w, int h) {
  dectest::Pnm p;
  p.Kind = 6;
  p.Width = w;
  p.Height = h;
  std::mt19937 rng(1234);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        Byte v;
        if (x < w / 3)
          v = static_cast<Byte>(40 * c + y);  // runs along the row
        else if (x < 2 * w / 3)
          v = static_cast<Byte>(rng());  // noise
        else
          v = static_cast<Byte>((x / 4) * 30 + c);  // short runs
        p.Data.push_back(v);
      }
  return p;
}

void WritePpm(const std::string& path, const dectest::Pnm& p) {
  std::string head = "P6\n" + std::to_string(p.Width) + " " + std::to_string(p.Height) + "\n255\n";
  Bytes f(head.begin(), head.end());
  f.insert(f.end(), p.Data.begin(), p.Data.end());
  dectest::WriteFileBytes(path, f);
}

std::uint32_t BE32(const Bytes& f, std::size_t p) {
  return (std::uint32_t(f[p]) << 24) | (f[p + 1] << 16) | (f[p + 2] << 8) | f[p + 3];
}

}  // namespace

TEST(DecoderSizes, NegativeSizesAreRefused) {
  TPackbitsRLEDecoder d;
  Bytes in = {0};
  Byte out[1];
  const void* s = in.data();
  void* o = out;
  EXPECT_THROW(d.Decode(s, o, -1, 1), EGraphicCompression);
  EXPECT_THROW(d.Decode(s, o, 1, -5), EGraphicCompression);
  EXPECT_THROW(TTargaRLEDecoder(12), EGraphicCompression);
  EXPECT_THROW(TSGIRLEDecoder(4), EGraphicCompression);
}

TEST(PackBitsDecoder, PacketsByHand) {
  TPackbitsRLEDecoder d;
  // A run of three cut to the two bytes asked for.
  auto r = DecodeAll(d, {0xFE, 0x41}, 2);
  EXPECT_EQ(r.Out, (Bytes{0x41, 0x41}));
  EXPECT_EQ(r.Used, 2u);

  // The classic example: runs, literals and a no-op header (-128).
  const Bytes in = {0xFE, 0xAA, 0x02, 0x80, 0x00, 0x2A, 0x80, 0xFD, 0xAA, 0x03, 0x80, 0x00, 0x2A, 0x22, 0xF7, 0xAA};
  const Bytes expected = {0xAA, 0xAA, 0xAA, 0x80, 0x00, 0x2A, 0xAA, 0xAA, 0xAA, 0xAA, 0x80, 0x00,
                          0x2A, 0x22, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
  r = DecodeAll(d, in, expected.size());
  EXPECT_EQ(r.Out, expected);
  EXPECT_EQ(r.Used, in.size());
  EXPECT_EQ(r.Produced, expected.size());
}

TEST(PackBitsDecoder, HostilePacketsStayInBounds) {
  TPackbitsRLEDecoder d;
  // A literal of 6 with only 2 bytes left: copies 2 and stops.
  auto r = DecodeAll(d, {0x05, 1, 2}, 8);
  EXPECT_EQ(r.Out, (Bytes{1, 2, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
  EXPECT_EQ(r.Used, 3u);
  EXPECT_EQ(r.Produced, 2u);
  // A run header with no byte after it.
  r = DecodeAll(d, {0xFB}, 4);
  EXPECT_EQ(r.Produced, 0u);
  EXPECT_EQ(r.Out, Bytes(4, 0xEE));
  // A literal longer than the output left.
  r = DecodeAll(d, {0x7F, 1, 2, 3, 4, 5, 6, 7, 8}, 3);
  EXPECT_EQ(r.Out, (Bytes{1, 2, 3}));
  // An UnpackedSize smaller than the buffer: nothing past it is written.
  r = DecodeAll(d, {0x81, 9}, 6, 2);
  EXPECT_EQ(r.Out, (Bytes{9, 9, 0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST(PackBitsDecoder, StripsOfARealTiffMatchTheirPixels) {
  DECODER_REQUIRE_TOOL("convert");
  dectest::TempDir dir;
  const dectest::Pnm pic = MakePicture(45, 13);
  WritePpm(dir / "in.ppm", pic);
  ASSERT_TRUE(dectest::Run("convert " + dir / "in.ppm" + " -compress RLE -define tiff:rows-per-strip=5 " +
                           dir / "pb.tif"));
  dectest::TiffFile tif;
  ASSERT_TRUE(dectest::ParseTiff(dectest::ReadFileBytes(dir / "pb.tif"), tif));
  ASSERT_EQ(tif.Tag(259), 32773u);
  const std::uint32_t rps = tif.Tag(278);
  ASSERT_GT(tif.Strips.size(), 1u);
  TPackbitsRLEDecoder d;
  std::size_t row = 0;
  for (const Bytes& strip : tif.Strips) {
    const std::size_t rows = std::min<std::size_t>(rps, pic.Height - row);
    const std::size_t size = rows * pic.Width * 3;
    auto r = DecodeAll(d, strip, size);
    ASSERT_EQ(r.Produced, size);
    EXPECT_EQ(0, std::memcmp(r.Out.data(), pic.Data.data() + row * pic.Width * 3, size)) << "strip at row " << row;
    row += rows;
  }
  EXPECT_EQ(row, std::size_t(pic.Height));
}

TEST(PCXDecoder, PacketsByHand) {
  TPCXRLEDecoder d;
  // C0 gives a count of 0: writes nothing and consumes both bytes.
  auto r = DecodeAll(d, {0xC0, 0x55, 0x07}, 1);
  EXPECT_EQ(r.Out, (Bytes{0x07}));
  EXPECT_EQ(r.Used, 3u);
  // A run of 5 and single bytes below 0xC0.
  r = DecodeAll(d, {0xC5, 0xAB, 0x3F, 0xC1, 0xC7}, 7);
  EXPECT_EQ(r.Out, (Bytes{0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0x3F, 0xC7}));
  // A run longer than the output left is cut; a run header at the very end stops.
  r = DecodeAll(d, {0xFF, 0x01}, 4);
  EXPECT_EQ(r.Out, (Bytes{1, 1, 1, 1}));
  r = DecodeAll(d, {0x02, 0xC3}, 4);
  EXPECT_EQ(r.Out, (Bytes{2, 0xEE, 0xEE, 0xEE}));
  EXPECT_EQ(r.Produced, 1u);
}

TEST(PCXDecoder, RowsOfARealFileMatchTheirPixels) {
  DECODER_REQUIRE_TOOL("convert");
  dectest::TempDir dir;
  const dectest::Pnm pic = MakePicture(45, 9);
  WritePpm(dir / "in.ppm", pic);
  ASSERT_TRUE(dectest::Run("convert " + dir / "in.ppm" + " " + dir / "x.pcx"));
  const Bytes file = dectest::ReadFileBytes(dir / "x.pcx");
  ASSERT_GT(file.size(), 128u);
  ASSERT_EQ(file[2], 1);   // run-length encoded
  ASSERT_EQ(file[65], 3);  // three planes of 8 bits
  const std::size_t bpl = file[66] | (file[67] << 8);
  ASSERT_GE(bpl, std::size_t(pic.Width));
  TPCXRLEDecoder d;
  const Byte* p = file.data() + 128;
  for (int y = 0; y < pic.Height; ++y) {
    Bytes row(3 * bpl, 0);
    const void* src = p;
    void* dst = row.data();
    d.Decode(src, dst, static_cast<Integer>(file.data() + file.size() - p), static_cast<Integer>(row.size()));
    p = static_cast<const Byte*>(src);
    for (int x = 0; x < pic.Width; ++x)
      for (int c = 0; c < 3; ++c)
        ASSERT_EQ(row[c * bpl + x], pic.Data[(y * pic.Width + x) * 3 + c]) << "row " << y << " x " << x;
  }
}

TEST(SGIDecoder, PacketsByHand) {
  TSGIRLEDecoder d8(8);
  // A count of 0 at the first element gives an empty row.
  auto r = DecodeAll(d8, {0x00, 0x83, 1, 2, 3}, 3);
  EXPECT_EQ(r.Produced, 0u);
  EXPECT_EQ(r.Used, 1u);
  // Copy 2, repeat 3, end.
  r = DecodeAll(d8, {0x82, 7, 8, 0x03, 9, 0x00}, 6);
  EXPECT_EQ(r.Out, (Bytes{7, 8, 9, 9, 9, 0xEE}));
  EXPECT_EQ(r.Used, 6u);
  EXPECT_EQ(r.Produced, 5u);
  // Runs cut by the output; a copy cut by the input.
  r = DecodeAll(d8, {0x7F, 4}, 3);
  EXPECT_EQ(r.Out, (Bytes{4, 4, 4}));
  r = DecodeAll(d8, {0x85, 1, 2}, 5);
  EXPECT_EQ(r.Out, (Bytes{1, 2, 0xEE, 0xEE, 0xEE}));

  // 16-bit elements: big-endian headers, words kept as stored; an odd byte is ignored.
  TSGIRLEDecoder d16(16);
  r = DecodeAll(d16, {0x00, 0x82, 0x12, 0x34, 0x56, 0x78, 0x00, 0x02, 0xAB, 0xCD, 0x00, 0x00, 0x99}, 8);
  EXPECT_EQ(r.Out, (Bytes{0x12, 0x34, 0x56, 0x78, 0xAB, 0xCD, 0xAB, 0xCD}));
  r = DecodeAll(d16, {0x00, 0x05, 0x11, 0x22}, 5);
  EXPECT_EQ(r.Out, (Bytes{0x11, 0x22, 0x11, 0x22, 0xEE}));
}

TEST(SGIDecoder, RowsOfARealFileMatchTheirPixels) {
  // ImageMagick writes run-length SGI files at 8 bits only; 16-bit rows are tested by hand.
  DECODER_REQUIRE_TOOL("convert");
  dectest::TempDir dir;
  const dectest::Pnm pic = MakePicture(40, 7);
  WritePpm(dir / "in.ppm", pic);
  ASSERT_TRUE(dectest::Run("convert " + dir / "in.ppm" + " -compress RLE " + dir / "x.sgi"));
  const Bytes f = dectest::ReadFileBytes(dir / "x.sgi");
  ASSERT_GT(f.size(), 512u);
  ASSERT_EQ(f[2], 1) << "run-length storage";
  ASSERT_EQ(f[3], 1) << "one byte per channel";
  const int w = (f[6] << 8) | f[7], h = (f[8] << 8) | f[9], channels = (f[10] << 8) | f[11];
  ASSERT_EQ(w, pic.Width);
  ASSERT_EQ(h, pic.Height);
  ASSERT_GE(channels, 3);
  TSGIRLEDecoder d(8);
  const std::size_t tableSize = std::size_t(h) * channels * 4;
  for (int c = 0; c < 3; ++c)
    for (int y = 0; y < h; ++y) {
      const std::size_t index = std::size_t(c) * h + y;
      const std::uint32_t offset = BE32(f, 512 + index * 4);
      const std::uint32_t length = BE32(f, 512 + tableSize + index * 4);
      ASSERT_LE(std::size_t(offset) + length, f.size());
      const Bytes packed(f.begin() + offset, f.begin() + offset + length);
      auto r = DecodeAll(d, packed, w);
      ASSERT_EQ(r.Produced, std::size_t(w));
      const int imageRow = h - 1 - y;  // row 0 is the bottom row
      for (int x = 0; x < w; ++x)
        ASSERT_EQ(r.Out[x], pic.Data[(imageRow * w + x) * 3 + c]) << "channel " << c << " row " << y << " x " << x;
    }
}

TEST(TargaDecoder, PacketsByHandAndAcrossRows) {
  TTargaRLEDecoder d(24);
  // A repeat of 3 and a literal of 2 (pixels of 3 bytes).
  auto r = DecodeAll(d, {0x82, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9}, 15, 5);
  EXPECT_EQ(r.Out, (Bytes{1, 2, 3, 1, 2, 3, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(r.Used, 11u);

  // A repeat packet of 4 over two rows of 2 pixels and a literal of 3 over the next
  // boundary: each row gets its pixels, none is lost or doubled.
  d.DecodeInit();
  const Bytes stream = {0x83, 9, 9, 9, 0x02, 1, 1, 1, 2, 2, 2, 3, 3, 3, 0x80, 7, 7, 7};
  const void* src = stream.data();
  Bytes rows(3 * 2 * 3, 0);
  for (int row = 0; row < 3; ++row) {
    void* dst = rows.data() + row * 6;
    const std::size_t left = stream.data() + stream.size() - static_cast<const Byte*>(src);
    d.Decode(src, dst, static_cast<Integer>(left), 2);
    EXPECT_EQ(static_cast<Byte*>(dst) - rows.data(), (row + 1) * 6);
  }
  EXPECT_EQ(rows, (Bytes{9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 1, 1, 1, 2, 2, 2}));
  // The rest of the literal and the last packet make the next row.
  Bytes last(6, 0);
  void* dst = last.data();
  const std::size_t left = stream.data() + stream.size() - static_cast<const Byte*>(src);
  d.Decode(src, dst, static_cast<Integer>(left), 2);
  EXPECT_EQ(last, (Bytes{3, 3, 3, 7, 7, 7}));
  EXPECT_EQ(static_cast<const Byte*>(src), stream.data() + stream.size());
}

TEST(TargaDecoder, HostilePacketsStayInBounds) {
  TTargaRLEDecoder d(32);
  // A repeat header with half a pixel after it.
  auto r = DecodeAll(d, {0x85, 1, 2}, 8, 2);
  EXPECT_EQ(r.Produced, 0u);
  EXPECT_EQ(r.Used, 3u);
  // A literal of 3 with one whole pixel and a part: one pixel.
  d.DecodeInit();
  r = DecodeAll(d, {0x02, 1, 2, 3, 4, 5, 6}, 12, 3);
  EXPECT_EQ(r.Produced, 4u);
  EXPECT_EQ(r.Out, (Bytes{1, 2, 3, 4, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
  // 16-bit pixels: a run of 128 into 3 pixels.
  TTargaRLEDecoder d16(16);
  r = DecodeAll(d16, {0xFF, 0x34, 0x12}, 6, 3);
  EXPECT_EQ(r.Out, (Bytes{0x34, 0x12, 0x34, 0x12, 0x34, 0x12}));
}

TEST(TargaEncoder, PacketsAndRoundTrip) {
  TTargaRLEDecoder d(24);
  Bytes out(64, 0);
  Cardinal stored = 0;
  const Bytes equal = {5, 6, 7, 5, 6, 7, 5, 6, 7, 5, 6, 7};
  d.Encode(equal.data(), out.data(), 4, stored);
  EXPECT_EQ(stored, 4u);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 4), (Bytes{0x83, 5, 6, 7}));
  const Bytes different = {1, 1, 1, 2, 2, 2, 3, 3, 3};
  d.Encode(different.data(), out.data(), 3, stored);
  EXPECT_EQ(stored, 10u);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 10), (Bytes{0x02, 1, 1, 1, 2, 2, 2, 3, 3, 3}));
  // A single pixel; a literal followed by a run.
  d.Encode(different.data(), out.data(), 1, stored);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + stored), (Bytes{0x00, 1, 1, 1}));
  const Bytes mixed = {1, 1, 1, 2, 2, 2, 2, 2, 2};
  d.Encode(mixed.data(), out.data(), 3, stored);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + stored), (Bytes{0x00, 1, 1, 1, 0x81, 2, 2, 2}));

  // Long rows (runs over 128, noise) decode back to themselves.
  const dectest::Pnm pic = MakePicture(300, 3);
  for (int y = 0; y < pic.Height; ++y) {
    const Byte* row = pic.Data.data() + y * pic.Width * 3;
    Bytes packed(pic.Width * 3 + (pic.Width + 127) / 128 + pic.Width, 0);
    d.Encode(row, packed.data(), pic.Width, stored);
    packed.resize(stored);
    d.DecodeInit();
    auto r = DecodeAll(d, packed, pic.Width * 3, pic.Width);
    EXPECT_EQ(0, std::memcmp(r.Out.data(), row, pic.Width * 3)) << "row " << y;
    EXPECT_EQ(r.Used, packed.size());
  }
}

TEST(TargaDecoder, RowsOfARealFileMatchTheirPixels) {
  DECODER_REQUIRE_TOOL("convert");
  dectest::TempDir dir;
  const dectest::Pnm pic = MakePicture(150, 6);
  WritePpm(dir / "in.ppm", pic);
  ASSERT_TRUE(dectest::Run("convert " + dir / "in.ppm" + " -compress RLE " + dir / "x.tga"));
  const Bytes f = dectest::ReadFileBytes(dir / "x.tga");
  // ImageMagick's own decode lists the rows in their stored order (it keeps the file's
  // orientation as an attribute), which is the order the decoder produces them in.
  const Bytes reference = dectest::Capture("convert " + dir / "x.tga" + " -depth 8 rgb:-");
  ASSERT_EQ(reference.size(), pic.Data.size());
  ASSERT_GT(f.size(), 18u);
  ASSERT_EQ(f[2], 10);  // run-length true colour
  ASSERT_EQ(f[16], 24);
  const std::size_t mapBytes = f[1] ? std::size_t(f[5] | (f[6] << 8)) * ((f[7] + 7) / 8) : 0;
  TTargaRLEDecoder d(24);
  d.DecodeInit();
  const Byte* p = f.data() + 18 + f[0] + mapBytes;
  for (int y = 0; y < pic.Height; ++y) {
    Bytes row(pic.Width * 3, 0);
    const void* src = p;
    void* dst = row.data();
    d.Decode(src, dst, static_cast<Integer>(f.data() + f.size() - p), pic.Width);
    p = static_cast<const Byte*>(src);
    for (int x = 0; x < pic.Width; ++x)
      for (int c = 0; c < 3; ++c)
        ASSERT_EQ(row[x * 3 + c], reference[(y * pic.Width + x) * 3 + (2 - c)]) << "row " << y << " x " << x;
  }
}

TEST(CUTDecoder, LinesByHand) {
  TCUTRLEDecoder d;
  // Length word, a run of 3, a copy of 2, the end mark; Source lands after the mark.
  const Bytes line = {0x07, 0x00, 0x83, 0x55, 0x02, 1, 2, 0x00, 0xAA};
  auto r = DecodeAll(d, line, 5);
  EXPECT_EQ(r.Out, (Bytes{0x55, 0x55, 0x55, 1, 2}));
  EXPECT_EQ(r.Used, 8u);
  // Output full before the end mark: the rest is read over, not written.
  r = DecodeAll(d, line, 2);
  EXPECT_EQ(r.Out, (Bytes{0x55, 0x55}));
  EXPECT_EQ(r.Used, 8u);
  // Cut short: a copy of 5 with 1 byte, a line of only its length word.
  r = DecodeAll(d, {0x00, 0x00, 0x05, 9}, 5);
  EXPECT_EQ(r.Out, (Bytes{9, 0xEE, 0xEE, 0xEE, 0xEE}));
  EXPECT_EQ(r.Used, 4u);
  r = DecodeAll(d, {0x01}, 2);
  EXPECT_EQ(r.Used, 1u);
  EXPECT_EQ(r.Produced, 0u);
}

TEST(PSPDecoder, PacketsByHand) {
  TPSPRLEDecoder d;
  auto r = DecodeAll(d, {0x02, 5, 6, 0x83, 7}, 5);
  EXPECT_EQ(r.Out, (Bytes{5, 6, 7, 7, 7}));
  EXPECT_EQ(r.Used, 5u);
  // Counted by PackedSize: data past it is not read; runs are cut by the output.
  Bytes in = {0x03, 1, 2, 3};
  Bytes out(3, 0xEE);
  const void* s = in.data();
  void* o = out.data();
  d.Decode(s, o, 3, 3);
  EXPECT_EQ(out, (Bytes{1, 2, 0xEE}));
  r = DecodeAll(d, {0xFF, 4}, 3);
  EXPECT_EQ(r.Out, (Bytes{4, 4, 4}));
}

TEST(RLADecoder, PacketsByHand) {
  TRLADecoder d;
  // 2 repeats the next byte 3 times; -2 copies 2 bytes.
  auto r = DecodeAll(d, {0x02, 9, 0xFE, 1, 2}, 5);
  EXPECT_EQ(r.Out, (Bytes{9, 9, 9, 1, 2}));
  EXPECT_EQ(r.Used, 5u);
  // A copy of 100 with 1 byte left; a repeat cut by the output.
  r = DecodeAll(d, {0x9C, 7}, 4);
  EXPECT_EQ(r.Out, (Bytes{7, 0xEE, 0xEE, 0xEE}));
  r = DecodeAll(d, {0x7F, 3}, 2);
  EXPECT_EQ(r.Out, (Bytes{3, 3}));
}
