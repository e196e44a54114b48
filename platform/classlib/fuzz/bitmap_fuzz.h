#pragma once
// Shared check of the picture fuzz targets: a loaded bitmap is whole.
#include "platform/classlib/bitmap.h"
#include "platform/classlib/fuzz/fuzz_stream.h"

namespace bitmapfuzz {

// A loaded image is whole: its first and last rows can be reached.
inline void TouchRows(TBitmap& bitmap) {
  if (bitmap.Empty()) return;
  bitmap.ScanLine(0);
  bitmap.ScanLine(bitmap.Height() - 1);
}

}  // namespace bitmapfuzz
