// libFuzzer target: the RLA reader on whole files.
#include "imageformats/rla_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readerfuzz::LoadOnce<TRLAGraphic>(data, size);
  return 0;
}
