#include "chart/nearest_point_tool.h"

#include <cmath>
#include <vector>

#include "chart/axis_panel.h"
#include "chart/chart_canvas.h"
#include "chart/chart_series.h"

const TEnumInfo& NearestToolStyleInfo() {
  static const TEnumInfo info("TNearestToolStyle", {"hsNone", "hsCircle", "hsRectangle", "hsDiamond"});
  return info;
}

const TClass& TNearestTool::StaticClass() {
  static const TClass cls =
      TClass::Of<TNearestTool>("TNearestTool", TChartCustomToolSeries::StaticClass(), &TNearestTool::Publish);
  return cls;
}

void TNearestTool::Publish(TPublished& published) {
  auto p = published.For<TNearestTool>();
  p.Object("Brush", &TCustomChartElement::Brush, &TCustomChartElement::SetBrush);
  p.Boolean("DrawLine", &TNearestTool::DrawLine, &TNearestTool::SetDrawLine).Default(true);
  p.Boolean("FullRepaint", &TNearestTool::FullRepaint, &TNearestTool::SetFullRepaint).Default(true);
  p.Object("Pen", &TCustomChartElement::Pen, &TCustomChartElement::SetPen);
  p.Integer("Size", &TNearestTool::Size, &TNearestTool::SetSize).Default(20);
  p.Enum("Style", NearestToolStyleInfo(), &TNearestTool::Style, &TNearestTool::SetStyle).Default(hsCircle);
  p.Event("OnChange", &TNearestTool::OnChange);
}

TNearestTool::TNearestTool(TComponent* AOwner) : TChartCustomToolSeries(AOwner) {
  Brush()->SetStyle(bsClear);
  Pen()->SetStyle(psDot);
  Pen()->SetColor(clWhite);
  Brush()->KeepDefaults();
  Pen()->KeepDefaults();
}

void TNearestTool::SetStyle(TNearestToolStyle value) {
  if (style_ == value) return;
  style_ = value;
  Repaint();
}

Integer TNearestTool::GetNearestPoint(Integer X, Integer Y) {
  TChartSeries* s = Series();
  TCustomAxisPanel* chart = ParentChart();
  if (!s || !chart || s->Count() == 0) return -1;
  const Integer count = s->Count();
  const Integer first = s->FirstValueIndex() == -1 ? 0 : s->FirstValueIndex();
  const Integer last = s->LastValueIndex() == -1 ? count - 1 : s->LastValueIndex();
  if (first < 0 || first >= count || last < 0 || last >= count) return -1;
  const TRect& r = chart->ChartRect();
  Integer best = -1;
  Double bestDistance = 10000;
  for (Integer i = first; i <= last; ++i) {
    const Integer x = s->CalcXPos(i);
    const Integer y = s->CalcYPos(i);
    if (x < r.left || x > r.right || y < r.top || y > r.bottom) continue;
    const TPoint p = OnScreen(x, y);
    const Double dx = static_cast<Double>(p.x) - X;
    const Double dy = static_cast<Double>(p.y) - Y;
    // Rounded to the nearest pixel, halves to even.
    const Double d = std::nearbyint(std::sqrt(dx * dx + dy * dy));
    if (d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return best;
}

TPoint TNearestTool::OnScreen(Integer X, Integer Y) {
  TCustomAxisPanel* chart = ParentChart();
  return chart ? chart->OnScreen(X, Y, Series()->MiddleZ) : TPoint{X, Y};
}

void TNearestTool::DrawMarker() {
  TCustomAxisPanel* chart = ParentChart();
  TChartSeries* s = Series();
  if (!chart || !s || point_ < 0 || point_ >= s->Count()) return;
  TCanvas3D* canvas = chart->Canvas();
  if (!canvas->ReferenceCanvas()) return;
  canvas->ApplyPen(Pen());
  if (!fullRepaint_) canvas->Pen()->SetMode(pmNotXor);
  const Integer x = s->CalcXPos(point_);
  const Integer y = s->CalcYPos(point_);
  const Integer z = s->MiddleZ;
  const bool is3D = chart->View3D();
  if (style_ != hsNone) canvas->ApplyBrush(Brush(), Brush()->Color());
  // Drawn twice to erase, so both times alike: the gaps of a dotted pen stay untouched
  // (an opaque background, as a brush leaves it, would paint them over for good).
  canvas->WriteBackMode(cbmTransparent);
  if (style_ != hsNone) {
    const Integer S = size_;
    switch (style_) {
      case hsCircle:
        if (is3D)
          canvas->EllipseWithZ(x - S, y - S, x + S, y + S, z);
        else
          canvas->DrawEllipse(x - S, y - S, x + S, y + S);
        break;
      case hsRectangle:
        if (is3D)
          canvas->RectangleWithZ(TRect{x - S, y - S, x + S, y + S}, z);
        else
          canvas->DrawBox(x - S, y - S, x + S, y + S);
        break;
      default: {
        const std::vector<TPoint> diamond{TPoint{x, y - S}, TPoint{x + S, y}, TPoint{x, y + S}, TPoint{x - S, y}};
        canvas->PolygonWithZ(diamond, z);
        break;
      }
    }
  }
  if (drawLine_) {
    canvas->Pen()->SetStyle(psSolid);
    const TPoint p = OnScreen(x, y);
    canvas->DrawLine(mouseX_, mouseY_, p.x, p.y);
  }
  canvas->Pen()->SetMode(pmCopy);
  // Between paints the window now differs from the off-screen picture.
  if (!fullRepaint_) canvas->MarkBufferStale();
}

void TNearestTool::ChartEvent(TChartToolEvent Event) {
  if (Event == cteAfterDraw) DrawMarker();
}

void TNearestTool::ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                                   Integer Y) {
  (void)Button;
  (void)Shift;
  TCustomAxisPanel* chart = ParentChart();
  if (Event != cmeMove || !chart || !Series()) return;
  if (!fullRepaint_) DrawMarker();  // erases the old marker
  point_ = GetNearestPoint(X, Y);
  mouseX_ = X;
  mouseY_ = Y;
  if (!fullRepaint_) DrawMarker();
  if (OnChange) OnChange(this);
  if (fullRepaint_) chart->Invalidate();
}
