// libFuzzer target: the SGI reader on whole files.
#include "imageformats/sgi_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readerfuzz::LoadOnce<TSGIGraphic>(data, size);
  return 0;
}
