#include "panels/num_gauge.h"

#include <algorithm>

#include "panels/num_spin_edit.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/math_utils.h"
#include "platform/win/gdi.h"

// ---- the arithmetic ------------------------------------------------------------------------------

TGaugeRange MakeGaugeRange(double gaugeMin, double gaugeMax, double min, double max) {
  TGaugeRange r;
  if (gaugeMin == 0 && gaugeMax == 0) {
    r.Min = min;
    r.Max = max;
  } else {
    r.Min = gaugeMin;
    r.Max = gaugeMax;
  }
  r.Span = r.Max - r.Min;
  if (!(r.Span > 0)) r.Span = 100;
  return r;
}

Integer GaugePixel(double value, const TGaugeRange& range, Integer width) {
  const Int64 x = Round((value - range.Min) * width / range.Span + 1);
  return static_cast<Integer>(std::clamp<Int64>(x, -1, width));
}

Integer GaugeWeight(double value, const TGaugeRange& range, bool centred, double centre) {
  double t;
  if (!centred)
    t = (value - range.Min) * 256 / range.Span + 1;
  else if (value > centre)
    t = (value - centre) * 256 / (range.Max - centre) + 1;
  else
    t = (centre - value) * 256 / (centre - range.Min) + 1;
  // A value outside the gauge range must not run the colour past its ends.
  return static_cast<Integer>(std::clamp<Int64>(Round(t), 0, 256));
}

TColor GaugeColor(TColor begin, TColor end, Integer weight) {
  weight = std::clamp<Integer>(weight, 0, 256);
  auto channel = [&](int shift) {
    const Integer b = (begin >> shift) & 0xFF;
    const Integer e = (end >> shift) & 0xFF;
    return static_cast<Integer>((b + (e - b) * weight / 256) & 0xFF) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

double GaugeValueAt(Integer x, Integer width, const TGaugeRange& range, double increment) {
  if (x + 1 <= 1) return range.Min;
  // A gauge too narrow to measure on reads as its full range.
  const Integer track = std::max<Integer>(width - 2, 1);
  double v = static_cast<double>(x + 1) * range.Span / track + range.Min;
  if (increment > 0) v = static_cast<double>(Round(v / increment)) * increment;
  return v;
}

// ---- TNumGauge --------------------------------------------------------------------------------------------

const TClass& TNumGauge::StaticClass() {
  static const TClass cls = TClass::Of<TNumGauge>("TNumGauge", TCustomControl::StaticClass());
  return cls;
}

TNumGauge::TNumGauge(TComponent* AOwner) : TCustomControl(AOwner), spinEdit_(dynamic_cast<TNumSpinEdit*>(AOwner)) {
  controlStyle_ = TControlStyle{csCaptureMouse, csOpaque};
  SetBounds(Left(), Top(), 100, 7);
}

void TNumGauge::SetGuageBeginColor(TColor value) {
  if (beginColor_ == value) return;
  beginColor_ = value;
  Invalidate();
}

void TNumGauge::SetGuageEndColor(TColor value) {
  if (endColor_ == value) return;
  endColor_ = value;
  Invalidate();
}

void TNumGauge::SetGaugeAroundCenter(double value) {
  if (aroundCenter_ == value) return;
  aroundCenter_ = value;
  Invalidate();
}

TGaugeRange TNumGauge::Range() const {
  if (!spinEdit_) return MakeGaugeRange(0, 0, 0, 100);
  return MakeGaugeRange(spinEdit_->GaugeMinValue(), spinEdit_->GaugeMaxValue(), spinEdit_->MinValue(),
                        spinEdit_->MaxValue());
}

void TNumGauge::Paint() {
  const Integer w = ClientWidth(), h = ClientHeight();
  if (w <= 0 || h <= 0) return;
  // Drawn off-screen, then copied, so a dragged bar does not flicker.
  TBitmap buffer;
  buffer.SetPixelFormat(pf32bit);
  buffer.SetSize(w, h);
  TCanvas* c = buffer.Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(spinEdit_ ? spinEdit_->Color() : clWindow);
  c->FillRect(TRect{0, 0, w, h});

  if (spinEdit_) {
    const TGaugeRange range = Range();
    const double value = spinEdit_->Value();
    const bool centred = aroundCenter_ > range.Min && aroundCenter_ < range.Max;
    const Integer x = GaugePixel(value, range, w);
    c->Brush()->SetColor(GaugeColor(ColorToRGB(beginColor_), ColorToRGB(endColor_),
                                    GaugeWeight(value, range, centred, aroundCenter_)));
    if (!centred) {
      if (x > 0) c->FillRect(TRect{0, 0, x, h});
    } else {
      const Integer xc = GaugePixel(aroundCenter_, range, w);
      if (value != aroundCenter_) c->FillRect(TRect{std::min(xc, x), 0, std::max(xc, x), h});
      c->Pen()->SetStyle(psSolid);
      c->Pen()->SetWidth(1);
      c->Pen()->SetColor(clWindowFrame);
      c->MoveTo(xc, 0);
      c->LineTo(xc, h);
    }
  }
  c->Brush()->SetColor(clBtnFace);
  c->FrameRect(TRect{0, 0, w, h});
  win::BitBlt(Canvas()->Handle(), 0, 0, w, h, c->Handle(), 0, 0, win::SRCCOPY);
}

void TNumGauge::SetValueFromPoint(Integer X) {
  if (!spinEdit_) return;
  spinEdit_->SetValue(GaugeValueAt(X, ClientWidth(), Range(), incrementGauge_));
}

void TNumGauge::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !spinEdit_) return;
  tracking_ = true;
  SetValueFromPoint(X);
  if (spinEdit_->CanFocus()) spinEdit_->SetFocus();
}

void TNumGauge::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (tracking_ && MouseCapture()) SetValueFromPoint(X);
}

void TNumGauge::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft || !tracking_) return;
  tracking_ = false;
  SetValueFromPoint(X);
  SetMouseCapture(false);
  if (spinEdit_ && spinEdit_->AutoSelect()) spinEdit_->SelectAll();
}
