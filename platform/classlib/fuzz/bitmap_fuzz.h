#pragma once
// Shared part of the picture fuzz targets: the input as a stream at its start, and the
// check that a loaded bitmap is whole.
#include <cstddef>
#include <cstdint>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/streams.h"

namespace bitmapfuzz {

inline void Fill(TMemoryStream& stream, const std::uint8_t* data, std::size_t size) {
  if (size) stream.WriteBuffer(data, static_cast<Int64>(size));
  stream.SetPosition(0);
}

// A loaded image is whole: its first and last rows can be reached.
inline void TouchRows(TBitmap& bitmap) {
  if (bitmap.Empty()) return;
  bitmap.ScanLine(0);
  bitmap.ScanLine(bitmap.Height() - 1);
}

}  // namespace bitmapfuzz
