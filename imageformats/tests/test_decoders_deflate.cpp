// The deflate decoder over zlib: streams made with zlib in the test, strips of real TIFF
// files written by ImageMagick, and bad or short data.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>

#include "decoder_test_support.h"
#include "imageformats/decoders.h"

using dectest::Bytes;

namespace {

Bytes Deflate(const Bytes& data) {
  uLongf size = compressBound(data.size());
  Bytes out(size);
  EXPECT_EQ(compress2(out.data(), &size, data.data(), data.size(), 9), Z_OK);
  out.resize(size);
  return out;
}

Bytes Sample(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<Byte>(i % 97 < 50 ? i / 7 : rng());
  return b;
}

}  // namespace

TEST(DeflateDecoder, WholeStreamsAndResetPerStrip) {
  const Bytes plain = Sample(5000, 1);
  const Bytes packed = Deflate(plain);
  TLZ77Decoder d(Z_PARTIAL_FLUSH, false);
  d.DecodeInit();
  Bytes out(plain.size(), 0);
  const void* src = packed.data();
  void* dst = out.data();
  d.Decode(src, dst, static_cast<Integer>(packed.size()), static_cast<Integer>(out.size()));
  EXPECT_EQ(d.Status(), Z_STREAM_END);
  EXPECT_EQ(out, plain);
  EXPECT_EQ(static_cast<const Byte*>(src), packed.data() + packed.size());
  EXPECT_EQ(static_cast<Byte*>(dst), out.data() + out.size());
  EXPECT_EQ(d.AvailableInput(), 0u);
  EXPECT_EQ(d.AvailableOutput(), 0u);
  // Without auto-reset a finished stream stays finished.
  src = packed.data();
  dst = out.data();
  d.Decode(src, dst, static_cast<Integer>(packed.size()), static_cast<Integer>(out.size()));
  EXPECT_EQ(static_cast<Byte*>(dst), out.data());
  d.DecodeEnd();

  // With auto-reset each call is a stream of its own (TIFF strips).
  TLZ77Decoder strips(Z_PARTIAL_FLUSH, true);
  strips.DecodeInit();
  for (unsigned seed : {2u, 3u, 4u}) {
    const Bytes part = Sample(700 + seed * 100, seed);
    const Bytes z = Deflate(part);
    Bytes got(part.size(), 0);
    src = z.data();
    dst = got.data();
    strips.Decode(src, dst, static_cast<Integer>(z.size()), static_cast<Integer>(got.size()));
    EXPECT_EQ(strips.Status(), Z_STREAM_END);
    EXPECT_EQ(got, part);
  }
  strips.DecodeEnd();
}

TEST(DeflateDecoder, InputInPiecesAndOutputBound) {
  const Bytes plain = Sample(3000, 5);
  const Bytes packed = Deflate(plain);
  TLZ77Decoder d(Z_PARTIAL_FLUSH, false);
  d.DecodeInit();
  // Rows of 100 bytes out of input given 37 bytes at a time (as image-data chunks come).
  Bytes out(plain.size(), 0);
  std::size_t fed = 0;
  const void* src = packed.data();
  for (std::size_t row = 0; row < 30; ++row) {
    void* dst = out.data() + row * 100;
    std::size_t missing = 100;
    while (missing > 0 && d.Status() == Z_OK) {
      if (d.AvailableInput() == 0) {
        const std::size_t n = std::min<std::size_t>(37, packed.size() - fed);
        src = packed.data() + fed;
        fed += n;
        d.Decode(src, dst, static_cast<Integer>(n), static_cast<Integer>(missing));
      } else {
        d.Decode(src, dst, static_cast<Integer>(d.AvailableInput()), static_cast<Integer>(missing));
      }
      missing = out.data() + (row + 1) * 100 - static_cast<Byte*>(dst);
    }
  }
  EXPECT_EQ(out, plain);
  d.DecodeEnd();

  // An output smaller than the data: exactly that much is written, the rest waits.
  TLZ77Decoder small(Z_PARTIAL_FLUSH, false);
  small.DecodeInit();
  Bytes part(10, 0);
  src = packed.data();
  void* dst = part.data();
  small.Decode(src, dst, static_cast<Integer>(packed.size()), 10);
  EXPECT_EQ(small.Status(), Z_OK);
  EXPECT_EQ(small.AvailableOutput(), 0u);
  EXPECT_EQ(Bytes(plain.begin(), plain.begin() + 10), part);
}

