#pragma once
// TCUTGraphic: CUT files: 8-bit run-length rows whose colours come from a companion
// palette file with the same name and the extension ".pal"; without one the image is a
// grey ramp.
#include <string>

#include "imageformats/image_format_graphic.h"

class TCUTGraphic : public TImageFormatGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TCUTGraphic();
  ~TCUTGraphic() override;

  // Loads the file and takes its colours from the companion palette file.
  void LoadFromFile(const std::string& FileName) override;

  // The format has no signature: always False.
  static bool CanLoad(const std::string& FileName);
  static bool CanLoad(TStream& Stream);
  bool ReadImageProperties(TStream& Stream, Cardinal ImageIndex) override;
  // Colours from the companion file named by LoadFromFile, else a grey ramp.
  void LoadFromStream(TStream& Stream) override;

  const std::string& PaletteFile() const { return FPaletteFile; }

 protected:
  bool ClassCanLoad(TStream& Stream) override { return CanLoad(Stream); }

 private:
  std::string FPaletteFile;
};
