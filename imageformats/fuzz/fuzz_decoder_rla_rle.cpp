// libFuzzer target: the RLA run-length decoder.
#include "decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  decoderfuzz::Input in;
  if (!decoderfuzz::Split(data, size, in)) return 0;
  TRLADecoder d;
  decoderfuzz::Decode(d, in);
  return 0;
}
