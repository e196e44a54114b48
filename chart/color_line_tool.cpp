#include "chart/color_line_tool.h"

#include <cstdlib>

#include "chart/axis_panel.h"
#include "chart/chart_axis.h"
#include "chart/chart_canvas.h"

const TClass& TColorLineTool::StaticClass() {
  static const TClass cls =
      TClass::Of<TColorLineTool>("TColorLineTool", TChartCustomToolAxis::StaticClass(), &TColorLineTool::Publish);
  return cls;
}

void TColorLineTool::Publish(TPublished& published) {
  auto p = published.For<TColorLineTool>();
  p.Boolean("AllowDrag", &TColorLineTool::AllowDrag, &TColorLineTool::SetAllowDrag).Default(true);
  p.Object("Pen", &TCustomChartElement::Pen, &TCustomChartElement::SetPen);
  p.Float("Value", &TColorLineTool::Value, &TColorLineTool::SetValue).Default(0);
  p.Event("OnDragLine", &TColorLineTool::OnDragLine);
  p.Event("OnEndDragLine", &TColorLineTool::OnEndDragLine);
}

TColorLineTool::TColorLineTool(TComponent* AOwner) : TChartCustomToolAxis(AOwner) {}

void TColorLineTool::SetValue(Double value) { ChangeDouble(value_, value); }

Integer TColorLineTool::DepthUnder(Integer X, Integer Y) const {
  TChartAxis* axis = Axis();
  TCustomAxisPanel* chart = ParentChart();
  if (!axis || !chart) return -1;
  const Integer at = axis->ValueToPos(value_);
  for (Integer depth : {0, chart->Width3D()}) {
    const TPoint p = MouseAt(X, Y, depth);
    if (std::abs((axis->Horizontal() ? p.x : p.y) - at) < 3) return depth;
  }
  return -1;
}

bool TColorLineTool::Clicked(Integer X, Integer Y) const { return DepthUnder(X, Y) != -1; }

void TColorLineTool::ChartEvent(TChartToolEvent Event) {
  TCustomAxisPanel* chart = ParentChart();
  TChartAxis* axis = Axis();
  if (!chart || !axis || (Event != cteAfterDraw && Event != cteBeforeDrawSeries)) return;
  // In 2D the line is drawn once, before the series; in 3D the front part follows them.
  if (Event == cteAfterDraw && !chart->View3D()) return;
  TCanvas3D* canvas = chart->Canvas();
  canvas->ApplyPen(Pen());
  const Integer p = axis->ValueToPos(value_);
  const TRect& r = chart->ChartRect();
  const Integer depth = chart->Width3D();
  if (Event == cteBeforeDrawSeries) {
    if (axis->Horizontal()) {
      canvas->ZLine3D(p, r.bottom, 0, depth);
      canvas->VertLine3D(p, r.top, r.bottom, depth);
    } else {
      canvas->ZLine3D(r.left, p, 0, depth);
      canvas->HorizLine3D(r.left, r.right, p, depth);
    }
  } else if (axis->Horizontal()) {
    canvas->ZLine3D(p, r.top, 0, depth);
    canvas->VertLine3D(p, r.top, r.bottom, 0);
  } else {
    canvas->ZLine3D(r.right, p, 0, depth);
    canvas->HorizLine3D(r.left, r.right, p, 0);
  }
}

void TColorLineTool::ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                                     Integer Y) {
  (void)Button;
  (void)Shift;
  TChartAxis* axis = Axis();
  if (!allowDrag_ || !axis || !ParentChart()) return;
  switch (Event) {
    case cmeDown:
      dragDepth_ = DepthUnder(X, Y);
      dragging_ = dragDepth_ != -1;
      ParentChart()->SetCancelMouse(dragging_);
      break;
    case cmeMove:
      if (dragging_) {
        const TPoint p = MouseAt(X, Y, dragDepth_);
        SetValue(axis->CalcPosPoint(axis->Horizontal() ? p.x : p.y));
        CancelChartMouse();
        if (OnDragLine) OnDragLine(this);
      } else if (Clicked(X, Y)) {
        SetChartCursor(axis->Horizontal() ? crHSplit : crVSplit);
        CancelChartMouse();
      } else {
        SetChartCursor(crDefault);
      }
      break;
    case cmeUp:
      dragging_ = false;
      if (OnEndDragLine) OnEndDragLine(this);
      break;
  }
}
