// libFuzzer target: the PSP reader on whole files.
#include "imageformats/psp_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readerfuzz::LoadOnce<TPSPGraphic>(data, size);
  return 0;
}
