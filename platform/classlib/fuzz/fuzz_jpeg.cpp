// JPEG files from arbitrary bytes through TJPEGImage (libjpeg with its error exit):
// refused with EInvalidGraphic, or decoded into a picture that a bitmap takes over.
#include <cstddef>
#include <cstdint>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/jpeg_image.h"
#include "platform/classlib/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemoryStream stream;
  if (size) stream.WriteBuffer(data, static_cast<Int64>(size));
  stream.SetPosition(0);
  try {
    TJPEGImage image;
    image.LoadFromStream(stream);
    TBitmap bitmap;
    bitmap.Assign(&image);
    if (!bitmap.Empty()) {
      bitmap.ScanLine(0);
      bitmap.ScanLine(bitmap.Height() - 1);
    }
  } catch (const Exception&) {
  }
  return 0;
}
