#include "engine/var_series.h"

#include <algorithm>
#include <cmath>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/records.h"
#include "platform/classlib/streams.h"

namespace {

// Key values the curve editor accepts at most.
constexpr Double kMaxKeyValue = 65000;

// Ascending X with NaN last: a strict weak order even for hostile values.
bool KeyBefore(const std::pair<Double, Double>& a, const std::pair<Double, Double>& b) {
  return !std::isnan(a.first) && (std::isnan(b.first) || a.first < b.first);
}

}  // namespace

// ---- record ------------------------------------------------------------------------------

TCurveRecord TCurveRecord::Read(TRecordReader& Reader) {
  TCurveRecord r;
  r.Name = Reader.ShortString(kNameCapacity, "curve name");
  r.XMode = Reader.U8("curve X mode");
  r.Min = Reader.F64("curve minimum");
  r.Max = Reader.F64("curve maximum");
  r.ClampMode = Reader.U8("curve clamp mode");
  r.Tension = Reader.F64("curve tension");
  const Integer count = Reader.ReadCount("curve key count", kKeyBytes);
  // Every sampler reads key 0: a curve without keys is no curve.
  if (count == 0) throw EReadError(std::string(msg::ReadError) + " reading curve keys: the curve has no keys");
  r.Keys.reserve(static_cast<std::size_t>(count));
  for (Integer i = 0; i < count; ++i) {
    const Double x = Reader.F64("curve key");
    const Double y = Reader.F64("curve key");
    r.Keys.emplace_back(x, y);
  }
  // The series keeps its keys in X order, equal X in record order. Sorted keys are
  // appended one by one instead of each searching for its place.
  std::stable_sort(r.Keys.begin(), r.Keys.end(), KeyBefore);
  return r;
}

void TCurveRecord::ApplyTo(TVarSeries& Series) const {
  Series.Name = Name;
  Series.XMode = XMode;
  Series.Min = Min;
  Series.Max = Max;
  Series.ClampMode = ClampMode;
  Series.Tension = Tension;
  Series.BeginUpdate();
  Series.Clear();
  for (const auto& [x, y] : Keys) Series.AddXY(x, y);
  Series.EndUpdate();
}

// ---- TVarSeries --------------------------------------------------------------------------

const TClass& TVarSeries::StaticClass() {
  static const TClass cls = TClass::Of<TVarSeries>("TVarSeries", TSplineSeries::StaticClass());
  return cls;
}

TVarSeries::TVarSeries(Byte AXMode, Byte AClampMode, Double AMin, Double AMax)
    : TSplineSeries(nullptr), XMode(AXMode), ClampMode(AClampMode), Min(AMin), Max(AMax) {
  SetClickableLine(false);
  Pointer()->SetVisible(true);
  Quantum = 0.01;
}

void TVarSeries::ClampValue(Double& Value) const {
  switch (ClampMode) {
    case cmLower: Value = std::max(Min, Value); break;
    case cmUpper: Value = std::min(Max, Value); break;
    case cmBoth: Value = std::min(Max, std::max(Min, Value)); break;
    default: break;
  }
}

void TVarSeries::ClampKeyX(Integer Index, Double& X) const {
  const bool hasBefore = Index > 0 && Index - 1 < Count();
  const bool hasAfter = Index >= 0 && Index < Count() - 1;
  const Double before = hasBefore ? XValues()->GetValue(Index - 1) : 0;
  const Double after = hasAfter ? XValues()->GetValue(Index + 1) : 0;
  if (hasBefore && before >= X) X = before + 1;
  if (hasAfter && after <= X) X = after - 1;
  if (XMode == xmLifePercent || XMode == xmPercent) X = std::min(100.0, X);
  // The steps above can undo one another (neighbours less than two apart, or a key
  // pushed back to 100 onto its neighbour); the key must still never reach one.
  const bool tooLow = hasBefore && !(X > before);
  const bool tooHigh = hasAfter && !(X < after);
  if (!tooLow && !tooHigh) return;
  if (hasBefore && hasAfter) {
    if (before + 1 < after)
      X = before + 1;
    else if (before < after)
      X = before + (after - before) / 2;
    else
      X = before;  // neighbours out of order: nothing lies between them
  } else if (hasBefore) {
    X = before + 1;
  } else {
    X = after - 1;
  }
}

void TVarSeries::QuantizeValue(Double& Y) const {
  if (Quantum != 0) Y = std::nearbyint(Y / Quantum) * Quantum;
  ClampValue(Y);
  if (Y > kMaxKeyValue) Y = kMaxKeyValue;
}

void TVarSeries::LoadFromStream(TStream& Stream) {
  TRecordReader reader(Stream);
  TCurveRecord::Read(reader).ApplyTo(*this);
}

void TVarSeries::SaveToStream(TStream& Stream) const {
  TRecordWriter w(Stream);
  w.ShortString(Name, TCurveRecord::kNameCapacity);
  w.U8(XMode);
  w.F64(Min);
  w.F64(Max);
  w.U8(ClampMode);
  w.F64(Tension);
  const Integer n = Count();
  w.I32(n);
  const Double* xs = XValues()->Values();
  const Double* ys = YValues()->Values();
  for (Integer i = 0; i < n; ++i) {
    w.F64(xs[i]);
    w.F64(ys[i]);
  }
}
