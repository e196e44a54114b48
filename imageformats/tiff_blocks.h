#pragma once
// The steps of a TIFF load after the directory is read: which colour conversion the
// image needs, where its strips or tiles lie, and decoding them into bitmap rows.
#include <cstdint>
#include <functional>

#include "imageformats/color_manager.h"
#include "imageformats/image_format_graphic.h"
#include "imageformats/tiff_directory.h"

struct TTIFFColorSetup {
  TColorScheme Source = csUndefined;
  Byte SourceSamples = 1;
  TConvertOptions SourceOptions = 0;
  TColorScheme Target = csBGR;
  Byte TargetBits = 8;
  Byte TargetSamples = 3;
  // Subsampling of stored YCbCr data, expanded to whole pixels before conversion; 1, 1
  // for data stored pixel by pixel.
  Byte HSubsampling = 1, VSubsampling = 1;
};

// The colour conversion for the image, or EInvalidGraphic for a combination of scheme,
// samples and depth (or a compression) that is not read.
TTIFFColorSetup ChooseTIFFColorSetup(const TImageProperties& P, const char* FormatName);

// Strips are blocks as wide as the image; tiles are blocks of TileWidth x TileLength.
// Planar images have one set of blocks per sample, one after the other.
struct TTIFFBlockLayout {
  bool Tiled = false;
  Cardinal Planes = 1;
  Cardinal PlaneSamples = 1;      // samples of one pixel within one plane
  Cardinal RowBytes = 0;          // one image row of one plane
  Cardinal BlockWidth = 0;        // pixels
  Cardinal BlockRows = 0;
  Cardinal BlockRowBytes = 0;
  Cardinal BlocksAcross = 1;
  Cardinal BlocksDown = 1;
  // Subsampled YCbCr: a block stores groups of H x V luminance samples and one Cb and
  // one Cr each, and is expanded to BlockRowBytes a row.
  Byte HSubsampling = 1, VSubsampling = 1;
  TCardinalArray Offsets;
  TCardinalArray ByteCounts;

  bool Subsampled() const { return HSubsampling != 1 || VSubsampling != 1; }
  // Bytes the file stores for Rows rows of one block, once decompressed.
  std::uint64_t StoredBytes(Cardinal Rows) const;
};

// Reads the block offsets and sizes and checks them against the file, and the image
// size against what the compressed data can hold, before anything is allocated.
TTIFFBlockLayout PlanTIFFBlocks(const TTIFFDirectory& Directory, TImageProperties& P, const TTIFFColorSetup& Setup,
                                const char* FormatName);

// Decodes every block and converts the rows into the bitmap (already sized and of the
// colour manager's target format), calling Progress after each row.
void DecodeTIFFBlocks(const TTIFFDirectory& Directory, TImageProperties& P, const TTIFFBlockLayout& Layout,
                      TColorManager& ColorManager, TBitmap& Target, const char* FormatName,
                      const std::function<void(Cardinal Row, Cardinal Height)>& Progress);

// Undoes horizontal differencing on one row of Pixels pixels of Samples samples of
// BitsPerSample (8 or 16) bits; 16-bit samples are in the file's byte order.
void TIFFUndoPredictor(Byte* Row, Cardinal Pixels, Cardinal Samples, Cardinal BitsPerSample, bool BigEndian);