TEST(DeflateDecoder, BadDataLeavesTheStatusAndUsageErrorsRaise) {
  TLZ77Decoder d(Z_PARTIAL_FLUSH, false);
  Bytes out(64, 0);
  const Bytes junk = {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x13};
  const void* src = junk.data();
  void* dst = out.data();
  // Decoding before DecodeInit is a usage error.
  try {
    d.Decode(src, dst, static_cast<Integer>(junk.size()), 64);
    ADD_FAILURE() << "no error";
  } catch (const EGraphicCompression& e) {
    EXPECT_EQ(e.Message(), "LZ77 decompression error.");
  }
  d.DecodeInit();
  d.Decode(src, dst, static_cast<Integer>(junk.size()), 64);
  EXPECT_LT(d.Status(), 0);  // left for the caller, not raised
  // A truncated stream: no error, just not finished.
  const Bytes packed = Deflate(Sample(2000, 6));
  TLZ77Decoder cut(Z_PARTIAL_FLUSH, false);
  cut.DecodeInit();
  Bytes big(2000, 0);
  src = packed.data();
  dst = big.data();
  cut.Decode(src, dst, static_cast<Integer>(packed.size() / 2), 2000);
  EXPECT_EQ(cut.Status(), Z_OK);
  EXPECT_GT(cut.AvailableOutput(), 0u);
  // DecodeEnd twice and destruction without DecodeEnd are harmless.
  cut.DecodeEnd();
  cut.DecodeEnd();
}

TEST(DeflateDecoder, StripsOfARealTiffMatchTheirPixels) {
  DECODER_REQUIRE_TOOL("convert");
  dectest::TempDir dir;
  std::string head = "P5\n61 23\n255\n";
  Bytes pgm(head.begin(), head.end());
  const Bytes pixels = Sample(61 * 23, 8);
  pgm.insert(pgm.end(), pixels.begin(), pixels.end());
  dectest::WriteFileBytes(dir / "in.pgm", pgm);
  ASSERT_TRUE(dectest::Run("convert " + dir / "in.pgm" + " -compress Zip -define tiff:predictor=1 -define tiff:rows-per-strip=5 " +
                           dir / "z.tif"));
  dectest::TiffFile tif;
  ASSERT_TRUE(dectest::ParseTiff(dectest::ReadFileBytes(dir / "z.tif"), tif));
  ASSERT_TRUE(tif.Tag(259) == 8 || tif.Tag(259) == 32946);
  ASSERT_EQ(tif.Tag(317, 1), 1u) << "no predictor expected";
  const std::uint32_t rps = tif.Tag(278);
  TLZ77Decoder d(Z_PARTIAL_FLUSH, true);
  d.DecodeInit();
  std::size_t row = 0;
  for (const Bytes& strip : tif.Strips) {
    const std::size_t rows = std::min<std::size_t>(rps, 23 - row);
    Bytes out(rows * 61, 0);
    const void* src = strip.data();
    void* dst = out.data();
    d.Decode(src, dst, static_cast<Integer>(strip.size()), static_cast<Integer>(out.size()));
    EXPECT_EQ(d.Status(), Z_STREAM_END);
    EXPECT_EQ(0, std::memcmp(out.data(), pixels.data() + row * 61, out.size())) << "strip at row " << row;
    row += rows;
  }
  EXPECT_EQ(row, 23u);
  d.DecodeEnd();
}
