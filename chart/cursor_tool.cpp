#include "chart/cursor_tool.h"

#include <cmath>
#include <cstdlib>

#include "chart/axis_panel.h"
#include "chart/chart_axis.h"
#include "chart/chart_canvas.h"
#include "chart/chart_series.h"

const TEnumInfo& CursorToolStyleInfo() {
  static const TEnumInfo info("TCursorToolStyle", {"cssHorizontal", "cssVertical", "cssBoth"});
  return info;
}

const TClass& TCursorTool::StaticClass() {
  static const TClass cls =
      TClass::Of<TCursorTool>("TCursorTool", TChartCustomToolSeries::StaticClass(), &TCursorTool::Publish);
  return cls;
}

void TCursorTool::Publish(TPublished& published) {
  auto p = published.For<TCursorTool>();
  p.Boolean("FollowMouse", &TCursorTool::FollowMouse, &TCursorTool::SetFollowMouse).Default(false);
  p.Object("Pen", &TCustomChartElement::Pen, &TCustomChartElement::SetPen);
  p.Boolean("Snap", &TCursorTool::Snap, &TCursorTool::SetSnap).Default(false);
  p.Enum("Style", CursorToolStyleInfo(), &TCursorTool::Style, &TCursorTool::SetStyle).Default(cssBoth);
  p.Event("OnChange", &TCursorTool::OnChange);
}

TCursorTool::TCursorTool(TComponent* AOwner) : TChartCustomToolSeries(AOwner) {}

void TCursorTool::SetStyle(TCursorToolStyle value) {
  if (style_ == value) return;
  style_ = value;
  SnapToPoint();
  Repaint();
}

void TCursorTool::DoChange(Integer ValueIndex) {
  if (OnChange) OnChange(this, lineX_, lineY_, xValue_, yValue_, Series(), ValueIndex);
}

TRect TCursorTool::CursorArea() {
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  TRect r{0, 0, 0, 0};
  if (h && v) r = TRect{h->StartPixel, v->StartPixel, h->EndPixel, v->EndPixel};
  if (OnGetAxisRect) OnGetAxisRect(this, r);
  return r;
}

namespace {

// The edges belong to the area: the lines may lie on them.
bool InArea(const TRect& R, Integer X, Integer Y) {
  return X >= R.left && X <= R.right && Y >= R.top && Y <= R.bottom;
}

}  // namespace

Byte TCursorTool::HitTest(Integer X, Integer Y) {
  const TPoint p = MouseAt(X, Y, 0);
  if (lineX_ == -1 || lineY_ == -1 || !InArea(CursorArea(), p.x, p.y)) return 0;
  const bool nearH = std::abs(p.y - lineY_) < 3;
  const bool nearV = std::abs(p.x - lineX_) < 3;
  if (style_ == cssBoth && nearH && nearV) return 3;
  if (style_ != cssVertical && nearH) return 1;
  if (style_ != cssHorizontal && nearV) return 2;
  return 0;
}

