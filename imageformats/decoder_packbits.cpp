#include <algorithm>
#include <cstring>

#include "imageformats/decoder_base.h"
#include "imageformats/decoders.h"

const TClass& TPackbitsRLEDecoder::StaticClass() {
  static const TClass cls = TClass::Of<TPackbitsRLEDecoder>("TPackbitsRLEDecoder", TDecoder::StaticClass());
  return cls;
}

void TPackbitsRLEDecoder::Decode(const void*& source, void*& dest, Integer packedSize, Integer unpackedSize) {
  decoder_detail::CheckSizes(packedSize, unpackedSize);
  const Byte* src = static_cast<const Byte*>(source);
  const Byte* const srcEnd = src + packedSize;
  Byte* dst = static_cast<Byte*>(dest);
  Byte* const dstEnd = dst + unpackedSize;
  while (dst < dstEnd && src < srcEnd) {
    const auto n = static_cast<ShortInt>(*src++);
    if (n >= 0) {
      const std::size_t count = std::min<std::size_t>({static_cast<std::size_t>(n) + 1,
                                                       static_cast<std::size_t>(dstEnd - dst),
                                                       static_cast<std::size_t>(srcEnd - src)});
      std::memcpy(dst, src, count);
      dst += count;
      src += count;
    } else if (n != -128) {
      if (src >= srcEnd) break;
      const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(1 - n), dstEnd - dst);
      std::memset(dst, *src++, count);
      dst += count;
    }
  }
  source = src;
  dest = dst;
}
