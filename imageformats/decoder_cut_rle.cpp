#include <algorithm>
#include <cstring>

#include "imageformats/decoder_base.h"
#include "imageformats/decoders.h"

const TClass& TCUTRLEDecoder::StaticClass() {
  static const TClass cls = TClass::Of<TCUTRLEDecoder>("TCUTRLEDecoder", TDecoder::StaticClass());
  return cls;
}

void TCUTRLEDecoder::Decode(const void*& source, void*& dest, Integer packedSize, Integer unpackedSize) {
  decoder_detail::CheckSizes(packedSize, unpackedSize);
  const Byte* src = static_cast<const Byte*>(source);
  const Byte* const srcEnd = src + packedSize;
  Byte* dst = static_cast<Byte*>(dest);
  Byte* const dstEnd = dst + unpackedSize;
  src += std::min<std::size_t>(2, srcEnd - src);  // the line length
  // The end mark is honoured even when the output is full, so Source lands on the next line.
  while (src < srcEnd) {
    const Byte h = *src++;
    if (h == 0) break;
    const std::size_t count = h & 127u;
    const std::size_t room = static_cast<std::size_t>(dstEnd - dst);
    if (h & 128u) {
      if (src >= srcEnd) break;
      const std::size_t n = std::min(count, room);
      if (n > 0) std::memset(dst, *src, n);
      ++src;
      dst += n;
    } else {
      const std::size_t n = std::min(count, static_cast<std::size_t>(srcEnd - src));
      const std::size_t written = std::min(n, room);
      if (written > 0) std::memcpy(dst, src, written);
      dst += written;
      src += n;
    }
  }
  source = src;
  dest = dst;
}
