#pragma once
// TPCDGraphic: Photo-CD image packs, read at the 768 x 512 base resolution, and overview
// files, whose first thumbnail is read at its own 192 x 128. Portrait images are turned
// upright.
#include <string>

#include "imageformats/image_format_graphic.h"

// Enlarges a chroma plane of Width x Height values (rows RowLength bytes apart) to
// 2 Width x 2 Height in place: RowLength must be at least 2 Width and the buffer must
// hold 2 Height rows. New values are the rounded means of their neighbours.
void PCDEnlargeChroma(Byte* Plane, Cardinal Width, Cardinal Height, Cardinal RowLength);

class TPCDGraphic : public TImageFormatGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TPCDGraphic();
  ~TPCDGraphic() override;

  static bool CanLoad(const std::string& FileName);
  static bool CanLoad(TStream& Stream);
  // ImageIndex is the resolution (0: 192 x 128 ... 5: 64 times the base); overview
  // files always answer resolution 0.
  bool ReadImageProperties(TStream& Stream, Cardinal ImageIndex) override;
  void LoadFromStream(TStream& Stream) override;

 protected:
  bool ClassCanLoad(TStream& Stream) override { return CanLoad(Stream); }
};
