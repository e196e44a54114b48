#pragma once
// TJPEGImage: a JPEG file held as its compressed bytes and shown through a decoded
// 24-bit bitmap. Decoding uses libjpeg with an error handler that turns the library's
// fatal errors into EInvalidGraphic (with the library's message) instead of ending the
// process; the decompressor is released on every path.
//
// Loading decodes at once, so a damaged file is refused when it is loaded and the image
// keeps what it had. Saving writes the bytes that were loaded.
#include <memory>
#include <vector>

#include "platform/classlib/graphic.h"

class TBitmap;

class TJPEGImage : public TGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TJPEGImage();
  ~TJPEGImage() override;

  // From another JPEG image: its bytes and picture; nullptr empties.
  void Assign(TPersistent* source) override;
  // Everything from the stream's position to its end is taken as the JPEG file.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;

  bool Empty() const override { return data_.empty(); }
  Integer Width() const override;
  Integer Height() const override;
  // Raise EInvalidGraphicOperation: the size is the file's.
  void SetWidth(Integer value) override;
  void SetHeight(Integer value) override;

 protected:
  // To a TBitmap: the decoded 24-bit picture.
  void AssignTo(TPersistent* dest) override;
  void Draw(TCanvas* canvas, const TRect& r) override;

 private:
  std::vector<Byte> data_;
  std::unique_ptr<TBitmap> bitmap_;
};
