// libFuzzer target: the PNG reader on whole files. Mutations almost never keep a
// chunk's CRC right, so the target mends every CRC first (unless the input's last byte
// is odd, which keeps the reader's CRC check in reach); otherwise the fuzzer would
// stop at the first chunk.
#include <zlib.h>

#include <vector>

#include "imageformats/png_reader.h"
#include "platform/classlib/records.h"
#include "reader_fuzz.h"

namespace {

void MendCrcs(std::vector<std::uint8_t>& file) {
  std::size_t at = 8;  // after the signature
  while (at + 12 <= file.size()) {
    const std::size_t length = bytes::LoadBE32(&file[at]);
    if (length > file.size() - at - 12) return;
    const Cardinal crc = crc32(0, &file[at + 4], static_cast<uInt>(length + 4));
    for (int i = 0; i < 4; ++i) file[at + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    at += length + 12;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> file(data, data + size);
  if (size == 0 || (data[size - 1] & 1) == 0) MendCrcs(file);
  readerfuzz::LoadOnce<TPNGGraphic>(file.data(), file.size());
  return 0;
}
