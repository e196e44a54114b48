#pragma once
// TColorSeries: a colour gradient. Each key is a point at X = position, Y = 1.0 with the
// key's colour in the colour list; between keys the colour is blended linearly, and a
// key at X reaches its full colour at x = X - 1.
//
// Gradient record (little-endian): name (length byte + 64 bytes), key count i32, then per
// key X f64 and a window-system colour i32. A ".zkg" file holds exactly one record.
#include <string>
#include <utility>
#include <vector>

#include "chart/line_series.h"
#include "engine/float_color.h"
#include "platform/classlib/types.h"

class TColorSeries;
class TRecordReader;
class TStream;

// One gradient record, read and checked in full before any gradient changes.
struct TGradientRecord {
  std::string Name;
  // In X order, equal X in record order.
  std::vector<std::pair<Double, TColor>> Keys;

  // Raises EReadError for a short record, a key count that does not fit in the bytes
  // left, or a record without keys.
  static TGradientRecord Read(TRecordReader& Reader);
  void ApplyTo(TColorSeries& Series) const;
};

class TColorSeries : public TPointSeries {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  static constexpr std::size_t kNameCapacity = 64;
  static constexpr Int64 kHeaderBytes = 65 + 4;
  static constexpr Int64 kKeyBytes = 12;

  // Marks showing each key's X; one white key at X 1.
  explicit TColorSeries(TComponent* AOwner = nullptr);

  // The blended colour at x (R, G, B of Out; A untouched). No keys gives white.
  void ColorAt(Double X, TColorRGBA& Out) const;
  // Removes every key and adds one white key at X 1.
  void ResetDefault();

  // A bad record raises EReadError and leaves the gradient as it was.
  void LoadFromStream(TStream& Stream);
  void SaveToStream(TStream& Stream) const;
  // The file is read whole before the gradient changes; a missing or short file raises
  // and the gradient keeps its keys.
  void LoadFromFile(const std::string& FileName);
  // Creates or truncates the file.
  void SaveToFile(const std::string& FileName) const;

  std::string Name;

 private:
  friend struct TGradientRecord;
  // The colour stored with key i (clDefault when it has none).
  TColor KeyColor(Integer Index) const;
  void SetKeys(const std::string& NewName, const std::vector<std::pair<Double, TColor>>& Keys);
};
