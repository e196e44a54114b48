// libFuzzer target: the deflate decoder.
#include "decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  decoderfuzz::Input in;
  if (!decoderfuzz::Split(data, size, in)) return 0;
  TLZ77Decoder d(in.Parameter & 4, in.Parameter & 1);
  decoderfuzz::Decode(d, in);
  return 0;
}
