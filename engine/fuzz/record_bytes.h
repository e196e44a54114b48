#pragma once
// The bytes an object's record (or file) writes, so that a fuzz target can compare an
// object with itself before and after a read.
#include <cstdint>
#include <vector>

#include "platform/classlib/streams.h"

// What Write(stream) puts on a fresh memory stream.
template <class Write>
std::vector<std::uint8_t> WrittenBytes(Write&& write) {
  TMemoryStream s;
  write(s);
  const auto* p = static_cast<const std::uint8_t*>(s.Memory());
  return std::vector<std::uint8_t>(p, p + s.Size());
}

template <class T>
std::vector<std::uint8_t> RecordOf(const T& Object) {
  return WrittenBytes([&](TStream& s) { Object.SaveToStream(s); });
}
