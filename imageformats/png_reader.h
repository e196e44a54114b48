#pragma once
// TPNGGraphic: Portable Network Graphics files. Every chunk's CRC is checked, the image
// data is inflated, unfiltered, placed pass by pass for interlaced files and converted
// row by row through the colour manager.
#include <array>

#include "imageformats/image_format_graphic.h"
#include "platform/classlib/graphics_colors.h"

// Undoes one PNG row filter in place. Row holds the filter byte followed by the row's
// bytes; Previous the previous row's unfiltered bytes in the same layout (all zero for
// the first row of an image or pass). Distance is the bytes of one whole pixel (at
// least 1). Filter types above 4 leave the bytes as read.
void PNGUnfilterRow(Byte* Row, const Byte* Previous, Cardinal Length, Cardinal Distance);

class TPNGGraphic : public TImageFormatGraphic {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TPNGGraphic();
  ~TPNGGraphic() override;

  static bool CanLoad(const std::string& FileName);
  static bool CanLoad(TStream& Stream);
  bool ReadImageProperties(TStream& Stream, Cardinal ImageIndex) override;
  void LoadFromStream(TStream& Stream) override;

  // From the last file loaded: alpha of each palette entry (tRNS of palette images; 256
  // entries, 255 where the file gives none; empty for other images), the transparent
  // colour of grey and RGB images (clNoTransparency when none) and the background colour.
  const TByteArray& TransparencyData() const { return FTransparencyData; }
  TColor TransparentColorValue() const { return FTransparentColor; }
  TColor BackgroundColor() const { return FBackgroundColor; }

  static constexpr TColor clNoTransparency = 0x1FFFFFFF;

 protected:
  bool ClassCanLoad(TStream& Stream) override { return CanLoad(Stream); }

 private:
  class TLoader;
  friend class TLoader;

  TByteArray FTransparencyData;
  TColor FTransparentColor = clNoTransparency;
  TColor FBackgroundColor = 0xFFFFFF;
};
