#pragma once
// TPSPGraphic: the first bitmap layer of PSP image files (major version 3
// and later): 1-, 4- and 8-bit indexed or grey images and 24-bit RGB (with a
// transparency mask as alpha), channels raw, run-length or deflated. JPEG-compressed
// files are refused.
#include <string>

#include "imageformats/image_format_graphic.h"

class TPSPGraphic : public TImageFormatGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TPSPGraphic();
  ~TPSPGraphic() override;

  static bool CanLoad(const std::string& FileName);
  static bool CanLoad(TStream& Stream);
  // Reads the general image attributes; the stream is left after their block.
  bool ReadImageProperties(TStream& Stream, Cardinal ImageIndex) override;
  void LoadFromStream(TStream& Stream) override;

 protected:
  bool ClassCanLoad(TStream& Stream) override { return CanLoad(Stream); }

 private:
  class TLoader;
  Word FCompression = 0;  // as the file gives it: 0 none, 1 run-length, 2 LZ77, 3 JPEG
  Word FBitDepth = 0;
};
