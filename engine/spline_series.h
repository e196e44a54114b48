#pragma once
// TSplineSeries: a line series read as a keyframed curve. Between two keys the value
// follows the cardinal spline through the keys around them; a Quantum of exactly 1.0
// makes it a step curve that holds each key's value up to the next key. The chart draws
// it in red with the spline's own shape.
#include "chart/line_series.h"
#include "platform/classlib/types.h"

class TSplineSeries : public TLineSeries {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TSplineSeries(TComponent* AOwner);

  // The value at x: the segment whose end key lies at or beyond x (else the last key),
  // the spline at the clamped segment fraction, then ClampValue. Step curves give the
  // segment's start key unclamped. A curve without keys gives 0.
  Double ValueAt(Double x) const;
  // Does nothing here; curves with bounds override it.
  virtual void ClampValue(Double& Value) const;
  // Draws the segment from key ValueIndex to the next and the key's pointer (and, for
  // the first visible key, the key before it first).
  void DrawValue(Integer ValueIndex) override;

  // Step of key values; exactly 1.0 makes a step curve.
  Double Quantum = 0;
  // Cardinal-spline tension; 0 draws straight segments.
  Double Tension = 0.3;

 protected:
  bool IsStepCurve() const { return Quantum == 1.0; }
  // Unclamped spline value of segment i (keys i and i + 1) at fraction t in [0, 1].
  Double SegmentValue(Integer i, Double t) const;

 private:
  void DrawKey(Integer ValueIndex);
  void DrawKeyPointer(Integer X, Integer Y);
};
