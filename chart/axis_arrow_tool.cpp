#include "chart/axis_arrow_tool.h"

#include <cstdlib>

#include "chart/axis_panel.h"
#include "chart/chart_axis.h"
#include "chart/chart_canvas.h"

const TEnumInfo& AxisArrowToolPositionInfo() {
  static const TEnumInfo info("TAxisArrowToolPosition", {"aaStart", "aaEnd", "aaBoth"});
  return info;
}

const TClass& TAxisArrowTool::StaticClass() {
  static const TClass cls =
      TClass::Of<TAxisArrowTool>("TAxisArrowTool", TChartCustomToolAxis::StaticClass(), &TAxisArrowTool::Publish);
  return cls;
}

void TAxisArrowTool::Publish(TPublished& published) {
  auto p = published.For<TAxisArrowTool>();
  p.Object("Brush", &TCustomChartElement::Brush, &TCustomChartElement::SetBrush);
  p.Integer("Length", &TAxisArrowTool::Length, &TAxisArrowTool::SetLength).Default(16);
  p.Object("Pen", &TCustomChartElement::Pen, &TCustomChartElement::SetPen);
  p.Enum("Position", AxisArrowToolPositionInfo(), &TAxisArrowTool::Position, &TAxisArrowTool::SetPosition)
      .Default(aaBoth);
  p.Integer("ScrollPercent", &TAxisArrowTool::ScrollPercent, &TAxisArrowTool::SetScrollPercent).Default(10);
}

TAxisArrowTool::TAxisArrowTool(TComponent* AOwner) : TChartCustomToolAxis(AOwner) {}

void TAxisArrowTool::SetPosition(TAxisArrowToolPosition value) {
  if (position_ == value) return;
  position_ = value;
  Repaint();
}

void TAxisArrowTool::ChartEvent(TChartToolEvent Event) {
  TCustomAxisPanel* chart = ParentChart();
  TChartAxis* axis = Axis();
  if (Event != cteAfterDraw || !chart || !axis) return;
  TCanvas3D* canvas = chart->Canvas();
  canvas->ApplyBrush(Brush(), Brush()->Color());
  canvas->ApplyPen(Pen());
  const Integer z = chart->View3D() && axis->OtherSide() ? chart->Width3D() : 0;
  // A point along the axis line at B.
  auto at = [&](Integer B) {
    return axis->Horizontal() ? TPoint{B, axis->LinePixel} : TPoint{axis->LinePixel, B};
  };
  if (position_ != aaEnd) canvas->Arrow(true, at(axis->StartPixel + length_), at(axis->StartPixel), 8, 8, z);
  if (position_ != aaStart) canvas->Arrow(true, at(axis->EndPixel - length_), at(axis->EndPixel), 8, 8, z);
}

Integer TAxisArrowTool::ArrowAt(Integer X, Integer Y) const {
  TChartAxis* axis = Axis();
  if (!axis) return -1;
  const Integer across = axis->Horizontal() ? Y : X;
  const Integer along = axis->Horizontal() ? X : Y;
  if (std::abs(across - axis->LinePixel) >= 3) return -1;
  if (position_ != aaEnd && along > axis->StartPixel && along < axis->StartPixel + length_) return 0;
  if (position_ != aaStart && along > axis->EndPixel - length_ && along < axis->EndPixel) return 1;
  return -1;
}

void TAxisArrowTool::ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                                     Integer Y) {
  (void)Button;
  (void)Shift;
  TCustomAxisPanel* chart = ParentChart();
  TChartAxis* axis = Axis();
  if (!chart || !axis || !axis->Visible()) return;
  if (Event == cmeDown) {
    if (scrollPercent_ == 0) return;
    const Integer arrow = ArrowAt(X, Y);
    if (arrow == -1) return;
    // A part of the range: ScrollPercent percent of it.
    const Double delta = (axis->Maximum() - axis->Minimum()) * scrollPercent_ / 100.0;
    axis->ShiftRange(arrow == 0 ? delta : -delta, false);
    if (chart->OnScroll) chart->OnScroll(chart);
    CancelChartMouse();
  } else if (Event == cmeMove) {
    if (ArrowAt(X, Y) != -1) chart->SetCursor(crHandPoint);
    chart->SetSavedCursor(chart->Cursor());
  }
}
