// libFuzzer target: the Photo-CD residual decoder reading tables and rows from a stream.
#include "decoder_fuzz.h"
#include "platform/classlib/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const Cardinal width = data[0] & 1 ? 1600 : 1 + data[0];
  const Cardinal height = 1 + data[1] % 16;
  TMemoryStream stream;
  stream.WriteBuffer(data + 2, static_cast<Int64>(size - 2));
  stream.SetPosition(0);
  std::vector<Byte> y(std::size_t(width) * height), c1(y.size()), c2(y.size());
  Byte* planes[3] = {y.data(), c1.data(), c2.data()};
  TPCDDecoder d(stream);
  try {
    const void* src = planes;
    void* dst = nullptr;
    d.Decode(src, dst, static_cast<Integer>(width), static_cast<Integer>(height));
  } catch (const Exception&) {
  }
  return 0;
}
