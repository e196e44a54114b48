// libFuzzer target: the Targa reader on whole files.
#include "imageformats/targa_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readerfuzz::LoadOnce<TTargaGraphic>(data, size);
  return 0;
}
