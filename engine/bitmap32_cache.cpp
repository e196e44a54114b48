#include "engine/bitmap32_cache.h"

#include "bitmaps/bitmap32.h"
#include "bitmaps/byte_map.h"
#include "engine/default_image.h"
#include "platform/classlib/file_paths.h"
#include "platform/classlib/strings.h"

TTextureNotFoundEvent OnTextureNotFound;

const TClass& TBitmap32Cache::StaticClass() {
  static const TClass cls = TClass::Of<TBitmap32Cache>("TBitmap32Cache", TObject::StaticClass());
  return cls;
}

TBitmap32Cache::TBitmap32Cache() : images_(std::make_unique<TStringList>()) {
  images_->SetSorted(true);
  images_->SetCaseSensitive(false);
}

TBitmap32Cache::~TBitmap32Cache() { Clear(); }

void TBitmap32Cache::Clear() {
  for (Integer i = 0; i < images_->Count(); ++i) delete images_->Objects(i);
  images_->Clear();
}

TBitmap32* TBitmap32Cache::Cached(const std::string& FileName) const {
  Integer index;
  if (images_->Find(FileName, index)) return static_cast<TBitmap32*>(images_->Objects(index));
  return nullptr;
}

TBitmap32* TBitmap32Cache::Get(std::string& FileName) {
  if (IsDefaultImageName(FileName)) return DefaultParticleImage();
  if (TBitmap32* bitmap = Cached(FileName)) return bitmap;

  if (!FileExists(FileName) && OnTextureNotFound) {
    OnTextureNotFound(FileName);
    // The answer may be the built-in image or a file cached under another request.
    if (IsDefaultImageName(FileName)) return DefaultParticleImage();
    if (TBitmap32* bitmap = Cached(FileName)) return bitmap;
  }

  if (!FileExists(FileName)) return DefaultParticleImage();

  auto bitmap = std::make_unique<TBitmap32>();
  bitmap->LoadFromFile(FileName);
  if (!bitmap->AlphaLoaded()) MakeAlphaFromIntensity(bitmap.get());
  images_->AddObject(FileName, bitmap.get());
  return bitmap.release();
}

TBitmap32Cache& Bitmap32Cache() {
  // The built-in image is made first, and with it the window system's object tables,
  // so that at exit the cache's bitmaps are freed while those tables still stand.
  DefaultParticleImage();
  static TBitmap32Cache cache;
  return cache;
}

void MakeAlphaFromIntensity(TBitmap32* Bitmap) {
  if (!Bitmap || Bitmap->Empty()) return;
  TByteMap intensity;
  intensity.ReadFrom(Bitmap, bcWeightedGrey);
  intensity.WriteTo(Bitmap, bcAlpha);
}
