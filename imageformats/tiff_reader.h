#pragma once
// TTIFFGraphic: Tagged Image File Format images, from strips or tiles, chunky or planar,
// uncompressed or compressed with PackBits, CCITT modified Huffman and one-dimensional
// Group 3, Deflate, JPEG or ThunderScan, with or without the horizontal predictor.
#include "imageformats/image_format_graphic.h"
#include "imageformats/tiff_directory.h"

class TTIFFGraphic : public TImageFormatGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TTIFFGraphic();
  ~TTIFFGraphic() override;

  static bool CanLoad(const std::string& FileName);
  static bool CanLoad(TStream& Stream);
  // Reads the header of image ImageIndex (its directory in the chain) of the TIFF data
  // that starts at the stream's position.
  bool ReadImageProperties(TStream& Stream, Cardinal ImageIndex) override;
  void LoadFromStream(TStream& Stream) override;
  // Writing TIFF is not offered.
  void SaveToStream(TStream& Stream) override;

  Word YCbCrPositioning() const { return FYCbCrPositioning; }
  const TFloatArray& YCbCrCoefficients() const { return FYCbCrCoefficients; }

 protected:
  bool ClassCanLoad(TStream& Stream) override { return CanLoad(Stream); }
  // Loads image 0 of the TIFF data occupying [Base, Limit) of the stream.
  void LoadTIFF(TStream& Stream, Int64 Base, Int64 Limit);
  bool ReadTIFFProperties(TStream& Stream, Int64 Base, Int64 Limit, Cardinal ImageIndex);

  TTIFFDirectory FDirectory;
  Word FYCbCrPositioning = 1;
  TFloatArray FYCbCrCoefficients{0.299f, 0.587f, 0.114f};
};

// The byte whose bits are those of B in reverse order.
Byte ReverseBits(Byte B);
