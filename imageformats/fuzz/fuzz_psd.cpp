// libFuzzer target: the PSD reader on whole files.
#include "imageformats/psd_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readerfuzz::LoadOnce<TPSDGraphic>(data, size);
  return 0;
}
