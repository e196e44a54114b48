#pragma once
// TVarSeries: the engine's keyframed curve: a spline series with a name, an X mode and
// bounds on its values, and its byte record.
//
// Curve record (little-endian): name (length byte + 64 bytes), XMode u8, Min f64, Max f64,
// ClampMode u8, Tension f64, key count i32, then per key X f64 and Y f64. The quantum is
// not stored: a curve keeps the one it was created with.
#include <string>
#include <utility>
#include <vector>

#include "engine/spline_series.h"
#include "platform/classlib/types.h"

class TStream;
class TRecordReader;

// X modes.
inline constexpr Byte xmLifePercent = 0;
inline constexpr Byte xmFrames = 1;
inline constexpr Byte xmPercent = 2;

// Clamp modes.
inline constexpr Byte cmNone = 0;
inline constexpr Byte cmLower = 1;
inline constexpr Byte cmUpper = 2;
inline constexpr Byte cmBoth = 3;

class TVarSeries;

// One curve record, read and checked in full before any curve changes.
struct TCurveRecord {
  static constexpr std::size_t kNameCapacity = 64;
  // Name, modes, bounds, tension and count: the bytes before the keys.
  static constexpr Int64 kHeaderBytes = 65 + 1 + 8 + 8 + 1 + 8 + 4;
  static constexpr Int64 kKeyBytes = 16;

  std::string Name;
  Byte XMode = 0;
  Double Min = 0;
  Double Max = 0;
  Byte ClampMode = 0;
  Double Tension = 0;
  std::vector<std::pair<Double, Double>> Keys;

  // Raises EReadError for a short record, a key count that does not fit in the bytes
  // left, or a record without keys.
  static TCurveRecord Read(TRecordReader& Reader);
  // Replaces the curve's fields and keys (one update bracket; keys without labels, in
  // the series' default colour). Quantum stays.
  void ApplyTo(TVarSeries& Series) const;
};

class TVarSeries : public TSplineSeries {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // No owner, no line hits, visible pointers, Quantum 0.01, no keys.
  TVarSeries(Byte AXMode, Byte AClampMode, Double AMin, Double AMax);

  // Mode 1: at least Min; 2: at most Max; 3: both; 0: unchanged.
  void ClampValue(Double& Value) const override;
  // Keeps key Index's new X after the key before it and before the key after it, and
  // at most 100 in the percent modes; the key always ends strictly between its
  // neighbours.
  void ClampKeyX(Integer Index, Double& X) const;
  // Rounds to the quantum (halves to even), clamps, and caps at 65000.
  void QuantizeValue(Double& Y) const;

  // A bad record raises EReadError and leaves the curve as it was.
  void LoadFromStream(TStream& Stream);
  void SaveToStream(TStream& Stream) const;

  std::string Name;
  Byte XMode = xmLifePercent;
  Byte ClampMode = cmNone;
  Double Min = 0;
  Double Max = 0;
};
