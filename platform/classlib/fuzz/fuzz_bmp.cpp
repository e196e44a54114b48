// BMP files from arbitrary bytes, through the bitmap as a picture loads one, and the
// same bytes less the file header as a packed DIB (a bitmap resource): refused with
// EInvalidGraphic, or loaded into a bitmap whose first and last rows can be read.
#include <cstddef>
#include <cstdint>

#include "platform/classlib/bmp_format.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/fuzz/bitmap_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemoryStream stream;
  FillStream(stream, data, size);
  try {
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    bitmapfuzz::TouchRows(bitmap);
  } catch (const Exception&) {
  }
  if (size > 14) {
    stream.SetPosition(14);
    try {
      ReadPackedDib(stream, static_cast<Int64>(size - 14));
    } catch (const Exception&) {
    }
  }
  return 0;
}
