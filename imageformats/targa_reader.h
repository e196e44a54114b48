#pragma once
// TTargaGraphic: Targa files (colour-mapped, true colour and grey, plain or
// run-length), read straight into the bitmap's scan lines; it also writes them,
// run-length encoded.
#include <string>

#include "imageformats/image_format_graphic.h"

// The 18-byte file header, little-endian.
struct TTargaHeader {
  Byte IDLength = 0;
  Byte ColorMapType = 0;
  Byte ImageType = 0;
  Word ColorMapStart = 0;
  Word ColorMapLength = 0;
  Byte ColorMapEntrySize = 0;
  Word XOrigin = 0;
  Word YOrigin = 0;
  Word Width = 0;
  Word Height = 0;
  Byte PixelDepth = 0;
  Byte Descriptor = 0;  // bits 0-3 alpha bits, bit 5 origin at the top

  static constexpr unsigned kSize = 18;
  void Parse(const Byte* Data);
  void Store(Byte* Data) const;
};

class TTargaGraphic : public TImageFormatGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TTargaGraphic();
  ~TTargaGraphic() override;

  static bool CanLoad(const std::string& FileName);
  static bool CanLoad(TStream& Stream);
  // False for a header that is not a Targa image; a known image type with a pixel depth
  // the reader does not handle answers True with an undefined colour scheme.
  bool ReadImageProperties(TStream& Stream, Cardinal ImageIndex) override;
  void LoadFromStream(TStream& Stream) override;
  // Writes the image run-length encoded, top row first; nothing for an empty bitmap.
  void SaveToStream(TStream& Stream) override;

 protected:
  bool ClassCanLoad(TStream& Stream) override { return CanLoad(Stream); }

 private:
  TTargaHeader FHeader;
};
