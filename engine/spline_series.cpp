#include "engine/spline_series.h"

#include <algorithm>

#include "chart/axis_panel.h"
#include "chart/chart_canvas.h"
#include "hostbridge/fpu_state.h"

const TClass& TSplineSeries::StaticClass() {
  static const TClass cls = TClass::Of<TSplineSeries>("TSplineSeries", TLineSeries::StaticClass());
  return cls;
}

TSplineSeries::TSplineSeries(TComponent* AOwner) : TLineSeries(AOwner) {}

void TSplineSeries::ClampValue(Double& Value) const { (void)Value; }

Double TSplineSeries::SegmentValue(Integer i, Double t) const {
  const Integer n = Count();
  const Double* ys = YValues()->Values();
  const Integer p0 = i > 0 ? i - 1 : 0;
  const Integer p1 = i;
  const Integer p2 = i < n - 1 ? i + 1 : i;
  const Integer p3 = i < n - 2 ? i + 2 : p2;
  const Double s = Tension;
  const Double t2 = t * t;
  const Double t3 = t2 * t;
  return ys[p0] * (-s * t3 + 2 * s * t2 - s * t) + ys[p1] * ((2 - s) * t3 + (s - 3) * t2 + 1) +
         ys[p2] * ((s - 2) * t3 + (3 - 2 * s) * t2 + s * t) + ys[p3] * (s * t3 - s * t2);
}

Double TSplineSeries::ValueAt(Double x) const {
  const Integer n = Count();
  // Every key lookup below reads key 0.
  if (n == 0) return 0;
  const Double* xs = XValues()->Values();
  const Double* ys = YValues()->Values();
  Integer i = 0;
  while (i < n - 1 && xs[i + 1] < x) ++i;
  if (IsStepCurve()) return ys[i];
  const Integer p2 = i < n - 1 ? i + 1 : i;
  const Double span = xs[p2] - xs[i];
  Double t = span == 0 ? 0 : (x - xs[i]) / span;
  t = std::clamp(t, 0.0, 1.0);
  Double value = SegmentValue(i, t);
  ClampValue(value);
  return value;
}

// ---- drawing -----------------------------------------------------------------------------

void TSplineSeries::DrawValue(Integer ValueIndex) {
  if (!ParentCanvas() || ValueIndex < 0 || ValueIndex >= Count()) return;
  ClearFpuState();
  // The segment into the first visible key starts at the key before it.
  if (!IsStepCurve() && ValueIndex == FirstValueIndex() && ValueIndex >= 1) DrawKey(ValueIndex - 1);
  DrawKey(ValueIndex);
}

void TSplineSeries::DrawKey(Integer ValueIndex) {
  TCanvas3D* canvas = ParentCanvas();
  const Integer x = CalcXPos(ValueIndex);
  const Integer y = CalcYPos(ValueIndex);
  canvas->ApplyPen(LinePen(), clRed);
  canvas->Brush()->SetStyle(bsClear);
  if (IsStepCurve()) {
    const Integer prev = ValueIndex > 0 ? ValueIndex - 1 : 0;
    const Integer px = CalcXPos(prev);
    const Integer py = CalcYPos(prev);
    canvas->MoveToPoint(px, py);
    canvas->LineToPoint(x, py);
    canvas->LineToPoint(x, y);
  } else if (ValueIndex < Count() - 1) {
    const Integer x1 = CalcXPos(ValueIndex + 1);
    if (Tension == 0) {
      canvas->MoveToPoint(x, y);
      canvas->LineToPoint(x1, CalcYPos(ValueIndex + 1));
    } else {
      const Integer dx = x1 - x;
      const Integer pieces = std::max(1, (dx + 3) / 4);
      TCanvas* reference = canvas->ReferenceCanvas();
      const Integer clipRight = reference ? reference->ClipRect().right : x1;
      for (Integer k = 0; k <= pieces; ++k) {
        const Integer px = x + static_cast<Integer>(static_cast<Int64>(k) * dx / pieces);
        Double value = SegmentValue(ValueIndex, static_cast<Double>(k) / pieces);
        ClampValue(value);
        const Integer py = CalcYPosValue(value);
        if (k == 0)
          canvas->MoveToPoint(px, py);
        else
          canvas->LineToPoint(px, py);
        if (px > clipRight) break;
      }
    }
  }
  DrawKeyPointer(x, y);
}

void TSplineSeries::DrawKeyPointer(Integer X, Integer Y) {
  if (!Pointer()->Visible()) return;
  TCanvas3D* canvas = ParentCanvas();
  canvas->ApplyPen(Pointer()->Pen(), clBlack);
  canvas->SetSolidBrush(clRed);
  Pointer()->Draw(X, Y, clRed, Pointer()->Style());
}
