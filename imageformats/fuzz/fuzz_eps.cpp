// libFuzzer target: the EPS reader on whole files.
#include "imageformats/eps_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readerfuzz::LoadOnce<TEPSGraphic>(data, size);
  return 0;
}
