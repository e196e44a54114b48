#pragma once
// TByteMap: one byte per pixel, row after row, exchanged with one channel of a
// TBitmap32.
#include "bitmaps/color32.h"
#include "bitmaps/custom_map.h"

class TBitmap32;

// The channel ReadFrom takes and WriteTo fills. The two greys read as the plain
// average (bcUniformGrey) or the weighted Intensity (bcWeightedGrey) and write an
// opaque grey pixel.
enum TByteChannel { bcRed, bcGreen, bcBlue, bcAlpha, bcUniformGrey, bcWeightedGrey };

class TByteMap : public TCustomMap {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TByteMap() = default;

  // From a TByteMap (size and bytes) or a TBitmap32 (its weighted grey); anything else:
  // the class library's assignment.
  void Assign(TPersistent* Source) override;
  bool Empty() const override { return bits_.empty(); }
  // Sides below 0 count as 0. On a change the bytes are kept up to the new length
  // (new ones are 0), then Changed. A map beyond 2^31 bytes raises EOutOfMemory and
  // nothing changes.
  bool SetSize(Integer NewWidth, Integer NewHeight) override;

  void ReadFrom(TBitmap32* Source, TByteChannel Channel);
  void WriteTo(TBitmap32* Dest, TByteChannel Channel);

  TArrayOfByte& Bits() { return bits_; }
  const TArrayOfByte& Bits() const { return bits_; }
  Byte Value(Integer X, Integer Y) const { return bits_[static_cast<std::size_t>(Y) * width_ + X]; }

 protected:
  // To a TBitmap32: WriteTo(Dest, bcUniformGrey).
  void AssignTo(TPersistent* Dest) override;

 private:
  TArrayOfByte bits_;
};