Integer TCursorTool::SnapToPoint() {
  TChartSeries* s = Series();
  if (!snap_ || !s || s->Count() == 0) return -1;
  const Integer count = s->Count();
  const Integer first = s->FirstValueIndex() == -1 ? 0 : s->FirstValueIndex();
  const Integer last = s->LastValueIndex() == -1 ? count - 1 : s->LastValueIndex();
  if (first < 0 || first >= count || last < 0 || last >= count) return -1;
  Integer best = -1;
  Double bestDistance = 0;
  for (Integer i = first; i <= last; ++i) {
    const Double dx = xValue_ - s->GetXValue(i);
    const Double dy = yValue_ - s->GetYValue(i);
    Double d;
    switch (style_) {
      case cssHorizontal: d = std::fabs(dy); break;
      case cssVertical: d = std::fabs(dx); break;
      default: d = std::sqrt(dx * dx + dy * dy); break;
    }
    if (best == -1 || d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  if (best == -1) return -1;
  if (style_ != cssVertical) yValue_ = s->GetYValue(best);
  if (style_ != cssHorizontal) xValue_ = s->GetXValue(best);
  return best;
}

void TCursorTool::ValuesFrom(Integer X, Integer Y) {
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  if (!h || !v) return;
  if (dragState_ != 2) yValue_ = v->CalcPosPoint(Y);
  if (dragState_ != 1) xValue_ = h->CalcPosPoint(X);
}

void TCursorTool::PlaceFromValues() {
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  if (!h || !v) return;
  lineX_ = h->ValueToPos(xValue_);
  lineY_ = v->ValueToPos(yValue_);
}

void TCursorTool::Place() {
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  if (!h || !v) return;
  if (lineX_ != -1 && lineY_ != -1) {
    PlaceFromValues();
    return;
  }
  // The first drawing puts the cursor in the middle of its area.
  lineX_ = (h->StartPixel + h->EndPixel) / 2;
  lineY_ = (v->StartPixel + v->EndPixel) / 2;
  ValuesFrom(lineX_, lineY_);
  const Integer index = SnapToPoint();
  PlaceFromValues();
  DoChange(index);
}

void TCursorTool::DrawCursorLines() {
  TCustomAxisPanel* chart = ParentChart();
  if (!chart || lineX_ == -1 || lineY_ == -1) return;
  TCanvas3D* canvas = chart->Canvas();
  if (!canvas || !canvas->ReferenceCanvas()) return;
  const TColor back = chart->Color() == clDefault ? clBtnFace : chart->Color();
  canvas->ApplyPen(Pen(), static_cast<TColor>(ColorToRGB(Pen()->Color()) ^ ColorToRGB(back)));
  canvas->Pen()->SetMode(pmXor);
  canvas->Brush()->SetStyle(bsClear);
  const TRect r = CursorArea();
  const bool is3D = chart->View3D();
  if (style_ != cssVertical) {
    if (is3D)
      canvas->HorizLine3D(r.left, r.right, lineY_, 0);
    else
      canvas->HorizontalLine(r.left, r.right, lineY_);
  }
  if (style_ != cssHorizontal) {
    if (is3D)
      canvas->VertLine3D(lineX_, r.top, r.bottom, 0);
    else
      canvas->VerticalLine(lineX_, r.top, r.bottom);
  }
  canvas->Pen()->SetMode(pmCopy);
  // The window now differs from the off-screen picture.
  canvas->MarkBufferStale();
}

void TCursorTool::ChartEvent(TChartToolEvent Event) {
  if (Event != cteAfterDraw || !GetHorizAxis() || !GetVertAxis()) return;
  Place();
  DrawCursorLines();
}

void TCursorTool::ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                                  Integer Y) {
  (void)Button;
  (void)Shift;
  if (!ParentChart() || !GetHorizAxis() || !GetVertAxis()) return;
  switch (Event) {
    case cmeDown:
      if (!followMouse_) {
        dragState_ = HitTest(X, Y);
        if (dragState_ != 0) CancelChartMouse();
      }
      break;
    case cmeUp:
      dragState_ = 0;
      break;
    case cmeMove: {
      const TPoint p = MouseAt(X, Y, 0);
      if ((dragState_ != 0 || followMouse_) && InArea(CursorArea(), p.x, p.y)) {
        DrawCursorLines();  // erases the lines where they were
        ValuesFrom(p.x, p.y);
        const Integer index = SnapToPoint();
        PlaceFromValues();
        DrawCursorLines();
        DoChange(index);
      } else {
        const Byte hit = HitTest(X, Y);
        static constexpr TCursor kCursors[4] = {crDefault, crVSplit, crHSplit, crSizeAll};
        SetChartCursor(kCursors[hit]);
        if (hit != 0) CancelChartMouse();
      }
      break;
    }
  }
}

void TCursorTool::SetSeries(TChartSeries* Value) {
  TChartCustomToolSeries::SetSeries(Value);
  // Before the first drawing there is nothing to move: that drawing places the cursor.
  if (!Value || ComponentState().Contains(csLoading) || lineX_ == -1 || lineY_ == -1) return;
  if (Active()) DrawCursorLines();
  SnapToPoint();
  PlaceFromValues();
  if (Active()) DrawCursorLines();
}
