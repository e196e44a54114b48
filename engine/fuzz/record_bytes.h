#pragma once
// The bytes an object's record writes, so that a fuzz target can compare an object with
// itself before and after a read.
#include <cstdint>
#include <vector>

#include "platform/classlib/streams.h"

template <class T>
std::vector<std::uint8_t> RecordOf(const T& Object) {
  TMemoryStream s;
  Object.SaveToStream(s);
  const auto* p = static_cast<const std::uint8_t*>(s.Memory());
  return std::vector<std::uint8_t>(p, p + s.Size());
}
