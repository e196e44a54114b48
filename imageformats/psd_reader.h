#pragma once
// TPSDGraphic: the merged image of PSD files (".psd", ".pdd"): bitmap, grey (with
// alpha), duotone, indexed, RGB(A), multichannel, CMYK and L*a*b* modes, 1, 8 or 16 bits,
// raw or PackBits. Layers are passed over.
#include <string>

#include "imageformats/image_format_graphic.h"

class TPSDGraphic : public TImageFormatGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TPSDGraphic();
  ~TPSDGraphic() override;

  static bool CanLoad(const std::string& FileName);
  static bool CanLoad(TStream& Stream);
  bool ReadImageProperties(TStream& Stream, Cardinal ImageIndex) override;
  void LoadFromStream(TStream& Stream) override;

 protected:
  bool ClassCanLoad(TStream& Stream) override { return CanLoad(Stream); }

 private:
  Word FMode = 0;
  Word FDepth = 0;
  Word FCompressionField = 0;
  Int64 FColorDataStart = 0;   // offset of the colour-mode data from BasePosition
  Cardinal FColorDataLength = 0;
  Int64 FImageDataStart = 0;   // offset of the image data (after the compression field)
};
