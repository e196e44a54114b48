#include <algorithm>
#include <cstring>

#include "imageformats/decoder_base.h"
#include "imageformats/decoders.h"

const TClass& TSGIRLEDecoder::StaticClass() {
  static const TClass cls = TClass::Of<TSGIRLEDecoder>("TSGIRLEDecoder", TDecoder::StaticClass());
  return cls;
}

TSGIRLEDecoder::TSGIRLEDecoder(Cardinal sampleSize) : FSampleSize(sampleSize) {
  if (sampleSize != 8 && sampleSize != 16) CompressionError("SGI run-length data needs 8 or 16 bits per sample.");
}

// Elements are bytes or big-endian words; the output keeps them as stored. UnpackedSize
// and PackedSize are in bytes.
void TSGIRLEDecoder::Decode(const void*& source, void*& dest, Integer packedSize, Integer unpackedSize) {
  decoder_detail::CheckSizes(packedSize, unpackedSize);
  const std::size_t es = FSampleSize / 8;
  const Byte* src = static_cast<const Byte*>(source);
  const Byte* const srcEnd = src + (static_cast<std::size_t>(packedSize) / es) * es;
  Byte* dst = static_cast<Byte*>(dest);
  Byte* const dstEnd = dst + (static_cast<std::size_t>(unpackedSize) / es) * es;
  auto element = [es](const Byte* p) -> Cardinal { return es == 1 ? p[0] : (Cardinal(p[0]) << 8) | p[1]; };
  while (dst < dstEnd && src < srcEnd) {
    const Cardinal h = element(src);
    src += es;
    const std::size_t count = h & 127u;
    if (count == 0) break;
    const std::size_t room = static_cast<std::size_t>(dstEnd - dst) / es;
    if (h & 128u) {
      const std::size_t n = std::min({count, room, static_cast<std::size_t>(srcEnd - src) / es});
      std::memcpy(dst, src, n * es);
      dst += n * es;
      src += n * es;
    } else {
      if (src >= srcEnd) break;
      const std::size_t n = std::min(count, room);
      for (std::size_t i = 0; i < n; ++i, dst += es) std::memcpy(dst, src, es);
      src += es;
    }
  }
  source = src;
  dest = dst;
}
