#include <algorithm>
#include <cstring>

#include "imageformats/decoder_base.h"
#include "imageformats/decoders.h"

const TClass& TPCXRLEDecoder::StaticClass() {
  static const TClass cls = TClass::Of<TPCXRLEDecoder>("TPCXRLEDecoder", TDecoder::StaticClass());
  return cls;
}

void TPCXRLEDecoder::Decode(const void*& source, void*& dest, Integer packedSize, Integer unpackedSize) {
  decoder_detail::CheckSizes(packedSize, unpackedSize);
  const Byte* src = static_cast<const Byte*>(source);
  const Byte* const srcEnd = src + packedSize;
  Byte* dst = static_cast<Byte*>(dest);
  Byte* const dstEnd = dst + unpackedSize;
  while (dst < dstEnd && src < srcEnd) {
    const Byte b = *src++;
    if ((b & 0xC0) == 0xC0) {
      if (src >= srcEnd) break;
      const std::size_t count = std::min<std::size_t>(b & 0x3Fu, dstEnd - dst);
      std::memset(dst, *src++, count);
      dst += count;
    } else {
      *dst++ = b;
    }
  }
  source = src;
  dest = dst;
}
