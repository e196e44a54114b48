#include "chart/drag_marks_tool.h"

#include <algorithm>
#include <vector>

#include "chart/axis_panel.h"
#include "chart/chart_series.h"
#include "chart/series_marks.h"

const TClass& TDragMarksTool::StaticClass() {
  static const TClass cls = TClass::Of<TDragMarksTool>("TDragMarksTool", TChartCustomToolSeries::StaticClass());
  return cls;
}

TDragMarksTool::TDragMarksTool(TComponent* AOwner) : TChartCustomToolSeries(AOwner) {}

void TDragMarksTool::Drop() {
  pickedSeries_ = nullptr;
  pickedIndex_ = -1;
}

TSeriesMarkPosition* TDragMarksTool::PickedPosition() {
  TCustomAxisPanel* chart = ParentChart();
  if (!pickedSeries_) return nullptr;
  // A freed series has left the chart: it is only compared, never reached, then.
  if (!chart || chart->SeriesList()->IndexOf(pickedSeries_) < 0) {
    Drop();
    return nullptr;
  }
  TSeriesMarkPosition* position = pickedSeries_->Marks()->Positions()->Position(pickedIndex_);
  if (!position) Drop();
  return position;
}

template <class F>
bool TDragMarksTool::ForSearchedSeries(F Visit) {
  if (Series()) return Visit(Series());
  // The series on top first: the last drawn.
  const std::vector<TChartSeries*> order = ParentChart()->SeriesInDrawOrder();
  return std::any_of(order.rbegin(), order.rend(), Visit);
}

void TDragMarksTool::ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                                     Integer Y) {
  (void)Button;
  (void)Shift;
  TCustomAxisPanel* chart = ParentChart();
  if (!chart) return;
  switch (Event) {
    case cmeDown:
      Drop();
      ForSearchedSeries([&](TChartSeries* s) {
        if (!s->Active()) return false;
        const Integer index = s->Marks()->HitTest(X, Y);
        if (index == -1) return false;
        pickedSeries_ = s;
        pickedIndex_ = index;
        return true;
      });
      if (PickedPosition()) {
        lastX_ = X;
        lastY_ = Y;
        CancelChartMouse();
      }
      break;
    case cmeMove:
      if (TSeriesMarkPosition* position = PickedPosition()) {
        // The mark is kept in the plane of its depth: the mouse's way is taken back
        // there, so that the mark, drawn through the view, stays under the mouse.
        const Integer depth = pickedSeries_->Marks()->Depth;
        const TPoint from = MouseAt(lastX_, lastY_, depth), to = MouseAt(X, Y, depth);
        const Integer dx = to.x - from.x;
        const Integer dy = to.y - from.y;
        position->UserPlaced = true;
        position->ArrowEnd.x += dx;
        position->ArrowEnd.y += dy;
        position->BoxTopLeft.x += dx;
        position->BoxTopLeft.y += dy;
        lastX_ = X;
        lastY_ = Y;
        CancelChartMouse();
        chart->Invalidate();
      } else {
        const bool overMark = ForSearchedSeries([&](TChartSeries* s) {
          return s->Active() && s->Marks()->Visible() && s->Marks()->HitTest(X, Y) != -1;
        });
        chart->SetCursor(overMark ? crHandPoint : crDefault);
        if (overMark) CancelChartMouse();
      }
      break;
    case cmeUp:
      Drop();
      break;
  }
}
