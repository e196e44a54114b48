#pragma once
// Shared part of the decoder fuzz targets: the first bytes of the input choose the
// output size (and a parameter); the rest is the packed data. Both buffers are exactly
// their size, so the sanitizer sees any access outside them, and the decoder must leave
// Source and Dest inside them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imageformats/decoders.h"

namespace decoderfuzz {

struct Input {
  std::vector<Byte> Packed;
  std::size_t OutSize = 0;
  Byte Parameter = 0;
};

inline bool Split(const std::uint8_t* data, std::size_t size, Input& in) {
  if (size < 3) return false;
  in.OutSize = (std::size_t(data[0]) << 4) | (data[1] >> 4);
  in.Parameter = data[2];
  in.Packed.assign(data + 3, data + size);
  return true;
}

inline void Decode(TDecoder& d, const Input& in) {
  std::vector<Byte> out(in.OutSize);
  const void* src = in.Packed.data();
  void* dst = out.data();
  try {
    d.DecodeInit();
    d.Decode(src, dst, static_cast<Integer>(in.Packed.size()), static_cast<Integer>(out.size()));
    d.DecodeEnd();
  } catch (const Exception&) {
    return;
  }
  const Byte* s = static_cast<const Byte*>(src);
  const Byte* o = static_cast<const Byte*>(dst);
  if (s < in.Packed.data() || s > in.Packed.data() + in.Packed.size()) __builtin_trap();
  if (o < out.data() || o > out.data() + out.size()) __builtin_trap();
}

}  // namespace decoderfuzz
