#pragma once
// TPCXGraphic: PCX files, and the screen captures that share their layout (maker
// byte 205): 1 to 4 planes of 1 bit, one plane of 2, 4 or 8 bits, and
// three or four planes of 8 bits (RGB, RGB with alpha).
#include <string>

#include "imageformats/image_format_graphic.h"

class TPCXGraphic : public TImageFormatGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TPCXGraphic();
  ~TPCXGraphic() override;

  static bool CanLoad(const std::string& FileName);
  static bool CanLoad(TStream& Stream);
  bool ReadImageProperties(TStream& Stream, Cardinal ImageIndex) override;
  void LoadFromStream(TStream& Stream) override;

 protected:
  bool ClassCanLoad(TStream& Stream) override { return CanLoad(Stream); }

 private:
  Byte FHeader[128] = {};
};
