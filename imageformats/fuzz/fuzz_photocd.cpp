// libFuzzer target: the Photo-CD reader on whole files.
#include "imageformats/photocd_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readerfuzz::LoadOnce<TPCDGraphic>(data, size);
  return 0;
}
