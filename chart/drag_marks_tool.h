#pragma once
// TDragMarksTool: the marks of a series (or of every series) can be dragged to a place of
// the user's; the mark keeps it across repaints.
#include <string>

#include "chart/chart_tools_base.h"

struct TSeriesMarkPosition;

class TDragMarksTool : public TChartCustomToolSeries {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TDragMarksTool(TComponent* AOwner);

  std::string GetEditorClassName() const override { return "TDragMarksToolEditor"; }
  std::string Description() const override { return "Drag Marks"; }
  void ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                       Integer Y) override;

  // The position being dragged, or nullptr. It is looked up again in its series' marks
  // each time (the series must still be in the chart), so a series that was cleared or
  // freed meanwhile ends the drag.
  TSeriesMarkPosition* PickedPosition();
  TChartSeries* PickedSeries() const { return pickedSeries_; }

 private:
  void Drop();
  // The series searched: the tool's, or the chart's active series from the one drawn on top.
  template <class F>
  bool ForSearchedSeries(F Visit);

  Integer lastX_ = 0;
  Integer lastY_ = 0;
  TChartSeries* pickedSeries_ = nullptr;
  Integer pickedIndex_ = -1;
};
