// libFuzzer target: the PCX reader on whole files.
#include "imageformats/pcx_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readerfuzz::LoadOnce<TPCXGraphic>(data, size);
  return 0;
}
