#include <zlib.h>

#include "imageformats/decoder_base.h"
#include "imageformats/decoders.h"

namespace {
constexpr const char* kLZ77Error = "LZ77 decompression error.";
}

struct TLZ77Decoder::TStreamRecord {
  z_stream Z{};
};

const TClass& TLZ77Decoder::StaticClass() {
  static const TClass cls = TClass::Of<TLZ77Decoder>("TLZ77Decoder", TDecoder::StaticClass());
  return cls;
}

TLZ77Decoder::TLZ77Decoder(Integer flushMode, bool autoReset)
    : FStream(std::make_unique<TStreamRecord>()), FFlushMode(flushMode), FAutoReset(autoReset) {}

TLZ77Decoder::~TLZ77Decoder() {
  if (FInitialized) inflateEnd(&FStream->Z);
}

void TLZ77Decoder::DecodeInit() {
  if (FInitialized) {
    inflateEnd(&FStream->Z);
    FInitialized = false;
  }
  FStream->Z = z_stream{};
  if (inflateInit(&FStream->Z) < 0) CompressionError(kLZ77Error);
  FInitialized = true;
  FStatus = Z_OK;
}

void TLZ77Decoder::DecodeEnd() {
  if (!FInitialized) return;
  FInitialized = false;
  if (inflateEnd(&FStream->Z) < 0) CompressionError(kLZ77Error);
}

void TLZ77Decoder::Decode(const void*& source, void*& dest, Integer packedSize, Integer unpackedSize) {
  decoder_detail::CheckSizes(packedSize, unpackedSize);
  if (!FInitialized) CompressionError(kLZ77Error);
  z_stream& z = FStream->Z;
  z.next_in = static_cast<Bytef*>(const_cast<void*>(source));
  z.avail_in = static_cast<uInt>(packedSize);
  if (FAutoReset) FStatus = inflateReset(&z);
  if (FStatus == Z_OK) {
    z.next_out = static_cast<Bytef*>(dest);
    z.avail_out = static_cast<uInt>(unpackedSize);
    FStatus = inflate(&z, FFlushMode);
    dest = z.next_out;
  }
  source = z.next_in;
}

Cardinal TLZ77Decoder::AvailableInput() const { return FStream->Z.avail_in; }

Cardinal TLZ77Decoder::AvailableOutput() const { return FStream->Z.avail_out; }
