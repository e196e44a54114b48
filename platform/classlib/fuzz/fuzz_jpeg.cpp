// JPEG files from arbitrary bytes through TJPEGImage (libjpeg with its error exit):
// refused with EInvalidGraphic, or decoded into a picture that a bitmap takes over.
#include <cstddef>
#include <cstdint>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/fuzz/bitmap_fuzz.h"
#include "platform/classlib/jpeg_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemoryStream stream;
  FillStream(stream, data, size);
  try {
    TJPEGImage image;
    image.LoadFromStream(stream);
    TBitmap bitmap;
    bitmap.Assign(&image);
    bitmapfuzz::TouchRows(bitmap);
  } catch (const Exception&) {
  }
  return 0;
}
