#include <algorithm>
#include <cstring>

#include "imageformats/decoder_base.h"
#include "imageformats/decoders.h"

const TClass& TTargaRLEDecoder::StaticClass() {
  static const TClass cls = TClass::Of<TTargaRLEDecoder>("TTargaRLEDecoder", TDecoder::StaticClass());
  return cls;
}

TTargaRLEDecoder::TTargaRLEDecoder(Cardinal colorDepth) {
  switch (colorDepth) {
    case 8: FPixelSize = 1; break;
    case 15:
    case 16: FPixelSize = 2; break;
    case 24: FPixelSize = 3; break;
    case 32: FPixelSize = 4; break;
    default: CompressionError("Targa run-length data needs 8, 15, 16, 24 or 32 bits per pixel.");
  }
}

void TTargaRLEDecoder::DecodeInit() { FPendingCount = 0; }

void TTargaRLEDecoder::Decode(const void*& source, void*& dest, Integer packedSize, Integer unpackedSize) {
  decoder_detail::CheckSizes(packedSize, unpackedSize);
  const Byte* src = static_cast<const Byte*>(source);
  const Byte* const srcEnd = src + packedSize;
  Byte* dst = static_cast<Byte*>(dest);
  const std::size_t ps = FPixelSize;
  Cardinal left = static_cast<Cardinal>(unpackedSize);

  while (left > 0) {
    if (FPendingCount == 0) {
      if (src >= srcEnd) break;
      const Byte header = *src++;
      FPendingCount = (header & 127u) + 1;
      FPendingRepeat = header & 128u;
      if (FPendingRepeat) {
        if (static_cast<std::size_t>(srcEnd - src) < ps) {
          FPendingCount = 0;
          src = srcEnd;
          break;
        }
        std::memcpy(FPendingPixel, src, ps);
        src += ps;
      }
    }
    const Cardinal n = std::min(FPendingCount, left);
    if (FPendingRepeat) {
      for (Cardinal i = 0; i < n; ++i, dst += ps) std::memcpy(dst, FPendingPixel, ps);
      FPendingCount -= n;
      left -= n;
    } else {
      // Literal pixels: only whole pixels that are really there.
      const Cardinal available = static_cast<Cardinal>(static_cast<std::size_t>(srcEnd - src) / ps);
      const Cardinal m = std::min(n, available);
      if (m > 0) std::memcpy(dst, src, m * ps);
      dst += m * ps;
      src += m * ps;
      FPendingCount -= m;
      left -= m;
      if (m < n) {
        FPendingCount = 0;
        src = srcEnd;
        break;
      }
    }
  }
  source = src;
  dest = dst;
}

void TTargaRLEDecoder::Encode(const void* source, void* dest, Cardinal count, Cardinal& bytesStored) {
  const Byte* src = static_cast<const Byte*>(source);
  Byte* dst = static_cast<Byte*>(dest);
  const std::size_t ps = FPixelSize;
  bytesStored = 0;
  auto same = [ps](const Byte* a, const Byte* b) { return std::memcmp(a, b, ps) == 0; };
  while (count > 0) {
    // Leading pixels that each differ from their successor (the last pixel has none).
    Cardinal literal = 0;
    while (literal < count && literal < 128 &&
           (literal + 1 == count || !same(src + literal * ps, src + (literal + 1) * ps)))
      ++literal;
    Cardinal repeat = 1;
    while (repeat < count && repeat < 128 && same(src, src + repeat * ps)) ++repeat;

    if (literal > 0) {
      *dst++ = static_cast<Byte>(literal - 1);
      std::memcpy(dst, src, literal * ps);
      dst += literal * ps;
      src += literal * ps;
      count -= literal;
      bytesStored += literal * ps + 1;
    } else if (repeat > 1) {
      *dst++ = static_cast<Byte>((repeat - 1) | 128u);
      std::memcpy(dst, src, ps);
      dst += ps;
      src += repeat * ps;
      count -= repeat;
      bytesStored += ps + 1;
    }
  }
}
