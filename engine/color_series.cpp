#include "engine/color_series.h"

#include <algorithm>
#include <cmath>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/records.h"
#include "platform/classlib/save_file.h"
#include "platform/classlib/streams.h"

namespace {

constexpr TColor kMarksYellow = 65535;

// Ascending X with NaN last: a strict weak order even for hostile values.
bool KeyBefore(const std::pair<Double, TColor>& a, const std::pair<Double, TColor>& b) {
  return !std::isnan(a.first) && (std::isnan(b.first) || a.first < b.first);
}

}  // namespace

const TClass& TColorSeries::StaticClass() {
  static const TClass cls = TClass::Of<TColorSeries>("TColorSeries", TPointSeries::StaticClass());
  return cls;
}

TColorSeries::TColorSeries(TComponent* AOwner) : TPointSeries(AOwner) {
  SetClickableLine(false);
  Pointer()->SetVisible(true);
  TSeriesMarks* marks = Marks();
  marks->SetVisible(true);
  marks->SetAngle(45);
  marks->SetArrowLength(14);
  marks->SetColor(kMarksYellow);
  marks->SetShadowSize(1);
  marks->SetStyle(smsXValue);
  marks->Font()->SetSize(6);
  marks->Frame()->SetVisible(false);
  ResetDefault();
}

TColor TColorSeries::KeyColor(Integer Index) const {
  const std::vector<TColor>* colours = ValueColors();
  if (!colours || Index < 0 || static_cast<std::size_t>(Index) >= colours->size()) return clDefault;
  return (*colours)[static_cast<std::size_t>(Index)];
}

void TColorSeries::ColorAt(Double X, TColorRGBA& Out) const {
  const Integer n = Count();
  if (n == 0) {
    Out.R = Out.G = Out.B = 1;
    return;
  }
  const Double* xs = XValues()->Values();
  Integer i = 0;
  while (i < n - 1 && xs[i + 1] < X) ++i;
  const Integer j = i < n - 1 ? i + 1 : i;
  // A key shows its full colour one unit before its position.
  const Double a = xs[i] - 1;
  const Double b = xs[j] - 1;
  Double t = a == b ? 0 : (X - a) / (b - a);
  t = std::clamp(t, 0.0, 1.0);
  TColorRGBA from, to;
  ColorToRGB(KeyColor(i), from);
  ColorToRGB(KeyColor(j), to);
  LerpRGB(from, to, Out, static_cast<Single>(t));
}

void TColorSeries::ResetDefault() { SetKeys(Name, {{1.0, clWhite}}); }

void TColorSeries::SetKeys(const std::string& NewName, const std::vector<std::pair<Double, TColor>>& Keys) {
  Name = NewName;
  BeginUpdate();
  Clear();
  for (const auto& [x, colour] : Keys) AddXY(x, 1.0, std::string(), colour);
  EndUpdate();
}

TGradientRecord TGradientRecord::Read(TRecordReader& Reader) {
  TGradientRecord g;
  g.Name = Reader.ShortString(TColorSeries::kNameCapacity, "gradient name");
  const Integer count = Reader.ReadCount("gradient key count", TColorSeries::kKeyBytes);
  // Every sampler reads key 0: a gradient without keys is no gradient.
  if (count == 0) throw EReadError(std::string(msg::ReadError) + " reading gradient keys: the gradient has no keys");
  g.Keys.reserve(static_cast<std::size_t>(count));
  for (Integer i = 0; i < count; ++i) {
    const Double x = Reader.F64("gradient key");
    const TColor colour = Reader.I32("gradient key");
    g.Keys.emplace_back(x, colour);
  }
  // The series keeps its keys in X order, equal X in record order. Sorted keys are
  // appended one by one instead of each searching for its place.
  std::stable_sort(g.Keys.begin(), g.Keys.end(), KeyBefore);
  return g;
}

void TGradientRecord::ApplyTo(TColorSeries& Series) const { Series.SetKeys(Name, Keys); }

void TColorSeries::LoadFromStream(TStream& Stream) {
  TRecordReader r(Stream);
  TGradientRecord::Read(r).ApplyTo(*this);
}

void TColorSeries::SaveToStream(TStream& Stream) const {
  TRecordWriter w(Stream);
  w.ShortString(Name, kNameCapacity);
  const Integer n = Count();
  w.I32(n);
  const Double* xs = XValues()->Values();
  for (Integer i = 0; i < n; ++i) {
    w.F64(xs[i]);
    w.I32(KeyColor(i));
  }
}

void TColorSeries::LoadFromFile(const std::string& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TColorSeries::SaveToFile(const std::string& FileName) const {
  SaveFileWhole(FileName, [this](TStream& s) { SaveToStream(s); });
}
