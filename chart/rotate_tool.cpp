#include "chart/rotate_tool.h"

#include <algorithm>
#include <cmath>

#include "chart/axis_panel.h"
#include "chart/chart_canvas.h"

const TClass& TRotateTool::StaticClass() {
  static const TClass cls =
      TClass::Of<TRotateTool>("TRotateTool", TChartCustomTool::StaticClass(), &TRotateTool::Publish);
  return cls;
}

void TRotateTool::Publish(TPublished& published) {
  published.For<TRotateTool>().Enum("Button", MouseButtonInfo(), &TRotateTool::Button, &TRotateTool::SetButton)
      .Default(mbLeft);
}

TRotateTool::TRotateTool(TComponent* AOwner) : TChartCustomTool(AOwner) {}

namespace {

Integer Wrap(Integer Angle) {
  if (Angle > 360) return Angle - 360;
  if (Angle < 0) return Angle + 360;
  return Angle;
}

// A canvas that cannot turn all the way keeps the angle within 270..360.
Integer Limited(Integer Angle, Integer Step) {
  return Step <= 0 ? std::max(270, Angle + Step) : std::min(360, Angle + Step);
}

// Steps of a mouse move: a drag across the whole extent turns by 90 degrees.
Integer Degrees(Integer Pixels, Integer Extent) {
  return static_cast<Integer>(std::nearbyint(static_cast<Double>(Pixels) * 90.0 / Extent));
}

}  // namespace

void TRotateTool::ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                                  Integer Y) {
  (void)Shift;
  TCustomAxisPanel* chart = ParentChart();
  if (!chart) return;
  switch (Event) {
    case cmeDown:
      if (Button != button_) return;
      dragging_ = true;
      lastX_ = X;
      lastY_ = Y;
      CancelChartMouse();
      break;
    case cmeUp:
      dragging_ = false;
      break;
    case cmeMove: {
      if (!dragging_) return;
      chart->SetView3D(true);
      TView3DOptions* view = chart->View3DOptions();
      view->SetOrthogonal(false);
      // A chart without an extent has nothing to turn by.
      const Integer dR = chart->Width() > 0 ? Degrees(X - lastX_, chart->Width()) : 0;
      const Integer dE = chart->Height() > 0 ? Degrees(lastY_ - Y, chart->Height()) : 0;
      if (chart->Canvas()->CanRotateFully()) {
        view->SetRotation(Wrap(view->Rotation() + dR));
        view->SetElevation(Wrap(view->Elevation() + dE));
      } else {
        view->SetRotation(Limited(view->Rotation(), dR));
        view->SetElevation(Limited(view->Elevation(), dE));
      }
      lastX_ = X;
      lastY_ = Y;
      CancelChartMouse();
      break;
    }
  }
}
