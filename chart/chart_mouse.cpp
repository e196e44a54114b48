// The chart control's mouse: which part a button went down on, zoom and pan drags, the
// cursor over series, and the wheel.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "chart/chart_control.h"
#include "chart/chart_series.h"

namespace {

// Keys that must be held for a pan drag; none.
const TShiftState kPanningKeyShift{};

}  // namespace

void TCustomChart::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  // The form's handler and the listeners see the button first.
  TCustomAxisPanel::MouseDown(Button, Shift, X, Y);
  if (CancelMouse() || Zoom()->Active || Panning()->Active) return;
  SetCancelMouse(false);
  BroadcastMouseEvent(cmeDown, Button, Shift, X, Y);
  if (CancelMouse()) return;

  const TChartClickedPart part = CalcClickedPart(TPoint{X, Y}, true);
  bool handled = false;
  bool backgroundTold = false;
  switch (part.Part) {
    case cpLegend: {
      // Check boxes switch series; a legend of values has none to switch.
      if (legend_->CheckBoxes() && legend_->EffectiveStyle() != lsValues) {
        if (TChartSeries* s = legend_->SeriesAt(part.PointIndex)) {
          s->SetActive(!s->Active());
          handled = true;
        }
      }
      if (OnClickLegend) {
        SetCancelMouse(true);
        OnClickLegend(this, Button, Shift, X, Y);
        handled = CancelMouse();
      }
      break;
    }
    case cpAxis:
      if (OnClickAxis) {
        SetCancelMouse(true);
        OnClickAxis(this, part.AAxis, Button, Shift, X, Y);
        handled = CancelMouse();
      }
      if (!handled) StartZoomOrPan(Button, Shift, X, Y);
      break;
    case cpSeries: {
      TChartSeries* s = part.ASeries;
      if (Shift.Contains(ssDouble)) {
        if (s->OnDblClick) s->OnDblClick(s, part.PointIndex, Button, Shift, X, Y);
      } else if (s->OnClick) {
        s->OnClick(s, part.PointIndex, Button, Shift, X, Y);
      }
      if (OnClickSeries) {
        SetCancelMouse(true);
        OnClickSeries(this, s, part.PointIndex, Button, Shift, X, Y);
      }
      handled = CancelMouse();
      if (!handled) StartZoomOrPan(Button, Shift, X, Y);
      break;
    }
    case cpTitle:
    case cpSubTitle:
    case cpFoot:
    case cpSubFoot:
      if (OnClickTitle) {
        TChartTitle* title = part.Part == cpTitle      ? title_.get()
                             : part.Part == cpSubTitle ? subTitle_.get()
                             : part.Part == cpFoot     ? foot_.get()
                                                       : subFoot_.get();
        SetCancelMouse(true);
        OnClickTitle(this, title, Button, Shift, X, Y);
        handled = CancelMouse();
      }
      if (!handled) StartZoomOrPan(Button, Shift, X, Y);
      break;
    case cpChartRect:
      // Told once: the unhandled case below must not tell it again.
      if (OnClickBackground) {
        OnClickBackground(this, Button, Shift, X, Y);
        backgroundTold = true;
        handled = CancelMouse();
      }
      if (!handled) StartZoomOrPan(Button, Shift, X, Y);
      break;
    case cpSeriesMarks:
    case cpNone:
      break;
  }
  if (!handled && !backgroundTold && OnClickBackground) OnClickBackground(this, Button, Shift, X, Y);
  SetCancelMouse(false);
}

void TCustomChart::StartZoomOrPan(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (!AxesInUse()) return;

  bool started = false;
  TChartZoom* zoom = Zoom();
  const TRect& r = ChartRect();
  if (zoom->Allow() && Button == zoom->MouseButton() && zoom->KeyShift() <= Shift) {
    if (zoom->Direction() == tzdVertical) X = r.left;
    if (zoom->Direction() == tzdHorizontal) Y = r.top;
    zoom->Start(X, Y);
    if (zoom->Direction() == tzdVertical) zoom->X1 = r.right;
    if (zoom->Direction() == tzdHorizontal) zoom->Y1 = r.bottom;
    DrawZoomFrame();
    started = true;
  }
  if (AllowPanning() != pmNone && Button == scrollMouseButton_ && kPanningKeyShift <= Shift) {
    Panning()->Start(X, Y);
    started = true;
  }
  if (started) SetCursor(crDefault);
}

