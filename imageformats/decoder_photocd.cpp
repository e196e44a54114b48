#include <algorithm>
#include <cstring>

#include "imageformats/decoder_base.h"
#include "imageformats/decoders.h"
#include "platform/classlib/streams.h"

// A table answers, for every 16-bit window of the bit stream, the length of the code at
// its top (0: none) and that code's difference.
struct TPCDDecoder::TTable {
  Byte Length[65536];
  ShortInt Value[65536];
};

const TClass& TPCDDecoder::StaticClass() {
  static const TClass cls = TClass::Of<TPCDDecoder>("TPCDDecoder", TDecoder::StaticClass());
  return cls;
}

TPCDDecoder::TPCDDecoder(TStream& stream) : FStream(stream) {}

TPCDDecoder::~TPCDDecoder() = default;

bool TPCDDecoder::NextByte(Byte& value) {
  if (FBufferPos >= FBufferCount) {
    const Int64 got = FStream.Read(FBuffer, sizeof FBuffer);
    FBufferCount = got > 0 ? static_cast<Cardinal>(got) : 0;
    FBufferPos = 0;
    if (FBufferCount == 0) return false;
  }
  value = FBuffer[FBufferPos++];
  return true;
}

// Tops the accumulator up to more than 24 bits while the stream has bytes.
void TPCDDecoder::Refill() {
  Byte b;
  while (FBits <= 24 && NextByte(b)) {
    FAccumulator |= static_cast<Cardinal>(b) << (24 - FBits);
    FBits += 8;
  }
}

Cardinal TPCDDecoder::PeekBits(unsigned count) const { return FAccumulator >> (32 - count); }

void TPCDDecoder::SkipBits(unsigned count) {
  count = std::min(count, FBits);
  FAccumulator = count >= 32 ? 0 : FAccumulator << count;
  FBits -= count;
  Refill();
}

void TPCDDecoder::AlignToByte() { SkipBits(FBits % 8); }

void TPCDDecoder::ReadTables(unsigned count) {
  FTables = std::make_unique<TTable[]>(count);
  for (unsigned t = 0; t < count; ++t) {
    TTable& table = FTables[t];
    std::memset(table.Length, 0, sizeof table.Length);
    Byte n;
    if (!NextByte(n)) CompressionError("Photo-CD Huffman table is incomplete.");
    for (unsigned e = 0; e <= n; ++e) {
      Byte entry[4];
      for (Byte& b : entry)
        if (!NextByte(b)) CompressionError("Photo-CD Huffman table is incomplete.");
      const unsigned length = entry[0] + 1u;
      if (length > 16) CompressionError("Photo-CD Huffman table is invalid.");
      const Cardinal code = (static_cast<Cardinal>(entry[1]) << 8) | entry[2];
      const Cardinal first = code & ~((1u << (16 - length)) - 1) & 0xFFFFu;
      const Cardinal last = first | ((1u << (16 - length)) - 1);
      for (Cardinal w = first; w <= last; ++w) {
        table.Length[w] = static_cast<Byte>(length);
        table.Value[w] = static_cast<ShortInt>(entry[3]);
      }
    }
  }
  FBufferPos = FBufferCount;  // the tables end their sector
}

void TPCDDecoder::Decode(const void*& source, void*&, Integer packedSize, Integer unpackedSize) {
  decoder_detail::CheckSizes(packedSize, unpackedSize);
  const Cardinal width = static_cast<Cardinal>(packedSize);
  const Cardinal height = static_cast<Cardinal>(unpackedSize);
  Byte* const* planes = static_cast<Byte* const*>(source);
  if (!planes || !planes[0] || !planes[1] || !planes[2]) CompressionError("Photo-CD residuals need three planes.");
  if (width == 0 || height == 0) return;

  FBufferPos = FBufferCount = 0;
  FAccumulator = 0;
  FBits = 0;
  const unsigned tableCount = width <= 1536 ? 1 : 3;
  ReadTables(tableCount);
  Refill();

  for (;;) {
    // Sync: FF FF FE on a byte boundary.
    AlignToByte();
    unsigned ones = 0;
    bool synced = false;
    while (FBits >= 8) {
      const Cardinal b = PeekBits(8);
      SkipBits(8);
      if (b == 0xFE && ones >= 2) {
        synced = true;
        break;
      }
      ones = b == 0xFF ? ones + 1 : 0;
    }
    if (!synced || FBits < 16) return;
    const Cardinal header = PeekBits(16);
    SkipBits(16);
    const Cardinal planeCode = header >> 14;
    const Cardinal row = (header >> 1) & 0x1FFF;
    if (planeCode == 1 || row >= height) return;
    const unsigned plane = planeCode == 0 ? 0 : planeCode - 1;
    const TTable& table = FTables[tableCount == 1 ? 0 : plane];
    Byte* samples = planes[plane] + static_cast<std::size_t>(row) * width;
    for (Cardinal x = 0; x < width; ++x) {
      const Cardinal window = PeekBits(16);
      const unsigned length = table.Length[window];
      if (length == 0 || length > FBits) break;  // not a code, or cut off: the row ends
      samples[x] = static_cast<Byte>(std::clamp(samples[x] + table.Value[window], 0, 255));
      SkipBits(length);
    }
  }
}
