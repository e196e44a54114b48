#pragma once
// A fuzz target's input (or a record it wrote) as a memory stream at its start.
#include <cstddef>
#include <cstdint>

#include "platform/classlib/streams.h"

inline void FillStream(TMemoryStream& Stream, const std::uint8_t* Data, std::size_t Size) {
  if (Size) Stream.WriteBuffer(Data, static_cast<Int64>(Size));
  Stream.SetPosition(0);
}