void TCustomChart::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomAxisPanel::MouseMove(Shift, X, Y);
  if (ComponentState().Contains(csDesigning)) return;
  BroadcastMouseEvent(cmeMove, mbLeft, Shift, X, Y);
  if (CancelMouse()) return;

  TChartZoom* zoom = Zoom();
  const TRect& r = ChartRect();
  if (zoom->Active) {
    const Integer x1 = zoom->Direction() == tzdVertical ? r.right : X;
    const Integer y1 = zoom->Direction() == tzdHorizontal ? r.bottom : Y;
    if (x1 == zoom->X1 && y1 == zoom->Y1) return;
    DrawZoomFrame();
    zoom->X1 = x1;
    zoom->Y1 = y1;
    DrawZoomFrame();
    return;
  }
  if (Panning()->Active) {
    if (X >= r.left && X < r.right && Y >= r.top && Y < r.bottom) {
      if (X != Panning()->X1 || Y != Panning()->Y1) PanTo(X, Y);
    } else {
      Panning()->Active = false;
    }
    return;
  }
  // The cursor of the series under the mouse; away from it, the chart's own again. A
  // cursor someone else set (the form's handler, a tool) is left alone.
  const std::vector<TChartSeries*> order = SeriesInDrawOrder();
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    TChartSeries* s = *it;
    if (s->Cursor() != crDefault && s->Clicked(X, Y) >= 0) {
      SetCursor(s->Cursor());
      seriesCursorShown_ = true;
      return;
    }
  }
  if (seriesCursorShown_) {
    seriesCursorShown_ = false;
    SetCursor(savedCursor_);
  }
}

TPoint TCustomChart::MouseInSeriesPlane(Integer X, Integer Y) const { return InSpace(X, Y, Width3D() / 2); }

void TCustomChart::PanTo(Integer X, Integer Y) {
  SaveAxes();
  const TPanningMode mode = AllowPanning();
  const TPoint from = MouseInSeriesPlane(Panning()->X1, Panning()->Y1);
  const TPoint to = MouseInSeriesPlane(X, Y);
  bool moved = false;
  for (Integer i = 0; i < Axes()->Count(); ++i) {
    TChartAxis* axis = Axes()->Axis(i);
    if (axis->IsDepthAxis()) continue;
    const bool horizontal = axis->Horizontal();
    if (horizontal && mode != pmHorizontal && mode != pmBoth) continue;
    if (!horizontal && mode != pmVertical && mode != pmBoth) continue;
    const Integer a = horizontal ? from.x : from.y;
    const Integer b = horizontal ? to.x : to.y;
    if (a == b) continue;
    // The data under the mouse follows it.
    const Double delta = axis->CalcPosPoint(a) - axis->CalcPosPoint(b);
    Double lo = axis->RangeMin + delta;
    Double hi = axis->RangeMax + delta;
    bool allow = true;
    if (OnAllowScroll) OnAllowScroll(axis, lo, hi, allow);
    if (!allow || !std::isfinite(lo) || !std::isfinite(hi)) continue;
    axis->SetMinMax(lo, hi);
    // Further moves before the next paint start from the new limits.
    axis->RecalcLimits();
    moved = true;
  }
  Panning()->X1 = X;
  Panning()->Y1 = Y;
  if (moved) {
    SetZoomed(true);
    if (OnScroll) OnScroll(this);
    Invalidate();
  }
}

void TCustomChart::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomAxisPanel::MouseUp(Button, Shift, X, Y);
  TChartZoom* zoom = Zoom();
  if (zoom->Active && Button == zoom->MouseButton()) {
    zoom->Active = false;
    DrawZoomFrame();
    const TRect& r = ChartRect();
    zoom->X1 = zoom->Direction() == tzdVertical ? r.right : X;
    zoom->Y1 = zoom->Direction() == tzdHorizontal ? r.bottom : Y;
    const Integer minimum = zoom->MinimumPixels();
    if (std::abs(zoom->X1 - zoom->X0) > minimum && std::abs(zoom->Y1 - zoom->Y0) > minimum) {
      // Dragged towards bottom-right: zoom in; any other way: back to the saved view.
      if (zoom->X0 < zoom->X1 && zoom->Y0 < zoom->Y1) {
        // What the mouse went round, as drawn; a one-way zoom keeps the other way whole.
        TPoint a = MouseInSeriesPlane(zoom->X0, zoom->Y0), b = MouseInSeriesPlane(zoom->X1, zoom->Y1);
        if (zoom->Direction() == tzdVertical) a.x = r.left, b.x = r.right;
        if (zoom->Direction() == tzdHorizontal) a.y = r.top, b.y = r.bottom;
        ZoomRect(TRect{a.x, a.y, b.x, b.y});
      } else
        UndoZoom();
    }
    Invalidate();
  }
  Panning()->Active = false;
  BroadcastMouseEvent(cmeUp, Button, Shift, X, Y);
}

bool TCustomChart::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  bool handled = TCustomAxisPanel::DoMouseWheel(Shift, WheelDelta, MousePos);
  if (handled || !ChartUseMouseWheel || WheelDelta == 0) return handled;
  const Integer steps = std::max(1, std::abs(WheelDelta) / 120);
  for (Integer i = 0; i < steps; ++i) ScrollVerticalAxes(WheelDelta > 0);
  return true;
}

void TCustomChart::ScrollVerticalAxes(bool Up) {
  for (Integer i = 0; i < Axes()->Count(); ++i) {
    TChartAxis* axis = Axes()->Axis(i);
    if (axis->IsDepthAxis() || axis->Horizontal()) continue;
    const Double offset = 0.03 * (axis->Maximum() - axis->Minimum());
    axis->ShiftRange(Up ? -offset : offset, false);
  }
}
