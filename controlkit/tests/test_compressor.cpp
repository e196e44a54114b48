// The block compressor, its decoder and the chunked compressed streams: exact blocks,
// round trips, and damaged or hostile input.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "controlkit/kit_chunk_streams.h"
#include "controlkit/kit_compressor.h"
#include "platform/classlib/streams.h"

namespace {

using Bytes = std::vector<Byte>;

// Compresses through buffers of exactly the documented sizes, so that the address
// sanitizer catches any read past the source or write past the destination.
Bytes Compress(const Bytes& source) {
  const std::size_t n = source.size();
  std::unique_ptr<Byte[]> in(new Byte[n == 0 ? 1 : n]);
  if (n) std::memcpy(in.get(), source.data(), n);
  std::unique_ptr<Byte[]> out(new Byte[LZRWBufferSize(n)]);
  const Word length = LZRWCompress(in.get(), out.get(), static_cast<Cardinal>(n));
  return Bytes(out.get(), out.get() + length);
}

Bytes Decompress(const Bytes& block, bool* damaged = nullptr) {
  std::unique_ptr<Byte[]> in(new Byte[block.empty() ? 1 : block.size()]);
  if (!block.empty()) std::memcpy(in.get(), block.data(), block.size());
  std::unique_ptr<Byte[]> out(new Byte[kLZRWChunkSize]);
  const Cardinal n = LZRWDecompress(in.get(), out.get(), static_cast<Cardinal>(block.size()), damaged);
  return Bytes(out.get(), out.get() + n);
}

Bytes RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<Byte>(gen());
  return b;
}

// Text-like data: words from a small vocabulary, so matches are plentiful.
Bytes TextLike(std::size_t n, unsigned seed) {
  static const char* words[] = {"particle ", "emitter ", "gradient ", "curve ", "frame ", "the ", "of ", "\r\n"};
  std::mt19937 gen(seed);
  Bytes b;
  while (b.size() < n) {
    const char* w = words[gen() % 8];
    b.insert(b.end(), w, w + std::strlen(w));
  }
  b.resize(n);
  return b;
}

Bytes StreamBytes(TMemoryStream& s) {
  const auto* p = static_cast<const Byte*>(s.Memory());
  return Bytes(p, p + s.Size());
}

Bytes CompressToStream(const Bytes& source) {
  TMemoryStream in, out;
  if (!source.empty()) in.WriteBuffer(source.data(), static_cast<Int64>(source.size()));
  in.SetPosition(0);
  CompressStream(in, out, static_cast<Int64>(source.size()));
  EXPECT_EQ(out.Position(), out.Size());
  return StreamBytes(out);
}

Bytes DecompressFromStream(const Bytes& stream) {
  TMemoryStream in, out;
  if (!stream.empty()) in.WriteBuffer(stream.data(), static_cast<Int64>(stream.size()));
  in.SetPosition(0);
  DecompressStream(in, out);
  return StreamBytes(out);
}

// ---- exact blocks -------------------------------------------------------------------------------

TEST(LZRWBlock, SixteenEqualBytesBecomeOneRunItem) {
  const Bytes block = Compress(Bytes(16, 'A'));
  EXPECT_EQ(block, (Bytes{0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 'A'}));
  // The longest run the coder writes is 4095 bytes (+ 16 in the count field).
  const Bytes longRun = Compress(Bytes(5000, 7));
  EXPECT_EQ(Bytes(longRun.begin(), longRun.begin() + 7), (Bytes{0x40, 0xC0, 0x00, 0x00, 0x0F, 0xEF, 7}));
  EXPECT_EQ(Decompress(longRun), Bytes(5000, 7));
}

TEST(LZRWBlock, FifteenEqualBytesBecomeALiteralAndACopyAtOffsetOne) {
  const Bytes block = Compress(Bytes(15, 'A'));
  // Control word 01 (then padding): a literal, then a copy of 14 bytes from 1 back.
  EXPECT_EQ(block, (Bytes{0x40, 0x40, 0x00, 'A', 0x00, 0x1B}));
  EXPECT_EQ(Decompress(block), Bytes(15, 'A'));
}

