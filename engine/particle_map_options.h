#pragma once
// TParticleMapOptions: how one particle image is applied (strength, mirroring, the
// point of the image placed on the particle), and its 45-byte record.
#include "platform/classlib/object.h"
#include "platform/classlib/types.h"

class TStream;

class TParticleMapOptions : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Alpha, Flip, OriginX, OriginY, then a reserved block.
  static constexpr Int64 kRecordSize = 45;
  static constexpr Int64 kFieldBytes = 13;
  static constexpr Int64 kReservedBytes = 32;

  TParticleMapOptions() = default;

  // The reserved block is passed over, not written (see records.h).
  void SaveToStream(TStream& Stream) const;
  // All fields are read before any changes; a short record raises EReadError and
  // leaves the options as they were.
  void LoadFromStream(TStream& Stream);

  // Multiplies the particle's alpha at render time.
  Single Alpha = 0.2f;
  // 0 none, 1 horizontal, 2 vertical, 3 both.
  Byte Flip = 0;
  // Fractions of the image's width and height.
  Single OriginX = 0.5f;
  Single OriginY = 0.5f;
};
