#pragma once
// TRLAGraphic: run-length RGB images with an optional matte channel (".rla", ".rpf"),
// 8 bits per channel; rows are found through a table of row offsets.
#include <string>

#include "imageformats/image_format_graphic.h"

class TRLAGraphic : public TImageFormatGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TRLAGraphic();
  ~TRLAGraphic() override;

  static bool CanLoad(const std::string& FileName);
  static bool CanLoad(TStream& Stream);
  // False for channel kind "xyz", which the reader does not convert.
  bool ReadImageProperties(TStream& Stream, Cardinal ImageIndex) override;
  void LoadFromStream(TStream& Stream) override;

 protected:
  bool ClassCanLoad(TStream& Stream) override { return CanLoad(Stream); }

 private:
  Cardinal FColorChannels = 0;
  Cardinal FMatteChannels = 0;
};
