// libFuzzer target: the portable map reader on whole files.
#include "imageformats/pnm_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readerfuzz::LoadOnce<TPPMGraphic>(data, size);
  return 0;
}
