#pragma once
// TEPSGraphic: the TIFF preview embedded in an Encapsulated PostScript file with a
// binary header (the PostScript itself is not rendered).
#include "imageformats/tiff_reader.h"

// The 30-byte binary header, little-endian.
struct TEPSHeader {
  Cardinal Code = 0;  // 0xC6D3D0C5
  Cardinal PostScriptOffset = 0;
  Cardinal PostScriptLength = 0;
  Cardinal MetafileOffset = 0;
  Cardinal MetafileLength = 0;
  Cardinal TIFFOffset = 0;
  Cardinal TIFFLength = 0;
  Word Checksum = 0;
};

inline constexpr Cardinal kEPSMagic = 0xC6D3D0C5u;
inline constexpr Cardinal kEPSHeaderSize = 30;

class TEPSGraphic : public TTIFFGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  static bool CanLoad(const std::string& FileName);
  static bool CanLoad(TStream& Stream);
  // Loads the TIFF preview. The preview must lie inside the file.
  void LoadFromStream(TStream& Stream) override;

 protected:
  bool ClassCanLoad(TStream& Stream) override { return CanLoad(Stream); }
};
