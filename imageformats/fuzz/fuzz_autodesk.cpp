// libFuzzer target: the Autodesk reader on whole files.
#include "imageformats/autodesk_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readerfuzz::LoadOnce<TAutodeskGraphic>(data, size);
  return 0;
}
