#pragma once
// TNumGauge: the thin bar under a spin edit's text showing where the value lies in the
// gauge range, coloured from GuageBeginColor toward GuageEndColor by how far it got. A
// centre inside the range makes the bar grow from the centre either way. Clicking or
// dragging on it sets the value.
#include "platform/classlib/win_control.h"

class TNumSpinEdit;

// The range the gauge shows: the gauge bounds, or the edit's bounds when both are 0;
// a span that is not positive counts as 100.
struct TGaugeRange {
  double Min = 0;
  double Max = 100;
  double Span = 100;
};
TGaugeRange MakeGaugeRange(double gaugeMin, double gaugeMax, double min, double max);

// The bar's end for a value: min(width, round((value - min) x width / span + 1)).
Integer GaugePixel(double value, const TGaugeRange& range, Integer width);
// How far toward the end colour the bar is, 0 .. 256. With a centre strictly inside the
// range it is measured from the centre toward the end the value lies on.
Integer GaugeWeight(double value, const TGaugeRange& range, bool centred, double centre);
// begin + ((end - begin) x weight) div 256 for each of red, green and blue (RGB colours).
TColor GaugeColor(TColor begin, TColor end, Integer weight);
// The value for a mouse x: the range's minimum at x <= 0, else
// (x + 1) x span / (width - 2) + min, rounded to a multiple of `increment` when positive.
double GaugeValueAt(Integer x, Integer width, const TGaugeRange& range, double increment);

class TNumGauge : public TCustomControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TNumGauge(TComponent* AOwner);

  TNumSpinEdit* SpinEdit() const { return spinEdit_; }

  TColor GuageBeginColor() const { return beginColor_; }
  void SetGuageBeginColor(TColor value);
  TColor GuageEndColor() const { return endColor_; }
  void SetGuageEndColor(TColor value);
  // Values picked with the mouse snap to multiples of this when it is positive.
  double IncrementGauge() const { return incrementGauge_; }
  void SetIncrementGauge(double value) { incrementGauge_ = value; }
  double GaugeAroundCenter() const { return aroundCenter_; }
  void SetGaugeAroundCenter(double value);

  TGaugeRange Range() const;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

 private:
  void SetValueFromPoint(Integer X);

  TNumSpinEdit* spinEdit_ = nullptr;
  TColor beginColor_ = clHighlight;
  TColor endColor_ = clRed;
  double incrementGauge_ = 0;
  double aroundCenter_ = 0;
  bool tracking_ = false;
};
