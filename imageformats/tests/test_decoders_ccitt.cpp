// CCITT modified Huffman and one-dimensional Group 3: lines coded by hand from the
// code tables, real Group 3 files written by netpbm, libtiff's tiffcp and ImageMagick,
// and hostile data.
#include <gtest/gtest.h>

#include <random>

#include "decoder_test_support.h"
#include "imageformats/decoders.h"

using dectest::BitsToBytes;
using dectest::Bytes;

namespace {

using dectest::DecodeAll;
using dectest::Decoded;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Reversed(Bytes b) {
  for (Byte& v : b) {
    Byte r = 0;
    for (int i = 0; i < 8; ++i)
      if (v & (1 << i)) r |= static_cast<Byte>(0x80 >> i);
    v = r;
  }
  return b;
}

// Lines of width 16, coded by hand (white runs first):
// W4 B8 W4 -> 0F F0; W0 B16 -> FF FF.
const std::string kLineA = "1011 000101 1011";
const std::string kLineB = "00110101 0000010111";
const std::string kEOL = "000000000001";

}  // namespace

TEST(CCITTModifiedHuffman, LinesByHand) {
  TCCITTMHDecoder d(0, false, false, 16);
  // Each line starts on a byte boundary.
  const Bytes in = Concat({BitsToBytes(kLineA), BitsToBytes(kLineB)});
  auto r = DecodeAll(d, in, 4);
  EXPECT_EQ(r.Out, (Bytes{0x0F, 0xF0, 0xFF, 0xFF}));
  EXPECT_EQ(r.Used, in.size());
  EXPECT_EQ(r.Produced, 4u);

  // Make-up codes: W64 + W6, B10 on a line of 80.
  TCCITTMHDecoder wide(0, false, false, 80);
  r = DecodeAll(wide, BitsToBytes("11011 1110 0000100"), 10);
  EXPECT_EQ(r.Out, (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0x03, 0xFF}));

  // Fill order 2: the same lines with every byte's bits reversed.
  TCCITTMHDecoder swapped(0, true, false, 16);
  r = DecodeAll(swapped, Reversed(in), 4);
  EXPECT_EQ(r.Out, (Bytes{0x0F, 0xF0, 0xFF, 0xFF}));
}

TEST(CCITTModifiedHuffman, WordAlignedLinesSkipThePadByte) {
  // Line B takes 3 bytes, so a pad byte follows before line A.
  const Bytes in = Concat({BitsToBytes(kLineB), Bytes{0x00}, BitsToBytes(kLineA)});
  TCCITTMHDecoder aligned(0, false, true, 16);
  EXPECT_EQ(DecodeAll(aligned, in, 4).Out, (Bytes{0xFF, 0xFF, 0x0F, 0xF0}));
  // Without word alignment the pad byte starts an invalid code that ends inside line A:
  // that line is lost with the rest of its first byte.
  TCCITTMHDecoder plain(0, false, false, 16);
  EXPECT_EQ(DecodeAll(plain, in, 6).Out, (Bytes{0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}));
}

TEST(CCITTModifiedHuffman, InvalidCodesEndTheLineAndDecodingGoesOn) {
  TCCITTMHDecoder d(0, false, false, 16);
  // W4, then a code that is never valid: the line ends there (white), the next decodes.
  const Bytes in = Concat({BitsToBytes("1011 0000000001"), BitsToBytes(kLineA)});
  EXPECT_EQ(DecodeAll(d, in, 4).Out, (Bytes{0x00, 0x00, 0x0F, 0xF0}));
  // An end-of-line code inside a modified Huffman line ends it too.
  EXPECT_EQ(DecodeAll(d, Concat({BitsToBytes("1011 000101 " + kEOL), BitsToBytes(kLineA)}), 4).Out,
            (Bytes{0x0F, 0xF0, 0x0F, 0xF0}));
  // A run longer than the line fills it and no more: W128 + W0 on 16 pixels (the bits
  // after it are dropped with the rest of the byte).
  EXPECT_EQ(DecodeAll(d, Concat({BitsToBytes("10010 00110101 11"), BitsToBytes(kLineB)}), 4).Out,
            (Bytes{0x00, 0x00, 0xFF, 0xFF}));
}

