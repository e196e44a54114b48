// libFuzzer target: the TIFF reader on whole files.
#include "imageformats/tiff_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readerfuzz::LoadOnce<TTIFFGraphic>(data, size);
  return 0;
}
