// libFuzzer target: the CUT reader on whole files.
#include "imageformats/cut_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readerfuzz::LoadOnce<TCUTGraphic>(data, size);
  return 0;
}