TEST(LZRWBlock, AControlWordEverySixteenItems) {
  // 17 distinct bytes, then a repeat of the first 17: 17 literals and one copy.
  Bytes source;
  for (int i = 0; i < 17; ++i) source.push_back(static_cast<Byte>('a' + i));
  const Bytes twice = [&] {
    Bytes b = source;
    b.insert(b.end(), source.begin(), source.end());
    return b;
  }();
  const Bytes block = Compress(twice);
  // Group 1: 16 literals under control word 0000; group 2: literal 'q', then a copy of
  // 17 bytes from 17 back: code (17 << 4) + 14 = 0x011E; control word 01 padded.
  Bytes expected{0x40, 0x00, 0x00};
  expected.insert(expected.end(), source.begin(), source.begin() + 16);
  expected.insert(expected.end(), {0x40, 0x00, 'q', 0x01, 0x1E});
  EXPECT_EQ(block, expected);
  EXPECT_EQ(Decompress(block), twice);
}

TEST(LZRWBlock, IncompressibleDataIsStored) {
  const Bytes source = RandomBytes(1000, 1);
  const Bytes block = Compress(source);
  ASSERT_EQ(block.size(), 1001u);
  EXPECT_EQ(block[0], 0x80);
  EXPECT_EQ(Bytes(block.begin() + 1, block.end()), source);
  EXPECT_EQ(Decompress(block), source);
  // Too short to gain anything.
  EXPECT_EQ(Compress(Bytes{1, 2}), (Bytes{0x80, 1, 2}));
  EXPECT_EQ(Compress(Bytes{}), (Bytes{0x80}));
}

TEST(LZRWBlock, RoundTripsOfEverySize) {
  for (std::size_t n : {1u, 2u, 3u, 4u, 17u, 18u, 19u, 100u, 4095u, 4111u, 4112u, 20000u, 32767u, 32768u, 32780u,
                        32781u}) {
    for (const Bytes& source : {TextLike(n, static_cast<unsigned>(n)), RandomBytes(n, static_cast<unsigned>(n)),
                                Bytes(n, 0x55)}) {
      const Bytes block = Compress(source);
      ASSERT_LE(block.size(), n + 1) << n;
      bool damaged = true;
      ASSERT_EQ(Decompress(block, &damaged), source) << n;
      EXPECT_FALSE(damaged);
    }
  }
  // Text compresses.
  EXPECT_LT(Compress(TextLike(32781, 9)).size(), 32781u / 2);
}

TEST(LZRWBlock, SourceLongerThanAChunkIsRefused) {
  Bytes source(kLZRWChunkSize + 1, 0);
  Bytes dest(LZRWBufferSize(source.size()));
  try {
    LZRWCompress(source.data(), dest.data(), static_cast<Cardinal>(source.size()));
    FAIL();
  } catch (const EInvalidPointer& e) {
    EXPECT_EQ(e.Message(), "LZRW Error!");
  }
}

// ---- damaged blocks --------------------------------------------------------------------------------

TEST(LZRWBlock, DamagedBlocksEndWithoutLeavingTheirBuffers) {
  struct Case {
    const char* what;
    Bytes block;
    Bytes expected;
    bool damaged;
  };
  const std::vector<Case> cases = {
      {"short compressed block", {0x40, 0x00, 0x00}, {}, false},
      {"empty block", {}, {}, true},
      {"literals", {0x40, 0x00, 0x00, 'x', 'y'}, {'x', 'y'}, false},
      {"copy before the start", {0x40, 0x40, 0x00, 'x', 0x00, 0x20}, {'x'}, true},
      {"copy cut off", {0x40, 0x40, 0x00, 'x', 0x00}, {'x'}, true},
      {"run cut off", {0x40, 0x80, 0x00, 0x00, 0x00, 0x00}, {}, true},
      {"control word cut off",
       {0x40, 0x00, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0x80},
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
       true},
  };
  for (const Case& c : cases) {
    bool damaged = !c.damaged;
    EXPECT_EQ(Decompress(c.block, &damaged), c.expected) << c.what;
    EXPECT_EQ(damaged, c.damaged) << c.what;
  }
}

TEST(LZRWBlock, OutputNeverPassesAChunk) {
  // Eight runs of 4111 bytes would make 32888: the eighth does not fit.
  Bytes block{0x40, 0xFF, 0x80};
  for (int i = 0; i < 9; ++i) block.insert(block.end(), {0x00, 0x0F, 0xFF, 0x11});
  bool damaged = false;
  const Bytes out = Decompress(block, &damaged);
  EXPECT_TRUE(damaged);
  EXPECT_EQ(out.size(), 7u * 4111u);
  // A stored block longer than a chunk is cut to one.
  Bytes stored(kLZRWChunkSize + 10, 3);
  stored[0] = 0x80;
  EXPECT_EQ(Decompress(stored, &damaged).size(), kLZRWChunkSize);
  EXPECT_TRUE(damaged);
}

// ---- compressed streams --------------------------------------------------------------------------

