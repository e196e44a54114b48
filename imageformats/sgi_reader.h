#pragma once
// TSGIGraphic: SGI image files (".sgi", ".rgb", ".rgba", ".bw"), verbatim or run-length,
// 8 or 16 bits per channel: one channel is grey, two grey with alpha, three RGB, four
// RGBA. Rows are stored bottom first.
#include <string>

#include "imageformats/image_format_graphic.h"

class TSGIGraphic : public TImageFormatGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TSGIGraphic();
  ~TSGIGraphic() override;

  static bool CanLoad(const std::string& FileName);
  static bool CanLoad(TStream& Stream);
  bool ReadImageProperties(TStream& Stream, Cardinal ImageIndex) override;
  void LoadFromStream(TStream& Stream) override;

 protected:
  bool ClassCanLoad(TStream& Stream) override { return CanLoad(Stream); }
};
