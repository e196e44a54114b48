// libFuzzer target: the SGI run-length decoder, 8- and 16-bit elements.
#include "decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  decoderfuzz::Input in;
  if (!decoderfuzz::Split(data, size, in)) return 0;
  TSGIRLEDecoder d((in.Parameter & 1) ? 16 : 8);
  decoderfuzz::Decode(d, in);
  return 0;
}
