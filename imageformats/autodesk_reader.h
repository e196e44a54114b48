#pragma once
// TAutodeskGraphic: cel and picture files: a 32-byte header, a palette of 256
// entries of 6-bit components and 8-bit pixels, top row first.
#include <string>

#include "imageformats/image_format_graphic.h"

class TAutodeskGraphic : public TImageFormatGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TAutodeskGraphic();
  ~TAutodeskGraphic() override;

  static bool CanLoad(const std::string& FileName);
  static bool CanLoad(TStream& Stream);
  bool ReadImageProperties(TStream& Stream, Cardinal ImageIndex) override;
  void LoadFromStream(TStream& Stream) override;

 protected:
  bool ClassCanLoad(TStream& Stream) override { return CanLoad(Stream); }

 private:
  Byte FBitsPerPixel = 0;
  Byte FCompression = 0;
};