TEST(CompressedStream, ExactLayout) {
  EXPECT_EQ(CompressToStream(Bytes{}), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(CompressToStream(Bytes(16, 'A')),
            (Bytes{11, 0, 0, 0, 7, 0, 0, 0, 0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 'A'}));
}

TEST(CompressedStream, RoundTripsAcrossChunks) {
  for (std::size_t n : {0u, 1u, 32781u, 32782u, 100000u}) {
    for (const Bytes& source : {TextLike(n, 5), RandomBytes(n, 6)}) {
      const Bytes stream = CompressToStream(source);
      const std::size_t chunks = (n + kLZRWChunkSize - 1) / kLZRWChunkSize;
      const Cardinal total = stream[0] | (stream[1] << 8) | (stream[2] << 16) | (stream[3] << 24);
      EXPECT_EQ(total + 4u, stream.size());
      EXPECT_GE(stream.size(), 4 + chunks * 5);
      EXPECT_EQ(DecompressFromStream(stream), source) << n;
    }
  }
}

TEST(CompressedStream, WritesAtThePositionAndAppendsOnDecoding) {
  const Bytes source = TextLike(50000, 11);
  TMemoryStream in, packed, unpacked;
  in.WriteBuffer(source.data(), static_cast<Int64>(source.size()));
  in.SetPosition(0);
  packed.WriteBuffer("HEAD", 4);
  CompressStream(in, packed, static_cast<Int64>(source.size()));
  packed.WriteBuffer("TAIL", 4);
  packed.SetPosition(4);
  unpacked.WriteBuffer("keep", 4);
  DecompressStream(packed, unpacked);
  // The source stream is left after the compressed stream.
  char tail[4];
  packed.ReadBuffer(tail, 4);
  EXPECT_EQ(std::string(tail, 4), "TAIL");
  const Bytes all = StreamBytes(unpacked);
  EXPECT_EQ(std::string(all.begin(), all.begin() + 4), "keep");
  EXPECT_EQ(Bytes(all.begin() + 4, all.end()), source);
}

TEST(CompressedStream, ShortSourceRaisesTheReadError) {
  TMemoryStream in, out;
  in.WriteBuffer("abc", 3);
  in.SetPosition(0);
  EXPECT_THROW(CompressStream(in, out, 10), EReadError);
}

TEST(CompressedStream, HostileStreamsRaiseAndLeaveTheDestinationAlone) {
  const Bytes good = CompressToStream(TextLike(40000, 2));
  auto withTotal = [](Bytes b, Cardinal total) {
    for (int i = 0; i < 4; ++i) b[i] = static_cast<Byte>(total >> (8 * i));
    return b;
  };
  auto withFirstLength = [](Bytes b, Cardinal n) {
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<Byte>(n >> (8 * i));
    return b;
  };
  const std::vector<std::pair<const char*, Bytes>> cases = {
      {"total cut off", Bytes{1, 0}},
      {"negative total", Bytes{0xFF, 0xFF, 0xFF, 0xFF}},
      {"total beyond the end", withTotal(good, static_cast<Cardinal>(good.size()))},
      {"chunk header cut off", Bytes{2, 0, 0, 0, 1, 0}},
      {"empty chunk", Bytes{4, 0, 0, 0, 0, 0, 0, 0}},
      {"chunk beyond the total", withTotal(good, 20)},
      {"chunk longer than a block", withFirstLength(good, kLZRWMaxBlockSize + 1)},
      {"huge chunk length", withFirstLength(good, 0xFFFFFFF0u)},
      {"damaged block", Bytes{10, 0, 0, 0, 6, 0, 0, 0, 0x40, 0x40, 0x00, 'x', 0x00, 0x20}},
      {"cut in the middle", Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2))},
  };
  for (const auto& [what, bytes] : cases) {
    TMemoryStream in, out;
    in.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    in.SetPosition(0);
    out.WriteBuffer("keep", 4);
    EXPECT_THROW(DecompressStream(in, out), EReadError) << what;
    EXPECT_EQ(out.Size(), 4) << what;
  }
}

TEST(CompressedStream, DamageIsReportedAsCompressedDataError) {
  TMemoryStream in, out;
  const Bytes bad{10, 0, 0, 0, 6, 0, 0, 0, 0x40, 0x40, 0x00, 'x', 0x00, 0x20};
  in.WriteBuffer(bad.data(), static_cast<Int64>(bad.size()));
  in.SetPosition(0);
  try {
    DecompressStream(in, out);
    FAIL();
  } catch (const EKitCompressedData& e) {
    EXPECT_EQ(e.Message(), "Compressed data is damaged: bad block");
  }
}

}  // namespace
