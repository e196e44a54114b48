// The curve editor's mouse: dragging keys, the popups, double-click and Alt+click.
#include <cmath>

#include "chart/chart_control.h"
#include "editor/var_chart_form.h"
#include "engine/var_series.h"
#include "platform/classlib/menus.h"
#include "platform/win/input.h"

Integer TVarChartForm::KeyAt(Integer X, Integer Y) {
  if (!series_ || series_->Count() == 0) return -1;
  return series_->Clicked(X, Y);
}

void TVarChartForm::ChartMouseDown(TObject*, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (!series_) return;
  if (Button == mbLeft && Shift.Contains(ssAlt)) {
    if (!Shift.Contains(ssDouble)) {
      const Double cx = Chart->BottomAxis()->CalcPosPoint(X);
      const Double cy = Chart->LeftAxis()->CalcPosPoint(Y);
      ZoomInX(cx);
      ZoomInY(cy);
    }
    return;
  }
  dragIndex_ = popupIndex_ = KeyAt(X, Y);
  if (Button != mbRight) {
    dragging_ = 1;
    if (dragIndex_ >= 0) Chart->SetCursor(crHandPoint);
  }
}

void TVarChartForm::ChartMouseMove(TObject*, TShiftState Shift, Integer X, Integer Y) {
  if (!series_) return;
  if (!dragging_) {
    Chart->SetCursor(KeyAt(X, Y) >= 0 ? crHandPoint : crDefault);
    return;
  }
  if (Shift.Contains(ssRight)) {
    dragIndex_ = -1;
    return;
  }
  if (dragIndex_ < 0 || dragIndex_ >= series_->Count()) return;
  SetKeyY(dragIndex_, Chart->LeftAxis()->CalcPosPoint(Y));
  if (dragIndex_ > 0) dragIndex_ = SetKeyX(dragIndex_, Chart->BottomAxis()->CalcPosPoint(X));
  Chart->Invalidate();
}

void TVarChartForm::ChartMouseUp(TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
  Chart->SetCursor(crDefault);
  dragging_ = 0;
  dragIndex_ = -1;
  if (Button != mbRight || popupIndex_ == -2) return;
  const TPoint at = Chart->ClientToScreen(TPoint{X, Y});
  if (series_ && popupIndex_ >= 0 && popupIndex_ <= series_->Count() - 1) {
    DeleteKeyframeItem->SetEnabled(popupIndex_ > 0 && popupIndex_ < series_->Count() - 1);
    KeyPopup->Popup(at.x, at.y);
  } else {
    ChartPopup->Popup(at.x, at.y);
  }
}

void TVarChartForm::ChartDblClick(TObject*) {
  if (!series_ || win::GetKeyState(win::VK_MENU) < 0) return;
  win::POINT screen;
  win::GetCursorPos(&screen);
  const TPoint p = Chart->ScreenToClient(TPoint{screen.x, screen.y});
  const Double x = std::nearbyint(Chart->BottomAxis()->CalcPosPoint(p.x));
  const Double y = Chart->LeftAxis()->CalcPosPoint(p.y);
  AddKey(x, y);
}
