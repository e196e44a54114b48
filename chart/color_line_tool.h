#pragma once
// TColorLineTool: a line across the plotting rectangle at a value of its axis (a vertical
// line for a horizontal axis), drawn before the series so that points lie on top of it.
// The mouse can drag it along the axis.
#include <functional>
#include <string>

#include "chart/chart_tools_base.h"

class TColorLineTool;

using TColorLineToolOnDrag = std::function<void(TColorLineTool* Sender)>;

class TColorLineTool : public TChartCustomToolAxis {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TColorLineTool(TComponent* AOwner);

  std::string GetEditorClassName() const override { return "TColorLineToolEditor"; }
  std::string Description() const override { return "Color Line"; }
  void ChartEvent(TChartToolEvent Event) override;
  void ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                       Integer Y) override;

  // Whether the mouse at (X, Y) is less than 3 pixels along the axis from the line as
  // drawn: its front part, or in 3D its back part.
  bool Clicked(Integer X, Integer Y) const;

  bool AllowDrag() const { return allowDrag_; }
  void SetAllowDrag(bool value) { allowDrag_ = value; }
  Double Value() const { return value_; }
  // Stores and repaints when the value changed.
  void SetValue(Double value);
  bool Dragging() const { return dragging_; }

  // Every mouse move that moves the line.
  TColorLineToolOnDrag OnDragLine;
  // Button up.
  TColorLineToolOnDrag OnEndDragLine;

 private:
  bool allowDrag_ = true;
  Double value_ = 0;
  // The depth of the line's part under the mouse at (X, Y), the front one first; -1
  // when none is.
  Integer DepthUnder(Integer X, Integer Y) const;

  bool dragging_ = false;
  Integer dragDepth_ = 0;  // of the part being dragged, which stays under the mouse
};
