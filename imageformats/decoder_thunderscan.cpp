#include <algorithm>

#include "imageformats/decoder_base.h"
#include "imageformats/decoders.h"

const TClass& TThunderDecoder::StaticClass() {
  static const TClass cls = TClass::Of<TThunderDecoder>("TThunderDecoder", TDecoder::StaticClass());
  return cls;
}

TThunderDecoder::TThunderDecoder(Cardinal width) : FWidth(width) {
  if (width == 0) CompressionError("ThunderScan data needs at least one byte per row.");
}

void TThunderDecoder::Decode(const void*& source, void*& dest, Integer packedSize, Integer unpackedSize) {
  decoder_detail::CheckSizes(packedSize, unpackedSize);
  // Deltas of the 2-bit and 3-bit codes; 99 marks "no pixel".
  static constexpr int kDelta2[4] = {0, 1, 99, -1};
  static constexpr int kDelta3[8] = {0, 1, 2, 3, 99, -3, -2, -1};

  const Byte* src = static_cast<const Byte*>(source);
  const Byte* const srcEnd = src + packedSize;
  Byte* const out = static_cast<Byte*>(dest);
  const std::size_t outSize = static_cast<std::size_t>(unpackedSize);
  std::size_t rowStart = 0;
  std::size_t produced = 0;
  while (rowStart < outSize && src < srcEnd) {
    Byte* row = out + rowStart;
    const std::size_t rowBytes = std::min<std::size_t>(FWidth, outSize - rowStart);
    const std::size_t maxPixels = rowBytes * 2;
    std::size_t pixels = 0;
    int last = 0;
    auto put = [&](int value) {
      if (pixels >= maxPixels) return;
      last = value & 0x0F;
      Byte& b = row[pixels >> 1];
      if (pixels & 1)
        b = static_cast<Byte>((b & 0xF0) | last);
      else
        b = static_cast<Byte>((b & 0x0F) | (last << 4));
      ++pixels;
    };
    while (src < srcEnd && pixels < maxPixels) {
      const Byte code = *src++;
      switch (code & 0xC0) {
        case 0x00:
          for (int n = code & 0x3F; n > 0; --n) put(last);
          break;
        case 0x40:
          for (int shift = 4; shift >= 0; shift -= 2) {
            const int d = kDelta2[(code >> shift) & 3];
            if (d != 99) put(last + d);
          }
          break;
        case 0x80:
          for (int shift = 3; shift >= 0; shift -= 3) {
            const int d = kDelta3[(code >> shift) & 7];
            if (d != 99) put(last + d);
          }
          break;
        default:
          put(code & 0x0F);
          break;
      }
    }
    produced = rowStart + (pixels + 1) / 2;
    rowStart += FWidth;
  }
  source = src;
  dest = out + std::min(produced, outSize);
}
