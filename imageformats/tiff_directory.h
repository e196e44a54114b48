#pragma once
// One TIFF image directory, read from a region of a stream.
//
// Every offset in the file counts from the region's start (the image start); every
// value that lies outside the entry is checked against the region's end before it is
// read or anything is allocated for it. Entry values are kept as the four raw bytes of
// the value field and decoded in the file's byte order, so pairs of 16-bit values come
// out in the order they were written whatever the byte order.
#include <vector>

#include "imageformats/image_format_graphic.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/types.h"

// Field types.
inline constexpr Word ttByte = 1;
inline constexpr Word ttAscii = 2;
inline constexpr Word ttShort = 3;
inline constexpr Word ttLong = 4;
inline constexpr Word ttRational = 5;
inline constexpr Word ttSByte = 6;
inline constexpr Word ttUndefined = 7;
inline constexpr Word ttSShort = 8;
inline constexpr Word ttSLong = 9;
inline constexpr Word ttSRational = 10;

// Tags the readers use.
namespace tifftag {
inline constexpr Word ImageWidth = 256;
inline constexpr Word ImageLength = 257;
inline constexpr Word BitsPerSample = 258;
inline constexpr Word Compression = 259;
inline constexpr Word Photometric = 262;
inline constexpr Word FillOrder = 266;
inline constexpr Word StripOffsets = 273;
inline constexpr Word SamplesPerPixel = 277;
inline constexpr Word RowsPerStrip = 278;
inline constexpr Word StripByteCounts = 279;
inline constexpr Word XResolution = 282;
inline constexpr Word YResolution = 283;
inline constexpr Word PlanarConfig = 284;
inline constexpr Word Group3Options = 292;
inline constexpr Word ResolutionUnit = 296;
inline constexpr Word Predictor = 317;
inline constexpr Word ColorMap = 320;
inline constexpr Word TileWidth = 322;
inline constexpr Word TileLength = 323;
inline constexpr Word TileOffsets = 324;
inline constexpr Word TileByteCounts = 325;
inline constexpr Word ExtraSamples = 338;
inline constexpr Word JPEGTables = 347;
inline constexpr Word YCbCrCoefficients = 529;
inline constexpr Word YCbCrSubSampling = 530;
inline constexpr Word YCbCrPositioning = 531;
}  // namespace tifftag

struct TTIFFEntry {
  Word Tag = 0;
  Word Type = 0;
  Cardinal Count = 0;
  Byte Value[4] = {0, 0, 0, 0};  // raw value field, in the file's byte order
};

// Size in bytes of one value of a field type; 0 for types this reader does not read.
Cardinal TIFFTypeSize(Word Type);

class TTIFFDirectory {
 public:
  // Reads the 8-byte header at Base, walks the directory chain to image ImageIndex
  // and reads its entries. Limit is the end of the TIFF data in the stream. Answers
  // False for a header that is not TIFF (wrong mark or version) or a chain that ends
  // before the index; raises EInvalidGraphic (FormatName in the message) for entries
  // or offsets that lie outside the data.
  bool Read(TStream& Stream, Int64 Base, Int64 Limit, Cardinal ImageIndex, const char* FormatName);

  bool BigEndian() const { return FBigEndian; }
  Cardinal Version() const { return FVersion; }
  Cardinal FirstIFD() const { return FFirstIFD; }
  const std::vector<TTIFFEntry>& Entries() const { return FEntries; }

  // The first entry of the tag, or nullptr.
  const TTIFFEntry* Find(Word Tag) const;

  // A single integer value (count 1, type BYTE, SHORT, SSHORT, LONG or SLONG); the
  // default when the tag is absent or has another count or type.
  Cardinal GetValue(Word Tag, Cardinal Default) const;
  // A single integer or rational value; the default when absent.
  Single GetFloatValue(Word Tag, Single Default) const;
  // Every value of the tag (integers: as stored; rationals: numerator / denominator).
  // Absent tags give empty lists. Byte lists take the low 8 bits of each value.
  void GetValueList(Word Tag, TCardinalArray& Values) const;
  void GetValueList(Word Tag, TByteArray& Values) const;
  void GetValueList(Word Tag, TFloatArray& Values) const;

  // The raw bytes of the tag's values (count x type size), for byte-typed blobs.
  void GetRawData(Word Tag, TByteArray& Data) const;

  // Reads Count bytes at Offset (relative to the image start) after checking they lie
  // inside the data.
  void ReadAt(Cardinal Offset, void* Buffer, Cardinal Count) const;
  // Whether Count bytes at Offset lie inside the data.
  bool InRange(Cardinal Offset, Cardinal Count) const;

  Word Load16(const Byte* P) const;
  Cardinal Load32(const Byte* P) const;

 private:
  // Bytes of all the entry's values; checks an out-of-entry block against the data.
  void ValueBytes(const TTIFFEntry& Entry, TByteArray& Data) const;
  [[noreturn]] void Fail() const;

  TStream* FStream = nullptr;
  Int64 FBase = 0;
  Int64 FLimit = 0;
  const char* FFormatName = "";
  bool FBigEndian = false;
  Cardinal FVersion = 0;
  Cardinal FFirstIFD = 0;
  std::vector<TTIFFEntry> FEntries;
};
