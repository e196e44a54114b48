#pragma once
// TPPMGraphic: the portable bitmap, grey map and pixmap formats, plain (P1 to P3,
// decimal text) and raw (P4 to P6). Raw files with a maximum value above 255 hold two
// bytes per sample, reduced to 8 bits; samples are not scaled by smaller maximum values.
#include <string>

#include "imageformats/image_format_graphic.h"

class TPPMGraphic : public TImageFormatGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TPPMGraphic();
  ~TPPMGraphic() override;

  static bool CanLoad(const std::string& FileName);
  static bool CanLoad(TStream& Stream);
  bool ReadImageProperties(TStream& Stream, Cardinal ImageIndex) override;
  void LoadFromStream(TStream& Stream) override;

 protected:
  bool ClassCanLoad(TStream& Stream) override { return CanLoad(Stream); }

 private:
  class TTextReader;
  struct THeader {
    char Kind = 0;       // '1' to '6'
    Cardinal Width = 0;
    Cardinal Height = 0;
    Cardinal MaxValue = 1;
  };
  // Reads the header up to and including the character after its last number; False
  // when it is not a portable map header.
  static bool ReadHeader(TTextReader& Reader, THeader& Header);
  void FillProperties(const THeader& Header);
};
