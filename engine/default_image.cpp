#include "engine/default_image.h"

#include <memory>

#include "bitmaps/bitmap32.h"
#include "engine/bitmap32_cache.h"
#include "platform/classlib/sysutils.h"

namespace {

std::unique_ptr<TBitmap32> MakeDefaultImage() {
  auto image = std::make_unique<TBitmap32>();
  image->SetSize(kDefaultImageSize, kDefaultImageSize);
  const TColor32 white = Color32(255, 255, 255);
  const TColor32 grey = Color32(204, 204, 204);
  for (int y = 0; y < kDefaultImageSize; ++y) {
    TColor32* row = image->ScanLine(y);
    for (int x = 0; x < kDefaultImageSize; ++x)
      row[x] = ((x / kDefaultImageSquare + y / kDefaultImageSquare) % 2 == 0) ? white : grey;
  }
  MakeAlphaFromIntensity(image.get());
  return image;
}

}  // namespace

TBitmap32* DefaultParticleImage() {
  static const std::unique_ptr<TBitmap32> image = MakeDefaultImage();
  return image.get();
}

bool IsDefaultImageName(std::string_view FileName) { return SameText(FileName, "Default"); }
