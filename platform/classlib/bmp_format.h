#pragma once
// The BMP file format: reading (file header, then the 12-byte core header or a 40-byte
// or larger info header; 1, 4, 8, 16, 24 and 32 bits; RLE4, RLE8 and BI_BITFIELDS) and
// writing (file header, 40-byte info header, uncompressed rows).
//
// Files are hostile: every size, offset, count and run is checked against the bytes
// the file has, and the image size is computed in 64 bits and limited before anything
// is allocated for it. A bad file raises EInvalidGraphic naming what is wrong.
#include <cstdint>
#include <vector>

#include "platform/classlib/types.h"
#include "platform/win/types.h"

class TStream;

// A device-independent image as the window system keeps one: rows padded to 4 bytes,
// bottom row first.
struct TDibData {
  Integer Width = 0;
  Integer Height = 0;
  Integer BitCount = 0;  // 1, 4, 8, 16, 24 or 32
  // Channel masks of 16- and 32-bit images. Zero masks mean the plain layouts: 5-5-5 for
  // 16 bits, 8-8-8 for 32 bits (the top byte of each 32-bit pixel kept as it is).
  Cardinal Masks[3] = {0, 0, 0};
  std::vector<win::RGBQUAD> Colors;  // images of up to 8 bits
  std::vector<Byte> Bits;            // Stride() x Height bytes

  Int64 Stride() const { return DibStride(Width, BitCount); }
  static Int64 DibStride(Int64 width, Integer bitCount) { return ((width * bitCount + 31) / 32) * 4; }
  // True when the masks are none or the plain layout of the depth.
  bool PlainMasks() const;
};

// Largest decoded image accepted from a file, in bytes of rows.
inline constexpr Int64 kMaxDibBytes = Int64{1} << 28;
// Largest image any reader of the picture registry decodes: a side, and pixels in all.
inline constexpr Int64 kMaxPictureSide = 65535;
inline constexpr Int64 kMaxPicturePixels = Int64{1} << 27;
inline bool PictureSizeAllowed(Int64 width, Int64 height) {
  return width <= kMaxPictureSide && height <= kMaxPictureSide && width * height <= kMaxPicturePixels;
}

// A BMP file starting at the stream's position. At most `size` bytes are read (fewer when
// the file header gives a smaller file size); the stream is left after the file.
TDibData ReadBmpFile(TStream& stream, Int64 size);
// A packed DIB (info header, colours, rows: a bitmap resource) of `size` bytes.
TDibData ReadPackedDib(TStream& stream, Int64 size);
// Writes the image as a BMP file.
void WriteBmpFile(TStream& stream, const TDibData& dib);

// A BITMAPINFO block for the image (header, masks, colour table), bottom-up.
std::vector<Byte> MakeBitmapInfo(const TDibData& dib);
