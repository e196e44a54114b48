#pragma once
// TBitmap32Cache: particle images loaded once per file name, kept in a list sorted by
// name and searched without regard to case. Missing files are resolved through the
// texture-not-found event; what cannot be resolved yields the built-in default image.
#include <functional>
#include <memory>
#include <string>

#include "platform/classlib/object.h"
#include "platform/classlib/types.h"

class TBitmap32;
class TStringList;

// Asked for a file that does not exist: receives the missing name and may replace it
// (e.g. with the file in another folder, or "Default").
using TTextureNotFoundEvent = std::function<void(std::string& FileName)>;

// Unassigned at load; the editor assigns it at start-up.
extern TTextureNotFoundEvent OnTextureNotFound;

class TBitmap32Cache : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TBitmap32Cache();
  ~TBitmap32Cache() override;

  // The image of FileName, which on return holds the name it was found under:
  // 1. "Default" (any case) is the built-in image;
  // 2. a cached name returns its bitmap;
  // 3. a file that does not exist is offered to OnTextureNotFound, which may rename it;
  // 4. an existing file is loaded through the picture registry (alpha from intensity
  //    when the file brought none) and cached;
  // 5. else the built-in image (not cached).
  // A file that exists but cannot be decoded raises the loader's exception and nothing
  // is cached.
  TBitmap32* Get(std::string& FileName);
  // Frees every cached bitmap.
  void Clear();

  // File names in sorted order; their objects are the cached bitmaps.
  const TStringList& Images() const { return *images_; }

 private:
  TBitmap32* Cached(const std::string& FileName) const;

  std::unique_ptr<TStringList> images_;
};

// The process-wide cache (with no handler of its own): made on first use, freed at
// unload.
TBitmap32Cache& Bitmap32Cache();

// Alpha of every pixel := its weighted intensity. Nothing for nullptr.
void MakeAlphaFromIntensity(TBitmap32* Bitmap);
