// libFuzzer target: the CCITT modified Huffman and Group 3 decoders.
#include "decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  decoderfuzz::Input in;
  if (!decoderfuzz::Split(data, size, in)) return 0;
  const Cardinal width = 1 + in.Parameter * 7u;
  if (in.Parameter & 1) {
    TCCITTMHDecoder d(0, in.Parameter & 2, in.Parameter & 4, width);
    decoderfuzz::Decode(d, in);
  } else {
    TCCITTFax3Decoder d(0, in.Parameter & 2, false, width);
    decoderfuzz::Decode(d, in);
  }
  return 0;
}
