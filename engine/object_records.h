#pragma once
// Layout of the emitter object record and the particle system record (versions 101 and
// 100). The records carry no version of their own: the file or chunk that holds them
// does, and the readers take it as an argument.
//
// Emitter object record, version 101: name (short string 32), StartOffset i32, the
// activity curve record, RateSizeScale u8, SpeedLifeGravityScale u8, Enabled u8,
// FreezeFrame i32, 121 reserved bytes, system count i32, the particle system records.
// Version 100: name, StartOffset, the curve, the two scale bytes, 126 reserved bytes,
// the count and version-100 particle system records.
//
// Particle system record, version 101: the system's and the emitter's curve lists, the
// base colour and particle colour gradients, the map source record, then LoopPeriod,
// LoopCount, RenderMode, MapMode, MapCycle, FixedMapIndex (i32 each), Enabled u8, name
// (short string 32), Radius f32, Shape, ColorMode, FocusShape, BaseColorMode,
// MaxPixelSize (i32 each), SpatialDither f32, 112 reserved bytes. Version 100 has no
// base colour gradient and ends after ColorMode with 128 reserved bytes.
//
// Reserved bytes are passed over by moving the position: absent at the end of a stream.
#include "platform/classlib/types.h"

inline constexpr Int64 kEmitterReserved101 = 121;
inline constexpr Int64 kEmitterReserved100 = 126;
inline constexpr Int64 kSystemReserved101 = 112;
inline constexpr Int64 kSystemReserved100 = 128;
inline constexpr std::size_t kObjectNameCapacity = 32;

// The fewest bytes a particle system record of a version can take (its reserved area
// may be absent); a system count is checked against it.
Int64 MinSystemRecordBytes(Integer Version);

// A maximum pixel size as read: below 256 it becomes 2048; above 8192 it is 8192.
Integer MaxPixelSizeFromRecord(Integer Stored);
