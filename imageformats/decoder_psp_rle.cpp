#include <algorithm>
#include <cstring>

#include "imageformats/decoder_base.h"
#include "imageformats/decoders.h"

const TClass& TPSPRLEDecoder::StaticClass() {
  static const TClass cls = TClass::Of<TPSPRLEDecoder>("TPSPRLEDecoder", TDecoder::StaticClass());
  return cls;
}

void TPSPRLEDecoder::Decode(const void*& source, void*& dest, Integer packedSize, Integer unpackedSize) {
  decoder_detail::CheckSizes(packedSize, unpackedSize);
  const Byte* src = static_cast<const Byte*>(source);
  const Byte* const srcEnd = src + packedSize;
  Byte* dst = static_cast<Byte*>(dest);
  Byte* const dstEnd = dst + unpackedSize;
  while (src < srcEnd && dst < dstEnd) {
    const Byte h = *src++;
    const std::size_t room = static_cast<std::size_t>(dstEnd - dst);
    if (h < 128) {
      const std::size_t n = std::min<std::size_t>({h, room, static_cast<std::size_t>(srcEnd - src)});
      std::memcpy(dst, src, n);
      dst += n;
      src += n;
    } else {
      if (src >= srcEnd) break;
      const std::size_t n = std::min<std::size_t>(h - 128u, room);
      std::memset(dst, *src++, n);
      dst += n;
    }
  }
  source = src;
  dest = dst;
}