TEST(CCITTModifiedHuffman, OutputAndInputBoundsHold) {
  TCCITTMHDecoder d(0, false, false, 16);
  // One byte of output for a 2-byte line: the black run is cut at the output's end.
  auto r = DecodeAll(d, BitsToBytes(kLineA), 1);
  EXPECT_EQ(r.Out, (Bytes{0x0F}));
  // Input ends inside a line: what was decoded stays, the rest is white.
  r = DecodeAll(d, BitsToBytes("1011 0001"), 4);
  EXPECT_EQ(r.Out, (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(r.Used, 1u);
  // No input at all.
  r = DecodeAll(d, Bytes{}, 2);
  EXPECT_EQ(r.Out, (Bytes{0, 0}));
  EXPECT_EQ(r.Produced, 0u);
  EXPECT_THROW(TCCITTMHDecoder(0, false, false, 0), EGraphicCompression);

  // Random data of every length into small outputs: never outside the buffers.
  std::mt19937 rng(7);
  TCCITTMHDecoder w(0, false, true, 37);
  TCCITTFax3Decoder g(0, false, false, 37);
  for (int i = 0; i < 300; ++i) {
    Bytes in(rng() % 64);
    for (Byte& b : in) b = static_cast<Byte>(rng());
    const std::size_t out = rng() % 40;
    DecodeAll(w, in, out);
    DecodeAll(g, in, out);
  }
}

TEST(CCITTGroup3, LinesByHandWithEndOfLineCodes) {
  TCCITTFax3Decoder d(0, false, false, 16);
  // EOL A EOL B, then the return-to-control of six EOLs; fill bits before an EOL.
  std::string bits = kEOL + kLineA + "0000" + kEOL + kLineB;
  for (int i = 0; i < 6; ++i) bits += kEOL;
  auto r = DecodeAll(d, BitsToBytes(bits), 4);
  EXPECT_EQ(r.Out, (Bytes{0x0F, 0xF0, 0xFF, 0xFF}));
  EXPECT_EQ(r.Produced, 4u);

  // A short line ended by an end-of-line code keeps its own row; back-to-back EOLs
  // make no empty rows.
  bits = kEOL + "1011 000101" + kEOL + kEOL + kLineB;
  EXPECT_EQ(DecodeAll(d, BitsToBytes(bits), 4).Out, (Bytes{0x0F, 0xF0, 0xFF, 0xFF}));

  // An invalid code ends the line; the next line is found by its EOL.
  bits = kEOL + "1011 0000000001 111" + kEOL + kLineA;
  EXPECT_EQ(DecodeAll(d, BitsToBytes(bits), 4).Out, (Bytes{0x00, 0x00, 0x0F, 0xF0}));

  // Data without any EOL decodes nothing.
  auto none = DecodeAll(d, BitsToBytes(kLineA + kLineA), 4);
  EXPECT_EQ(none.Out, (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(none.Produced, 0u);
}

namespace {

// A bitmap with runs of many lengths: stripes, a diagonal and long white stretches.
dectest::Pnm MakeBitmap(int w, int h) {
  dectest::Pnm p;
  p.Kind = 4;
  p.Width = w;
  p.Height = h;
  const int bpr = (w + 7) / 8;
  p.Data.assign(std::size_t(bpr) * h, 0);
  std::mt19937 rng(99);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      bool black = (y % 9 == 0 && x > 3 && x < w - 100) || (x == y * 7 % w) || (x / 13 % 5 == 2 && y % 3 != 0) ||
                   (y > h / 2 && x > w - 90 && (rng() & 1));
      if (black) p.Data[y * bpr + x / 8] |= static_cast<Byte>(0x80 >> (x % 8));
    }
  return p;
}

void WritePbm(const std::string& path, const dectest::Pnm& p) {
  std::string head = "P4\n" + std::to_string(p.Width) + " " + std::to_string(p.Height) + "\n";
  Bytes f(head.begin(), head.end());
  f.insert(f.end(), p.Data.begin(), p.Data.end());
  dectest::WriteFileBytes(path, f);
}

// Decodes every strip of a Group 3 TIFF and compares each pixel with the bitmap (1 bits
// are black runs; a min-is-black file stores the bitmap inverted).
void CheckGroup3File(const std::string& path, const dectest::Pnm& pic) {
  dectest::TiffFile tif;
  ASSERT_TRUE(dectest::ParseTiff(dectest::ReadFileBytes(path), tif)) << path;
  ASSERT_EQ(tif.Tag(259), 3u) << path;
  ASSERT_EQ(tif.Tag(292) & 1u, 0u) << "one-dimensional coding expected: " << path;
  ASSERT_EQ(tif.Tag(256), std::uint32_t(pic.Width));
  const bool inverted = tif.Tag(262) == 1;
  const bool reversed = tif.Tag(266, 1) == 2;
  const std::uint32_t rps = std::min<std::uint32_t>(tif.Tag(278, pic.Height), pic.Height);
  const int bpr = (pic.Width + 7) / 8;
  TCCITTFax3Decoder d(tif.Tag(292), reversed, false, pic.Width);
  int row = 0;
  for (const Bytes& strip : tif.Strips) {
    const int rows = std::min<int>(rps, pic.Height - row);
    Bytes out(std::size_t(rows) * bpr, 0xEE);
    const void* src = strip.data();
    void* dst = out.data();
    d.Decode(src, dst, static_cast<Integer>(strip.size()), static_cast<Integer>(out.size()));
    ASSERT_EQ(static_cast<Byte*>(dst) - out.data(), static_cast<std::ptrdiff_t>(out.size())) << path;
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < pic.Width; ++x) {
        const bool want = (pic.Data[(row + y) * bpr + x / 8] >> (7 - x % 8)) & 1;
        const bool got = (out[y * bpr + x / 8] >> (7 - x % 8)) & 1;
        ASSERT_EQ(got, want != inverted) << path << " row " << row + y << " x " << x;
      }
    row += rows;
  }
  EXPECT_EQ(row, pic.Height) << path;
}

}  // namespace

TEST(CCITTGroup3, StripsOfRealFilesDecodeToTheirBitmap) {
  DECODER_REQUIRE_TOOL("pnmtotiff");
  DECODER_REQUIRE_TOOL("tiffcp");
  DECODER_REQUIRE_TOOL("convert");
  dectest::TempDir dir;
  const dectest::Pnm pic = MakeBitmap(203, 41);
  WritePbm(dir / "in.pbm", pic);
  ASSERT_TRUE(dectest::Run("pnmtotiff -g3 " + dir / "in.pbm" + " > " + dir / "netpbm.tif"));
  ASSERT_TRUE(dectest::Run("pnmtotiff -none " + dir / "in.pbm" + " > " + dir / "plain.tif"));
  ASSERT_TRUE(dectest::Run("tiffcp -c g3 -r 16 " + dir / "plain.tif" + " " + dir / "tiffcp.tif"));
  ASSERT_TRUE(dectest::Run("tiffcp -c g3:fill " + dir / "plain.tif" + " " + dir / "fill.tif"));
  ASSERT_TRUE(dectest::Run("tiffcp -f lsb2msb -c g3 -r 10 " + dir / "plain.tif" + " " + dir / "lsb.tif"));
  ASSERT_TRUE(dectest::Run("convert " + dir / "in.pbm" + " -compress Fax " + dir / "magick.tif"));
  for (const char* name : {"netpbm.tif", "tiffcp.tif", "fill.tif", "lsb.tif", "magick.tif"})
    CheckGroup3File(dir / name, pic);
}
