#pragma once
// The "Internal" item format and the kit's container files, byte for byte (little-endian).
//
// Item header: a flag byte; when flag 2, a length byte and that many characters of the
// description; when flag 4, the ident as 4 bytes (its low 16 bits are kept).
//   flag 1    payload compressed          flag 16/32/64  pixel format code 1/2/3
//   flag 2    description not empty       flag 128       always 0
//   flag 4    ident not 0
//   flag 8    payload present (string, bitmap and wave items)
//
// Text block: 4-byte length n and n bytes, or compressed: a compressed stream of the text.
// Bitmap block: 4-byte length n and a BMP file of n bytes (the bitmap's own format, or
// built at 1, 4 or 8 bits), or compressed: a compressed stream of that BMP file.
//
// Container stream: 4-byte item count; with an index (and items) a table of the items'
// absolute positions; then every item's data. Container file: a signature (length byte 8
// and eight characters naming the kind), then the container stream with its index.
//
// Readers trust nothing: every length and count is checked against the bytes left (and
// the stated limits) before anything is allocated, and a bad stream raises EReadError
// (or EKitCompressedData for a damaged compressed stream) saying what was wrong.
#include <string>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/types.h"

// Header flag bits.
inline constexpr Byte kKitFlagCompressed = 0x01;
inline constexpr Byte kKitFlagDescription = 0x02;
inline constexpr Byte kKitFlagIdent = 0x04;
inline constexpr Byte kKitFlagPayload = 0x08;
inline constexpr Byte kKitFlagFormatMono = 0x10;
inline constexpr Byte kKitFlagFormat4Bit = 0x20;
inline constexpr Byte kKitFlagFormat8Bit = 0x40;

inline constexpr std::size_t kKitMaxDescription = 255;

// How a bitmap is saved: its own format, or 2, 16 or 256 colours.
enum TKitSavePixelFormat : Byte { spfDefault, spfMono, spf4bit, spf8bit };

// Kinds of container; the file signatures follow the order.
enum TKitContainerKind : Byte {
  ckImageList,
  ckBitmapList,
  ckWaveList,
  ckStringList,
  ckGlyphList,
  ckRichTextList,
  ckNone
};

// "KITIML30", "KITBML30", "KITWVL30", "KITSLL30", "KITGLL50", "KITRTL50"; "" for ckNone.
std::string KitContainerSignature(TKitContainerKind Kind);
// The kind a stored signature field (length byte included) names; ckNone when unknown.
TKitContainerKind KitContainerKindOf(const std::string& SignatureField);
// Export file extensions by kind: "iml", "bmp", "wav", "txt", "*", "rtf"; with a dot
// when asked.
std::string KitContainerExtension(TKitContainerKind Kind, bool WithDot);

// ---- item header ---------------------------------------------------------------------------

struct TKitItemHeader {
  Byte Flags = 0;
  std::string Description;
  Word Ident = 0;
};

// The flag bits of a pixel format code (0..3), and back (no bit: 0).
Byte KitPixelFormatFlags(TKitSavePixelFormat Format);
TKitSavePixelFormat KitPixelFormatOfFlags(Byte Flags);

// Writes the flag byte and the fields it announces. The description is cut to 255.
void WriteItemHeader(TStream& Stream, const TKitItemHeader& Header);
TKitItemHeader ReadItemHeader(TStream& Stream);

// ---- blocks --------------------------------------------------------------------------------

void WriteTextBlock(TStream& Stream, const std::string& Text, bool Compressed);
std::string ReadTextBlock(TStream& Stream, bool Compressed);

// Writes the bitmap as a bitmap block. spfDefault writes the bitmap's own BMP file; the
// others build one at 1, 4 or 8 bits, and raise Exception "Bitmap image is not valid" for
// a bitmap without an image.
void WriteBitmapBlock(TStream& Stream, TBitmap* Bitmap, TKitSavePixelFormat Format, bool Compressed);
// Reads a bitmap block into `Bitmap` (any BMP file is accepted; length 0 empties it).
// The bitmap is only replaced when the whole block was good.
void ReadBitmapBlock(TStream& Stream, TBitmap* Bitmap, bool Compressed);

// A BMP file of the bitmap's device-independent bits at `BitCount` bits per pixel (1, 4,
// 8 or 24; 16 and 32 are written as 24): file header, 40-byte info header, colour table
// (4 x 2^bits bytes up to 8 bits), rows. Raises Exception "Bitmap image is not valid" for
// a bitmap without an image.
void WriteBitmapAtDepth(TStream& Stream, TBitmap* Bitmap, Integer BitCount);

// ---- container files -----------------------------------------------------------------------

// The 9-byte signature field of a kind.
void WriteContainerSignature(TStream& Stream, TKitContainerKind Kind);
// Reads the 9-byte signature field; ckNone when it names no kind.
TKitContainerKind ReadContainerSignature(TStream& Stream);

// The item count and positions of a container stream with an index, read and checked:
// every position lies inside the stream, after the table.
struct TKitContainerIndex {
  Integer Count = 0;
  std::vector<Int64> Positions;
};
TKitContainerIndex ReadContainerIndex(TStream& Stream);

// Raises Exception "Cannot open file %s: <FileName>" (the runtime's text, unformatted).
[[noreturn]] void RaiseContainerFileError(const std::string& FileName);
