// libFuzzer target: the PNG reader on whole files.
#include "imageformats/png_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readerfuzz::LoadOnce<TPNGGraphic>(data, size);
  return 0;
}
