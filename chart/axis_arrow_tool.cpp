#include "chart/axis_arrow_tool.h"

#include <cmath>
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

TPoint TAxisArrowTool::OnAxisLine(Integer B) const {
  TChartAxis* axis = Axis();
  TCustomAxisPanel* chart = ParentChart();
  // Where the axis line is drawn: the front plane, the depth axis along the floor.
  TPoint p = axis->Horizontal() ? TPoint{B, axis->LinePixel} : TPoint{axis->LinePixel, B};
  Integer z = 0;
  if (axis->IsDepthAxis()) {
    p = TPoint{axis->LinePixel, chart->ChartRect().bottom};
    z = B;
  }
  return chart->OnScreen(p.x, p.y, z);
}

void TAxisArrowTool::ChartEvent(TChartToolEvent Event) {
  TCustomAxisPanel* chart = ParentChart();
  TChartAxis* axis = Axis();
  // An axis the chart does not draw gets no arrows: they would lie on nothing.
  if (Event != cteAfterDraw || !chart || !axis || !chart->IsAxisVisible(axis)) return;
  TCanvas3D* canvas = chart->Canvas();
  canvas->ApplyBrush(Brush(), Brush()->Color());
  canvas->ApplyPen(Pen());
  // The arrows lie on the axis as the screen shows it, drawn flat.
  const TPoint start[2] = {OnAxisLine(axis->StartPixel + length_), OnAxisLine(axis->StartPixel)};
  const TPoint end[2] = {OnAxisLine(axis->EndPixel - length_), OnAxisLine(axis->EndPixel)};
  canvas->Suspend3D();
  if (position_ != aaEnd) canvas->Arrow(true, start[0], start[1], 8, 8, 0);
  if (position_ != aaStart) canvas->Arrow(true, end[0], end[1], 8, 8, 0);
  canvas->Resume3D();
}

Integer TAxisArrowTool::ArrowAt(Integer X, Integer Y) const {
  TChartAxis* axis = Axis();
  if (!axis || !ParentChart() || !ParentChart()->IsAxisVisible(axis)) return -1;
  // Strictly between the arrow's ends along it, less than 3 pixels across it.
  auto on = [&](Integer From, Integer To) {
    const TPoint a = OnAxisLine(From), b = OnAxisLine(To);
    const Double dx = static_cast<Double>(b.x) - a.x, dy = static_cast<Double>(b.y) - a.y;
    const Double length = std::hypot(dx, dy);
    if (length == 0) return false;
    const Double px = static_cast<Double>(X) - a.x, py = static_cast<Double>(Y) - a.y;
    const Double t = (px * dx + py * dy) / (length * length);
    return t > 0 && t < 1 && std::fabs(px * dy - py * dx) / length < 3;
  };
  if (position_ != aaEnd && on(axis->StartPixel, axis->StartPixel + length_)) return 0;
  if (position_ != aaStart && on(axis->EndPixel - length_, axis->EndPixel)) return 1;
  return -1;
}

void TAxisArrowTool::ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                                     Integer Y) {
  (void)Button;
  (void)Shift;
  TCustomAxisPanel* chart = ParentChart();
  TChartAxis* axis = Axis();
  if (!chart || !axis || !chart->IsAxisVisible(axis)) return;
  if (Event == cmeDown) {
    if (scrollPercent_ == 0) return;
    const Integer arrow = ArrowAt(X, Y);
    if (arrow == -1) return;
    // The range divided by ScrollPercent.
    const Double delta = (axis->Maximum() - axis->Minimum()) / scrollPercent_;
    axis->ShiftRange(arrow == 0 ? delta : -delta, false);
    if (chart->OnScroll) chart->OnScroll(chart);
    CancelChartMouse();
  } else if (Event == cmeMove) {
    if (ArrowAt(X, Y) != -1) chart->SetCursor(crHandPoint);
    chart->SetSavedCursor(chart->Cursor());
  }
}
